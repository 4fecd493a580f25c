#ifndef PLATFORM_H
#define PLATFORM_H

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// What the handshake needs to know of one network interface, so that the choice can be made (and tested)
// without the host's real interfaces.
struct InterfaceInfo
{
    bool up = false;
    bool loopback = false;
    QString hardwareAddress;
    QStringList addresses;
};

struct ChosenInterface
{
    QString macAddress;
    QString ipAddress;
};

// The host's interfaces in the order the system lists them; *read is false when the system could not be asked
// for them, for want of a descriptor.
QList<InterfaceInfo> hostInterfaces(bool *read = nullptr);

// The first interface that is up, is not a loopback and has an address; "MAC-NOTFOUND" / "0.0.0.0" otherwise.
ChosenInterface chooseInterface(const QList<InterfaceInfo> &interfaces);

// The "PlugIns" folder of the application bundle that holds programPath, or an empty text when there is none:
// then Qt's own plug-in folders must stay in place.
QString bundlePlugInsFolder(const QString &programPath);

// The critical message box of a desktop without a system tray; returns once it is dismissed.
void showNoTrayMessage();

// Raises the soft limit on open files to the hard one, so that the service is not held to a shell's default.
void raiseOpenFileLimit();
// The soft limit on open files; a large number when the system sets none.
qint64 openFileLimit();

// Latin-1 bytes of text; every character outside Latin-1 becomes one "?", surrogate pairs included.
QByteArray toLatin1Wire(const QString &text);

#endif // PLATFORM_H
