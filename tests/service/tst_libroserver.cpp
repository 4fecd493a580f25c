// The server on the loopback with real clients: reading the request line, writing the answer, closing.
#include "../engine/heldlines.h"
#include "../patterns/patronhostilfixture.h"
#include "bookfixture.h"
#include "heldjobs.h"
#include "kovhilos.h"
#include "kovjobtable.h"
#include "kovjuezpatron.h"
#include "kovlibro.h"
#include "libroserver.h"
#include "librothread.h"
#include "lingeringclose.h"
#include "platform.h"
#include "servicelimits.h"
#include "testclient.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutexLocker>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSemaphore>
#include <QSharedPointer>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <functional>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>

namespace {

// Half the wait for an answer to leave, which the service once spent waiting for every client to close: a test
// that must tell "at once" from "after that wait" allows this much.
const int kHalfWaitMs = LingeringClose::kWaitMs / 2;

// A server running its event loop on a thread of its own, so that the test thread can be a blocking client.
class ServerFixture
{
public:
    ServerFixture()
    {
        thread.start();
        server = new LibroServer;
        server->moveToThread(&thread);
        QMetaObject::invokeMethod(
            server, [this] { server->listen(QHostAddress(QHostAddress::LocalHost), 0); },
            Qt::BlockingQueuedConnection);
        port = server->serverPort();
    }
    // Runs on the server's own thread, and returns once it has run there.
    void onServer(const std::function<void()> &work)
    {
        QMetaObject::invokeMethod(server, work, Qt::BlockingQueuedConnection);
    }
    void setMaxConnections(int count)
    {
        onServer([this, count] { server->setMaxConnections(count); });
    }
    void setMaxWaiting(int count)
    {
        onServer([this, count] { server->setMaxWaiting(count); });
    }
    int connectionCount()
    {
        int count = 0;
        onServer([this, &count] { count = server->connectionCount(); });
        return count;
    }
    // Connections held while their requests come, those come and not yet served included.
    int waitingCount()
    {
        int count = 0;
        onServer([this, &count] { count = server->waitingCount(); });
        return count;
    }
    // Connection threads still running, jobs included.
    int runningThreads()
    {
        int count = 0;
        onServer([this, &count] {
            for (LibroThread *thread : server->findChildren<LibroThread *>())
                count += thread->isRunning() ? 1 : 0;
        });
        return count;
    }
    // Asks the server to stop, waiting at most waitMs for its threads, and tells whether it has stopped within ms.
    // The test thread does not wait on the server's, so that a stop that takes longer is seen as such.
    bool stopsWithin(int waitMs, int ms)
    {
        const QSharedPointer<QSemaphore> stopped = QSharedPointer<QSemaphore>::create();
        QMetaObject::invokeMethod(
            server, [this, waitMs, stopped] { server->shutDown(waitMs); stopped->release(); }, Qt::QueuedConnection);
        return stopped->tryAcquire(1, ms);
    }
    ~ServerFixture()
    {
        shutDown();
        thread.quit();
        thread.wait();
    }
    void shutDown()
    {
        if (!server)
            return;
        QMetaObject::invokeMethod(server, [this] { delete server; }, Qt::BlockingQueuedConnection);
        server = nullptr;
    }

    QThread thread;
    LibroServer *server = nullptr;
    quint16 port = 0;
};

// The ticket of an early reply "00|130|<ticket>", or an empty text.
QByteArray ticketOf(const QByteArray &answer)
{
    return answer.startsWith("00|130|") ? answer.mid(7) : QByteArray();
}

// The status JSON of a job, or an empty object once the ticket has left the table.
QJsonObject progress(quint16 port, const QByteArray &ticket)
{
    const QByteArray answer = TestClient::exchange(port, "140|" + ticket + "|#CQ#");
    return answer.startsWith("00|140|") ? QJsonDocument::fromJson(answer.mid(7)).object() : QJsonObject();
}

// The request of the fixture's book with its glosa column checked by the held column function.
QByteArray heldRequest(const BookFixture &book)
{
    QByteArray json = QByteArray::fromBase64(book.request().split('|').value(1));
    json.replace("\"descripcion\": \"glosa\"}",
                 "\"descripcion\": \"glosa\", \"funcion\": \"" + QByteArray(HeldLines::name()) + "\"}");
    return "130|" + json.toBase64() + "|#CQ#";
}

// The code the set-up gives a request, with no bound on jobs: empty for one that would start.
QString setUpCode(const QByteArray &line)
{
    KovLibro book;
    book.setTicket(QStringLiteral("sinCota"));
    const bool ready = book.parse(QString::fromLatin1(line.split('|').value(1)));
    book.closeHandles();
    return ready ? QString() : book.getParseError();
}

// Requests with up to three of the faults a set-up refuses, drawn at random, each at any place the request names
// it; those drawn with none would start. The first fault in the set-up's order decides the code.
QList<QByteArray> faultyRequests(const BookFixture &book, const QString &emptyBook, int count, quint32 seed)
{
    const QJsonObject base = QJsonDocument::fromJson(QByteArray::fromBase64(book.request().split('|').value(1)))
                                 .object();
    QRandomGenerator random(seed);
    QList<QByteArray> requests;
    for (int n = 0; n < count; ++n) {
        QJsonObject r = base;
        QJsonArray columns = r.value(QStringLiteral("columnas")).toArray();
        QByteArray raw;
        const int faults = int(random.bounded(4));
        for (int f = 0; f < faults; ++f) {
            const int at = int(random.bounded(columns.size()));
            QJsonObject column = columns.at(at).toObject();
            switch (random.bounded(13)) {
            case 0: raw = "{\"codigo\": "; break;
            case 1: raw = "[1, 2]"; break;
            case 2: r.remove(QStringLiteral("codigo")); break;
            case 3: r.insert(QStringLiteral("periodo"), QString()); break;
            case 4: r.insert(QStringLiteral("path"), QString()); break;
            case 5: r.insert(QStringLiteral("ncolumnas"), -int(random.bounded(2))); break;
            case 6: r.insert(QStringLiteral("ncolumnas"), 7); break;
            case 7:
                column.insert(QStringLiteral("longitud"), random.bounded(2) ? QString() : QStringLiteral("&x"));
                break;
            case 8: column.insert(QStringLiteral("patron"), patronesHostiles().value(0).second); break;
            case 9: r.insert(QStringLiteral("path"), book.book + QStringLiteral(".missing")); break;
            case 10:
                r.insert(QStringLiteral("path"), QStringLiteral("/nonexistent/") + QString(250, QLatin1Char('x')));
                break;
            case 11: r.insert(QStringLiteral("path"), emptyBook); break;
            case 12: r.insert(QStringLiteral("path"), book.dir.path()); break;
            }
            if (column != columns.at(at).toObject())
                columns[at] = column;
        }
        r.insert(QStringLiteral("columnas"), columns);
        const QByteArray json = raw.isEmpty() ? QJsonDocument(r).toJson(QJsonDocument::Compact) : raw;
        requests.append("130|" + json.toBase64() + "|#CQ#");
    }
    return requests;
}

// A job's record whose results are far larger than the socket buffers.
QString jobWithManyErrors()
{
    const QString ticket = kovNewJob();
    QMutexLocker lock(&gMutex);
    KovControl record = gMap.value(ticket);
    for (int line = 1; line <= 200000; ++line)
        record.errores.append(QVariantMap({{"cod", "003"}, {"col", 2}, {"fil", line}}));
    gMap.insert(ticket, record);
    return ticket;
}

// The descriptors the process holds.
int openDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
}

