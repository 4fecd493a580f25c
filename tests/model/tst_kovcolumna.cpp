#include "kovcolumna.h"
#include "kovcolumnaext.h"

#include <QtTest>

#include <limits>

namespace {

// Hands back everything it was given to report, so that the column's result is seen to be the function's own.
KovRespuesta marcaDato(ParametrosColumna *parametros)
{
    KovRespuesta r;
    if (parametros->keys() != QStringList { QStringLiteral("data") })
        r.addError(18);
    if (parametros->value(QStringLiteral("data")).toString() != QLatin1String("ok"))
        r.addError(17);
    r.addAcumulador(QStringLiteral("visto"), 1.0);
    return r;
}

} // namespace

class TestKovColumna : public QObject
{
    Q_OBJECT

private slots:
    void fresh();
    void sequence_data();
    void sequence();
    void sequenceOffKeepsReference();
    void accumulator();
    void customEmpty_data();
    void customEmpty();
    void pattern_data();
    void pattern();
    void lengthAndFunction();
    void copyEvolvesAlone();
    void extendedField_data();
    void extendedField();
};

void TestKovColumna::fresh()
{
    KovColumna c;
    QVERIFY(c.checkPatron());
    QVERIFY(!c.checkLongitud());
    QVERIFY(c.checkCorrelativo());
    QVERIFY(c.getAnterior().isEmpty());
    QVERIFY(!c.isObligatorio() && !c.isKey() && !c.isAcumulador() && !c.isCorrelativo());
    QVERIFY(!c.hasParametro());
    QVERIFY(!c.checkCustomEmpty());
    const KovRespuesta r = c.checkFuncion();
    QVERIFY(!r.hasErrores());
    QVERIFY(!r.hasAcumuladores() && !r.hasAgregados() && !r.hasCasillas() && !r.hasPerAcumuladores());
}

void TestKovColumna::sequence_data()
{
    QTest::addColumn<QStringList>("valores");
    QTest::addColumn<QList<bool>>("pasan");

    QTest::newRow("gap becomes the reference")
        << QStringList{ "5", "6", "8", "9" } << QList<bool>{ true, true, false, true };
    QTest::newRow("leading zeros") << QStringList{ "007", "8" } << QList<bool>{ true, true };
    QTest::newRow("text reads as 0") << QStringList{ "A1", "1" } << QList<bool>{ true, true };
    QTest::newRow("decimal reads as 0") << QStringList{ "1.5", "1" } << QList<bool>{ true, true };
    QTest::newRow("repeat fails") << QStringList{ "3", "3", "4" } << QList<bool>{ true, false, true };
    QTest::newRow("negative") << QStringList{ "-2", "-1", "0" } << QList<bool>{ true, true, true };
    QTest::newRow("empty value resets") << QStringList{ "4", "", "1" } << QList<bool>{ true, false, true };
    QTest::newRow("largest value has no successor")
        << QStringList{ "9223372036854775807", "9223372036854775808", "-9223372036854775808" }
        << QList<bool>{ true, false, false };
    QTest::newRow("nothing follows the largest value")
        << QStringList{ "9223372036854775807", "-9223372036854775808" } << QList<bool>{ true, false };
    QTest::newRow("overflow reads as 0")
        << QStringList{ "99999999999999999999", "1" } << QList<bool>{ true, true };
}

void TestKovColumna::sequence()
{
    QFETCH(QStringList, valores);
    QFETCH(QList<bool>, pasan);

    KovColumna c;
    c.setEnabledCorrelativo(true);
    for (int i = 0; i < valores.size(); ++i) {
        c.setData(valores.at(i));
        QCOMPARE(c.checkCorrelativo(), pasan.value(i));
        QCOMPARE(c.getAnterior(), valores.at(i));
    }
}

void TestKovColumna::sequenceOffKeepsReference()
{
    KovColumna c;
    c.setEnabledCorrelativo(true);
    c.setData(QStringLiteral("10"));
    QVERIFY(c.checkCorrelativo());
    c.setEnabledCorrelativo(false);
    c.setData(QStringLiteral("50"));
    QVERIFY(c.checkCorrelativo());
    QCOMPARE(c.getAnterior(), QStringLiteral("10"));
    c.setEnabledCorrelativo(true);
    c.setData(QStringLiteral("11"));
    QVERIFY(c.checkCorrelativo());
}

void TestKovColumna::accumulator()
{
    KovColumna c;
    c.addAcumulador(3.0);
    QCOMPARE(c.getAcumulado(), 0.0);
    c.setEnabledAcumulador(true);
    c.addAcumulador(-10.5);
    c.addAcumulador(4.0);
    c.addAcumulador(std::numeric_limits<double>::infinity());
    c.addAcumulador(std::numeric_limits<double>::quiet_NaN());
    QCOMPARE(c.getAcumulado(), 14.5);
    c.setEnabledAcumulador(true);
    QCOMPARE(c.getAcumulado(), 0.0);
    c.addAcumulador(2.0);
    c.setEnabledAcumulador(false);
    QCOMPARE(c.getAcumulado(), 0.0);
}

