#include "heldlines.h"
#include "kovcontrol.h"
#include "kovcopia.h"
#include "kovhilos.h"
#include "kovjobtable.h"
#include "kovrespuesta.h"
#include "kovrules.h"
#include "kovvalidator.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

namespace {

// A record validator that, while stepping is on, stops inside every line until the test lets it go: the job is
// then between two of its table steps, so the test can observe and act at a known line.
struct Gate
{
    QAtomicInt stepping;
    QAtomicInt calls;
    // Set when the job held the table's mutex while a line was being validated.
    QAtomicInt lockedDuringLine;
    // Every record then reports a positive box and a negative one of the listed boxes.
    QAtomicInt boxes;
    // Every record then reports a total of each kind.
    QAtomicInt totals;
    QSemaphore reached;
    QSemaphore release;
};

Gate gate;

KovRespuesta gatedValidator(QList<KovColumna> *, ParametrosRegistro *)
{
    gate.calls.fetchAndAddOrdered(1);
    // The mutex is not recursive: held by this very thread, it can never be taken here. The test thread only
    // holds it for short steps, so a free mutex is taken well within the wait.
    const bool free = gMutex.tryLock(1000);
    if (free)
        gMutex.unlock();
    else
        gate.lockedDuringLine.storeRelease(1);
    // Stopping here with the mutex held would only hang the test thread's next look at the table.
    if (gate.stepping.loadAcquire() && free) {
        gate.reached.release();
        gate.release.acquire();
    }
    // Every record counts as a state-7 record, so the published count follows the lines.
    KovRespuesta respuesta;
    respuesta.addEstado7();
    if (gate.boxes.loadAcquire()) {
        respuesta.addCasillas(QStringLiteral("140"), 12.6);
        respuesta.addCasillas(QStringLiteral("100"), -5.0);
    }
    if (gate.totals.loadAcquire()) {
        respuesta.addAcumulador(QStringLiteral("mto_total"), 1.5);
        respuesta.addAcumulador(QStringLiteral("cnt_reg_e1"), 1.0);
        respuesta.addAgregado(QStringLiteral("cdp_cnt_01"), 1.0);
        respuesta.addCasillas(QStringLiteral("107"), 2.25);
        respuesta.addPerAcumulador(QStringLiteral("mto_per"), QStringLiteral("20231200"), 0.5);
    }
    return respuesta;
}

const int kWait = 20000;
const int kCopyBlock = 1024 * 1024;

// The detail copy's progress, seen from its own thread; while holding is on it stops after its first block until
// the test lets it go.
struct CopyWatch
{
    QAtomicInt holding;
    QAtomicInteger<qint64> copied;
    QSemaphore blocks;
    QSemaphore reached;
    QSemaphore release;
};

CopyWatch copyWatch;

void watchCopy(qint64 copied)
{
    copyWatch.copied.storeRelease(copied);
    copyWatch.blocks.release();
    if (copyWatch.holding.testAndSetOrdered(1, 0)) {
        copyWatch.reached.release();
        copyWatch.release.acquire();
    }
}

// Everything in a folder, hidden names (the temporary files) included.
QStringList everything(const QString &folder)
{
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    names.sort();
    return names;
}

QString sha1(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex());
}

QJsonObject column(const QString &longitud)
{
    QJsonObject c;
    c.insert(QStringLiteral("longitud"), longitud);
    return c;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QString encode(const QJsonObject &request)
{
    return QString::fromLatin1(QJsonDocument(request).toJson(QJsonDocument::Compact).toBase64());
}

QList<QString> codes(const KovControl &record)
{
    QList<QString> result;
    for (const QVariant &e : record.getErrores())
        result << e.toMap().value(QStringLiteral("cod")).toString();
    return result;
}

// The job's key-index files: the time of day as six digits, the ticket and ".idx", in the temporary folder.
QStringList indexFiles(const QString &ticket)
{
    const QRegularExpression name(QStringLiteral("^[0-9]{6}") + QRegularExpression::escape(ticket)
                                  + QStringLiteral("\\.idx$"));
    QStringList found;
    for (const QString &file : QDir(QDir::tempPath()).entryList(QDir::Files | QDir::System | QDir::Hidden)) {
        if (name.match(file).hasMatch())
            found << file;
    }
    return found;
}

void cancelJob(const QString &ticket)
{
    kovCancelJob(ticket);
}

void releaseJob(const QString &ticket)
{
    kovRemoveJob(ticket);
}

void idleJob(const QString &ticket)
{
    QMutexLocker lock(&gMutex);
    KovControl record = gMap.value(ticket);
    record.status.setRunning(false);
    gMap.insert(ticket, record);
}

const char kDetail[] = "LE201000666032024010008010000111199.txt";
const char kResumen[] = "LE201000666032024010008010000011198.txt";
const char kAgregado[] = "LE201000666032024010008010000111197.txt";
const char kCasillas[] = "LE201000666032024010008010000111196.txt";

} // namespace

class TestKovValidator : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void setupFailureLeavesTableAlone();
    void cleanBookEndsAtHundred();
    void errorLimitProgressDecidesError44_data();
    void errorLimitProgressDecidesError44();
    void pdfDocumentIsCopiedNotRead();
    void progressIsPublishedAfterEachLine();
    void cancelStopsAfterTheLineInProgress_data();
    void cancelStopsAfterTheLineInProgress();
    void stopLeavesTheChecksInProgress_data();
    void stopLeavesTheChecksInProgress();
    void releasedJobReappearsAtNextWriteBack();
    void progressFollowsTheCountedBytes_data();
    void progressFollowsTheCountedBytes();
    void cancelSetBeforeTheRun_data();
    void cancelSetBeforeTheRun();
    void pdfJobIgnoresTheCancelFlag();
    void entryTakesTheTableRecord();
    void finalStatusNamesTheResultFiles_data();
    void finalStatusNamesTheResultFiles();
    void errorCountIsTakenAfterTheSummary();
    void boxesAreTextsWhileRunningAndWholeAtTheEnd();
    void copyDroppedWhenErrorsFollowIt_data();
    void copyDroppedWhenErrorsFollowIt();
    void cancelDuringTheCopy_data();
    void cancelDuringTheCopy();
    void bookChangedDuringTheCopy();
    void pollsSeeTheTotalsOfTheLastPublishedLine();

