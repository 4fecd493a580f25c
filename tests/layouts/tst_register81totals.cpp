#include "purchaseregisters.h"
#include "register81fixture.h"

#include <QSet>
#include <QtTest>

namespace {

// The five indicator keys and the 135 keys of the detailed totals that every record declares first.
const int kDeclaracionesDetalle = 140;

// The detailed keys every record declares after the five indicator keys, family by family, in their order.
const char *const kClavesDetalle[] = {
    "mto_com_ven_gra_e0", "mto_com_ven_gra_e1", "mto_com_ven_gra_e6", "mto_com_ven_gra_e7", "mto_com_ven_gra_to",
    "mto_igv_ipm1_e0", "mto_igv_ipm1_e1", "mto_igv_ipm1_e6", "mto_igv_ipm1_e7", "mto_igv_ipm1_to",
    "mto_igv_ipm1_e16",
    "mto_com_ven_granogra_e0", "mto_com_ven_granogra_e1", "mto_com_ven_granogra_e6", "mto_com_ven_granogra_e7",
    "mto_com_ven_granogra_to",
    "mto_igv_ipm2_e0", "mto_igv_ipm2_e1", "mto_igv_ipm2_e6", "mto_igv_ipm2_e7", "mto_igv_ipm2_to",
    "mto_igv_ipm2_e16",
    "mto_com_ven_nogra_e0", "mto_com_ven_nogra_e1", "mto_com_ven_nogra_e6", "mto_com_ven_nogra_e7",
    "mto_com_ven_nogra_to",
    "mto_igv_ipm3_e0", "mto_igv_ipm3_e1", "mto_igv_ipm3_e6", "mto_igv_ipm3_e7", "mto_igv_ipm3_to",
    "mto_adq_nogra_e0", "mto_adq_nogra_e1", "mto_adq_nogra_e6", "mto_adq_nogra_e7", "mto_adq_nogra_to",
    "mto_isc_e0", "mto_isc_e1", "mto_isc_e6", "mto_isc_e7", "mto_isc_to",
    "mto_icbp_e0", "mto_icbp_e1", "mto_icbp_e6", "mto_icbp_e7", "mto_icbp_to",
    "mto_otros_e0", "mto_otros_e1", "mto_otros_e6", "mto_otros_e7", "mto_otros_to",
    "mto_adq_per_e0", "mto_adq_per_e1", "mto_adq_per_e6", "mto_adq_per_e7", "mto_adq_per_to",
    "mto_adq_lib_e0", "mto_adq_lib_e1", "mto_adq_lib_e6", "mto_adq_lib_e7", "mto_adq_lib_e9", "mto_adq_lib_to",
    "cnt_reg_per_e0", "cnt_reg_per_e1", "cnt_reg_per_e6", "cnt_reg_per_e7", "cnt_reg_per_to",
    "cnt_reg_per_ant_e9", "cnt_reg_per_ant_to",
    "cnt_reg_e0", "cnt_reg_e1", "cnt_reg_e6", "cnt_reg_e7", "cnt_reg_e9",
    "cnt_cdp_mn_e0", "cnt_cdp_mn_e1", "cnt_cdp_mn_e6", "cnt_cdp_mn_e7", "cnt_cdp_mn_e9", "cnt_cdp_mn_to",
    "cnt_cdp_me_e0", "cnt_cdp_me_e1", "cnt_cdp_me_e6", "cnt_cdp_me_e7", "cnt_cdp_me_e9", "cnt_cdp_me_to",
    "cnt_fact_elec_e0", "cnt_fact_elec_e1", "cnt_fact_elec_e6", "cnt_fact_elec_e7", "cnt_fact_elec_e9",
    "cnt_fact_elec_to",
    "cnt_fact_fisi_e0", "cnt_fact_fisi_e1", "cnt_fact_fisi_e6", "cnt_fact_fisi_e7", "cnt_fact_fisi_e9",
    "cnt_fact_fisi_to",
    "cnt_nc_elec_e0", "cnt_nc_elec_e1", "cnt_nc_elec_e6", "cnt_nc_elec_e7", "cnt_nc_elec_e9", "cnt_nc_elec_to",
    "cnt_nc_fisi_e0", "cnt_nc_fisi_e1", "cnt_nc_fisi_e6", "cnt_nc_fisi_e7", "cnt_nc_fisi_e9", "cnt_nc_fisi_to",
    "cnt_nd_elec_e0", "cnt_nd_elec_e1", "cnt_nd_elec_e6", "cnt_nd_elec_e7", "cnt_nd_elec_e9", "cnt_nd_elec_to",
    "cnt_nd_fisi_e0", "cnt_nd_fisi_e1", "cnt_nd_fisi_e6", "cnt_nd_fisi_e7", "cnt_nd_fisi_e9", "cnt_nd_fisi_to",
    "cnt_otro_elec_e0", "cnt_otro_elec_e1", "cnt_otro_elec_e6", "cnt_otro_elec_e7", "cnt_otro_elec_e9",
    "cnt_otro_elec_to",
    "cnt_otro_fisi_e0", "cnt_otro_fisi_e1", "cnt_otro_fisi_e6", "cnt_otro_fisi_e7", "cnt_otro_fisi_e9",
    "cnt_otro_fisi_to",
};

KovRespuesta general(const QString &cambios)
{
    QList<KovColumna> cols = registro81(cambios);
    ParametrosRegistro parametros = parametros81();
    return f080100g(&cols, &parametros);
}

KovRespuesta detallado(const QString &cambios)
{
    QList<KovColumna> cols = registro81(cambios);
    ParametrosRegistro parametros = parametros81();
    return f080100d(&cols, &parametros);
}

// The names that a record counted (entries of 1.000) among the keys starting with one of the prefixes.
QString contados(const KovRespuesta &resp, const QStringList &prefijos)
{
    QStringList nombres;
    const QList<EntradaAcumulador> lista = resp.getAcumuladores();
    for (const EntradaAcumulador &e : lista) {
        const QString atrib = e.value(QStringLiteral("atrib")).toString();
        for (const QString &prefijo : prefijos) {
            if (atrib.startsWith(prefijo) && e.value(QStringLiteral("valor")).toString() == QLatin1String("1.000"))
                nombres.append(atrib);
        }
    }
    return nombres.join(QStringLiteral(", "));
}

// What the detailed variant added past its declarations.
QString aportes(const KovRespuesta &resp)
{
    return entradas81(resp.getAcumuladores().mid(kDeclaracionesDetalle));
}

const QString kFacturaE1 = QStringLiteral(
    "mto_com_ven_gra_e1=100.000; mto_igv_ipm1_e1=18.000; mto_igv_ipm1_e16=18.000; "
    "mto_com_ven_granogra_e1=0.000; mto_igv_ipm2_e1=0.000; mto_igv_ipm2_e16=0.000; mto_com_ven_nogra_e1=0.000; "
    "mto_igv_ipm3_e1=0.000; mto_adq_nogra_e1=0.000; mto_isc_e1=0.000; mto_otros_e1=0.000; mto_adq_per_e1=118.000; "
    "mto_adq_lib_e1=118.000; cnt_reg_per_e1=1.000; cnt_reg_e1=1.000; cnt_cdp_mn_e1=1.000; cnt_fact_elec_e1=1.000; "
    "mto_com_ven_gra_to=100.000; mto_igv_ipm1_to=18.000; mto_com_ven_granogra_to=0.000; mto_igv_ipm2_to=0.000; "
    "mto_com_ven_nogra_to=0.000; mto_igv_ipm3_to=0.000; mto_adq_nogra_to=0.000; mto_isc_to=0.000; "
    "mto_otros_to=0.000; mto_adq_per_to=118.000; cnt_reg_per_to=1.000; mto_adq_lib_to=118.000; "
    "cnt_cdp_mn_to=1.000; cnt_fact_elec_to=1.000");

} // namespace

