#include "purchaseregisters.h"
#include "register8283fixture.h"

#include <QtTest>

namespace {

const QString kEstado = QStringLiteral("666@36:Indicador del estado es incorrecto");
const QString kTipoNoPermitido5 =
    QStringLiteral("666@5:El tipo de comprobante de pago ingresado no esta permitido en este Libro Electrónico");
const QString kTipoNoPermitido11 =
    QStringLiteral("666@11:El tipo de comprobante de pago ingresado no esta permitido en este Libro Electrónico");
const QString kDua1981 = QStringLiteral("666@13:El año de emisión de la DUA debe ser mayor a 1981");
const QString kDuaPeriodo = QStringLiteral("666@13:El año DUA debe ser menor o igual al año del periodo informado.");

// The 52 keys of the detailed variant, in the order every record declares them.
const QStringList kClavesDetalle = {
    "mto_adq_e0", "mto_adq_to", "mto_otros_e0", "mto_otros_to", "mto_adq_per_e0", "mto_adq_per_to",
    "mto_ret_igv_e0", "mto_ret_igv_to", "mto_ren_bru_e0", "mto_ren_bru_to", "mto_deduc_e0", "mto_deduc_to",
    "mto_ren_net_e0", "mto_ren_net_to", "mto_imp_ret_e0", "mto_imp_ret_to", "cnt_reg_per_e0", "cnt_reg_per_to",
    "cnt_reg_per_ant_e9", "cnt_reg_per_ant_to", "cnt_reg_e0", "cnt_reg_e9", "cnt_cdp_mn_e0", "cnt_cdp_mn_e9",
    "cnt_cdp_mn_to", "cnt_cdp_me_e0", "cnt_cdp_me_e9", "cnt_cdp_me_to", "cnt_fact_elec_e0", "cnt_fact_elec_e9",
    "cnt_fact_elec_to", "cnt_fact_fisi_e0", "cnt_fact_fisi_e9", "cnt_fact_fisi_to", "cnt_nc_elec_e0",
    "cnt_nc_elec_e9", "cnt_nc_elec_to", "cnt_nc_fisi_e0", "cnt_nc_fisi_e9", "cnt_nc_fisi_to", "cnt_nd_elec_e0",
    "cnt_nd_elec_e9", "cnt_nd_elec_to", "cnt_nd_fisi_e0", "cnt_nd_fisi_e9", "cnt_nd_fisi_to", "cnt_otro_elec_e0",
    "cnt_otro_elec_e9", "cnt_otro_elec_to", "cnt_otro_fisi_e0", "cnt_otro_fisi_e9", "cnt_otro_fisi_to",
};

const QStringList kClavesGeneral = {
    "cnt_reg_e0", "cnt_reg_e9", "mto_adq", "mto_otros", "mto_imp", "mto_ret_IGV", "mto_ren_bru", "mto_deducc",
    "mto_ren_net", "mto_imp_ret",
};

const QString kAmountsE0 =
    QStringLiteral("mto_adq_e0=100.000 mto_adq_to=100.000 mto_otros_e0=18.000 mto_otros_to=18.000 "
                   "mto_adq_per_e0=118.000 mto_adq_per_to=118.000 mto_ret_igv_e0=1.000 mto_ret_igv_to=1.000 "
                   "mto_ren_bru_e0=2.000 mto_ren_bru_to=2.000 mto_deduc_e0=-3.000 mto_deduc_to=-3.000 "
                   "mto_ren_net_e0=4.000 mto_ren_net_to=4.000 mto_imp_ret_e0=5.000 mto_imp_ret_to=5.000 "
                   "cnt_reg_per_e0=1.000 cnt_reg_per_to=1.000 cnt_reg_e0=1.000");
const QString kAmounts = QStringLiteral("8=100.00|9=18.00|10=118.00|15=1|26=2|27=-3|28=4|30=5");

} // namespace

class TestPurchaseRegister82 : public QObject
{
    Q_OBJECT

private slots:
    void checks_data();
    void checks();
    void plainTotals_data();
    void plainTotals();
    void detailedTotals_data();
    void detailedTotals();
    void detailAggregates_data();
    void detailAggregates();
};

