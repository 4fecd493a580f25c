// The real Orvantis executable under a virtual X display with a tray host. It takes the fixed port, so these
// tests never run beside another test of the executable: ORVANTIS_USES_PORT_1977.
#include "bookfixture.h"
#include "portlock.h"
#include "testclient.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QThread>
#include <QtTest>

#include <functional>

#include <signal.h>

namespace {

const quint16 kPort = 1977;

QString script(const QString &name)
{
    return QDir::cleanPath(QStringLiteral(TESTS_DATA_DIR "/../../../scripts/") + name);
}

// The executable needs the real X platform, not the offscreen one the unit tests use.
QProcessEnvironment serviceEnvironment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("DISPLAY"));
    return env;
}

// Starts the command in a process group of its own, so that the virtual display, the tray host and the service
// can all be ended together should the test fail half-way.
void startGroup(QProcess *process, const QStringList &command)
{
    process->setProcessEnvironment(serviceEnvironment());
    process->start(QStringLiteral("setsid"), QStringList(QStringLiteral("-w")) + command);
}

void endGroup(QProcess *process)
{
    if (process->state() == QProcess::NotRunning)
        return;
    const qint64 group = process->processId();
    if (group > 0)
        ::kill(-pid_t(group), SIGKILL);
    process->waitForFinished(5000);
}

QStringList serviceCommand()
{
    return {QStringLiteral("xvfb-run"), QStringLiteral("-a"), script("with-tray"), QStringLiteral(ORVANTIS_BINARY)};
}

// True once the process has ended, whether it already had or ends within ms.
bool ends(QProcess *process, int ms)
{
    return process->state() == QProcess::NotRunning || process->waitForFinished(ms);
}

bool portAnswers()
{
    return TestClient(kPort).connected;
}

bool waitUntil(const std::function<bool()> &condition, int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > ms)
            return false;
        QThread::msleep(50);
    }
    return true;
}

} // namespace

class TestOrvantis : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void servesAndQuits();
    void secondInstanceEndsAtOnce();
    void noTrayHost();
    void validatesOverTheWire();
    void quitDuringJob();

private:
    void startService();
    void stopService();

    QProcess service;
};

void TestOrvantis::initTestCase()
{
    QVERIFY2(lockServicePort(), "another test run kept the service's port for too long");
    QVERIFY2(QFileInfo(QStringLiteral(ORVANTIS_BINARY)).isExecutable(), ORVANTIS_BINARY);
    QVERIFY2(waitServicePortFree(), "port 1977 is taken by another program");
}

void TestOrvantis::startService()
{
    service.setProcessChannelMode(QProcess::ForwardedChannels);
    startGroup(&service, serviceCommand());
    QVERIFY(service.waitForStarted(10000));
    QVERIFY2(waitUntil(portAnswers, 30000), "the service never listened");
    // A service of some other program on the port would answer too; ours must still be alive.
    QThread::msleep(200);
    QVERIFY2(service.state() == QProcess::Running, "the port was taken by another program");
}

// Whatever a failed test left behind must not hold the port for the next one.
void TestOrvantis::cleanup()
{
    if (service.state() == QProcess::NotRunning)
        return;
    TestClient::exchange(kPort, "170|#CQ#");
    if (!ends(&service, 30000))
        endGroup(&service);
}

void TestOrvantis::servesAndQuits()
{
    startService();
    QVERIFY(TestClient::exchange(kPort, "110|#CQ#").startsWith("00|110|{"));
    QCOMPARE(TestClient::exchange(kPort, "170|#CQ#"), QByteArray("00|170"));
    QVERIFY(ends(&service, 30000));
    QCOMPARE(service.exitStatus(), QProcess::NormalExit);
    QCOMPARE(service.exitCode(), 0);
    QVERIFY(!portAnswers());
}

void TestOrvantis::secondInstanceEndsAtOnce()
{
    startService();
    QProcess second;
    startGroup(&second, serviceCommand());
    const bool ended = ends(&second, 30000);
    endGroup(&second);
    QVERIFY(ended);
    QCOMPARE(second.exitCode(), 0);
    // No window or message of the second one; the first one goes on serving.
    QVERIFY(!second.readAllStandardError().contains("true"));
    QVERIFY(TestClient::exchange(kPort, "110|#CQ#").startsWith("00|110|{"));
}

