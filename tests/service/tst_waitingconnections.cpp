// The room where accepted connections wait for their requests, on the loopback: which client is let go when it is
// full, what the requests may hold in it, and that it leaves no descriptor behind.
#include "testclient.h"
#include "waitingconnections.h"

#include <QDir>
#include <QtTest>

#include <atomic>
#include <algorithm>
#include <memory>
#include <thread>
#include <vector>

#include <sys/socket.h>

namespace {

// Both ends of a loopback connection: the service's, accepted, and the client's.
struct Connection
{
    Connection()
        : service(acceptedPair(&client))
    {
    }

    std::unique_ptr<TestClient> client;
    int service;
};

using Connections = std::vector<std::unique_ptr<Connection>>;

// A new connection at the end of `connections`; false when the pair could not be made.
bool openConnection(Connections *connections)
{
    connections->emplace_back(new Connection);
    return connections->back()->service >= 0;
}

// A new connection whose service's end the room takes over.
bool addConnection(WaitingConnections *room, Connections *connections)
{
    if (!openConnection(connections))
        return false;
    room->add(connections->back()->service);
    return true;
}

int openDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
}

// The requests that have come, as they are taken, in order.
class Taken
{
public:
    explicit Taken(WaitingConnections *room) : room(room) {}
    ~Taken()
    {
        for (const WaitingConnections::Ready &ready : requests)
            ::close(ready.fd);
    }
    // Takes what has come until `count` are there, waiting at most ms.
    bool waitFor(int count, int ms = 30000)
    {
        QElapsedTimer timer;
        timer.start();
        WaitingConnections::Ready ready;
        while (int(requests.size()) < count) {
            if (room->takeReady(&ready))
                requests.push_back(ready);
            else if (timer.elapsed() < ms)
                QThread::msleep(10);
            else
                return false;
        }
        return true;
    }

    WaitingConnections *room;
    std::vector<WaitingConnections::Ready> requests;
};

} // namespace

class TestWaitingConnections : public QObject
{
    Q_OBJECT

private slots:
    void longestSilentClosedFirst();
    void largeRequestsTakeTurns();
    void heldBackWaitsLikeTheSilent();
    void roomWhileNoRequestHasCome();
    void closeAllAtOnce();
};

// Past its capacity the room closes the connections whose clients have been silent longest: a client that sent a
// piece of its request lately keeps its place, and goes on to be read whole.
void TestWaitingConnections::longestSilentClosedFirst()
{
    const int before = openDescriptors();
    {
        std::atomic<int> calls{0};
        WaitingConnections room(4, [&calls] { ++calls; });
        Connections connections;
        for (int i = 0; i < 4; ++i)
            QVERIFY(addConnection(&room, &connections));
        QVERIFY(connections.at(0)->client->send("11"));
        QTest::qWait(200);
        for (int i = 0; i < 2; ++i)
            QVERIFY(addConnection(&room, &connections));
        QCOMPARE(room.held(), 4);
        for (const int closed : {1, 2}) {
            bool gone = false;
            QCOMPARE(connections.at(size_t(closed))->client->receiveAll(30000, &gone), QByteArray());
            QVERIFY2(gone, QByteArray::number(closed).constData());
        }
        for (const int kept : {0, 3, 4, 5})
            QVERIFY2(connections.at(size_t(kept))->client->untouched(), QByteArray::number(kept).constData());

        QVERIFY(connections.at(0)->client->send("0|#CQ#"));
        Taken taken(&room);
        QVERIFY(taken.waitFor(1));
        QCOMPARE(taken.requests.at(0).request, QByteArray("110|#CQ#"));
        QCOMPARE(taken.requests.at(0).state, RequestReader::Complete);
        QVERIFY(calls.load() >= 1);
        QCOMPARE(room.held(), 3);
    }
    QCOMPARE(openDescriptors(), before);
}

// Past their floors only so many requests are read at once, each to its end and until it is taken; another waits
// unread, its client held by the kernel's buffers, and is read whole and unchanged once one of those is taken.
void TestWaitingConnections::largeRequestsTakeTurns()
{
    WaitingConnections room(8, nullptr, 1);
    Connections connections;
    QList<QByteArray> requests;
    for (int i = 0; i < 3; ++i) {
        QVERIFY(addConnection(&room, &connections));
        // Far more than the kernel buffers between the two ends.
        requests << "140|" + QByteArray(32 * 1024 * 1024, char('a' + i)) + "|#CQ#";
    }
    std::atomic<int> sent{0};
    std::vector<std::thread> senders;
    for (int i = 0; i < 3; ++i) {
        senders.emplace_back([&connections, &requests, &sent, i] {
            if (connections.at(size_t(i))->client->send(requests.at(i)))
                ++sent;
        });
    }
    QList<QByteArray> received;
    for (int turn = 1; turn <= 3; ++turn) {
        QTRY_COMPARE_WITH_TIMEOUT(sent.load(), turn, 60000);
        // The next one is not read while this one waits to be taken.
        QTest::qWait(200);
        QCOMPARE(sent.load(), turn);
        Taken taken(&room);
        QVERIFY(taken.waitFor(1, 60000));
        QVERIFY(taken.requests.at(0).large);
        received << taken.requests.at(0).request;
    }
    for (std::thread &sender : senders)
        sender.join();
    std::sort(received.begin(), received.end());
    QCOMPARE(received, requests);
}