void TestPurchaseRegister82::checks_data()
{
    QTest::addColumn<QString>("cambios");
    QTest::addColumn<QString>("periodoLibro");
    QTest::addColumn<QString>("esperados");

    const QString p = QStringLiteral("20240100");
    QTest::newRow("sound line") << "" << p << "";
    QTest::newRow("state 1 held to its own rules") << "36=1" << p
        << kEstado + "; 666@5:No puede consignar este tipo de comprobante para el estado";
    QTest::newRow("state 1 of another period") << "36=1|1=20231200" << p
        << kEstado + "; 16@1; 666@4:Fecha de emisión debe corresponder al periodo (Estado 1).; "
                     "666@5:No puede consignar este tipo de comprobante para el estado";
    QTest::newRow("state letter counts as 0") << "36=A" << p << kEstado;
    QTest::newRow("state 0 of another period hides the date") << "1=20231200|4=31/02/2024" << p << "55@1";
    QTest::newRow("invalid issue date") << "4=31/02/2024" << p << "13@4";
    QTest::newRow("state 9 dated after its own month") << "36=9|1=20191200|4=15/01/2020" << "20200300" << "19@4";
    QTest::newRow("state 9 not earlier than the book") << "36=9" << p << "18@1";
    QTest::newRow("voucher type not of the register") << "5=01" << p << kTipoNoPermitido5;
    QTest::newRow("voucher without number") << "7=" << p << "52@7";
    QTest::newRow("other voucher type not allowed") << "11=01" << p << kTipoNoPermitido11;
    QTest::newRow("other voucher checked, no year rule") << "11=21|13=1900" << p << "52@14";
    QTest::newRow("other voucher empty, year ignored") << "13=1900" << p << "";
    QTest::newRow("DUA year 1981") << "11=50|12=019|14=123|13=1981" << p << kDua1981;
    QTest::newRow("DUA year 1982") << "11=50|12=019|14=123|13=1982" << p << "";
    QTest::newRow("DUA year empty") << "11=50|12=019|14=123|13=" << p << kDua1981;
    QTest::newRow("DUA year letters") << "11=50|12=019|14=123|13=abcd" << p << kDua1981;
    QTest::newRow("DUA after both years") << "11=52|12=019|14=123|13=2025" << p << kDuaPeriodo;
    QTest::newRow("DUA after the book year only") << "1=20250100|11=50|12=019|14=123|13=2025" << p
        << "55@1; " + kDuaPeriodo;
    QTest::newRow("DUA after the record year only")
        << "36=9|1=20191100|4=15/11/2019|11=50|12=019|14=123|13=2020" << "20200100" << kDuaPeriodo;
    QTest::newRow("DUA fault of the other voucher first") << "11=50|12=999|14=123|13=1900" << p
        << "6@12; " + kDua1981;
    QTest::newRow("foreign currency without rate") << "16=USD" << p << "25@17";
    QTest::newRow("foreign currency rate 0") << "16=USD|17=0" << p << "25@17";
    QTest::newRow("foreign currency rate 0.000") << "16=USD|17=0.000" << p << "";
    QTest::newRow("negative rate") << "16=USD|17=-3.350" << p << "37@17";
    QTest::newRow("lower-case pen is foreign") << "16=pen" << p << "25@17";
    QTest::newRow("indicator 1") << "35=1" << p << "";
    QTest::newRow("indicator 0") << "35=0" << p << "5@35";
    QTest::newRow("indicator 01") << "35=01" << p << "5@35";
    QTest::newRow("errors in call order") << "36=5|5=01|35=0" << p
        << kEstado + "; " + kTipoNoPermitido5 + "; 5@35";
    QTest::newRow("no book period") << "" << "" << "55@1";
}

// Both variants make the same checks, so each row runs through both.
void TestPurchaseRegister82::checks()
{
    QFETCH(QString, cambios);
    QFETCH(QString, periodoLibro);
    QFETCH(QString, esperados);
    QList<KovColumna> cols = registroCambiado(base82(), cambios);
    ParametrosRegistro p = parametros(0, 0, periodoLibro);
    if (periodoLibro.isEmpty())
        p.remove(QStringLiteral("periodo"));
    const ParametrosRegistro antes = p;
    QCOMPARE(errores(f080200g(&cols, &p)), esperados);
    QCOMPARE(errores(f080200d(&cols, &p)), esperados);
    QCOMPARE(p, antes);
}

