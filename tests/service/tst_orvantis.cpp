// The real Orvantis executable under a virtual X display with a tray host. It takes the fixed port, so these
// tests never run beside another test of the executable: ORVANTIS_USES_PORT_1977.
#include "bookfixture.h"
#include "kovberkeley.h"
#include "portlock.h"
#include "readgate.h"
#include "servicelimits.h"
#include "testclient.h"

#include <QDir>
#include <QDirIterator>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <QtTest>

#include <QFile>

#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const quint16 kPort = 1977;

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's allocator copies a buffer on every growth, keeps up to 256 MB of freed blocks and adds its
// shadow: eight requests whose last growths meet come near 1.6 GB, so the same service is given twice as much.
const qint64 kPeakKiB = 2000 * 1000;
#else
const qint64 kPeakKiB = 1000 * 1000;
#endif

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

// With a limit on open files, soft and hard alike, so that the service cannot raise it past what is given.
QStringList serviceCommand(int openFiles = 0)
{
    QStringList command = {QStringLiteral("xvfb-run"), QStringLiteral("-a"), script("with-tray")};
    if (openFiles > 0)
        command << QStringLiteral("prlimit") << QStringLiteral("--nofile=%1:%1").arg(openFiles);
    return command << QStringLiteral(ORVANTIS_BINARY);
}

// The processes of the group the test started.
QList<pid_t> groupMembers(qint64 group)
{
    QList<pid_t> members;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &entry : entries) {
        bool number = false;
        const pid_t pid = pid_t(entry.toInt(&number));
        if (number && ::getpgid(pid) == pid_t(group))
            members << pid;
    }
    return members;
}

// The service's own process inside the group, found by its program.
pid_t servicePid(qint64 group)
{
    const QFileInfo binary(QStringLiteral(ORVANTIS_BINARY));
    for (const pid_t pid : groupMembers(group)) {
        if (QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).canonicalFilePath() == binary.canonicalFilePath())
            return pid;
    }
    return 0;
}

// The processes of a group and what each runs, for a start that never came up.
QByteArray groupProcesses(qint64 group)
{
    QByteArray listed;
    for (const pid_t pid : groupMembers(group)) {
        QFile command(QStringLiteral("/proc/%1/cmdline").arg(pid));
        if (command.open(QIODevice::ReadOnly))
            listed += QByteArray::number(pid) + ": " + command.readAll().replace('\0', ' ').trimmed() + "; ";
    }
    return listed;
}

