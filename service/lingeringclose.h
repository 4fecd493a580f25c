#ifndef LINGERINGCLOSE_H
#define LINGERINGCLOSE_H

#include "requestreader.h"
#include "wakeup.h"

#include <QtGlobal>

#include <condition_variable>
#include <mutex>
#include <vector>

#include <pthread.h>

// Closes answered connections on one thread of its own, so that no connection thread, and no job, waits for a
// client to close. Bytes a client sends after its request, left unread, would make the close a reset, and a reset
// can throw the answer away before the client has read it; so a connection handed over is read and dropped while
// data keeps coming, and closed once the client has been silent for one slice, has closed its side, has sent a
// request's size in all, or has had the usual wait. Each connection held is one descriptor, and at most
// `capacity` are held: past that the one held longest is closed first.
class LingeringClose
{
public:
    // What a client that sends nothing more costs. Long enough for bytes a client writes right after its request
    // to arrive on a loaded machine, short beside any wait a client would notice.
    static const int kSliceMs = 250;
    // What a client still sending may cost: the wait for an answer to leave, and a request's size in all.
    static const int kWaitMs = 20000;
    static const qint64 kDropLimitBytes = RequestReader::kMaxBytes;

    explicit LingeringClose(int capacity, int waitMs = kWaitMs);
    // Closes whatever is still held.
    ~LingeringClose();
    LingeringClose(const LingeringClose &) = delete;
    LingeringClose &operator=(const LingeringClose &) = delete;

    // Takes over `fd`, a descriptor of its own of a connection whose answer is written and whose sending side is
    // shut, after `dropped` bytes of the client were already read and dropped. Without a thread of its own the
    // connection is closed at once, once what has arrived so far is read.
    void takeOver(int fd, qint64 dropped);
    // Closes every connection held, at once: a quit waits for no client.
    void closeAll();
    int held() const;

    // Reads and drops what the client has sent so far, until `*dropped` passes the limit. False once the client
    // has closed its side or the connection is lost.
    static bool dropAvailable(int fd, qint64 *dropped);

private:
    struct Held
    {
        int fd;
        qint64 dropped;
        qint64 quietUntil;
        qint64 endAt;
    };

    static void *run(void *self);
    void serve();
    static void finish(int fd);

    const size_t capacity;
    const int waitMs;
    mutable std::mutex mutex;
    std::condition_variable changed;
    // In the order they were handed over; only the closing thread removes them, and it holds them all.
    std::vector<Held> connections;
    // Hand-overs waiting for room.
    int waiting = 0;
    bool closeAllWanted = false;
    bool stopping = false;
    bool running = false;
    WakeUp wakeUp;
    pthread_t thread;
};

#endif // LINGERINGCLOSE_H