// Without a tray host the message box shows, the port is never taken, and dismissing the box ends with 0.
void TestOrvantis::noTrayHost()
{
    const QString steps = QStringLiteral(
        "\"$0\" & pid=$!\n"
        "w=$(timeout 20 xdotool search --sync --onlyvisible --name '^Orvantis$' | head -1)\n"
        "[ -n \"$w\" ] && echo box-shown\n"
        "sleep 0.3\n"
        "nc -z 127.0.0.1 1977 && echo listening\n"
        "xdotool windowfocus --sync \"$w\" key Return\n"
        "wait $pid\n"
        "echo status=$?\n");
    QProcess run;
    startGroup(&run, {QStringLiteral("xvfb-run"), QStringLiteral("-a"), QStringLiteral("bash"), QStringLiteral("-c"),
                      steps, QStringLiteral(ORVANTIS_BINARY)});
    const bool ended = ends(&run, 60000);
    endGroup(&run);
    QVERIFY(ended);
    const QByteArray out = run.readAllStandardOutput();
    QVERIFY2(out.contains("box-shown\n"), out.constData());
    QVERIFY2(!out.contains("listening"), out.constData());
    QVERIFY2(out.contains("status=0\n"), out.constData());
}

// A fresh service hands out ticket 1 first; a failed set-up uses its number up.
void TestOrvantis::validatesOverTheWire()
{
    startService();
    QCOMPARE(TestClient::exchange(kPort, "130||#CQ#"), QByteArray("94|130|900"));
    BookFixture book;
    QCOMPARE(TestClient::exchange(kPort, book.request()), QByteArray("00|130|2"));

    QJsonObject control;
    QVERIFY(waitUntil([&control] {
        const QByteArray answer = TestClient::exchange(kPort, "150|2|#CQ#");
        control = QJsonDocument::fromJson(answer.mid(7)).object().value("control").toObject();
        return control.value("avance").toInt() == 100;
    }, 60000));
    QCOMPARE(control.value("nregistros").toInt(), 3);
    QCOMPARE(control.value("nerrores").toInt(), 0);
    const QDir folder(control.value("directorio").toString());
    QVERIFY(QFileInfo(folder.filePath(control.value("archivoDetalle").toString())).isFile());
    QVERIFY(QFileInfo(folder.filePath(control.value("archivoResumen").toString())).isFile());
    QVERIFY(QFileInfo(folder.filePath(control.value("archivoCasillas").toString())).isFile());
    QCOMPARE(TestClient::exchange(kPort, "160|2|#CQ#"), QByteArray("00|160"));
}

// Quitting while a job runs and a client sits idle on its connection ends in order, with status 0.
void TestOrvantis::quitDuringJob()
{
    BookFixture book;
    QVERIFY(book.makeLong(600000));
    startService();
    QCOMPARE(TestClient::exchange(kPort, book.request()), QByteArray("00|130|1"));
    TestClient idle(kPort);
    QVERIFY(idle.send("110|"));
    const QByteArray status = TestClient::exchange(kPort, "140|1|#CQ#");
    QVERIFY2(status.startsWith("00|140|"), status.constData());
    QVERIFY2(QJsonDocument::fromJson(status.mid(7)).object().value("avance").toInt() < 98, status.constData());

    QElapsedTimer timer;
    timer.start();
    QCOMPARE(TestClient::exchange(kPort, "170|#CQ#"), QByteArray("00|170"));
    QVERIFY(ends(&service, 30000));
    QCOMPARE(service.exitStatus(), QProcess::NormalExit);
    QCOMPARE(service.exitCode(), 0);
    QVERIFY2(timer.elapsed() < 15000, QByteArray::number(timer.elapsed()).constData());
    QCOMPARE(idle.receiveAll(5000), QByteArray());
}

QTEST_GUILESS_MAIN(TestOrvantis)
#include "tst_orvantis.moc"
