// Balance books of book 03: the gated opportunity and date checks, document, voucher and zero rules by
// member, the members' totals and absolute sums, and the movements of book 031500 by account list.

#include "generalbooks.h"
#include "generalfixture.h"

#include <QtTest>

namespace {

const QString periodoLibro = QStringLiteral("20240229");
const QString ruc = QStringLiteral("20100070970");

// One line per member, state 1, its date (if any) within February 2024.
const QString l030300 = QStringLiteral("20240229|CUO|M1|6|20100070970|x|15/02/2024|500.00|1");
const QString l030600 = QStringLiteral("20240229|CUO|M1|6|20100070970|x|01|F001|123|15/02/2024|500.00|1");
const QString l030700 = QStringLiteral("20240229|CUO|M1|a|b|c|d|e|10|5.00|50.00|1");
const QString l030800 = QStringLiteral("20240229|CUO|M1|6|20100070970|a|b|c|3|-100.00|50.00|1");
const QString l030900 = QStringLiteral("20240229|CUO|M1|15/02/2024|a|b|200.00|-50.00|1");
const QString l031100 = QStringLiteral("20240229|CUO|M1|a|1|12345678|b|c|75.00|1");
const QString l031200 = QStringLiteral("20240229|CUO|M1|6|20100070970|15/02/2024|a|75.00|1");
const QString l031300 = QStringLiteral("20240229|CUO|M1|6|20100070970|15/02/2024|a|b|75.00|1");
const QString l031400 = QStringLiteral("20240229|CUO|M1|6|20100070970|a|75.00|1");
const QString l031500 = QStringLiteral("20240229|CUO|M1|01|F001|123|4921|x|100.00|-20.00|5.00|1");

const QString cero = QStringLiteral("666@%1:Si consigna cero debe ser 0.00");

} // namespace

class TestAccountBalances : public QObject
{
    Q_OBJECT

private slots:
    void record_data();
    void record();
    void summaryOrder_data();
    void summaryOrder();
    void oneBodyThreeBooks();
};

