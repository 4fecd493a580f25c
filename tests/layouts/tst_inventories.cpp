// Inventory books in units and valued: the shared opening rules (columns 4 and 5, voucher, operation type
// against voucher type "00", negative series and numbers), the quantities' rules and the inventory totals.

#include "generalbooks.h"
#include "generalfixture.h"

#include <QtTest>

namespace {

const QString periodoLibro = QStringLiteral("20240100");
// January 2024, voucher 01 F001-123, operation 02, 5.00 units in.
const QString unidades = QStringLiteral("20240100|CUO|M|ABCD|0|x|y|z|10/01/2024|01|F001|123|02|a|b|5.00|0.00|1");
// The same opening; 10.00 in at 2.50 for 25.00, nothing out, -100.00 in the third group.
const QString valorizado = QStringLiteral("20240100|CUO|M|ABCD|0|x|y|z|10/01/2024|01|F001|123|02|a|b|c|10.00|2.50|"
                                          "25.00|0.00||0.00|0||-100.00|1");

const QString cero = QStringLiteral("666@%1:Si consigna cero debe ser 0.00");
const QString tipoOperacion = QStringLiteral("666@10:Tipo de documento no válido para tipo de operación efectuada");

} // namespace

class TestInventories : public QObject
{
    Q_OBJECT

private slots:
    void record_data();
    void record();
    void summaryOrder_data();
    void summaryOrder();
};