// Indicator counts of both variants, the plain totals of "g" and the detailed totals of "d".
class TestRegister81Totals : public QObject
{
    Q_OBJECT

private slots:
    void indicadores_data();
    void indicadores();
    void totalesGenerales();
    void contadosGenerales_data();
    void contadosGenerales();
    void declaraciones();
    void bloques_data();
    void bloques();
    void clases_data();
    void clases();
    void periodoAnterior();
};

void TestRegister81Totals::indicadores_data()
{
    QTest::addColumn<QString>("cambios");
    QTest::addColumn<QString>("errores");
    QTest::addColumn<QString>("cuentas");

    QTest::newRow("all empty") << "" << "" << "";
    QTest::newRow("column 37 set") << "37=1" << "" << "cnt_error2";
    QTest::newRow("column 37 is 2") << "37=2" << "5@37" << "";
    QTest::newRow("bad 36, set 40") << "36=X|40=1" << "5@36" << "cnt_ind_cancel";
    QTest::newRow("all set") << "36=1|37=1|38=1|39=1|40=1" << ""
                             << "cnt_error1, cnt_error2, cnt_error3, cnt_error4, cnt_ind_cancel";
    QTest::newRow("near misses in column order") << "39=1.0|36=0|38=01" << "5@36; 5@38; 5@39" << "";
}

