#include "waitingconnections.h"

#include <QDeadlineTimer>

#include <sys/epoll.h>
#include <unistd.h>

namespace {

// As many events as one wake takes; more simply wait for the next.
const int kEventsPerWake = 256;

// Milliseconds of the steady clock.
qint64 nowMs()
{
    return QDeadlineTimer::current().deadline();
}

} // namespace

const int WaitingConnections::kFloorBytes;
const int WaitingConnections::kLargeAtOnce;

WaitingConnections::WaitingConnections(int capacity, std::function<void()> ready, int largeAtOnce)
    : capacity(size_t(qMax(1, capacity)))
    , readyCall(std::move(ready))
    , largeAtOnce(qMax(1, largeAtOnce))
    , thread()
{
    pollFd = ::epoll_create1(EPOLL_CLOEXEC);
    epoll_event wakeEvent = {};
    wakeEvent.events = EPOLLIN;
    wakeEvent.data.ptr = nullptr;
    running = wakeUp.isValid() && pollFd >= 0
              && ::epoll_ctl(pollFd, EPOLL_CTL_ADD, wakeUp.descriptor(), &wakeEvent) == 0
              && ::pthread_create(&thread, nullptr, &WaitingConnections::run, this) == 0;
}

WaitingConnections::~WaitingConnections()
{
    bool joined = false;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (running) {
            stopping = true;
            wakeUp.wake();
            joined = true;
        }
    }
    if (joined)
        ::pthread_join(thread, nullptr);
    // Without a thread only what was never taken is left.
    for (const Ready &left : ready)
        ::close(left.fd);
    if (pollFd >= 0)
        ::close(pollFd);
}

void WaitingConnections::add(int fd)
{
    std::unique_lock<std::mutex> lock(mutex);
    if (!running || stopping) {
        // Nothing here can watch it: whoever takes it reads its request.
        const bool first = ready.empty();
        Ready unread;
        unread.fd = fd;
        unread.unread = true;
        ready.push_back(unread);
        lock.unlock();
        if (first && readyCall)
            readyCall();
        return;
    }
    incoming.push_back(fd);
    wakeUp.wake();
    // Until the room has closed what it must for this one, if anything can be.
    changed.wait(lock, [this] {
        return heldCount() <= int(capacity) || (incoming.empty() && listened.load() == 0) || !running || stopping;
    });
}

bool WaitingConnections::takeReady(Ready *taken)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (ready.empty())
        return false;
    *taken = std::move(ready.front());
    ready.pop_front();
    if (taken->large) {
        --large;
        // A request held back may go on.
        if (running)
            wakeUp.wake();
    }
    return true;
}

bool WaitingConnections::closeLongestSilent()
{
    std::unique_lock<std::mutex> lock(mutex);
    if (!running || stopping)
        return false;
    ++closeWanted;
    wakeUp.wake();
    changed.wait(lock, [this] { return closeWanted == 0 || !running; });
    return running && closedOne;
}

void WaitingConnections::closeAll()
{
    std::unique_lock<std::mutex> lock(mutex);
    if (!running) {
        for (const Ready &left : ready)
            ::close(left.fd);
        ready.clear();
        return;
    }
    closeAllWanted = true;
    wakeUp.wake();
    changed.wait(lock, [this] { return !closeAllWanted || !running; });
}

void WaitingConnections::setCapacity(int count)
{
    std::lock_guard<std::mutex> lock(mutex);
    capacity = size_t(qMax(1, count));
    if (running)
        wakeUp.wake();
}

bool WaitingConnections::hasRoom() const
{
    std::lock_guard<std::mutex> lock(mutex);
    // Those added but not yet watched are clients still sending, as those watched are: counted as requests that had
    // come, a burst of connections faster than this thread stopped the accepting, and no request came to resume it.
    return ready.size() < capacity;
}

int WaitingConnections::held() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return heldCount();
}

int WaitingConnections::heldCount() const
{
    return int(incoming.size() + ready.size()) + listened.load();
}

void *WaitingConnections::run(void *self)
{
    static_cast<WaitingConnections *>(self)->serve();
    return nullptr;
}

void WaitingConnections::serve()
{
    std::vector<epoll_event> events(kEventsPerWake);
    std::unique_lock<std::mutex> lock(mutex);
    forever {
        if (stopping || closeAllWanted) {
            closeEverything();
            closeAllWanted = false;
            changed.notify_all();
            if (stopping) {
                running = false;
                return;
            }
        }
        qint64 now = nowMs();
        admitIncoming(now);
        // The clients silent longest stand first.
        if (closeWanted > 0) {
            closedOne = !listening.empty();
            if (closedOne)
                closeWatched(&listening.front());
            closeWanted = 0;
        }
        while (!listening.empty() && listening.size() + ready.size() > capacity)
            closeWatched(&listening.front());
        resumeHeldBack(now);
        listened = int(listening.size());
        waitingTurn = int(heldBack.size());
        changed.notify_all();

        const int timeout = byDeadline.empty() ? -1 : int(qBound<qint64>(0, byDeadline.front()->deadline - now,
                                                                          RequestReader::kWaitMs));
        lock.unlock();
        const int count = ::epoll_wait(pollFd, events.data(), int(events.size()), timeout);
        now = nowMs();
        // A connection added before its neighbour's bytes came stands before it, however the two were woken for.
        lock.lock();
        admitIncoming(now);
        lock.unlock();
        for (int i = 0; i < count; ++i) {
            Watched *watched = static_cast<Watched *>(events.at(size_t(i)).data.ptr);
            if (watched)
                attempt(watched, now);
            else
                wakeUp.clear();
        }
        while (!byDeadline.empty() && byDeadline.front()->deadline <= now)
            attempt(byDeadline.front(), now);
        lock.lock();
    }
}

