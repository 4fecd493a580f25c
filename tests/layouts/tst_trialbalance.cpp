// Trial balance and statement of changes in equity: the zero and exclusion rules of the trial balance, the
// state-1 totals by column, and the totals of absolute values of each.

#include "generalbooks.h"
#include "generalfixture.h"

#include <QtTest>

namespace {

const QString periodoLibro = QStringLiteral("20240229");
// Opening debit -100.00, debit movements 50.00, credit movements 30.00, every other amount 0.00.
const QString balanza = QStringLiteral(
    "20240229|x|-100.00|0.00|50.00|30.00|0.00|0.00|0.00|0.00|0.00|0.00|0.00|0.00|0.00|0.00|0.00|0.00|1");
// Capital -10.00 and net result 5.00.
const QString patrimonio =
    QStringLiteral("20240229|x|y|-10.00|0.00|0.00|0.00|0.00|0.00|0.00|0.00|0.00|5.00|0.00|0.00|1");

const QString cero = QStringLiteral("666@%1:Si consigna cero debe ser 0.00");

} // namespace

class TestTrialBalance : public QObject
{
    Q_OBJECT

private slots:
    void record_data();
    void record();
    void summaryOrder_data();
    void summaryOrder();
};

void TestTrialBalance::record_data()
{
    columnasCaso();

    const auto b = [](const char *c, const char *codigo = "04") -> QTestData & {
        return caso(QLatin1String(c), QStringLiteral("f031700"), balanza, periodoLibro, QLatin1String(codigo));
    };
    const QString absolutos = QStringLiteral("mto_deudor_t=150; mto_acreedor_t=30");
    const QString e1 = QStringLiteral("cnt_reg_e1=1; mto_sal_deudor_ini_t=-100; mto_mov_debe_t=50; "
                                      "mto_mov_haber_t=30; ")
        + absolutos;
    b("trial state 1") << "" << "" << e1 << "0/0";
    b("trial state 8 keeps only the absolute sums") << "1=20240131|19=8" << "" << "cnt_reg_e8=1; " + absolutos
                                                    << "0/0";
    b("trial state 01") << "19=01" << "" << absolutos << "0/0";
    b("trial opening debit and credit") << "4=1.00" << "15@4"
                                        << "cnt_reg_e1=1; mto_sal_deudor_ini_t=-100; mto_sal_acreedor_ini_t=1; "
                                           "mto_mov_debe_t=50; mto_mov_haber_t=30; mto_deudor_t=150; "
                                           "mto_acreedor_t=31"
                                        << "0/0";
    b("trial exclusion before the zeros of columns 5 to 18") << "4=1.00|5=0" << "15@4; " + cero.arg(5)
                                                             << "cnt_reg_e1=1; mto_sal_deudor_ini_t=-100; "
                                                                "mto_sal_acreedor_ini_t=1; mto_mov_haber_t=30; "
                                                                "mto_deudor_t=100; mto_acreedor_t=31"
                                                             << "0/0";
    b("trial opening both zero") << "3=0.00" << ""
                                 << "cnt_reg_e1=1; mto_mov_debe_t=50; mto_mov_haber_t=30; mto_deudor_t=50; "
                                    "mto_acreedor_t=30"
                                 << "0/0";
    b("trial zeros in column order") << "3=0|4=0|18=0" << cero.arg(3) + "; " + cero.arg(4) + "; " + cero.arg(18)
                                     << "cnt_reg_e1=1; mto_mov_debe_t=50; mto_mov_haber_t=30; mto_deudor_t=50; "
                                        "mto_acreedor_t=30"
                                     << "0/0";
    b("trial empty column") << "7=" << "" << e1 << "0/0";
    b("trial last column") << "18=2.50" << ""
                           << "cnt_reg_e1=1; mto_sal_deudor_ini_t=-100; mto_mov_debe_t=50; mto_mov_haber_t=30; "
                              "mto_deduccion_t=2.5; "
                               + absolutos
                           << "0/0";
    // Every amount column under its own key; column 2 is not an amount of the record.
    b("trial every column its key")
        << "2=2.00|3=3.00|5=5.00|6=6.00|7=7.00|8=8.00|9=9.00|10=10.00|11=11.00|12=12.00|13=13.00|14=14.00|"
           "15=15.00|16=16.00|17=17.00|18=-18.00"
        << ""
        << "cnt_reg_e1=1; mto_sal_deudor_ini_t=3; mto_mov_debe_t=5; mto_mov_haber_t=6; mto_sum_debe_t=7; "
           "mto_sum_haber_t=8; mto_sal_deudor_31dic_t=9; mto_sal_acreedor_31dic_t=10; mto_trans_debe_t=11; "
           "mto_trans_haber_t=12; mto_cb_activo_t=13; mto_cb_pasivo_t=14; mto_rn_perdida_t=15; "
           "mto_rn_ganancia_t=16; mto_adicion_t=17; mto_deduccion_t=-18; mto_deudor_t=8; mto_acreedor_t=6"
        << "0/0";
    b("trial failed period, no opportunity", "01") << "1=20240228" << "16@1" << e1 << "0/0";
    b("trial opportunity broken", "01") << "" << "27@1" << e1 << "0/0";

    const auto p = [](const char *c) -> QTestData & {
        return caso(QLatin1String(c), QStringLiteral("f031900"), patrimonio, periodoLibro);
    };
    p("equity state 1") << "" << "" << "mto_capital_t=-10; mto_result_neto_t=5; cnt_reg_e1=1; mto_patrimonio=10"
                        << "0/0";
    p("equity state 9") << "1=20240131|16=9" << "" << "cnt_reg_e9=1" << "0/0";
    p("equity state 01") << "16=01" << "" << "" << "0/0";
    p("equity columns 12 and 14") << "12=7.00|14=-3.00" << ""
                                  << "mto_capital_t=-10; mto_ajus_patri_t=7; mto_result_neto_t=5; "
                                     "mto_exced_reval_t=-3; cnt_reg_e1=1; mto_patrimonio=17"
                                  << "0/0";
    // Columns 2 and 3 are no amounts; the equity total stops at column 12.
    p("equity every column its key")
        << "2=2.00|3=3.00|5=-5.00|6=6.00|7=7.00|8=8.00|9=9.00|10=10.00|11=11.00|12=12.00|14=14.00|15=15.00" << ""
        << "mto_capital_t=-10; mto_acc_Inv_t=-5; mto_cap_adic_t=6; mto_result_no_real_t=7; mto_reser_legal_t=8; "
           "mto_otras_reser_t=9; mto_result_acum_t=10; mto_dif_conver_t=11; mto_ajus_patri_t=12; "
           "mto_result_neto_t=5; mto_exced_reval_t=14; mto_result_t=15; cnt_reg_e1=1; mto_patrimonio=78"
        << "0/0";
    p("equity has no zero rule") << "5=0|15=0" << "" << "mto_capital_t=-10; mto_result_neto_t=5; cnt_reg_e1=1; "
                                                        "mto_patrimonio=10"
                                 << "0/0";
    p("equity failed period") << "1=20240228" << "16@1"
                              << "mto_capital_t=-10; mto_result_neto_t=5; cnt_reg_e1=1; mto_patrimonio=10" << "0/0";
}