private:
    // A request for `book` with a one-column layout of any length and the given field limit.
    QJsonObject request(const QString &book, int nextendidas = 1) const;
    // Runs a whole job on the calling thread, `prepare` acting on its record between set-up and run; returns
    // its ticket.
    QString runJob(const QJsonObject &request, void (*prepare)(const QString &) = nullptr);
    // Writes the book under the name the tests' result names are cut from; returns its path, empty on failure.
    QString writeBook(const QByteArray &bytes) const;

    // Writes the book and starts a whole job on it with the gated validator on a thread of its own; `prepare`
    // acts on the record first.
    QThread *startGatedJob(const QByteArray &bytes, QString *ticket, KovValidator **job,
                           void (*prepare)(const QString &) = nullptr);
    // Lets the job go on to the end and waits for it.
    bool finish(QThread *thread);

    QTemporaryDir *dir = nullptr;
};

void TestKovValidator::initTestCase()
{
    // Key-index files are named after the time of day and the ticket; other test programs running at the same
    // second draw tickets from 1 too.
    QMutexLocker lock(&gMutex);
    gTicket = qint64(QCoreApplication::applicationPid()) * 1000;
}

void TestKovValidator::init()
{
    KovRules::registrarFuncionRegistroPrueba(QStringLiteral("fGate"), gatedValidator, 1);
    gate.stepping.storeRelease(1);
    gate.calls.storeRelease(0);
    gate.lockedDuringLine.storeRelease(0);
    gate.boxes.storeRelease(0);
    copyWatch.holding.storeRelease(0);
    copyWatch.copied.storeRelease(0);
    for (QSemaphore *s : {&copyWatch.blocks, &copyWatch.reached, &copyWatch.release})
        s->acquire(s->available());
    KovCopia::setVigia(watchCopy);
    gate.totals.storeRelease(0);
    dir = new QTemporaryDir;
    QVERIFY(dir->isValid());
    QVERIFY(QDir().mkpath(dir->filePath(QStringLiteral("work"))));
}

void TestKovValidator::cleanup()
{
    // A line a failed test left held must not hold its job for good.
    HeldLines::release();
    KovCopia::setVigia(nullptr);
    // A hold a failed test left must not keep a copy waiting.
    copyWatch.holding.storeRelease(0);
    copyWatch.release.release(1000);
    delete dir;
    dir = nullptr;
    QCOMPARE(gate.lockedDuringLine.loadAcquire(), 0);
}

QJsonObject TestKovValidator::request(const QString &book, int nextendidas) const
{
    QJsonObject r;
    r.insert(QStringLiteral("generateDetail"), 1);
    r.insert(QStringLiteral("pathHacolKov"), dir->filePath(QStringLiteral("work")));
    r.insert(QStringLiteral("codigo"), QStringLiteral("080100"));
    r.insert(QStringLiteral("ruc"), QStringLiteral("20100066603"));
    r.insert(QStringLiteral("periodo"), QStringLiteral("20240100"));
    r.insert(QStringLiteral("path"), book);
    r.insert(QStringLiteral("ncolumnas"), 1);
    r.insert(QStringLiteral("nextendidas"), nextendidas);
    r.insert(QStringLiteral("columnas"), QJsonArray{column(QStringLiteral("0"))});
    return r;
}

QString TestKovValidator::runJob(const QJsonObject &request, void (*prepare)(const QString &))
{
    const QString ticket = kovNewJob();
    KovValidator job(ticket, encode(request));
    if (!job.init())
        return QString();
    if (prepare)
        prepare(ticket);
    job.run(&gMutex);
    return ticket;
}

QString TestKovValidator::writeBook(const QByteArray &bytes) const
{
    const QString book = dir->filePath(QStringLiteral("LE2010006660320240100080100001111.txt"));
    return writeFile(book, bytes) ? book : QString();
}

void TestKovValidator::setupFailureLeavesTableAlone()
{
    QJsonObject r = request(dir->filePath(QStringLiteral("missing.txt")));
    const QString ticket = kovNewJob();
    KovValidator job(ticket, encode(r));
    QVERIFY(!job.init());
    QCOMPARE(job.getInitError(), QStringLiteral("906"));

    // A job whose set-up failed must not touch its record, even if run is called by mistake.
    QVERIFY(kovCancelJob(ticket));
    job.run(&gMutex);
    KovControl record;
    QVERIFY(kovGetJob(ticket, &record));
    QVERIFY(record.getStatus().isRunning());
    QVERIFY(record.getStatus().isCancel());
    QCOMPARE(record.getStatus().getAvance(), 0);
    QVERIFY(kovRemoveJob(ticket));
}

void TestKovValidator::cleanBookEndsAtHundred()
{
    const QString book = dir->filePath(QStringLiteral("LE2010006660320240100080100001111.txt"));
    const QByteArray bytes("a|\nb|\nc|\n");
    QVERIFY(writeFile(book, bytes));
    const QString ticket = runJob(request(book));
    QVERIFY(!ticket.isEmpty());

    KovControl record;
    QVERIFY(kovGetJob(ticket, &record));
    const KovStatus status = record.getStatus();
    QCOMPARE(status.getAvance(), 100);
    QCOMPARE(status.getRegistros(), qint64(3));
    QCOMPARE(status.getNerrores(), qint64(0));
    QVERIFY(!status.isRunning());
    QVERIFY(record.getErrores().isEmpty());
    QVERIFY(status.getPathWork().endsWith(QLatin1Char('/')));
    QVERIFY(!status.getNameFileDetail().isEmpty());
    QCOMPARE(readAll(status.getPathWork() + status.getNameFileDetail()), bytes);
    QVERIFY(kovRemoveJob(ticket));
}

void TestKovValidator::errorLimitProgressDecidesError44_data()
{
    QTest::addColumn<int>("tail");
    QTest::addColumn<bool>("error44");
    // The stop comes on line 1002; 6005 bytes are counted by then (1 + 4 + 1000 * 6), the first 1002 lines
    // hold 5008, so a tail of 997 unread bytes puts the count exactly at the size.
    QTest::newRow("count reaches the size: 98") << 997 << false;
    QTest::newRow("one byte short: 97") << 998 << true;
}