void TestPurchaseRegister82::plainTotals_data()
{
    QTest::addColumn<QString>("cambios");
    QTest::addColumn<QString>("fed");

    QTest::newRow("state 0 feeds every amount") << kAmounts
        << "mto_adq=100.000 mto_otros=18.000 mto_imp=118.000 mto_ret_IGV=1.000 mto_ren_bru=2.000 "
           "mto_deducc=-3.000 mto_ren_net=4.000 mto_imp_ret=5.000 cnt_reg_e0=1.000";
    QTest::newRow("state 0 with errors still totals") << "5=01|8=-150.00|9=abc"
        << "mto_adq=-150.000 mto_otros=0.000 mto_imp=0.000 mto_ret_IGV=0.000 mto_ren_bru=0.000 "
           "mto_deducc=0.000 mto_ren_net=0.000 mto_imp_ret=0.000 cnt_reg_e0=1.000";
    QTest::newRow("state 9 counts only") << "36=9|1=20231200|4=15/12/2023|" + kAmounts << "cnt_reg_e9=1.000";
    QTest::newRow("other state adds nothing") << "36=5|" + kAmounts << "";
}

void TestPurchaseRegister82::plainTotals()
{
    QFETCH(QString, cambios);
    QFETCH(QString, fed);
    QList<KovColumna> cols = registroCambiado(base82(), cambios);
    ParametrosRegistro p = parametros();
    const KovRespuesta r = f080200g(&cols, &p);
    QCOMPARE(nombres(r.getAcumuladores()).mid(0, 10), kClavesGeneral);
    QCOMPARE(entradas(r.getAcumuladores().mid(0, 10)).count(QStringLiteral("=0.000")), 10);
    QCOMPARE(entradas(r.getAcumuladores(), 10), fed);
    QVERIFY(r.getPerAcumuladores().isEmpty());
}

void TestPurchaseRegister82::detailedTotals_data()
{
    QTest::addColumn<QString>("cambios");
    QTest::addColumn<QString>("fed");
    QTest::addColumn<QString>("porPeriodo");

    QTest::newRow("state 0 invoice, paper, soles") << kAmounts
        << kAmountsE0 + " cnt_cdp_mn_e0=1.000 cnt_fact_fisi_e0=1.000 cnt_cdp_mn_to=1.000 cnt_fact_fisi_to=1.000"
        << "";
    QTest::newRow("state 0 credit note, electronic, dollars") << "5=97|6=E001|16=USD|17=3.5|" + kAmounts
        << kAmountsE0 + " cnt_cdp_me_e0=1.000 cnt_nc_elec_e0=1.000 cnt_cdp_me_to=1.000 cnt_nc_elec_to=1.000"
        << "";
    QTest::newRow("state 9 debit note of an earlier period")
        << "36=9|1=20231100|4=15/11/2023|5=98|6=001A|16=pen|17=3.5|" + kAmounts
        << "cnt_reg_per_ant_e9=1.000 cnt_reg_per_ant_to=1.000 cnt_reg_e9=1.000 cnt_cdp_me_e9=1.000 "
           "cnt_nd_elec_e9=1.000 cnt_cdp_me_to=1.000 cnt_nd_elec_to=1.000"
        << "mto_adq_per_ant_e9@20231100=118.000 mto_adq_per_ant_to@20231100=118.000";
    QTest::newRow("state 9 type 00 with empty series and amount")
        << "36=9|1=20231100|4=15/11/2023|5=00|6=|10="
        << "cnt_reg_per_ant_e9=1.000 cnt_reg_per_ant_to=1.000 cnt_reg_e9=1.000 cnt_cdp_mn_e9=1.000 "
           "cnt_otro_elec_e9=1.000 cnt_cdp_mn_to=1.000 cnt_otro_elec_to=1.000"
        << "mto_adq_per_ant_e9@20231100=0.000 mto_adq_per_ant_to@20231100=0.000";
    QTest::newRow("state 09 is no state 9") << "36=09|1=20231100|4=15/11/2023|" + kAmounts
        << "cnt_cdp_mn_to=1.000 cnt_fact_fisi_to=1.000" << "";
    QTest::newRow("state 5 past the gate counts over all states") << "36=5|" + kAmounts
        << "cnt_cdp_mn_to=1.000 cnt_fact_fisi_to=1.000" << "";
    QTest::newRow("type not of the register feeds nothing") << "5=01|" + kAmounts << "" << "";
    QTest::newRow("failed voucher check feeds nothing") << "7=|" + kAmounts << "" << "";
    QTest::newRow("failed state 9 voucher check feeds nothing") << "36=9|1=20231100|7=-1|" + kAmounts << ""
                                                                 << "";
    QTest::newRow("failed period check still feeds") << "1=20231200|" + kAmounts
        << kAmountsE0 + " cnt_cdp_mn_e0=1.000 cnt_fact_fisi_e0=1.000 cnt_cdp_mn_to=1.000 cnt_fact_fisi_to=1.000"
        << "";
}

