// Journal, ledger and chart-of-accounts records: document and voucher before the period, the gated dates
// (worded by the ledger), debit and credit rules, the structured reference and the state-1 sums.

#include "generalbooks.h"
#include "generalfixture.h"

#include <QtTest>

namespace {

// A January 2024 entry of 250.00 debit to a company, voucher 01 F001-123, optional date 13 and date 15.
const QString diario = QStringLiteral(
    "20240100|CUO1|M1|101|x|y|z|6|20100070970|01|F001|123|10/01/2024|w|15/01/2024|v|u|250.00|0.00||1");
// A chart-of-accounts entry of 15 January 2024, code "99" with its column 5 filled.
const QString plan = QStringLiteral("20240115|C1|D1|99|x|||1");

const QString periodoLibro = QStringLiteral("20240100");
const QString informado = QStringLiteral("666@%1:La fecha debe ser menor o igual al periodo informado");
const QString campo1 = QStringLiteral("666@%1:La fecha debe ser menor o igual al periodo señalado en el campo 1");

} // namespace

class TestJournalLedger : public QObject
{
    Q_OBJECT

private slots:
    void record_data();
    void record();
    void summaryOrder_data();
    void summaryOrder();
    void registered();
};

void TestJournalLedger::record_data()
{
    columnasCaso();

    const QString e1 = QStringLiteral("mto_debe_t=250; cnt_reg_e1=1");
    for (const char *nombre : { "f050100", "f050200", "f060100" }) {
        const QString n = QLatin1String(nombre);
        const auto fila = [&n](const char *c) -> QTestData & {
            return caso(n + QLatin1Char(' ') + QLatin1String(c), n, diario, periodoLibro);
        };
        fila("state 1") << "" << "" << e1 << "250/0";
        fila("state 8 feeds no amount") << "1=20231200|13=10/12/2023|15=15/12/2023|21=8" << "" << "cnt_reg_e8=1"
                                        << "0/0";
        fila("state 5") << "21=5" << "" << "" << "0/0";
        fila("debit and credit") << "18=10.00|19=5.00" << "15@19" << "mto_debe_t=10; mto_haber_t=5; cnt_reg_e1=1"
                                 << "10/5";
        fila("two zeros") << "18=0.00" << "" << "cnt_reg_e1=1" << "0/0";
        fila("zero written 0") << "18=0" << "666@18:Si consigna cero debe ser 0.00" << "cnt_reg_e1=1" << "0/0";
        fila("empty credit") << "19=" << "25@19" << e1 << "250/0";
        fila("empty date 13 not examined") << "13=" << "" << e1 << "250/0";
        fila("three-part reference") << "20=080100&a&b" << "9@20" << e1 << "250/0";
        fila("four-part reference") << "20=140100&a&b&c" << "" << e1 << "250/0";
        // Document and voucher come before the period; the failed period hides the empty date 15.
        fila("failed period") << "1=20240200|9=123|11=|15=" << "34@9; 51@11; 16@1" << e1 << "250/0";
    }

    const auto journal = [](const char *c) -> QTestData & {
        return caso(QLatin1String(c), QStringLiteral("f050100"), diario, periodoLibro);
    };
    journal("journal empty date 15") << "15=" << "13@15" << e1 << "250/0";
    journal("journal date 13 after the month") << "13=01/02/2024" << "19@13" << e1 << "250/0";
    journal("journal invalid date 13") << "13=31/02/2024" << "13@13" << e1 << "250/0";
    // Both dates are held against the record's own month, not the book's.
    journal("journal state 8 dates after the record's month") << "1=20231200|21=8" << "19@13; 19@15"
                                                               << "cnt_reg_e8=1" << "0/0";
    const QString revuelto = QStringLiteral("9=123|11=|13=01/02/2024|15=|18=0|19=|20=x");
    journal("journal every finding, in step order")
        << revuelto << "34@9; 51@11; 19@13; 13@15; 25@19; 666@18:Si consigna cero debe ser 0.00; 9@20"
        << "cnt_reg_e1=1" << "0/0";

    const auto ledger = [](const char *c) -> QTestData & {
        return caso(QLatin1String(c), QStringLiteral("f060100"), diario, periodoLibro);
    };
    ledger("ledger date after both periods") << "15=15/02/2024" << informado.arg(15) + "; " + campo1.arg(15) << e1
                                             << "250/0";
    ledger("ledger date 13 after both periods") << "13=15/02/2024" << informado.arg(13) + "; " + campo1.arg(13)
                                                << e1 << "250/0";
    ledger("ledger date after the record's month only") << "1=20231200|13=|21=8" << campo1.arg(15)
                                                        << "cnt_reg_e8=1" << "0/0";
    ledger("ledger invalid date twice") << "15=31/02/2024" << "13@15; 13@15" << e1 << "250/0";
    ledger("ledger empty date 15") << "15=" << "13@15; 13@15" << e1 << "250/0";
    // A record period after the book's (state 5 passes the period check): only the book's month is broken.
    ledger("ledger date after the book's month only") << "1=20240300|15=15/02/2024|21=5" << informado.arg(15) << ""
                                                      << "0/0";
    ledger("ledger both dates late, 13 first") << "13=15/02/2024|15=15/02/2024"
                                               << QStringList({ informado.arg(13), campo1.arg(13), informado.arg(15),
                                                                campo1.arg(15) })
                                                      .join(QStringLiteral("; "))
                                               << e1 << "250/0";
    ledger("ledger every finding, in step order")
        << revuelto
        << QStringLiteral("34@9; 51@11; ") + informado.arg(13) + "; " + campo1.arg(13)
            + "; 13@15; 13@15; 25@19; 666@18:Si consigna cero debe ser 0.00; 9@20"
        << "cnt_reg_e1=1" << "0/0";
    ledger("ledger failed period") << "1=20240200|15=15/03/2024" << "16@1" << e1 << "250/0";

    const auto planes = [](const char *nombre, const char *c) -> QTestData & {
        const QString n = QLatin1String(nombre);
        return caso(n + QLatin1Char(' ') + QLatin1String(c), n, plan, periodoLibro);
    };
    for (const char *nombre : { "f050300", "f050400" }) {
        planes(nombre, "code 99 filled") << "" << "" << "cnt_reg_e1=1" << "0/0";
        planes(nombre, "code 99 empty") << "5=" << "25@5" << "cnt_reg_e1=1" << "0/0";
        planes(nombre, "other code empty") << "4=10|5=" << "" << "cnt_reg_e1=1" << "0/0";
        planes(nombre, "column 6 filled, 7 dash") << "6=a|7=-" << "25@7" << "cnt_reg_e1=1" << "0/0";
        planes(nombre, "column 6 filled, 7 empty") << "6=a" << "25@7" << "cnt_reg_e1=1" << "0/0";
        planes(nombre, "column 6 empty, 7 dash") << "7=-" << "" << "cnt_reg_e1=1" << "0/0";
        planes(nombre, "both filled") << "6=a|7=b" << "" << "cnt_reg_e1=1" << "0/0";
        // The day is taken off before comparing, but a day 00 is no day at all.
        planes(nombre, "month of the book") << "1=20240131" << "" << "cnt_reg_e1=1" << "0/0";
        planes(nombre, "day 00") << "1=20240100" << "21@1" << "cnt_reg_e1=1" << "0/0";
        planes(nombre, "failed period runs the rest") << "1=20240215|5=|6=a" << "16@1; 25@5; 25@7"
                                                      << "cnt_reg_e1=1" << "0/0";
    }
    planes("f050300", "code 99 dash") << "5=-" << "25@5" << "cnt_reg_e1=1" << "0/0";
    planes("f050400", "code 99 dash") << "5=-" << "" << "cnt_reg_e1=1" << "0/0";
}

