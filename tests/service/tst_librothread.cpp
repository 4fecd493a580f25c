// The dispatcher and the transactions as plain functions of request text to answer text: no socket involved.
#include "bookfixture.h"
#include "kovjobtable.h"
#include "librothread.h"
#include "platform.h"
#include "testclient.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutexLocker>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include <sys/stat.h>

class TestLibroThread : public QObject
{
    Q_OBJECT

private slots:
    void dispatch_data();
    void dispatch();
    void formatResponse_data();
    void formatResponse();
    void handshake();
    void handshakeLoopbackOnly();
    void ticketLifecycle();
    void ticketsAreLookedUpUnchanged();
    void hash_data();
    void hash();
    void validationWithoutSocket();
    void readsItsOwnRequest_data();
    void readsItsOwnRequest();
    void descriptorNotAdopted();

private:
    QString answer(const QString &request)
    {
        LibroThread thread(-1, nullptr);
        return thread.processRequest(request, nullptr);
    }
};

void TestLibroThread::dispatch_data()
{
    QTest::addColumn<QString>("request");
    QTest::addColumn<QString>("expected");

    QTest::newRow("blank") << "" << "NO-RETURN";
    QTest::newRow("white space only") << " \t\r\n " << "NO-RETURN";
    QTest::newRow("two characters") << "ab" << "96";
    QTest::newRow("two after trimming") << "  9 \n" << "96";
    QTest::newRow("one character") << "7" << "96";
    QTest::newRow("no separator") << "110#CQ#" << "96";
    QTest::newRow("leading blank") << " 110|#CQ#" << "96";
    QTest::newRow("trailing blank in code") << "110 |#CQ#" << "96";
    QTest::newRow("unknown code") << "abc|#CQ#" << "96";
    QTest::newRow("longer code") << "1100|#CQ#" << "96";
    QTest::newRow("code 190") << "190|x|#CQ#" << "96";
    // The request is split untrimmed: a line break after a bare code is part of field 0.
    QTest::newRow("line break after bare code") << "170\n" << "96";
    QTest::newRow("separators only") << "|||" << "96";
    QTest::newRow("quit") << "170|#CQ#" << "00|170";
    QTest::newRow("quit bare") << "170" << "00|170";
    QTest::newRow("cancel without argument") << "120" << "95|120";
    QTest::newRow("progress without argument") << "140" << "95|140";
    QTest::newRow("results without argument") << "150" << "95|150";
    QTest::newRow("release without argument") << "160" << "95|160";
    QTest::newRow("hash without argument") << "180" << "95|180";
    QTest::newRow("marker kept in the ticket") << "140|7#CQ#" << "98|140";
    QTest::newRow("empty ticket") << "140||#CQ#" << "98|140";
    QTest::newRow("blanks kept in the ticket") << "140| 5 |#CQ#" << "98|140";
    QTest::newRow("unknown ticket cancel") << "120|nope|#CQ#" << "98|120";
    QTest::newRow("unknown ticket results") << "150|nope|#CQ#" << "98|150";
    QTest::newRow("unknown ticket release") << "160|nope|#CQ#" << "98|160";
    QTest::newRow("validation without argument") << "130" << "95|130";
    QTest::newRow("validation of an empty request") << "130||#CQ#" << "94|130|900";
    QTest::newRow("hash of empty path") << "180||#CQ#" << "94|180";
    QTest::newRow("hash of missing file") << "180|/nonexistent/file|#CQ#" << "94|180";
}

void TestLibroThread::dispatch()
{
    QFETCH(QString, request);
    QFETCH(QString, expected);
    QCOMPARE(answer(request), expected);
}

void TestLibroThread::formatResponse_data()
{
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("payload");
    QTest::addColumn<QString>("expected");

    QTest::newRow("json loses its final line break") << "00" << "110" << "{\n    \"a\": 1\n}\n"
                                                     << "00|110|{\n    \"a\": 1\n}";
    QTest::newRow("no payload") << "98" << "140" << "" << "98|140";
    QTest::newRow("bare status ignores payload") << "96" << "" << "anything" << "96";
    QTest::newRow("every part trimmed") << " 00 " << " 130 " << " 17\n" << "00|130|17";
    // Emptiness is judged before trimming: blanks still bring their separator.
    QTest::newRow("blank payload keeps its separator") << "00" << "140" << " \n" << "00|140|";
    QTest::newRow("blank code keeps its separator") << "00" << " " << "x" << "00||x";
    QTest::newRow("bare status trimmed") << " 96\n" << "" << "" << "96";
}

void TestLibroThread::formatResponse()
{
    QFETCH(QString, status);
    QFETCH(QString, code);
    QFETCH(QString, payload);
    QFETCH(QString, expected);
    QCOMPARE(LibroThread::formatResponse(status, code, payload), expected);
}

