// Consignment books: the dates (worded by 090100), the reference ruled by column 2, the whole-number and
// identity rules, and the three quantities with their exclusivity, signs and totals.

#include "generalbooks.h"
#include "generalfixture.h"

#include <QtTest>

namespace {

const QString periodoLibro = QStringLiteral("20240100");
// January 2024, code 1 with no reference, three dates, 10.00 received, state 1.
const QString consignacion = QStringLiteral("20240100|1|M|ABC|x|-|y|10/01/2024|5|z|w|11/01/2024|7|8|12/01/2024|6|"
                                            "20100070970|v|10.00|0.00|0.00|1");
const QString consignacionRuc = QStringLiteral("20240100|1|M|x|y|-|z|10/01/2024|5|a|b|11/01/2024|7|8|12/01/2024|"
                                               "20100070970|c|10.00|0.00|0.00|1");

const QString informado = QStringLiteral("666@%1:La fecha debe ser menor o igual al periodo informado");
const QString campo1 = QStringLiteral("666@%1:La fecha debe ser menor o igual al periodo señalado en el campo 1");
const QString negativo = QStringLiteral("666@%1:El monto debe ser negativo");

} // namespace

class TestConsignments : public QObject
{
    Q_OBJECT

private slots:
    void record_data();
    void record();
    void summaryOrder_data();
    void summaryOrder();
};

