#include "libroserver.h"

#include "kovjobtable.h"
#include "librothread.h"
#include "servicelimits.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDebug>
#include <QMutexLocker>
#include <QTimer>

#include <cstdlib>

#include <sys/socket.h>
#include <unistd.h>

namespace {

// What QTcpServer holds back by default; the server never keeps accepted connections pending, so it only matters
// as "not zero".
const int kPendingWhileRoom = 30;
// An accept that failed for want of descriptors is tried again after this long, or when a connection ends.
const int kAcceptRetryMs = 100;
// How often a stop looks again at the jobs' records and at the threads.
const qint64 kStopSliceMs = 50;
// What the service's end waits for its threads: the jobs stop within a tenth of a second whatever they are doing.
const int kQuitWaitMs = 2000;

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
    , lingering(ServiceLimits::current().closing)
{
    // Qt stops accepting after such a failure; the descriptors a finished connection gives back let it go on.
    connect(this, &QTcpServer::acceptError, this,
            [this] { QTimer::singleShot(kAcceptRetryMs, this, [this] { acceptIfRoom(); }); });
    if (QCoreApplication *app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, [this] { shutDown(kQuitWaitMs); });
}

LibroServer::~LibroServer()
{
    shutDown();
}

void LibroServer::shutDown(int waitMs)
{
    close();
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
    acceptIfRoom();
}

void LibroServer::incomingConnection(qintptr socketDescriptor)
{
    LibroThread *thread = new LibroThread(int(socketDescriptor), this);
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    connect(thread, &LibroThread::connectionDone, this, [this] { connectionEnded(); });
    thread->setLingeringClose(&lingering);
    ++connections;
    acceptIfRoom();
    thread->start(QThread::InheritPriority);
    if (!thread->isRunning() && !thread->isFinished()) {
        // The system would make no thread: this client is let go, the next ones wait for one that ends.
        ::close(int(socketDescriptor));
        delete thread;
        --connections;
        QTimer::singleShot(kAcceptRetryMs, this, [this] { acceptIfRoom(); });
    }
}

void LibroServer::connectionEnded()
{
    --connections;
    acceptIfRoom();
}

void LibroServer::acceptIfRoom()
{
    if (!isListening())
        return;
    if (connections < maxConnections) {
        setMaxPendingConnections(kPendingWhileRoom);
        resumeAccepting();
        return;
    }
    // With no room for pending connections QTcpServer accepts nothing more until it is resumed; the clients wait
    // in the kernel's queue, which Qt makes only 50 deep.
    setMaxPendingConnections(0);
    ::listen(int(socketDescriptor()), SOMAXCONN);
}
