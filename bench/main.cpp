// Speed benchmark: generates a book of a layout, validates it as one job end to end and compares the job's wall
// time with sha1sum over the same file. Not part of the test suite.

#include "benchbook.h"
#include "benchjob.h"
#include "benchpatterns.h"
#include "kovjuezpatron.h"
#include "kovlibro.h"
#include "kovpatrones.h"
#include "kovtrabajadores.h"

#include <QAtomicInteger>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <sys/resource.h>

#include <algorithm>
#include <ctime>
#include <vector>

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

struct Run
{
    BenchLayout layout;
    BenchVariant variant;
    bool validator;
};

QString describe(const Run &run)
{
    return benchLayoutName(run.layout) + QLatin1Char(' ') + benchVariantName(run.variant)
        + (benchLayoutValidates(run.layout) ? (run.validator ? QStringLiteral(" (record validator)")
                                                             : QStringLiteral(" (no record validator)"))
                                            : QString());
}

// With `existing` set the book is taken as it is, so that a profiler sees the job alone.
int runOne(qint64 lines, const Run &run, const QString &folder, bool keep, const QString &existing)
{
    QDir().mkpath(folder);
    const QString book = existing.isEmpty() ? QDir(folder).filePath(benchBookName(run.layout)) : existing;
    const QString work = QDir(folder).filePath(QStringLiteral("work"));
    QDir().mkpath(work);

    const qint64 size = existing.isEmpty() ? benchWriteBook(book, run.layout, lines, run.variant)
                                           : QFileInfo(book).size();
    if (size <= 0) {
        out() << "cannot write " << book << Qt::endl;
        return 2;
    }
    const long memoryBeforeJob = peakMemoryKb();
    const double sha = sha1sumSeconds(book);

    const BenchJobResult job = benchRunJob(benchRequest(run.layout, book, work, run.validator));
    if (!job.initError.isEmpty()) {
        out() << "set-up failed: " << job.initError << Qt::endl;
        return 2;
    }
    const double seconds = job.seconds;
    const qint64 read = job.lines;
    const double r = sha > 0 ? seconds / sha : 0.0;
    out() << qSetRealNumberPrecision(4)
          << describe(run) << ": " << (existing.isEmpty() ? lines : read) << " lines, " << size / 1e6 << " MB\n"
          << "  lines read " << read << ", errors " << job.errors << ", progress " << job.progress << "\n"
          << "  job " << seconds << " s, " << read / seconds << " lines/s, " << seconds * 1e6 / read
          << " us/line, ";
    // A book stopped at the error limit was not read whole: a rate over its size would mean nothing.
    if (job.errors == 0)
        out() << size / 1e6 / seconds << " MB/s\n";
    else
        out() << "stopped by its errors\n";
    if (job.errors > 0) {
        out() << "  first errors (code, line, column):";
        for (const QVariant &e : job.errores.mid(0, 5)) {
            const QVariantMap m = e.toMap();
            out() << ' ' << m.value(QStringLiteral("cod")).toString() << '/'
                  << m.value(QStringLiteral("fil")).toString() << '/' << m.value(QStringLiteral("col")).toString();
        }
        out() << '\n';
    }
    out() << "  sha1sum " << sha << " s, R = " << r << "\n"
          << "  peak memory " << peakMemoryKb() / 1024 << " MB (before the job " << memoryBeforeJob / 1024
          << " MB)\n"
          << "  log lines dropped " << droppedMessages.loadRelaxed() << "\n"
          // One line per run for scripts: the same figures, separated by blanks.
          << "  row " << benchLayoutName(run.layout) << ' ' << benchVariantName(run.variant) << ' '
          << (run.validator ? "validator" : "none") << ' ' << read << ' ' << job.errors << ' ' << seconds << ' '
          << sha << ' ' << r << ' ' << peakMemoryKb() / 1024 << Qt::endl;
    if (!keep)
        QDir(folder).removeRecursively();
    return 0;
}

