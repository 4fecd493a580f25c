// One record of each family with an odd amount in one column: the gates that read the column and the sums and
// boxes it feeds take it for the same number.
#include "generalfixture.h"
#include "purchaseregisters.h"
#include "register81fixture.h"
#include "sales141fixture.h"
#include "salesregisters.h"

#include <QtTest>

#include <functional>

namespace {

const QString kCeroDecimal = QStringLiteral("666@18:Si consigna cero debe ser 0.00");
const QString kDocumento = QStringLiteral("25@10; 25@11; 25@12");

// The "valor" texts of the entries named `nombre`, in the order added, joined by blanks.
QString valores(const QList<EntradaAcumulador> &lista, const char *nombre)
{
    QStringList partes;
    for (const EntradaAcumulador &e : lista) {
        if (e.value(QStringLiteral("atrib")).toString() == QLatin1String(nombre))
            partes.append(e.value(QStringLiteral("valor")).toString());
    }
    return partes.join(QLatin1Char(' '));
}

// The odd texts every family is given; each of them reads 0.
void filasComunes(const std::function<QTestData &(const char *, const QString &)> &fila)
{
    fila("1e-400", QStringLiteral("1e-400"));
    fila("-1e-400", QStringLiteral("-1e-400"));
    fila("1e400", QStringLiteral("1e400"));
    fila("-1e400", QStringLiteral("-1e400"));
    fila("nan", QStringLiteral("nan"));
    fila("inf", QStringLiteral("inf"));
    fila("-inf", QStringLiteral("-inf"));
    fila("400 digits", QString(400, QLatin1Char('9')));
    fila("0.000", QStringLiteral("0.000"));
}

} // namespace

class TestOddAmounts : public QObject
{
    Q_OBJECT

private slots:
    void libroDiario_data();
    void libroDiario();
    void compras_data();
    void compras();
    void ventasExportacion_data();
    void ventasExportacion();
    void ventasBoleta_data();
    void ventasBoleta();
};

// Journal debit column 18 beside a credit of 5.00: the exclusion runs only when the debit is not zero, a zero
// must be written "0.00", and the debit feeds its total and the state-1 sum.
void TestOddAmounts::libroDiario_data()
{
    QTest::addColumn<QString>("texto");
    QTest::addColumn<QString>("errores");
    QTest::addColumn<QString>("sumas");
    QTest::addColumn<QString>("estado1");
    const QString soloHaber = QStringLiteral("mto_haber_t=5; cnt_reg_e1=1");

    filasComunes([&](const char *nombre, const QString &texto) -> QTestData & {
        return QTest::newRow(nombre) << texto << kCeroDecimal << soloHaber << "0/5";
    });
    QTest::newRow("-0") << "-0" << kCeroDecimal << soloHaber << "0/5";
    QTest::newRow("0.00") << "0.00" << "" << soloHaber << "0/5";
    QTest::newRow("2.50") << "2.50" << "15@19" << "mto_debe_t=2.5; " + soloHaber << "2.5/5";
    QTest::newRow("24 digits") << "123456789012345678901234" << "15@19"
                               << "mto_debe_t=1.23456789012346e+23; " + soloHaber << "1.23456789012346e+23/5";
}

void TestOddAmounts::libroDiario()
{
    QFETCH(QString, texto);
    QFETCH(QString, errores);
    QFETCH(QString, sumas);
    QFETCH(QString, estado1);
    const QString base = QStringLiteral(
        "20240100|CUO1|M1|101|x|y|z|6|20100070970|01|F001|123|10/01/2024|w|15/01/2024|v|u|250.00|0.00||1");
    const KovRespuesta resp = validarLinea(QStringLiteral("f050100"), base, "18=" + texto + "|19=5.00",
                                           QStringLiteral("20240100"));
    QCOMPARE(::errores(resp), errores);
    QCOMPARE(::sumas(resp), sumas);
    QCOMPARE(::estado1(resp), estado1);
    QCOMPARE(::errores(resp).contains(QLatin1String("15@19")), resp.getEstado1Debe() != 0.0);
}

// Purchase register 8.1, base column 16 beside a tax of -1: a base that is not negative wants a tax that is not
// negative either; the base feeds its general total and, when not zero, box 110.
void TestOddAmounts::compras_data()
{
    QTest::addColumn<QString>("texto");
    QTest::addColumn<QString>("errores");
    QTest::addColumn<QString>("total");
    QTest::addColumn<QString>("casilla");

    filasComunes([](const char *nombre, const QString &texto) -> QTestData & {
        return QTest::newRow(nombre) << texto << "28@17" << "0.000" << "";
    });
    QTest::newRow("0.00") << "0.00" << "28@17" << "0.000" << "0.000";
    QTest::newRow("100") << "100" << "28@17" << "100.000" << "100.000";
    QTest::newRow("-100") << "-100" << "" << "-100.000" << "-100.000";
    QTest::newRow("-24 digits") << "-123456789012345678901234" << ""
                                << "-123456789012345685803008.000" << "-123456789012345685803008.000";
}

