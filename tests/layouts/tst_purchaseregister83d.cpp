#include "../rules/firstuse.h"
#include "purchaseregisters.h"
#include "register8283fixture.h"

#include <QSet>
#include <QtTest>

namespace {

// The indicator counts, then the 104 detailed keys, in the order every record declares them.
const QStringList kDeclaradas = {
    "cnt_error1", "cnt_error2", "cnt_error3", "cnt_ind_cancel",
    "mto_com_ven_gra_e0", "mto_com_ven_gra_e1", "mto_com_ven_gra_e6", "mto_com_ven_gra_e7", "mto_com_ven_gra_to",
    "mto_igv_ipm1_e0", "mto_igv_ipm1_e1", "mto_igv_ipm1_e6", "mto_igv_ipm1_e7", "mto_igv_ipm1_to",
    "mto_igv_ipm1_e16",
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

// What a record of the book's own period adds over all states, after its per-state block.
QString todos(const char *clase)
{
    return QStringLiteral("mto_com_ven_gra_to=100.000 mto_igv_ipm1_to=18.000 mto_otros_to=0.000 "
                          "mto_adq_per_to=118.000 cnt_reg_per_to=1.000 mto_adq_lib_to=118.000 %1")
        .arg(QLatin1String(clase));
}

// The per-state block of a record of the book's own period with the base amounts.
QString bloque(const QString &e, bool e16, const char *conteos)
{
    return QStringLiteral("mto_com_ven_gra_%1=100.000 mto_igv_ipm1_%1=18.000 %2mto_otros_%1=0.000 "
                          "mto_adq_per_%1=118.000 mto_adq_lib_%1=118.000 cnt_reg_per_%1=1.000 cnt_reg_%1=1.000 %3")
        .arg(e, e16 ? QStringLiteral("mto_igv_ipm1_e16=18.000 ") : QString(), QLatin1String(conteos));
}

} // namespace

class TestPurchaseRegister83d : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void declarations();
    void totals_data();
    void totals();
};

// The validator's constant lists are made on first use; several jobs may make that first use together.
void TestPurchaseRegister83d::initTestCase()
{
    const QString esperado = errores([] {
        QList<KovColumna> cols = registroCambiado(base83(), QStringLiteral("6=07|19=15/01/2024|20=01|21=F001|22=1"));
        ParametrosRegistro p = parametros(1, 1);
        return f080300d(&cols, &p);
    }());
    QVERIFY(todosLosHilos([] {
        QList<KovColumna> cols = registroCambiado(base83(), QStringLiteral("6=07|19=15/01/2024|20=01|21=F001|22=1"));
        ParametrosRegistro p = parametros(1, 1);
        const KovRespuesta r = f080300d(&cols, &p);
        return r.getAcumuladores().size() == 108 && r.getCasillas().size() == 1 && r.getAgregados().size() == 2;
    }));
    QCOMPARE(esperado, QStringLiteral("666@6:No puede consignar este tipo de comprobante para el sub libro "
                                      "seleccionado"));
}

void TestPurchaseRegister83d::declarations()
{
    QList<KovColumna> cols = registroCambiado(base83(), QStringLiteral("8="));
    ParametrosRegistro p = parametros();
    const KovRespuesta r = f080300d(&cols, &p);
    QCOMPARE(kDeclaradas.size(), 108);
    QCOMPARE(QSet<QString>(kDeclaradas.begin(), kDeclaradas.end()).size(), 108);
    QCOMPARE(nombres(r.getAcumuladores()), kDeclaradas);
    QCOMPARE(entradas(r.getAcumuladores()).count(QStringLiteral("=0.000")), 108);
    QCOMPARE(errores(r), QStringLiteral("52@8"));
}

