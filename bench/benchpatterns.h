#ifndef BENCHPATTERNS_H
#define BENCHPATTERNS_H

#include <QList>
#include <QString>

#include <functional>

// A column pattern whose matching the benchmark times per character, with the value that makes it work hardest.
struct BenchPattern
{
    QString name;
    QString patron;
    QString valor;
    // The same shape one size larger, which set-up refuses, where `patron` is the costliest one it admits.
    QString mayor;
};

// For each engine, the costliest pattern set-up admits by the model of its steps; beside them, plain patterns and
// those the engines once took milliseconds per character over.
QList<BenchPattern> benchPatterns();

// A layout of many columns, each with a distinct pattern of one shape, that set-up works hard on: the benchmark
// times the set-up of its patterns, admitted or refused.
struct BenchSetup
{
    QString name;
    int columns;
    std::function<QString(int)> patron;
};

QList<BenchSetup> benchSetupFamilies();

// A book of `lines` lines whose one field holds the pattern's value, and the request that checks it.
qint64 benchWritePatternBook(const QString &path, const BenchPattern &pattern, qint64 lines);
QString benchPatternRequest(const BenchPattern &pattern, const QString &bookPath, const QString &workBase);

#endif // BENCHPATTERNS_H