void TestLibroThread::handshake()
{
    const QString reply = answer(QStringLiteral("110|#CQ#"));
    const ChosenInterface chosen = chooseInterface(hostInterfaces());
    QCOMPARE(reply, QStringLiteral("00|110|{\n"
                                   "    \"ipAddress\": \"%1\",\n"
                                   "    \"macAddress\": \"%2\",\n"
                                   "    \"version\": \"Win-4.0.0\"\n"
                                   "}")
                        .arg(chosen.ipAddress, chosen.macAddress));
    // A bare code is the handshake all the same.
    QCOMPARE(answer(QStringLiteral("110")), reply);
}

// Run again inside a network namespace of its own whose only interface is the loopback.
void TestLibroThread::handshakeLoopbackOnly()
{
    if (qEnvironmentVariableIsSet("ORVANTIS_LOOPBACK_ONLY")) {
        const QJsonObject json = QJsonDocument::fromJson(answer(QStringLiteral("110|#CQ#")).mid(7).toUtf8()).object();
        QCOMPARE(json.value("macAddress").toString(), QStringLiteral("MAC-NOTFOUND"));
        QCOMPARE(json.value("ipAddress").toString(), QStringLiteral("0.0.0.0"));
        return;
    }
    QProcess probe;
    probe.start(QStringLiteral("unshare"), {QStringLiteral("-n"), QStringLiteral("true")});
    if (!probe.waitForFinished(10000) || probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0)
        QSKIP("no network namespaces here");

    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ORVANTIS_LOOPBACK_ONLY"), QStringLiteral("1"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QStringLiteral("unshare"),
                {QStringLiteral("-n"), QStringLiteral("sh"), QStringLiteral("-c"),
                 QStringLiteral("ip link set lo up && exec \"$0\" handshakeLoopbackOnly"),
                 QCoreApplication::applicationFilePath()});
    QVERIFY(child.waitForFinished(60000));
    QVERIFY2(child.exitCode() == 0, child.readAll().constData());
}

void TestLibroThread::ticketLifecycle()
{
    const QString ticket = kovNewJob();
    {
        QMutexLocker lock(&gMutex);
        KovControl record = gMap.value(ticket);
        record.status.setAvance(45);
        record.status.setNerrores(2);
        record.status.setRegistros(10);
        record.errores.append(QVariantMap({{"cod", "003"}, {"col", 2}, {"fil", 4}}));
        gMap.insert(ticket, record);
    }
    KovControl record;
    QVERIFY(kovGetJob(ticket, &record));

    QCOMPARE(answer("140|" + ticket + "|#CQ#"),
             LibroThread::formatResponse("00", "140", record.getStatus().toJson()));
    QCOMPARE(answer("150|" + ticket + "|#CQ#"), LibroThread::formatResponse("00", "150", record.toJson()));
    QVERIFY(answer("150|" + ticket + "|#CQ#").contains("\"fil\": 4"));

    const QString results = answer("150|" + ticket + "|#CQ#");
    QCOMPARE(answer("120|" + ticket + "|#CQ#"), QStringLiteral("00|120"));
    QVERIFY(kovGetJob(ticket, &record));
    QVERIFY(record.getStatus().isCancel());
    QCOMPARE(record.getStatus().getAvance(), 45);
    // The flag is all that changes: neither answer shows it.
    QCOMPARE(answer("150|" + ticket + "|#CQ#"), results);
    QCOMPARE(answer("120|" + ticket + "|#CQ#"), QStringLiteral("00|120"));

    QCOMPARE(answer("160|" + ticket + "|#CQ#"), QStringLiteral("00|160"));
    QCOMPARE(answer("160|" + ticket + "|#CQ#"), QStringLiteral("98|160"));
    QCOMPARE(answer("140|" + ticket + "|#CQ#"), QStringLiteral("98|140"));
    QCOMPARE(answer("120|" + ticket + "|#CQ#"), QStringLiteral("98|120"));
}

void TestLibroThread::ticketsAreLookedUpUnchanged()
{
    const QString ticket = kovNewJob();
    QCOMPARE(answer("140|" + ticket + "#CQ#"), QStringLiteral("98|140"));
    QCOMPARE(answer("140| " + ticket + "|#CQ#"), QStringLiteral("98|140"));
    QVERIFY(answer("140|" + ticket + "|#CQ#").startsWith(QLatin1String("00|140|{")));
    QVERIFY(answer("140|" + ticket).startsWith(QLatin1String("00|140|{")));
    kovRemoveJob(ticket);
}

void TestLibroThread::hash_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("expected");

    QTest::newRow("small file") << "abc" << "00|180|a9993e364706816aba3e25717850c26c9cd0d89d";
    QTest::newRow("empty file") << "empty" << "00|180|da39a3ee5e6b4b0d3255bfef95601890afd80709";
    QTest::newRow("several blocks") << "large" << "";
    QTest::newRow("name outside ASCII") << "utf8 name" << "00|180|a9993e364706816aba3e25717850c26c9cd0d89d";
    QTest::newRow("fifo") << "fifo" << "94|180";
    QTest::newRow("folder") << "folder" << "94|180";
    QTest::newRow("endless device") << "/dev/zero" << "94|180";
    QTest::newRow("null device") << "/dev/null" << "94|180";
    QTest::newRow("regular file whose read fails") << "/proc/self/mem" << "94|180";
}