bool waitFinished(quint16 port, const QByteArray &ticket, int ms = 120000)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        if (progress(port, ticket).value("avance").toInt() == 100)
            return true;
        QThread::msleep(50);
    }
    return false;
}

} // namespace

class TestLibroServer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { fixture.reset(new ServerFixture); }
    // Lines a failed test left held must not keep the server's end waiting.
    void cleanup()
    {
        HeldLines::release();
        fixture.reset();
    }

    void answersAndCloses();
    void requestInPieces();
    void halfClosedClientGetsAnswer();
    void latin1Answer();
    void requestDecoding_data();
    void requestDecoding();
    void stallRuleEndsReading();
    void bytesAfterTheMarker_data();
    void bytesAfterTheMarker();
    void largeAnswerToSlowReader();
    void silentClientGetsNoAnswer();
    void oversizedRequest();
    void hashOverTheWire_data();
    void hashOverTheWire();
    void shutDownWithIdleConnection();
    void validationRoundTrip();
    void jobRunsWhenClientHasGone();
    void patternPastTheBound();
    void setUpWaitingForItsJudge();
    void cancelLongJob();
    void twoJobsAtOnce();
    void shutDownCancelsRunningJob();
    void shutDownLeavesHeldChecks();
    void requestsPastTheBoundWait();
    void silentClientsHoldNoSlot();
    void generatedClients_data();
    void generatedClients();
    void descriptorsRunOut();
    void jobsPastTheBound();
    void keptConnectionsHoldNothing_data();
    void keptConnectionsHoldNothing();
    void trickleAfterTheAnswer();
    void shutDownClosesWhatIsClosing();

private:
    QScopedPointer<ServerFixture> fixture;
};

// The bounds follow the open-file limit: a small one, as a shell may set, keeps the job bound within reach.
void TestLibroServer::initTestCase()
{
    rlimit files;
    QVERIFY(::getrlimit(RLIMIT_NOFILE, &files) == 0);
    files.rlim_cur = qMin<rlim_t>(files.rlim_max, 256);
    QVERIFY(::setrlimit(RLIMIT_NOFILE, &files) == 0);
    QCOMPARE(ServiceLimits::current().jobs, ServiceLimits::forOpenFiles(qint64(files.rlim_cur)).jobs);
    // The bounds stay those of the small limit; the tests' own clients, thousands at once, need more.
    files.rlim_cur = files.rlim_max;
    QVERIFY(::setrlimit(RLIMIT_NOFILE, &files) == 0);
    // Patterns only QRegExp can match are judged by a child of the service's own executable, as in the service.
    KovJuezPatron::setEjecutable(QStringLiteral(ORVANTIS_BINARY));
}

void TestLibroServer::answersAndCloses()
{
    TestClient client(fixture->port);
    QVERIFY(client.connected);
    QVERIFY(client.send("110|#CQ#"));
    bool closed = false;
    const QByteArray answer = client.receiveAll(30000, &closed);
    QVERIFY(closed);
    QVERIFY2(answer.startsWith("00|110|{\n    \"ipAddress\": "), answer.constData());
    QVERIFY(answer.endsWith("\"version\": \"Win-4.0.0\"\n}"));

    QCOMPARE(TestClient::exchange(fixture->port, "abc|#CQ#"), QByteArray("96"));
    // A line break after the marker, as a shell's echo sends it, changes nothing.
    QCOMPARE(TestClient::exchange(fixture->port, "160|77|#CQ#\n"), QByteArray("98|160"));
    QCOMPARE(TestClient::exchange(fixture->port, "140|77|#CQ#"), QByteArray("98|140"));
}

void TestLibroServer::requestInPieces()
{
    TestClient client(fixture->port);
    QVERIFY(client.connected);
    // The marker itself arrives split across two pieces.
    const QList<QByteArray> pieces = {"14", "0|nope|#C", "Q#"};
    for (const QByteArray &piece : pieces) {
        QVERIFY(client.send(piece));
        QThread::msleep(150);
    }
    QCOMPARE(client.receiveAll(), QByteArray("98|140"));
}

void TestLibroServer::halfClosedClientGetsAnswer()
{
    TestClient client(fixture->port);
    QVERIFY(client.connected);
    QVERIFY(client.send("110|#CQ#"));
    client.halfClose();
    QVERIFY(client.receiveAll().startsWith("00|110|{"));
}

void TestLibroServer::latin1Answer()
{
    const QString ticket = kovNewJob();
    {
        QMutexLocker lock(&gMutex);
        KovControl record = gMap.value(ticket);
        record.status.setPathWork(QString::fromUtf8("/tmp/libró/€/"));
        gMap.insert(ticket, record);
    }
    const QByteArray answer = TestClient::exchange(fixture->port, "150|" + ticket.toLatin1() + "|#CQ#");
    QVERIFY2(answer.contains("\"directorio\": \"/tmp/libr\xF3/?/\""), answer.constData());
    kovRemoveJob(ticket);
}

void TestLibroServer::requestDecoding_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("expected");

    // The record's key stands for "@" in the request.
    QTest::newRow("text ends at the first NUL") << "" << QByteArray("140|@\0|#CQ#", 12) << QByteArray("00|140|{");
    QTest::newRow("NUL inside the ticket") << "" << QByteArray("140|@\0x|#CQ#", 13) << QByteArray("00|140|{");
    QTest::newRow("UTF-8 in") << QString::fromUtf8("ñ") << QByteArray("140|@|#CQ#") << QByteArray("00|140|{");
    QTest::newRow("mark before the code") << "" << QByteArray("\xEF\xBB\xBF" "140|@|#CQ#") << QByteArray("00|140|{");
    QTest::newRow("mark before the ticket is part of it") << "" << QByteArray("140|\xEF\xBB\xBF@|#CQ#")
                                                          << QByteArray("98|140");
    QTest::newRow("marked ticket") << QString(QChar(0xFEFF)) << QByteArray("140|@|#CQ#") << QByteArray("00|140|{");
    QTest::newRow("not read as Latin-1") << QString::fromUtf8("Ã±") << QByteArray("140|\xC3\xB1|#CQ#")
                                         << QByteArray("98|140");
}

void TestLibroServer::requestDecoding()
{
    QFETCH(QString, key);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, expected);
    const QString ticket = key + kovNewJob();
    if (!key.isEmpty()) {
        QMutexLocker lock(&gMutex);
        gMap.insert(ticket, KovControl());
    }
    request.replace('@', ticket.toUtf8());
    const QByteArray answer = TestClient::exchange(fixture->port, request);
    QVERIFY2(answer.startsWith(expected), answer.constData());
    QMutexLocker lock(&gMutex);
    gMap.remove(ticket);
    gMap.remove(ticket.mid(key.size()));
}

