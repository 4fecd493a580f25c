// The validators of the sales register 14.1, called directly on one record per case.
#include "kovrules.h"
#include "sales141fixture.h"
#include "salesregisters.h"

#include <QtTest>

namespace {

const char kInformado5[] = "666@5:La fecha debe ser menor o igual al mes siguiente del periodo informado";
const char kCampo1_5[] = "666@5:La fecha debe ser menor o igual al mes siguiente del periodo señalado en el campo 1";
const char kInformado27[] = "666@27:La fecha debe ser menor o igual al periodo informado";
const char kCampo1_27[] = "666@27:La fecha debe ser menor o igual al periodo señalado en el campo 1";

QString lista(std::initializer_list<const char *> partes)
{
    QStringList l;
    for (const char *p : partes)
        l.append(QString::fromUtf8(p));
    return l.join(QStringLiteral("; "));
}

// A credit note that names its modified voucher in full, dated within the period.
const char kNotaCredito[] = "6=07|27=10/01/2024|28=01|29=F001|30=100";

QString conNota(const char *tipo, const char *mas)
{
    QString c = QString::fromLatin1(kNotaCredito);
    c.replace(QStringLiteral("6=07"), QStringLiteral("6=") + QString::fromLatin1(tipo));
    return c + QLatin1Char('|') + QString::fromLatin1(mas);
}

// The record's result with the request flag `clave` set to `valor`; an invalid value leaves the key out.
KovRespuesta validarCon(const QString &cambios, const char *clave, const QVariant &valor)
{
    QList<KovColumna> cols = registro141(cambios);
    ParametrosRegistro p = parametros141(0, 0);
    p.remove(QString::fromLatin1(clave));
    if (valor.isValid())
        p.insert(QString::fromLatin1(clave), valor);
    return f140100g(&cols, &p);
}

// The detailed totals every record declares at zero, in their order.
const char kDeclarados[] =
    "mto_exp_e0 mto_exp_e1 mto_exp_e2 mto_exp_to mto_bi_gra_e0 mto_bi_gra_e1 mto_bi_gra_e2 mto_bi_gra_to "
    "mto_desc_bi_e0 mto_desc_bi_e1 mto_desc_bi_e2 mto_desc_bi_to mto_igv_ipm_e0 mto_igv_ipm_e1 "
    "mto_igv_ipm_e2 mto_igv_ipm_to mto_desc_igv_ipm_e0 mto_desc_igv_ipm_e1 mto_desc_igv_ipm_e2 "
    "mto_desc_igv_ipm_to mto_exo_e0 mto_exo_e1 mto_exo_e2 mto_exo_to mto_inaf_e0 mto_inaf_e1 mto_inaf_e2 "
    "mto_inaf_to mto_isc_e0 mto_isc_e1 mto_isc_e2 mto_isc_to mto_bi_ivap_e0 mto_bi_ivap_e1 mto_bi_ivap_e2 "
    "mto_bi_ivap_to mto_ivap_e0 mto_ivap_e1 mto_ivap_e2 mto_ivap_to mto_icbp_e0 mto_icbp_e1 mto_icbp_e2 "
    "mto_icbp_to mto_otros_e0 mto_otros_e1 mto_otros_e2 mto_otros_to mto_vta_per_e0 mto_vta_per_e1 "
    "mto_vta_per_e2 mto_vta_per_to mto_vta_lib_e0 mto_vta_lib_e1 mto_vta_lib_e2 mto_vta_lib_e8 "
    "mto_vta_lib_e9 mto_vta_lib_to cnt_reg_per_e0 cnt_reg_per_e1 cnt_reg_per_e2 cnt_reg_per_to "
    "cnt_reg_per_ant_e8 cnt_reg_per_ant_e9 cnt_reg_per_ant_to cnt_reg_e0 cnt_reg_e1 cnt_reg_e2 cnt_reg_e8 "
    "cnt_reg_e9 cnt_cdp_mn_e0 cnt_cdp_mn_e1 cnt_cdp_mn_e2 cnt_cdp_mn_e8 cnt_cdp_mn_e9 cnt_cdp_mn_to "
    "cnt_cdp_me_e0 cnt_cdp_me_e1 cnt_cdp_me_e2 cnt_cdp_me_e8 cnt_cdp_me_e9 cnt_cdp_me_to cnt_fact_elec_e0 "
    "cnt_fact_elec_e1 cnt_fact_elec_e2 cnt_fact_elec_e8 cnt_fact_elec_e9 cnt_fact_elec_to "
    "cnt_fact_fisi_e0 cnt_fact_fisi_e1 cnt_fact_fisi_e2 cnt_fact_fisi_e8 cnt_fact_fisi_e9 "
    "cnt_fact_fisi_to cnt_nc_elec_e0 cnt_nc_elec_e1 cnt_nc_elec_e2 cnt_nc_elec_e8 cnt_nc_elec_e9 "
    "cnt_nc_elec_to cnt_nc_fisi_e0 cnt_nc_fisi_e1 cnt_nc_fisi_e2 cnt_nc_fisi_e8 cnt_nc_fisi_e9 "
    "cnt_nc_fisi_to cnt_nd_elec_e0 cnt_nd_elec_e1 cnt_nd_elec_e2 cnt_nd_elec_e8 cnt_nd_elec_e9 "
    "cnt_nd_elec_to cnt_nd_fisi_e0 cnt_nd_fisi_e1 cnt_nd_fisi_e2 cnt_nd_fisi_e8 cnt_nd_fisi_e9 "
    "cnt_nd_fisi_to cnt_otro_elec_e0 cnt_otro_elec_e1 cnt_otro_elec_e2 cnt_otro_elec_e8 cnt_otro_elec_e9 "
    "cnt_otro_elec_to cnt_otro_fisi_e0 cnt_otro_fisi_e1 cnt_otro_fisi_e2 cnt_otro_fisi_e8 "
    "cnt_otro_fisi_e9 cnt_otro_fisi_to cnt_nc_e1";

QString declaradosEnCero()
{
    QStringList l = QString::fromLatin1(kDeclarados).split(QLatin1Char(' '));
    for (QString &clave : l)
        clave += QStringLiteral("=0.000");
    return l.join(QLatin1Char(' '));
}

// The detailed variant's totals past the two indicator counts and the declared zeros.
QString totalesPropios(const KovRespuesta &r)
{
    return entradas(r.getAcumuladores().mid(2 + 131));
}

} // namespace

