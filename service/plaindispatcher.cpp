#include "plaindispatcher.h"

#include <QCoreApplication>

// Nothing waits here: what was posted to the thread's objects is delivered, and that is all.
bool PlainDispatcher::processEvents(QEventLoop::ProcessEventsFlags flags)
{
    Q_UNUSED(flags);
    QCoreApplication::sendPostedEvents();
    return false;
}