void TestKovValidator::errorLimitProgressDecidesError44()
{
    QFETCH(int, tail);
    QFETCH(bool, error44);

    // The first line fixes one field; every later line has two and fails the count, one error each.
    QByteArray bytes("a|\n");
    for (int i = 0; i < 1001; ++i)
        bytes += "a|b|\n";
    bytes += QByteArray(tail - 1, 'x') + '\n';
    const QString book = writeBook(bytes);
    QVERIFY(!book.isEmpty());

    const QString ticket = runJob(request(book));
    QVERIFY(!ticket.isEmpty());
    KovControl record;
    QVERIFY(kovGetJob(ticket, &record));
    const QList<QString> found = codes(record);
    QCOMPARE(found.count(QStringLiteral("040")), 1001);
    QCOMPARE(found.count(QStringLiteral("010")), 1);
    QCOMPARE(found.contains(QStringLiteral("044")), error44);
    if (error44) {
        const QVariantMap last = record.getErrores().last().toMap();
        QCOMPARE(last.value(QStringLiteral("cod")).toString(), QStringLiteral("044"));
        QCOMPARE(last.value(QStringLiteral("fil")).toInt(), 0);
        QCOMPARE(last.value(QStringLiteral("col")).toInt(), 0);
    }
    const KovStatus status = record.getStatus();
    QCOMPARE(status.getAvance(), 100);
    QCOMPARE(status.getRegistros(), qint64(1002));
    QCOMPARE(status.getNerrores(), qint64(found.size()));
    // A book with errors is never copied.
    QVERIFY(!QFile::exists(status.getPathWork() + status.getNameFileDetail()));
    QVERIFY(kovRemoveJob(ticket));
}

void TestKovValidator::pdfDocumentIsCopiedNotRead()
{
    // The copy is named after the last 37 characters of the path: here the file name itself.
    const QString name = QStringLiteral("LE20100066603202401000801000011111.pdf");
    QCOMPARE(name.size(), 38);
    const QString book = dir->filePath(name);
    const QByteArray bytes("%PDF-1.4\nnot|a|book|\n\x01\x02");
    QVERIFY(writeFile(book, bytes));
    QJsonObject r = request(book);
    r.insert(QStringLiteral("isFilePDF"), 1);

    const QString ticket = runJob(r);
    QVERIFY(!ticket.isEmpty());
    KovControl record;
    QVERIFY(kovGetJob(ticket, &record));
    const KovStatus status = record.getStatus();
    QCOMPARE(status.getAvance(), 100);
    QCOMPARE(status.getRegistros(), qint64(1));
    QCOMPARE(status.getNerrores(), qint64(0));
    QCOMPARE(status.getNestado7(), qint64(0));
    QVERIFY(record.getErrores().isEmpty());
    QCOMPARE(status.getNameFileDetail(), name.right(37));
    QCOMPARE(readAll(status.getPathWork() + status.getNameFileDetail()), bytes);

    const QString hash = QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex());
    QVariantMap sums;
    for (const QVariant &e : record.getResumen())
        sums.insert(e.toMap().value(QStringLiteral("atrib")).toString(), e.toMap().value(QStringLiteral("valor")));
    QCOMPARE(sums.value(QStringLiteral("cod_hash")).toString(), hash);
    QCOMPARE(sums.value(QStringLiteral("cod_hash_det")).toString(), hash);
    QVERIFY(kovRemoveJob(ticket));
}

QThread *TestKovValidator::startGatedJob(const QByteArray &bytes, QString *ticket, KovValidator **job,
                                         void (*prepare)(const QString &))
{
    const QString book = writeBook(bytes);
    if (book.isEmpty())
        return nullptr;
    QJsonObject r = request(book);
    r.insert(QStringLiteral("funcion"), QStringLiteral("fGate"));
    *ticket = kovNewJob();
    *job = new KovValidator(*ticket, encode(r));
    if (!(*job)->init())
        return nullptr;
    if (prepare)
        prepare(*ticket);
    KovValidator *j = *job;
    QThread *thread = QThread::create([j] { j->run(&gMutex); });
    thread->start();
    return thread;
}

bool TestKovValidator::finish(QThread *thread)
{
    gate.stepping.storeRelease(0);
    gate.release.release(1000);
    const bool ended = thread->wait(kWait);
    delete thread;
    gate.release.acquire(gate.release.available());
    return ended;
}

void TestKovValidator::progressIsPublishedAfterEachLine()
{
    // 1000 bytes, the first line 100 with its line end: 1 + 101 counted bytes after it, 9.996 percent of 98.
    const QByteArray bytes = QByteArray(98, 'a') + "|\n" + QByteArray(898, 'b') + "|\n";
    QCOMPARE(bytes.size(), 1000);
    QString ticket;
    KovValidator *job = nullptr;
    QThread *thread = startGatedJob(bytes, &ticket, &job);
    QVERIFY(thread);

    QVERIFY(gate.reached.tryAcquire(1, kWait));
    KovControl record;
    QVERIFY(kovGetJob(ticket, &record));
    QVERIFY(record.getStatus().isRunning());
    QCOMPARE(record.getStatus().getAvance(), 0);
    gate.release.release();

    QVERIFY(gate.reached.tryAcquire(1, kWait));
    QVERIFY(kovGetJob(ticket, &record));
    QCOMPARE(record.getStatus().getAvance(), 9);
    QCOMPARE(record.getStatus().getRegistros(), qint64(1));
    QCOMPARE(record.getStatus().getNestado7(), qint64(1));
    QVERIFY(record.getStatus().isRunning());

    QVERIFY(finish(thread));
    delete job;
    QVERIFY(kovGetJob(ticket, &record));
    QCOMPARE(record.getStatus().getAvance(), 100);
    QCOMPARE(record.getStatus().getRegistros(), qint64(2));
    QCOMPARE(record.getStatus().getNestado7(), qint64(2));
    QVERIFY(!record.getStatus().isRunning());
    QVERIFY(record.getErrores().isEmpty());
    QVERIFY(kovRemoveJob(ticket));
}

