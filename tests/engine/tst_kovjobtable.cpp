#include "kovcontrol.h"
#include "kovjobtable.h"
#include "kovstatus.h"

#include <QSet>
#include <QThread>
#include <QtTest>

namespace {

QVariantMap entry(const QString &atrib, const QVariant &valor)
{
    QVariantMap m;
    m.insert(QStringLiteral("atrib"), atrib);
    m.insert(QStringLiteral("valor"), valor);
    return m;
}

QVariantMap error(const QString &cod, qint64 fil, int col, const QString &des = QString())
{
    QVariantMap m;
    m.insert(QStringLiteral("cod"), cod);
    m.insert(QStringLiteral("fil"), fil);
    m.insert(QStringLiteral("col"), col);
    if (!des.isNull())
        m.insert(QStringLiteral("des"), des);
    return m;
}

} // namespace

class TestKovJobTable : public QObject
{
    Q_OBJECT

private slots:
    void freshRecordTexts();
    void filledRecordTexts();
    void statusTextShowsOnlyProgressAndCounts();
    void ticketsCountFromOne();
    void ticketsStayUniqueAcrossThreads();
    void cancelAndRemove();
};

void TestKovJobTable::freshRecordTexts()
{
    const KovControl record;
    QVERIFY(record.getStatus().isRunning());
    QVERIFY(!record.getStatus().isCancel());

    QCOMPARE(record.getStatus().toJson(), QStringLiteral(
        "{\n"
        "    \"avance\": 0,\n"
        "    \"nerrores\": 0,\n"
        "    \"nregistros\": 0\n"
        "}\n"));

    QCOMPARE(record.toJson(), QStringLiteral(
        "{\n"
        "    \"casillas\": [\n"
        "    ],\n"
        "    \"control\": {\n"
        "        \"archivoAgregado\": \"\",\n"
        "        \"archivoCasillas\": \"\",\n"
        "        \"archivoDetalle\": \"\",\n"
        "        \"archivoResumen\": \"\",\n"
        "        \"avance\": 0,\n"
        "        \"directorio\": \"\",\n"
        "        \"nerrores\": 0,\n"
        "        \"nestado7\": 0,\n"
        "        \"nregistros\": 0\n"
        "    },\n"
        "    \"errores\": [\n"
        "    ],\n"
        "    \"resumen\": [\n"
        "    ]\n"
        "}\n"));
}

void TestKovJobTable::filledRecordTexts()
{
    KovControl record;
    record.status.setAvance(100);
    record.status.setRegistros(1234567890123LL);
    record.status.setNerrores(2);
    record.status.setNestado7(3);
    record.status.setNameFileDetail(QStringLiteral("LE2010000000120240100080100000199.txt"));
    record.status.setNameFileResumen(QStringLiteral("R.txt"));
    record.status.setNameFileAgregado(QStringLiteral("A.txt"));
    record.status.setNameFileCasillas(QStringLiteral("C.txt"));
    record.status.setPathWork(QStringLiteral("/tmp/año"));
    record.status.setRunning(false);
    record.status.setCancel(true);
    record.errores << error(QStringLiteral("044"), 0, 0)
                   << error(QStringLiteral("666"), 7, 3, QStringLiteral("Período inválido"));
    record.resumen << entry(QStringLiteral("mto_total_t1"), QStringLiteral("12.500"));
    record.casillas << entry(QStringLiteral("cas_100"), 45) << entry(QStringLiteral("cas_107"), QStringLiteral("0"));
    // Neither of these two lists ever reaches the result text.
    record.agregado << entry(QStringLiteral("cdp_cnt_01"), QStringLiteral("1"));
    QVariantMap perPeriod = entry(QStringLiteral("mto_total_t1"), QStringLiteral("1.000"));
    perPeriod.insert(QStringLiteral("per"), QStringLiteral("20240100"));
    record.auxResumen << perPeriod;

    QCOMPARE(record.toJson(), QStringLiteral(
        "{\n"
        "    \"casillas\": [\n"
        "        {\n"
        "            \"atrib\": \"cas_100\",\n"
        "            \"valor\": 45\n"
        "        },\n"
        "        {\n"
        "            \"atrib\": \"cas_107\",\n"
        "            \"valor\": \"0\"\n"
        "        }\n"
        "    ],\n"
        "    \"control\": {\n"
        "        \"archivoAgregado\": \"A.txt\",\n"
        "        \"archivoCasillas\": \"C.txt\",\n"
        "        \"archivoDetalle\": \"LE2010000000120240100080100000199.txt\",\n"
        "        \"archivoResumen\": \"R.txt\",\n"
        "        \"avance\": 100,\n"
        "        \"directorio\": \"/tmp/año\",\n"
        "        \"nerrores\": 2,\n"
        "        \"nestado7\": 3,\n"
        "        \"nregistros\": 1234567890123\n"
        "    },\n"
        "    \"errores\": [\n"
        "        {\n"
        "            \"cod\": \"044\",\n"
        "            \"col\": 0,\n"
        "            \"fil\": 0\n"
        "        },\n"
        "        {\n"
        "            \"cod\": \"666\",\n"
        "            \"col\": 3,\n"
        "            \"des\": \"Período inválido\",\n"
        "            \"fil\": 7\n"
        "        }\n"
        "    ],\n"
        "    \"resumen\": [\n"
        "        {\n"
        "            \"atrib\": \"mto_total_t1\",\n"
        "            \"valor\": \"12.500\"\n"
        "        }\n"
        "    ]\n"
        "}\n"));

    const KovControl copy = record;
    QCOMPARE(copy.toJson(), record.toJson());
    QCOMPARE(copy.getAgregado().size(), 1);
    QCOMPARE(copy.getAuxResumen().size(), 1);
    QVERIFY(!copy.getStatus().isRunning());
    QVERIFY(copy.getStatus().isCancel());
}