void TestTrialBalance::record()
{
    comprobarCaso();
}

void TestTrialBalance::summaryOrder_data()
{
    columnasOrden();
    QTest::newRow("trial balance")
        << "f031700" << balanza << periodoLibro
        << "cnt_reg_e1,cnt_reg_e8,cnt_reg_e9,mto_sal_deudor_ini_t,mto_sal_acreedor_ini_t,mto_mov_debe_t,"
           "mto_mov_haber_t,mto_sum_debe_t,mto_sum_haber_t,mto_sal_deudor_31dic_t,mto_sal_acreedor_31dic_t,"
           "mto_trans_debe_t,mto_trans_haber_t,mto_cb_activo_t,mto_cb_pasivo_t,mto_rn_perdida_t,mto_rn_ganancia_t,"
           "mto_adicion_t,mto_deduccion_t,mto_deudor_t,mto_acreedor_t";
    QTest::newRow("changes in equity")
        << "f031900" << patrimonio << periodoLibro
        << "mto_capital_t,mto_acc_Inv_t,mto_cap_adic_t,mto_result_no_real_t,mto_reser_legal_t,mto_otras_reser_t,"
           "mto_result_acum_t,mto_dif_conver_t,mto_ajus_patri_t,mto_result_neto_t,mto_exced_reval_t,mto_result_t,"
           "cnt_reg_e1,cnt_reg_e8,cnt_reg_e9,mto_patrimonio";
}

void TestTrialBalance::summaryOrder()
{
    comprobarOrden();
}

QTEST_GUILESS_MAIN(TestTrialBalance)
#include "tst_trialbalance.moc"