void TestKovValidator::cancelStopsAfterTheLineInProgress_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("cancelAt");
    QTest::addColumn<qint64>("published");
    QTest::addColumn<bool>("copied");
    QTest::newRow("during the first line") << QByteArray("a|\nb|\nc|\nd|\n") << 1 << qint64(0) << true;
    QTest::newRow("after the first line") << QByteArray("a|\nb|\nc|\nd|\n") << 2 << qint64(1) << true;
    // Line 2 has a field too many: it is never handed to the validator, and the book is no longer copied.
    QTest::newRow("after a line with an error") << QByteArray("a|\nb|c|\nd|\ne|\n") << 2 << qint64(2) << false;
}

void TestKovValidator::cancelStopsAfterTheLineInProgress()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, cancelAt);
    QFETCH(qint64, published);
    QFETCH(bool, copied);
    QString ticket;
    KovValidator *job = nullptr;
    QThread *thread = startGatedJob(bytes, &ticket, &job);
    QVERIFY(thread);

    for (int line = 1; line < cancelAt; ++line) {
        QVERIFY(gate.reached.tryAcquire(1, kWait));
        gate.release.release();
    }
    QVERIFY(gate.reached.tryAcquire(1, kWait));
    KovControl record;
    QVERIFY(kovGetJob(ticket, &record));
    QCOMPARE(record.getStatus().getRegistros(), published);
    QCOMPARE(indexFiles(ticket).size(), 1);
    QVERIFY(kovCancelJob(ticket));

    QTest::ignoreMessage(QtDebugMsg, "Se cancelo el proceso");
    QVERIFY(finish(thread));
    // No line after the one in progress was validated, and the job left the table.
    QCOMPARE(gate.calls.loadAcquire(), cancelAt);
    QVERIFY(!kovGetJob(ticket, &record));
    QVERIFY(indexFiles(ticket).isEmpty());
    // Without errors so far the book is still copied; no summary file is written.
    delete job;
    const QString folder = dir->filePath(QStringLiteral("work/20100066603/20240100080000"));
    QCOMPARE(QDir(folder).entryList(QDir::Files),
             copied ? QStringList{QString::fromLatin1(kDetail)} : QStringList());
    if (copied)
        QCOMPARE(readAll(folder + QLatin1Char('/') + QString::fromLatin1(kDetail)), bytes);
}

void TestKovValidator::stopLeavesTheChecksInProgress_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("held");
    QTest::addColumn<bool>("quit");
    QTest::addColumn<bool>("oneBatch");
    // In a book of one batch a single thread checks the lines: once the held one is let go, none follows it.
    QTest::newRow("cancel, first line") << 100 << 1 << false << true;
    QTest::newRow("cancel, tenth line of one batch") << 100 << 10 << false << true;
    QTest::newRow("cancel, last line of a full batch") << 128 << 128 << false << true;
    // Batches after the held one are checked meanwhile, as far as what is in flight allows, and the reading waits.
    QTest::newRow("cancel, a batch among many in flight") << 20000 << 1000 << false << false;
    // The service ends: the job's thread is asked to end, and the job keeps the copy a cancel keeps.
    QTest::newRow("the service ends, tenth line of one batch") << 100 << 10 << true << true;
    QTest::newRow("the service ends, a batch among many in flight") << 20000 << 1000 << true << false;
}

// A line held inside its check: the merge waits for its batch, and a stop still ends the job at once, while the line
// is held. Let go, the line ends, no later line is checked and the reading went no further.
void TestKovValidator::stopLeavesTheChecksInProgress()
{
    QFETCH(int, lines);
    QFETCH(int, held);
    QFETCH(bool, quit);
    QFETCH(bool, oneBatch);
    QByteArray bytes;
    for (int i = 1; i <= lines; ++i)
        bytes += "L" + QByteArray::number(i) + "|\n";
    const QString book = writeBook(bytes);
    QVERIFY(!book.isEmpty());
    QJsonObject heldColumn = column(QStringLiteral("0"));
    heldColumn.insert(QStringLiteral("funcion"), QString::fromLatin1(HeldLines::name()));
    QJsonObject r = request(book);
    r.insert(QStringLiteral("columnas"), QJsonArray{heldColumn});
    HeldLines::hold(QStringLiteral("L%1").arg(held));

    const QString ticket = kovNewJob();
    QScopedPointer<KovValidator> job(new KovValidator(ticket, encode(r)));
    QVERIFY(job->init());
    KovValidator *running = job.data();
    QScopedPointer<QThread> thread(QThread::create([running] { running->run(&gMutex); }));
    thread->start();
    QVERIFY(HeldLines::waitHeld(1, kWait));
    KovControl record;
    QVERIFY(kovGetJob(ticket, &record));
    QVERIFY(record.getStatus().getRegistros() < held);

    if (quit) {
        // The copy runs beside the reading; a small book's is done by now, but for its end of file.
        QTRY_COMPARE_WITH_TIMEOUT(copyWatch.copied.loadAcquire(), qint64(bytes.size()), kWait);
        thread->requestInterruption();
    } else {
        QVERIFY(kovCancelJob(ticket));
    }
    QTest::ignoreMessage(QtDebugMsg, "Se cancelo el proceso");
    if (!thread->wait(kWait)) {
        // Let go, so that the job can end before its objects do.
        HeldLines::release();
        thread->wait();
        QFAIL("the job waited for the line held in its check");
    }
    job.reset();
    QCOMPARE(HeldLines::waiting(), 1);
    QVERIFY(!kovGetJob(ticket, &record));
    QVERIFY(indexFiles(ticket).isEmpty());
    const QString folder = dir->filePath(QStringLiteral("work/20100066603/20240100080000"));
    QCOMPARE(everything(folder), QStringList{QString::fromLatin1(kDetail)});
    QCOMPARE(readAll(folder + QLatin1Char('/') + QString::fromLatin1(kDetail)), bytes);

    HeldLines::release();
    QVERIFY(KovHilos::esperaQuietud(kWait));
    if (oneBatch) {
        QCOMPARE(HeldLines::late(), 0);
        QCOMPARE(HeldLines::checked(), held);
    } else {
        QVERIFY2(HeldLines::checked() < lines / 2, QByteArray::number(HeldLines::checked()).constData());
    }
}