void TestPurchaseRegister82::detailedTotals()
{
    QFETCH(QString, cambios);
    QFETCH(QString, fed);
    QFETCH(QString, porPeriodo);
    QList<KovColumna> cols = registroCambiado(base82(), cambios);
    ParametrosRegistro p = parametros();
    const KovRespuesta r = f080200d(&cols, &p);
    const QList<EntradaAcumulador> acumuladores = r.getAcumuladores();
    QCOMPARE(nombres(acumuladores).mid(0, kClavesDetalle.size()), kClavesDetalle);
    QCOMPARE(entradas(acumuladores.mid(0, 52)).count(QStringLiteral("=0.000")), 52);
    QCOMPARE(entradas(acumuladores, 52), fed);
    QCOMPARE(entradas(r.getPerAcumuladores()), porPeriodo);
}

void TestPurchaseRegister82::detailAggregates_data()
{
    QTest::addColumn<QString>("cambios");
    QTest::addColumn<QVariant>("detalle");
    QTest::addColumn<QString>("agregados");

    QTest::newRow("state 0 type 91") << "10=100.00" << QVariant(1) << "cdp_cnt_91_0=1.000 cdp_mto_91_0=100.000";
    QTest::newRow("state 9 still aggregates column 10") << "36=9|1=20231200|4=15/12/2023|5=00|10=-50.50"
                                                        << QVariant(1) << "cdp_cnt_00_9=1.000 cdp_mto_00_9=-50.500";
    QTest::newRow("rejected type and state keep their texts") << "5=01|36=5|10=7" << QVariant(1)
                                                              << "cdp_cnt_01_5=1.000 cdp_mto_01_5=7.000";
    QTest::newRow("switch 0") << "10=100.00" << QVariant(0) << "";
    QTest::newRow("switch 2") << "10=100.00" << QVariant(2) << "";
    QTest::newRow("switch as text 1") << "10=100.00" << QVariant(QStringLiteral("1"))
                                      << "cdp_cnt_91_0=1.000 cdp_mto_91_0=100.000";
    QTest::newRow("switch absent") << "10=100.00" << QVariant() << "";
}

void TestPurchaseRegister82::detailAggregates()
{
    QFETCH(QString, cambios);
    QFETCH(QVariant, detalle);
    QFETCH(QString, agregados);
    QList<KovColumna> cols = registroCambiado(base82(), cambios);
    // Register 8.2 has no tax-form box, even when the job asks for the boxes.
    ParametrosRegistro p = parametros(0, 1);
    if (detalle.isValid())
        p.insert(QStringLiteral("generateDetail"), detalle);
    else
        p.remove(QStringLiteral("generateDetail"));
    const int lineas = agregados.isEmpty() ? 0 : 1;
    const KovRespuesta g = f080200g(&cols, &p);
    const KovRespuesta d = f080200d(&cols, &p);
    QCOMPARE(entradas(g.getAgregados()), agregados);
    QCOMPARE(entradas(d.getAgregados()), agregados);
    QCOMPARE(g.getTotalLineDetail(), lineas);
    QCOMPARE(d.getTotalLineDetail(), lineas);
    QVERIFY(g.getCasillas().isEmpty() && d.getCasillas().isEmpty());
    QVERIFY(!p.contains(QStringLiteral("generateDetail")) || detalle.isValid());
}

QTEST_GUILESS_MAIN(TestPurchaseRegister82)
#include "tst_purchaseregister82.moc"
