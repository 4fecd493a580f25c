#include "benchjob.h"

#include "kovcontrol.h"
#include "kovjobtable.h"
#include "kovvalidator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMutexLocker>

BenchJobResult benchRunJob(const QString &request)
{
    BenchJobResult result;
    QElapsedTimer timer;
    timer.start();
    {
        // The key-index file is named after the time of day and the ticket: processes started in the same
        // second must not draw the same ticket.
        QMutexLocker lock(&gMutex);
        gTicket = qMax(gTicket, qint64(QCoreApplication::applicationPid()) * 1000);
    }
    const QString ticket = kovNewJob();
    auto *job = new KovValidator(ticket, request);
    if (!job->init()) {
        result.initError = job->getInitError();
        delete job;
        kovRemoveJob(ticket);
        return result;
    }
    job->run(&gMutex);
    delete job;
    result.seconds = timer.nsecsElapsed() / 1e9;

    KovControl record;
    kovGetJob(ticket, &record);
    kovRemoveJob(ticket);
    const KovStatus status = record.getStatus();
    result.lines = status.getRegistros();
    result.errors = status.getNerrores();
    result.progress = status.getAvance();
    result.errores = record.errores;
    result.resumen = record.resumen;
    return result;
}

double benchSummaryValue(const QList<QVariant> &resumen, const QString &atrib)
{
    for (const QVariant &entry : resumen) {
        const QVariantMap map = entry.toMap();
        if (map.value(QStringLiteral("atrib")).toString() == atrib)
            return map.value(QStringLiteral("valor")).toString().toDouble();
    }
    return -1.0;
}
