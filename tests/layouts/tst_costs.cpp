// Cost books: the annual period check that gates nothing, the zero rule by column, the signed and absolute
// cost totals, and the mandatory pairs of book 100400.

#include "generalbooks.h"
#include "generalfixture.h"

#include <QtTest>

namespace {

const QString anual = QStringLiteral("20240000");
const QString inventarioPT = QStringLiteral("20240000|100.00|200.00|50.00|-10.00|1");
const QString produccion = QStringLiteral("20240100|1.00|2.00|3.00|10.00|-4.00|0.00|1");
const QString enProceso = QStringLiteral("20240000|a|b|1.00|2.00|3.00|4.00|5.00|6.00|7.00|-8.00|c|1");
const QString pares = QStringLiteral("20240000|a|b|c|d|e|1");

const QString cero = QStringLiteral("666@%1:Si consigna cero debe ser 0.00");

} // namespace

class TestCosts : public QObject
{
    Q_OBJECT

private slots:
    void record_data();
    void record();
    void summaryOrder_data();
    void summaryOrder();
};

void TestCosts::record_data()
{
    columnasCaso();

    const auto a = [](const char *c) -> QTestData & {
        return caso(QLatin1String(c), QStringLiteral("f100100"), inventarioPT, anual);
    };
    const QString montos = QStringLiteral("mto_cost_inv_i_pt_t=100; mto_cost_prod_t=200; mto_cost_inv_f_pt_t=50; "
                                          "mto_ajustes_t=-10; ");
    a("100100 state 1") << "" << "" << montos + "cnt_reg_e1=1; mto_cost_v_t=360" << "0/0";
    a("100100 failed period still checks and sums") << "1=20230000|3=0" << "16@1; " + cero.arg(3)
                                                    << "mto_cost_inv_i_pt_t=100; mto_cost_inv_f_pt_t=50; "
                                                       "mto_ajustes_t=-10; cnt_reg_e1=1; mto_cost_v_t=160"
                                                    << "0/0";
    a("100100 column 5 has no zero rule") << "5=0" << ""
                                          << "mto_cost_inv_i_pt_t=100; mto_cost_prod_t=200; "
                                             "mto_cost_inv_f_pt_t=50; cnt_reg_e1=1; mto_cost_v_t=350"
                                          << "0/0";
    a("100100 zeros of 2 and 4") << "2=0|4=0" << cero.arg(2) + "; " + cero.arg(4)
                                 << "mto_cost_prod_t=200; mto_ajustes_t=-10; cnt_reg_e1=1; mto_cost_v_t=210"
                                 << "0/0";
    a("100100 negative opening") << "2=-100.00|3=0.00|4=0.00|5=0.00" << ""
                                 << "mto_cost_inv_i_pt_t=-100; cnt_reg_e1=1; mto_cost_v_t=100" << "0/0";
    a("100100 state 5") << "6=5" << "" << montos + "mto_cost_v_t=360" << "0/0";
    a("100100 state 01") << "6=01" << "" << montos + "mto_cost_v_t=360" << "0/0";
    a("100100 state 8") << "1=20230000|6=8" << "" << montos + "cnt_reg_e8=1; mto_cost_v_t=360" << "0/0";
    a("100100 period of a month") << "1=20240100" << "31@1" << montos + "cnt_reg_e1=1; mto_cost_v_t=360" << "0/0";
    a("100100 year before 2010") << "1=20090000" << "666@1:El periodo no puede ser menor al 2010"
                                 << montos + "cnt_reg_e1=1; mto_cost_v_t=360" << "0/0";

    const auto p = [](const char *c) -> QTestData & {
        return caso(QLatin1String(c), QStringLiteral("f100200"), produccion, QStringLiteral("20240100"));
    };
    const QString sumas200 = QStringLiteral("mto_cost_mat_d_t=1; mto_cost_mo_d_t=2; mto_otros_cost_d_t=3; "
                                            "mto_gastos_prod_i_t=6; cnt_reg_e1=1; mto_cost_t=20");
    p("100200 state 1") << "" << "" << sumas200 << "0/0";
    // A monthly period of an annual book compares by year.
    p("100200 another month of the year") << "1=20240300" << "" << sumas200 << "0/0";
    p("100200 period of a year") << "1=20240000" << "29@1" << sumas200 << "0/0";
    // A numeral too long for a double counts 0 on its own, for the zero form as for the sums; the other
    // columns of its sums still count.
    p("100200 amount out of range") << QStringLiteral("5=") + QString(400, QLatin1Char('9')) << cero.arg(5)
                                    << "mto_cost_mat_d_t=1; mto_cost_mo_d_t=2; mto_otros_cost_d_t=3; "
                                       "mto_gastos_prod_i_t=-4; cnt_reg_e1=1; mto_cost_t=10"
                                    << "0/0";
    p("100200 zeros of 2 and 7") << "2=0|7=0" << cero.arg(2) + "; " + cero.arg(7)
                                 << "mto_cost_mo_d_t=2; mto_otros_cost_d_t=3; mto_gastos_prod_i_t=6; cnt_reg_e1=1; "
                                    "mto_cost_t=19"
                                 << "0/0";

    const auto e = [](const char *c) -> QTestData & {
        return caso(QLatin1String(c), QStringLiteral("f100300"), enProceso, anual);
    };
    const QString sumas300 = QStringLiteral("mto_cost_mat_d_t=1; mto_cost_mo_d_t=2; mto_otros_cost_d_t=3; "
                                            "mto_gastos_prod_i_t=15; mto_cost_inv_i_pp_t=7; mto_cost_inv_f_pp_t=-8; "
                                            "cnt_reg_e1=1; mto_cost_t=36");
    e("100300 state 1") << "" << "" << sumas300 << "0/0";
    e("100300 columns 2, 3 and 12 feed nothing") << "2=999|3=999|12=999" << "" << sumas300 << "0/0";
    e("100300 zeros of 4 and 11") << "4=0|11=-0.00" << cero.arg(4) + "; " + cero.arg(11)
                                  << "mto_cost_mo_d_t=2; mto_otros_cost_d_t=3; mto_gastos_prod_i_t=15; "
                                     "mto_cost_inv_i_pp_t=7; cnt_reg_e1=1; mto_cost_t=27"
                                  << "0/0";

    const auto d = [](const char *c) -> QTestData & {
        return caso(QLatin1String(c), QStringLiteral("f100400"), pares, anual);
    };
    d("100400 both pairs filled") << "" << "" << "cnt_reg_e1=1" << "0/0";
    d("100400 column 3 empty") << "3=|4=" << "" << "cnt_reg_e1=1" << "0/0";
    d("100400 column 4 dash") << "4=-" << "25@4" << "cnt_reg_e1=1" << "0/0";
    d("100400 column 4 empty") << "4=" << "25@4" << "cnt_reg_e1=1" << "0/0";
    d("100400 column 6 dash") << "6=-" << "25@6" << "cnt_reg_e1=1" << "0/0";
    d("100400 column 5 empty") << "5=|6=" << "" << "cnt_reg_e1=1" << "0/0";
    d("100400 both pairs broken") << "4=-|6=" << "25@4; 25@6" << "cnt_reg_e1=1" << "0/0";
    d("100400 failed period") << "1=20250000|4=" << "16@1; 25@4" << "cnt_reg_e1=1" << "0/0";
}