void TestPurchaseRegister83d::totals_data()
{
    QTest::addColumn<QString>("cambios");
    QTest::addColumn<QString>("fed");
    QTest::addColumn<QString>("porPeriodo");

    QTest::newRow("state 1 electronic invoice in soles") << ""
        << bloque("e1", true, "cnt_cdp_mn_e1=1.000 cnt_fact_elec_e1=1.000 ")
               + todos("cnt_cdp_mn_to=1.000 cnt_fact_elec_to=1.000") << "";
    QTest::newRow("state 6 shares the e16 tax") << "31=6|4=15/12/2023"
        << bloque("e6", true, "cnt_cdp_mn_e6=1.000 cnt_fact_elec_e6=1.000 ")
               + todos("cnt_cdp_mn_to=1.000 cnt_fact_elec_to=1.000") << "";
    QTest::newRow("state 0 paper invoice in dollars") << "31=0|7=0001|17=USD"
        << bloque("e0", false, "cnt_cdp_me_e0=1.000 cnt_fact_fisi_e0=1.000 ")
               + todos("cnt_cdp_me_to=1.000 cnt_fact_fisi_to=1.000") << "";
    QTest::newRow("state 7 debit note 88 counts as other")
        << "31=7|4=15/12/2022|6=88|7=E001|17=pen|19=15/01/2024|20=01|21=F001|22=1"
        << bloque("e7", false, "cnt_cdp_me_e7=1.000 cnt_otro_elec_e7=1.000 ")
               + todos("cnt_cdp_me_to=1.000 cnt_otro_elec_to=1.000") << "";
    QTest::newRow("each amount from its own column") << "31=0|13=1.25|14=2.50|15=3.75|16=4.00"
        << "mto_com_ven_gra_e0=1.250 mto_igv_ipm1_e0=2.500 mto_otros_e0=3.750 mto_adq_per_e0=4.000 "
           "mto_adq_lib_e0=4.000 cnt_reg_per_e0=1.000 cnt_reg_e0=1.000 cnt_cdp_mn_e0=1.000 cnt_fact_elec_e0=1.000 "
           "mto_com_ven_gra_to=1.250 mto_igv_ipm1_to=2.500 mto_otros_to=3.750 mto_adq_per_to=4.000 "
           "cnt_reg_per_to=1.000 mto_adq_lib_to=4.000 cnt_cdp_mn_to=1.000 cnt_fact_elec_to=1.000"
        << "";
    QTest::newRow("state 9 of an earlier period") << "31=9|1=20231100|4=15/11/2023|7=E001"
        << "mto_adq_lib_e9=118.000 cnt_reg_per_ant_e9=1.000 cnt_reg_per_ant_to=1.000 cnt_reg_e9=1.000 "
           "cnt_cdp_mn_e9=1.000 cnt_fact_elec_e9=1.000 mto_adq_lib_to=118.000 cnt_cdp_mn_to=1.000 "
           "cnt_fact_elec_to=1.000"
        << "mto_adq_per_ant_e9@20231100=118.000 mto_adq_per_ant_to@20231100=118.000";
    QTest::newRow("state 9 with a text total") << "31=9|1=20231100|4=15/11/2023|6=00|7=0001|16=abc"
        << "mto_adq_lib_e9=0.000 cnt_reg_per_ant_e9=1.000 cnt_reg_per_ant_to=1.000 cnt_reg_e9=1.000 "
           "cnt_cdp_mn_e9=1.000 cnt_otro_fisi_e9=1.000 mto_adq_lib_to=0.000 cnt_cdp_mn_to=1.000 "
           "cnt_otro_fisi_to=1.000"
        << "mto_adq_per_ant_e9@20231100=0.000 mto_adq_per_ant_to@20231100=0.000";
    QTest::newRow("state 5 past the gate joins at the book total") << "31=5"
        << "mto_adq_lib_to=118.000 cnt_cdp_mn_to=1.000 cnt_fact_elec_to=1.000" << "";
    QTest::newRow("empty state past the gate") << "31="
        << "mto_adq_lib_to=118.000 cnt_cdp_mn_to=1.000 cnt_fact_elec_to=1.000" << "";
    QTest::newRow("negative amounts keep their sign") << "13=-100.00|14=-18.00|15=abc|16=-50.00"
        << "mto_com_ven_gra_e1=-100.000 mto_igv_ipm1_e1=-18.000 mto_igv_ipm1_e16=-18.000 mto_otros_e1=0.000 "
           "mto_adq_per_e1=-50.000 mto_adq_lib_e1=-50.000 cnt_reg_per_e1=1.000 cnt_reg_e1=1.000 "
           "cnt_cdp_mn_e1=1.000 cnt_fact_elec_e1=1.000 mto_com_ven_gra_to=-100.000 mto_igv_ipm1_to=-18.000 "
           "mto_otros_to=0.000 mto_adq_per_to=-50.000 cnt_reg_per_to=1.000 mto_adq_lib_to=-50.000 "
           "cnt_cdp_mn_to=1.000 cnt_fact_elec_to=1.000"
        << "";
    QTest::newRow("voucher without number feeds nothing") << "8=" << "" << "";
    QTest::newRow("credit note 07 never passes") << "6=07|19=15/01/2024|20=01|21=F001|22=1" << "" << "";
    QTest::newRow("state 9 failing the voucher feeds nothing") << "31=9|1=20231100|4=15/11/2023|8=" << "" << "";
    QTest::newRow("indicators counted before the declarations") << "27=1|30=1|8="
        << "" << "";
}

void TestPurchaseRegister83d::totals()
{
    QFETCH(QString, cambios);
    QFETCH(QString, fed);
    QFETCH(QString, porPeriodo);
    QList<KovColumna> cols = registroCambiado(base83(), cambios);
    ParametrosRegistro p = parametros();
    const KovRespuesta r = f080300d(&cols, &p);
    const QList<EntradaAcumulador> acumuladores = r.getAcumuladores();
    // The indicator counts come first; a count of 1 stands right after the four declarations.
    const int inicio = nombres(acumuladores).indexOf(QStringLiteral("mto_com_ven_gra_e0"));
    QString indicadores = QStringLiteral("cnt_error1=0.000 cnt_error2=0.000 cnt_error3=0.000 cnt_ind_cancel=0.000");
    if (cambios.contains(QStringLiteral("27=1")))
        indicadores += QStringLiteral(" cnt_error1=1.000 cnt_ind_cancel=1.000");
    QCOMPARE(entradas(acumuladores.mid(0, inicio)), indicadores);
    QCOMPARE(nombres(acumuladores.mid(inicio, 104)), kDeclaradas.mid(4));
    QCOMPARE(entradas(acumuladores.mid(inicio, 104)).count(QStringLiteral("=0.000")), 104);
    QCOMPARE(entradas(acumuladores, inicio + 104), fed);
    QCOMPARE(entradas(r.getPerAcumuladores()), porPeriodo);
}

QTEST_GUILESS_MAIN(TestPurchaseRegister83d)
#include "tst_purchaseregister83d.moc"
