#include "kovcontrol.h"
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
    QSemaphore reached;
    QSemaphore release;
};

Gate gate;

KovRespuesta gatedValidator(QList<KovColumna> *, ParametrosRegistro *)
{
    gate.calls.fetchAndAddOrdered(1);
    if (gate.stepping.loadAcquire()) {
        gate.reached.release();
        gate.release.acquire();
    }
    // Every record counts as a state-7 record, so the published count follows the lines.
    KovRespuesta respuesta;
    respuesta.addEstado7();
    return respuesta;
}

const int kWait = 20000;

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
    void releasedJobReappearsAtNextWriteBack();

private:
    // A request for `book` with a one-column layout of any length and the given field limit.
    QJsonObject request(const QString &book, int nextendidas = 1) const;
    // Runs a whole job on the calling thread; returns its ticket.
    QString runJob(const QJsonObject &request);

    // Starts a whole job with the gated validator on a thread of its own.
    QThread *startGatedJob(const QString &book, QString *ticket, KovValidator **job);
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
    dir = new QTemporaryDir;
    QVERIFY(dir->isValid());
    QVERIFY(QDir().mkpath(dir->filePath(QStringLiteral("work"))));
}

void TestKovValidator::cleanup()
{
    delete dir;
    dir = nullptr;
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

QString TestKovValidator::runJob(const QJsonObject &request)
{
    const QString ticket = kovNewJob();
    KovValidator job(ticket, encode(request));
    if (!job.init())
        return QString();
    job.run(&gMutex);
    return ticket;
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
    const QString book = dir->filePath(QStringLiteral("LE2010006660320240100080100001111.txt"));
    QVERIFY(writeFile(book, bytes));

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

QThread *TestKovValidator::startGatedJob(const QString &book, QString *ticket, KovValidator **job)
{
    QJsonObject r = request(book);
    r.insert(QStringLiteral("funcion"), QStringLiteral("fGate"));
    *ticket = kovNewJob();
    *job = new KovValidator(*ticket, encode(r));
    if (!(*job)->init())
        return nullptr;
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
    const QString book = dir->filePath(QStringLiteral("LE2010006660320240100080100001111.txt"));
    QVERIFY(writeFile(book, bytes));
    QString ticket;
    KovValidator *job = nullptr;
    QThread *thread = startGatedJob(book, &ticket, &job);
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
    QTest::addColumn<int>("cancelAt");
    QTest::newRow("during the first line") << 1;
    QTest::newRow("after the first line") << 2;
}

void TestKovValidator::cancelStopsAfterTheLineInProgress()
{
    QFETCH(int, cancelAt);
    const QByteArray bytes("a|\nb|\nc|\nd|\n");
    const QString book = dir->filePath(QStringLiteral("LE2010006660320240100080100001111.txt"));
    QVERIFY(writeFile(book, bytes));
    QString ticket;
    KovValidator *job = nullptr;
    QThread *thread = startGatedJob(book, &ticket, &job);
    QVERIFY(thread);

    for (int line = 1; line < cancelAt; ++line) {
        QVERIFY(gate.reached.tryAcquire(1, kWait));
        gate.release.release();
    }
    QVERIFY(gate.reached.tryAcquire(1, kWait));
    KovControl record;
    QVERIFY(kovGetJob(ticket, &record));
    QCOMPARE(record.getStatus().getRegistros(), qint64(cancelAt - 1));
    QVERIFY(kovCancelJob(ticket));

    QVERIFY(finish(thread));
    // No line after the one in progress was validated, and the job left the table.
    QCOMPARE(gate.calls.loadAcquire(), cancelAt);
    QVERIFY(!kovGetJob(ticket, &record));
    // Without errors so far the book is still copied; no summary file is written.
    delete job;
    const QString folder = dir->filePath(QStringLiteral("work/20100066603/20240100080000"));
    QCOMPARE(QDir(folder).entryList(QDir::Files),
             QStringList{QStringLiteral("LE201000666032024010008010000111199.txt")});
    QCOMPARE(readAll(folder + QStringLiteral("/LE201000666032024010008010000111199.txt")), bytes);
}

void TestKovValidator::releasedJobReappearsAtNextWriteBack()
{
    const QByteArray bytes("a|\nb|\nc|\nd|\n");
    const QString book = dir->filePath(QStringLiteral("LE2010006660320240100080100001111.txt"));
    QVERIFY(writeFile(book, bytes));
    QString ticket;
    KovValidator *job = nullptr;
    QThread *thread = startGatedJob(book, &ticket, &job);
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

QTEST_GUILESS_MAIN(TestKovValidator)
#include "tst_kovvalidator.moc"