void TestAccountBalances::record_data()
{
    columnasCaso();

    const auto fila = [](const QString &n, const QString &base, const char *c,
                         const char *codigo = "04") -> QTestData & {
        return caso(n + QLatin1Char(' ') + QLatin1String(c), n, base, periodoLibro, QLatin1String(codigo));
    };

    // The shape, through the members that have every part of it.
    for (const char *nombre : { "f030300", "f030400", "f030500" }) {
        const QString n = QLatin1String(nombre);
        const QString e1 = QStringLiteral("mto_total_saldo_fin_t=500; cnt_reg_e1=1");
        fila(n, l030300, "state 1") << "" << "" << e1 << "0/0";
        fila(n, l030300, "opportunity broken", "01") << "" << "27@1" << e1 << "0/0";
        fila(n, l030300, "opportunity broken, date late", "01") << "7=01/03/2024" << "27@1; 19@7" << e1 << "0/0";
        fila(n, l030300, "failed period skips both", "01") << "1=20240228|7=xx|5=123|8=0"
                                                           << "16@1; 34@5; " + cero.arg(8)
                                                           << "cnt_reg_e1=1" << "0/0";
        fila(n, l030300, "month period") << "1=20240200|7=xx" << "21@1" << e1 << "0/0";
        fila(n, l030300, "not a date") << "7=31/02/2024" << "13@7" << e1 << "0/0";
        fila(n, l030300, "date after the record's day") << "1=20240228|7=29/02/2024|9=8" << "19@7"
                                                        << "mto_total_saldo_fin_t=500; cnt_reg_e8=1" << "0/0";
        fila(n, l030300, "state 5") << "9=5" << "" << "mto_total_saldo_fin_t=500" << "0/0";
    }

    const QString f6 = QStringLiteral("f030600");
    fila(f6, l030600, "state 1") << "" << "" << "mto_total_saldo_fin_t=500; cnt_reg_e1=1" << "0/0";
    fila(f6, l030600, "rules in order") << "10=xx|5=1|8=|11=0" << "13@10; 34@5; 51@8; " + cero.arg(11)
                                        << "cnt_reg_e1=1" << "0/0";

    const QString f7 = QStringLiteral("f030700");
    fila(f7, l030700, "state 1") << "" << "" << "cnt_existencia=10; mto_costo_general_t=50; cnt_reg_e1=1" << "0/0";
    fila(f7, l030700, "quantity 0 has no zero rule") << "9=0" << "" << "mto_costo_general_t=50; cnt_reg_e1=1"
                                                     << "0/0";
    fila(f7, l030700, "zeros of 10 and 11") << "10=0|11=0" << cero.arg(10) + "; " + cero.arg(11)
                                            << "cnt_existencia=10; cnt_reg_e1=1" << "0/0";
    fila(f7, l030700, "date-free: no date rule") << "4=xx" << "" << "cnt_existencia=10; mto_costo_general_t=50; "
                                                                   "cnt_reg_e1=1"
                                                 << "0/0";

    const QString f8 = QStringLiteral("f030800");
    fila(f8, l030800, "absolute sum after the counts") << "" << ""
                                                       << "cnt_titulos=3; mto_val_libros_cto_t=-100; "
                                                          "mto_val_libros_provis_t=50; cnt_reg_e1=1; "
                                                          "mto_valor_libro_neto_t=150"
                                                       << "0/0";
    fila(f8, l030800, "state 5 still sums") << "12=5|5=" << "34@5"
                                            << "cnt_titulos=3; mto_val_libros_cto_t=-100; "
                                               "mto_val_libros_provis_t=50; mto_valor_libro_neto_t=150"
                                            << "0/0";

    const QString f9 = QStringLiteral("f030900");
    fila(f9, l030900, "absolute sum") << "" << ""
                                      << "mto_val_cont_intangible_t=200; mto_val_cont_amortiz_t=-50; cnt_reg_e1=1; "
                                         "mto_neto_intan_t=250"
                                      << "0/0";
    fila(f9, l030900, "date and zeros") << "4=|7=0|8=0.0" << "13@4; " + cero.arg(7) + "; " + cero.arg(8)
                                        << "cnt_reg_e1=1" << "0/0";

    const QString s1 = QStringLiteral("mto_saldo_t1=75; cnt_reg_e1=1");
    fila(QStringLiteral("f031100"), l031100, "state 1") << "" << "" << s1 << "0/0";
    fila(QStringLiteral("f031100"), l031100, "short DNI, zero") << "6=123|9=0" << "53@6; " + cero.arg(9)
                                                                << "cnt_reg_e1=1" << "0/0";
    fila(QStringLiteral("f031200"), l031200, "state 1") << "" << "" << s1 << "0/0";
    fila(QStringLiteral("f031200"), l031200, "date, document, zero") << "6=1/2/2024|5=x|8=0"
                                                                     << "13@6; 34@5; " + cero.arg(8)
                                                                     << "cnt_reg_e1=1" << "0/0";
    fila(QStringLiteral("f031300"), l031300, "state 1") << "" << "" << s1 << "0/0";
    fila(QStringLiteral("f031300"), l031300, "date, document, zero") << "6=01/03/2024|5=x|9=0"
                                                                     << "19@6; 34@5; " + cero.arg(9)
                                                                     << "cnt_reg_e1=1" << "0/0";
    fila(QStringLiteral("f031400"), l031400, "state 1") << "" << "" << "mto_total_saldo_fin_t=75; cnt_reg_e1=1"
                                                        << "0/0";
    fila(QStringLiteral("f031400"), l031400, "document, zero") << "5=x|7=0" << "34@5; " + cero.arg(7)
                                                               << "cnt_reg_e1=1" << "0/0";

    const QString f15 = QStringLiteral("f031500");
    const QString cuentas1 = QStringLiteral("mto_total_saldo_fin_t=100; cnt_reg_sf_e1=1; cnt_reg_adi_e1=1; "
                                            "cnt_reg_ded_e1=1; ");

    // Every member gates its opportunity check, and its date check where it has one, on the period check;
    // the date check runs whatever the opportunity check found.
    struct Miembro
    {
        const char *nombre;
        const QString &base;
        int fecha;
        QString sumas;
    };
    const Miembro miembros[] = {
        { "f030600", l030600, 10, QStringLiteral("mto_total_saldo_fin_t=500; cnt_reg_e1=1") },
        { "f030700", l030700, 0, QStringLiteral("cnt_existencia=10; mto_costo_general_t=50; cnt_reg_e1=1") },
        { "f030800", l030800, 0,
          QStringLiteral("cnt_titulos=3; mto_val_libros_cto_t=-100; mto_val_libros_provis_t=50; cnt_reg_e1=1; "
                         "mto_valor_libro_neto_t=150") },
        { "f030900", l030900, 4,
          QStringLiteral("mto_val_cont_intangible_t=200; mto_val_cont_amortiz_t=-50; cnt_reg_e1=1; "
                         "mto_neto_intan_t=250") },
        { "f031100", l031100, 0, s1 },
        { "f031200", l031200, 6, s1 },
        { "f031300", l031300, 6, s1 },
        { "f031400", l031400, 0, QStringLiteral("mto_total_saldo_fin_t=75; cnt_reg_e1=1") },
        { "f031500", l031500, 0, cuentas1 + QStringLiteral("mto_sf_4=100; mto_adi_4=-20; mto_ded_4=5; cnt_reg_e1=1") },
    };
    for (const Miembro &m : miembros) {
        const QString n = QLatin1String(m.nombre);
        const QString fecha = QString::number(m.fecha);
        if (m.fecha) {
            fila(n, m.base, "opportunity broken, date late", "01")
                << fecha + "=01/03/2024" << "27@1; 19@" + fecha << m.sumas << "0/0";
            fila(n, m.base, "failed period skips both", "01") << "1=20240228|" + fecha + "=xx" << "16@1" << m.sumas
                                                              << "0/0";
        } else {
            fila(n, m.base, "opportunity broken", "01") << "" << "27@1" << m.sumas << "0/0";
            fila(n, m.base, "failed period skips the opportunity", "01") << "1=20240228" << "16@1" << m.sumas
                                                                         << "0/0";
        }
    }

    // Every account of both lists moves its own list's totals.
    for (const char *cuenta : { "3711", "3712", "3721", "3722" })
        fila(f15, l031500, qPrintable(QStringLiteral("account %1 of list 3").arg(QLatin1String(cuenta))))
            << QStringLiteral("7=") + QLatin1String(cuenta) << ""
            << cuentas1 + "mto_sf_3=100; mto_adi_3=-20; mto_ded_3=5; cnt_reg_e1=1" << "0/0";
    for (const char *cuenta : { "4911", "4912", "4921", "4922" })
        fila(f15, l031500, qPrintable(QStringLiteral("account %1 of list 4").arg(QLatin1String(cuenta))))
            << QStringLiteral("7=") + QLatin1String(cuenta) << ""
            << cuentas1 + "mto_sf_4=100; mto_adi_4=-20; mto_ded_4=5; cnt_reg_e1=1" << "0/0";
    fila(f15, l031500, "account of list 4") << "" << ""
                                            << cuentas1 + "mto_sf_4=100; mto_adi_4=-20; mto_ded_4=5; cnt_reg_e1=1"
                                            << "0/0";
    fila(f15, l031500, "account of list 3") << "7=3711" << ""
                                            << cuentas1 + "mto_sf_3=100; mto_adi_3=-20; mto_ded_3=5; cnt_reg_e1=1"
                                            << "0/0";
    for (const char *cuenta : { "3799", "04921", "4921A", "" })
        fila(f15, l031500, qPrintable(QStringLiteral("account in no list '%1'").arg(QLatin1String(cuenta))))
            << QStringLiteral("7=") + QLatin1String(cuenta) << "" << cuentas1 + "cnt_reg_e1=1" << "0/0";
    fila(f15, l031500, "state 8 moves nothing") << "1=20240131|7=3711|12=8" << ""
                                                << "mto_total_saldo_fin_t=100; cnt_reg_e8=1" << "0/0";
    fila(f15, l031500, "state 01 moves nothing") << "12=01" << "" << "mto_total_saldo_fin_t=100" << "0/0";
    fila(f15, l031500, "no voucher type, no voucher rule") << "4=|5=xx|6=" << ""
                                                           << cuentas1
            + "mto_sf_4=100; mto_adi_4=-20; mto_ded_4=5; cnt_reg_e1=1"
                                                           << "0/0";
    fila(f15, l031500, "voucher and zeros") << "5=|10=0|11=0.000" << "51@5; " + cero.arg(10) + "; " + cero.arg(11)
                                            << cuentas1 + "mto_sf_4=100; cnt_reg_e1=1" << "0/0";
}