void TestKovValidator::releasedJobReappearsAtNextWriteBack()
{
    const QByteArray bytes("a|\nb|\nc|\nd|\n");
    QString ticket;
    KovValidator *job = nullptr;
    QThread *thread = startGatedJob(bytes, &ticket, &job);
    QVERIFY(thread);

    QVERIFY(gate.reached.tryAcquire(1, kWait));
    gate.release.release();
    QVERIFY(gate.reached.tryAcquire(1, kWait));
    QVERIFY(kovRemoveJob(ticket));
    gate.release.release();

    // The write-back after line 2 puts the record back.
    QVERIFY(gate.reached.tryAcquire(1, kWait));
    KovControl record;
    QVERIFY(kovGetJob(ticket, &record));
    QCOMPARE(record.getStatus().getRegistros(), qint64(2));

    QVERIFY(finish(thread));
    delete job;
    QVERIFY(kovGetJob(ticket, &record));
    QCOMPARE(record.getStatus().getAvance(), 100);
    QCOMPARE(record.getStatus().getRegistros(), qint64(4));
    QVERIFY(!record.getStatus().isRunning());
    QVERIFY(kovRemoveJob(ticket));
}

void TestKovValidator::progressFollowsTheCountedBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<int>>("published");
    // Ten lines of ten bytes: 1 + 11 k bytes counted after line k, of 100; line 9 reaches the size exactly.
    QTest::newRow("ten lines of ten bytes") << QByteArray("abcdefgh|\n").repeated(10)
                                           << QList<int>{11, 22, 33, 44, 54, 65, 76, 87, 98};
    // A last line without its line end: the count reaches the size one line early and stays at 98.
    QTest::newRow("size reached before the last line") << QByteArray("a|\nb|") << QList<int>{98};
}

void TestKovValidator::progressFollowsTheCountedBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QList<int>, published);
    QString ticket;
    KovValidator *job = nullptr;
    QThread *thread = startGatedJob(bytes, &ticket, &job);
    QVERIFY(thread);

    // Inside line k + 1 the table shows what the job published after line k.
    QVERIFY(gate.reached.tryAcquire(1, kWait));
    gate.release.release();
    KovControl record;
    for (int k = 1; k <= published.size(); ++k) {
        QVERIFY(gate.reached.tryAcquire(1, kWait));
        QVERIFY(kovGetJob(ticket, &record));
        QCOMPARE(record.getStatus().getAvance(), published.at(k - 1));
        QCOMPARE(record.getStatus().getRegistros(), qint64(k));
        QCOMPARE(record.getStatus().getNestado7(), qint64(k));
        gate.release.release();
    }
    QVERIFY(finish(thread));
    delete job;
    QVERIFY(kovGetJob(ticket, &record));
    QCOMPARE(record.getStatus().getAvance(), 100);
    QVERIFY(!codes(record).contains(QStringLiteral("044")));
    QVERIFY(kovRemoveJob(ticket));
}

void TestKovValidator::cancelSetBeforeTheRun_data()
{
    QTest::addColumn<bool>("releasedDuringFirstLine");
    QTest::newRow("record kept") << false;
    // The job's working record took the flag with it at its entry: written back, it carries the cancel again.
    QTest::newRow("record released during the first line") << true;
}

void TestKovValidator::cancelSetBeforeTheRun()
{
    QFETCH(bool, releasedDuringFirstLine);
    QString ticket;
    KovValidator *job = nullptr;
    QThread *thread = startGatedJob("a|\nb|\nc|\nd|\n", &ticket, &job, cancelJob);
    QVERIFY(thread);

    QVERIFY(gate.reached.tryAcquire(1, kWait));
    KovControl record;
    QVERIFY(kovGetJob(ticket, &record));
    QVERIFY(record.getStatus().isCancel());
    QVERIFY(record.getStatus().isRunning());
    if (releasedDuringFirstLine) {
        QVERIFY(kovRemoveJob(ticket));
        gate.release.release();
        QVERIFY(gate.reached.tryAcquire(1, kWait));
        QVERIFY(kovGetJob(ticket, &record));
        QCOMPARE(record.getStatus().getRegistros(), qint64(1));
        QVERIFY(record.getStatus().isCancel());
    }
    QTest::ignoreMessage(QtDebugMsg, "Se cancelo el proceso");
    QVERIFY(finish(thread));
    delete job;
    QCOMPARE(gate.calls.loadAcquire(), releasedDuringFirstLine ? 2 : 1);
    QVERIFY(!kovGetJob(ticket, &record));
}

void TestKovValidator::pdfJobIgnoresTheCancelFlag()
{
    const QString name = QStringLiteral("LE20100066603202401000801000011111.pdf");
    const QString book = dir->filePath(name);
    QVERIFY(writeFile(book, "%PDF-1.4\n"));
    QJsonObject r = request(book);
    r.insert(QStringLiteral("isFilePDF"), 1);
    const QString ticket = runJob(r, cancelJob);
    QVERIFY(!ticket.isEmpty());

    KovControl record;
    QVERIFY(kovGetJob(ticket, &record));
    const KovStatus status = record.getStatus();
    QCOMPARE(status.getAvance(), 100);
    QCOMPARE(status.getRegistros(), qint64(1));
    QVERIFY(!status.isRunning());
    // The final write-back keeps the flag the table holds.
    QVERIFY(status.isCancel());
    QCOMPARE(status.getNameFileDetail(), name.right(37));
    QVERIFY(QFile::exists(status.getPathWork() + status.getNameFileDetail()));
    QVERIFY(indexFiles(ticket).isEmpty());
    QVERIFY(kovRemoveJob(ticket));
}