class TestSales141 : public QObject
{
    Q_OBJECT

private slots:
    void registered();
    void errors_data();
    void errors();
    void totals_data();
    void totals();
    void boxes_data();
    void boxes();
    void aggregates_data();
    void aggregates();
    void typeLists_data();
    void typeLists();
    void shortRecordAndNoParameters();
    void detailedDeclared();
    void detailedTotals_data();
    void detailedTotals();
    void detailedGateClosedKeepsBoxesAndAggregates();
};

void TestSales141::registered()
{
    KovRules reglas;
    QVERIFY(reglas.getFuncionRegistro(QStringLiteral("f140100g")) == &f140100g);
    QVERIFY(reglas.getFuncionRegistro(QStringLiteral("f140100d")) == &f140100d);
    QCOMPARE(reglas.getColumnaEstado(QStringLiteral("f140100g")), 34);
    QCOMPARE(reglas.getColumnaEstado(QStringLiteral("f140100d")), 34);
}

void TestSales141::errors_data()
{
    QTest::addColumn<QString>("cambios");
    QTest::addColumn<QString>("esperado");

    QTest::newRow("sound invoice") << QString() << QString();

    // "RER" regime.
    QTest::newRow("RER, lower-case m") << "2=RER|3=mype" << QString();
    QTest::newRow("RER, other letter") << "2=RER|3=X" << "29@3";
    QTest::newRow("RER, empty") << "2=RER|3=" << "29@3";
    QTest::newRow("rer lower case is no regime") << "2=rer|3=X" << QString();

    // Period and dates.
    QTest::newRow("period refused: only presence duties")
        << "1=20240200|4=|6=14|5=01/01/0001" << "16@1; 25@4; 25@5";
    QTest::newRow("period refused, credit note without date") << conNota("07", "1=20240200|27=")
                                                              << "16@1; 25@27";
    QTest::newRow("period refused: no date compared")
        << "1=20240200|4=01/05/2024|5=15/06/2024" << "16@1";
    QTest::newRow("state 02 is state 2 for the period check") << "34=02|1=20240200|4=" << "23@1; 25@4";
    QTest::newRow("column 4 late") << "4=01/02/2024" << "19@4";
    QTest::newRow("state 8: column 4 dated by its own period") << "34=8|1=20231200|4=15/01/2024" << "19@4";
    QTest::newRow("column 4 no date") << "4=xx" << "13@4";
    QTest::newRow("column 4 empty") << "4=" << "25@4";
    QTest::newRow("state 2: column 4 not examined") << "34=2|4=" << QString();
    QTest::newRow("state 02 keeps the date duties") << "34=02|4=" << "25@4";
    QTest::newRow("state 2: column 5 still compared")
        << "34=2|5=15/03/2024" << lista({kInformado5, kCampo1_5});
    QTest::newRow("type 14, column 5 empty") << "6=14|5=" << "25@5";
    QTest::newRow("type 14, state 2: column 5 not required") << "6=14|34=2|5=" << QString();
    QTest::newRow("type 14, state 2: column 5 still compared")
        << "6=14|34=2|5=15/03/2024" << lista({kInformado5, kCampo1_5});
    QTest::newRow("type 14, column 5 empty date") << "6=14|5=01/01/0001" << "25@5";
    QTest::newRow("type 14, column 5 blanks") << "6=14|5=  "
                                              << lista({"13@5", kInformado5, "13@5", kCampo1_5});
    QTest::newRow("type 01, column 5 blanks") << "5=  " << QString();
    QTest::newRow("type 01, 01/01/0001 is a date") << "5=01/01/0001" << QString();
    QTest::newRow("column 5 in the next month") << "5=29/02/2024" << QString();
    QTest::newRow("column 5 two months later") << "5=01/03/2024" << lista({kInformado5, kCampo1_5});
    QTest::newRow("column 5 not a date") << "5=31/02/2024" << lista({"13@5", kInformado5, "13@5", kCampo1_5});
    QTest::newRow("state 8: column 5 late only for its own period")
        << "34=8|1=20231200|4=15/12/2023|5=15/02/2024" << lista({kCampo1_5});
    QTest::newRow("credit note, sound") << conNota("07", "") << QString();
    QTest::newRow("credit note, column 27 next month")
        << conNota("07", "27=10/02/2024") << lista({kInformado27, kCampo1_27});
    QTest::newRow("state 8 credit note: column 27 late only for its own period")
        << conNota("07", "34=8|1=20231200|4=15/12/2023") << lista({kCampo1_27});
    QTest::newRow("credit note, column 27 not a date") << conNota("07", "27=31/02/2024") << "13@27; 13@27";
    QTest::newRow("debit note 88, column 27 empty") << conNota("88", "27=") << "25@27";
    QTest::newRow("state 2 credit note: column 27 ignored") << conNota("07", "34=2|27=xx") << QString();

    // Second number and customer document.
    QTest::newRow("type 01, column 9 set") << "9=-" << "5@9";
    QTest::newRow("type 03, negative second number") << "6=03|7=B001|9=-15" << "36@9; 3@9";
    QTest::newRow("type 13, voucher refused: sign check only") << "6=13|8=|9=-5" << "52@8; 36@9";
    QTest::newRow("type 03, column 9 empty") << "6=03|7=B001" << QString();
    QTest::newRow("document missing") << "10=|11=|12=" << "25@10; 25@11; 25@12";
    QTest::newRow("document missing, second number set") << "9=100|10=|11=|12=" << "5@9";
    QTest::newRow("document missing, state 2") << "10=|11=|12=|34=2" << QString();
    QTest::newRow("document missing, export above 0") << "10=|11=|12=|13=0.01" << QString();
    QTest::newRow("document missing, export negative") << "10=|11=|12=|13=-5.00" << "25@10; 25@11; 25@12";
    QTest::newRow("document missing, small invoice") << "10=|11=|12=|24=10.00" << "25@10; 25@11; 25@12";
    QTest::newRow("document missing, type 12") << "6=12|10=|11=|12=" << QString();
    QTest::newRow("document missing, ticket of 700") << "6=03|7=B001|10=|11=|12=|24=700.00"
                                                      << "25@10; 25@11; 25@12";
    QTest::newRow("document missing, ticket of 699.99") << "6=03|7=B001|10=|11=|12=|24=699.99" << QString();
    QTest::newRow("document missing, ticket total NaN reads 0") << "6=03|7=B001|10=|11=|12=|24=nan" << QString();
    QTest::newRow("document missing, ticket total 1e400 reads 0") << "6=03|7=B001|10=|11=|12=|24=1e400"
                                                                  << QString();
    QTest::newRow("document missing, export inf reads 0") << "10=|11=|12=|13=inf" << "25@10; 25@11; 25@12";
    QTest::newRow("document missing, export 1e-400 reads 0") << "10=|11=|12=|13=1e-400" << "25@10; 25@11; 25@12";
    QTest::newRow("document missing, export 5e-324 above 0") << "10=|11=|12=|13=5e-324" << QString();
    QTest::newRow("document missing, ticket total empty") << "6=03|7=B001|10=|11=|12=|24=" << QString();
    QTest::newRow("document type empty, number dash") << "10=|11=-" << "25@10; 25@11";
    QTest::newRow("document number empty") << "11=" << "25@11; 34@11";
    QTest::newRow("document type empty") << "10=" << "25@10";
    QTest::newRow("optional document still checked") << "6=12|10=6|11=" << "34@11";
    QTest::newRow("optional document, number dash only") << "6=12|10=|11=-|12=" << QString();

    // Type 49, currency and rate, modified voucher, indicators.
    QTest::newRow("type 49 without amounts") << "6=49|21=0.00|22=" << "25@21; 25@22";
    QTest::newRow("type 49, zero written otherwise") << "6=49|21=0|22=0.000" << QString();
    QTest::newRow("rate without currency") << "25=" << "25@25";
    QTest::newRow("rate 0.000 without currency") << "25=|26=0.000" << "25@25";
    QTest::newRow("currency, rate 0.000") << "26=0.000" << "25@26";
    QTest::newRow("currency, rate 0.00") << "26=0.00" << QString();
    QTest::newRow("currency without rate") << "26=" << "25@26";
    QTest::newRow("negative rate") << "26=-1.5" << "37@26";
    QTest::newRow("neither currency nor rate") << "25=|26=" << QString();
    QTest::newRow("credit note, modified voucher missing") << "6=07|27=10/01/2024" << "25@28; 25@29; 25@30";
    QTest::newRow("credit note, modified voucher dashes")
        << "6=07|27=10/01/2024|28=-|29=00|30=-" << "25@28; 25@29; 25@30";
    QTest::newRow("credit note, modified number missing") << conNota("07", "30=") << "25@30; 52@30";
    QTest::newRow("state 2 debit note: rules without duties") << conNota("88", "34=2|30=") << "52@30";
    QTest::newRow("invoice naming a dash voucher") << "28=-|29=F001|30=123"
                                                   << "666@28:Tipo de comprobante no valido";
    QTest::newRow("indicator 32 is 1") << "32=1" << QString();
    QTest::newRow("indicators out of list") << "32=1.0|33=01" << "5@32; 5@33";
}