void TestRegister81Totals::indicadores()
{
    QFETCH(QString, cambios);
    QFETCH(QString, errores);
    QFETCH(QString, cuentas);
    const QStringList claves = {QStringLiteral("cnt_error"), QStringLiteral("cnt_ind_cancel")};
    for (const KovRespuesta &resp : {general(cambios), detallado(cambios)}) {
        QCOMPARE(::errores(resp), errores);
        QCOMPARE(contados(resp, claves), cuentas);
        QCOMPARE(entradas81(resp.getAcumuladores().mid(0, 5)),
                 QStringLiteral("cnt_error1=0.000; cnt_error2=0.000; cnt_error3=0.000; cnt_error4=0.000; "
                                "cnt_ind_cancel=0.000"));
    }
}

void TestRegister81Totals::totalesGenerales()
{
    QCOMPARE(entradas81(general(QString()).getAcumuladores()),
             QStringLiteral("cnt_error1=0.000; cnt_error2=0.000; cnt_error3=0.000; cnt_error4=0.000; "
                            "cnt_ind_cancel=0.000; mto_BI_ag_oge_t1=100.000; mto_IGV_ag_oge_t1=18.000; "
                            "mto_BI_ag_oge_ong_t1=0.000; mto_IGV_ag_oge_ong_t1=0.000; mto_BI_ag_ong_t1=0.000; "
                            "mto_IGV_ag_ong_t1=0.000; mto_ang_t1=0.000; mto_ISC_t1=0.000; mto_otros_t1=0.000; "
                            "mto_CDP_t1=118.000; cnt_reg_e0=0.000; cnt_reg_e1=0.000; cnt_reg_e6=0.000; "
                            "cnt_reg_e7=0.000; cnt_reg_e9=0.000; cnt_reg_e1=1.000"));
    // Every amount counts, signed and unconditioned, whatever the record's errors.
    const KovRespuesta raro = general(QStringLiteral("6=09|14=-50.25|16=abc|17=|20=1e3|21=7|22=-0.5|23=2.5|41=8"));
    QVERIFY(raro.getNumErrores() > 0);
    QCOMPARE(entradasCon81(raro.getAcumuladores(), QStringLiteral("mto_")),
             QStringLiteral("mto_BI_ag_oge_t1=-50.250; mto_IGV_ag_oge_t1=18.000; mto_BI_ag_oge_ong_t1=0.000; "
                            "mto_IGV_ag_oge_ong_t1=0.000; mto_BI_ag_ong_t1=0.000; mto_IGV_ag_ong_t1=0.000; "
                            "mto_ang_t1=1000.000; mto_ISC_t1=7.000; mto_otros_t1=-0.500; mto_CDP_t1=2.500"));
    QVERIFY(detallado(QString()).getPerAcumuladores().isEmpty());
    QVERIFY(entradasCon81(detallado(QString()).getAcumuladores(), QStringLiteral("mto_BI")).isEmpty());
}

void TestRegister81Totals::contadosGenerales_data()
{
    QTest::addColumn<QString>("cambios");
    QTest::addColumn<QString>("cuentas");
    QTest::newRow("state 0") << "41=0" << "cnt_reg_e0";
    QTest::newRow("state 6") << "41=6" << "cnt_reg_e6";
    QTest::newRow("state 7") << "41=7|4=15/01/2018" << "cnt_reg_e7";
    QTest::newRow("state 9") << "41=9|1=20200100|4=15/01/2020" << "cnt_reg_e9";
    QTest::newRow("state 8") << "41=8" << "";
    QTest::newRow("state 01") << "41=01" << "";
    QTest::newRow("state 10") << "41=10" << "";
    QTest::newRow("failed voucher still counted") << "6=09" << "cnt_reg_e1";
}

void TestRegister81Totals::contadosGenerales()
{
    QFETCH(QString, cambios);
    QFETCH(QString, cuentas);
    QCOMPARE(contados(general(cambios), {QStringLiteral("cnt_reg")}), cuentas);
}

