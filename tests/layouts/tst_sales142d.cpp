// The detailed totals of the sales register 14.2, called directly on one record per case: the catalogue every
// record declares, then what a record past its voucher check adds by state, currency, class and medium.
#include "../rules/firstuse.h"
#include "sales142fixture.h"
#include "salesregisters.h"

#include <QtTest>

namespace {

// The catalogue, in the order every record declares it (after the two indicator counts).
const char *const kCatalogo[] = {
    "mto_bi_gra_e0", "mto_bi_gra_e1", "mto_bi_gra_e2", "mto_bi_gra_to",
    "mto_igv_ipm_e0", "mto_igv_ipm_e1", "mto_igv_ipm_e2", "mto_igv_ipm_to",
    "mto_icbp_e0", "mto_icbp_e1", "mto_icbp_e2", "mto_icbp_to",
    "mto_otros_e0", "mto_otros_e1", "mto_otros_e2", "mto_otros_to",
    "mto_vta_per_e0", "mto_vta_per_e1", "mto_vta_per_e2", "mto_vta_per_to",
    "mto_vta_lib_e0", "mto_vta_lib_e1", "mto_vta_lib_e2", "mto_vta_lib_e8", "mto_vta_lib_e9", "mto_vta_lib_to",
    "cnt_reg_per_e0", "cnt_reg_per_e1", "cnt_reg_per_e2", "cnt_reg_per_to",
    "cnt_reg_per_ant_e8", "cnt_reg_per_ant_e9", "cnt_reg_per_ant_to",
    "cnt_reg_e0", "cnt_reg_e1", "cnt_reg_e2", "cnt_reg_e8", "cnt_reg_e9",
    "cnt_cdp_mn_e0", "cnt_cdp_mn_e1", "cnt_cdp_mn_e2", "cnt_cdp_mn_e8", "cnt_cdp_mn_e9", "cnt_cdp_mn_to",
    "cnt_cdp_me_e0", "cnt_cdp_me_e1", "cnt_cdp_me_e2", "cnt_cdp_me_e8", "cnt_cdp_me_e9", "cnt_cdp_me_to",
    "cnt_fact_elec_e0", "cnt_fact_elec_e1", "cnt_fact_elec_e2", "cnt_fact_elec_e8", "cnt_fact_elec_e9",
    "cnt_fact_elec_to",
    "cnt_fact_fisi_e0", "cnt_fact_fisi_e1", "cnt_fact_fisi_e2", "cnt_fact_fisi_e8", "cnt_fact_fisi_e9",
    "cnt_fact_fisi_to",
    "cnt_nc_elec_e0", "cnt_nc_elec_e1", "cnt_nc_elec_e2", "cnt_nc_elec_e8", "cnt_nc_elec_e9", "cnt_nc_elec_to",
    "cnt_nc_fisi_e0", "cnt_nc_fisi_e1", "cnt_nc_fisi_e2", "cnt_nc_fisi_e8", "cnt_nc_fisi_e9", "cnt_nc_fisi_to",
    "cnt_nd_elec_e0", "cnt_nd_elec_e1", "cnt_nd_elec_e2", "cnt_nd_elec_e8", "cnt_nd_elec_e9", "cnt_nd_elec_to",
    "cnt_nd_fisi_e0", "cnt_nd_fisi_e1", "cnt_nd_fisi_e2", "cnt_nd_fisi_e8", "cnt_nd_fisi_e9", "cnt_nd_fisi_to",
    "cnt_otro_elec_e0", "cnt_otro_elec_e1", "cnt_otro_elec_e2", "cnt_otro_elec_e8", "cnt_otro_elec_e9",
    "cnt_otro_elec_to",
    "cnt_otro_fisi_e0", "cnt_otro_fisi_e1", "cnt_otro_fisi_e2", "cnt_otro_fisi_e8", "cnt_otro_fisi_e9",
    "cnt_otro_fisi_to",
    "cnt_nc_e1",
};

const int kDeclaradas = 2 + int(sizeof(kCatalogo) / sizeof(kCatalogo[0]));

// What a state-1 invoice of the base record adds past its declarations, given the state suffix's own part.
const char kTotalesPeriodo1[] =
    "mto_bi_gra_to=100.000; mto_igv_ipm_to=18.000; mto_otros_to=0.000; mto_vta_per_to=118.000; "
    "cnt_reg_per_to=1.000; mto_vta_lib_to=118.000";

KovRespuesta valida(const QString &cambios, int qvr = 0, int detalle = 0)
{
    QList<KovColumna> cols = registro142(cambios);
    ParametrosRegistro p = parametros142(qvr, detalle);
    return f140200d(&cols, &p);
}

} // namespace

