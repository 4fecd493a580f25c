#include "platform.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/resource.h>

class TestPlatform : public QObject
{
    Q_OBJECT

private slots:
    void chooseInterface_data();
    void chooseInterface();
    void plugInsFolder();
    void latin1_data();
    void latin1();
    void openFileLimitRaised();
};

namespace {

InterfaceInfo iface(bool up, bool loopback, const QString &mac, const QStringList &addresses)
{
    InterfaceInfo info;
    info.up = up;
    info.loopback = loopback;
    info.hardwareAddress = mac;
    info.addresses = addresses;
    return info;
}

} // namespace

Q_DECLARE_METATYPE(QList<InterfaceInfo>)

void TestPlatform::chooseInterface_data()
{
    QTest::addColumn<QList<InterfaceInfo>>("interfaces");
    QTest::addColumn<QString>("mac");
    QTest::addColumn<QString>("ip");

    const InterfaceInfo lo = iface(true, true, "00:00:00:00:00:00", {"127.0.0.1", "::1"});
    const InterfaceInfo down = iface(false, false, "AA:AA:AA:AA:AA:AA", {"10.1.1.1"});
    const InterfaceInfo bare = iface(true, false, "BB:BB:BB:BB:BB:BB", {});
    const InterfaceInfo eth = iface(true, false, "02:FC:00:00:00:01", {"192.0.2.2", "fd00::2"});
    const InterfaceInfo v6first = iface(true, false, "CC:CC:CC:CC:CC:CC", {"fe80::1", "192.0.2.9"});
    const InterfaceInfo tunnel = iface(true, false, "", {"198.51.100.1"});

    QTest::newRow("nothing") << QList<InterfaceInfo>() << "MAC-NOTFOUND" << "0.0.0.0";
    QTest::newRow("loopback only") << QList<InterfaceInfo>{lo} << "MAC-NOTFOUND" << "0.0.0.0";
    QTest::newRow("down and bare skipped") << QList<InterfaceInfo>{lo, down, bare, eth} << "02:FC:00:00:00:01"
                                           << "192.0.2.2";
    QTest::newRow("first address whatever its kind") << QList<InterfaceInfo>{v6first, eth} << "CC:CC:CC:CC:CC:CC"
                                                     << "fe80::1";
    QTest::newRow("no hardware address stays empty") << QList<InterfaceInfo>{tunnel, eth} << "" << "198.51.100.1";
}

void TestPlatform::chooseInterface()
{
    QFETCH(QList<InterfaceInfo>, interfaces);
    QFETCH(QString, mac);
    QFETCH(QString, ip);
    const ChosenInterface chosen = ::chooseInterface(interfaces);
    QCOMPARE(chosen.macAddress, mac);
    QCOMPARE(chosen.ipAddress, ip);
}

void TestPlatform::plugInsFolder()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkpath("Orvantis.app/Contents/MacOS"));
    const QString program = dir.filePath("Orvantis.app/Contents/MacOS/Orvantis");

    // Without the bundle's folder Qt's own plug-in folders must stay.
    QCOMPARE(bundlePlugInsFolder(program), QString());
    QCOMPARE(bundlePlugInsFolder("Orvantis"), QString());
    QCOMPARE(bundlePlugInsFolder(QString()), QString());

    QVERIFY(QDir(dir.path()).mkpath("Orvantis.app/Contents/PlugIns"));
    QCOMPARE(bundlePlugInsFolder(program), QDir(dir.filePath("Orvantis.app/Contents/PlugIns")).absolutePath());
}

void TestPlatform::latin1_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("ascii") << "00|110" << QByteArray("00|110");
    QTest::newRow("latin-1 letter is one byte") << QString::fromUtf8("Configuración") << QByteArray("Configuraci\xF3n");
    QTest::newRow("outside latin-1") << QString::fromUtf8("1 €") << QByteArray("1 ?");
    QTest::newRow("one question mark per character") << QString::fromUtf8("a\xF0\x9F\x93\x9A" "b") << QByteArray("a?b");
}

void TestPlatform::latin1()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(toLatin1Wire(text), bytes);
}

// A shell's soft limit gives way to the hard one.
void TestPlatform::openFileLimitRaised()
{
    rlimit files;
    QVERIFY(::getrlimit(RLIMIT_NOFILE, &files) == 0);
    if (files.rlim_max == RLIM_INFINITY || files.rlim_max < 128)
        QSKIP("no finite hard limit to lower the soft one under");
    const rlim_t hard = files.rlim_max;
    files.rlim_cur = 64;
    QVERIFY(::setrlimit(RLIMIT_NOFILE, &files) == 0);
    QCOMPARE(openFileLimit(), qint64(64));
    raiseOpenFileLimit();
    QCOMPARE(openFileLimit(), qint64(hard));
    QVERIFY(::getrlimit(RLIMIT_NOFILE, &files) == 0);
    QCOMPARE(files.rlim_max, hard);
}

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
