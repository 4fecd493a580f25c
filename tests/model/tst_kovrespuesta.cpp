#include "kovrespuesta.h"

#include <QtTest>

#include <limits>

class TestKovRespuesta : public QObject
{
    Q_OBJECT

private slots:
    void fresh();
    void errors();
    void totals_data();
    void totals();
    void perPeriodTotal();
    void countersAndSums();
    void copyIsIndependent();
};

void TestKovRespuesta::fresh()
{
    const KovRespuesta r;
    QVERIFY(!r.hasErrores());
    QVERIFY(!r.hasAcumuladores());
    QVERIFY(!r.hasAgregados());
    QVERIFY(!r.hasCasillas());
    QVERIFY(!r.hasPerAcumuladores());
    QCOMPARE(r.getNumErrores(), 0);
    QCOMPARE(r.getNumeroEstado7(), 0);
    QCOMPARE(r.getTotalLineDetail(), 0);
    QCOMPARE(r.getEstado1Debe(), 0.0);
    QCOMPARE(r.getEstado1Haber(), 0.0);
    QVERIFY(!r.getNotAddLine());
}

void TestKovRespuesta::errors()
{
    KovRespuesta r;
    r.addError(5);
    r.addError(5);
    r.addError(QStringLiteral("Si consigna cero debe ser 0.00"), 7);
    r.addError(12, 3);

    ErrorRespuesta sinColumna;
    sinColumna.insert(QStringLiteral("cod"), 5);
    sinColumna.insert(QStringLiteral("col"), 0);
    ErrorRespuesta texto;
    texto.insert(QStringLiteral("cod"), 666);
    texto.insert(QStringLiteral("col"), 7);
    texto.insert(QStringLiteral("des"), QStringLiteral("Si consigna cero debe ser 0.00"));
    ErrorRespuesta conColumna;
    conColumna.insert(QStringLiteral("cod"), 12);
    conColumna.insert(QStringLiteral("col"), 3);

    QVERIFY(r.hasErrores());
    QCOMPARE(r.getNumErrores(), 4);
    QCOMPARE(r.getErrores(), QList<ErrorRespuesta>() << sinColumna << sinColumna << texto << conColumna);
    QCOMPARE(r.getErrores().at(0).value(QStringLiteral("cod")).type(), QVariant::Int);
    QVERIFY(!r.hasAcumuladores());
}

void TestKovRespuesta::totals_data()
{
    QTest::addColumn<double>("valor");
    QTest::addColumn<QString>("texto");

    QTest::newRow("whole") << 1.0 << "1.000";
    QTest::newRow("fraction") << 1.5 << "1.500";
    QTest::newRow("negative") << -0.25 << "-0.250";
    QTest::newRow("ten million, no grouping") << 10000000.0 << "10000000.000";
    QTest::newRow("rounded") << 2.0005 << "2.001";
    QTest::newRow("infinity counts 0") << std::numeric_limits<double>::infinity() << "0.000";
    QTest::newRow("minus infinity counts 0") << -std::numeric_limits<double>::infinity() << "0.000";
    QTest::newRow("nan counts 0") << std::numeric_limits<double>::quiet_NaN() << "0.000";
}

void TestKovRespuesta::totals()
{
    QFETCH(double, valor);
    QFETCH(QString, texto);

    KovRespuesta r;
    r.addAcumulador(QStringLiteral("cnt_reg_e1"), valor);
    r.addAcumulador(QStringLiteral("cnt_reg_e1"), valor);
    r.addAgregado(QStringLiteral("agr"), valor);
    r.addCasillas(QStringLiteral("cas"), valor);

    EntradaAcumulador e;
    e.insert(QStringLiteral("atrib"), QStringLiteral("cnt_reg_e1"));
    e.insert(QStringLiteral("valor"), texto);
    QCOMPARE(r.getAcumuladores(), QList<EntradaAcumulador>() << e << e);
    QCOMPARE(r.getAgregados().value(0).value(QStringLiteral("valor")).toString(), texto);
    QCOMPARE(r.getCasillas().value(0).value(QStringLiteral("atrib")).toString(), QStringLiteral("cas"));
    QVERIFY(r.hasAcumuladores() && r.hasAgregados() && r.hasCasillas());
    QVERIFY(!r.hasPerAcumuladores());
    QVERIFY(!r.hasErrores());

    // Held compact, each entry with the amount its text is written from.
    QCOMPARE(r.totalesAcumuladores().size(), 2);
    QCOMPARE(r.totalesAcumuladores().at(1).atrib, QStringLiteral("cnt_reg_e1"));
    QCOMPARE(KovRespuesta::textoValor(r.totalesCasillas().at(0).valor), texto);
    QCOMPARE(r.totalesAgregados().at(0).valor, KovRespuesta::valorFinito(valor));
}

void TestKovRespuesta::perPeriodTotal()
{
    KovRespuesta r;
    r.addPerAcumulador(QStringLiteral("mto_vta_per_ant_e9"), QStringLiteral("20230100"), -0.25);
    EntradaAcumulador e;
    e.insert(QStringLiteral("atrib"), QStringLiteral("mto_vta_per_ant_e9"));
    e.insert(QStringLiteral("per"), QStringLiteral("20230100"));
    e.insert(QStringLiteral("valor"), QStringLiteral("-0.250"));
    QCOMPARE(r.getPerAcumuladores(), QList<EntradaAcumulador>() << e);
    QCOMPARE(r.getPerAcumuladores().at(0).keys(),
             QStringList() << QStringLiteral("atrib") << QStringLiteral("per") << QStringLiteral("valor"));
    QVERIFY(r.hasPerAcumuladores());
    QVERIFY(!r.hasAcumuladores());
    QCOMPARE(r.totalesPerAcumuladores().at(0).periodo, QStringLiteral("20230100"));
    QCOMPARE(r.totalesPerAcumuladores().at(0).valor, -0.25);
}

void TestKovRespuesta::countersAndSums()
{
    KovRespuesta r;
    r.addEstado7();
    r.addEstado7();
    r.addEstado1Debe(10.5);
    r.addEstado1Debe(std::numeric_limits<double>::quiet_NaN());
    r.addEstado1Haber(-2.0);
    r.addEstado1Haber(std::numeric_limits<double>::infinity());
    r.setNotAddLine();
    QCOMPARE(r.getNumeroEstado7(), 2);
    QCOMPARE(r.getEstado1Debe(), 10.5);
    QCOMPARE(r.getEstado1Haber(), -2.0);
    QVERIFY(r.getNotAddLine());

    r.addCounterDetail();
    r.addCounterDetail();
    QCOMPARE(r.getTotalLineDetail(), 2);
    QCOMPARE(r.getNumErrores(), 0);
}

void TestKovRespuesta::copyIsIndependent()
{
    KovRespuesta a;
    a.addError(1);
    KovRespuesta b = a;
    b.addError(2);
    b.addAcumulador(QStringLiteral("x"), 1.0);
    QCOMPARE(a.getNumErrores(), 1);
    QVERIFY(!a.hasAcumuladores());
    QCOMPARE(b.getNumErrores(), 2);
    a = b;
    QCOMPARE(a.getErrores(), b.getErrores());
}

QTEST_APPLESS_MAIN(TestKovRespuesta)
#include "tst_kovrespuesta.moc"