class TestSales142d : public QObject
{
    Q_OBJECT

private slots:
    void firstRecordsAtOnce();
    void catalogue_data();
    void catalogue();
    void totals_data();
    void totals();
    void boxAndAggregatesPastAFailedCheck();
};

// Jobs validate at the same time: the first records this process validates, on several threads at once, each
// get what a lone record gets (the code lists and tables behind both variants are built on first use).
void TestSales142d::firstRecordsAtOnce()
{
    QVERIFY(todosLosHilos([] {
        const KovRespuesta anterior = valida(QStringLiteral("25=8|1=20190100|7=0001|17=pen"));
        QList<KovColumna> cols = registro142(QStringLiteral("6=07|19=|16=59.00"));
        ParametrosRegistro p = parametros142(1, 1);
        const KovRespuesta nota = f140200g(&cols, &p);
        return errores(anterior) == QLatin1String("19@4")
            && entradas81(anterior.getPerAcumuladores())
            == QLatin1String("mto_vta_per_ant_e8[20190100]=118.000; mto_vta_per_ant_to[20190100]=118.000")
            && anterior.getAcumuladores().size() == kDeclaradas + 9
            && errores(nota) == QLatin1String("25@19; 25@20; 25@21; 25@22")
            && entradas81(nota.getCasillas()) == QLatin1String("100=-100.000");
    }));
}

void TestSales142d::catalogue_data()
{
    QTest::addColumn<QString>("cambios");
    QTest::addColumn<QString>("primeras");

    QTest::newRow("state 1 invoice") << "" << "cnt_error1=0.000; cnt_ind_cancel=0.000";
    QTest::newRow("indicators counted first") << "23=1|24=1"
                                              << "cnt_error1=0.000; cnt_ind_cancel=0.000; cnt_error1=1.000; "
                                                 "cnt_ind_cancel=1.000";
    QTest::newRow("refused voucher") << "6=14" << "cnt_error1=0.000; cnt_ind_cancel=0.000";
    QTest::newRow("state 8") << "25=8|1=20190100" << "cnt_error1=0.000; cnt_ind_cancel=0.000";
    QTest::newRow("empty state") << "25=" << "cnt_error1=0.000; cnt_ind_cancel=0.000";
}

// Every record, whatever its state and whatever its checks found, declares the whole catalogue at zero, in
// its order, right after the indicator counts.
void TestSales142d::catalogue()
{
    QFETCH(QString, cambios);
    QFETCH(QString, primeras);
    const QList<EntradaAcumulador> todas = valida(cambios).getAcumuladores();
    const int indicadores = primeras.count(QLatin1Char(';')) + 1;
    QVERIFY(todas.size() >= indicadores + kDeclaradas - 2);
    QCOMPARE(entradas81(todas.mid(0, indicadores)), primeras);
    QStringList esperados;
    for (const char *nombre : kCatalogo)
        esperados.append(QString::fromLatin1(nombre) + QStringLiteral("=0.000"));
    QCOMPARE(entradas81(todas.mid(indicadores, kDeclaradas - 2)), esperados.join(QStringLiteral("; ")));
}