// A figure of /proc/<pid>/status ("Threads", "VmHWM" in kB), or -1.
qint64 statusFigure(pid_t pid, const QByteArray &key)
{
    QFile file(QStringLiteral("/proc/%1/status").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray &line : lines) {
        if (line.startsWith(key + ':'))
            return line.mid(key.size() + 1).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// Starts a connection without waiting for it to be accepted, as a flood does.
int connectNow(quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return -1;
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 && errno != EINPROGRESS) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// How many of the clients the service has closed.
int closedCount(const std::vector<int> &clients)
{
    std::vector<pollfd> polled;
    polled.reserve(clients.size());
    for (const int fd : clients)
        polled.push_back(pollfd{fd, POLLIN, 0});
    ::poll(polled.data(), nfds_t(polled.size()), 0);
    int closed = 0;
    for (const pollfd &one : polled)
        closed += (one.revents & (POLLIN | POLLHUP | POLLERR)) ? 1 : 0;
    return closed;
}

// The descriptors a process holds, by number.
QList<int> descriptorsOf(pid_t pid)
{
    QList<int> numbers;
    const QStringList entries = QDir(QStringLiteral("/proc/%1/fd").arg(pid)).entryList(QDir::Files | QDir::System);
    for (const QString &entry : entries)
        numbers << entry.toInt();
    return numbers;
}

int openDescriptors(pid_t pid)
{
    return descriptorsOf(pid).size();
}

// The soft limit on open files under which the process has `free` descriptors left to open.
int limitLeaving(pid_t pid, int free)
{
    const QList<int> held = descriptorsOf(pid);
    int limit = 0;
    for (int left = free; left > 0 || held.contains(limit); ++limit) {
        if (!held.contains(limit))
            --left;
    }
    return limit;
}

// The test's own clients need descriptors of their own; false when the hard limit leaves too few.
bool raiseOwnFileLimit(int needed)
{
    rlimit files;
    if (::getrlimit(RLIMIT_NOFILE, &files) != 0
        || (files.rlim_max != RLIM_INFINITY && files.rlim_max < rlim_t(needed)))
        return false;
    files.rlim_cur = files.rlim_max == RLIM_INFINITY ? rlim_t(needed) : files.rlim_max;
    return ::setrlimit(RLIMIT_NOFILE, &files) == 0;
}

const char kNoRoomForClients[] = "the hard limit on open files leaves no room for the test's clients";

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

// xvfb-run waits for its X server's signal that it is ready, and a signal that comes before the script has begun to
// wait is lost: the script then waits for the server to end, and nothing of the group starts. A group whose X server
// has run for a while with nothing beside it is in that wait, and is given the signal again.
void nudgeDisplay(qint64 group)
{
    bool server = false;
    for (const pid_t pid : groupMembers(group)) {
        if (pid == pid_t(group))
            continue;
        QFile command(QStringLiteral("/proc/%1/cmdline").arg(pid));
        if (!command.open(QIODevice::ReadOnly) || !command.readAll().startsWith("Xvfb"))
            return;
        server = true;
    }
    if (server)
        ::kill(pid_t(group), SIGUSR1);
}

// Waits as waitUntil does for a group started under xvfb-run, seeing it past the script's lost signal.
bool waitForGroup(QProcess *process, const std::function<bool()> &condition, int ms)
{
    QElapsedTimer started;
    started.start();
    return waitUntil([&] {
        if (started.elapsed() > 20000 && process->state() == QProcess::Running)
            nudgeDisplay(process->processId());
        return condition();
    }, ms);
}

// The service's temporary folder, for as long as the object lives: services started meanwhile keep their key
// indexes there, apart from the other programs of the machine.
class TemporaryFolder
{
public:
    TemporaryFolder()
        : earlier(qgetenv("TMPDIR")), wasSet(qEnvironmentVariableIsSet("TMPDIR"))
    {
        qputenv("TMPDIR", QFile::encodeName(dir.path()));
    }
    ~TemporaryFolder()
    {
        if (wasSet)
            qputenv("TMPDIR", earlier);
        else
            qunsetenv("TMPDIR");
    }
    QString path() const { return dir.path(); }

private:
    QTemporaryDir dir;
    QByteArray earlier;
    bool wasSet;
};

// The files below the folder (hidden ones too) whose names match, as paths.
QStringList filesMatching(const QString &folder, const QString &pattern)
{
    const QRegularExpression name(pattern);
    QStringList found;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (name.match(it.fileName()).hasMatch())
            found << path;
    }
    return found;
}

const char kNoReadGate[] = "reads of a file cannot be held here (fanotify needs CAP_SYS_ADMIN)";
const char kIndexName[] = "^[0-9]{7,}\\.idx$";
const char kTemporaryName[] = "^\\.kov-";
// The thread that reads a job's book into batches.
const char kReadingThread[] = "orvantis-lee";

// The book's first line gets a state its layout refuses.
bool spoilFirstLine(const BookFixture &book)
{
    QByteArray text = BookFixture::contents(book.book);
    const int end = text.indexOf("|1|\n");
    if (end < 0)
        return false;
    text[end + 1] = 'X';
    return book.write(text);
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
    void quitWithHeldJobs();
    void quitKeepsTheCopiesOfCleanJobs();
    void quitDuringHeldHash();
    void survivesConnectionFlood();
    void silentClientsBesideServed();
    void descriptorsRunOut();
    void largeRequestsBoundedMemory();
    void killedServiceLeavesNoStrays();

private:
    void startService(int openFiles = 0);
    void wholeJob(int ticket = 0);
    void stopService();

    QProcess service;
};

void TestOrvantis::initTestCase()
{
    QVERIFY2(lockServicePort(), "another test run kept the service's port for too long");
    QVERIFY2(QFileInfo(QStringLiteral(ORVANTIS_BINARY)).isExecutable(), ORVANTIS_BINARY);
    QVERIFY2(waitServicePortFree(), "port 1977 is taken by another program");
}

void TestOrvantis::startService(int openFiles)
{
    service.setProcessChannelMode(QProcess::ForwardedChannels);
    // A loaded machine can take a minute to bring up the display, the tray host and the service. A display or tray
    // host that never comes up is the machine's doing, not the service's: its processes are told and the whole
    // group is started once more.
    for (int attempt = 1;; ++attempt) {
        startGroup(&service, serviceCommand(openFiles));
        QVERIFY(service.waitForStarted(30000));
        if (waitForGroup(&service, [this] { return portAnswers() || ends(&service, 0); }, 180000))
            break;
        qWarning() << "no answer on the port from" << groupProcesses(service.processId());
        endGroup(&service);
        QVERIFY2(attempt < 2, "the service never came up");
    }
    QVERIFY2(service.state() == QProcess::Running, "the service never listened");
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
    const bool ended = waitForGroup(&second, [&second] { return ends(&second, 0); }, 180000);
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
        "w=$(timeout 120 xdotool search --sync --onlyvisible --name '^Orvantis$' | head -1)\n"
        "[ -n \"$w\" ] && echo box-shown\n"
        "sleep 0.3\n"
        "nc -z 127.0.0.1 1977 && echo listening\n"
        "xdotool windowfocus --sync \"$w\" key Return\n"
        "wait $pid\n"
        "echo status=$?\n");
    QProcess run;
    startGroup(&run, {QStringLiteral("xvfb-run"), QStringLiteral("-a"), QStringLiteral("bash"), QStringLiteral("-c"),
                      steps, QStringLiteral(ORVANTIS_BINARY)});
    const bool ended = waitForGroup(&run, [&run] { return ends(&run, 0); }, 180000);
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
    wholeJob(2);
}