void TestKovValidator::entryTakesTheTableRecord()
{
    const QString book = writeBook("a|\nb|\n");
    QVERIFY(!book.isEmpty());

    // A record that is not there reads as a fresh one and is entered.
    {
        const QString ticket = runJob(request(book), releaseJob);
        QVERIFY(!ticket.isEmpty());
        KovControl record;
        QVERIFY(kovGetJob(ticket, &record));
        QCOMPARE(record.getStatus().getAvance(), 100);
        QCOMPARE(record.getStatus().getRegistros(), qint64(2));
        QVERIFY(kovRemoveJob(ticket));
    }

    // Whatever the record said, the job counts as running from its entry on.
    QString ticket;
    KovValidator *job = nullptr;
    QThread *thread = startGatedJob("a|\nb|\n", &ticket, &job, idleJob);
    QVERIFY(thread);
    QVERIFY(gate.reached.tryAcquire(1, kWait));
    KovControl record;
    QVERIFY(kovGetJob(ticket, &record));
    QVERIFY(record.getStatus().isRunning());
    QVERIFY(finish(thread));
    delete job;
    QVERIFY(kovGetJob(ticket, &record));
    QVERIFY(!record.getStatus().isRunning());
    QVERIFY(kovRemoveJob(ticket));
}

void TestKovValidator::finalStatusNamesTheResultFiles_data()
{
    QTest::addColumn<int>("generateDetail");
    QTest::addColumn<int>("generateQVR");
    QTest::addColumn<QString>("resumen");
    QTest::addColumn<QString>("agregado");
    QTest::addColumn<QString>("casillas");
    const QString r = QString::fromLatin1(kResumen);
    const QString a = QString::fromLatin1(kAgregado);
    const QString c = QString::fromLatin1(kCasillas);
    QTest::newRow("detail") << 1 << 0 << r << a << QString();
    QTest::newRow("detail and boxes") << 1 << 1 << r << a << c;
    QTest::newRow("boxes") << 0 << 1 << QString() << QString() << c;
    QTest::newRow("flags other than 1") << 2 << 2 << QString() << QString() << QString();
}

void TestKovValidator::finalStatusNamesTheResultFiles()
{
    QFETCH(int, generateDetail);
    QFETCH(int, generateQVR);
    QFETCH(QString, resumen);
    QFETCH(QString, agregado);
    QFETCH(QString, casillas);
    const QString book = writeBook("a|\nb|\n");
    QVERIFY(!book.isEmpty());
    QJsonObject r = request(book);
    r.insert(QStringLiteral("generateDetail"), generateDetail);
    r.insert(QStringLiteral("generateQVR"), generateQVR);
    const QString ticket = runJob(r);
    QVERIFY(!ticket.isEmpty());

    KovControl record;
    QVERIFY(kovGetJob(ticket, &record));
    const KovStatus status = record.getStatus();
    QCOMPARE(status.getNerrores(), qint64(0));
    QCOMPARE(status.getPathWork(),
             dir->filePath(QStringLiteral("work")) + QStringLiteral("/20100066603/20240100080000/"));
    QCOMPARE(status.getNameFileDetail(), QString::fromLatin1(kDetail));
    QCOMPARE(status.getNameFileResumen(), resumen);
    QCOMPARE(status.getNameFileAgregado(), agregado);
    QCOMPARE(status.getNameFileCasillas(), casillas);
    const QStringList published = QStringList{status.getNameFileDetail(), resumen, agregado, casillas};
    for (const QString &name : published) {
        if (!name.isEmpty())
            QVERIFY2(QFile::exists(status.getPathWork() + name), qPrintable(name));
    }
    QVERIFY(indexFiles(ticket).isEmpty());
    QVERIFY(kovRemoveJob(ticket));
}

void TestKovValidator::errorCountIsTakenAfterTheSummary()
{
    const QString book = writeBook("a|\nb|\n");
    QVERIFY(!book.isEmpty());
    // A folder where the summary file belongs: the summary cannot write it and reports 999, and the job's files go
    // with it.
    QVERIFY(QDir().mkpath(dir->filePath(QStringLiteral("work/20100066603/20240100080000/"))
                          + QString::fromLatin1(kResumen)));
    const QString ticket = runJob(request(book));
    QVERIFY(!ticket.isEmpty());

    KovControl record;
    QVERIFY(kovGetJob(ticket, &record));
    const KovStatus status = record.getStatus();
    QCOMPARE(codes(record), QList<QString>{QStringLiteral("999")});
    QCOMPARE(status.getNerrores(), qint64(1));
    QCOMPARE(status.getAvance(), 100);
    QCOMPARE(status.getNameFileDetail(), QString());
    QCOMPARE(status.getNameFileResumen(), QString());
    QCOMPARE(status.getNameFileAgregado(), QString());
    QVERIFY(!QFile::exists(status.getPathWork() + QString::fromLatin1(kDetail)));
    QVERIFY(kovRemoveJob(ticket));
}