void TestSales141::errors()
{
    QFETCH(QString, cambios);
    QFETCH(QString, esperado);
    QList<KovColumna> cols = registro141(cambios);
    ParametrosRegistro p = parametros141(0, 0);
    // The two variants differ only in their totals: each must report the record alike.
    QCOMPARE(errores(f140100g(&cols, &p)), esperado);
    QCOMPARE(errores(f140100d(&cols, &p)), esperado);
}

void TestSales141::totals_data()
{
    QTest::addColumn<QString>("cambios");
    QTest::addColumn<QString>("esperado");

    const QString montos = QStringLiteral("mto_IGV_t1=18.000 mto_exo_t1=0.000 mto_inaf_t1=0.000 mto_ISC_t1=0.000 "
                                          "mto_BI_ivap_t1=0.000 mto_IVAP_t1=0.000 mto_otros_t1=0.000 ");
    const QString ceros = QStringLiteral("cnt_reg_e0=0.000 cnt_reg_e1=0.000 cnt_reg_e2=0.000 cnt_reg_e8=0.000 "
                                         "cnt_reg_e9=0.000");
    QTest::newRow("state 1 with discounts and indicator")
        << "15=5.00|17=0.90|32=1"
        << "cnt_error1=0.000 cnt_ind_cancel=0.000 cnt_error1=1.000 mto_exp_t1=0.000 mto_BI_og_t1=100.000 "
           "mto_desc_bi=0.000 mto_desc_igv=0.000 mto_desc_bi=5.000 mto_desc_igv=0.900 "
               + montos + "mto_total_t1=118.000 " + ceros + " cnt_reg_e1=1.000";
    QTest::newRow("state 9: no discounts")
        << "34=9|1=20231200|4=15/12/2023|15=5.00|17=0.90|33=1|14=abc|24=-15.50"
        << "cnt_error1=0.000 cnt_ind_cancel=0.000 cnt_ind_cancel=1.000 mto_exp_t1=0.000 mto_BI_og_t1=0.000 "
           "mto_desc_bi=0.000 mto_desc_igv=0.000 "
               + montos + "mto_total_t1=-15.500 " + ceros + " cnt_reg_e9=1.000";
    QTest::newRow("state 01: no count")
        << "34=01" << "cnt_error1=0.000 cnt_ind_cancel=0.000 mto_exp_t1=0.000 mto_BI_og_t1=100.000 "
                      "mto_desc_bi=0.000 mto_desc_igv=0.000 "
               + montos + "mto_total_t1=118.000 " + ceros;
}