// A book validated from the early reply to the release, with its results on disk; under the given ticket, or any.
void TestOrvantis::wholeJob(int ticket)
{
    BookFixture book;
    const QByteArray answer = TestClient::exchange(kPort, book.request());
    QVERIFY2(answer.startsWith("00|130|"), answer.constData());
    const QByteArray number = answer.mid(7);
    if (ticket > 0)
        QCOMPARE(number, QByteArray::number(ticket));

    QJsonObject control;
    QVERIFY(waitUntil([&control, &number] {
        const QByteArray answer = TestClient::exchange(kPort, "150|" + number + "|#CQ#");
        control = QJsonDocument::fromJson(answer.mid(7)).object().value("control").toObject();
        return control.value("avance").toInt() == 100;
    }, 60000));
    QCOMPARE(control.value("nregistros").toInt(), 3);
    QCOMPARE(control.value("nerrores").toInt(), 0);
    const QDir folder(control.value("directorio").toString());
    QVERIFY(QFileInfo(folder.filePath(control.value("archivoDetalle").toString())).isFile());
    QVERIFY(QFileInfo(folder.filePath(control.value("archivoResumen").toString())).isFile());
    QVERIFY(QFileInfo(folder.filePath(control.value("archivoCasillas").toString())).isFile());
    QCOMPARE(TestClient::exchange(kPort, "160|" + number + "|#CQ#"), QByteArray("00|160"));
}

// Quitting while a job runs and a client sits idle on its connection ends in order, with status 0. The job's reads
// of its book are held, so it is still running when the quit comes; they go on once the service has stopped
// listening, and whether the job's cancel or its end comes first, it leaves no key index and no temporary file.
void TestOrvantis::quitDuringJob()
{
    BookFixture book;
    // Long, so that the cancel mostly finds it still reading.
    QVERIFY(book.makeLong(600000));
    const TemporaryFolder temporary;
    ReadGate gate(book.book);
    if (!gate.isValid())
        QSKIP(kNoReadGate);
    startService();
    QCOMPARE(TestClient::exchange(kPort, book.request()), QByteArray("00|130|1"));
    QVERIFY(waitUntil([&gate] { return gate.held() > 0; }, 60000));
    TestClient idle(kPort);
    QVERIFY(idle.send("110|"));
    const QByteArray status = TestClient::exchange(kPort, "140|1|#CQ#");
    QVERIFY2(status.startsWith("00|140|"), status.constData());
    QVERIFY2(QJsonDocument::fromJson(status.mid(7)).object().value("avance").toInt() < 98, status.constData());

    QElapsedTimer timer;
    timer.start();
    QCOMPARE(TestClient::exchange(kPort, "170|#CQ#"), QByteArray("00|170"));
    QVERIFY(waitUntil([] { return !portAnswers(); }, 30000));
    gate.open();
    QVERIFY(ends(&service, 30000));
    QCOMPARE(service.exitStatus(), QProcess::NormalExit);
    QCOMPARE(service.exitCode(), 0);
    // The idle client would hold the end for its whole 120 s wait; half of it tells the two apart on any machine.
    QVERIFY2(timer.elapsed() < 60000, QByteArray::number(timer.elapsed()).constData());
    QCOMPARE(idle.receiveAll(5000), QByteArray());
    QCOMPARE(filesMatching(temporary.path(), kIndexName), QStringList());
    QCOMPARE(filesMatching(book.work, kTemporaryName), QStringList());
}

