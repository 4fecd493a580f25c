#ifndef TESTCLIENT_H
#define TESTCLIENT_H

#include <QByteArray>
#include <QElapsedTimer>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

// The undefined-behaviour sanitizer tests whether memory is readable through a pipe: with no descriptor free it
// reports a type check it cannot make as a fault and ends the process, so a test that lets descriptors run out runs
// only without the sanitizers.
#if defined(__SANITIZE_ADDRESS__)
#define SKIP_UNDER_SANITIZERS_WITHOUT_DESCRIPTORS() QSKIP("the sanitizers need free descriptors of their own")
#else
#define SKIP_UNDER_SANITIZERS_WITHOUT_DESCRIPTORS() \
    do {                                            \
    } while (false)
#endif

// A plain blocking client of the service on the descriptor level, as any program in another language would be.
class TestClient
{
public:
    explicit TestClient(quint16 port)
        : TestClient()
    {
        connectTo(port);
    }
    // A socket not connected yet: it holds its descriptor already, for a test that lets descriptors run out.
    TestClient()
        : fd(::socket(AF_INET, SOCK_STREAM, 0))
    {
    }
    bool connectTo(quint16 port)
    {
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected = ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
        return connected;
    }
    ~TestClient() { ::close(fd); }
    TestClient(const TestClient &) = delete;
    TestClient &operator=(const TestClient &) = delete;

    bool send(const QByteArray &bytes)
    {
        qint64 done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::send(fd, bytes.constData() + done, size_t(bytes.size() - done), MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            done += n;
        }
        return true;
    }
    void halfClose() { ::shutdown(fd, SHUT_WR); }
    // The error the connection holds: 0 while it has seen no reset.
    int socketError() const
    {
        int error = -1;
        socklen_t length = sizeof error;
        return ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 ? error : -1;
    }

    // The service has neither sent anything nor closed the connection.
    bool untouched() const
    {
        pollfd readable = {fd, POLLIN, 0};
        return ::poll(&readable, 1, 0) == 0;
    }

    // Everything the service sends until it closes; *closed is false when it did not close within ms.
    QByteArray receiveAll(int ms = 30000, bool *closed = nullptr)
    {
        QByteArray bytes;
        QElapsedTimer timer;
        timer.start();
        char block[65536];
        forever {
            pollfd readable = {fd, POLLIN, 0};
            const int left = int(ms - timer.elapsed());
            if (left <= 0 || ::poll(&readable, 1, left) <= 0)
                break;
            const ssize_t n = ::recv(fd, block, sizeof block, 0);
            if (n <= 0) {
                if (closed)
                    *closed = true;
                return bytes;
            }
            bytes.append(block, int(n));
        }
        if (closed)
            *closed = false;
        return bytes;
    }

    // One request, its whole answer.
    static QByteArray exchange(quint16 port, const QByteArray &request)
    {
        TestClient client(port);
        if (!client.connected || !client.send(request))
            return "<no connection>";
        return client.receiveAll();
    }

    int fd = -1;
    bool connected = false;
};

// A client connected to a listener of the test's own, and the service's end of it as accepted (-1 when none), for a
// test of a part of the service that is handed accepted connections.
inline int acceptedPair(std::unique_ptr<TestClient> *client)
{
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int service = -1;
    if (::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 && ::listen(listener, 1) == 0
        && ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length) == 0) {
        client->reset(new TestClient(ntohs(address.sin_port)));
        service = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    }
    ::close(listener);
    return service;
}

// A client that goes on sending after its request: a small piece every pauseMs, from a thread of its own, until it
// is stopped or a send fails (the service has closed and reset the connection).
class Trickle
{
public:
    Trickle(int fd, int pauseMs)
        : fd(fd)
    {
        thread = std::thread([this, pauseMs] { run(pauseMs); });
    }
    ~Trickle() { stop(); }
    Trickle(const Trickle &) = delete;
    Trickle &operator=(const Trickle &) = delete;

    void stop()
    {
        stopped = true;
        if (thread.joinable())
            thread.join();
    }
    bool failed() const { return failure; }
    int pieces() const { return sent; }

private:
    void run(int pauseMs)
    {
        const QByteArray piece(512, 'x');
        while (!stopped) {
            if (::send(fd, piece.constData(), size_t(piece.size()), MSG_NOSIGNAL) != piece.size()) {
                failure = true;
                return;
            }
            ++sent;
            std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
        }
    }

    int fd;
    std::atomic<bool> stopped{false};
    std::atomic<bool> failure{false};
    std::atomic<int> sent{0};
    std::thread thread;
};

#endif // TESTCLIENT_H