void TestSales141::totals()
{
    QFETCH(QString, cambios);
    QFETCH(QString, esperado);
    QList<KovColumna> cols = registro141(cambios);
    ParametrosRegistro p = parametros141(0, 0);
    const KovRespuesta r = f140100g(&cols, &p);
    QCOMPARE(entradas(r.getAcumuladores()), esperado);
    // The general variant files no total by period, earlier states included.
    QVERIFY(!r.hasPerAcumuladores());
    QCOMPARE(r.getNumeroEstado7(), 0);
    QVERIFY(!r.hasCasillas());
    QVERIFY(!r.hasAgregados());
    QCOMPARE(r.getTotalLineDetail(), 0);
}

void TestSales141::boxes_data()
{
    QTest::addColumn<QString>("cambios");
    QTest::addColumn<QVariant>("generateQVR");
    QTest::addColumn<QString>("esperado");

    const QVariant uno(1);
    QTest::newRow("invoice") << "13=150.00|15=9.00|18=1|19=2|20=3|21=4" << uno
                             << "106=150.000 100=100.000 100=3.000 105=1.000 109=2.000 340=4.000";
    QTest::newRow("invoice, negative export") << "13=-150.00|18=|19=|21=" << uno << "106=-150.000 100=100.000 100=0.000";
    QTest::newRow("credit note 07") << "6=07|13=150.00|14=-100|15=-20.00|18=1|19=2|20=3|21=4" << uno
                                    << "106=-150.000 100=-100.000 100=-3.000 102=20.000 105=-1.000 109=-2.000 "
                                       "340=-4.000";
    QTest::newRow("credit note 87, zeros entered")
        << "6=87|13=0|14=0.00|15=0.00|18=0.00|19=0.00|20=0.00|21=0.00" << uno
        << "106=0.000 100=0.000 100=0.000 102=0.000 105=0.000 109=0.000 340=0.000";
    QTest::newRow("credit note, 102 not entered") << "6=07|13=|15=0.0|18=|19=|21=" << uno << "100=-100.000 100=0.000";
    QTest::newRow("zeros not entered") << "13=0.0|14=|18=-0.00|19=00|21=abc" << uno << "100=0.000 100=0.000";
    QTest::newRow("box 100 takes an amount not entered") << "13=|14=abc|18=|19=|20=0.0|21=" << uno << "100=0.000 100=0.000";
    QTest::newRow("debit note 88 as written") << "6=88|13=-5|15=7|18=|19=|21=" << uno << "106=-5.000 100=100.000 100=0.000";
    QTest::newRow("type 7 is not a credit note") << "6=7|13=5|18=|19=|21=" << uno << "106=5.000 100=100.000 100=0.000";
    QTest::newRow("state 0") << "34=0" << uno << QString();
    QTest::newRow("state 01") << "34=01" << uno << QString();
    QTest::newRow("asked with 2") << "13=5" << QVariant(2) << QString();
    QTest::newRow("not asked") << "13=5" << QVariant() << QString();
}

