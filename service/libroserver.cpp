#include "libroserver.h"

#include "kovjobtable.h"
#include "librothread.h"
#include "servicelimits.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDebug>
#include <QMutexLocker>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// An accept that failed for want of descriptors, with nothing to let go, is tried again after this long, and so is a
// connection the system would make no thread for.
const int kAcceptRetryMs = 100;
// How often a stop looks again at the jobs' records and at the threads.
const qint64 kStopSliceMs = 50;
// What the service's end waits for its threads: the jobs stop within a tenth of a second whatever they are doing.
const int kQuitWaitMs = 2000;

bool clientQueued(int listener)
{
    pollfd queued = {listener, POLLIN, 0};
    return ::poll(&queued, 1, 0) > 0;
}

// A job stops once its thread is asked to end; its record is marked cancelled as well, for whatever follows the
// job through the table. A job whose record was released writes it back and is caught on a later pass, so the
// caller repeats this until the threads are gone.
void cancelRunningJobs()
{
    QMutexLocker lock(&gMutex);
    for (auto it = gMap.begin(); it != gMap.end(); ++it) {
        if (it.value().status.isRunning() && !it.value().status.isCancel())
            it.value().status.setCancel(true);
    }
}

} // namespace

LibroServer::LibroServer(QObject *parent)
    : QTcpServer(parent)
    , maxConnections(ServiceLimits::current().connections)
    , connections(0)
    , reserve(::open("/dev/null", O_RDONLY | O_CLOEXEC))
    , lingering(ServiceLimits::current().closing)
    , waiting(ServiceLimits::current().waiting,
              [this] { QMetaObject::invokeMethod(this, [this] { serveReady(); }, Qt::QueuedConnection); })
{
    if (QCoreApplication *app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, [this] { shutDown(kQuitWaitMs); });
}

LibroServer::~LibroServer()
{
    shutDown();
    if (reserve >= 0)
        ::close(reserve);
}

bool LibroServer::listen(const QHostAddress &address, quint16 port)
{
    if (!QTcpServer::listen(address, port))
        return false;
    pauseAccepting();
    const int listener = int(socketDescriptor());
    // Qt makes the kernel's queue only 50 deep: a burst of clients past that would wait a second or more for the
    // system to try again.
    ::listen(listener, SOMAXCONN);
    delete acceptor;
    acceptor = new QSocketNotifier(listener, QSocketNotifier::Read, this);
    connect(acceptor, &QSocketNotifier::activated, this, [this] { acceptPending(); });
    return true;
}

void LibroServer::shutDown(int waitMs)
{
    delete acceptor;
    acceptor = nullptr;
    close();
    waiting.closeAll();
    lingering.closeAll();
    const QList<LibroThread *> threads = findChildren<LibroThread *>(QString(), Qt::FindDirectChildrenOnly);
    for (LibroThread *thread : threads)
        thread->requestInterruption();

    QDeadlineTimer deadline(waitMs);
    forever {
        cancelRunningJobs();
        // One wait of a slice at most per pass, however many threads still run: they all end at about once.
        LibroThread *running = nullptr;
        for (LibroThread *thread : threads) {
            if (!thread->isFinished()) {
                running = thread;
                break;
            }
        }
        if (!running) {
            for (LibroThread *thread : threads)
                thread->wait();
            return;
        }
        if (deadline.hasExpired()) {
            qWarning() << "Connection threads still running at exit";
            std::_Exit(0);
        }
        running->wait(QDeadlineTimer(qMin<qint64>(kStopSliceMs, deadline.remainingTime())));
    }
}

void LibroServer::setMaxConnections(int count)
{
    maxConnections = qMax(1, count);
    serveReady();
}

void LibroServer::setMaxWaiting(int count)
{
    waiting.setCapacity(count);
    acceptIfRoom();
}

void LibroServer::incomingConnection(qintptr socketDescriptor)
{
    waiting.add(int(socketDescriptor));
}

void LibroServer::serveReady()
{
    WaitingConnections::Ready ready;
    while (connections < maxConnections && waiting.takeReady(&ready)) {
        LibroThread *thread = new LibroThread(ready.fd, this);
        if (!ready.unread)
            thread->setRequest(ready.request, ready.state == RequestReader::TooLong);
        connect(thread, &QThread::finished, thread, &QObject::deleteLater);
        connect(thread, &LibroThread::connectionDone, this, [this] { connectionEnded(); });
        thread->setLingeringClose(&lingering);
        ++connections;
        if (!thread->startServing()) {
            // The system would make no thread: this client is let go, the next ones wait for one that ends.
            ::close(ready.fd);
            delete thread;
            --connections;
            QTimer::singleShot(kAcceptRetryMs, this, [this] { serveReady(); });
            break;
        }
    }
    acceptIfRoom();
}

void LibroServer::connectionEnded()
{
    --connections;
    serveReady();
}

void LibroServer::acceptIfRoom()
{
    if (!acceptor || !isListening())
        return;
    if (reserve < 0)
        reserve = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    // While every place is taken by a request that has come, the clients wait in the kernel's queue.
    acceptor->setEnabled(waiting.hasRoom());
}

void LibroServer::acceptPending()
{
    const int listener = int(socketDescriptor());
    while (acceptor && waiting.hasRoom()) {
        const int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) {
            incomingConnection(fd);
            continue;
        }
        // A client that went before it was accepted.
        if (errno == EINTR || errno == ECONNABORTED || errno == EPROTO)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return;
        // Out of descriptors, and with a client in the queue (the system tells the shortage before it looks), the
        // client silent longest gives its place; failing that, the clients queued are closed at once, so that none
        // waits for a descriptor the service may not have for long.
        const bool outOfDescriptors = errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM;
        if (outOfDescriptors && !clientQueued(listener))
            return;
        if (outOfDescriptors && (waiting.closeLongestSilent() || dropQueued()))
            continue;
        acceptor->setEnabled(false);
        QTimer::singleShot(kAcceptRetryMs, this, [this] { acceptIfRoom(); });
        return;
    }
    if (acceptor)
        acceptor->setEnabled(false);
}

bool LibroServer::dropQueued()
{
    if (reserve < 0)
        return false;
    ::close(reserve);
    reserve = -1;
    bool dropped = false;
    forever {
        const int fd = ::accept4(int(socketDescriptor()), nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            break;
        ::close(fd);
        dropped = true;
    }
    reserve = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    return dropped;
}