void TestKovJobTable::statusTextShowsOnlyProgressAndCounts()
{
    KovStatus status;
    status.setAvance(45);
    status.setRegistros(10);
    status.setNerrores(3);
    status.setNestado7(9);
    status.setNameFileDetail(QStringLiteral("D.txt"));
    status.setPathWork(QStringLiteral("/w"));
    status.setRunning(false);
    status.setCancel(true);
    QCOMPARE(status.toJson(), QStringLiteral(
        "{\n"
        "    \"avance\": 45,\n"
        "    \"nerrores\": 3,\n"
        "    \"nregistros\": 10\n"
        "}\n"));
}

void TestKovJobTable::ticketsCountFromOne()
{
    QString tenth;
    QCOMPARE(kovNewJob(), QStringLiteral("1"));
    for (int i = 2; i <= 10; ++i)
        tenth = kovNewJob();
    QCOMPARE(tenth, QStringLiteral("10"));

    KovControl record;
    QVERIFY(kovGetJob(QStringLiteral("10"), &record));
    QVERIFY(record.getStatus().isRunning());
    QCOMPARE(record.getStatus().getAvance(), 0);

    QMutexLocker lock(&gMutex);
    QCOMPARE(gTicket, qint64(10));
    QCOMPARE(gMap.size(), 10);
    // Ordered by ticket text, not by number.
    QCOMPARE(gMap.firstKey(), QStringLiteral("1"));
    QCOMPARE(gMap.keys().at(1), QStringLiteral("10"));
}

void TestKovJobTable::ticketsStayUniqueAcrossThreads()
{
    const int perThread = 200;
    QList<QStringList> drawn;
    QList<QThread *> threads;
    for (int t = 0; t < 4; ++t)
        drawn.append(QStringList());
    for (int t = 0; t < 4; ++t) {
        QStringList *out = &drawn[t];
        threads.append(QThread::create([out, perThread] {
            for (int i = 0; i < perThread; ++i)
                out->append(kovNewJob());
        }));
    }
    for (QThread *th : threads)
        th->start();
    for (QThread *th : threads) {
        QVERIFY(th->wait(30000));
        delete th;
    }
    QSet<QString> all;
    for (const QStringList &list : drawn)
        for (const QString &ticket : list)
            all.insert(ticket);
    QCOMPARE(all.size(), 4 * perThread);
}

void TestKovJobTable::cancelAndRemove()
{
    const QString ticket = kovNewJob();
    QVERIFY(kovCancelJob(ticket));
    KovControl record;
    QVERIFY(kovGetJob(ticket, &record));
    QVERIFY(record.getStatus().isCancel());

    QVERIFY(kovRemoveJob(ticket));
    QVERIFY(!kovRemoveJob(ticket));
    QVERIFY(!kovCancelJob(ticket));
    QVERIFY(!kovGetJob(ticket, &record));
    {
        QMutexLocker lock(&gMutex);
        QVERIFY(!gMap.contains(ticket));
        // An absent ticket reads as a fresh record through the value lookup.
        const KovControl absent = gMap.value(ticket);
        QVERIFY(absent.getStatus().isRunning());
        QVERIFY(!absent.getStatus().isCancel());
        QCOMPARE(absent.getStatus().getRegistros(), qint64(0));
    }
}

QTEST_GUILESS_MAIN(TestKovJobTable)
#include "tst_kovjobtable.moc"