// "140" without its marker: the attempt after the peer's close brings nothing new, the next one ends the reading.
void TestLibroServer::stallRuleEndsReading()
{
    QTest::ignoreMessage(QtDebugMsg, "Ocurrio una excepcion a la regla de lectura de socket");
    TestClient client(fixture->port);
    QVERIFY(client.connected);
    QVERIFY(client.send("140"));
    client.halfClose();
    bool closed = false;
    QCOMPARE(client.receiveAll(30000, &closed), QByteArray("95|140"));
    QVERIFY(closed);
}

// A result far larger than the socket buffers, read by a client that starts reading late, arrives whole.
void TestLibroServer::bytesAfterTheMarker_data()
{
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<int>("after");
    QTest::newRow("handshake, 2 MB after") << QByteArray("110") << 2000000;
    QTest::newRow("handshake, the request cap after") << QByteArray("110") << 64 * 1024 * 1024;
    QTest::newRow("validation, 2 MB after") << QByteArray("130") << 2000000;
}

// Whatever a client sends after its request in the same write, up to the size of a request, does not cost it the
// answer: it is read and dropped before the connection closes, so the closing is no reset.
void TestLibroServer::bytesAfterTheMarker()
{
    QFETCH(QByteArray, code);
    QFETCH(int, after);
    BookFixture book;
    const QByteArray request = code == "130" ? book.request() : code + "|#CQ#";
    const QByteArray answer = TestClient::exchange(fixture->port, request + QByteArray(after, 'x'));
    QVERIFY2(answer.startsWith("00|" + code + "|"), answer.left(40).constData());
    if (code == "130") {
        const QByteArray ticket = ticketOf(answer);
        QVERIFY(waitFinished(fixture->port, ticket));
        QCOMPARE(TestClient::exchange(fixture->port, "160|" + ticket + "|#CQ#"), QByteArray("00|160"));
    }
}

void TestLibroServer::largeAnswerToSlowReader()
{
    const QString ticket = jobWithManyErrors();
    TestClient client(fixture->port);
    QVERIFY(client.connected);
    QVERIFY(client.send("150|" + ticket.toLatin1() + "|#CQ#"));
    QThread::msleep(1500);
    bool closed = false;
    const QByteArray answer = client.receiveAll(60000, &closed);
    QVERIFY(closed);
    QVERIFY2(answer.size() > 10 * 1024 * 1024, QByteArray::number(answer.size()).constData());
    QVERIFY(answer.endsWith("\"resumen\": [\n    ]\n}"));
    QVERIFY(answer.contains("\"fil\": 200000\n"));
    kovRemoveJob(ticket);
}

void TestLibroServer::silentClientGetsNoAnswer()
{
    TestClient client(fixture->port);
    QVERIFY(client.connected);
    client.halfClose();
    bool closed = false;
    QCOMPARE(client.receiveAll(30000, &closed), QByteArray());
    QVERIFY(closed);

    // White space only: the stall rule ends the reading once the peer has nothing more to say.
    TestClient blank(fixture->port);
    QVERIFY(blank.send("  \n"));
    blank.halfClose();
    QCOMPARE(blank.receiveAll(30000, &closed), QByteArray());
    QVERIFY(closed);
}

void TestLibroServer::oversizedRequest()
{
    TestClient client(fixture->port);
    QVERIFY(client.connected);
    QVERIFY(client.send("140|" + QByteArray(64 * 1024 * 1024 - 3, 'A')));
    bool closed = false;
    QCOMPARE(client.receiveAll(60000, &closed), QByteArray("96"));
    QVERIFY(closed);
}

void TestLibroServer::hashOverTheWire_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("file") << "file" << QByteArray("00|180|a9993e364706816aba3e25717850c26c9cd0d89d");
    QTest::newRow("empty file") << "empty" << QByteArray("00|180|da39a3ee5e6b4b0d3255bfef95601890afd80709");
    QTest::newRow("fifo") << "fifo" << QByteArray("94|180");
    // Inside the request a byte-order mark is part of the path, and no file has that name.
    QTest::newRow("mark before the path") << "marked" << QByteArray("94|180");
}

void TestLibroServer::hashOverTheWire()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath("book.txt");
    if (kind == "fifo") {
        QVERIFY(::mkfifo(path.toUtf8().constData(), 0600) == 0);
    } else {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(kind == "file" ? "abc" : "");
    }
    const QByteArray mark = kind == "marked" ? QByteArray("\xEF\xBB\xBF") : QByteArray();
    QCOMPARE(TestClient::exchange(fixture->port, "180|" + mark + path.toUtf8() + "|#CQ#"), expected);
}

// A client that connected and sends nothing must not hold the service's exit for its 120 s wait.
void TestLibroServer::shutDownWithIdleConnection()
{
    TestClient client(fixture->port);
    QVERIFY(client.connected);
    QVERIFY(client.send("110|"));
    QThread::msleep(200);
    QElapsedTimer timer;
    timer.start();
    fixture->shutDown();
    // The idle client would hold the end for its whole 120 s wait; half of it tells the two apart on any machine.
    QVERIFY2(timer.elapsed() < 60000, QByteArray::number(timer.elapsed()).constData());
    bool closed = false;
    QCOMPARE(client.receiveAll(5000, &closed), QByteArray());
    QVERIFY(closed);
    QCOMPARE(TestClient(fixture->port).connected, false);
}

void TestLibroServer::validationRoundTrip()
{
    BookFixture book;
    const QByteArray ticket = ticketOf(TestClient::exchange(fixture->port, book.request()));
    QVERIFY(!ticket.isEmpty());
    QVERIFY(waitFinished(fixture->port, ticket));

    const QByteArray answer = TestClient::exchange(fixture->port, "150|" + ticket + "|#CQ#");
    QVERIFY2(answer.startsWith("00|150|{"), answer.constData());
    const QJsonObject result = QJsonDocument::fromJson(answer.mid(7)).object();
    const QJsonObject control = result.value("control").toObject();
    QCOMPARE(control.value("nregistros").toInt(), 3);
    QCOMPARE(control.value("nerrores").toInt(), 0);
    QVERIFY(result.value("errores").toArray().isEmpty());
    const QString folder = control.value("directorio").toString();
    QVERIFY2(folder.startsWith(book.work + "/20100066603/20240100050000"), qPrintable(folder));
    for (const char *key : {"archivoDetalle", "archivoResumen", "archivoCasillas"}) {
        const QString name = control.value(key).toString();
        QVERIFY2(!name.isEmpty() && QFileInfo(QDir(folder).filePath(name)).isFile(), key);
    }
    QFile copy(QDir(folder).filePath(control.value("archivoDetalle").toString()));
    QVERIFY(copy.open(QIODevice::ReadOnly));
    QFile original(book.book);
    QVERIFY(original.open(QIODevice::ReadOnly));
    QCOMPARE(copy.readAll(), original.readAll());

    QCOMPARE(TestClient::exchange(fixture->port, "160|" + ticket + "|#CQ#"), QByteArray("00|160"));
    QCOMPARE(TestClient::exchange(fixture->port, "140|" + ticket + "|#CQ#"), QByteArray("98|140"));
}