void TestLibroThread::hash()
{
    QFETCH(QString, kind);
    QFETCH(QString, expected);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QString path = dir.filePath("book.txt");
    auto writeFile = [](const QString &name, const QByteArray &bytes) {
        QFile file(name);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    };
    if (kind == "abc") {
        QVERIFY(writeFile(path, "abc"));
    } else if (kind == "empty") {
        QVERIFY(writeFile(path, QByteArray()));
    } else if (kind == "large") {
        QByteArray bytes;
        for (int i = 0; i < 5000; ++i)
            bytes += QByteArray::number(i) + "|x|\n";
        QVERIFY(writeFile(path, bytes));
        expected = "00|180|" + QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex());
    } else if (kind == "utf8 name") {
        path = dir.filePath(QString::fromUtf8("libró €.txt"));
        QVERIFY(writeFile(path, "abc"));
    } else if (kind == "fifo") {
        QVERIFY(::mkfifo(path.toUtf8().constData(), 0600) == 0);
    } else if (kind == "folder") {
        path = dir.path();
    } else {
        path = kind;
    }
    QCOMPARE(answer("180|" + path + "|#CQ#"), expected);
}

// Without a socket the job runs at once on the calling thread; a failed set-up gives its number up.
void TestLibroThread::validationWithoutSocket()
{
    BookFixture fixture;
    const QString before = kovNewJob();
    kovRemoveJob(before);

    QFile::remove(fixture.book);
    QCOMPARE(answer(QString::fromLatin1(fixture.request())), QStringLiteral("94|130|906"));
    const QString failed = QString::number(before.toLongLong() + 1);
    QVERIFY(!kovGetJob(failed, nullptr));

    QVERIFY(QFile::copy(BookFixture::dataFile("LE20100066603202401000501000011111.txt"), fixture.book));
    QCOMPARE(answer(QString::fromLatin1(fixture.request())), QStringLiteral("NO-RETURN"));
    const QString ticket = QString::number(before.toLongLong() + 2);
    KovControl record;
    QVERIFY(kovGetJob(ticket, &record));
    QCOMPARE(record.getStatus().getAvance(), 100);
    QCOMPARE(record.getStatus().getRegistros(), qint64(3));
    QCOMPARE(record.getStatus().getNerrores(), qint64(0));
    QVERIFY(!record.getStatus().isRunning());
    kovRemoveJob(ticket);
}

void TestLibroThread::readsItsOwnRequest_data()
{
    QTest::addColumn<QList<QByteArray>>("pieces");
    QTest::addColumn<bool>("halfClose");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("whole") << QList<QByteArray>{"140|7|#CQ#"} << false << QByteArray("98|140");
    QTest::newRow("marker split across pieces") << QList<QByteArray>{"14", "0|7|#C", "Q#"} << false
                                                << QByteArray("98|140");
    QTest::newRow("ended by the client's close") << QList<QByteArray>{"140"} << true << QByteArray("95|140");
    QTest::newRow("nothing, then the close") << QList<QByteArray>() << true << QByteArray();
}

// Given no request by whoever accepted the connection, the thread reads it by the same rules.
void TestLibroThread::readsItsOwnRequest()
{
    QFETCH(QList<QByteArray>, pieces);
    QFETCH(bool, halfClose);
    QFETCH(QByteArray, expected);
    if (halfClose && !pieces.isEmpty())
        QTest::ignoreMessage(QtDebugMsg, "Ocurrio una excepcion a la regla de lectura de socket");
    std::unique_ptr<TestClient> client;
    const int fd = acceptedPair(&client);
    QVERIFY(fd >= 0 && client->connected);
    LibroThread thread(fd, nullptr);
    QVERIFY(thread.startServing());
    for (const QByteArray &piece : pieces) {
        QVERIFY(client->send(piece));
        QThread::msleep(100);
    }
    if (halfClose)
        client->halfClose();
    bool closed = false;
    QCOMPARE(client->receiveAll(30000, &closed), expected);
    QVERIFY(closed);
    QVERIFY(thread.wait(30000));
}

void TestLibroThread::descriptorNotAdopted()
{
    qRegisterMetaType<QAbstractSocket::SocketError>();
    LibroThread thread(-1, nullptr);
    QSignalSpy spy(&thread, &LibroThread::error);
    thread.start();
    QVERIFY(thread.wait(10000));
    QCOMPARE(spy.count(), 1);
}

QTEST_GUILESS_MAIN(TestLibroThread)
#include "tst_librothread.moc"
