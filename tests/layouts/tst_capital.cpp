// Share capital and shareholders: the capital and share totals of every record, the shareholder's document
// and percentage.

#include "generalbooks.h"
#include "generalfixture.h"

#include <QtTest>

namespace {

const QString periodoLibro = QStringLiteral("20240229");
const QString capital = QStringLiteral("20240229|1000.00|x|100|80|1");
const QString accionista = QStringLiteral("20240229|6|20100070970|a|b|c|100.00|1");

} // namespace

class TestCapital : public QObject
{
    Q_OBJECT

private slots:
    void record_data();
    void record();
    void summaryOrder_data();
    void summaryOrder();
};

void TestCapital::record_data()
{
    columnasCaso();

    const auto c = [](const char *fila, const char *codigo = "04") -> QTestData & {
        return caso(QLatin1String(fila), QStringLiteral("f031601"), capital, periodoLibro, QLatin1String(codigo));
    };
    const QString montos = QStringLiteral("mto_capital_social_t=1000; cnt_acc_suscritas_t=100; cnt_acc_pagadas_t=80");
    c("capital state 1") << "" << "" << montos + "; cnt_reg_e1=1" << "0/0";
    c("capital state 5") << "6=5" << "" << montos << "0/0";
    c("capital state 01") << "6=01" << "" << montos << "0/0";
    c("capital negative") << "2=-50.00|5=-1" << ""
                          << "mto_capital_social_t=-50; cnt_acc_suscritas_t=100; cnt_acc_pagadas_t=-1; cnt_reg_e1=1"
                          << "0/0";
    c("capital failed period, no opportunity", "01") << "1=20240228" << "16@1" << montos + "; cnt_reg_e1=1" << "0/0";
    c("capital opportunity broken", "01") << "" << "27@1" << montos + "; cnt_reg_e1=1" << "0/0";

    const auto a = [](const char *fila) -> QTestData & {
        return caso(QLatin1String(fila), QStringLiteral("f031602"), accionista, periodoLibro);
    };
    a("shareholder 100 percent") << "" << "" << "cnt_reg_e1=1" << "0/0";
    a("shareholder above 100") << "7=100.01" << "33@7" << "cnt_reg_e1=1" << "0/0";
    a("shareholder below 0") << "7=-0.01" << "33@7" << "cnt_reg_e1=1" << "0/0";
    a("shareholder empty percentage") << "7=" << "" << "cnt_reg_e1=1" << "0/0";
    a("shareholder percentage not a number") << "7=abc" << "" << "cnt_reg_e1=1" << "0/0";
    a("shareholder document before percentage") << "3=123|7=101" << "34@3; 33@7" << "cnt_reg_e1=1" << "0/0";
    a("shareholder short DNI") << "2=1|3=1234567" << "53@3" << "cnt_reg_e1=1" << "0/0";
    a("shareholder state 8") << "1=20240131|8=8" << "" << "cnt_reg_e8=1" << "0/0";
    a("shareholder failed period") << "1=20240228|7=200" << "16@1; 33@7" << "cnt_reg_e1=1" << "0/0";
}

void TestCapital::record()
{
    comprobarCaso();
}

void TestCapital::summaryOrder_data()
{
    columnasOrden();
    QTest::newRow("capital") << "f031601" << capital << periodoLibro
                             << "mto_capital_social_t,cnt_acc_suscritas_t,cnt_acc_pagadas_t,cnt_reg_e1,cnt_reg_e8,"
                                "cnt_reg_e9";
    QTest::newRow("shareholders") << "f031602" << accionista << periodoLibro << "cnt_reg_e1,cnt_reg_e8,cnt_reg_e9";
}

void TestCapital::summaryOrder()
{
    comprobarOrden();
}

QTEST_GUILESS_MAIN(TestCapital)
#include "tst_capital.moc"
