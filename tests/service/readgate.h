#ifndef READGATE_H
#define READGATE_H

#include <QByteArray>
#include <QFile>
#include <QString>

#include <mutex>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/fanotify.h>
#include <unistd.h>

// Holds every read of one file by other processes until the test lets them go, through the kernel's permission
// events (fanotify, which needs CAP_SYS_ADMIN). A job of the real service that reads a held book cannot finish,
// whatever the speed of the machine, until open() is called; a service killed meanwhile simply goes. Given a thread
// name, it holds only the reads of the threads of that name, past the first `passing` of theirs.
class ReadGate
{
public:
    explicit ReadGate(const QString &path, const QByteArray &thread = QByteArray(), int passing = 0)
        : thread(thread), passing(passing)
    {
        const unsigned int byThread = thread.isEmpty() ? 0u : unsigned(FAN_REPORT_TID);
        events = ::fanotify_init(FAN_CLASS_CONTENT | FAN_CLOEXEC | FAN_NONBLOCK | byThread, O_RDONLY);
        if (events < 0)
            return;
        if (::fanotify_mark(events, FAN_MARK_ADD, FAN_ACCESS_PERM, AT_FDCWD, QFile::encodeName(path).constData())
            != 0) {
            ::close(events);
            events = -1;
            return;
        }
        wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        server = std::thread([this] { serve(); });
    }
    ~ReadGate()
    {
        if (events < 0)
            return;
        open();
        const quint64 one = 1;
        if (::write(wake, &one, sizeof one) < 0) {
        }
        server.join();
        // Closing the group lets any read still waiting go.
        ::close(events);
        ::close(wake);
    }
    ReadGate(const ReadGate &) = delete;
    ReadGate &operator=(const ReadGate &) = delete;

    bool isValid() const { return events >= 0; }

    // Reads waiting at the gate now.
    int held()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return int(waiting.size());
    }

    // Lets the waiting reads and every later one go.
    void open()
    {
        std::lock_guard<std::mutex> lock(mutex);
        opened = true;
        for (const int fd : waiting)
            answer(fd);
        waiting.clear();
    }

private:
    // With FAN_REPORT_TID the event names the reading thread itself.
    bool holds(const fanotify_event_metadata *event)
    {
        if (thread.isEmpty())
            return true;
        QFile comm(QStringLiteral("/proc/%1/comm").arg(event->pid));
        if (!comm.open(QIODevice::ReadOnly) || comm.readAll().trimmed() != thread)
            return false;
        return passed++ >= passing;
    }

    void answer(int fd)
    {
        const fanotify_response response = {fd, FAN_ALLOW};
        // A reader killed meanwhile has no event left to answer; that is no error here.
        if (::write(events, &response, sizeof response) < 0) {
        }
        ::close(fd);
    }

    void serve()
    {
        forever {
            pollfd ready[2] = {{events, POLLIN, 0}, {wake, POLLIN, 0}};
            if (::poll(ready, 2, -1) < 0)
                continue;
            if (ready[1].revents)
                return;
            alignas(fanotify_event_metadata) char buffer[4096];
            const ssize_t n = ::read(events, buffer, sizeof buffer);
            if (n <= 0)
                continue;
            std::lock_guard<std::mutex> lock(mutex);
            const fanotify_event_metadata *event = reinterpret_cast<const fanotify_event_metadata *>(buffer);
            for (ssize_t left = n; FAN_EVENT_OK(event, left); event = FAN_EVENT_NEXT(event, left)) {
                if (event->fd < 0)
                    continue;
                if (opened || !holds(event))
                    answer(event->fd);
                else
                    waiting.push_back(event->fd);
            }
        }
    }

    const QByteArray thread;
    const int passing;
    int passed = 0;
    int events = -1;
    int wake = -1;
    std::thread server;
    std::mutex mutex;
    bool opened = false;
    std::vector<int> waiting;
};

#endif // READGATE_H
