// The benchmark's generated books are valid books: a speed figure over a book that stops at its errors, or that
// skips the record validator's work, would measure the wrong thing.
#include "benchbook.h"
#include "benchjob.h"
#include "benchpatterns.h"
#include "kovjuezpatron.h"
#include "kovpatrones.h"
#include "kovtrabajadores.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(BenchLayout)

class TestBenchBooks : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { KovJuezPatron::setEjecutable(QStringLiteral(ORVANTIS_BINARY)); }
    void validBook_data();
    void validBook();
    void brokenBook();
    void patternsOfTheBenchmark();
};

void TestBenchBooks::validBook_data()
{
    QTest::addColumn<BenchLayout>("layout");
    QTest::addColumn<bool>("validator");
    // The states each layout's records come in; every one must be present in a book of two thousand lines.
    QTest::addColumn<QString>("states");
    QTest::newRow("synthetic") << BenchLayout::Synthetic << false << QString();
    QTest::newRow("f050200") << BenchLayout::Journal << true << QStringLiteral("189");
    QTest::newRow("f050200 without validator") << BenchLayout::Journal << false << QString();
    QTest::newRow("f080100d") << BenchLayout::Purchases << true << QStringLiteral("01679");
    QTest::newRow("f080100d without validator") << BenchLayout::Purchases << false << QString();
    QTest::newRow("f140100d") << BenchLayout::Sales << true << QStringLiteral("01289");
    QTest::newRow("f140100d without validator") << BenchLayout::Sales << false << QString();
}

void TestBenchBooks::validBook()
{
    QFETCH(BenchLayout, layout);
    QFETCH(bool, validator);
    QFETCH(QString, states);
    const qint64 lines = 2000;

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString book = dir.filePath(benchBookName(layout));
    const QString work = dir.filePath(QStringLiteral("work"));
    QVERIFY(QDir().mkpath(work));
    BenchTally tally;
    QVERIFY(benchWriteBook(book, layout, lines, BenchVariant::Valid, &tally) > 0);
    QCOMPARE(tally.lines, lines);

    const BenchJobResult job = benchRunJob(benchRequest(layout, book, work, validator));
    QVERIFY2(job.initError.isEmpty(), qPrintable(job.initError));
    if (job.errors > 0)
        qWarning() << "first error:" << job.errores.constFirst();
    QCOMPARE(job.errors, qint64(0));
    QCOMPARE(job.lines, lines);
    QCOMPARE(job.progress, 100);
    if (!validator)
        return;

    // The validator saw every line, and its state counts match the records the generator wrote.
    QCOMPARE(benchSummaryValue(job.resumen, QStringLiteral("cnt_reg_det")), double(lines));
    qint64 counted = 0;
    for (const QChar s : states) {
        const qint64 expected = tally.states[s.digitValue()];
        QVERIFY2(expected > 0, qPrintable(QStringLiteral("no record of state ") + s));
        QCOMPARE(benchSummaryValue(job.resumen, QStringLiteral("cnt_reg_e") + s), double(expected));
        counted += expected;
    }
    QCOMPARE(counted, lines);
}

// The spoiled variant is refused line by line, so the valid one's 0 errors are a finding, not a blind spot.
void TestBenchBooks::brokenBook()
{
    for (BenchLayout layout : {BenchLayout::Synthetic, BenchLayout::Journal, BenchLayout::Purchases,
                               BenchLayout::Sales}) {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString book = dir.filePath(benchBookName(layout));
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("work"))));
        QVERIFY(benchWriteBook(book, layout, 20, BenchVariant::ErrorEveryLine) > 0);
        const BenchJobResult job = benchRunJob(benchRequest(layout, book, dir.filePath(QStringLiteral("work")),
                                                            benchLayoutValidates(layout)));
        QVERIFY2(job.initError.isEmpty(), qPrintable(job.initError));
        QCOMPARE(job.errors, qint64(20));
    }
}

// The patterns the benchmark times are what its rows say: admitted, their value matching, and where a row claims
// the costliest admitted pattern of its shape, the next size refused.
void TestBenchBooks::patternsOfTheBenchmark()
{
    for (const BenchPattern &p : benchPatterns()) {
        KovPatrones patrones(KovTrabajadores::maximo() + 1);
        QVERIFY2(patrones.agrega(p.patron) && patrones.termina(), qPrintable(p.name));
        KovPatrones::Revision revision;
        QVERIFY2(patrones.coincide(0, p.valor, &revision), qPrintable(p.name));
        if (!p.mayor.isEmpty()) {
            KovPatrones mayor(KovTrabajadores::maximo() + 1);
            QVERIFY2(!mayor.agrega(p.mayor) || !mayor.termina(), qPrintable(p.mayor));
        }
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString book = dir.filePath(QStringLiteral("patterns.txt"));
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("work"))));
        QVERIFY(benchWritePatternBook(book, p, 3) > 0);
        const BenchJobResult job = benchRunJob(benchPatternRequest(p, book, dir.filePath(QStringLiteral("work"))));
        QVERIFY2(job.initError.isEmpty(), qPrintable(job.initError));
        QCOMPARE(job.errors, qint64(0));
        QCOMPARE(job.lines, qint64(3));
    }
}

QTEST_GUILESS_MAIN(TestBenchBooks)
#include "tst_benchbooks.moc"