void TestJournalLedger::record()
{
    comprobarCaso();
}

void TestJournalLedger::summaryOrder_data()
{
    columnasOrden();
    const QString libro = QStringLiteral("mto_debe_t,mto_haber_t,cnt_reg_e1,cnt_reg_e8,cnt_reg_e9");
    QTest::newRow("journal") << "f050100" << diario << periodoLibro << libro;
    QTest::newRow("ledger") << "f060100" << diario << periodoLibro << libro;
    QTest::newRow("chart of accounts") << "f050300" << plan << periodoLibro << "cnt_reg_e1,cnt_reg_e8,cnt_reg_e9";
}

void TestJournalLedger::summaryOrder()
{
    comprobarOrden();
}

void TestJournalLedger::registered()
{
    KovRules rules;
    QVERIFY(rules.getFuncionRegistro(QStringLiteral("f050100")) == &f050100);
    QVERIFY(rules.getFuncionRegistro(QStringLiteral("f050200")) == &f050100);
    QVERIFY(rules.getFuncionRegistro(QStringLiteral("f050300")) == &f050300);
    QVERIFY(rules.getFuncionRegistro(QStringLiteral("f050400")) == &f050400);
    QVERIFY(rules.getFuncionRegistro(QStringLiteral("f060100")) == &f060100);
}

QTEST_GUILESS_MAIN(TestJournalLedger)
#include "tst_journalledger.moc"