// A quit while two jobs' reads of their books are held, and stay held until the service has gone: the jobs stop
// without waiting for their reads, so the service ends at once with status 0, however long the reads would take.
// Their detail copies, held in a read too, are given their moment and then dropped whole: no key index, no
// temporary file, no part of a copy is left.
void TestOrvantis::quitWithHeldJobs()
{
    BookFixture first;
    BookFixture second;
    const TemporaryFolder temporary;
    ReadGate firstGate(first.book);
    ReadGate secondGate(second.book);
    if (!firstGate.isValid() || !secondGate.isValid())
        QSKIP(kNoReadGate);
    startService();
    QCOMPARE(TestClient::exchange(kPort, first.request()), QByteArray("00|130|1"));
    QCOMPARE(TestClient::exchange(kPort, second.request()), QByteArray("00|130|2"));
    QVERIFY(waitUntil([&] { return firstGate.held() > 0 && secondGate.held() > 0; }, 60000));

    QElapsedTimer timer;
    timer.start();
    QCOMPARE(TestClient::exchange(kPort, "170|#CQ#"), QByteArray("00|170"));
    QVERIFY(ends(&service, 60000));
    QCOMPARE(service.exitStatus(), QProcess::NormalExit);
    QCOMPARE(service.exitCode(), 0);
    // The held jobs kept the end waiting for the whole 30 s shutdown wait before; half of it tells the two apart.
    QVERIFY2(timer.elapsed() < 15000, QByteArray::number(timer.elapsed()).constData());
    QCOMPARE(filesMatching(temporary.path(), kIndexName), QStringList());
    QCOMPARE(first.workFiles() + second.workFiles(), QStringList());
}

// A quit while three jobs run, their readings held in a read of their books while their copies go on: the two
// that merged no error keep their detail copies, whole, as a cancel leaves them, and the one that merged an error
// keeps none. The service still ends with status 0, and leaves no key index and no temporary file.
void TestOrvantis::quitKeepsTheCopiesOfCleanJobs()
{
    BookFixture clean[2];
    BookFixture spoiled;
    // More than the reading's first read, so that the spoiled book's first line is merged before its reading waits.
    for (BookFixture *book : {&clean[0], &clean[1], &spoiled})
        QVERIFY(book->makeLong(30000));
    QVERIFY(spoilFirstLine(spoiled));
    const TemporaryFolder temporary;
    ReadGate firstGate(clean[0].book, kReadingThread);
    ReadGate secondGate(clean[1].book, kReadingThread);
    ReadGate spoiledGate(spoiled.book, kReadingThread, 1);
    if (!firstGate.isValid() || !secondGate.isValid() || !spoiledGate.isValid())
        QSKIP(kNoReadGate);
    startService();
    QCOMPARE(TestClient::exchange(kPort, clean[0].request()), QByteArray("00|130|1"));
    QCOMPARE(TestClient::exchange(kPort, clean[1].request()), QByteArray("00|130|2"));
    QCOMPARE(TestClient::exchange(kPort, spoiled.request()), QByteArray("00|130|3"));
    QVERIFY(waitUntil([&] {
        const QJsonObject third = QJsonDocument::fromJson(TestClient::exchange(kPort, "140|3|#CQ#").mid(7)).object();
        return firstGate.held() > 0 && secondGate.held() > 0 && spoiledGate.held() > 0
               && third.value("nerrores").toInt() > 0 && clean[0].copiedWhole() && clean[1].copiedWhole();
    }, 60000));
    for (const QByteArray ticket : {"1", "2"}) {
        const QByteArray status = TestClient::exchange(kPort, "140|" + ticket + "|#CQ#");
        QCOMPARE(QJsonDocument::fromJson(status.mid(7)).object().value("nregistros").toInt(), 0);
    }

    QCOMPARE(TestClient::exchange(kPort, "170|#CQ#"), QByteArray("00|170"));
    QVERIFY(ends(&service, 60000));
    QCOMPARE(service.exitStatus(), QProcess::NormalExit);
    QCOMPARE(service.exitCode(), 0);
    for (const BookFixture &book : clean) {
        const QStringList left = book.workFiles();
        QCOMPARE(left.size(), 1);
        QVERIFY2(left.first().endsWith(QStringLiteral("99.txt")), qPrintable(left.first()));
        QVERIFY(BookFixture::contents(left.first()) == BookFixture::contents(book.book));
    }
    QCOMPARE(spoiled.workFiles(), QStringList());
    QCOMPARE(filesMatching(temporary.path(), kIndexName), QStringList());
}