// The patterns' rows: what set-up's model says a character costs at worst, what matching the value alone costs, and
// what a character costs in a job read line by line on its thread (reading the line, the other checks, the copy
// and the hashes included).
int runPatterns(qint64 lines, const QString &folder)
{
    QDir().mkpath(folder);
    const QString work = QDir(folder).filePath(QStringLiteral("work"));
    QDir().mkpath(work);
    const QString book = QDir(folder).filePath(QStringLiteral("patterns.txt"));
    int rc = 0;
    for (const BenchPattern &p : benchPatterns()) {
        KovPatrones patrones(KovTrabajadores::maximo() + 1);
        if (!patrones.agrega(p.patron) || !patrones.termina()) {
            out() << p.name << ": refused at set-up" << Qt::endl;
            rc = 1;
            continue;
        }
        KovPatrones mayor(KovTrabajadores::maximo() + 1);
        const bool mayorRechazado = !p.mayor.isEmpty() && (!mayor.agrega(p.mayor) || !mayor.termina());
        KovPatrones::Revision revision;
        QElapsedTimer timer;
        qint64 veces = 0;
        bool coinciden = true;
        timer.start();
        // The clock is read once in a while, so that on short fields it is not what is timed.
        do {
            for (int i = 0; i < 64; ++i)
                coinciden = patrones.coincide(0, p.valor, &revision) && coinciden;
            veces += 64;
        } while (timer.nsecsElapsed() < 500000000);
        const double sola = double(timer.nsecsElapsed()) / double(veces) / p.valor.size();
        if (benchWritePatternBook(book, p, lines) <= 0) {
            out() << "cannot write " << book << Qt::endl;
            return 2;
        }
        const BenchJobResult job = benchRunJob(benchPatternRequest(p, book, work));
        const double enTrabajo = job.seconds * 1e9 / (double(job.lines) * p.valor.size());
        out() << qSetRealNumberPrecision(4) << p.name << ": " << p.patron.left(60)
              << (p.patron.size() > 60 ? "..." : "") << "\n"
              << "  model " << patrones.costo(0) << " ns/char at worst, alone " << sola << " ns/char"
              << (coinciden ? "" : " (the value did not match)") << ", in a job read line by line " << enTrabajo
              << " ns/char (" << job.lines << " lines of " << p.valor.size() << " characters, " << job.errors
              << " errors)\n";
        if (!p.mayor.isEmpty())
            out() << "  one size larger, " << p.mayor.left(60) << (p.mayor.size() > 60 ? "..." : "")
                  << ", refused at set-up: " << (mayorRechazado ? "yes" : "no")
                  << "\n";
        out() << "  pattern-row " << p.patron.left(30).replace(QLatin1Char(' '), QLatin1Char('_')) << ' '
              << p.valor.size() << ' ' << patrones.costo(0) << ' ' << sola << ' ' << enTrabajo << Qt::endl;
        if (!coinciden || job.errors != 0 || (!p.mayor.isEmpty() && !mayorRechazado))
            rc = 1;
    }
    QFile::remove(book);
    return rc;
}

double threadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// The set-up of layouts of many distinct patterns each: how long their patterns take to set up on the calling
// thread, admitted or refused (median of three), against the work they were charged, and the worst of them.
int runSetup()
{
    double peor = 0;
    QString cual;
    for (const BenchSetup &f : benchSetupFamilies()) {
        std::vector<double> tiempos;
        int columnas = 0;
        bool admitido = false;
        double trabajo = 0;
        for (int vuelta = 0; vuelta < 3; ++vuelta) {
            const double antes = threadSeconds();
            KovPatrones patrones(KovTrabajadores::maximo() + 1);
            int c = 0;
            while (c < f.columns && patrones.agrega(f.patron(c)))
                ++c;
            admitido = c == f.columns && patrones.termina();
            tiempos.push_back(threadSeconds() - antes);
            columnas = c;
            trabajo = patrones.trabajo();
        }
        std::sort(tiempos.begin(), tiempos.end());
        const double mediana = tiempos[1];
        out() << qSetRealNumberPrecision(4) << f.name << ": " << f.columns << " columns, "
              << (admitido ? QStringLiteral("admitted")
                  : columnas == f.columns ? QStringLiteral("refused once every column was in")
                                          : QStringLiteral("refused at column %1").arg(columnas + 1))
              << ", set-up " << mediana * 1e3 << " ms of this thread (" << tiempos.front() * 1e3 << " to "
              << tiempos.back() * 1e3 << "), charged " << trabajo / 1e6 << " ms of "
              << KovPatrones::kTrabajoMaximo / 1e6 << "\n"
              << "  setup-row " << columnas << ' ' << (admitido ? "admitted" : "refused") << ' ' << mediana << ' '
              << trabajo / 1e9 << Qt::endl;
        if (mediana > peor) {
            peor = mediana;
            cual = f.name;
        }
    }
    out() << "worst set-up " << peor * 1e3 << " ms: " << cual << Qt::endl;
    return 0;
}