void TestKovValidator::boxesAreTextsWhileRunningAndWholeAtTheEnd()
{
    gate.boxes.storeRelease(1);
    QString ticket;
    KovValidator *job = nullptr;
    QThread *thread = startGatedJob("a|\nb|\n", &ticket, &job);
    QVERIFY(thread);
    QVERIFY(gate.reached.tryAcquire(1, kWait));
    gate.release.release();
    QVERIFY(gate.reached.tryAcquire(1, kWait));

    // After line 1 of 6 bytes: 5 counted, 81.67 percent of 98.
    KovControl record;
    QVERIFY(kovGetJob(ticket, &record));
    QCOMPARE(record.getStatus().toJson(), QStringLiteral(
        "{\n"
        "    \"avance\": 81,\n"
        "    \"nerrores\": 0,\n"
        "    \"nregistros\": 1\n"
        "}\n"));
    QCOMPARE(record.toJson(), QStringLiteral(
        "{\n"
        "    \"casillas\": [\n"
        "        {\n"
        "            \"atrib\": \"140\",\n"
        "            \"valor\": \"12.600\"\n"
        "        },\n"
        "        {\n"
        "            \"atrib\": \"100\",\n"
        "            \"valor\": \"-5.000\"\n"
        "        }\n"
        "    ],\n"
        "    \"control\": {\n"
        "        \"archivoAgregado\": \"\",\n"
        "        \"archivoCasillas\": \"\",\n"
        "        \"archivoDetalle\": \"\",\n"
        "        \"archivoResumen\": \"\",\n"
        "        \"avance\": 81,\n"
        "        \"directorio\": \"\",\n"
        "        \"nerrores\": 0,\n"
        "        \"nestado7\": 1,\n"
        "        \"nregistros\": 1\n"
        "    },\n"
        "    \"errores\": [\n"
        "    ],\n"
        "    \"resumen\": [\n"
        "    ]\n"
        "}\n"));

    QVERIFY(finish(thread));
    delete job;
    QVERIFY(kovGetJob(ticket, &record));
    const QJsonObject result = QJsonDocument::fromJson(record.toJson().toUtf8()).object();
    const QJsonArray boxes = result.value(QStringLiteral("casillas")).toArray();
    QCOMPARE(boxes.size(), 2);
    QCOMPARE(boxes.at(0).toObject().value(QStringLiteral("valor")), QJsonValue(25));
    QCOMPARE(boxes.at(1).toObject().value(QStringLiteral("valor")), QJsonValue(QStringLiteral("0")));
    const QJsonObject control = result.value(QStringLiteral("control")).toObject();
    QCOMPARE(control.value(QStringLiteral("avance")), QJsonValue(100));
    QCOMPARE(control.value(QStringLiteral("nestado7")), QJsonValue(2));
    QCOMPARE(control.value(QStringLiteral("nregistros")), QJsonValue(2));
    QCOMPARE(control.value(QStringLiteral("archivoDetalle")), QJsonValue(QString::fromLatin1(kDetail)));
    QCOMPARE(control.value(QStringLiteral("archivoResumen")), QJsonValue(QString::fromLatin1(kResumen)));
    QCOMPARE(control.value(QStringLiteral("archivoCasillas")), QJsonValue(QString()));
    QCOMPARE(control.value(QStringLiteral("directorio")), QJsonValue(record.getStatus().getPathWork()));
    QVERIFY(!control.contains(QStringLiteral("running")) && !control.contains(QStringLiteral("cancel")));
    QVERIFY(kovRemoveJob(ticket));
}

void TestKovValidator::copyDroppedWhenErrorsFollowIt_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("holdCopy");
    QTest::addColumn<QList<QString>>("expected");
    // Line 2 has a field too many, found once the copy has the whole book.
    QTest::newRow("error after the copy finished") << QByteArray("a|\nb|c|\nd|\n") << false
                                                   << QList<QString>{QStringLiteral("040")};
    // The error limit stops the reading while the copy is held half-way.
    QList<QString> limit;
    for (int i = 0; i < 1001; ++i)
        limit << QStringLiteral("040");
    limit << QStringLiteral("010") << QStringLiteral("044");
    QTest::newRow("error limit with the copy half-way")
        << QByteArray("a|\n") + QByteArray("a|b|\n").repeated(1001) + QByteArray("c|\n").repeated(400000) << true
        << limit;
}

// A book with errors keeps no copy, however far the copy had come: nothing is published and no temporary file is
// left.
void TestKovValidator::copyDroppedWhenErrorsFollowIt()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, holdCopy);
    QFETCH(QList<QString>, expected);
    copyWatch.holding.storeRelease(holdCopy ? 1 : 0);
    QString ticket;
    KovValidator *job = nullptr;
    QThread *thread = startGatedJob(bytes, &ticket, &job);
    QVERIFY(thread);

    QVERIFY(gate.reached.tryAcquire(1, kWait));
    if (holdCopy) {
        QVERIFY(copyWatch.reached.tryAcquire(1, kWait));
        QCOMPARE(copyWatch.copied.loadAcquire(), qint64(kCopyBlock));
    } else {
        while (copyWatch.copied.loadAcquire() < bytes.size())
            QVERIFY(copyWatch.blocks.tryAcquire(1, kWait));
    }
    copyWatch.release.release();
    QVERIFY(finish(thread));
    delete job;

    KovControl record;
    QVERIFY(kovGetJob(ticket, &record));
    QCOMPARE(codes(record), expected);
    QCOMPARE(record.getStatus().getAvance(), 100);
    QCOMPARE(everything(dir->filePath(QStringLiteral("work/20100066603/20240100080000"))), QStringList());
    QVERIFY(indexFiles(ticket).isEmpty());
    QVERIFY(kovRemoveJob(ticket));
}

void TestKovValidator::cancelDuringTheCopy_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("linesBefore");
    QTest::addColumn<bool>("quit");
    QTest::addColumn<bool>("copied");
    const QByteArray tail = QByteArray("c|\n").repeated(400000);
    const QByteArray clean = QByteArray("a|\nb|\n") + tail;
    // Line 2 has a field too many and never reaches the validator.
    const QByteArray wrong = QByteArray("a|\nb|c|\n") + tail;
    QTest::newRow("no error so far: the copy is finished") << clean << 2 << false << true;
    QTest::newRow("an error so far: the copy is dropped") << wrong << 1 << false << false;
    // The copy stays held until the job has ended: the service's end gives it its moment and drops it whole.
    QTest::newRow("the service ends, the copy unfinished: dropped") << clean << 2 << true << false;
    QTest::newRow("the service ends, an error so far: dropped") << wrong << 1 << true << false;
}

// A job cancelled while its copy is half-way still copies a book without errors to its end, and leaves nothing of
// the copy of a book with errors; at the service's end, nothing of a copy that did not finish in its moment.
void TestKovValidator::cancelDuringTheCopy()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, linesBefore);
    QFETCH(bool, quit);
    QFETCH(bool, copied);
    copyWatch.holding.storeRelease(1);
    QString ticket;
    KovValidator *job = nullptr;
    QThread *thread = startGatedJob(bytes, &ticket, &job);
    QVERIFY(thread);

    for (int line = 0; line < linesBefore; ++line) {
        QVERIFY(gate.reached.tryAcquire(1, kWait));
        gate.release.release();
    }
    QVERIFY(gate.reached.tryAcquire(1, kWait));
    QVERIFY(copyWatch.reached.tryAcquire(1, kWait));
    if (quit)
        thread->requestInterruption();
    else
        QVERIFY(kovCancelJob(ticket));
    QTest::ignoreMessage(QtDebugMsg, "Se cancelo el proceso");
    if (!quit)
        copyWatch.release.release();
    QVERIFY(finish(thread));
    delete job;
    // Let go only now: a copy dropped meanwhile finds its file already gone.
    copyWatch.release.release();
    QVERIFY(KovHilos::esperaQuietud(kWait));

    KovControl record;
    QVERIFY(!kovGetJob(ticket, &record));
    QVERIFY(indexFiles(ticket).isEmpty());
    const QString folder = dir->filePath(QStringLiteral("work/20100066603/20240100080000"));
    QCOMPARE(everything(folder), copied ? QStringList{QString::fromLatin1(kDetail)} : QStringList());
    if (copied)
        QCOMPARE(readAll(folder + QLatin1Char('/') + QString::fromLatin1(kDetail)), bytes);
}