void TestSales141::boxes()
{
    QFETCH(QString, cambios);
    QFETCH(QVariant, generateQVR);
    QFETCH(QString, esperado);
    const KovRespuesta r = validarCon(cambios, "generateQVR", generateQVR);
    QCOMPARE(entradas(r.getCasillas()), esperado);
    QVERIFY(!r.hasAgregados());
}

void TestSales141::aggregates_data()
{
    QTest::addColumn<QString>("cambios");
    QTest::addColumn<QVariant>("generateDetail");
    QTest::addColumn<QString>("esperado");

    const QVariant uno(1);
    QTest::newRow("invoice") << QString() << uno << "cdp_cnt_01_1=1.000 cdp_mto_01_1=118.000";
    QTest::newRow("state outside the five, total not a number")
        << "34=3|24=x" << uno << "cdp_cnt_01_3=1.000 cdp_mto_01_3=0.000";
    QTest::newRow("empty type and state") << "6=|34=|24=-25.50" << uno << "cdp_cnt__=1.000 cdp_mto__=-25.500";
    QTest::newRow("asked with 2") << QString() << QVariant(2) << QString();
    QTest::newRow("not asked") << QString() << QVariant() << QString();
}

void TestSales141::aggregates()
{
    QFETCH(QString, cambios);
    QFETCH(QVariant, generateDetail);
    QFETCH(QString, esperado);
    const KovRespuesta r = validarCon(cambios, "generateDetail", generateDetail);
    QCOMPARE(entradas(r.getAgregados()), esperado);
    QCOMPARE(r.getTotalLineDetail(), esperado.isEmpty() ? 0 : 1);
}

