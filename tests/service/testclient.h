#ifndef TESTCLIENT_H
#define TESTCLIENT_H

#include <QByteArray>
#include <QElapsedTimer>

#include <atomic>
#include <chrono>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

// A plain blocking client of the service on the descriptor level, as any program in another language would be.
class TestClient
{
public:
    explicit TestClient(quint16 port)
    {
        fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected = ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
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