// The book rewritten while its copy is half-way: the detail hash and size are those of the bytes the copy holds,
// and the book hash is the book's as it stands at the summary.
void TestKovValidator::bookChangedDuringTheCopy()
{
    const QByteArray before = QByteArray("a|\n").repeated(400000);
    const QByteArray after = QByteArray("b|\n").repeated(400000);
    copyWatch.holding.storeRelease(1);
    QString ticket;
    KovValidator *job = nullptr;
    QThread *thread = startGatedJob(before, &ticket, &job);
    QVERIFY(thread);
    QVERIFY(gate.reached.tryAcquire(1, kWait));
    QVERIFY(copyWatch.reached.tryAcquire(1, kWait));
    QVERIFY(writeFile(dir->filePath(QStringLiteral("LE2010006660320240100080100001111.txt")), after));
    copyWatch.release.release();
    QVERIFY(finish(thread));
    delete job;

    KovControl record;
    QVERIFY(kovGetJob(ticket, &record));
    QCOMPARE(codes(record), QList<QString>());
    const QByteArray copy = before.left(kCopyBlock) + after.mid(kCopyBlock);
    const KovStatus status = record.getStatus();
    QCOMPARE(readAll(status.getPathWork() + status.getNameFileDetail()), copy);
    QVariantMap sums;
    for (const QVariant &e : record.getResumen())
        sums.insert(e.toMap().value(QStringLiteral("atrib")).toString(), e.toMap().value(QStringLiteral("valor")));
    QCOMPARE(sums.value(QStringLiteral("cod_hash")).toString(), sha1(after));
    QCOMPARE(sums.value(QStringLiteral("cod_hash_det")).toString(), sha1(copy));
    QCOMPARE(sums.value(QStringLiteral("cnt_tam_det")).toString(), QString::number(copy.size()));
    QVERIFY(kovRemoveJob(ticket));
}

namespace {

QString totalsOf(const KovControl &record)
{
    QStringList texts;
    const QList<QList<QVariant>> lists{record.getResumen(), record.getAgregado(), record.getCasillas(),
                                       record.getAuxResumen()};
    for (const QList<QVariant> &list : lists) {
        for (const QVariant &v : list) {
            const QVariantMap m = v.toMap();
            texts << m.value(QStringLiteral("atrib")).toString() + QLatin1Char('=')
                         + m.value(QStringLiteral("valor")).toString();
        }
        texts << QStringLiteral(";");
    }
    return texts.join(QLatin1Char(' '));
}

} // namespace

// A record copied out of the table while the job runs holds the totals of the lines its counts say were read,
// and keeps them while the job goes on merging into its own record.
void TestKovValidator::pollsSeeTheTotalsOfTheLastPublishedLine()
{
    gate.totals.storeRelease(1);
    QString ticket;
    KovValidator *job = nullptr;
    QThread *thread = startGatedJob("a|\nb|\nc|\n", &ticket, &job);
    QVERIFY(thread);

    QVERIFY(gate.reached.tryAcquire(1, kWait));
    KovControl first;
    QVERIFY(kovGetJob(ticket, &first));
    QCOMPARE(first.getStatus().getRegistros(), qint64(0));
    QCOMPARE(totalsOf(first), QStringLiteral("; ; ; ;"));
    gate.release.release();

    QVERIFY(gate.reached.tryAcquire(1, kWait));
    KovControl second;
    QVERIFY(kovGetJob(ticket, &second));
    const QString afterOne = QStringLiteral("mto_total=1.500 cnt_reg_e1=1.000 ; cdp_cnt_01=1 ; 107=2.250 ; "
                                            "mto_per__20231200=0.500 ;");
    QCOMPARE(second.getStatus().getRegistros(), qint64(1));
    QCOMPARE(totalsOf(second), afterOne);
    const QString secondJson = second.toJson();
    gate.release.release();

    QVERIFY(gate.reached.tryAcquire(1, kWait));
    KovControl third;
    QVERIFY(kovGetJob(ticket, &third));
    QCOMPARE(third.getStatus().getRegistros(), qint64(2));
    const QString afterTwo = QStringLiteral("mto_total=3.000 cnt_reg_e1=2 ; cdp_cnt_01=2 ; 107=4.500 ; "
                                            "mto_per__20231200=1.000 ;");
    QCOMPARE(totalsOf(third), afterTwo);
    QCOMPARE(totalsOf(second), afterOne);
    QCOMPARE(second.toJson(), secondJson);
    QVERIFY(secondJson.contains(QStringLiteral("\"valor\": \"2.250\"")));

    QVERIFY(finish(thread));
    delete job;
    KovControl last;
    QVERIFY(kovGetJob(ticket, &last));
    QCOMPARE(totalsOf(third), afterTwo);
    QCOMPARE(last.getStatus().getRegistros(), qint64(3));
    QCOMPARE(last.resumen.at(0).toMap().value(QStringLiteral("valor")), QVariant(QStringLiteral("4.500")));
    QCOMPARE(last.resumen.at(2).toMap().value(QStringLiteral("atrib")), QVariant(QStringLiteral("cod_hash")));
    QCOMPARE(last.resumen.at(3).toMap().value(QStringLiteral("valor")), QVariant(QStringLiteral("20231200=1.500")));
    QVERIFY(kovRemoveJob(ticket));
}

QTEST_GUILESS_MAIN(TestKovValidator)
#include "tst_kovvalidator.moc"
