#include "purchaseregisters.h"
#include "register8283fixture.h"

#include <QtTest>

namespace {

const QString kEstado = QStringLiteral("666@31:Indicador del estado es incorrecto");
const QString kEmision1 = QStringLiteral("666@4:Fecha de emisión debe corresponder al periodo (Estado 1).");
const QString kSubLibro =
    QStringLiteral("666@6:No puede consignar este tipo de comprobante para el sub libro seleccionado");
const QString kMesInformado = QStringLiteral("La fecha debe ser menor o igual al mes siguiente del periodo informado");
const QString kMesCampo1 =
    QStringLiteral("La fecha debe ser menor o igual al mes siguiente del periodo señalado en el campo 1");
const QString kInformado = QStringLiteral("666@19:La fecha debe ser menor o igual al periodo informado");
const QString kCampo1 = QStringLiteral("666@19:La fecha debe ser menor o igual al periodo señalado en el campo 1");

QString ambas(int col)
{
    return QStringLiteral("666@%1:%2; 666@%1:%3").arg(col).arg(kMesInformado, kMesCampo1);
}

// Both variants make the same record checks and feed the same box and aggregates.
const QList<QPair<const char *, FuncionRegistro>> kValidadores = {
    {"f080300g", f080300g},
    {"f080300d", f080300d},
};

const QString kIndicadores =
    QStringLiteral("cnt_error1=0.000 cnt_error2=0.000 cnt_error3=0.000 cnt_ind_cancel=0.000");
const QString kEstados =
    QStringLiteral("cnt_reg_e0=0.000 cnt_reg_e1=0.000 cnt_reg_e6=0.000 cnt_reg_e7=0.000 cnt_reg_e9=0.000");
const QString kMontosBase = QStringLiteral("mto_bi_adq=100.000 mto_igv=18.000 mto_otros=0.000 mto_imp=118.000");

} // namespace

class TestPurchaseRegister83 : public QObject
{
    Q_OBJECT

private slots:
    void checks_data();
    void checks();
    void generalTotals_data();
    void generalTotals();
    void box107_data();
    void box107();
    void detailAggregates_data();
    void detailAggregates();
    void narrowRecordWithoutParameters();
};

