// The closing of answered connections on the loopback: what a client that keeps its connection, or keeps sending,
// costs, and what the closing list holds.
#include "lingeringclose.h"
#include "testclient.h"

#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QtTest>

#include <memory>
#include <vector>

#include <sys/socket.h>

namespace {

// Half the usual wait: a connection closed within it was not kept for the whole wait.
const int kHalfWaitMs = LingeringClose::kWaitMs / 2;
// Well inside the slice, so that a loaded machine still keeps a trickle's pauses shorter than it.
const int kPauseMs = LingeringClose::kSliceMs / 5;

// Both ends of a loopback connection: the service's, answered and shut for writing, and the client's.
struct Connection
{
    Connection()
        : service(acceptedPair(&client))
    {
        if (service >= 0) {
            const QByteArray answer("00|110");
            ok = client->connected && ::send(service, answer.constData(), size_t(answer.size()), 0) == answer.size()
                 && ::shutdown(service, SHUT_WR) == 0;
        }
    }

    // The client has its answer and the end of it.
    bool answered()
    {
        bool closed = false;
        return client->receiveAll(kHalfWaitMs, &closed) == "00|110" && closed;
    }

    std::unique_ptr<TestClient> client;
    int service;
    bool ok = false;
};

int openDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
}

} // namespace

class TestLingeringClose : public QObject
{
    Q_OBJECT

private slots:
    void closesOnceTheClientIsDone_data();
    void closesOnceTheClientIsDone();
    void keepsDrainingWhileDataComes();
    void usualWaitEndsADrain();
    void holdsNoMoreThanItsCapacity();
    void closeAllAtOnce();
    void generatedClients_data();
    void generatedClients();
};

void TestLingeringClose::closesOnceTheClientIsDone_data()
{
    QTest::addColumn<QString>("client");
    QTest::newRow("keeps its connection, silent") << "silent";
    QTest::newRow("sent a little more, then silent") << "little";
    QTest::newRow("closed its side") << "closed";
    QTest::newRow("sends past a request's size") << "flood";
}

// A client that sends nothing more costs one slice, not the usual wait; the service's end is then orderly: nothing
// was left unread, so the client's connection shows no reset.
void TestLingeringClose::closesOnceTheClientIsDone()
{
    QFETCH(QString, client);
    LingeringClose closing(8);
    Connection connection;
    QVERIFY(connection.ok);
    QElapsedTimer timer;
    timer.start();
    if (client == "little")
        QVERIFY(connection.client->send(QByteArray(10000, 'x')));
    if (client == "closed")
        connection.client->halfClose();
    closing.takeOver(connection.service, 0);
    QVERIFY(connection.answered());
    if (client == "flood") {
        // Without a limit of bytes the drain would go on for the whole wait; past it the service resets.
        const QByteArray block(1 << 20, 'x');
        qint64 sent = 0;
        while (connection.client->send(block) && timer.elapsed() < kHalfWaitMs)
            sent += block.size();
        QVERIFY2(sent >= LingeringClose::kDropLimitBytes - block.size(), QByteArray::number(sent).constData());
        QVERIFY2(sent < 2 * LingeringClose::kDropLimitBytes, QByteArray::number(sent).constData());
        return;
    }
    QTRY_COMPARE_WITH_TIMEOUT(closing.held(), 0, kHalfWaitMs);
    QVERIFY2(timer.elapsed() < kHalfWaitMs, QByteArray::number(timer.elapsed()).constData());
    QCOMPARE(connection.client->socketError(), 0);
}

// Pauses shorter than the slice keep the drain going for many slices: every piece is taken, and the connection is
// let go one slice after the last.
void TestLingeringClose::keepsDrainingWhileDataComes()
{
    LingeringClose closing(8);
    Connection connection;
    QVERIFY(connection.ok);
    closing.takeOver(connection.service, 0);
    Trickle trickle(connection.client->fd, kPauseMs);
    const int pieces = 8 * LingeringClose::kSliceMs / kPauseMs;
    while (trickle.pieces() < pieces && !trickle.failed()) {
        QCOMPARE(closing.held(), 1);
        QThread::msleep(kPauseMs);
    }
    trickle.stop();
    QVERIFY(!trickle.failed());
    QVERIFY(connection.answered());
    QTRY_COMPARE_WITH_TIMEOUT(closing.held(), 0, kHalfWaitMs);
    QCOMPARE(connection.client->socketError(), 0);
}

// A client that never stops sending is let go at the end of the usual wait all the same.
void TestLingeringClose::usualWaitEndsADrain()
{
    const int waitMs = 4 * LingeringClose::kSliceMs;
    LingeringClose closing(8, waitMs);
    Connection connection;
    QVERIFY(connection.ok);
    QElapsedTimer timer;
    timer.start();
    closing.takeOver(connection.service, 0);
    Trickle trickle(connection.client->fd, kPauseMs);
    QTRY_VERIFY_WITH_TIMEOUT(trickle.failed(), kHalfWaitMs);
    QVERIFY(timer.elapsed() >= waitMs);
}