void TestSales142d::totals_data()
{
    QTest::addColumn<QString>("cambios");
    QTest::addColumn<QString>("totales");
    QTest::addColumn<QString>("porPeriodo");

    QTest::newRow("state 1 invoice, electronic, national currency")
        << "" << QString::fromLatin1("mto_bi_gra_e1=100.000; mto_igv_ipm_e1=18.000; mto_otros_e1=0.000; "
                                     "mto_vta_per_e1=118.000; mto_vta_lib_e1=118.000; cnt_reg_per_e1=1.000; "
                                     "cnt_reg_e1=1.000; cnt_cdp_mn_e1=1.000; cnt_fact_elec_e1=1.000; ")
               + kTotalesPeriodo1 + "; cnt_cdp_mn_to=1.000; cnt_fact_elec_to=1.000"
        << "";
    QTest::newRow("state 1, each amount from its own column")
        << "13=1.00|14=2.00|15=3.00|16=4.00"
        << "mto_bi_gra_e1=1.000; mto_igv_ipm_e1=2.000; mto_otros_e1=3.000; mto_vta_per_e1=4.000; "
           "mto_vta_lib_e1=4.000; cnt_reg_per_e1=1.000; cnt_reg_e1=1.000; cnt_cdp_mn_e1=1.000; "
           "cnt_fact_elec_e1=1.000; mto_bi_gra_to=1.000; mto_igv_ipm_to=2.000; mto_otros_to=3.000; "
           "mto_vta_per_to=4.000; cnt_reg_per_to=1.000; mto_vta_lib_to=4.000; cnt_cdp_mn_to=1.000; "
           "cnt_fact_elec_to=1.000"
        << "";
    QTest::newRow("state 0, empty amount")
        << "25=0|6=00|15="
        << QString::fromLatin1("mto_bi_gra_e0=100.000; mto_igv_ipm_e0=18.000; mto_otros_e0=0.000; "
                               "mto_vta_per_e0=118.000; mto_vta_lib_e0=118.000; cnt_reg_per_e0=1.000; "
                               "cnt_reg_e0=1.000; cnt_cdp_mn_e0=1.000; cnt_otro_elec_e0=1.000; ")
               + kTotalesPeriodo1 + "; cnt_cdp_mn_to=1.000; cnt_otro_elec_to=1.000"
        << "";
    QTest::newRow("state 2") << "25=2|17=USD"
                             << QString::fromLatin1("mto_bi_gra_e2=100.000; mto_igv_ipm_e2=18.000; "
                                                    "mto_otros_e2=0.000; mto_vta_per_e2=118.000; "
                                                    "mto_vta_lib_e2=118.000; cnt_reg_per_e2=1.000; "
                                                    "cnt_reg_e2=1.000; cnt_cdp_me_e2=1.000; "
                                                    "cnt_fact_elec_e2=1.000; ")
                                    + kTotalesPeriodo1 + "; cnt_cdp_me_to=1.000; cnt_fact_elec_to=1.000"
                             << "";
    QTest::newRow("state 8, printed, foreign currency")
        << "25=8|1=20190100|4=15/01/2019|6=03|7=0001|17=USD|16=300.00"
        << "mto_vta_lib_e8=300.000; cnt_reg_per_ant_e8=1.000; cnt_reg_e8=1.000; cnt_cdp_me_e8=1.000; "
           "cnt_otro_fisi_e8=1.000; cnt_reg_per_ant_to=1.000; mto_vta_lib_to=300.000; cnt_cdp_me_to=1.000; "
           "cnt_otro_fisi_to=1.000"
        << "mto_vta_per_ant_e8[20190100]=300.000; mto_vta_per_ant_to[20190100]=300.000";
    QTest::newRow("state 9 debit note, no currency")
        << "25=9|1=20181200|6=08|7=B012|17=|18="
        << "mto_vta_lib_e9=118.000; cnt_reg_per_ant_e9=1.000; cnt_reg_e9=1.000; cnt_cdp_me_e9=1.000; "
           "cnt_nd_elec_e9=1.000; cnt_reg_per_ant_to=1.000; mto_vta_lib_to=118.000; cnt_cdp_me_to=1.000; "
           "cnt_nd_elec_to=1.000"
        << "mto_vta_per_ant_e9[20181200]=118.000; mto_vta_per_ant_to[20181200]=118.000";
    QTest::newRow("state 8, currency in lower case")
        << "25=8|1=20190100|7=0001|17=pen"
        << "mto_vta_lib_e8=118.000; cnt_reg_per_ant_e8=1.000; cnt_reg_e8=1.000; cnt_cdp_me_e8=1.000; "
           "cnt_fact_fisi_e8=1.000; cnt_reg_per_ant_to=1.000; mto_vta_lib_to=118.000; cnt_cdp_me_to=1.000; "
           "cnt_fact_fisi_to=1.000"
        << "mto_vta_per_ant_e8[20190100]=118.000; mto_vta_per_ant_to[20190100]=118.000";
    QTest::newRow("state 1 credit note counted as such")
        << "6=07|16=-50.00"
        << "mto_bi_gra_e1=100.000; mto_igv_ipm_e1=18.000; mto_otros_e1=0.000; mto_vta_per_e1=-50.000; "
           "mto_vta_lib_e1=-50.000; cnt_reg_per_e1=1.000; cnt_reg_e1=1.000; cnt_cdp_mn_e1=1.000; "
           "cnt_nc_elec_e1=1.000; cnt_nc_e1=1.000; mto_bi_gra_to=100.000; mto_igv_ipm_to=18.000; "
           "mto_otros_to=0.000; mto_vta_per_to=-50.000; cnt_reg_per_to=1.000; mto_vta_lib_to=-50.000; "
           "cnt_cdp_mn_to=1.000; cnt_nc_elec_to=1.000"
        << "";
    QTest::newRow("state 1 printed credit note abroad")
        << "6=07|7=0001|17=USD|13=abc"
        << "mto_bi_gra_e1=0.000; mto_igv_ipm_e1=18.000; mto_otros_e1=0.000; mto_vta_per_e1=118.000; "
           "mto_vta_lib_e1=118.000; cnt_reg_per_e1=1.000; cnt_reg_e1=1.000; cnt_cdp_me_e1=1.000; "
           "cnt_nc_fisi_e1=1.000; cnt_nc_e1=1.000; mto_bi_gra_to=0.000; mto_igv_ipm_to=18.000; "
           "mto_otros_to=0.000; mto_vta_per_to=118.000; cnt_reg_per_to=1.000; mto_vta_lib_to=118.000; "
           "cnt_cdp_me_to=1.000; cnt_nc_fisi_to=1.000"
        << "";
    QTest::newRow("state 2 credit note: no cnt_nc_e1")
        << "25=2|6=07"
        << QString::fromLatin1("mto_bi_gra_e2=100.000; mto_igv_ipm_e2=18.000; mto_otros_e2=0.000; "
                               "mto_vta_per_e2=118.000; mto_vta_lib_e2=118.000; cnt_reg_per_e2=1.000; "
                               "cnt_reg_e2=1.000; cnt_cdp_mn_e2=1.000; cnt_nc_elec_e2=1.000; ")
               + kTotalesPeriodo1 + "; cnt_cdp_mn_to=1.000; cnt_nc_elec_to=1.000"
        << "";
    QTest::newRow("no series: electronic") << "6=00|7=|25=5"
                                           << "mto_vta_lib_to=118.000; cnt_cdp_mn_to=1.000; cnt_otro_elec_to=1.000"
                                           << "";
    QTest::newRow("state 5: book totals only") << "25=5"
                                               << "mto_vta_lib_to=118.000; cnt_cdp_mn_to=1.000; "
                                                  "cnt_fact_elec_to=1.000"
                                               << "";
    QTest::newRow("state 01: book totals only") << "25=01"
                                                << "mto_vta_lib_to=118.000; cnt_cdp_mn_to=1.000; "
                                                   "cnt_fact_elec_to=1.000"
                                                << "";
    QTest::newRow("empty state: book totals only") << "25="
                                                   << "mto_vta_lib_to=118.000; cnt_cdp_mn_to=1.000; "
                                                      "cnt_fact_elec_to=1.000"
                                                   << "";
    QTest::newRow("refused type: nothing") << "6=14" << "" << "";
    QTest::newRow("refused type 87: nothing") << "6=87|19=10/03/2019" << "" << "";
    QTest::newRow("state 0 refuses 01: nothing") << "25=0" << "" << "";
    QTest::newRow("missing number: nothing") << "8=" << "" << "";
    QTest::newRow("other errors keep the totals") << "1=20190200|10=|23=7"
                                                  << QString::fromLatin1(
                                                         "mto_bi_gra_e1=100.000; mto_igv_ipm_e1=18.000; "
                                                         "mto_otros_e1=0.000; mto_vta_per_e1=118.000; "
                                                         "mto_vta_lib_e1=118.000; cnt_reg_per_e1=1.000; "
                                                         "cnt_reg_e1=1.000; cnt_cdp_mn_e1=1.000; "
                                                         "cnt_fact_elec_e1=1.000; ")
                                                         + kTotalesPeriodo1
                                                         + "; cnt_cdp_mn_to=1.000; cnt_fact_elec_to=1.000"
                                                  << "";
}