void TestPurchaseRegister83::checks_data()
{
    QTest::addColumn<QString>("cambios");
    QTest::addColumn<QString>("periodoLibro");
    QTest::addColumn<QString>("esperados");

    const QString p = QStringLiteral("20240100");
    // State, period and dates.
    QTest::newRow("sound invoice") << "" << p << "";
    QTest::newRow("state 5") << "31=5" << p << kEstado;
    QTest::newRow("state 01 taken as 1") << "31=01|1=20231200" << p << kEstado + "; 16@1; " + kEmision1;
    QTest::newRow("state letter taken as 0") << "31=A|1=20231200" << p << kEstado + "; 55@1";
    QTest::newRow("failed period: column 5 still required, not dated") << "1=20231200|6=14|5=15/09/2030" << p
        << "16@1; " + kEmision1;
    QTest::newRow("failed period: empty column 5 of type 14") << "1=20231200|6=14" << p
        << "16@1; 25@5; " + kEmision1;
    QTest::newRow("failed period: column 19 of a note still required") << "1=20231200|6=07" << p
        << "16@1; 25@19; " + kEmision1 + "; " + kSubLibro + "; 25@20; 25@21; 25@22";
    QTest::newRow("failed period: column 23 still dated") << "1=20231200|23=15/03/2024" << p
        << "16@1; " + ambas(23) + "; " + kEmision1;
    QTest::newRow("failed period: invalid issue date not read") << "31=0|1=20231200|4=31/02/2024" << p << "55@1";
    QTest::newRow("issue date after the record month") << "4=15/02/2024" << p << "19@4; " + kEmision1;
    QTest::newRow("issue date invalid") << "4=31/02/2024" << p << "13@4; " + kEmision1;
    QTest::newRow("type 14 column 5 empty marker") << "6=14|5=01/01/0001" << p << "25@5";
    QTest::newRow("type 14 column 5 two months after") << "6=14|5=01/03/2024" << p << ambas(5);
    QTest::newRow("column 5 of blanks left alone") << "5=  " << p << "";
    QTest::newRow("type 01 column 5 empty") << "5=" << p << "";
    QTest::newRow("column 5 in the month after") << "5=29/02/2024" << p << "";
    QTest::newRow("column 5 two months after") << "5=01/03/2024" << p << ambas(5);
    QTest::newRow("column 5 invalid") << "5=31/02/2024" << p << "13@5; 13@5";
    QTest::newRow("December runs into January") << "1=20231200|4=15/12/2023|5=31/01/2024" << "20231200" << "";
    QTest::newRow("column 23 of blanks left alone") << "23=  " << p << "";
    QTest::newRow("December, column 23 in February") << "1=20231200|4=15/12/2023|23=01/02/2024" << "20231200"
                                                      << ambas(23);
    QTest::newRow("state 9 dated past its own month only")
        << "31=9|1=20231100|4=15/11/2023|5=15/01/2024" << p << "666@5:" + kMesCampo1;
    QTest::newRow("note dated in the month after") << "6=88|19=15/02/2024|20=01|21=F001|22=123" << p
                                                   << kInformado + "; " + kCampo1;
    QTest::newRow("note dated in its month") << "6=88|19=15/01/2024|20=01|21=F001|22=123" << p << "";
    QTest::newRow("note without date") << "6=88|19=01/01/0001|20=01|21=F001|22=123" << p << "25@19";
    QTest::newRow("no book period") << "" << "" << "16@1";
    // Voucher and second number.
    QTest::newRow("type 01 with a second number") << "9=100" << p << "5@9";
    QTest::newRow("type 03 without a second number") << "31=0|6=03|7=B001" << p << "";
    QTest::newRow("type 03 not allowed in state 1") << "6=03|7=B001|9=-7" << p
        << "666@6:No puede consignar este tipo de comprobante para el estado; 36@9";
    QTest::newRow("type 12 second number checked as a number") << "31=0|6=12|9=-5" << p << "36@9; 5@9";
    QTest::newRow("type 12 second number when the voucher failed") << "31=0|6=12|8=|9=-5" << p << "52@8; 36@9";
    QTest::newRow("type 12 second number too long") << "31=0|6=12|9=123456789012345678901" << p << "4@9";
    QTest::newRow("type 91 with a second number") << "31=0|6=91|9=5" << p << kSubLibro + "; 5@9";
    // Supplier, tax sign, rate, referenced voucher, column 24, indicators.
    QTest::newRow("optional document half given") << "31=0|6=00|10=6|11=" << p << "";
    QTest::newRow("optional document number of blanks") << "31=0|6=00|10=6|11=   " << p << "";
    QTest::newRow("optional document checked when whole") << "31=0|6=00|10=1|11=123|12=" << p << "53@11";
    QTest::newRow("required document missing") << "10=|11=|12=" << p << "25@10; 25@11; 25@12";
    QTest::newRow("required number a dash") << "11=-" << p << "25@11; 34@11";
    QTest::newRow("required type missing") << "10=" << p << "25@10";
    QTest::newRow("third supplier column a dash") << "12=-" << p << "25@12";
    QTest::newRow("zero base, negative tax") << "13=0.00|14=-1.00" << p << "28@14";
    QTest::newRow("empty base, negative tax") << "13=|14=-1" << p << "28@14";
    QTest::newRow("text base, negative tax") << "13=abc|14=-1" << p << "28@14";
    QTest::newRow("negative base, positive tax") << "13=-100.00|14=18.00" << p << "30@14";
    QTest::newRow("negative base, negative tax") << "13=-100.00|14=-18.00" << p << "";
    QTest::newRow("negative base, zero tax") << "13=-100.00|14=0" << p << "";
    // A base that reads 0 (no number, out of range, nan or inf) takes the rule of positive bases.
    QTest::newRow("nan base, negative tax") << "13=nan|14=-1" << p << "28@14";
    QTest::newRow("NaN base, negative tax") << "13=NaN|14=-5" << p << "28@14";
    QTest::newRow("negative infinite base, positive tax") << "13=-inf|14=1" << p << "";
    QTest::newRow("negative infinite base, negative tax") << "13=-inf|14=-1" << p << "28@14";
    QTest::newRow("infinite base, negative tax") << "13=inf|14=-1" << p << "28@14";
    QTest::newRow("negative underflowing base, negative tax") << "13=-1e-400|14=-1" << p << "28@14";
    QTest::newRow("negative overflowing base, positive tax") << "13=-1e400|14=1" << p << "";
    QTest::newRow("negative 24-digit base, positive tax") << "13=-123456789012345678901234|14=1" << p << "30@14";
    QTest::newRow("negative rate") << "18=-3.5" << p << "37@18";
    QTest::newRow("rate with any currency") << "17=USD|18=3.5" << p << "";
    QTest::newRow("note referencing a dash") << "6=07|19=15/01/2024|20=-|21=F001|22=1" << p << kSubLibro + "; 25@20";
    QTest::newRow("note with series 00 still checked") << "6=88|19=15/01/2024|20=01|21=00|22=123" << p << "25@21; 4@21";
    QTest::newRow("note referencing nothing") << "6=88|19=15/01/2024|20=|21=|22=" << p << "25@20; 25@21; 25@22";
    QTest::newRow("invoice references ignored") << "20=|21=00|22=-" << p << "";
    QTest::newRow("column 24 negative integer") << "24=-12" << p << "36@24";
    QTest::newRow("column 24 negative amount") << "24=-12.5" << p << "";
    QTest::newRow("indicators all wrong") << "25=X|27=x|28=x|29=x|30=x" << p << "5@25; 5@27; 5@28; 5@29; 5@30";
    QTest::newRow("indicators 1") << "25=1|27=1|28=1|29=1|30=1" << p << "";
    QTest::newRow("indicator 01") << "28=01" << p << "5@28";
    QTest::newRow("every stage in order") << "31=5|6=01|9=1|14=-1|24=-1|25=2" << p
        << kEstado + "; 5@9; 28@14; 36@24; 5@25";
}

