// Debit and credit detail books and book 030200: amount rules, the exclusion of debit and credit, the
// state-1 totals and sums, and each book's own column rules.

#include "generalbooks.h"
#include "generalfixture.h"

#include <QtTest>

namespace {

// January 2024: voucher 01 F001-123, two dates, 150.00 debit, no reference, state 1.
const QString detalle1 =
    QStringLiteral("20240100|CUO|M1|a|b|c|d|01|F001|123|10/01/2024|e|15/01/2024|f|g|150.00|0.00||1");
// January 2024: one date, a DNI, 150.00 debit, state 1.
const QString detalle2 = QStringLiteral("20240100|CUO|M1|a|b|10/01/2024|c|d|1|12345678|e|f|150.00|0.00|1");
// 29 February 2024, code 10, 150.00 debit, state 1.
const QString libro0302 = QStringLiteral("20240229|CUO|10|desc|x|150.00|0.00|1");

} // namespace

class TestDebitCredit : public QObject
{
    Q_OBJECT

private slots:
    void record_data();
    void record();
    void summaryOrder_data();
    void summaryOrder();
    void registered();
};

void TestDebitCredit::record_data()
{
    columnasCaso();

    const QString e1 = QStringLiteral("mto_total_deudor=150; cnt_reg_e1=1");
    const QString ene = QStringLiteral("20240100");
    struct Libro
    {
        const char *nombre;
        QString base;
        int debe;
        int haber;
        int estado;
        const char *diciembre;  // its dates moved to December 2023
    };
    const Libro detalles[] = {
        { "f010100", detalle1, 16, 17, 19, "11=10/12/2023|13=15/12/2023" },
        { "f010200", detalle2, 13, 14, 15, "6=10/12/2023" },
    };
    for (const Libro &l : detalles) {
        const auto fila = [&l, &ene](const char *c) -> QTestData & {
            const QString n = QLatin1String(l.nombre);
            return caso(n + QLatin1Char(' ') + QLatin1String(c), n, l.base, ene);
        };
        const QString debe = QString::number(l.debe);
        const QString haber = QString::number(l.haber);
        const QString estado = QString::number(l.estado);
        fila("state 1") << "" << "" << e1 << "150/0";
        fila("debit and credit") << haber + "=20.00" << "15@" + haber
                                 << "mto_total_deudor=150; mto_total_acreedor=20; cnt_reg_e1=1" << "150/20";
        fila("two zeros") << debe + "=0.00" << "" << "cnt_reg_e1=1" << "0/0";
        fila("zero written 0.0") << haber + "=0.0" << "666@" + haber + ":Si consigna cero debe ser 0.00" << e1
                                 << "150/0";
        fila("zero written -0") << debe + "=-0|" + haber + "=5.00"
                                << "666@" + debe + ":Si consigna cero debe ser 0.00"
                                << "mto_total_acreedor=5; cnt_reg_e1=1" << "0/5";
        fila("empty debit") << debe + "=" << "25@" + debe << "cnt_reg_e1=1" << "0/0";
        const QString anterior = QStringLiteral("1=20231200|") + QLatin1String(l.diciembre) + QLatin1Char('|') + estado;
        fila("state 8") << anterior + "=8" << "" << "cnt_reg_e8=1" << "0/0";
        fila("state 9") << anterior + "=9" << "" << "cnt_reg_e9=1" << "0/0";
        fila("state 5") << estado + "=5" << "" << "" << "0/0";
        fila("state 01") << estado + "=01" << "" << "" << "0/0";
        fila("failed period keeps amounts") << "1=20240200" << "16@1" << e1 << "150/0";
        fila("negative debit") << debe + "=-40.50" << "" << "mto_total_deudor=-40.5; cnt_reg_e1=1" << "-40.5/0";
    }
    const auto d1 = [&ene](const char *c) -> QTestData & {
        return caso(QLatin1String(c), QStringLiteral("f010100"), detalle1, ene);
    };
    d1("f010100 date 13 after the month") << "13=01/02/2024" << "19@13" << e1 << "150/0";
    d1("f010100 date 11 not a date") << "11=2024-01-10" << "13@11" << e1 << "150/0";
    d1("f010100 failed period skips dates") << "1=20240200|11=xx|13=" << "16@1" << e1 << "150/0";
    d1("f010100 series missing") << "9=" << "51@9" << e1 << "150/0";
    d1("f010100 reference") << "18=abc" << "9@18" << e1 << "150/0";
    d1("f010100 state 8 dates after the record's month") << "1=20231200|19=8" << "19@11; 19@13" << "cnt_reg_e8=1"
                                                         << "0/0";
    d1("f010100 every finding, in step order") << "9=|11=xx|13=xx|16=0|17=|18=abc"
                                               << "13@11; 13@13; 51@9; 25@17; 666@16:Si consigna cero debe ser "
                                                  "0.00; 9@18"
                                               << "cnt_reg_e1=1" << "0/0";
    d1("f010100 reference of a register") << "18=080100&20240100&CUO&M1" << "" << e1 << "150/0";

    const auto d2 = [&ene](const char *c) -> QTestData & {
        return caso(QLatin1String(c), QStringLiteral("f010200"), detalle2, ene);
    };
    d2("f010200 no document") << "9=-|10=-" << "" << e1 << "150/0";
    d2("f010200 number without type") << "9=-|10=12345678" << "29@10" << e1 << "150/0";
    d2("f010200 short DNI") << "10=1234567" << "53@10" << e1 << "150/0";
    d2("f010200 RUC") << "9=6|10=20100070970" << "" << e1 << "150/0";
    d2("f010200 date after the month") << "6=01/02/2024" << "19@6" << e1 << "150/0";
    d2("f010200 state 8 date after the record's month") << "1=20231200|15=8" << "19@6" << "cnt_reg_e8=1" << "0/0";
    d2("f010200 every finding, in step order") << "6=xx|10=1234567|13=0|14="
                                               << "13@6; 53@10; 25@14; 666@13:Si consigna cero debe ser 0.00"
                                               << "cnt_reg_e1=1" << "0/0";
    d2("f010200 failed period skips the date") << "1=20240200|6=" << "16@1" << e1 << "150/0";

    // Book 030200 names its counts before its amounts.
    const QString c1 = QStringLiteral("cnt_reg_e1=1; mto_total_deudor=150");
    const QString feb = QStringLiteral("20240229");
    const auto b = [&feb](const char *c, const char *codigo) -> QTestData & {
        return caso(QLatin1String(c), QStringLiteral("f030200"), libro0302, feb, QLatin1String(codigo));
    };
    b("f030200 state 1", "04") << "" << "" << c1 << "150/0";
    b("f030200 two zeros", "04") << "6=0.00" << "15@6; 15@7" << "cnt_reg_e1=1" << "0/0";
    b("f030200 debit and credit", "04") << "7=1.00" << "15@7"
                                        << "cnt_reg_e1=1; mto_total_deudor=150; mto_total_acreedor=1" << "150/1";
    b("f030200 code 99 with dash", "04") << "3=99|4=-" << "" << c1 << "150/0";
    b("f030200 code 99 with text", "04") << "3=99" << "5@4" << c1 << "150/0";
    b("f030200 other code with dash", "04") << "4=-" << "" << c1 << "150/0";
    b("f030200 empty column 4", "04") << "4=" << "25@4" << c1 << "150/0";
    b("f030200 code 99, empty column 4", "04") << "3=99|4=" << "25@4; 5@4" << c1 << "150/0";
    b("f030200 empty debit", "04") << "6=" << "25@6; 15@6; 15@7" << "cnt_reg_e1=1" << "0/0";
    b("f030200 opportunity code broken", "01") << "" << "27@1" << c1 << "150/0";
    b("f030200 opportunity code of state 8", "01") << "1=20240131|8=8" << "" << "cnt_reg_e8=1" << "0/0";
    b("f030200 failed period skips the opportunity", "01") << "1=20240131" << "16@1" << c1 << "150/0";
    b("f030200 every finding, in step order", "01")
        << "3=99|4=x|6=0|7=" << "27@1; 5@4; 25@7; 666@6:Si consigna cero debe ser 0.00; 15@6; 15@7" << "cnt_reg_e1=1"
        << "0/0";
    b("f030200 month period", "04") << "1=20240200" << "21@1" << c1 << "150/0";
}

void TestDebitCredit::record()
{
    comprobarCaso();
}

void TestDebitCredit::summaryOrder_data()
{
    columnasOrden();
    const QString detalle = QStringLiteral("mto_total_deudor,mto_total_acreedor,cnt_reg_e1,cnt_reg_e8,cnt_reg_e9");
    QTest::newRow("010100") << "f010100" << detalle1 << "20240100" << detalle;
    QTest::newRow("010200") << "f010200" << detalle2 << "20240100" << detalle;
    QTest::newRow("030200") << "f030200" << libro0302 << "20240229"
                            << "cnt_reg_e1,cnt_reg_e8,cnt_reg_e9,mto_total_deudor,mto_total_acreedor";
}

void TestDebitCredit::summaryOrder()
{
    comprobarOrden();
}

void TestDebitCredit::registered()
{
    KovRules rules;
    QVERIFY(rules.getFuncionRegistro(QStringLiteral("f010100")) == &f010100);
    QVERIFY(rules.getFuncionRegistro(QStringLiteral("f010200")) == &f010200);
    QVERIFY(rules.getFuncionRegistro(QStringLiteral("f030200")) == &f030200);
}

QTEST_GUILESS_MAIN(TestDebitCredit)
#include "tst_debitcredit.moc"