void TestSales142d::totals()
{
    QFETCH(QString, cambios);
    QFETCH(QString, totales);
    QFETCH(QString, porPeriodo);
    const KovRespuesta r = valida(cambios);
    const QList<EntradaAcumulador> todas = r.getAcumuladores();
    int indicadores = 2;
    while (indicadores < todas.size() && todas.at(indicadores).value(QStringLiteral("atrib")).toString()
                                             .startsWith(QLatin1String("cnt_")))
        ++indicadores;
    QCOMPARE(entradas81(todas.mid(indicadores + kDeclaradas - 2)), totales);
    QCOMPARE(entradas81(r.getPerAcumuladores()), porPeriodo);
    QCOMPARE(r.getNumeroEstado7(), 0);
}

// A voucher the check refused still adds its box and aggregates: they do not depend on the detailed totals.
void TestSales142d::boxAndAggregatesPastAFailedCheck()
{
    const KovRespuesta r = valida(QStringLiteral("6=87|13=20.00|19=10/03/2019"), 1, 1);
    QCOMPARE(entradas81(r.getCasillas()), QStringLiteral("100=-20.000"));
    QCOMPARE(entradas81(r.getAgregados()), QStringLiteral("cdp_cnt_87_1=1.000; cdp_mto_87_1=118.000"));
    QCOMPARE(r.getTotalLineDetail(), 1);
    QCOMPARE(r.getAcumuladores().size(), kDeclaradas);
}

QTEST_APPLESS_MAIN(TestSales142d)
#include "tst_sales142d.moc"