// A quit while a hash's read of its file is held: what no stop reaches is given 2 s, and the service then ends with
// status 0 all the same, without waiting for the read.
void TestOrvantis::quitDuringHeldHash()
{
    BookFixture book;
    ReadGate gate(book.book);
    if (!gate.isValid())
        QSKIP(kNoReadGate);
    startService();
    QByteArray answer;
    const QByteArray hash = "180|" + book.book.toUtf8() + "|#CQ#";
    std::thread client([&answer, &hash] { answer = TestClient::exchange(kPort, hash); });
    const bool held = waitUntil([&gate] { return gate.held() > 0; }, 60000);
    QElapsedTimer timer;
    timer.start();
    const QByteArray quit = TestClient::exchange(kPort, "170|#CQ#");
    const bool ended = ends(&service, 60000);
    const qint64 elapsed = timer.elapsed();
    gate.open();
    client.join();
    QVERIFY(held);
    QCOMPARE(quit, QByteArray("00|170"));
    QVERIFY(ended);
    QCOMPARE(service.exitStatus(), QProcess::NormalExit);
    QCOMPARE(service.exitCode(), 0);
    // The whole shutdown wait was 30 s before; half of it tells the two apart.
    QVERIFY2(elapsed < 15000, QByteArray::number(elapsed).constData());
    QCOMPARE(answer, QByteArray());
}

// Ten thousand connections at once against a service held to 1024 open files: it holds as many as it can spare
// descriptors for while their requests come, closing the clients silent longest to make room, a descriptor each and
// no thread; a handshake is answered while the flood is still connected, and once the flood is gone a whole job.
void TestOrvantis::survivesConnectionFlood()
{
    const int flood = 10000;
    if (!raiseOwnFileLimit(flood + 256))
        QSKIP(kNoRoomForClients);
    startService(1024);
    const pid_t pid = servicePid(service.processId());
    QVERIFY(pid > 0);
    std::vector<int> clients;
    clients.reserve(flood);
    for (int i = 0; i < flood; ++i) {
        const int fd = connectNow(kPort);
        QVERIFY2(fd >= 0, QByteArray::number(i).constData());
        clients.push_back(fd);
    }
    // Every client is accepted in turn; those the service cannot keep are closed.
    const int kept = ServiceLimits::forOpenFiles(1024).waiting;
    QVERIFY(waitUntil([&] { return service.state() != QProcess::Running || closedCount(clients) >= flood - kept; },
                      180000));
    QVERIFY2(service.state() == QProcess::Running, "the service died under the flood");
    QCOMPARE(closedCount(clients), flood - kept);
    // A thread per connection would be thousands.
    QVERIFY(statusFigure(pid, "Threads") < 32);

    // Its place is that of the client silent longest.
    QVERIFY(TestClient::exchange(kPort, "110|#CQ#").startsWith("00|110|{"));
    QCOMPARE(closedCount(clients), flood - kept + 1);
    for (const int fd : clients)
        ::close(fd);
    QVERIFY(TestClient::exchange(kPort, "110|#CQ#").startsWith("00|110|{"));
    wholeJob(1);
    QVERIFY(service.state() == QProcess::Running);
}