void TestOddAmounts::compras()
{
    QFETCH(QString, texto);
    QFETCH(QString, errores);
    QFETCH(QString, total);
    QFETCH(QString, casilla);
    QList<KovColumna> cols = registro81("16=" + texto + "|17=-1");
    ParametrosRegistro parametros = parametros81(0, 1);
    const KovRespuesta resp = f080100g(&cols, &parametros);
    QCOMPARE(::errores(resp), errores);
    QCOMPARE(valores(resp.getAcumuladores(), "mto_BI_ag_oge_ong_t1"), total);
    QCOMPARE(valores(resp.getCasillas(), "110"), casilla);
    QCOMPARE(::errores(resp).isEmpty(), total.startsWith(QLatin1Char('-')));
}

// Sales register 14.1, export column 13 of an invoice without its customer document: an export above 0 lifts
// the document duty; the export feeds its general total and, when not zero, box 106.
void TestOddAmounts::ventasExportacion_data()
{
    QTest::addColumn<QString>("texto");
    QTest::addColumn<QString>("errores");
    QTest::addColumn<QString>("total");
    QTest::addColumn<QString>("casilla");

    filasComunes([](const char *nombre, const QString &texto) -> QTestData & {
        return QTest::newRow(nombre) << texto << kDocumento << "0.000" << "";
    });
    QTest::newRow("0.00") << "0.00" << kDocumento << "0.000" << "0.000";
    QTest::newRow("0.01") << "0.01" << "" << "0.010" << "0.010";
    QTest::newRow("-5") << "-5" << kDocumento << "-5.000" << "-5.000";
    QTest::newRow("24 digits") << "123456789012345678901234" << ""
                               << "123456789012345685803008.000" << "123456789012345685803008.000";
}

void TestOddAmounts::ventasExportacion()
{
    QFETCH(QString, texto);
    QFETCH(QString, errores);
    QFETCH(QString, total);
    QFETCH(QString, casilla);
    QList<KovColumna> cols = registro141("10=|11=|12=|13=" + texto);
    ParametrosRegistro parametros = parametros141(1, 0);
    const KovRespuesta resp = f140100g(&cols, &parametros);
    QCOMPARE(::errores(resp), errores);
    QCOMPARE(valores(resp.getAcumuladores(), "mto_exp_t1"), total);
    QCOMPARE(valores(resp.getCasillas(), "106"), casilla);
    QCOMPARE(::errores(resp).isEmpty(), total.toDouble() > 0.0);
}

// Sales register 14.1, a type 03 ticket without its customer document: a total below 700 lifts the duty; the
// total feeds its general total and the type's aggregate.
void TestOddAmounts::ventasBoleta_data()
{
    QTest::addColumn<QString>("texto");
    QTest::addColumn<QString>("errores");
    QTest::addColumn<QString>("total");

    filasComunes([](const char *nombre, const QString &texto) -> QTestData & {
        return QTest::newRow(nombre) << texto << "" << "0.000";
    });
    QTest::newRow("699.99") << "699.99" << "" << "699.990";
    QTest::newRow("700") << "700" << kDocumento << "700.000";
    QTest::newRow("24 digits") << "123456789012345678901234" << kDocumento << "123456789012345685803008.000";
}

void TestOddAmounts::ventasBoleta()
{
    QFETCH(QString, texto);
    QFETCH(QString, errores);
    QFETCH(QString, total);
    QList<KovColumna> cols = registro141("6=03|7=B001|10=|11=|12=|24=" + texto);
    ParametrosRegistro parametros = parametros141(0, 1);
    const KovRespuesta resp = f140100g(&cols, &parametros);
    QCOMPARE(::errores(resp), errores);
    QCOMPARE(valores(resp.getAcumuladores(), "mto_total_t1"), total);
    QCOMPARE(valores(resp.getAgregados(), "cdp_mto_03_1"), total);
    QCOMPARE(::errores(resp).isEmpty(), total.toDouble() < 700.0);
}

QTEST_GUILESS_MAIN(TestOddAmounts)
#include "tst_oddamounts.moc"