void TestConsignments::record_data()
{
    columnasCaso();

    const QString e1 = QStringLiteral("cnt_bienes_consig=10; cnt_reg_e1=1");
    struct Libro
    {
        const char *nombre;
        QString base;
        int recibidos;
    };
    const Libro libros[] = { { "f090100", consignacion, 19 }, { "f090200", consignacionRuc, 18 } };
    for (const Libro &l : libros) {
        const QString n = QLatin1String(l.nombre);
        const auto fila = [&n, &l](const char *c) -> QTestData & {
            return caso(n + QLatin1Char(' ') + QLatin1String(c), n, l.base, periodoLibro);
        };
        const QString rec = QString::number(l.recibidos);
        const QString dev = QString::number(l.recibidos + 1);
        const QString ven = QString::number(l.recibidos + 2);
        fila("received") << "" << "" << e1 << "0/0";
        fila("code 1 with a reference") << "6=REF" << "29@6" << e1 << "0/0";
        fila("code 3 with a reference") << "2=3|6=REF" << "" << e1 << "0/0";
        fila("code 3 with dash") << "2=3" << "25@6" << e1 << "0/0";
        fila("code 9 empty") << "2=9|6=" << "25@6" << e1 << "0/0";
        fila("negative whole number") << "9=-5" << "5@9" << e1 << "0/0";
        for (const char *valor : { "-5.5", "-0", "abc", "", "0", "12" })
            fila(qPrintable(QStringLiteral("column 9 '%1'").arg(QLatin1String(valor))))
                << QStringLiteral("9=") + QLatin1String(valor) << "" << e1 << "0/0";
        fila("long negative whole number") << "9=-99999999999999999999" << "5@9" << e1 << "0/0";
        fila("negative series and number") << "13=-1|14=-0" << "36@13; 36@14" << e1 << "0/0";
        fila("returned positive") << rec + "=0.00|" + dev + "=3.00" << negativo.arg(dev)
                                  << "cnt_bienes_devuelto=3; cnt_reg_e1=1" << "0/0";
        fila("sold negative") << rec + "=0.00|" + ven + "=-4.00" << "" << "cnt_bienes_vendido=-4; cnt_reg_e1=1"
                              << "0/0";
        fila("received and sold") << ven + "=5.00" << "15@" + rec << "cnt_bienes_consig=10; cnt_bienes_vendido=5; "
                                                                     "cnt_reg_e1=1"
                                  << "0/0";
        fila("all three zero") << rec + "=0.00" << "15@" + rec + "; 15@" + dev + "; 15@" + ven << "cnt_reg_e1=1"
                               << "0/0";
        fila("zero written 0") << rec + "=0"
                               << "666@" + rec + ":Si consigna cero debe ser 0.00; 15@" + rec + "; 15@" + dev
                + "; 15@" + ven
                               << "cnt_reg_e1=1" << "0/0";
        fila("state 8") << "1=20231200|8=10/12/2023|12=11/12/2023|15=12/12/2023|" + QString::number(l.recibidos + 3)
                + "=8"
                        << "" << "cnt_bienes_consig=10; cnt_reg_e8=1" << "0/0";
    }

    const auto c1 = [](const char *c) -> QTestData & {
        return caso(QLatin1String(c), QStringLiteral("f090100"), consignacion, periodoLibro);
    };
    c1("090100 date after both periods") << "8=05/02/2024" << informado.arg(8) + "; " + campo1.arg(8) << e1 << "0/0";
    c1("090100 each date against both periods in turn") << "8=05/02/2024|15=05/02/2024"
                                                        << informado.arg(8) + "; " + campo1.arg(8) + "; "
            + informado.arg(15) + "; " + campo1.arg(15)
                                                        << e1 << "0/0";
    c1("090100 date after the record's month") << "1=20231200|12=01/12/2023|15=01/12/2023|22=8" << campo1.arg(8)
                                               << "cnt_bienes_consig=10; cnt_reg_e8=1" << "0/0";
    c1("090100 empty date") << "12=" << "13@12; 13@12" << e1 << "0/0";
    c1("090100 failed period skips the dates") << "1=20240200|8=|15=01/03/2024" << "16@1" << e1 << "0/0";
    c1("090100 column 4 dash") << "4=-" << "5@4" << e1 << "0/0";
    c1("090100 column 4 empty") << "4=" << "5@4" << e1 << "0/0";
    c1("090100 column 4 zero") << "4=0" << "" << e1 << "0/0";
    c1("090100 checks in order") << "8=05/02/2024|4=-|6=REF|9=-5|13=-1|17=123|20=0"
                                 << informado.arg(8) + "; " + campo1.arg(8)
            + "; 5@4; 29@6; 5@9; 36@13; 34@17; 666@20:Si consigna cero debe ser 0.00"
                                 << e1 << "0/0";
    c1("090100 document") << "17=123" << "34@17" << e1 << "0/0";

    const auto c2 = [](const char *c) -> QTestData & {
        return caso(QLatin1String(c), QStringLiteral("f090200"), consignacionRuc, periodoLibro);
    };
    c2("090200 date after the month") << "8=05/02/2024" << "19@8" << e1 << "0/0";
    c2("090200 empty date 8") << "8=" << "13@8; 29@8" << e1 << "0/0";
    c2("090200 empty date 15") << "15=" << "13@15" << e1 << "0/0";
    c2("090200 empty date 12, failed period") << "1=20240200|12=" << "16@1; 29@12" << e1 << "0/0";
    c2("090200 date against the record's month") << "1=20231200|8=05/01/2024|12=11/12/2023|15=12/12/2023|21=8"
                                                 << "19@8" << "cnt_bienes_consig=10; cnt_reg_e8=1" << "0/0";
    c2("090200 checks in order") << "8=|6=REF|9=-5|13=-1|16=123|19=0"
                                 << "13@8; 29@6; 29@8; 5@9; 36@13; 34@16; 666@19:Si consigna cero debe ser 0.00"
                                 << e1 << "0/0";
    c2("090200 column 4 free") << "4=-" << "" << e1 << "0/0";
    c2("090200 ten-digit taxpayer") << "16=2010007097" << "34@16" << e1 << "0/0";
    c2("090200 wrong check digit") << "16=20100070971" << "34@16" << e1 << "0/0";
}

void TestConsignments::record()
{
    comprobarCaso();
}

void TestConsignments::summaryOrder_data()
{
    columnasOrden();
    const QString orden = QStringLiteral("cnt_bienes_consig,cnt_bienes_devuelto,cnt_bienes_vendido,cnt_reg_e1,"
                                         "cnt_reg_e8,cnt_reg_e9");
    QTest::newRow("090100") << "f090100" << consignacion << periodoLibro << orden;
    QTest::newRow("090200") << "f090200" << consignacionRuc << periodoLibro << orden;
}

void TestConsignments::summaryOrder()
{
    comprobarOrden();
}

QTEST_GUILESS_MAIN(TestConsignments)
#include "tst_consignments.moc"