void WaitingConnections::admitIncoming(qint64 now)
{
    for (const int fd : incoming) {
        listening.emplace_back();
        Watched &added = listening.back();
        added.fd = fd;
        added.self = std::prev(listening.end());
        watch(&added, now);
    }
    incoming.clear();
    listened = int(listening.size());
}

void WaitingConnections::attempt(Watched *watched, qint64 now)
{
    RequestReader &reader = watched->reader;
    const int before = reader.size();
    // Each request may reach its floor; past it a request needs one of the places of large ones.
    int most = RequestReader::kMaxBytes + 1;
    if (!watched->large && before < kFloorBytes) {
        most = kFloorBytes - before;
    } else if (!watched->large && large.load() < largeAtOnce) {
        watched->large = true;
        ++large;
    } else if (!watched->large) {
        unwatch(watched);
        watched->heldBack = true;
        watched->queued = heldBack.insert(heldBack.end(), watched);
        return;
    }
    reader.attempt(watched->fd, most);
    // Once the peer has closed its side there is nothing to wait for: the rules end the reading at once.
    while (reader.state() == RequestReader::Reading && !reader.peerOpen())
        reader.attempt(watched->fd, most);
    if (reader.state() != RequestReader::Reading) {
        leave(watched);
        return;
    }
    if (reader.size() > before)
        listening.splice(listening.end(), listening, watched->self);
    byDeadline.erase(watched->queued);
    watched->deadline = now + RequestReader::kWaitMs;
    watched->queued = byDeadline.insert(byDeadline.end(), watched);
}

void WaitingConnections::watch(Watched *watched, qint64 now)
{
    epoll_event event = {};
    event.events = EPOLLIN | EPOLLRDHUP;
    event.data.ptr = watched;
    // Without a place in the set the connection is only looked at when its wait ends.
    if (::epoll_ctl(pollFd, EPOLL_CTL_ADD, watched->fd, &event) != 0) {
    }
    watched->heldBack = false;
    watched->deadline = now + RequestReader::kWaitMs;
    watched->queued = byDeadline.insert(byDeadline.end(), watched);
}

void WaitingConnections::unwatch(Watched *watched)
{
    ::epoll_ctl(pollFd, EPOLL_CTL_DEL, watched->fd, nullptr);
    if (watched->heldBack)
        heldBack.erase(watched->queued);
    else
        byDeadline.erase(watched->queued);
}

// A request has come, whole or past the cap: it waits to be taken, unread further. A connection that sent nothing at
// all would only be closed unanswered: that is done here.
void WaitingConnections::leave(Watched *watched)
{
    const RequestReader::State state = watched->reader.state();
    if (state == RequestReader::Complete && watched->reader.size() == 0) {
        closeWatched(watched);
        return;
    }
    unwatch(watched);
    Ready done;
    done.fd = watched->fd;
    done.state = state;
    // A request past the cap holds nothing more: its bytes go here.
    if (state == RequestReader::Complete)
        done.request = watched->reader.takeRequest();
    done.large = watched->large && state == RequestReader::Complete;
    if (watched->large && !done.large)
        --large;
    listening.erase(watched->self);
    std::unique_lock<std::mutex> lock(mutex);
    // Counted once, as it moves.
    listened = int(listening.size());
    const bool first = ready.empty();
    ready.push_back(std::move(done));
    lock.unlock();
    if (first && readyCall)
        readyCall();
}

void WaitingConnections::closeWatched(Watched *watched)
{
    unwatch(watched);
    if (watched->large)
        --large;
    ::close(watched->fd);
    listening.erase(watched->self);
    --listened;
}

void WaitingConnections::resumeHeldBack(qint64 now)
{
    for (int free = largeAtOnce - large.load(); free > 0 && !heldBack.empty(); --free) {
        Watched *watched = heldBack.front();
        heldBack.pop_front();
        watch(watched, now);
    }
}

void WaitingConnections::closeEverything()
{
    while (!listening.empty())
        closeWatched(&listening.front());
    for (const int fd : incoming)
        ::close(fd);
    incoming.clear();
    for (const Ready &left : ready)
        ::close(left.fd);
    ready.clear();
    listened = 0;
    large = 0;
}