namespace {

// The book fixture's request with the period column's pattern replaced, as JSON text.
QByteArray withPattern(const QByteArray &json, const QString &patron)
{
    const QByteArray texto = QJsonDocument(QJsonArray{patron}).toJson(QJsonDocument::Compact);
    return QByteArray(json).replace("\"[0-9]{8}\"", texto.mid(1, texto.size() - 2));
}

} // namespace

// A pattern that QRegExp would compile for seconds, or not at all, is a column that cannot be built; the service
// goes on serving, and the next job is validated whole, also with a pattern only QRegExp can match.
void TestLibroServer::patternPastTheBound()
{
    BookFixture book;
    const QByteArray json = QByteArray::fromBase64(book.request().split('|').value(1));
    QVERIFY(json.contains("\"[0-9]{8}\""));
    QStringList refusedPatterns{QStringLiteral("(a|b)").repeated(20000), QStringLiteral("((a|b){1,999}){1,999}")};
    for (const auto &hostil : patronesHostiles())
        refusedPatterns << hostil.second;
    for (const QString &patron : refusedPatterns) {
        const QByteArray refused = withPattern(json, patron);
        QVERIFY(refused != json);
        QCOMPARE(TestClient::exchange(fixture->port, "130|" + refused.toBase64() + "|#CQ#"),
                 QByteArray("94|130|909"));
    }
    const QByteArray onlyQRegExp = withPattern(json, QStringLiteral("(2)0\\1[0-9]{5}"));
    for (const QByteArray &request : {book.request(), "130|" + onlyQRegExp.toBase64() + "|#CQ#"}) {
        const QByteArray ticket = ticketOf(TestClient::exchange(fixture->port, request));
        QVERIFY(!ticket.isEmpty());
        QVERIFY(waitFinished(fixture->port, ticket));
        const QJsonObject control = progress(fixture->port, ticket);
        QCOMPARE(control.value("nregistros").toInt(), 3);
        QCOMPARE(control.value("nerrores").toInt(), 0);
        QCOMPARE(TestClient::exchange(fixture->port, "160|" + ticket + "|#CQ#"), QByteArray("00|160"));
    }
}

// A set-up whose judge of patterns is slow in wall time, as on a loaded machine, holds no other client back: while
// its child is stopped a 110 is answered and another layout's job runs to its end; and a stop of the server ends it
// all the same, the waiting set-up giving way at once.
void TestLibroServer::setUpWaitingForItsJudge()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString pidFile = dir.filePath(QStringLiteral("judge.pid"));
    const QString judge = dir.filePath(QStringLiteral("judge"));
    QFile script(judge);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\necho $$ > '" + QFile::encodeName(pidFile) + "'; kill -STOP $$; exec '" ORVANTIS_BINARY
                 "' \"$@\"\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    KovJuezPatron::setEjecutable(judge);
    const auto restore = qScopeGuard([] { KovJuezPatron::setEjecutable(QStringLiteral(ORVANTIS_BINARY)); });

    BookFixture book;
    const QByteArray json = QByteArray::fromBase64(book.request().split('|').value(1));
    const QByteArray slow = "130|" + withPattern(json, QStringLiteral("(2)0\\1[0-9]{5}|judged slowly")).toBase64()
                            + "|#CQ#";
    QByteArray slowAnswer;
    std::unique_ptr<QThread> client(
        QThread::create([&] { slowAnswer = TestClient::exchange(fixture->port, slow); }));
    client->start();
    pid_t child = 0;
    // Should the test fail on the way, the set-up's child goes, and with it the wait.
    const auto joined = qScopeGuard([&] {
        if (!client->isFinished() && child > 0)
            ::kill(child, SIGKILL);
        client->wait();
    });
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            QFile file(pidFile);
            child = file.open(QIODevice::ReadOnly) ? pid_t(file.readAll().trimmed().toInt()) : 0;
            QFile stat(QStringLiteral("/proc/%1/stat").arg(child));
            const QByteArray text = child > 0 && stat.open(QIODevice::ReadOnly) ? stat.readAll() : QByteArray();
            const int close = text.lastIndexOf(')');
            return close > 0 && text.mid(close + 2, 1) == "T";
        }(),
        120000);
    KovJuezPatron::setEjecutable(QStringLiteral(ORVANTIS_BINARY));

    QVERIFY(TestClient::exchange(fixture->port, "110|#CQ#").startsWith("00|110|"));
    const QByteArray ticket = ticketOf(TestClient::exchange(fixture->port, book.request()));
    QVERIFY(!ticket.isEmpty());
    QVERIFY(waitFinished(fixture->port, ticket));
    QCOMPARE(progress(fixture->port, ticket).value("nregistros").toInt(), 3);
    QVERIFY(!client->isFinished());

    // The judge would wait 120 s for its child; half of that tells the two apart on any machine, and the server's
    // own wait is longer still, so that only the set-up's giving way can meet it.
    QVERIFY(fixture->stopsWithin(150000, 60000));
    QVERIFY(client->wait(60000));
    QCOMPARE(slowAnswer, QByteArray("94|130|909"));
    QVERIFY(::kill(child, 0) != 0 && errno == ESRCH);
}

// The early reply goes to a client that has already closed: the failed write is ignored and the job still runs.
void TestLibroServer::jobRunsWhenClientHasGone()
{
    BookFixture book;
    qint64 before = 0;
    {
        QMutexLocker lock(&gMutex);
        before = gTicket;
    }
    {
        TestClient client(fixture->port);
        QVERIFY(client.connected);
        QVERIFY(client.send(book.request()));
    }
    const QByteArray ticket = QByteArray::number(before + 1);
    QVERIFY(waitFinished(fixture->port, ticket));
    QCOMPARE(progress(fixture->port, ticket).value("nregistros").toInt(), 3);
    QCOMPARE(TestClient::exchange(fixture->port, "160|" + ticket + "|#CQ#"), QByteArray("00|160"));
}

