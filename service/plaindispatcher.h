#ifndef PLAINDISPATCHER_H
#define PLAINDISPATCHER_H

#include <QAbstractEventDispatcher>

// The event dispatcher of a thread that runs no event loop of its own, as a connection thread does: it holds no
// descriptor. The one Qt makes for every thread it starts takes a wake-up descriptor, and when none is left Qt's
// only answer is to abort the process.
class PlainDispatcher : public QAbstractEventDispatcher
{
public:
    bool processEvents(QEventLoop::ProcessEventsFlags flags) override;
    bool hasPendingEvents() override { return false; }
    void registerSocketNotifier(QSocketNotifier *) override {}
    void unregisterSocketNotifier(QSocketNotifier *) override {}
    void registerTimer(int, int, Qt::TimerType, QObject *) override {}
    bool unregisterTimer(int) override { return false; }
    bool unregisterTimers(QObject *) override { return false; }
    QList<TimerInfo> registeredTimers(QObject *) const override { return QList<TimerInfo>(); }
    int remainingTime(int) override { return -1; }
    void wakeUp() override {}
    void interrupt() override {}
    void flush() override {}
};

#endif // PLAINDISPATCHER_H
