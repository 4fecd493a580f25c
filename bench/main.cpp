// Speed benchmark: generates a purchase-register-like book, validates it as one job end to end and compares the
// job's wall time with sha1sum over the same file. Not part of the test suite.

#include "benchbook.h"
#include "kovcontrol.h"
#include "kovjobtable.h"
#include "kovvalidator.h"

#include <QAtomicInteger>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <sys/resource.h>

namespace {

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

QAtomicInteger<qint64> droppedMessages;

// The key index warns once per duplicate key; a terminal flooded with those would be measured instead of the job.
void countMessage(QtMsgType, const QMessageLogContext &, const QString &)
{
    droppedMessages.fetchAndAddRelaxed(1);
}

long peakMemoryKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

double sha1sumSeconds(const QString &path)
{
    QElapsedTimer timer;
    timer.start();
    QProcess sha;
    sha.start(QStringLiteral("sha1sum"), {path});
    if (!sha.waitForFinished(-1) || sha.exitCode() != 0)
        return -1.0;
    return timer.nsecsElapsed() / 1e9;
}

// With `existing` set the book is taken as it is, so that a profiler sees the job alone.
int runOne(qint64 lines, BenchVariant variant, const QString &folder, bool keep, const QString &existing)
{
    QDir().mkpath(folder);
    const QString book = existing.isEmpty() ? QDir(folder).filePath(QStringLiteral("bench0000000001.txt"))
                                            : existing;
    const QString work = QDir(folder).filePath(QStringLiteral("work"));
    QDir().mkpath(work);

    const qint64 size = existing.isEmpty() ? benchWriteBook(book, lines, variant) : QFileInfo(book).size();
    if (size <= 0) {
        out() << "cannot write " << book << Qt::endl;
        return 2;
    }
    const long memoryBeforeJob = peakMemoryKb();
    const double sha = sha1sumSeconds(book);

    QElapsedTimer timer;
    timer.start();
    {
        // The key-index file is named after the time of day and the ticket: benchmark processes started in the
        // same second must not draw the same ticket.
        QMutexLocker lock(&gMutex);
        gTicket = QCoreApplication::applicationPid();
    }
    const QString ticket = kovNewJob();
    auto *job = new KovValidator(ticket, benchRequest(book, work));
    if (!job->init()) {
        out() << "set-up failed: " << job->getInitError() << Qt::endl;
        delete job;
        return 2;
    }
    job->run(&gMutex);
    delete job;
    const double seconds = timer.nsecsElapsed() / 1e9;

    KovControl record;
    kovGetJob(ticket, &record);
    const KovStatus status = record.getStatus();
    const qint64 read = status.getRegistros();
    out() << qSetRealNumberPrecision(4)
          << benchVariantName(variant) << ": " << (existing.isEmpty() ? lines : read) << " lines, " << size / 1e6
          << " MB\n"
          << "  lines read " << read << ", errors " << status.getNerrores() << ", progress " << status.getAvance()
          << "\n"
          << "  job " << seconds << " s, " << read / seconds << " lines/s, ";
    // A book stopped at the error limit was not read whole: a rate over its size would mean nothing.
    if (status.getNerrores() == 0)
        out() << size / 1e6 / seconds << " MB/s\n";
    else
        out() << "stopped by its errors\n";
    out()
          << "  sha1sum " << sha << " s, R = " << (sha > 0 ? seconds / sha : 0.0) << "\n"
          << "  peak memory " << peakMemoryKb() / 1024 << " MB (before the job " << memoryBeforeJob / 1024
          << " MB)\n"
          << "  log lines dropped " << droppedMessages.loadRelaxed() << Qt::endl;
    if (!keep)
        QDir(folder).removeRecursively();
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Validates a generated purchase register and times it."));
    parser.addHelpOption();
    const QCommandLineOption linesOption(QStringLiteral("lines"), QStringLiteral("Lines in the book."),
                                         QStringLiteral("n"), QStringLiteral("1000000"));
    const QCommandLineOption variantOption(QStringLiteral("variant"),
        QStringLiteral("valid, shuffled, errors, duplicates or all (each in its own process)."),
        QStringLiteral("name"), QStringLiteral("all"));
    const QCommandLineOption dirOption(QStringLiteral("dir"), QStringLiteral("Folder for the book and results."),
                                       QStringLiteral("path"));
    const QCommandLineOption keepOption(QStringLiteral("keep"), QStringLiteral("Keep the book and results."));
    const QCommandLineOption bookOption(QStringLiteral("book"),
        QStringLiteral("Validate this book (one kept with --keep) instead of generating one."), QStringLiteral("path"));
    parser.addOptions({linesOption, variantOption, dirOption, keepOption, bookOption});
    parser.process(app);
    qInstallMessageHandler(countMessage);

    bool ok = false;
    const qint64 lines = parser.value(linesOption).toLongLong(&ok);
    if (!ok || lines < 1) {
        out() << "bad --lines" << Qt::endl;
        return 2;
    }
    const QString name = parser.value(variantOption);
    if (name == QLatin1String("all")) {
        // One process per variant, so that each peak memory figure is its own.
        int rc = 0;
        for (const char *v : {"valid", "shuffled", "errors", "duplicates"}) {
            QStringList args = {QStringLiteral("--lines"), QString::number(lines), QStringLiteral("--variant"),
                                QString::fromLatin1(v)};
            if (parser.isSet(dirOption))
                args << QStringLiteral("--dir") << parser.value(dirOption);
            if (parser.isSet(keepOption))
                args << QStringLiteral("--keep");
            QProcess child;
            child.setProcessChannelMode(QProcess::ForwardedChannels);
            child.start(QCoreApplication::applicationFilePath(), args);
            if (!child.waitForFinished(-1) || child.exitCode() != 0)
                rc = 1;
        }
        return rc;
    }

    BenchVariant variant;
    if (!benchVariantFromName(name, &variant)) {
        out() << "unknown variant " << name << Qt::endl;
        return 2;
    }
    if (parser.isSet(dirOption))
        return runOne(lines, variant, QDir(parser.value(dirOption)).filePath(name), parser.isSet(keepOption),
                      parser.value(bookOption));
    QTemporaryDir temp;
    temp.setAutoRemove(!parser.isSet(keepOption));
    if (!temp.isValid()) {
        out() << "no temporary folder" << Qt::endl;
        return 2;
    }
    return runOne(lines, variant, temp.path(), parser.isSet(keepOption), parser.value(bookOption));
}
