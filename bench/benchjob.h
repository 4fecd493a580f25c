#ifndef BENCHJOB_H
#define BENCHJOB_H

#include <QList>
#include <QString>
#include <QVariant>

// What one validation job left behind.
struct BenchJobResult
{
    // Empty when the job was set up; otherwise the set-up error code.
    QString initError;
    qint64 lines = 0;
    qint64 errors = 0;
    int progress = 0;
    // Wall time of the whole job: set-up, every line, the copy, the hashes and the result files.
    double seconds = 0.0;
    QList<QVariant> errores;
    QList<QVariant> resumen;
};

// Runs the request as one job end to end, as transaction 130 does after its early reply, and releases it.
BenchJobResult benchRunJob(const QString &request);

// The summary total named `atrib` as a number; -1 when the summary lacks it.
double benchSummaryValue(const QList<QVariant> &resumen, const QString &atrib);

#endif // BENCHJOB_H
