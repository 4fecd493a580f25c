#include "wakeup.h"

#include <QtGlobal>

#include <sys/eventfd.h>
#include <unistd.h>

WakeUp::WakeUp()
    : fd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
}

WakeUp::~WakeUp()
{
    if (fd >= 0)
        ::close(fd);
}

void WakeUp::wake()
{
    const quint64 one = 1;
    // A counter already raised wakes the thread all the same.
    if (::write(fd, &one, sizeof one) < 0) {
    }
}

void WakeUp::clear()
{
    quint64 count;
    if (::read(fd, &count, sizeof count) < 0) {
    }
}