// The runs a choice names: `all` names every layout or variant, `both` both sides of the record validator.
QList<Run> expand(const QString &layout, const QString &variant, const QString &validator, QString *bad)
{
    QList<BenchLayout> layouts;
    for (const QString &name : layout == QLatin1String("all") ? benchLayoutNames() : QStringList{layout}) {
        BenchLayout l;
        if (!benchLayoutFromName(name, &l)) {
            *bad = QStringLiteral("unknown layout ") + name;
            return {};
        }
        layouts << l;
    }
    QList<BenchVariant> variants;
    const QStringList allVariants = {QStringLiteral("valid"), QStringLiteral("shuffled"), QStringLiteral("errors"),
                                     QStringLiteral("duplicates")};
    for (const QString &name : variant == QLatin1String("all") ? allVariants : QStringList{variant}) {
        BenchVariant v;
        if (!benchVariantFromName(name, &v)) {
            *bad = QStringLiteral("unknown variant ") + name;
            return {};
        }
        variants << v;
    }
    QList<bool> sides;
    if (validator == QLatin1String("on"))
        sides = {true};
    else if (validator == QLatin1String("off"))
        sides = {false};
    else if (validator == QLatin1String("both"))
        sides = {true, false};
    else {
        *bad = QStringLiteral("unknown --validator ") + validator;
        return {};
    }
    QList<Run> runs;
    for (BenchLayout l : layouts) {
        for (BenchVariant v : variants) {
            if (!benchLayoutValidates(l)) {
                runs << Run{l, v, false};
                continue;
            }
            for (bool side : sides)
                runs << Run{l, v, side};
        }
    }
    return runs;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // The service's own executable judges the patterns only QRegExp can match, as it does in the service.
    KovJuezPatron::setEjecutable(QStringLiteral(ORVANTIS_BINARY));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Validates generated books and times them."));
    parser.addHelpOption();
    const QCommandLineOption linesOption(QStringLiteral("lines"), QStringLiteral("Lines in the book."),
                                         QStringLiteral("n"), QStringLiteral("1000000"));
    const QCommandLineOption layoutOption(QStringLiteral("layout"),
        QStringLiteral("synthetic, f050200, f080100d, f140100d or all."), QStringLiteral("name"),
        QStringLiteral("synthetic"));
    const QCommandLineOption variantOption(QStringLiteral("variant"),
        QStringLiteral("valid, shuffled, errors, duplicates or all."), QStringLiteral("name"),
        QStringLiteral("valid"));
    const QCommandLineOption validatorOption(QStringLiteral("validator"),
        QStringLiteral("For a layout with a record validator: on, off (the same layout naming none) or both."),
        QStringLiteral("side"), QStringLiteral("both"));
    const QCommandLineOption dirOption(QStringLiteral("dir"), QStringLiteral("Folder for the book and results."),
                                       QStringLiteral("path"));
    const QCommandLineOption keepOption(QStringLiteral("keep"), QStringLiteral("Keep the book and results."));
    const QCommandLineOption bookOption(QStringLiteral("book"),
        QStringLiteral("Validate this book (one kept with --keep) instead of generating one."), QStringLiteral("path"));
    const QCommandLineOption oneThreadOption(QStringLiteral("one-thread"),
        QStringLiteral("Read the book on the job's thread alone, line by line, as before the pipeline."));
    const QCommandLineOption patternsOption(QStringLiteral("patterns"),
        QStringLiteral("Time column patterns per character instead: each engine's costliest admitted one and "
                       "plain ones, alone and in books of --lines lines (2000 by default) read line by line."));
    const QCommandLineOption setupOption(QStringLiteral("setup"),
        QStringLiteral("Time the set-up of layouts of thousands of distinct patterns that set-up works hard on, "
                       "admitted or refused, and print the worst."));
    parser.addOptions({linesOption, layoutOption, variantOption, validatorOption, dirOption, keepOption, bookOption,
                       oneThreadOption, patternsOption, setupOption});
    parser.process(app);
    KovLibro::setLecturaEnLinea(parser.isSet(oneThreadOption) || parser.isSet(patternsOption));
    qInstallMessageHandler(countMessage);

    if (parser.isSet(setupOption))
        return runSetup();
    if (parser.isSet(patternsOption)) {
        bool leidas = false;
        const qint64 lineas = parser.isSet(linesOption) ? parser.value(linesOption).toLongLong(&leidas) : 2000;
        if ((parser.isSet(linesOption) && !leidas) || lineas < 1) {
            out() << "bad --lines" << Qt::endl;
            return 2;
        }
        QTemporaryDir temp;
        if (!temp.isValid()) {
            out() << "no temporary folder" << Qt::endl;
            return 2;
        }
        return runPatterns(lineas, parser.isSet(dirOption) ? parser.value(dirOption) : temp.path());
    }

    bool ok = false;
    const qint64 lines = parser.value(linesOption).toLongLong(&ok);
    if (!ok || lines < 1) {
        out() << "bad --lines" << Qt::endl;
        return 2;
    }
    QString bad;
    const QList<Run> runs = expand(parser.value(layoutOption), parser.value(variantOption),
                                   parser.value(validatorOption), &bad);
    if (runs.isEmpty()) {
        out() << bad << Qt::endl;
        return 2;
    }
    if (runs.size() > 1) {
        // One process per run, so that each peak memory figure is its own.
        int rc = 0;
        for (const Run &run : runs) {
            QStringList args = {QStringLiteral("--lines"), QString::number(lines), QStringLiteral("--layout"),
                                benchLayoutName(run.layout), QStringLiteral("--variant"),
                                benchVariantName(run.variant), QStringLiteral("--validator"),
                                run.validator ? QStringLiteral("on") : QStringLiteral("off")};
            for (const QCommandLineOption &option : {dirOption, bookOption}) {
                if (parser.isSet(option))
                    args << QLatin1String("--") + option.names().constFirst() << parser.value(option);
            }
            for (const QCommandLineOption &option : {keepOption, oneThreadOption}) {
                if (parser.isSet(option))
                    args << QLatin1String("--") + option.names().constFirst();
            }
            QProcess child;
            child.setProcessChannelMode(QProcess::ForwardedChannels);
            child.start(QCoreApplication::applicationFilePath(), args);
            if (!child.waitForFinished(-1) || child.exitCode() != 0)
                rc = 1;
        }
        return rc;
    }

    const Run &run = runs.constFirst();
    const QString name = benchLayoutName(run.layout) + QLatin1Char('-') + benchVariantName(run.variant);
    if (parser.isSet(dirOption))
        return runOne(lines, run, QDir(parser.value(dirOption)).filePath(name), parser.isSet(keepOption),
                      parser.value(bookOption));
    QTemporaryDir temp;
    temp.setAutoRemove(!parser.isSet(keepOption));
    if (!temp.isValid()) {
        out() << "no temporary folder" << Qt::endl;
        return 2;
    }
    return runOne(lines, run, temp.path(), parser.isSet(keepOption), parser.value(bookOption));
}