void TestLibroServer::cancelLongJob()
{
    BookFixture book;
    HeldJobs::hold();
    const QByteArray ticket = ticketOf(TestClient::exchange(fixture->port, book.request(HeldJobs::name())));
    QVERIFY(!ticket.isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(HeldJobs::waiting(), 1, 30000);
    QCOMPARE(TestClient::exchange(fixture->port, "120|" + ticket + "|#CQ#"), QByteArray("00|120"));
    // A cancelled job leaves the table; had it run to its end it would stay there with "avance" 100.
    QTRY_COMPARE_WITH_TIMEOUT(TestClient::exchange(fixture->port, "140|" + ticket + "|#CQ#"), QByteArray("98|140"),
                              60000);
    HeldJobs::release();
}

void TestLibroServer::twoJobsAtOnce()
{
    BookFixture first;
    BookFixture second;
    QVERIFY(first.makeLong(20000));
    QVERIFY(second.makeLong(30000));
    const QByteArray one = ticketOf(TestClient::exchange(fixture->port, first.request()));
    const QByteArray two = ticketOf(TestClient::exchange(fixture->port, second.request()));
    QVERIFY(!one.isEmpty() && !two.isEmpty());
    QCOMPARE(two.toLongLong(), one.toLongLong() + 1);
    QVERIFY(waitFinished(fixture->port, one));
    QVERIFY(waitFinished(fixture->port, two));
    QCOMPARE(progress(fixture->port, one).value("nregistros").toInt(), 20000);
    QCOMPARE(progress(fixture->port, two).value("nregistros").toInt(), 30000);
    QCOMPARE(progress(fixture->port, two).value("nerrores").toInt(), 0);
    TestClient::exchange(fixture->port, "160|" + one + "|#CQ#");
    TestClient::exchange(fixture->port, "160|" + two + "|#CQ#");
}

// Stopping the server while a job runs cancels the job and lets its thread end, instead of destroying it.
void TestLibroServer::shutDownCancelsRunningJob()
{
    BookFixture book;
    HeldJobs::hold();
    const QByteArray ticket = ticketOf(TestClient::exchange(fixture->port, book.request(HeldJobs::name())));
    QVERIFY(!ticket.isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(progress(fixture->port, ticket).value("nregistros").toInt() > 0, 30000);
    QTRY_COMPARE_WITH_TIMEOUT(HeldJobs::waiting(), 1, 30000);
    QElapsedTimer timer;
    timer.start();
    fixture->shutDown();
    HeldJobs::release();
    // A held job would keep the end waiting for good; a minute tells the two apart on any machine.
    QVERIFY2(timer.elapsed() < 60000, QByteArray::number(timer.elapsed()).constData());
    QVERIFY(!kovGetJob(QString::fromLatin1(ticket), nullptr));
}

// Stopping the server while three jobs' checks are held inside a line: the jobs stop at once and leave the table,
// with no key index and no temporary file, while the lines are still held. The two that merged no error keep their
// detail copies, which ran beside the checks, whole; the one that merged an error keeps none. Let go, the lines end
// and no later line of any job is checked.
void TestLibroServer::shutDownLeavesHeldChecks()
{
    BookFixture first;
    BookFixture second;
    BookFixture spoiled;
    // Its first line refused, and merged with the batch it ends before the held line is reached in the next one.
    QByteArray lines = "20240100|M1|2024-01-05|Asiento de prueba|10.00|X|\n";
    for (int i = 2; i < 200; ++i)
        lines += "20240100|M" + QByteArray::number(i) + "|2024-01-05|Asiento de prueba|10.00|1|\n";
    lines += "20240100|M200|2024-01-05|Pago de servicios|10.00|1|\n";
    QVERIFY(spoiled.write(lines));
    HeldLines::hold(QStringLiteral("Pago de servicios"));
    const QByteArray one = ticketOf(TestClient::exchange(fixture->port, heldRequest(first)));
    const QByteArray two = ticketOf(TestClient::exchange(fixture->port, heldRequest(second)));
    const QByteArray three = ticketOf(TestClient::exchange(fixture->port, heldRequest(spoiled)));
    QVERIFY(!one.isEmpty() && !two.isEmpty() && !three.isEmpty());
    QVERIFY(HeldLines::waitHeld(3, 30000));
    QTRY_VERIFY_WITH_TIMEOUT(progress(fixture->port, three).value("nerrores").toInt() > 0, 30000);
    // Two lines of each small book, and the spoiled book's two batches to the held line, the first one merged.
    QCOMPARE(HeldLines::checked(), 2 + 2 + 200);
    QTRY_VERIFY_WITH_TIMEOUT(first.copiedWhole() && second.copiedWhole(), 30000);

    // The held lines would keep the end waiting for the whole shutdown wait, 30 s before; half of it tells the two
    // apart on any machine, and the wait given is longer still, so that only the jobs' own end can meet it.
    QVERIFY(fixture->stopsWithin(60000, 15000));
    QCOMPARE(HeldLines::waiting(), 3);
    for (const QByteArray &ticket : {one, two, three}) {
        QVERIFY(!kovGetJob(QString::fromLatin1(ticket), nullptr));
        const QRegularExpression index(QStringLiteral("^[0-9]{6}") + QString::fromLatin1(ticket)
                                       + QStringLiteral("\\.idx$"));
        QCOMPARE(QDir(QDir::tempPath()).entryList(QDir::Files | QDir::Hidden).filter(index), QStringList());
    }
    for (const BookFixture *book : {&first, &second}) {
        const QStringList left = book->workFiles();
        QCOMPARE(left.size(), 1);
        QVERIFY2(left.first().endsWith(QStringLiteral("99.txt")), qPrintable(left.first()));
        QVERIFY(BookFixture::contents(left.first()) == BookFixture::contents(book->book));
    }
    QCOMPARE(spoiled.workFiles(), QStringList());

    HeldLines::release();
    QVERIFY(KovHilos::esperaQuietud(30000));
    QCOMPARE(HeldLines::late(), 0);
    QCOMPARE(HeldLines::checked(), 2 + 2 + 200);
}

// While every connection thread is taken, a request that has come waits for one, read and unanswered; it is served
// as soon as one of them ends. The threads are held by clients that read nothing of a large answer.
void TestLibroServer::requestsPastTheBoundWait()
{
    fixture->setMaxConnections(2);
    const QString ticket = jobWithManyErrors();
    TestClient first(fixture->port);
    TestClient second(fixture->port);
    for (TestClient *reader : {&first, &second})
        QVERIFY(reader->connected && reader->send("150|" + ticket.toLatin1() + "|#CQ#"));
    QTRY_COMPARE_WITH_TIMEOUT(fixture->connectionCount(), 2, 30000);

    TestClient waiting(fixture->port);
    QVERIFY(waiting.connected);
    QVERIFY(waiting.send("110|#CQ#"));
    QTRY_COMPARE_WITH_TIMEOUT(fixture->waitingCount(), 1, 30000);
    bool closed = true;
    QCOMPARE(waiting.receiveAll(500, &closed), QByteArray());
    QVERIFY(!closed);
    QCOMPARE(fixture->connectionCount(), 2);

    bool firstClosed = false;
    QVERIFY(first.receiveAll(60000, &firstClosed).endsWith("\"resumen\": [\n    ]\n}"));
    QVERIFY(firstClosed);
    QVERIFY(waiting.receiveAll(30000, &closed).startsWith("00|110|{"));
    QVERIFY(closed);
    QVERIFY(second.receiveAll(60000, &closed).endsWith("\"resumen\": [\n    ]\n}"));
    QTRY_COMPARE_WITH_TIMEOUT(fixture->connectionCount(), 0, 30000);
    kovRemoveJob(ticket);
}

// Thousands of clients that connect and send nothing, or half a request and then nothing, hold no connection thread
// and no connection slot: with two slots, a handshake and a validation are answered while every one of them is still
// connected and unanswered.
void TestLibroServer::silentClientsHoldNoSlot()
{
    const int silent = 2000;
    fixture->setMaxConnections(2);
    fixture->setMaxWaiting(silent + 16);
    std::vector<std::unique_ptr<TestClient>> clients;
    for (int i = 0; i < silent; ++i) {
        clients.emplace_back(new TestClient(fixture->port));
        QVERIFY2(clients.back()->connected, QByteArray::number(i).constData());
        if (i % 2 == 1)
            QVERIFY(clients.back()->send(QByteArray("140|", 1 + i % 4)));
    }
    QTRY_COMPARE_WITH_TIMEOUT(fixture->waitingCount(), silent, 60000);
    QCOMPARE(fixture->connectionCount(), 0);
    QCOMPARE(fixture->runningThreads(), 0);

    QVERIFY(TestClient::exchange(fixture->port, "110|#CQ#").startsWith("00|110|{"));
    BookFixture book;
    const QByteArray ticket = ticketOf(TestClient::exchange(fixture->port, book.request()));
    QVERIFY(!ticket.isEmpty());
    QVERIFY(waitFinished(fixture->port, ticket));
    QCOMPARE(progress(fixture->port, ticket).value("nregistros").toInt(), 3);
    QCOMPARE(TestClient::exchange(fixture->port, "160|" + ticket + "|#CQ#"), QByteArray("00|160"));
    for (size_t i = 0; i < clients.size(); ++i)
        QVERIFY2(clients.at(i)->untouched(), QByteArray::number(qulonglong(i)).constData());
    QCOMPARE(fixture->waitingCount(), silent);
}

namespace {

// One generated client: when it connects, what it sends in which pieces after which pauses, whether it then closes
// its side, and the answer it must get (none when it sends no whole request and keeps its connection).
struct GeneratedClient
{
    enum Kind { Silent, HalfThenSilent, Whole, Trickling, HalfThenClosing, ClosingAtOnce };

    Kind kind = Silent;
    qint64 startMs = 0;
    QList<QByteArray> pieces;
    QList<int> pausesMs;
    bool halfClose = false;
    std::unique_ptr<TestClient> client;
    int sent = 0;
    qint64 nextMs = 0;
    QByteArray answer;
    bool closed = false;

    bool answers() const { return kind == Whole || kind == Trickling || kind == HalfThenClosing; }
};

// Requests that change nothing in the service, as bytes that may run past their marker.
QByteArray generatedRequest(QRandomGenerator *random)
{
    static const char *const requests[] = {"110|#CQ#", "140|%|#CQ#", "150|%|#CQ#", "120|%|#CQ#", "160|%|#CQ#",
                                           "abc|#CQ#", "140%|#CQ#", "140|%\0x|#CQ#", " 110|#CQ#"};
    const int which = int(random->bounded(quint32(sizeof requests / sizeof requests[0])));
    const QByteArray shape(requests[which], which == 7 ? 13 : int(qstrlen(requests[which])));
    QByteArray request = QByteArray(shape).replace('%', "nope" + QByteArray::number(random->bounded(1000)));
    if (random->bounded(3) == 0)
        request += QByteArray(int(random->bounded(2000)), 'x');
    return request;
}

// What the dispatcher answers to the bytes, as the wire carries it; empty when nothing is written.
QByteArray dispatched(QByteArray bytes)
{
    const int nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes.truncate(nul);
    LibroThread thread(-1, nullptr);
    const QString reply = thread.processRequest(QString::fromUtf8(bytes), nullptr);
    return reply == QLatin1String("NO-RETURN") ? QByteArray() : toLatin1Wire(reply);
}

// The bytes cut at random places, each piece at least one byte.
QList<QByteArray> cutAtRandom(const QByteArray &bytes, int most, QRandomGenerator *random)
{
    QList<QByteArray> pieces;
    int at = 0;
    while (at < bytes.size()) {
        const int length = qMin(bytes.size() - at, 1 + int(random->bounded(quint32(most))));
        pieces << bytes.mid(at, length);
        at += length;
    }
    return pieces;
}

GeneratedClient *generatedClient(QRandomGenerator *random, qint64 startMs)
{
    GeneratedClient *generated = new GeneratedClient;
    generated->kind = GeneratedClient::Kind(random->bounded(6));
    generated->startMs = startMs;
    const QByteArray request = generatedRequest(random);
    const int marker = request.indexOf("#CQ#");
    const QByteArray half = request.left(1 + int(random->bounded(quint32(marker))));
    switch (generated->kind) {
    case GeneratedClient::Silent:
    case GeneratedClient::ClosingAtOnce:
        break;
    case GeneratedClient::HalfThenSilent:
        generated->pieces = cutAtRandom(half, 4, random);
        break;
    case GeneratedClient::Whole:
        generated->pieces << request;
        break;
    case GeneratedClient::Trickling:
        generated->pieces = cutAtRandom(request.left(marker + 4), 3, random);
        if (request.size() > marker + 4)
            generated->pieces << request.mid(marker + 4);
        break;
    case GeneratedClient::HalfThenClosing:
        generated->pieces = cutAtRandom(half, 4, random);
        generated->halfClose = true;
        break;
    }
    // Pauses well within the wait for a piece, as a slow client makes them.
    for (int i = 0; i < generated->pieces.size(); ++i)
        generated->pausesMs << int(random->bounded(generated->kind == GeneratedClient::Trickling ? 300 : 50));
    if (generated->answers())
        generated->answer = dispatched(generated->kind == GeneratedClient::HalfThenClosing ? half
                                                                                          : request);
    return generated;
}

} // namespace

void TestLibroServer::generatedClients_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("capacity");
    for (const quint32 seed : {1u, 2u, 3u}) {
        QTest::newRow(qPrintable(QStringLiteral("room for all, seed %1").arg(seed))) << seed << 1000;
        QTest::newRow(qPrintable(QStringLiteral("flood past the room, seed %1").arg(seed))) << seed << 12;
    }
}

// Clients of every kind arriving over two seconds: silent ones, ones that send half a request and then nothing,
// whole requests, requests trickled in small pieces, half requests ended by the client's close, clients that close at
// once. With two connection threads, every whole request is answered exactly as the dispatcher answers its text, and
// so is every half request its client closed; no thread is held by a client still sending. With room for all, every
// silent client is still connected at the end, and every trickled request is answered. Past the room's bound the room
// never holds more than it may, the clients silent longest are closed unanswered, and no answer is ever cut or wrong.
void TestLibroServer::generatedClients()
{
    QFETCH(quint32, seed);
    QFETCH(int, capacity);
    const bool roomForAll = capacity >= 1000;
    QRandomGenerator random(seed);
    fixture->setMaxConnections(2);
    fixture->setMaxWaiting(capacity);
    std::vector<std::unique_ptr<GeneratedClient>> clients;
    for (int i = 0; i < 150; ++i)
        clients.emplace_back(generatedClient(&random, qint64(random.bounded(2000))));

    QElapsedTimer clock;
    clock.start();
    bool busy = true;
    while (busy) {
        busy = false;
        const qint64 now = clock.elapsed();
        for (auto &generated : clients) {
            if (!generated->client && now >= generated->startMs) {
                generated->client.reset(new TestClient(fixture->port));
                QVERIFY(generated->client->connected);
                generated->nextMs = now;
                if (generated->kind == GeneratedClient::ClosingAtOnce)
                    ::shutdown(generated->client->fd, SHUT_RDWR);
            }
            if (!generated->client || generated->sent < generated->pieces.size())
                busy = true;
            if (!generated->client || generated->sent >= generated->pieces.size() || now < generated->nextMs)
                continue;
            // A client closed for want of room sees its sends fail; what it gets is looked at below.
            generated->client->send(generated->pieces.at(generated->sent));
            generated->nextMs = now + generated->pausesMs.at(generated->sent);
            if (++generated->sent == generated->pieces.size() && generated->halfClose)
                generated->client->halfClose();
        }
        QVERIFY(fixture->runningThreads() <= 2);
        QVERIFY2(fixture->waitingCount() <= capacity, QByteArray::number(fixture->waitingCount()).constData());
        QThread::msleep(5);
    }

    int answered = 0;
    for (size_t i = 0; i < clients.size(); ++i) {
        GeneratedClient &generated = *clients.at(i);
        const QByteArray name = QByteArray::number(qulonglong(i)) + " kind " + QByteArray::number(generated.kind);
        if (generated.kind == GeneratedClient::ClosingAtOnce)
            continue;
        if (!generated.answers()) {
            if (roomForAll)
                QVERIFY2(generated.client->untouched(), name.constData());
            continue;
        }
        bool closed = false;
        const QByteArray answer = generated.client->receiveAll(60000, &closed);
        QVERIFY2(closed, name.constData());
        // Past the room's bound a client whose request has not come whole may have been let go, unanswered.
        if (answer.isEmpty() && !roomForAll && generated.kind != GeneratedClient::Whole)
            continue;
        QVERIFY2(answer == generated.answer, (name + ": " + answer.left(60)).constData());
        answered += answer.isEmpty() ? 0 : 1;
    }
    QVERIFY(answered > 0);
    QVERIFY(fixture->waitingCount() <= capacity);
}

// Out of descriptors, a client in the queue takes the place of the client silent longest; with no such client to let
// go, the queued clients are closed at once rather than kept waiting, and a handshake that cannot ask for the host's
// interfaces is closed unanswered rather than answered wrongly. With descriptors free again the server serves as
// before.
void TestLibroServer::descriptorsRunOut()
{
    SKIP_UNDER_SANITIZERS_WITHOUT_DESCRIPTORS();
    const int before = openDescriptors();
    const QByteArray handshake = TestClient::exchange(fixture->port, "110|#CQ#");
    QVERIFY(handshake.startsWith("00|110|{"));
    TestClient silent(fixture->port);
    QVERIFY(silent.connected);
    QTRY_COMPARE_WITH_TIMEOUT(fixture->waitingCount(), 1, 30000);
    // Made before the descriptors run out: a connect takes none of the client's.
    TestClient replacing;
    TestClient dropped;
    TestClient handshaking;

    rlimit files;
    QVERIFY(::getrlimit(RLIMIT_NOFILE, &files) == 0);
    const rlim_t limit = files.rlim_cur;
    // The lowest descriptor free, and so the soft limit below which none is.
    const auto lowestFree = [] {
        int fd = 0;
        while (::fcntl(fd, F_GETFD) != -1)
            ++fd;
        return rlim_t(fd);
    };
    const auto lowerTo = [&files](rlim_t soft) {
        files.rlim_cur = soft;
        return ::setrlimit(RLIMIT_NOFILE, &files) == 0;
    };
    // Whatever fails, the tests after this one get their descriptors back.
    std::vector<int> ballast;
    const auto restored = qScopeGuard([&] {
        lowerTo(limit);
        for (const int fd : ballast)
            ::close(fd);
    });
    // Each step starts once the server has let go of the connections it is done with, which its closing thread
    // closes a moment after their clients see them end; the count needs a descriptor of its own, so it is taken
    // under the whole limit. Besides what it held before, the process holds the silent client's two ends (until
    // the first step lets it go) and the three clients' sockets. A descriptor closed out of turn leaves a hole
    // below the others, and a limit at the lowest hole would be under the descriptor the server frees in the
    // step: the holes are filled.
    const auto settled = [&](int held) {
        if (!lowerTo(limit)
            || !QTest::qWaitFor([&] { return openDescriptors() == before + held + int(ballast.size()); }, 30000))
            return false;
        const QStringList open = QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System);
        int highest = 0;
        for (const QString &fd : open)
            highest = qMax(highest, fd.toInt());
        while (lowestFree() < rlim_t(highest))
            ballast.push_back(::open("/dev/null", O_RDONLY | O_CLOEXEC));
        return true;
    };

    QVERIFY(settled(5));
    QVERIFY(lowerTo(lowestFree()));
    QVERIFY(replacing.connectTo(fixture->port) && replacing.send("140|nope|#CQ#"));
    bool closed = false;
    QCOMPARE(replacing.receiveAll(30000, &closed), QByteArray("98|140"));
    QVERIFY(closed);
    QCOMPARE(silent.receiveAll(30000, &closed), QByteArray());
    QVERIFY(closed);

    QVERIFY(settled(4));
    QVERIFY(lowerTo(lowestFree()));
    QVERIFY(dropped.connectTo(fixture->port));
    dropped.send("140|nope|#CQ#");
    QCOMPARE(dropped.receiveAll(30000, &closed), QByteArray());
    QVERIFY(closed);

    // One descriptor: the connection's own, and none for asking the system.
    QVERIFY(settled(4));
    QVERIFY(lowerTo(lowestFree() + 1));
    QVERIFY(handshaking.connectTo(fixture->port) && handshaking.send("110|#CQ#"));
    QCOMPARE(handshaking.receiveAll(30000, &closed), QByteArray());
    QVERIFY(closed);

    QVERIFY(settled(4));
    QCOMPARE(TestClient::exchange(fixture->port, "110|#CQ#"), handshake);
    QCOMPARE(TestClient::exchange(fixture->port, "140|nope|#CQ#"), QByteArray("98|140"));
}

