#include "libroserver.h"

#include "kovjobtable.h"
#include "librothread.h"

#include <QDeadlineTimer>
#include <QDebug>
#include <QMutexLocker>

#include <cstdlib>

namespace {

// A job reads its cancel flag after every line; a job whose record was released writes it back and is caught
// on a later pass, so the caller repeats this until the threads are gone.
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
{
}

LibroServer::~LibroServer()
{
    shutDown();
}

void LibroServer::shutDown(int waitMs)
{
    close();
    const QList<LibroThread *> threads = findChildren<LibroThread *>(QString(), Qt::FindDirectChildrenOnly);
    for (LibroThread *thread : threads)
        thread->requestInterruption();

    QDeadlineTimer deadline(waitMs);
    forever {
        cancelRunningJobs();
        bool running = false;
        for (LibroThread *thread : threads) {
            if (!thread->wait(50))
                running = true;
        }
        if (!running)
            return;
        if (deadline.hasExpired()) {
            qWarning() << "Connection threads still running at exit";
            std::_Exit(0);
        }
    }
}

void LibroServer::incomingConnection(qintptr socketDescriptor)
{
    LibroThread *thread = new LibroThread(int(socketDescriptor), this);
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start(QThread::InheritPriority);
}