void TestRegister81Totals::declaraciones()
{
    // The voucher rule refuses this record: the detailed variant only declares.
    const KovRespuesta resp = detallado(QStringLiteral("6=09"));
    const QList<EntradaAcumulador> lista = resp.getAcumuladores();
    QCOMPARE(lista.size(), kDeclaracionesDetalle);
    QSet<QString> nombres;
    for (const EntradaAcumulador &e : lista) {
        QCOMPARE(e.value(QStringLiteral("valor")).toString(), QStringLiteral("0.000"));
        nombres.insert(e.value(QStringLiteral("atrib")).toString());
    }
    QCOMPARE(nombres.size(), kDeclaracionesDetalle);
    QVERIFY(resp.getPerAcumuladores().isEmpty());

    const auto nombre = [&lista](int i) { return lista.at(i).value(QStringLiteral("atrib")).toString(); };
    QCOMPARE(nombre(4), QStringLiteral("cnt_ind_cancel"));
    QCOMPARE(nombre(5), QStringLiteral("mto_com_ven_gra_e0"));
    QCOMPARE(nombre(9), QStringLiteral("mto_com_ven_gra_to"));
    QCOMPARE(nombre(15), QStringLiteral("mto_igv_ipm1_e16"));
    QCOMPARE(nombre(26), QStringLiteral("mto_igv_ipm2_e16"));
    QCOMPARE(nombre(47), QStringLiteral("mto_icbp_e0"));
    QCOMPARE(nombre(66), QStringLiteral("mto_adq_lib_e9"));
    QCOMPARE(nombre(72), QStringLiteral("cnt_reg_per_to"));
    QCOMPARE(nombre(73), QStringLiteral("cnt_reg_per_ant_e9"));
    QCOMPARE(nombre(74), QStringLiteral("cnt_reg_per_ant_to"));
    QCOMPARE(nombre(79), QStringLiteral("cnt_reg_e9"));
    QCOMPARE(nombre(80), QStringLiteral("cnt_cdp_mn_e0"));
    QCOMPARE(nombre(139), QStringLiteral("cnt_otro_fisi_to"));
    QVERIFY(!nombres.contains(QStringLiteral("mto_adq_per_e9")));
    QVERIFY(!nombres.contains(QStringLiteral("mto_igv_ipm3_e16")));
    QVERIFY(!nombres.contains(QStringLiteral("cnt_reg_to")));
    QStringList esperados = {QStringLiteral("cnt_error1"), QStringLiteral("cnt_error2"), QStringLiteral("cnt_error3"),
                             QStringLiteral("cnt_error4"), QStringLiteral("cnt_ind_cancel")};
    for (const char *c : kClavesDetalle)
        esperados.append(QLatin1String(c));
    QStringList declarados;
    for (const EntradaAcumulador &e : lista)
        declarados.append(e.value(QStringLiteral("atrib")).toString());
    QCOMPARE(declarados, esperados);

    // A clean record declares the same keys in the same order before its own additions.
    const QList<EntradaAcumulador> limpio = detallado(QString()).getAcumuladores().mid(0, kDeclaracionesDetalle);
    QCOMPARE(entradas81(limpio), entradas81(lista));
}