// Running jobs do not count as connections: with two connections at most, polls are answered while more jobs
// than that run. Past the bound on jobs a validation is refused as one whose files could not be opened, and a
// job that ends makes room again.
void TestLibroServer::jobsPastTheBound()
{
    fixture->setMaxConnections(2);
    const int bound = ServiceLimits::current().jobs;
    QVERIFY(bound > 2);
    HeldJobs::hold();
    QList<QSharedPointer<BookFixture>> books;
    QList<QByteArray> tickets;
    for (int i = 0; i < bound; ++i) {
        books.append(QSharedPointer<BookFixture>::create());
        tickets.append(ticketOf(TestClient::exchange(fixture->port, books.last()->request(HeldJobs::name()))));
        QVERIFY2(!tickets.last().isEmpty(), QByteArray::number(i).constData());
    }
    QTRY_COMPARE_WITH_TIMEOUT(HeldJobs::waiting(), bound, 30000);
    for (const QByteArray &ticket : tickets)
        QCOMPARE(progress(fixture->port, ticket).value("nregistros").toInt(), 1);

    BookFixture extra;
    const QByteArray refused = TestClient::exchange(fixture->port, extra.request());
    QCOMPARE(refused, QByteArray("94|130|908"));
    // A request's own faults are answered as they would be with room, and only a request that would start is
    // answered as past the bound; none of them holds a place or a record.
    const QString emptyBook = extra.dir.filePath(QStringLiteral("empty.txt"));
    QVERIFY(QFile(emptyBook).open(QIODevice::WriteOnly));
    int wouldStart = 0;
    for (const QByteArray &request : faultyRequests(extra, emptyBook, 80, 24)) {
        const QString code = setUpCode(request);
        wouldStart += code.isEmpty() ? 1 : 0;
        const QByteArray expected = "94|130|" + (code.isEmpty() ? QByteArray("908") : code.toLatin1());
        QCOMPARE(TestClient::exchange(fixture->port, request), expected);
    }
    QVERIFY2(wouldStart > 0 && wouldStart < 80, QByteArray::number(wouldStart).constData());
    for (qint64 t = tickets.last().toLongLong() + 1; t <= tickets.last().toLongLong() + 1 + 80; ++t)
        QVERIFY(!kovGetJob(QString::number(t), nullptr));

    HeldJobs::release();
    for (const QByteArray &ticket : tickets) {
        QVERIFY(waitFinished(fixture->port, ticket));
        QCOMPARE(progress(fixture->port, ticket).value("nregistros").toInt(), 3);
        QCOMPARE(TestClient::exchange(fixture->port, "160|" + ticket + "|#CQ#"), QByteArray("00|160"));
    }
    // A job's place is given back when its thread is done with it, a moment after its last status.
    QTRY_COMPARE_WITH_TIMEOUT(fixture->runningThreads(), 0, 30000);
    const QByteArray again = ticketOf(TestClient::exchange(fixture->port, extra.request()));
    QCOMPARE(again.toLongLong(), tickets.last().toLongLong() + 2 + 80);
    QVERIFY(waitFinished(fixture->port, again));
    QCOMPARE(TestClient::exchange(fixture->port, "160|" + again + "|#CQ#"), QByteArray("00|160"));
}

