#include "kovcolumna.h"
#include "kovrules.h"

#include <QThread>
#include <QtTest>

namespace {

KovRespuesta validadorPrueba(QList<KovColumna> *, ParametrosRegistro *)
{
    KovRespuesta r;
    r.addError(99, 1);
    return r;
}

KovRespuesta columnaPrueba(ParametrosColumna *)
{
    KovRespuesta r;
    r.addError(98);
    return r;
}

} // namespace

class TestKovRules : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void tableNames_data();
    void tableNames();
    void notFound_data();
    void notFound();
    void testSeamLookups_data();
    void testSeamLookups();
    void tablesWinOverTestNames();
    void emptyNameKeepsCount();
};

void TestKovRules::cleanup()
{
    KovRules::olvidarFuncionesPrueba();
}

// Each name of the record table with its state column: a validator that is built must come with that column,
// one that is not built yet finds nothing at all.
void TestKovRules::tableNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("columnaEstado");

    static const struct { const char *name; int columna; } filas[] = {
        { "f010100", 19 }, { "f010200", 15 }, { "f030100", 5 }, { "f030200", 8 }, { "f030300", 9 },
        { "f030400", 9 }, { "f030500", 9 }, { "f030600", 12 }, { "f030700", 12 }, { "f030800", 12 },
        { "f030900", 9 }, { "f031100", 10 }, { "f031200", 9 }, { "f031300", 10 }, { "f031400", 8 },
        { "f031500", 12 }, { "f031601", 6 }, { "f031602", 8 }, { "f031700", 19 }, { "f031800", 5 },
        { "f031900", 16 }, { "f032000", 5 }, { "f032300", 5 }, { "f032400", 5 }, { "f032500", 5 },
        { "f040100", 10 }, { "f050100", 21 }, { "f050200", 21 }, { "f050300", 8 }, { "f050400", 8 },
        { "f060100", 21 }, { "f070100", 36 }, { "f070300", 15 }, { "f070400", 11 }, { "f080100d", 41 },
        { "f080100g", 41 }, { "f080200d", 36 }, { "f080200g", 36 }, { "f080300d", 31 }, { "f080300g", 31 },
        { "f090100", 22 }, { "f090200", 21 }, { "f100100", 6 }, { "f100200", 8 }, { "f100300", 13 },
        { "f100400", 7 }, { "f120100", 18 }, { "f130100", 26 }, { "f140100d", 34 }, { "f140100g", 34 },
        { "f140200d", 25 }, { "f140200g", 25 },
    };
    for (const auto &f : filas)
        QTest::newRow(f.name) << QString::fromLatin1(f.name) << f.columna;
}

void TestKovRules::tableNames()
{
    QFETCH(QString, name);
    QFETCH(int, columnaEstado);

    KovRules rules;
    const FuncionRegistro f = rules.getFuncionRegistro(name);
    QCOMPARE(rules.getTotal(), 52);
    QCOMPARE(rules.getColumnaEstado(name), f ? columnaEstado : 0);
    // Built or not, the name carries its validator's state column: a stand-in under it reads that far.
    KovRules::registrarFuncionRegistroPrueba(name, &validadorPrueba, 1);
    QCOMPARE(rules.getColumnaEstado(name), columnaEstado);
    KovRules::olvidarFuncionesPrueba();
    QVERIFY(!rules.getFuncionColumna(name));
    QCOMPARE(rules.getTotal(), 8);
    QVERIFY(!rules.getFuncionRegistro(name + QLatin1Char(' ')));
    QVERIFY(!rules.getFuncionRegistro(QLatin1Char(' ') + name));
    QVERIFY(!rules.getFuncionRegistro(name.toUpper()));
}

void TestKovRules::notFound_data()
{
    QTest::addColumn<QString>("name");

    QTest::newRow("book 8 without variant") << "f080100";
    QTest::newRow("upper case") << "F080100D";
    QTest::newRow("book without layout") << "f020100";
    QTest::newRow("column function as record") << "fcFecha";
    QTest::newRow("trailing blank") << "fcFecha ";
    QTest::newRow("unknown") << "nada";
}