void TestAccountBalances::record()
{
    comprobarCaso();
}

void TestAccountBalances::summaryOrder_data()
{
    columnasOrden();
    QTest::newRow("030300") << "f030300" << l030300 << periodoLibro
                            << "mto_total_saldo_fin_t,cnt_reg_e1,cnt_reg_e8,cnt_reg_e9";
    QTest::newRow("030700") << "f030700" << l030700 << periodoLibro
                            << "cnt_existencia,mto_costo_general_t,cnt_reg_e1,cnt_reg_e8,cnt_reg_e9";
    QTest::newRow("030800") << "f030800" << l030800 << periodoLibro
                            << "cnt_titulos,mto_val_libros_cto_t,mto_val_libros_provis_t,cnt_reg_e1,cnt_reg_e8,"
                               "cnt_reg_e9,mto_valor_libro_neto_t";
    QTest::newRow("030900") << "f030900" << l030900 << periodoLibro
                            << "mto_val_cont_intangible_t,mto_val_cont_amortiz_t,cnt_reg_e1,cnt_reg_e8,cnt_reg_e9,"
                               "mto_neto_intan_t";
    QTest::newRow("030600") << "f030600" << l030600 << periodoLibro
                            << "mto_total_saldo_fin_t,cnt_reg_e1,cnt_reg_e8,cnt_reg_e9";
    QTest::newRow("031200") << "f031200" << l031200 << periodoLibro << "mto_saldo_t1,cnt_reg_e1,cnt_reg_e8,cnt_reg_e9";
    QTest::newRow("031300") << "f031300" << l031300 << periodoLibro << "mto_saldo_t1,cnt_reg_e1,cnt_reg_e8,cnt_reg_e9";
    QTest::newRow("031400") << "f031400" << l031400 << periodoLibro
                            << "mto_total_saldo_fin_t,cnt_reg_e1,cnt_reg_e8,cnt_reg_e9";
    QTest::newRow("031100") << "f031100" << l031100 << periodoLibro << "mto_saldo_t1,cnt_reg_e1,cnt_reg_e8,cnt_reg_e9";
    QTest::newRow("031500") << "f031500" << l031500 << periodoLibro
                            << "mto_total_saldo_fin_t,cnt_reg_sf_e1,cnt_reg_adi_e1,cnt_reg_ded_e1,mto_sf_3,mto_sf_4,"
                               "mto_adi_3,mto_adi_4,mto_ded_3,mto_ded_4,cnt_reg_e1,cnt_reg_e8,cnt_reg_e9";
}

void TestAccountBalances::summaryOrder()
{
    comprobarOrden();
}

void TestAccountBalances::oneBodyThreeBooks()
{
    KovRules rules;
    QVERIFY(rules.getFuncionRegistro(QStringLiteral("f030300")) == &f030300);
    QVERIFY(rules.getFuncionRegistro(QStringLiteral("f030400")) == &f030300);
    QVERIFY(rules.getFuncionRegistro(QStringLiteral("f030500")) == &f030300);
}

QTEST_GUILESS_MAIN(TestAccountBalances)
#include "tst_accountbalances.moc"