// A quit waits for no client: every connection held is closed before closeAll() returns, those whose requests have
// come and not been taken too, and the room takes connections again afterwards.
// A request held back for its turn has waited since it was last read: past the room's capacity it is closed before
// a client that connected after it, so that clients holding requests back, however many, never keep a new client
// out. The first large request has come whole and holds the one turn until it is taken, so the second waits.
void TestWaitingConnections::heldBackWaitsLikeTheSilent()
{
    std::atomic<int> calls{0};
    WaitingConnections room(2, [&calls] { ++calls; }, 1);
    Connections connections;
    const QList<QByteArray> requests = {"140|" + QByteArray(32 * 1024 * 1024, 'a') + "|#CQ#",
                                        "140|" + QByteArray(32 * 1024 * 1024, 'b') + "|#CQ#"};
    std::vector<std::thread> senders;
    const auto joined = qScopeGuard([&senders] {
        for (std::thread &sender : senders)
            sender.join();
    });
    for (int i = 0; i < 3; ++i)
        QVERIFY(openConnection(&connections));
    room.add(connections.at(0)->service);
    senders.emplace_back([&connections, &requests] { connections.at(0)->client->send(requests.at(0)); });
    QTRY_COMPARE_WITH_TIMEOUT(calls.load(), 1, 60000);
    room.add(connections.at(1)->service);
    senders.emplace_back([&connections, &requests] { connections.at(1)->client->send(requests.at(1)); });
    QTRY_COMPARE_WITH_TIMEOUT(room.heldBackCount(), 1, 60000);
    room.add(connections.at(2)->service);
    bool gone = false;
    connections.at(1)->client->receiveAll(30000, &gone);
    QVERIFY(gone);
    QVERIFY(connections.at(2)->client->untouched());

    Taken taken(&room);
    QVERIFY(taken.waitFor(1, 60000));
    QCOMPARE(taken.requests.at(0).request, requests.at(0));
    QCOMPARE(room.held(), 1);
}

// A room full of clients that have sent nothing still takes the next one, however far its thread is behind the
// connections added: only requests that have come whole, waiting to be taken, fill it.
void TestWaitingConnections::roomWhileNoRequestHasCome()
{
    for (int round = 0; round < 50; ++round) {
        WaitingConnections room(2, nullptr);
        Connections connections;
        for (int i = 0; i < 3; ++i) {
            QVERIFY(addConnection(&room, &connections));
            QVERIFY2(room.hasRoom(), QByteArray::number(round).constData());
        }
        QVERIFY(connections.at(1)->client->send("110|#CQ#") && connections.at(2)->client->send("110|#CQ#"));
        QTRY_VERIFY_WITH_TIMEOUT(!room.hasRoom(), 30000);
        WaitingConnections::Ready taken;
        QVERIFY(room.takeReady(&taken));
        ::close(taken.fd);
        QVERIFY(room.hasRoom());
    }
}

void TestWaitingConnections::closeAllAtOnce()
{
    const int before = openDescriptors();
    {
        WaitingConnections room(16, nullptr);
        Connections connections;
        for (int i = 0; i < 6; ++i) {
            QVERIFY(addConnection(&room, &connections));
            if (i % 2 == 0)
                QVERIFY(connections.back()->client->send("110|#CQ#"));
        }
        QTRY_COMPARE_WITH_TIMEOUT(room.held(), 6, 30000);
        room.closeAll();
        QCOMPARE(room.held(), 0);
        for (auto &connection : connections) {
            bool gone = false;
            connection->client->receiveAll(30000, &gone);
            QVERIFY(gone);
        }
        Connection later;
        room.add(later.service);
        QVERIFY(later.client->send("110|#CQ#"));
        Taken taken(&room);
        QVERIFY(taken.waitFor(1));
    }
    QCOMPARE(openDescriptors(), before);
}

QTEST_GUILESS_MAIN(TestWaitingConnections)
#include "tst_waitingconnections.moc"
