// Fixed assets and leasing: the annual period check gating the dates, the column-4 rule, the percentage of
// column 27, the exchange rate, the asset and depreciation totals and their absolute sums.

#include "generalbooks.h"
#include "generalfixture.h"

#include <QtTest>

namespace {

const QString periodoLibro = QStringLiteral("20240000");
// Opening balance 100.00, additions -30.00, accumulated depreciation 10.00, dates of March 2024.
const QString activos = QStringLiteral("20240000|CUO|M|0|a|a|a|a|a|a|a|a|a|100.00|-30.00|0.00|0.00|0.00|0.00|0.00|"
                                       "0.00|0.00|15/03/2024|20/03/2024|0|x||10.00|0.00|0.00|0.00|0.00|0.00|0.00|"
                                       "0.00|1");
const QString extranjera = QStringLiteral("20240000|CUO|M|0|x|15/03/2024|-5.00|3.75|20.00|1.00|2.00|-3.00|4.00|5.00|1");
const QString arrendamiento = QStringLiteral("20240000|CUO|M|0|a|b|c|15/03/2024|d|1200.50|1");

const QString cero = QStringLiteral("666@%1:Si consigna cero debe ser 0.00");
const QString anioMinimo = QStringLiteral("666@1:El periodo no puede ser menor al 2010");

} // namespace

class TestFixedAssets : public QObject
{
    Q_OBJECT

private slots:
    void record_data();
    void record();
    void summaryOrder_data();
    void summaryOrder();
};

void TestFixedAssets::record_data()
{
    columnasCaso();

    const auto a = [](const char *c) -> QTestData & {
        return caso(QLatin1String(c), QStringLiteral("f070100"), activos, periodoLibro);
    };
    const QString montos = QStringLiteral("mto_saldo_i_t=100; mto_adquis_adic_t=-30; mto_dep_acum_ant_t=10; ");
    const QString absolutos = QStringLiteral("mto_activo_t=130; mto_depreciac_t=10");
    const QString e1 = montos + QStringLiteral("cnt_reg_e1=1; ") + absolutos;
    a("070100 state 1") << "" << "" << e1 << "0/0";
    a("070100 column 4 is 1") << "4=1" << "5@4" << e1 << "0/0";
    a("070100 column 25 is 1, 27 dash") << "25=1|27=-" << "25@27" << e1 << "0/0";
    a("070100 column 25 is 1, 27 empty") << "25=1" << "25@27" << e1 << "0/0";
    a("070100 column 25 is 1, 27 a percentage") << "25=1|27=50.00" << "" << e1 << "0/0";
    a("070100 percentage above 100") << "27=150" << "33@27" << e1 << "0/0";
    a("070100 dates") << "23=xx|24=01/01/2025" << "13@23; 19@24" << e1 << "0/0";
    a("070100 period of a month") << "1=20240100|23=xx" << "31@1" << e1 << "0/0";
    a("070100 year before 2010") << "1=20090000|23=xx|36=8" << anioMinimo << montos + "cnt_reg_e8=1; " + absolutos
                                 << "0/0";
    a("070100 state 8 of an earlier year") << "1=20230000|23=15/03/2023|24=20/03/2023|36=8" << ""
                                           << montos + "cnt_reg_e8=1; " + absolutos << "0/0";
    a("070100 dates against the record's year") << "1=20230000|23=15/03/2024|24=20/03/2023|36=8" << "19@23"
                                                << montos + "cnt_reg_e8=1; " + absolutos << "0/0";
    a("070100 checks in order") << "23=xx|24=xx|4=1|25=1|27=-" << "13@23; 13@24; 5@4; 25@27" << e1 << "0/0";
    // Every amount column under its own key; columns 13 and 27 are no amounts of the asset sums.
    a("070100 every column its key")
        << "13=13.00|14=14.00|15=-15.00|16=16.00|17=17.00|18=18.00|19=19.00|20=20.00|21=21.00|22=22.00|27=27.00|"
           "28=28.00|29=29.00|30=30.00|31=31.00|32=32.00|33=33.00|34=34.00|35=-35.00"
        << ""
        << "mto_saldo_i_t=14; mto_adquis_adic_t=-15; mto_mejoras_t=16; mto_retiro_baja_t=17; mto_otros_t=18; "
           "mto_reval_volun_t=19; mto_reval_reorg_t=20; mto_otras_reval_t=21; mto_ajuste_infla_t=22; "
           "mto_dep_acum_ant_t=28; mto_dep_sin_reval_t=29; mto_dep_retiro_baja_t=30; mto_dep_otros_t=31; "
           "mto_dep_reval_volun_t=32; mto_dep_reval_reorg_t=33; mto_dep_otras_reval_t=34; "
           "mto_dep_ajuste_infla_t=-35; cnt_reg_e1=1; mto_activo_t=162; mto_depreciac_t=252"
        << "0/0";
    a("070100 state 5") << "36=5" << "" << montos + absolutos << "0/0";
    a("070100 every amount column") << "22=1.00|35=-2.00" << ""
                                    << "mto_saldo_i_t=100; mto_adquis_adic_t=-30; mto_ajuste_infla_t=1; "
                                       "mto_dep_acum_ant_t=10; mto_dep_ajuste_infla_t=-2; cnt_reg_e1=1; "
                                       "mto_activo_t=131; mto_depreciac_t=12"
                                    << "0/0";

    const auto m = [](const char *c) -> QTestData & {
        return caso(QLatin1String(c), QStringLiteral("f070300"), extranjera, periodoLibro);
    };
    m("070300 state 1") << "" << ""
                        << "mto_adquis_ME_t=-5; mto_adquis_MN_t=20; mto_ajuste_t=2; mto_dep_ejer_t=-3; "
                           "mto_dep_retiro_baja_t=4; mto_dep_otros_t=5; cnt_reg_e1=1; mto_activo_t=25; "
                           "mto_depreciac_t=6"
                        << "0/0";
    m("070300 negative exchange rate") << "8=-1.00|6=-5" << "13@6; 37@8"
                                       << "mto_adquis_ME_t=-5; mto_adquis_MN_t=20; mto_ajuste_t=2; mto_dep_ejer_t=-3; "
                                          "mto_dep_retiro_baja_t=4; mto_dep_otros_t=5; cnt_reg_e1=1; mto_activo_t=25; "
                                          "mto_depreciac_t=6"
                                       << "0/0";
    m("070300 zeros of 7, 9 and 12") << "7=0|9=0|12=0" << cero.arg(7) + "; " + cero.arg(9) + "; " + cero.arg(12)
                                     << "mto_ajuste_t=2; mto_dep_retiro_baja_t=4; mto_dep_otros_t=5; cnt_reg_e1=1; "
                                        "mto_depreciac_t=3"
                                     << "0/0";
    m("070300 zeros of 11, 13 and 14") << "11=0|13=0|14=0" << ""
                                       << "mto_adquis_ME_t=-5; mto_adquis_MN_t=20; mto_dep_ejer_t=-3; cnt_reg_e1=1; "
                                          "mto_activo_t=25; mto_depreciac_t=4"
                                       << "0/0";
    m("070300 date against the record's year") << "1=20230000|6=15/03/2024|15=8" << "19@6"
                                               << "mto_adquis_ME_t=-5; mto_adquis_MN_t=20; mto_ajuste_t=2; "
                                                  "mto_dep_ejer_t=-3; mto_dep_retiro_baja_t=4; mto_dep_otros_t=5; "
                                                  "cnt_reg_e8=1; mto_activo_t=25; mto_depreciac_t=6"
                                               << "0/0";
    m("070300 checks in order") << "6=xx|4=1|8=-1.00|7=0|12=0" << "13@6; 29@4; 37@8; " + cero.arg(7) + "; " + cero.arg(12)
                                << "mto_adquis_MN_t=20; mto_ajuste_t=2; mto_dep_retiro_baja_t=4; mto_dep_otros_t=5; "
                                   "cnt_reg_e1=1; mto_activo_t=20; mto_depreciac_t=3"
                                << "0/0";
    m("070300 column 4 is 1") << "4=1|15=5" << "29@4"
                              << "mto_adquis_ME_t=-5; mto_adquis_MN_t=20; mto_ajuste_t=2; mto_dep_ejer_t=-3; "
                                 "mto_dep_retiro_baja_t=4; mto_dep_otros_t=5; mto_activo_t=25; mto_depreciac_t=6"
                              << "0/0";

    const auto l = [](const char *c) -> QTestData & {
        return caso(QLatin1String(c), QStringLiteral("f070400"), arrendamiento, periodoLibro);
    };
    l("070400 state 1") << "" << "" << "mto_arrenda_finan_t=1200.5; cnt_reg_e1=1" << "0/0";
    l("070400 column 4 is 1") << "4=1" << "29@4" << "mto_arrenda_finan_t=1200.5; cnt_reg_e1=1" << "0/0";
    l("070400 empty date") << "8=" << "13@8" << "mto_arrenda_finan_t=1200.5; cnt_reg_e1=1" << "0/0";
    l("070400 failed period skips the date") << "1=20240100|8=" << "31@1" << "mto_arrenda_finan_t=1200.5; cnt_reg_e1=1"
                                             << "0/0";
    l("070400 date against the record's year") << "1=20230000|8=15/03/2024|11=8" << "19@8"
                                               << "mto_arrenda_finan_t=1200.5; cnt_reg_e8=1" << "0/0";
    l("070400 negative amount") << "10=-200.50" << "" << "mto_arrenda_finan_t=-200.5; cnt_reg_e1=1" << "0/0";
}

