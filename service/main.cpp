#include "dialog.h"
#include "kovhilos.h"
#include "kovjuezpatron.h"
#include "platform.h"

#include <QApplication>
#include <QSystemTrayIcon>
#include <QTextCodec>

#include <cstdlib>
#include <cstring>

namespace {

// How long the end waits for a stopped job's checks to leave their line, and its reading or copy their read.
const int kEngineEndMs = 500;

} // namespace

int main(int argc, char **argv)
{
    // A child started to judge column patterns does that alone: no application, no display, no raised limits.
    if (argc == 2 && std::strcmp(argv[1], KovJuezPatron::argumentoHijo()) == 0)
        return KovJuezPatron::hijo();

    // Every connection and job holds descriptors; the bounds on them follow the limit, so it is raised first.
    raiseOpenFileLimit();

    // Paths and texts are UTF-8 whatever the machine's locale says; Qt would otherwise encode file names by it.
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));

    // Inside an application bundle the plug-ins ship beside the program; elsewhere Qt's own folders serve.
    const QString plugIns = bundlePlugInsFolder(argc > 0 ? QString::fromUtf8(argv[0]) : QString());
    if (!plugIns.isEmpty())
        QCoreApplication::setLibraryPaths(QStringList(plugIns));

    QApplication app(argc, argv);
    KovJuezPatron::setEjecutable(QCoreApplication::applicationFilePath());
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        showNoTrayMessage();
        return 0;
    }
    QApplication::setQuitOnLastWindowClosed(false);

    Dialog *dialog = new Dialog;
    dialog->hide();
    const int status = app.exec();
    // The dialog's server ends every connection thread before the process goes.
    delete dialog;
    // What a stopped job left running still needs the process's statics: their destructors must not run under it.
    if (!KovHilos::esperaQuietud(kEngineEndMs))
        std::_Exit(status);
    return status;
}
