#include "platform.h"

#include <QDir>
#include <QMessageBox>
#include <QNetworkInterface>
#include <QVector>

#include <cerrno>
#include <climits>
#include <limits>

#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <linux/netlink.h>

namespace {

// Qt tells no failure of its own: a host always has its loopback, so an empty list means the system could not be
// asked, for want of a descriptor if one cannot be had now.
bool descriptorsRanOut()
{
    const int probe = ::socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (probe >= 0) {
        ::close(probe);
        return false;
    }
    return errno == EMFILE || errno == ENFILE;
}

} // namespace

QList<InterfaceInfo> hostInterfaces(bool *read)
{
    QList<InterfaceInfo> result;
    QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    if (interfaces.isEmpty()) {
        if (descriptorsRanOut()) {
            if (read)
                *read = false;
            return result;
        }
        interfaces = QNetworkInterface::allInterfaces();
    }
    if (read)
        *read = true;
    for (const QNetworkInterface &iface : interfaces) {
        InterfaceInfo info;
        info.up = iface.flags().testFlag(QNetworkInterface::IsUp);
        info.loopback = iface.flags().testFlag(QNetworkInterface::IsLoopBack);
        info.hardwareAddress = iface.hardwareAddress();
        const QList<QNetworkAddressEntry> entries = iface.addressEntries();
        for (const QNetworkAddressEntry &entry : entries)
            info.addresses.append(entry.ip().toString());
        result.append(info);
    }
    return result;
}

ChosenInterface chooseInterface(const QList<InterfaceInfo> &interfaces)
{
    for (const InterfaceInfo &iface : interfaces) {
        if (iface.up && !iface.loopback && !iface.addresses.isEmpty())
            return ChosenInterface{iface.hardwareAddress, iface.addresses.first()};
    }
    return ChosenInterface{QStringLiteral("MAC-NOTFOUND"), QStringLiteral("0.0.0.0")};
}

QString bundlePlugInsFolder(const QString &programPath)
{
    QDir dir(programPath);
    dir.cdUp();
    dir.cdUp();
    if (!dir.cd(QStringLiteral("PlugIns")))
        return QString();
    return dir.absolutePath();
}

void showNoTrayMessage()
{
    QMessageBox::critical(nullptr, QObject::tr("Orvantis"),
                          QObject::tr("No se pudo colocar la aplicación en la barra de tareas"));
}

void raiseOpenFileLimit()
{
    rlimit files;
    if (::getrlimit(RLIMIT_NOFILE, &files) != 0 || files.rlim_cur == files.rlim_max)
        return;
    files.rlim_cur = files.rlim_max;
    if (::setrlimit(RLIMIT_NOFILE, &files) == 0)
        return;
#ifdef OPEN_MAX
    // macOS refuses an unlimited soft limit; its own ceiling is the most it takes.
    files.rlim_cur = OPEN_MAX;
    ::setrlimit(RLIMIT_NOFILE, &files);
#endif
}

qint64 openFileLimit()
{
    rlimit files;
    if (::getrlimit(RLIMIT_NOFILE, &files) != 0 || files.rlim_cur == RLIM_INFINITY
        || files.rlim_cur > rlim_t(std::numeric_limits<qint64>::max()))
        return std::numeric_limits<qint64>::max();
    return qint64(files.rlim_cur);
}

QByteArray toLatin1Wire(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    const QVector<uint> codePoints = text.toUcs4();
    for (uint c : codePoints)
        bytes.append(c <= 0xFF ? char(c) : '?');
    return bytes;
}
