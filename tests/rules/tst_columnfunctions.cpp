#include "columnfunctions.h"
#include "registrosprueba.h"

#include <QtTest>

namespace {

struct Funcion {
    const char *nombre;
    FuncionColumna funcion;
};

const Funcion funciones[] = {
    {"fcIniciaAMC", fcIniciaAMC},
    {"fcFecha", fcFecha},
    {"fcPositivo", fcPositivo},
    {"fcNegativo", fcNegativo},
    {"fcSoloPositivo", fcSoloPositivo},
    {"fcIndicador", fcIndicador},
    {"fcIndicadorVenta", fcIndicadorVenta},
    {"fcIndicadorCompra", fcIndicadorCompra},
};

FuncionColumna funcion(const QString &nombre)
{
    for (const Funcion &f : funciones) {
        if (nombre == QLatin1String(f.nombre))
            return f.funcion;
    }
    return nullptr;
}

} // namespace

class TestColumnFunctions : public QObject
{
    Q_OBJECT

private slots:
    void campo_data();
    void campo();
    void sinDato_data();
    void sinDato();
    void indicadores_data();
    void indicadores();
    void llamadasIndependientes();
};

// Each row: the function, the field's text, and the error code it must report (0 for none).
void TestColumnFunctions::campo_data()
{
    QTest::addColumn<QString>("nombre");
    QTest::addColumn<QString>("texto");
    QTest::addColumn<int>("cod");
    const QString nueves = QString(400, QLatin1Char('9'));

    QTest::newRow("AMC A123") << "fcIniciaAMC" << "A123" << 0;
    QTest::newRow("AMC MX") << "fcIniciaAMC" << "MX" << 0;
    QTest::newRow("AMC C") << "fcIniciaAMC" << "C" << 0;
    QTest::newRow("AMC a123") << "fcIniciaAMC" << "a123" << 5;
    QTest::newRow("AMC X") << "fcIniciaAMC" << "X" << 5;
    QTest::newRow("AMC blank first") << "fcIniciaAMC" << " A" << 5;
    QTest::newRow("AMC empty") << "fcIniciaAMC" << "" << 5;

    QTest::newRow("fecha 29/02/2024") << "fcFecha" << "29/02/2024" << 0;
    QTest::newRow("fecha 29/02/2023") << "fcFecha" << "29/02/2023" << 13;
    QTest::newRow("fecha 31/02/2024") << "fcFecha" << "31/02/2024" << 13;
    QTest::newRow("fecha 31/04/2024") << "fcFecha" << "31/04/2024" << 13;
    QTest::newRow("fecha month 13") << "fcFecha" << "01/13/2024" << 13;
    QTest::newRow("fecha year 0000") << "fcFecha" << "01/01/0000" << 13;
    QTest::newRow("fecha iso") << "fcFecha" << "2024-01-31" << 13;
    QTest::newRow("fecha empty") << "fcFecha" << "" << 13;

    QTest::newRow("positivo 0") << "fcPositivo" << "0" << 0;
    QTest::newRow("positivo 12.50") << "fcPositivo" << "12.50" << 0;
    QTest::newRow("positivo abc") << "fcPositivo" << "abc" << 0;
    QTest::newRow("positivo empty") << "fcPositivo" << "" << 0;
    QTest::newRow("positivo -3") << "fcPositivo" << "-3" << 28;
    QTest::newRow("positivo -0") << "fcPositivo" << "-0" << 28;
    QTest::newRow("positivo -0.00") << "fcPositivo" << "-0.00" << 28;
    QTest::newRow("positivo -abc") << "fcPositivo" << "-abc" << 28;
    QTest::newRow("positivo blank then -0") << "fcPositivo" << " -0" << 28;
    QTest::newRow("positivo blanks only") << "fcPositivo" << "   " << 0;
    QTest::newRow("positivo long digits") << "fcPositivo" << nueves << 0;

    QTest::newRow("negativo -3") << "fcNegativo" << "-3" << 0;
    QTest::newRow("negativo -15.20") << "fcNegativo" << "-15.20" << 0;
    QTest::newRow("negativo 0") << "fcNegativo" << "0" << 0;
    QTest::newRow("negativo 0.00") << "fcNegativo" << "0.00" << 0;
    QTest::newRow("negativo abc") << "fcNegativo" << "abc" << 0;
    QTest::newRow("negativo empty") << "fcNegativo" << "" << 0;
    QTest::newRow("negativo 3") << "fcNegativo" << "3" << 30;
    QTest::newRow("negativo -0.00") << "fcNegativo" << "-0.00" << 30;
    QTest::newRow("negativo -abc") << "fcNegativo" << "-abc" << 30;
    QTest::newRow("negativo blank then -0.00") << "fcNegativo" << " -0.00" << 30;
    QTest::newRow("negativo blanks only") << "fcNegativo" << "   " << 0;
    QTest::newRow("negativo overflow counts 0") << "fcNegativo" << nueves << 0;
    QTest::newRow("negativo negative overflow is a zero with a minus") << "fcNegativo" << QStringLiteral("-") + nueves
                                                                      << 30;
    QTest::newRow("negativo -1e-400 is a zero with a minus") << "fcNegativo" << "-1e-400" << 30;
    QTest::newRow("negativo 1e-400 counts 0") << "fcNegativo" << "1e-400" << 0;

    QTest::newRow("solo positivo 0.01") << "fcSoloPositivo" << "0.01" << 0;
    QTest::newRow("solo positivo 0") << "fcSoloPositivo" << "0" << 35;
    QTest::newRow("solo positivo 0.00") << "fcSoloPositivo" << "0.00" << 35;
    QTest::newRow("solo positivo -1") << "fcSoloPositivo" << "-1" << 35;
    QTest::newRow("solo positivo abc") << "fcSoloPositivo" << "abc" << 35;
    QTest::newRow("solo positivo empty") << "fcSoloPositivo" << "" << 35;
    QTest::newRow("solo positivo overflow counts 0") << "fcSoloPositivo" << nueves << 35;
    QTest::newRow("solo positivo 1e-400 counts 0") << "fcSoloPositivo" << "1e-400" << 35;
    QTest::newRow("solo positivo inf counts 0") << "fcSoloPositivo" << "inf" << 35;

    QTest::newRow("indicador 1") << "fcIndicador" << "1" << 0;
    QTest::newRow("indicador 9") << "fcIndicador" << "9" << 0;
    QTest::newRow("indicador 0") << "fcIndicador" << "0" << 14;
    QTest::newRow("indicador 01") << "fcIndicador" << "01" << 14;
    QTest::newRow("indicador blank 1") << "fcIndicador" << " 1" << 14;
    QTest::newRow("venta 2") << "fcIndicadorVenta" << "2" << 0;
    QTest::newRow("venta 0") << "fcIndicadorVenta" << "0" << 0;
    QTest::newRow("venta 6") << "fcIndicadorVenta" << "6" << 14;
    QTest::newRow("compra 6") << "fcIndicadorCompra" << "6" << 0;
    QTest::newRow("compra 7") << "fcIndicadorCompra" << "7" << 0;
    QTest::newRow("compra 2") << "fcIndicadorCompra" << "2" << 14;
}