void TestPurchaseRegister83::checks()
{
    QFETCH(QString, cambios);
    QFETCH(QString, periodoLibro);
    QFETCH(QString, esperados);
    QList<KovColumna> cols = registroCambiado(base83(), cambios);
    ParametrosRegistro p = parametros(1, 1, periodoLibro);
    if (periodoLibro.isEmpty())
        p.remove(QStringLiteral("periodo"));
    const ParametrosRegistro antes = p;
    for (const auto &v : kValidadores) {
        const KovRespuesta r = v.second(&cols, &p);
        QVERIFY2(errores(r) == esperados, qPrintable(QString::fromLatin1(v.first) + ": " + errores(r)));
        QCOMPARE(r.getNumErrores(), r.getErrores().size());
    }
    QCOMPARE(p, antes);
}

void TestPurchaseRegister83::generalTotals_data()
{
    QTest::addColumn<QString>("cambios");
    QTest::addColumn<QString>("totales");

    QTest::newRow("state 1 invoice") << "" << kIndicadores + " " + kMontosBase + " " + kEstados + " cnt_reg_e1=1.000";
    QTest::newRow("indicators counted when 1")
        << "27=1|28=2|30=1" << kIndicadores + " cnt_error1=1.000 cnt_ind_cancel=1.000 " + kMontosBase + " "
                                   + kEstados + " cnt_reg_e1=1.000";
    QTest::newRow("amounts with sign, text and nothing") << "13=-50.00|14=abc|15=1e2|16="
        << kIndicadores + " mto_bi_adq=-50.000 mto_igv=0.000 mto_otros=100.000 mto_imp=0.000 " + kEstados
               + " cnt_reg_e1=1.000";
    QTest::newRow("non-finite amount counts 0") << "15=inf|16=nan"
        << kIndicadores + " mto_bi_adq=100.000 mto_igv=18.000 mto_otros=0.000 mto_imp=0.000 " + kEstados
               + " cnt_reg_e1=1.000";
    QTest::newRow("state 0") << "31=0" << kIndicadores + " " + kMontosBase + " " + kEstados + " cnt_reg_e0=1.000";
    QTest::newRow("state 6") << "31=6" << kIndicadores + " " + kMontosBase + " " + kEstados + " cnt_reg_e6=1.000";
    QTest::newRow("state 7") << "31=7" << kIndicadores + " " + kMontosBase + " " + kEstados + " cnt_reg_e7=1.000";
    QTest::newRow("state 9") << "31=9" << kIndicadores + " " + kMontosBase + " " + kEstados + " cnt_reg_e9=1.000";
    QTest::newRow("state 8 counts nowhere") << "31=8" << kIndicadores + " " + kMontosBase + " " + kEstados;
    QTest::newRow("rejected record still totals") << "6=07|25=X|31=01"
        << kIndicadores + " " + kMontosBase + " " + kEstados;
}

void TestPurchaseRegister83::generalTotals()
{
    QFETCH(QString, cambios);
    QFETCH(QString, totales);
    QList<KovColumna> cols = registroCambiado(base83(), cambios);
    ParametrosRegistro p = parametros();
    const KovRespuesta r = f080300g(&cols, &p);
    QCOMPARE(entradas(r.getAcumuladores()), totales);
    QVERIFY(r.getPerAcumuladores().isEmpty());
}