void TestLibroServer::keptConnectionsHoldNothing_data()
{
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<int>("count");
    QTest::newRow("handshakes, as many as are served at once") << QByteArray("110")
                                                                << ServiceLimits::current().connections;
    QTest::newRow("validations, as many as run at once") << QByteArray("130") << ServiceLimits::current().jobs;
}

// Clients that read their answer and keep their connections, as many client libraries do: each costs the service
// one slice of silence, no connection slot and no job slot. Every job ends without waiting for its client, and a
// further handshake and validation are served at once while all of those sockets are still open.
void TestLibroServer::keptConnectionsHoldNothing()
{
    QFETCH(QByteArray, code);
    QFETCH(int, count);
    std::vector<std::unique_ptr<TestClient>> kept;
    QList<QSharedPointer<BookFixture>> books;
    QList<QByteArray> tickets;
    for (int i = 0; i < count; ++i) {
        if (code == "130")
            books.append(QSharedPointer<BookFixture>::create());
        const QByteArray request = code == "130" ? books.last()->request() : code + "|#CQ#";
        kept.emplace_back(new TestClient(fixture->port));
        QVERIFY(kept.back()->connected && kept.back()->send(request));
        // The service's end of the answer; the client's side stays open.
        bool closed = false;
        const QByteArray answer = kept.back()->receiveAll(30000, &closed);
        QVERIFY2(answer.startsWith("00|" + code + "|") && closed, QByteArray::number(i).constData());
        if (code == "130")
            tickets.append(ticketOf(answer));
    }
    QElapsedTimer timer;
    timer.start();
    for (const QByteArray &ticket : tickets)
        QVERIFY2(waitFinished(fixture->port, ticket, kHalfWaitMs), ticket.constData());
    QTRY_COMPARE_WITH_TIMEOUT(fixture->connectionCount(), 0, kHalfWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(fixture->runningThreads(), 0, kHalfWaitMs);
    QVERIFY2(timer.elapsed() < kHalfWaitMs, QByteArray::number(timer.elapsed()).constData());

    timer.restart();
    QVERIFY(TestClient::exchange(fixture->port, "110|#CQ#").startsWith("00|110|{"));
    BookFixture further;
    const QByteArray ticket = ticketOf(TestClient::exchange(fixture->port, further.request()));
    QVERIFY(!ticket.isEmpty());
    QVERIFY(waitFinished(fixture->port, ticket, kHalfWaitMs));
    QVERIFY2(timer.elapsed() < kHalfWaitMs, QByteArray::number(timer.elapsed()).constData());
    tickets.append(ticket);
    for (const QByteArray &done : tickets)
        QCOMPARE(TestClient::exchange(fixture->port, "160|" + done + "|#CQ#"), QByteArray("00|160"));
}

// A client that goes on sending after its request, with pauses shorter than the service's slice, keeps the close
// waiting for many slices: every piece is taken, the answer arrives whole, and the end is no reset.
void TestLibroServer::trickleAfterTheAnswer()
{
    TestClient client(fixture->port);
    QVERIFY(client.connected);
    QVERIFY(client.send("110|#CQ#"));
    {
        Trickle trickle(client.fd, LingeringClose::kSliceMs / 5);
        QTRY_VERIFY_WITH_TIMEOUT(trickle.pieces() >= 40 || trickle.failed(), 60000);
        trickle.stop();
        QVERIFY(!trickle.failed());
    }
    client.halfClose();
    bool closed = false;
    QVERIFY(client.receiveAll(30000, &closed).startsWith("00|110|{"));
    QVERIFY(closed);
    QCOMPARE(client.socketError(), 0);
}

// A quit closes the answered connections at once, however busy their clients: the one below would keep its drain
// going for the whole wait.
void TestLibroServer::shutDownClosesWhatIsClosing()
{
    TestClient client(fixture->port);
    QVERIFY(client.connected);
    QVERIFY(client.send("110|#CQ#"));
    Trickle trickle(client.fd, LingeringClose::kSliceMs / 5);
    bool closed = false;
    QVERIFY(client.receiveAll(30000, &closed).startsWith("00|110|{"));
    QVERIFY(closed);
    QTRY_COMPARE_WITH_TIMEOUT(fixture->connectionCount(), 0, 30000);
    QVERIFY(!trickle.failed());
    QElapsedTimer timer;
    timer.start();
    fixture->shutDown();
    QTRY_VERIFY_WITH_TIMEOUT(trickle.failed(), kHalfWaitMs);
    QVERIFY2(timer.elapsed() < kHalfWaitMs, QByteArray::number(timer.elapsed()).constData());
}

QTEST_GUILESS_MAIN(TestLibroServer)
#include "tst_libroserver.moc"
