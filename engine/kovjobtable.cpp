#include "kovjobtable.h"

#include <QMutexLocker>

namespace {

QMap<QString, KovControl> &initGMap()
{
    static QMap<QString, KovControl> table;
    return table;
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
    return true;
}

bool kovRemoveJob(const QString &ticket)
{
    QMutexLocker lock(&gMutex);
    return gMap.remove(ticket) > 0;
}