void TestInventories::record_data()
{
    columnasCaso();

    const QString u1 = QStringLiteral("cnt_entradas_t=5; cnt_reg_e1=1; mto_inv_t=5");
    const QString v1 = QStringLiteral("cnt_entradas_t=10; mto_entradas_t=25; cnt_reg_e1=1; mto_inv_t=100");
    const struct
    {
        const char *nombre;
        QString base;
        QString sumas;
        int estado;
    } libros[] = { { "f120100", unidades, u1, 18 }, { "f130100", valorizado, v1, 26 } };
    for (const auto &l : libros) {
        const QString n = QLatin1String(l.nombre);
        const auto fila = [&n, &l](const char *c) -> QTestData & {
            return caso(n + QLatin1Char(' ') + QLatin1String(c), n, l.base, periodoLibro);
        };
        fila("state 1") << "" << "" << l.sumas << "0/0";
        fila("column 4 of three") << "4=ABC" << "43@4" << l.sumas << "0/0";
        fila("column 4 empty") << "4=" << "43@4" << l.sumas << "0/0";
        fila("column 4 padded") << "4=  ABC  " << "43@4" << l.sumas << "0/0";
        fila("column 5 is 1") << "5=1" << "5@5" << l.sumas << "0/0";
        fila("column 5 is 01") << "5=01" << "" << l.sumas << "0/0";
        fila("operation 02 with voucher 00") << "10=00" << tipoOperacion << l.sumas << "0/0";
        fila("operation 07 with voucher 00") << "10=00|13=07" << "" << l.sumas << "0/0";
        fila("operation 2 with voucher 00") << "10=00|13=2" << "" << l.sumas << "0/0";
        fila("negative series and number") << "10=00|13=07|11=-1|12=-5" << "36@11; 36@12" << l.sumas << "0/0";
        fila("voucher rule beside the message") << "10=00|12=123456789012345678901" << "4@12; " + tipoOperacion
                                                << l.sumas << "0/0";
        fila("date after the month") << "9=01/02/2024" << "19@9" << l.sumas << "0/0";
        fila("failed period skips the date") << "1=20240200|9=99/99/9999|4=AB" << "16@1; 43@4" << l.sumas << "0/0";
        fila("state 8") << QStringLiteral("1=20231200|9=10/12/2023|%1=8").arg(l.estado) << ""
                        << QString(l.sumas).replace(QStringLiteral("cnt_reg_e1"), QStringLiteral("cnt_reg_e8"))
                        << "0/0";
        fila("date against the record's month") << QStringLiteral("1=20231200|9=10/01/2024|%1=8").arg(l.estado)
                                                << "19@9"
                                                << QString(l.sumas).replace(QStringLiteral("cnt_reg_e1"),
                                                                            QStringLiteral("cnt_reg_e8"))
                                                << "0/0";
        fila("state 2") << QStringLiteral("%1=2").arg(l.estado) << ""
                        << QString(l.sumas).remove(QStringLiteral("cnt_reg_e1=1; ")) << "0/0";
    }

    const auto u = [](const char *c) -> QTestData & {
        return caso(QLatin1String(c), QStringLiteral("f120100"), unidades, periodoLibro);
    };
    u("120100 both quantities zero") << "16=0.00" << "15@16; 15@17" << "cnt_reg_e1=1" << "0/0";
    u("120100 both quantities set") << "17=2.00" << "15@17" << "cnt_entradas_t=5; cnt_salidas_t=2; cnt_reg_e1=1; "
                                                              "mto_inv_t=7"
                                    << "0/0";
    u("120100 exits negative") << "17=-3.00" << "15@17" << "cnt_entradas_t=5; cnt_salidas_t=-3; cnt_reg_e1=1; "
                                                          "mto_inv_t=8"
                               << "0/0";
    u("120100 checks in order") << "9=01/02/2024|4=AB|5=1|16=0|17=2.00" << "19@9; 43@4; 5@5; " + cero.arg(16)
                                << "cnt_salidas_t=2; cnt_reg_e1=1; mto_inv_t=2" << "0/0";
    u("120100 zero written 0") << "16=0|17=2.00" << cero.arg(16)
                               << "cnt_salidas_t=2; cnt_reg_e1=1; mto_inv_t=2" << "0/0";

    const auto v = [](const char *c) -> QTestData & {
        return caso(QLatin1String(c), QStringLiteral("f130100"), valorizado, periodoLibro);
    };
    v("130100 entries without middle column") << "18=" << "25@18" << v1 << "0/0";
    v("130100 no entries, no middle column") << "17=0.00|18=" << "" << "mto_entradas_t=25; cnt_reg_e1=1; "
                                                                      "mto_inv_t=100"
                                             << "0/0";
    v("130100 exits without middle column") << "20=3.00" << "25@21"
                                            << "cnt_entradas_t=10; mto_entradas_t=25; cnt_salidas_t=3; "
                                               "cnt_reg_e1=1; mto_inv_t=100"
                                            << "0/0";
    v("130100 third group without middle column") << "23=1" << "25@24" << v1 << "0/0";
    v("130100 zero rule on 18, 20, 21, 24") << "18=0|20=0|21=0|24=0"
                                            << cero.arg(18) + "; " + cero.arg(20) + "; " + cero.arg(21) + "; "
            + cero.arg(24)
                                            << v1 << "0/0";
    v("130100 checks in order") << "9=01/02/2024|4=AB|5=1|17=0.00|18=0|20=0"
                                << "19@9; 43@4; 5@5; " + cero.arg(18) + "; " + cero.arg(20)
                                << "mto_entradas_t=25; cnt_reg_e1=1; mto_inv_t=100" << "0/0";
    v("130100 no zero rule elsewhere") << "17=0|19=0|22=0|23=0|25=0" << "" << "cnt_reg_e1=1" << "0/0";
    v("130100 signed amounts, absolute inventory") << "19=-5.00|22=-7.50|25=100.00" << ""
                                                   << "cnt_entradas_t=10; mto_entradas_t=-5; mto_salidas_t=-7.5; "
                                                      "cnt_reg_e1=1; mto_inv_t=100"
                                                   << "0/0";
}

void TestInventories::record()
{
    comprobarCaso();
}

void TestInventories::summaryOrder_data()
{
    columnasOrden();
    QTest::newRow("120100") << "f120100" << unidades << periodoLibro
                            << "cnt_entradas_t,cnt_salidas_t,cnt_reg_e1,cnt_reg_e8,cnt_reg_e9,mto_inv_t";
    QTest::newRow("130100") << "f130100" << valorizado << periodoLibro
                            << "cnt_entradas_t,mto_entradas_t,cnt_salidas_t,mto_salidas_t,cnt_reg_e1,cnt_reg_e8,"
                               "cnt_reg_e9,mto_inv_t";
}

void TestInventories::summaryOrder()
{
    comprobarOrden();
}

QTEST_GUILESS_MAIN(TestInventories)
#include "tst_inventories.moc"
