#ifndef PORTLOCK_H
#define PORTLOCK_H

#include <QElapsedTimer>
#include <QThread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QHostAddress>
#include <QTcpServer>

// CTest keeps the tests of one run that use the service's fixed port apart, but not two test runs on the same
// machine. This lock does, for the life of the test process: it is released when the process ends. Every other
// test run of the machine may be in the queue for it, each for a minute or more on a busy machine.
inline bool lockServicePort(int waitMs = 3000000)
{
    static int fd = -1;
    if (fd >= 0)
        return true;
    fd = ::open("/tmp/orvantis-port-1977.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    QElapsedTimer timer;
    timer.start();
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (timer.elapsed() > waitMs) {
            ::close(fd);
            fd = -1;
            return false;
        }
        QThread::msleep(100);
    }
    return true;
}

// True once nothing listens on the service's port any more (a service some other program left running, say).
inline bool waitServicePortFree(int waitMs = 60000)
{
    QElapsedTimer timer;
    timer.start();
    forever {
        QTcpServer probe;
        if (probe.listen(QHostAddress(QHostAddress::LocalHost), 1977))
            return true;
        if (timer.elapsed() > waitMs)
            return false;
        QThread::msleep(200);
    }
}

#endif // PORTLOCK_H