// Thousands of clients that connect and send nothing, or half a request, cost the service a descriptor each and no
// thread: a handshake and a whole job are served while every one of them is still connected and unanswered.
void TestOrvantis::silentClientsBesideServed()
{
    const int silent = 2500;
    if (!raiseOwnFileLimit(silent + 256))
        QSKIP(kNoRoomForClients);
    startService(4096);
    QVERIFY(ServiceLimits::forOpenFiles(4096).waiting > silent);
    const pid_t pid = servicePid(service.processId());
    QVERIFY(pid > 0);
    std::vector<std::unique_ptr<TestClient>> clients;
    for (int i = 0; i < silent; ++i) {
        clients.emplace_back(new TestClient(kPort));
        QVERIFY2(clients.back()->connected, QByteArray::number(i).constData());
        if (i % 3 == 0)
            QVERIFY(clients.back()->send("130|eyJj"));
    }
    QVERIFY(waitUntil([pid, silent] { return openDescriptors(pid) > silent; }, 60000));
    QVERIFY(statusFigure(pid, "Threads") < 32);

    QVERIFY(TestClient::exchange(kPort, "110|#CQ#").startsWith("00|110|{"));
    wholeJob(1);
    for (size_t i = 0; i < clients.size(); ++i)
        QVERIFY2(clients.at(i)->untouched(), QByteArray::number(qulonglong(i)).constData());
}

// With the running service's soft limit on open files lowered to what it holds plus none to five, no request of any
// kind ends the process: each gets its answer, a clear code (a validation 94|130|908, a hash 94|180, a job's results
// 999) or a closed connection, at once; a client silent meanwhile gives its place. With the limit raised back the
// service serves as before.
void TestOrvantis::descriptorsRunOut()
{
    SKIP_UNDER_SANITIZERS_WITHOUT_DESCRIPTORS();
    startService();
    const pid_t pid = servicePid(service.processId());
    QVERIFY(pid > 0);
    // What the service holds between requests, once answered connections are closed and jobs have ended.
    const int idle = openDescriptors(pid);
    const QByteArray handshake = TestClient::exchange(kPort, "110|#CQ#");
    QVERIFY(handshake.startsWith("00|110|{"));
    rlimit files;
    QVERIFY(::prlimit(pid, RLIMIT_NOFILE, nullptr, &files) == 0);
    BookFixture book;
    const QByteArray hash = "180|" + book.book.toUtf8() + "|#CQ#";
    const QByteArray hashed = TestClient::exchange(kPort, hash);
    QVERIFY(hashed.startsWith("00|180|"));
    QList<QByteArray> tickets;

    for (int free = 0; free <= 5; ++free) {
        const QByteArray row = "free " + QByteArray::number(free) + ": ";
        QVERIFY2(waitUntil([pid, idle] { return openDescriptors(pid) == idle; }, 60000), row.constData());
        TestClient silent(kPort);
        QVERIFY(silent.connected);
        QVERIFY(waitUntil([pid, idle] { return openDescriptors(pid) > idle; }, 60000));
        rlimit lowered = files;
        lowered.rlim_cur = rlim_t(limitLeaving(pid, free));
        QVERIFY(::prlimit(pid, RLIMIT_NOFILE, &lowered, nullptr) == 0);
        const QList<QByteArray> requests = {"110|#CQ#", "140|nope|#CQ#", hash, book.request()};
        for (const QByteArray &request : requests) {
            QElapsedTimer timer;
            timer.start();
            TestClient client(kPort);
            QVERIFY(client.connected);
            client.send(request);
            bool closed = false;
            const QByteArray answer = client.receiveAll(30000, &closed);
            // Berkeley DB spent 12 s retrying an index it had no descriptor for; half of it tells the two apart.
            QVERIFY2(closed && timer.elapsed() < 6000, (row + request.left(4) + answer.left(40)).constData());
            const QList<QByteArray> allowed = {QByteArray(), handshake, "98|140", hashed, "94|180", "94|130|908"};
            QVERIFY2(allowed.contains(answer) || answer.startsWith("00|130|"),
                     (row + request.left(4) + answer.left(40)).constData());
            if (answer.startsWith("00|130|"))
                tickets << answer.mid(7);
            QVERIFY2(service.state() == QProcess::Running, row.constData());
        }
        QVERIFY(::prlimit(pid, RLIMIT_NOFILE, &files, nullptr) == 0);
    }

    QCOMPARE(TestClient::exchange(kPort, "110|#CQ#"), handshake);
    QCOMPARE(TestClient::exchange(kPort, hash), hashed);
    // The jobs that began short of descriptors have ended, whatever they could write.
    for (const QByteArray &ticket : tickets) {
        QVERIFY(waitUntil([&ticket] {
            const QByteArray answer = TestClient::exchange(kPort, "140|" + ticket + "|#CQ#");
            return QJsonDocument::fromJson(answer.mid(7)).object().value("avance").toInt() == 100;
        }, 60000));
    }
    wholeJob();
    QVERIFY(service.state() == QProcess::Running);
}

