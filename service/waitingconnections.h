#ifndef WAITINGCONNECTIONS_H
#define WAITINGCONNECTIONS_H

#include "requestreader.h"
#include "wakeup.h"

#include <QByteArray>
#include <QtGlobal>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <list>
#include <mutex>
#include <vector>

#include <pthread.h>

// Holds accepted connections on one thread of its own until their requests have come, so that a client costs a
// connection thread and a connection slot only once there is a request to serve: until then it costs a descriptor.
// The request is read by the rules of RequestReader, each attempt's wait for the client spent here. Each connection
// held is one descriptor, and at most `capacity` are held: past that the one whose client has been silent longest is
// closed first. A connection whose request has come waits here, unread further, until the server takes it.
//
// What the requests hold is bounded too: each may reach kFloorBytes, and at most kLargeAtOnce go past that at once,
// from their reading until they are taken; another is not read meanwhile (its client waits on the kernel's buffers).
// Each of those reads on to its own end, so the ones held back always get their turn.
class WaitingConnections
{
public:
    static const int kFloorBytes = 16 * 1024;
    static const int kLargeAtOnce = 8;

    // What the server takes: a connection and what reading its request gave. A connection the room could not watch
    // (it has no thread) comes unread, and its request is read by whoever takes it.
    struct Ready
    {
        int fd = -1;
        QByteArray request;
        RequestReader::State state = RequestReader::Reading;
        bool unread = false;
        // It holds one of the places of the requests past their floors.
        bool large = false;
    };

    // `ready` is called, on the room's thread and without blocking, each time a request has come while none was
    // waiting to be taken.
    WaitingConnections(int capacity, std::function<void()> ready, int largeAtOnce = kLargeAtOnce);
    // Closes whatever is still held.
    ~WaitingConnections();
    WaitingConnections(const WaitingConnections &) = delete;
    WaitingConnections &operator=(const WaitingConnections &) = delete;

    // Takes over an accepted connection; when the room is full, the connection whose client has been silent longest
    // is closed before this returns.
    void add(int fd);
    // The request that came first of those waiting to be taken; false when there is none.
    bool takeReady(Ready *ready);
    // Closes the connection whose client has been silent longest, when a client is still sending its request, and
    // tells whether one was closed: its descriptor is free when this returns.
    bool closeLongestSilent();
    // Closes every connection held, at once: a quit waits for no client.
    void closeAll();

    void setCapacity(int count);
    // Whether a connection added now finds a place without closing one whose request has come.
    bool hasRoom() const;
    // Every connection held, those whose requests have come included.
    int held() const;
    // The requests past their floors held back for a turn to be read on.
    int heldBackCount() const { return waitingTurn.load(); }

private:
    struct Watched
    {
        int fd = -1;
        RequestReader reader;
        qint64 deadline = 0;
        // Where it stands among all those read, and in the order of deadlines while it is read or in the order of
        // those waiting for room to be read.
        std::list<Watched>::iterator self;
        std::list<Watched *>::iterator queued;
        bool heldBack = false;
        bool large = false;
    };

    static void *run(void *self);
    void serve();
    // One connection's attempt, and what follows from it; the connection may have left the room afterwards.
    // Under the lock: the connections added are watched from now on.
    void admitIncoming(qint64 now);
    void attempt(Watched *watched, qint64 now);
    void watch(Watched *watched, qint64 now);
    void unwatch(Watched *watched);
    void leave(Watched *watched);
    void closeWatched(Watched *watched);
    void resumeHeldBack(qint64 now);
    void closeEverything();
    int heldCount() const;

    size_t capacity;
    std::function<void()> readyCall;
    const int largeAtOnce;
    mutable std::mutex mutex;
    std::condition_variable changed;
    // Shared with the other threads, under the mutex.
    std::vector<int> incoming;
    std::deque<Ready> ready;
    int closeWanted = 0;
    bool closedOne = false;
    bool closeAllWanted = false;
    bool stopping = false;
    bool running = false;
    std::atomic<int> listened{0};
    // The requests past their floors, those waiting to be taken included.
    std::atomic<int> large{0};
    std::atomic<int> waitingTurn{0};

    // The room's thread alone: the connections still being read, in the order their clients were last heard from,
    // those being read in the order of their deadlines, and those waiting for room to be read.
    std::list<Watched> listening;
    std::list<Watched *> byDeadline;
    std::list<Watched *> heldBack;

    WakeUp wakeUp;
    int pollFd = -1;
    pthread_t thread;
};

#endif // WAITINGCONNECTIONS_H