// Every voucher type of the sub-book against the type lists of the record checks: a type dropped from a list,
// or one slipped into it, shows as a duty gained or lost.
void TestSales141::typeLists_data()
{
    QTest::addColumn<QString>("tipo");
    const QStringList tipos = QStringLiteral("00 01 03 04 05 06 07 08 11 12 13 14 15 16 17 18 19 21 23 24 25 26 27 "
                                             "28 29 30 32 34 35 36 37 42 43 44 45 48 49 55 56 87 88")
                                  .split(QLatin1Char(' '));
    for (const QString &tipo : tipos)
        QTest::newRow(qPrintable(tipo)) << tipo;
}

void TestSales141::typeLists()
{
    QFETCH(QString, tipo);
    const QStringList sinDocumento = QStringLiteral("00 05 06 07 08 11 12 13 14 15 16 18 19 23 26 28 30 34 35 36 37 "
                                                    "55 56 87 88").split(QLatin1Char(' '));
    const QStringList segundoNumero = QStringLiteral("00 03 12 13 87").split(QLatin1Char(' '));
    const QStringList ventaMenor = QStringLiteral("03 12").split(QLatin1Char(' '));
    const QStringList modificacion = QStringLiteral("07 08 87 88").split(QLatin1Char(' '));
    ParametrosRegistro p = parametros141(0, 0);
    const QString t = QStringLiteral("6=") + tipo + QLatin1Char('|');
    auto marca = [&](const QString &cambios, const char *error) {
        QList<KovColumna> cols = registro141(t + cambios);
        return (QStringLiteral("; ") + errores(f140100g(&cols, &p)) + QStringLiteral("; "))
            .contains(QStringLiteral("; ") + QString::fromLatin1(error) + QStringLiteral("; "));
    };
    QCOMPARE(marca(QStringLiteral("10=|11=|12=|13=0.00|24=1000.00"), "25@10"), !sinDocumento.contains(tipo));
    QCOMPARE(marca(QStringLiteral("10=|11=|12=|13=0.00|24=600.00"), "25@10"),
             !sinDocumento.contains(tipo) && !ventaMenor.contains(tipo));
    QCOMPARE(marca(QStringLiteral("9=-1"), "36@9"), segundoNumero.contains(tipo));
    if (!segundoNumero.contains(tipo))
        QVERIFY(marca(QStringLiteral("9=-1"), "5@9"));
    QCOMPARE(marca(QStringLiteral("27=|28=|29=|30="), "25@27"), modificacion.contains(tipo));
    QCOMPARE(marca(QStringLiteral("27=|28=|29=|30="), "25@28"), modificacion.contains(tipo));
}

// Book set-up refuses a narrower layout; called directly, missing columns read as empty texts.
void TestSales141::shortRecordAndNoParameters()
{
    for (FuncionRegistro validar : {f140100g, f140100d}) {
        QList<KovColumna> cols = registro(QStringList{QStringLiteral("20240100"), QString(), QString()});
        QVERIFY(validar(&cols, nullptr).getNumErrores() > 0);
        QList<KovColumna> vacia;
        ParametrosRegistro p = parametros141(1, 1);
        QCOMPARE(validar(&vacia, &p).getTotalLineDetail(), 1);
        QCOMPARE(validar(nullptr, &p).getTotalLineDetail(), 1);
    }
}

void TestSales141::detailedDeclared()
{
    // A voucher type foreign to the sub-book closes the gate: the declared zeros and the indicators stay.
    QList<KovColumna> cols = registro141(QStringLiteral("6=02|34=5|33=1"));
    ParametrosRegistro p = parametros141(0, 0);
    const KovRespuesta r = f140100d(&cols, &p);
    QCOMPARE(errores(r), QStringLiteral(
        "666@6:No puede consignar este tipo de comprobante para el sub libro seleccionado"));
    QCOMPARE(entradas(r.getAcumuladores()),
             QStringLiteral("cnt_error1=0.000 cnt_ind_cancel=0.000 cnt_ind_cancel=1.000 ") + declaradosEnCero());
    QVERIFY(!r.hasPerAcumuladores());
}