void TestRegister81Totals::bloques_data()
{
    QTest::addColumn<QString>("cambios");
    QTest::addColumn<QString>("esperados");

    QTest::newRow("state 1 invoice") << "" << kFacturaE1;
    QTest::newRow("state 6 feeds e16")
        << "41=6|4=15/02/2020|15=10.00|17=5.00|16=20|23=abc"
        << "mto_com_ven_gra_e6=100.000; mto_igv_ipm1_e6=10.000; mto_igv_ipm1_e16=10.000; "
           "mto_com_ven_granogra_e6=20.000; mto_igv_ipm2_e6=5.000; mto_igv_ipm2_e16=5.000; "
           "mto_com_ven_nogra_e6=0.000; mto_igv_ipm3_e6=0.000; mto_adq_nogra_e6=0.000; mto_isc_e6=0.000; "
           "mto_otros_e6=0.000; mto_adq_per_e6=0.000; mto_adq_lib_e6=0.000; cnt_reg_per_e6=1.000; cnt_reg_e6=1.000; "
           "cnt_cdp_mn_e6=1.000; cnt_fact_elec_e6=1.000; mto_com_ven_gra_to=100.000; mto_igv_ipm1_to=10.000; "
           "mto_com_ven_granogra_to=20.000; mto_igv_ipm2_to=5.000; mto_com_ven_nogra_to=0.000; "
           "mto_igv_ipm3_to=0.000; mto_adq_nogra_to=0.000; mto_isc_to=0.000; mto_otros_to=0.000; "
           "mto_adq_per_to=0.000; cnt_reg_per_to=1.000; mto_adq_lib_to=0.000; cnt_cdp_mn_to=1.000; "
           "cnt_fact_elec_to=1.000";
    QTest::newRow("state 0 has no e16")
        << "41=0|14=-50.00|15=-9|18=1|19=2|20=3|21=4|22=5|23=-40"
        << "mto_com_ven_gra_e0=-50.000; mto_igv_ipm1_e0=-9.000; mto_com_ven_granogra_e0=0.000; "
           "mto_igv_ipm2_e0=0.000; mto_com_ven_nogra_e0=1.000; mto_igv_ipm3_e0=2.000; mto_adq_nogra_e0=3.000; "
           "mto_isc_e0=4.000; mto_otros_e0=5.000; mto_adq_per_e0=-40.000; mto_adq_lib_e0=-40.000; "
           "cnt_reg_per_e0=1.000; cnt_reg_e0=1.000; cnt_cdp_mn_e0=1.000; cnt_fact_elec_e0=1.000; "
           "mto_com_ven_gra_to=-50.000; mto_igv_ipm1_to=-9.000; mto_com_ven_granogra_to=0.000; "
           "mto_igv_ipm2_to=0.000; mto_com_ven_nogra_to=1.000; mto_igv_ipm3_to=2.000; mto_adq_nogra_to=3.000; "
           "mto_isc_to=4.000; mto_otros_to=5.000; mto_adq_per_to=-40.000; cnt_reg_per_to=1.000; "
           "mto_adq_lib_to=-40.000; cnt_cdp_mn_to=1.000; cnt_fact_elec_to=1.000";
    QTest::newRow("state 7 has no e16")
        << "41=7|4=15/01/2018"
        << "mto_com_ven_gra_e7=100.000; mto_igv_ipm1_e7=18.000; mto_com_ven_granogra_e7=0.000; "
           "mto_igv_ipm2_e7=0.000; mto_com_ven_nogra_e7=0.000; mto_igv_ipm3_e7=0.000; mto_adq_nogra_e7=0.000; "
           "mto_isc_e7=0.000; mto_otros_e7=0.000; mto_adq_per_e7=118.000; mto_adq_lib_e7=118.000; "
           "cnt_reg_per_e7=1.000; cnt_reg_e7=1.000; cnt_cdp_mn_e7=1.000; cnt_fact_elec_e7=1.000; "
           "mto_com_ven_gra_to=100.000; mto_igv_ipm1_to=18.000; mto_com_ven_granogra_to=0.000; "
           "mto_igv_ipm2_to=0.000; mto_com_ven_nogra_to=0.000; mto_igv_ipm3_to=0.000; mto_adq_nogra_to=0.000; "
           "mto_isc_to=0.000; mto_otros_to=0.000; mto_adq_per_to=118.000; cnt_reg_per_to=1.000; "
           "mto_adq_lib_to=118.000; cnt_cdp_mn_to=1.000; cnt_fact_elec_to=1.000";
    QTest::newRow("state 9")
        << "41=9|1=20200100|4=15/01/2020"
        << "mto_adq_lib_e9=118.000; cnt_reg_per_ant_e9=1.000; cnt_reg_per_ant_to=1.000; cnt_reg_e9=1.000; "
           "cnt_cdp_mn_e9=1.000; cnt_fact_elec_e9=1.000; mto_adq_lib_to=118.000; cnt_cdp_mn_to=1.000; "
           "cnt_fact_elec_to=1.000";
    QTest::newRow("state 5 past the voucher rule")
        << "41=5|24=USD" << "mto_adq_lib_to=118.000; cnt_cdp_me_to=1.000; cnt_fact_elec_to=1.000";
    QTest::newRow("state 8 past the voucher rule")
        << "41=8|6=00|7=0001|23=x" << "mto_adq_lib_to=0.000; cnt_cdp_mn_to=1.000; cnt_otro_fisi_to=1.000";
    QTest::newRow("state 01 is no state 1")
        << "41=01" << "mto_adq_lib_to=118.000; cnt_cdp_mn_to=1.000; cnt_fact_elec_to=1.000";
    QTest::newRow("voucher refused") << "6=09" << "";
    QTest::newRow("series missing") << "7=" << "";
    // Only the first voucher-rule call gates the totals; the second number's findings do not.
    QTest::newRow("second number refused")
        << "6=12|7=0001|10=-5|24="
        << QString(kFacturaE1).replace("cnt_cdp_mn", "cnt_cdp_me").replace("cnt_fact_elec", "cnt_otro_fisi");
}