void TestKovRules::notFound()
{
    QFETCH(QString, name);

    KovRules rules;
    QVERIFY(!rules.getFuncionRegistro(name));
    QCOMPARE(rules.getColumnaEstado(name), 0);
    if (!name.startsWith(QLatin1String("fc")))
        QVERIFY(!rules.getFuncionColumna(name));
}

void TestKovRules::testSeamLookups_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("found");

    QTest::newRow("exact") << "fPrueba" << true;
    QTest::newRow("case differs") << "fprueba" << false;
    QTest::newRow("leading blank") << " fPrueba" << false;
    QTest::newRow("trailing blank") << "fPrueba " << false;
    QTest::newRow("prefix") << "fPrueb" << false;
}

void TestKovRules::testSeamLookups()
{
    QFETCH(QString, name);
    QFETCH(bool, found);

    // Registrations from several threads at once must all hold.
    QList<QThread *> hilos;
    for (int i = 0; i < 4; ++i) {
        hilos << QThread::create([i] {
            KovRules::registrarFuncionRegistroPrueba(QStringLiteral("fPrueba%1").arg(i), &validadorPrueba, i + 1);
        });
        hilos.last()->start();
    }
    KovRules::registrarFuncionRegistroPrueba(QStringLiteral("fPrueba"), &validadorPrueba, 7);
    KovRules::registrarFuncionColumnaPrueba(QStringLiteral("fcPrueba"), &columnaPrueba);
    for (QThread *h : hilos) {
        h->wait();
        delete h;
    }

    KovRules rules;
    QCOMPARE(rules.getFuncionRegistro(name) == &validadorPrueba, found);
    QCOMPARE(rules.getColumnaEstado(name), found ? 7 : 0);
    QCOMPARE(rules.getColumnaEstado(QStringLiteral("fPrueba3")), 4);
    QVERIFY(!rules.getFuncionColumna(name));
    QVERIFY(rules.getFuncionColumna(QStringLiteral("fcPrueba")) == &columnaPrueba);
    QVERIFY(!rules.getFuncionRegistro(QStringLiteral("fcPrueba")));

    KovRules::olvidarFuncionesPrueba();
    QVERIFY(!rules.getFuncionRegistro(QStringLiteral("fPrueba")));
    QCOMPARE(rules.getColumnaEstado(QStringLiteral("fPrueba")), 0);
}

void TestKovRules::tablesWinOverTestNames()
{
    KovRules rules;
    const FuncionRegistro propia = rules.getFuncionRegistro(QStringLiteral("f030300"));
    KovRules::registrarFuncionRegistroPrueba(QStringLiteral("f030300"), &validadorPrueba, 3);
    if (propia)
        QVERIFY(rules.getFuncionRegistro(QStringLiteral("f030300")) == propia);
    else
        QVERIFY(rules.getFuncionRegistro(QStringLiteral("f030300")) == &validadorPrueba);
    QCOMPARE(rules.getColumnaEstado(QStringLiteral("f030300")), 9);
    KovRules::registrarFuncionRegistroPrueba(QStringLiteral("fNula"), nullptr, 5);
    QCOMPARE(rules.getColumnaEstado(QStringLiteral("fNula")), 0);
}

void TestKovRules::emptyNameKeepsCount()
{
    KovRules rules;
    QCOMPARE(rules.getTotal(), 0);
    rules.getFuncionColumna(QStringLiteral("fcFecha"));
    QVERIFY(!rules.getFuncionRegistro(QString()));
    QCOMPARE(rules.getTotal(), 8);
    rules.getFuncionRegistro(QStringLiteral("x"));
    QVERIFY(!rules.getFuncionColumna(QString()));
    QCOMPARE(rules.getTotal(), 52);
    QCOMPARE(rules.getColumnaEstado(QString()), 0);
}

QTEST_GUILESS_MAIN(TestKovRules)
#include "tst_kovrules.moc"