void TestSales141::detailedTotals_data()
{
    QTest::addColumn<QString>("cambios");
    QTest::addColumn<QString>("esperado");
    QTest::addColumn<QString>("porPeriodo");

    const QString montos1 = QStringLiteral("mto_exp_e1=0.000 mto_bi_gra_e1=100.000 mto_desc_bi_e1=0.000 "
        "mto_igv_ipm_e1=18.000 mto_desc_igv_ipm_e1=0.000 mto_exo_e1=0.000 mto_inaf_e1=0.000 mto_isc_e1=0.000 "
        "mto_bi_ivap_e1=0.000 mto_ivap_e1=0.000 mto_otros_e1=0.000 mto_vta_per_e1=118.000 ");
    QString montosTo = montos1;
    montosTo.replace(QStringLiteral("_e1="), QStringLiteral("_to="));

    QTest::newRow("state 1 invoice, electronic, soles")
        << QString()
        << montos1 + "mto_vta_lib_e1=118.000 cnt_reg_per_e1=1.000 cnt_reg_e1=1.000 cnt_cdp_mn_e1=1.000 "
                     "cnt_fact_elec_e1=1.000 " + montosTo
               + "cnt_reg_per_to=1.000 mto_vta_lib_to=118.000 cnt_cdp_mn_to=1.000 cnt_fact_elec_to=1.000"
        << QString();
    QTest::newRow("state 1 credit note 87, physical, dollars")
        << "6=87|7=0001|25=USD|27=10/01/2024|28=01|29=F001|30=100"
        << montos1 + "mto_vta_lib_e1=118.000 cnt_reg_per_e1=1.000 cnt_reg_e1=1.000 cnt_cdp_me_e1=1.000 "
                     "cnt_nc_fisi_e1=1.000 cnt_nc_e1=1.000 " + montosTo
               + "cnt_reg_per_to=1.000 mto_vta_lib_to=118.000 cnt_cdp_me_to=1.000 cnt_nc_fisi_to=1.000"
        << QString();

    QString montos2 = montos1;
    montos2.replace(QStringLiteral("_e1="), QStringLiteral("_e2="));
    montos2.replace(QStringLiteral("mto_vta_per_e2=118.000"), QStringLiteral("mto_vta_per_e2=-150.000"));
    QString montos2To = montos2;
    montos2To.replace(QStringLiteral("_e2="), QStringLiteral("_to="));
    QString montos2Nota = montos1;
    montos2Nota.replace(QStringLiteral("_e1="), QStringLiteral("_e2="));
    QTest::newRow("state 2 invoice, negative total")
        << "34=2|24=-150.00"
        << montos2 + "mto_vta_lib_e2=-150.000 cnt_reg_per_e2=1.000 cnt_reg_e2=1.000 cnt_cdp_mn_e2=1.000 "
                     "cnt_fact_elec_e2=1.000 " + montos2To
               + "cnt_reg_per_to=1.000 mto_vta_lib_to=-150.000 cnt_cdp_mn_to=1.000 cnt_fact_elec_to=1.000"
        << QString();
    QTest::newRow("state 8 debit note 88, physical")
        << "34=8|1=20231200|4=15/12/2023|6=88|7=0001|27=10/12/2023|28=01|29=F001|30=100|13=7"
        << "mto_vta_lib_e8=118.000 cnt_reg_per_ant_e8=1.000 cnt_reg_e8=1.000 cnt_cdp_mn_e8=1.000 "
           "cnt_nd_fisi_e8=1.000 cnt_reg_per_ant_to=1.000 mto_vta_lib_to=118.000 cnt_cdp_mn_to=1.000 "
           "cnt_nd_fisi_to=1.000"
        << "mto_vta_per_ant_e8@20231200=118.000 mto_vta_per_ant_to@20231200=118.000";
    QTest::newRow("state 9 ticket, lower-case pen, total not a number")
        << "34=9|1=20231200|4=15/12/2023|6=03|7=B001|25=pen|24=1,500.00"
        << "mto_vta_lib_e9=0.000 cnt_reg_per_ant_e9=1.000 cnt_reg_e9=1.000 cnt_cdp_me_e9=1.000 "
           "cnt_otro_elec_e9=1.000 cnt_reg_per_ant_to=1.000 mto_vta_lib_to=0.000 cnt_cdp_me_to=1.000 "
           "cnt_otro_elec_to=1.000"
        << "mto_vta_per_ant_e9@20231200=0.000 mto_vta_per_ant_to@20231200=0.000";
    QTest::newRow("state 5: only the totals over all states")
        << "34=5|7=0001" << "mto_vta_lib_to=118.000 cnt_cdp_mn_to=1.000 cnt_fact_fisi_to=1.000" << QString();
    QTest::newRow("state 1 credit note 07, electronic")
        << "6=07|27=10/01/2024|28=01|29=F001|30=100"
        << montos1 + "mto_vta_lib_e1=118.000 cnt_reg_per_e1=1.000 cnt_reg_e1=1.000 cnt_cdp_mn_e1=1.000 "
                     "cnt_nc_elec_e1=1.000 cnt_nc_e1=1.000 " + montosTo
               + "cnt_reg_per_to=1.000 mto_vta_lib_to=118.000 cnt_cdp_mn_to=1.000 cnt_nc_elec_to=1.000"
        << QString();
    QTest::newRow("state 1 debit note 08, electronic")
        << "6=08|27=10/01/2024|28=01|29=F001|30=100"
        << montos1 + "mto_vta_lib_e1=118.000 cnt_reg_per_e1=1.000 cnt_reg_e1=1.000 cnt_cdp_mn_e1=1.000 "
                     "cnt_nd_elec_e1=1.000 " + montosTo
               + "cnt_reg_per_to=1.000 mto_vta_lib_to=118.000 cnt_cdp_mn_to=1.000 cnt_nd_elec_to=1.000"
        << QString();
    QTest::newRow("state 0, series with a letter")
        << "6=00|7=0001A|34=0"
        << "mto_exp_e0=0.000 mto_bi_gra_e0=100.000 mto_desc_bi_e0=0.000 mto_igv_ipm_e0=18.000 "
           "mto_desc_igv_ipm_e0=0.000 mto_exo_e0=0.000 mto_inaf_e0=0.000 mto_isc_e0=0.000 mto_bi_ivap_e0=0.000 "
           "mto_ivap_e0=0.000 mto_otros_e0=0.000 mto_vta_per_e0=118.000 mto_vta_lib_e0=118.000 "
           "cnt_reg_per_e0=1.000 cnt_reg_e0=1.000 cnt_cdp_mn_e0=1.000 cnt_otro_elec_e0=1.000 "
               + montosTo + "cnt_reg_per_to=1.000 mto_vta_lib_to=118.000 cnt_cdp_mn_to=1.000 cnt_otro_elec_to=1.000"
        << QString();
    QTest::newRow("state 2 credit note: no state-1 credit-note count")
        << "6=07|34=2"
        << montos2Nota + "mto_vta_lib_e2=118.000 cnt_reg_per_e2=1.000 cnt_reg_e2=1.000 cnt_cdp_mn_e2=1.000 "
                         "cnt_nc_elec_e2=1.000 " + montosTo
               + "cnt_reg_per_to=1.000 mto_vta_lib_to=118.000 cnt_cdp_mn_to=1.000 cnt_nc_elec_to=1.000"
        << QString();
    // Only the first voucher check opens the totals: a late date or a refused second number leaves them open.
    QTest::newRow("errors elsewhere keep the gate open")
        << "4=01/02/2024|6=03|7=B001|9=-15"
        << montos1 + "mto_vta_lib_e1=118.000 cnt_reg_per_e1=1.000 cnt_reg_e1=1.000 cnt_cdp_mn_e1=1.000 "
                     "cnt_otro_elec_e1=1.000 " + montosTo
               + "cnt_reg_per_to=1.000 mto_vta_lib_to=118.000 cnt_cdp_mn_to=1.000 cnt_otro_elec_to=1.000"
        << QString();
    QTest::newRow("voucher refused: nothing past the zeros") << "8=" << QString() << QString();
}