void TestPurchaseRegister83::box107_data()
{
    QTest::addColumn<QString>("cambios");
    QTest::addColumn<int>("qvr");
    QTest::addColumn<QString>("casillas");

    QTest::newRow("switch 0") << "13=1500.00" << 0 << "";
    QTest::newRow("switch 2") << "13=1500.00" << 2 << "";
    QTest::newRow("state 1 invoice") << "13=1500.00" << 1 << "107=1500.000";
    QTest::newRow("state 6 debit note keeps the sign") << "31=6|6=08|13=-20.50|14=0" << 1 << "107=-20.500";
    QTest::newRow("type 88 adds as written") << "6=88|13=-1.50|14=0" << 1 << "107=-1.500";
    QTest::newRow("credit note takes the base away") << "6=07|20=01|13=100.00" << 1 << "107=-100.000";
    QTest::newRow("credit note of a negative base") << "31=6|6=87|20=01|13=-100.00|14=0" << 1 << "107=-100.000";
    QTest::newRow("credit note on a type outside the box") << "6=87|20=46" << 1 << "";
    QTest::newRow("credit note on a credit note") << "6=07|20=07" << 1 << "";
    QTest::newRow("credit note without reference") << "6=87|20=" << 1 << "";
    QTest::newRow("state 0") << "31=0" << 1 << "";
    QTest::newRow("credit note in state 0") << "31=0|6=07|20=01" << 1 << "";
    QTest::newRow("credit note in state 7") << "31=7|6=87|20=01" << 1 << "";
    QTest::newRow("state 7") << "31=7" << 1 << "";
    QTest::newRow("state 9") << "31=9" << 1 << "";
    QTest::newRow("state 16") << "31=16" << 1 << "";
    QTest::newRow("one-digit type") << "6=1" << 1 << "";
    QTest::newRow("type outside the box") << "6=03" << 1 << "";
    QTest::newRow("zero base still boxed") << "13=0.00" << 1 << "107=0.000";
    QTest::newRow("text base boxed as 0") << "13=abc" << 1 << "107=0.000";
    QTest::newRow("zero credit note") << "6=07|20=01|13=0" << 1 << "107=0.000";
}

void TestPurchaseRegister83::box107()
{
    QFETCH(QString, cambios);
    QFETCH(int, qvr);
    QFETCH(QString, casillas);
    QList<KovColumna> cols = registroCambiado(base83(), cambios);
    ParametrosRegistro p = parametros(0, qvr);
    for (const auto &v : kValidadores) {
        const KovRespuesta r = v.second(&cols, &p);
        QVERIFY2(entradas(r.getCasillas()) == casillas, v.first);
        QVERIFY(r.getAgregados().isEmpty());
    }
}

void TestPurchaseRegister83::detailAggregates_data()
{
    QTest::addColumn<QString>("cambios");
    QTest::addColumn<QVariant>("detalle");
    QTest::addColumn<QString>("agregados");

    QTest::newRow("state 1 invoice") << "" << QVariant(1) << "cdp_cnt_01_1=1.000 cdp_mto_01_1=118.000";
    QTest::newRow("rejected state keeps its text") << "31=8|16=-5" << QVariant(1)
                                                   << "cdp_cnt_01_8=1.000 cdp_mto_01_8=-5.000";
    QTest::newRow("failed voucher still aggregates") << "6=07" << QVariant(1)
                                                     << "cdp_cnt_07_1=1.000 cdp_mto_07_1=118.000";
    QTest::newRow("switch 0") << "" << QVariant(0) << "";
    QTest::newRow("switch 2") << "" << QVariant(2) << "";
    QTest::newRow("switch absent") << "" << QVariant() << "";
}

void TestPurchaseRegister83::detailAggregates()
{
    QFETCH(QString, cambios);
    QFETCH(QVariant, detalle);
    QFETCH(QString, agregados);
    QList<KovColumna> cols = registroCambiado(base83(), cambios);
    ParametrosRegistro p = parametros(0, 1);
    if (detalle.isValid())
        p.insert(QStringLiteral("generateDetail"), detalle);
    else
        p.remove(QStringLiteral("generateDetail"));
    for (const auto &v : kValidadores) {
        const KovRespuesta r = v.second(&cols, &p);
        QVERIFY2(entradas(r.getAgregados()) == agregados, v.first);
        QCOMPARE(r.getTotalLineDetail(), agregados.isEmpty() ? 0 : 1);
    }
}

// Set-up refuses layouts narrower than the validator reads; called anyway, a validator reads missing columns
// and parameters as empty and still answers.
void TestPurchaseRegister83::narrowRecordWithoutParameters()
{
    const FuncionRegistro validadores[] = {f080200g, f080200d, f080300g, f080300d};
    for (FuncionRegistro v : validadores) {
        QList<KovColumna> cols = registro({QStringLiteral("20240100"), QStringLiteral("x")});
        const KovRespuesta r = v(&cols, nullptr);
        QVERIFY(errores(r).contains(QStringLiteral("Indicador del estado es incorrecto")));
        QVERIFY(!r.getAcumuladores().isEmpty());
        QVERIFY(r.getCasillas().isEmpty() && r.getAgregados().isEmpty());
        QVERIFY(errores(v(nullptr, nullptr)).contains(QStringLiteral("Indicador del estado es incorrecto")));
    }
}

QTEST_GUILESS_MAIN(TestPurchaseRegister83)
#include "tst_purchaseregister83.moc"