void TestRegister81Totals::bloques()
{
    QFETCH(QString, cambios);
    QFETCH(QString, esperados);
    const KovRespuesta resp = detallado(cambios);
    QCOMPARE(aportes(resp), esperados);
}

void TestRegister81Totals::clases_data()
{
    QTest::addColumn<QString>("cambios");
    QTest::addColumn<QString>("cuentas");

    QTest::newRow("invoice, letter series, PEN") << "" << "cnt_cdp_mn_e1, cnt_fact_elec_e1, cnt_cdp_mn_to, cnt_fact_elec_to";
    QTest::newRow("invoice, digit series, USD")
        << "7=0001|24=USD" << "cnt_cdp_me_e1, cnt_fact_fisi_e1, cnt_cdp_me_to, cnt_fact_fisi_to";
    QTest::newRow("currency in lower case") << "24=pen" << "cnt_cdp_me_e1, cnt_fact_elec_e1, cnt_cdp_me_to, cnt_fact_elec_to";
    QTest::newRow("currency empty") << "24=" << "cnt_cdp_me_e1, cnt_fact_elec_e1, cnt_cdp_me_to, cnt_fact_elec_to";
    QTest::newRow("credit note")
        << "6=07|26=10/03/2020|27=01|28=F001|30=100"
        << "cnt_cdp_mn_e1, cnt_nc_elec_e1, cnt_cdp_mn_to, cnt_nc_elec_to";
    QTest::newRow("debit note on paper")
        << "6=08|7=0001|26=10/03/2020|27=01|28=F001|30=100"
        << "cnt_cdp_mn_e1, cnt_nd_fisi_e1, cnt_cdp_mn_to, cnt_nd_fisi_to";
    QTest::newRow("type 87 is another class")
        << "6=87|26=10/03/2020|27=01|28=F001|30=100"
        << "cnt_cdp_mn_e1, cnt_otro_elec_e1, cnt_cdp_mn_to, cnt_otro_elec_to";
    QTest::newRow("type 88 is another class")
        << "6=88|26=10/03/2020|27=01|28=F001|30=100"
        << "cnt_cdp_mn_e1, cnt_otro_elec_e1, cnt_cdp_mn_to, cnt_otro_elec_to";
    QTest::newRow("type 12 on paper") << "6=12|7=0001" << "cnt_cdp_mn_e1, cnt_otro_fisi_e1, cnt_cdp_mn_to, cnt_otro_fisi_to";
    QTest::newRow("state 9 counts under e9")
        << "41=9|1=20200100|4=15/01/2020|24=EUR"
        << "cnt_cdp_me_e9, cnt_fact_elec_e9, cnt_cdp_me_to, cnt_fact_elec_to";
}

void TestRegister81Totals::clases()
{
    QFETCH(QString, cambios);
    QFETCH(QString, cuentas);
    const KovRespuesta resp = detallado(cambios);
    QCOMPARE(::errores(resp), QString());
    const QStringList claves = {QStringLiteral("cnt_cdp"), QStringLiteral("cnt_fact"), QStringLiteral("cnt_nc"),
                                QStringLiteral("cnt_nd"), QStringLiteral("cnt_otro")};
    QCOMPARE(contados(resp, claves), cuentas);
}

void TestRegister81Totals::periodoAnterior()
{
    const KovRespuesta enero = detallado(QStringLiteral("41=9|1=20200100|4=15/01/2020|23=-10.5"));
    QCOMPARE(entradas81(enero.getPerAcumuladores()),
             QStringLiteral("mto_adq_per_ant_e9[20200100]=-10.500; mto_adq_per_ant_to[20200100]=-10.500"));
    const KovRespuesta diciembre = detallado(QStringLiteral("41=9|1=20191200|4=15/12/2019"));
    QCOMPARE(entradas81(diciembre.getPerAcumuladores()),
             QStringLiteral("mto_adq_per_ant_e9[20191200]=118.000; mto_adq_per_ant_to[20191200]=118.000"));
    // Refused by the voucher rule: no per-period entry.
    QVERIFY(detallado(QStringLiteral("41=9|1=20200100|4=15/01/2020|7=")).getPerAcumuladores().isEmpty());
    QVERIFY(general(QStringLiteral("41=9|1=20200100|4=15/01/2020")).getPerAcumuladores().isEmpty());
}

QTEST_APPLESS_MAIN(TestRegister81Totals)
#include "tst_register81totals.moc"