void TestCosts::record()
{
    comprobarCaso();
}

void TestCosts::summaryOrder_data()
{
    columnasOrden();
    QTest::newRow("100100") << "f100100" << inventarioPT << anual
                            << "mto_cost_inv_i_pt_t,mto_cost_prod_t,mto_cost_inv_f_pt_t,mto_ajustes_t,cnt_reg_e1,"
                               "cnt_reg_e8,cnt_reg_e9,mto_cost_v_t";
    QTest::newRow("100200") << "f100200" << produccion << "20240100"
                            << "mto_cost_mat_d_t,mto_cost_mo_d_t,mto_otros_cost_d_t,mto_gastos_prod_i_t,cnt_reg_e1,"
                               "cnt_reg_e8,cnt_reg_e9,mto_cost_t";
    QTest::newRow("100300") << "f100300" << enProceso << anual
                            << "mto_cost_mat_d_t,mto_cost_mo_d_t,mto_otros_cost_d_t,mto_gastos_prod_i_t,"
                               "mto_cost_inv_i_pp_t,mto_cost_inv_f_pp_t,cnt_reg_e1,cnt_reg_e8,cnt_reg_e9,mto_cost_t";
    QTest::newRow("100400") << "f100400" << pares << anual << "cnt_reg_e1,cnt_reg_e8,cnt_reg_e9";
}

void TestCosts::summaryOrder()
{
    comprobarOrden();
}

QTEST_GUILESS_MAIN(TestCosts)
#include "tst_costs.moc"