void TestColumnFunctions::campo()
{
    QFETCH(QString, nombre);
    QFETCH(QString, texto);
    QFETCH(int, cod);
    const FuncionColumna f = funcion(nombre);
    QVERIFY(f);
    ParametrosColumna params;
    params.insert(QStringLiteral("data"), texto);
    const KovRespuesta resp = f(&params);
    QCOMPARE(errores(resp), cod ? QString::number(cod) + QStringLiteral("@0") : QString());
    QVERIFY(!resp.hasAcumuladores() && !resp.hasAgregados() && !resp.hasCasillas() && !resp.hasPerAcumuladores());
    QCOMPARE(params.value(QStringLiteral("data")).toString(), texto);
}

// Column parameters without "data" (or none at all) read as the empty text.
void TestColumnFunctions::sinDato_data()
{
    QTest::addColumn<QString>("nombre");
    QTest::addColumn<int>("cod");
    QTest::newRow("fcIniciaAMC") << "fcIniciaAMC" << 5;
    QTest::newRow("fcFecha") << "fcFecha" << 13;
    QTest::newRow("fcPositivo") << "fcPositivo" << 0;
    QTest::newRow("fcNegativo") << "fcNegativo" << 0;
    QTest::newRow("fcSoloPositivo") << "fcSoloPositivo" << 35;
    QTest::newRow("fcIndicador") << "fcIndicador" << 14;
    QTest::newRow("fcIndicadorVenta") << "fcIndicadorVenta" << 14;
    QTest::newRow("fcIndicadorCompra") << "fcIndicadorCompra" << 14;
}

void TestColumnFunctions::sinDato()
{
    QFETCH(QString, nombre);
    QFETCH(int, cod);
    const FuncionColumna f = funcion(nombre);
    QVERIFY(f);
    const QString esperado = cod ? QString::number(cod) + QStringLiteral("@0") : QString();
    ParametrosColumna vacios;
    QCOMPARE(errores(f(&vacios)), esperado);
    QCOMPARE(errores(f(nullptr)), esperado);
}

// Every digit against each indicator's whole list, so a missing or extra value shows.
void TestColumnFunctions::indicadores_data()
{
    QTest::addColumn<QString>("nombre");
    QTest::addColumn<QString>("admitidos");
    QTest::newRow("fcIndicador") << "fcIndicador" << "189";
    QTest::newRow("fcIndicadorVenta") << "fcIndicadorVenta" << "01289";
    QTest::newRow("fcIndicadorCompra") << "fcIndicadorCompra" << "016789";
}

void TestColumnFunctions::indicadores()
{
    QFETCH(QString, nombre);
    QFETCH(QString, admitidos);
    const FuncionColumna f = funcion(nombre);
    QVERIFY(f);
    for (char digito = '0'; digito <= '9'; ++digito) {
        ParametrosColumna params;
        params.insert(QStringLiteral("data"), QString(QLatin1Char(digito)));
        const QString esperado = admitidos.contains(QLatin1Char(digito)) ? QString() : QStringLiteral("14@0");
        QCOMPARE(errores(f(&params)), esperado);
    }
}

void TestColumnFunctions::llamadasIndependientes()
{
    ParametrosColumna params;
    params.insert(QStringLiteral("data"), QStringLiteral("X"));
    const KovRespuesta primera = fcIniciaAMC(&params);
    const KovRespuesta segunda = fcIniciaAMC(&params);
    QCOMPARE(primera.getNumErrores(), 1);
    QCOMPARE(segunda.getNumErrores(), 1);
}

QTEST_APPLESS_MAIN(TestColumnFunctions)
#include "tst_columnfunctions.moc"