// Past its capacity the list lets go of the connections it has held longest; it never holds more descriptors.
void TestLingeringClose::holdsNoMoreThanItsCapacity()
{
    const int capacity = 3;
    const int count = capacity + 3;
    LingeringClose closing(capacity);
    std::vector<std::unique_ptr<Connection>> connections;
    std::vector<std::unique_ptr<Trickle>> trickles;
    for (int i = 0; i < count; ++i) {
        connections.emplace_back(new Connection);
        QVERIFY(connections.back()->ok);
        closing.takeOver(connections.back()->service, 0);
        trickles.emplace_back(new Trickle(connections.back()->client->fd, kPauseMs));
        QVERIFY(closing.held() <= capacity);
    }
    // The first ones are closed with the client still sending, which resets their connections.
    for (int i = 0; i < count - capacity; ++i)
        QTRY_VERIFY_WITH_TIMEOUT(trickles.at(size_t(i))->failed(), kHalfWaitMs);
    QThread::msleep(4 * LingeringClose::kSliceMs);
    QCOMPARE(closing.held(), capacity);
    for (int i = count - capacity; i < count; ++i)
        QVERIFY2(!trickles.at(size_t(i))->failed(), QByteArray::number(i).constData());
    for (auto &trickle : trickles)
        trickle->stop();
    for (auto &connection : connections)
        QVERIFY(connection->answered());
}

// A quit waits for no client: every connection held is closed before closeAll() returns, however busy its client.
void TestLingeringClose::closeAllAtOnce()
{
    LingeringClose closing(8);
    std::vector<std::unique_ptr<Connection>> connections;
    std::vector<std::unique_ptr<Trickle>> trickles;
    for (int i = 0; i < 4; ++i) {
        connections.emplace_back(new Connection);
        QVERIFY(connections.back()->ok);
        closing.takeOver(connections.back()->service, 0);
        trickles.emplace_back(new Trickle(connections.back()->client->fd, kPauseMs));
    }
    QCOMPARE(closing.held(), 4);
    closing.closeAll();
    QCOMPARE(closing.held(), 0);
    for (auto &trickle : trickles)
        QTRY_VERIFY_WITH_TIMEOUT(trickle->failed(), kHalfWaitMs);
    // The list serves again afterwards.
    Connection later;
    QVERIFY(later.ok);
    closing.takeOver(later.service, 0);
    QVERIFY(later.answered());
    QTRY_COMPARE_WITH_TIMEOUT(closing.held(), 0, kHalfWaitMs);
}

void TestLingeringClose::generatedClients_data()
{
    QTest::addColumn<int>("capacity");
    QTest::addColumn<quint32>("seed");
    for (const int capacity : {1, 4, 16})
        for (const quint32 seed : {1u, 2u})
            QTest::newRow(qPrintable(QStringLiteral("capacity %1, seed %2").arg(capacity).arg(seed)))
                << capacity << seed;
}

// Clients of every kind at once, three times as many as the list holds: silent ones, ones that close, ones that
// trickle for a while, ones that send a burst. The list never holds more than its capacity, lets every one go once
// it is done, and leaves no descriptor behind.
void TestLingeringClose::generatedClients()
{
    QFETCH(int, capacity);
    QFETCH(quint32, seed);
    QRandomGenerator random(seed);
    const int before = openDescriptors();
    {
        LingeringClose closing(capacity);
        std::vector<std::unique_ptr<Connection>> connections;
        std::vector<std::unique_ptr<Trickle>> trickles;
        std::vector<int> lengths;
        for (int i = 0; i < 3 * capacity; ++i) {
            connections.emplace_back(new Connection);
            Connection &connection = *connections.back();
            QVERIFY(connection.ok);
            closing.takeOver(connection.service, random.bounded(1000));
            QVERIFY(closing.held() <= capacity);
            switch (random.bounded(4)) {
            case 0:
                break;
            case 1:
                connection.client->halfClose();
                break;
            case 2:
                trickles.emplace_back(new Trickle(connection.client->fd, kPauseMs));
                lengths.push_back(1 + random.bounded(10));
                break;
            case 3:
                // Cut short by a reset when the list has let this one go already.
                connection.client->send(QByteArray(random.bounded(1 << 20), 'x'));
                break;
            }
        }
        bool trickling = true;
        while (trickling) {
            QVERIFY(closing.held() <= capacity);
            trickling = false;
            for (size_t i = 0; i < trickles.size(); ++i) {
                if (trickles.at(i)->pieces() >= lengths.at(i) || trickles.at(i)->failed())
                    trickles.at(i)->stop();
                else
                    trickling = true;
            }
            QThread::msleep(10);
        }
        QTRY_COMPARE_WITH_TIMEOUT(closing.held(), 0, kHalfWaitMs);
        for (auto &connection : connections)
            QVERIFY(connection->answered());
    }
    QCOMPARE(openDescriptors(), before);
}

QTEST_GUILESS_MAIN(TestLingeringClose)
#include "tst_lingeringclose.moc"