// Eight clients at once, each with a request just under the cap: the service holds each request once, and decodes
// only the field a transaction reads, one large one at a time.
void TestOrvantis::largeRequestsBoundedMemory()
{
    startService();
    const pid_t pid = servicePid(service.processId());
    QVERIFY(pid > 0);
    const QByteArray request = "140|" + QByteArray(64 * 1024 * 1024 - 16, 'A') + "|#CQ#";
    QByteArray answers[8];
    std::vector<std::thread> clients;
    for (QByteArray &answer : answers)
        clients.emplace_back([&request, &answer] { answer = TestClient::exchange(kPort, request); });
    for (std::thread &client : clients)
        client.join();
    for (const QByteArray &answer : answers)
        QCOMPARE(answer, QByteArray("98|140"));
    const qint64 peakKiB = statusFigure(pid, "VmHWM");
    QVERIFY(peakKiB > 0);
    QVERIFY2(peakKiB < kPeakKiB, QByteArray::number(peakKiB).constData());
}

// A service killed while a job runs leaves the job's detail copy under its temporary name and its key index; the
// next service removes the index once it holds the port, and the copy when a job writes in that folder again.
// What live processes hold under the same shapes of name stays.
void TestOrvantis::killedServiceLeavesNoStrays()
{
    BookFixture book;
    const TemporaryFolder temporary;
    QStringList index;
    QStringList copy;
    {
        // The job is held at its first read of the book, so it still runs when the service dies.
        ReadGate gate(book.book);
        if (!gate.isValid())
            QSKIP(kNoReadGate);
        startService();
        const pid_t pid = servicePid(service.processId());
        QVERIFY(pid > 0);
        QVERIFY(TestClient::exchange(kPort, book.request()).startsWith("00|130|"));
        QVERIFY(waitUntil([&] {
            return gate.held() > 0 && !filesMatching(temporary.path(), kIndexName).isEmpty()
                   && !filesMatching(book.work, kTemporaryName).isEmpty();
        }, 60000));
        QCOMPARE(::kill(pid, SIGKILL), 0);
        QVERIFY(ends(&service, 30000));
        index = filesMatching(temporary.path(), kIndexName);
        copy = filesMatching(book.work, kTemporaryName);
    }
    QCOMPARE(index.size(), 1);
    QCOMPARE(copy.size(), 1);

    // A live index of another program under a name the service gives, and a live temporary file of a writer whose
    // id means nothing here, as one in another PID namespace: it holds the file's lock.
    KovBerkeley live;
    const QString liveIndex = QDir(temporary.path()).filePath(QStringLiteral("0000001977.idx"));
    QVERIFY(live.open(liveIndex));
    const QString liveCopy = QFileInfo(copy.first()).dir().filePath(QStringLiteral(".kov-4194305-1-0.tmp"));
    QFile liveFile(liveCopy);
    QVERIFY(liveFile.open(QIODevice::WriteOnly));
    QCOMPARE(::flock(liveFile.handle(), LOCK_EX), 0);

    startService();
    QVERIFY(TestClient::exchange(kPort, "110|#CQ#").startsWith("00|110|{"));
    QVERIFY(!QFileInfo::exists(index.first()));
    QVERIFY(QFileInfo::exists(liveIndex));
    QVERIFY(QFileInfo::exists(copy.first()));

    QCOMPARE(TestClient::exchange(kPort, book.request()), QByteArray("00|130|1"));
    QVERIFY(waitUntil([] {
        const QByteArray answer = TestClient::exchange(kPort, "150|1|#CQ#");
        return QJsonDocument::fromJson(answer.mid(7)).object().value("control").toObject().value("avance").toInt()
               == 100;
    }, 60000));
    QCOMPARE(filesMatching(book.work, kTemporaryName), QStringList(liveCopy));
    QCOMPARE(filesMatching(temporary.path(), kIndexName), QStringList(liveIndex));
    live.removeFile();
    // Its display's files are in the temporary folder, which goes with this test.
    QCOMPARE(TestClient::exchange(kPort, "170|#CQ#"), QByteArray("00|170"));
    QVERIFY(ends(&service, 30000));
}

QTEST_GUILESS_MAIN(TestOrvantis)
#include "tst_orvantis.moc"