void TestKovColumna::customEmpty_data()
{
    QTest::addColumn<QString>("marca");
    QTest::addColumn<QString>("valor");
    QTest::addColumn<bool>("vacio");

    QTest::newRow("marker itself") << "-" << "-" << true;
    QTest::newRow("negative number") << "-" << "-1" << false;
    QTest::newRow("empty value with marker") << "-" << "" << false;
    QTest::newRow("no marker, empty value") << "" << "" << false;
    QTest::newRow("no marker, value") << "" << "x" << false;
    QTest::newRow("case-sensitive") << "NA" << "na" << false;
}

void TestKovColumna::customEmpty()
{
    QFETCH(QString, marca);
    QFETCH(QString, valor);
    QFETCH(bool, vacio);

    KovColumna c;
    c.setCustomEmpty(marca);
    c.setData(valor);
    QCOMPARE(c.checkCustomEmpty(), vacio);
}

void TestKovColumna::pattern_data()
{
    QTest::addColumn<QString>("patron");
    QTest::addColumn<QString>("valor");
    QTest::addColumn<bool>("pasa");

    QTest::newRow("no pattern") << "" << "anything | at all" << true;
    QTest::newRow("digits") << "[0-9]+" << "12" << true;
    QTest::newRow("trailing letter") << "[0-9]+" << "12a" << false;
    QTest::newRow("leading blank") << "[0-9]+" << " 12" << false;
    QTest::newRow("case-sensitive") << "[A-Z]{2}" << "ab" << false;
    QTest::newRow("alternation whole text") << "01|02" << "012" << false;
    QTest::newRow("alternation") << "01|02" << "02" << true;
    QTest::newRow("hex escape") << "\\x0041+" << "AAA" << true;
}

void TestKovColumna::pattern()
{
    QFETCH(QString, patron);
    QFETCH(QString, valor);
    QFETCH(bool, pasa);

    KovColumna c;
    c.setPatron(patron);
    c.setData(valor);
    QCOMPARE(c.checkPatron(), pasa);
}

void TestKovColumna::lengthAndFunction()
{
    KovColumna c;
    QVERIFY(!c.setPatronLongitud(QStringLiteral("8-8")));
    QVERIFY(c.setPatronLongitud(QStringLiteral("&8.2")));
    c.setData(QStringLiteral("-12345678.90"));
    QVERIFY(c.checkLongitud());

    c.setFuncion(&marcaDato);
    c.setData(QStringLiteral("ok"));
    const KovRespuesta bien = c.checkFuncion();
    QVERIFY(!bien.hasErrores());
    QCOMPARE(bien.getAcumuladores().size(), 1);
    c.setData(QStringLiteral("mal"));
    const KovRespuesta r = c.checkFuncion();
    QCOMPARE(r.getNumErrores(), 1);
    QCOMPARE(r.getErrores().at(0).value(QStringLiteral("cod")).toInt(), 17);
    QCOMPARE(r.getErrores().at(0).value(QStringLiteral("col")).toInt(), 0);
}

void TestKovColumna::copyEvolvesAlone()
{
    KovColumna a;
    a.setEnabledAcumulador(true);
    a.setEnabledCorrelativo(true);
    a.addAcumulador(2.0);
    a.setData(QStringLiteral("1"));
    a.checkCorrelativo();
    a.setPatron(QStringLiteral("[0-9]"));

    KovColumna b = a;
    b.addAcumulador(5.0);
    b.setData(QStringLiteral("2"));
    QVERIFY(b.checkCorrelativo());
    b.setPatron(QStringLiteral("[a-z]"));

    QCOMPARE(a.getAcumulado(), 2.0);
    QCOMPARE(b.getAcumulado(), 7.0);
    QCOMPARE(a.getAnterior(), QStringLiteral("1"));
    QVERIFY(a.checkPatron());
    QVERIFY(!b.checkPatron());
}

void TestKovColumna::extendedField_data()
{
    QTest::addColumn<QString>("valor");
    QTest::addColumn<bool>("patron");
    QTest::addColumn<bool>("longitud");

    QTest::newRow("empty") << "" << true << true;
    QTest::newRow("plain") << "texto libre 1.5" << true << true;
    QTest::newRow("slash") << "a/b" << false << true;
    QTest::newRow("backslash") << "a\\b" << false << true;
    QTest::newRow("bar") << "a|b" << false << true;
    QTest::newRow("200 characters") << QString(200, QLatin1Char('x')) << true << true;
    QTest::newRow("201 characters") << QString(201, QLatin1Char('x')) << true << false;
}

void TestKovColumna::extendedField()
{
    QFETCH(QString, valor);
    QFETCH(bool, patron);
    QFETCH(bool, longitud);

    KovColumnaExt e;
    e.setData(valor);
    QCOMPARE(e.checkPatron(), patron);
    QCOMPARE(e.checkLongitud(), longitud);
}

QTEST_APPLESS_MAIN(TestKovColumna)
#include "tst_kovcolumna.moc"