void TestSales141::detailedTotals()
{
    QFETCH(QString, cambios);
    QFETCH(QString, esperado);
    QFETCH(QString, porPeriodo);
    QList<KovColumna> cols = registro141(cambios);
    ParametrosRegistro p = parametros141(0, 0);
    const KovRespuesta r = f140100d(&cols, &p);
    QCOMPARE(entradas(r.getAcumuladores().mid(0, 2 + 131)),
             QStringLiteral("cnt_error1=0.000 cnt_ind_cancel=0.000 ") + declaradosEnCero());
    QCOMPARE(totalesPropios(r), esperado);
    QCOMPARE(entradas(r.getPerAcumuladores()), porPeriodo);
}

// Boxes and aggregates do not wait for the voucher to pass.
void TestSales141::detailedGateClosedKeepsBoxesAndAggregates()
{
    QList<KovColumna> cols = registro141(QStringLiteral("6=07|8=|13=50.00|15=-20.00|18=|19=|21=|24=-118.00"));
    ParametrosRegistro p = parametros141(1, 1);
    const KovRespuesta r = f140100d(&cols, &p);
    QCOMPARE(totalesPropios(r), QString());
    QCOMPARE(entradas(r.getCasillas()), QStringLiteral("106=-50.000 100=-100.000 100=0.000 102=20.000"));
    QCOMPARE(entradas(r.getAgregados()), QStringLiteral("cdp_cnt_07_1=1.000 cdp_mto_07_1=-118.000"));
    QCOMPARE(r.getTotalLineDetail(), 1);
}

QTEST_APPLESS_MAIN(TestSales141)
#include "tst_sales141.moc"