void TestFixedAssets::record()
{
    comprobarCaso();
}

void TestFixedAssets::summaryOrder_data()
{
    columnasOrden();
    QTest::newRow("070100") << "f070100" << activos << periodoLibro
                            << "mto_saldo_i_t,mto_adquis_adic_t,mto_mejoras_t,mto_retiro_baja_t,mto_otros_t,"
                               "mto_reval_volun_t,mto_reval_reorg_t,mto_otras_reval_t,mto_ajuste_infla_t,"
                               "mto_dep_acum_ant_t,mto_dep_sin_reval_t,mto_dep_retiro_baja_t,mto_dep_otros_t,"
                               "mto_dep_reval_volun_t,mto_dep_reval_reorg_t,mto_dep_otras_reval_t,"
                               "mto_dep_ajuste_infla_t,cnt_reg_e1,cnt_reg_e8,cnt_reg_e9,mto_activo_t,mto_depreciac_t";
    QTest::newRow("070300") << "f070300" << extranjera << periodoLibro
                            << "mto_adquis_ME_t,mto_adquis_MN_t,mto_ajuste_t,mto_dep_ejer_t,mto_dep_retiro_baja_t,"
                               "mto_dep_otros_t,cnt_reg_e1,cnt_reg_e8,cnt_reg_e9,mto_activo_t,mto_depreciac_t";
    QTest::newRow("070400") << "f070400" << arrendamiento << periodoLibro
                            << "mto_arrenda_finan_t,cnt_reg_e1,cnt_reg_e8,cnt_reg_e9";
}

void TestFixedAssets::summaryOrder()
{
    comprobarOrden();
}

QTEST_GUILESS_MAIN(TestFixedAssets)
#include "tst_fixedassets.moc"
