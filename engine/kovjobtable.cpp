#include "kovjobtable.h"

#include <QHash>
#include <QMutexLocker>

namespace {

QMap<QString, KovControl> &initGMap()
{
    static QMap<QString, KovControl> table;
    return table;
}

// The running jobs' cancels, by ticket; guarded by gMutex like the table.
QHash<QString, KovCancelFlag> &cancelFlags()
{
    static QHash<QString, KovCancelFlag> flags;
    return flags;
}

void setCancelFlag(const QString &ticket, bool cancel)
{
    const auto it = cancelFlags().constFind(ticket);
    if (it != cancelFlags().constEnd())
        it.value()->store(cancel, std::memory_order_relaxed);
}

} // namespace

QMap<QString, KovControl> &gMap = initGMap();
qint64 gTicket = 0;
QMutex gMutex;

QString kovNewJob()
{
    QMutexLocker lock(&gMutex);
    ++gTicket;
    const QString ticket = QString::number(gTicket);
    gMap.insert(ticket, KovControl());
    return ticket;
}

bool kovGetJob(const QString &ticket, KovControl *record)
{
    QMutexLocker lock(&gMutex);
    const auto it = gMap.constFind(ticket);
    if (it == gMap.constEnd())
        return false;
    if (record)
        *record = it.value();
    return true;
}

bool kovCancelJob(const QString &ticket)
{
    QMutexLocker lock(&gMutex);
    if (!gMap.contains(ticket))
        return false;
    KovControl record = gMap.value(ticket);
    record.status.setCancel(true);
    gMap.insert(ticket, record);
    setCancelFlag(ticket, true);
    return true;
}

bool kovRemoveJob(const QString &ticket)
{
    QMutexLocker lock(&gMutex);
    // A job whose record is gone reads no cancel until it writes the record back.
    setCancelFlag(ticket, false);
    return gMap.remove(ticket) > 0;
}

KovCancelFlag kovEnterCancelFlag(const QString &ticket, bool cancel)
{
    const KovCancelFlag flag = std::make_shared<std::atomic<bool>>(cancel);
    cancelFlags().insert(ticket, flag);
    return flag;
}

void kovLeaveCancelFlag(const QString &ticket, const KovCancelFlag &flag)
{
    const auto it = cancelFlags().find(ticket);
    if (it != cancelFlags().end() && it.value() == flag)
        cancelFlags().erase(it);
}
