#include "lingeringclose.h"

#include <QtGlobal>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

qint64 nowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

const int LingeringClose::kSliceMs;
const int LingeringClose::kWaitMs;
const qint64 LingeringClose::kDropLimitBytes;

LingeringClose::LingeringClose(int capacity, int waitMs)
    : capacity(size_t(qMax(1, capacity)))
    , waitMs(waitMs)
    , thread()
{
    if (!wakeUp.isValid())
        return;
    connections.reserve(this->capacity);
    running = ::pthread_create(&thread, nullptr, &LingeringClose::run, this) == 0;
}

LingeringClose::~LingeringClose()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!running)
            return;
        stopping = true;
        wakeUp.wake();
    }
    ::pthread_join(thread, nullptr);
}

bool LingeringClose::dropAvailable(int fd, qint64 *dropped)
{
    char unread[65536];
    while (*dropped <= kDropLimitBytes) {
        const ssize_t n = ::recv(fd, unread, sizeof unread, MSG_DONTWAIT);
        if (n > 0)
            *dropped += n;
        else if (n == 0 || (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK))
            return false;
        else if (errno != EINTR)
            return true;
    }
    return true;
}

// What has arrived so far is read first, so that a client that has sent everything gets an orderly end, and one
// still sending cannot make the close wait.
void LingeringClose::finish(int fd)
{
    int queued = 0;
    if (::ioctl(fd, FIONREAD, &queued) == 0 && queued > 0) {
        qint64 dropped = kDropLimitBytes - queued;
        dropAvailable(fd, &dropped);
    }
    ::close(fd);
}

void LingeringClose::takeOver(int fd, qint64 dropped)
{
    std::unique_lock<std::mutex> lock(mutex);
    if (running && !stopping && connections.size() >= capacity) {
        ++waiting;
        wakeUp.wake();
        changed.wait(lock, [this] { return connections.size() < capacity || !running || stopping; });
        --waiting;
    }
    if (!running || stopping) {
        lock.unlock();
        finish(fd);
        return;
    }
    const qint64 now = nowMs();
    connections.push_back({fd, dropped, now + kSliceMs, now + waitMs});
    wakeUp.wake();
}

void LingeringClose::closeAll()
{
    std::unique_lock<std::mutex> lock(mutex);
    if (!running || connections.empty())
        return;
    closeAllWanted = true;
    wakeUp.wake();
    changed.wait(lock, [this] { return !closeAllWanted || !running; });
}

int LingeringClose::held() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return int(connections.size());
}

void *LingeringClose::run(void *self)
{
    static_cast<LingeringClose *>(self)->serve();
    return nullptr;
}

void LingeringClose::serve()
{
    std::vector<Held> polled;
    std::vector<Held> next;
    std::vector<pollfd> ready;
    std::unique_lock<std::mutex> lock(mutex);
    forever {
        if (stopping || closeAllWanted) {
            for (const Held &held : connections)
                finish(held.fd);
            connections.clear();
            closeAllWanted = false;
            changed.notify_all();
            if (stopping) {
                running = false;
                return;
            }
        }
        // Room for those waiting, from the connections held longest.
        size_t evicted = 0;
        while (waiting > 0 && evicted < connections.size()
               && connections.size() - evicted + size_t(waiting) > capacity) {
            finish(connections.at(evicted).fd);
            ++evicted;
        }
        if (evicted > 0) {
            connections.erase(connections.begin(), connections.begin() + qint64(evicted));
            changed.notify_all();
        }

        // Read and closed without the lock, so that a hand-over never waits for them. Connections handed over
        // meanwhile are added after these, and only this thread removes any.
        polled = connections;
        qint64 now = nowMs();
        int timeout = -1;
        ready.assign(1, pollfd{wakeUp.descriptor(), POLLIN, 0});
        for (const Held &held : polled) {
            ready.push_back(pollfd{held.fd, POLLIN, 0});
            const qint64 left = qMax<qint64>(0, qMin(held.quietUntil, held.endAt) - now);
            timeout = timeout < 0 ? int(left) : int(qMin<qint64>(timeout, left));
        }
        lock.unlock();
        ::poll(ready.data(), nfds_t(ready.size()), timeout);
        if (ready.at(0).revents & POLLIN)
            wakeUp.clear();
        now = nowMs();
        next.clear();
        for (size_t i = 0; i < polled.size(); ++i) {
            Held held = polled.at(i);
            bool done = false;
            if (ready.at(i + 1).revents) {
                const qint64 before = held.dropped;
                done = !dropAvailable(held.fd, &held.dropped) || held.dropped > kDropLimitBytes;
                if (held.dropped > before)
                    held.quietUntil = now + kSliceMs;
            }
            if (done || now >= held.quietUntil || now >= held.endAt)
                ::close(held.fd);
            else
                next.push_back(held);
        }
        lock.lock();
        const bool closed = next.size() < polled.size();
        next.insert(next.end(), connections.begin() + qint64(polled.size()), connections.end());
        connections.swap(next);
        if (closed)
            changed.notify_all();
    }
}
