#include "columnfunctions.h"
#include "kovrules.h"

#include <QtTest>

// The column functions as a book reaches them: by the name a layout column gives, through the registry.
class TestColumnFunctionsBook : public QObject
{
    Q_OBJECT

private slots:
    void registro_data();
    void registro();
};

void TestColumnFunctionsBook::registro_data()
{
    QTest::addColumn<QString>("nombre");
    QTest::addColumn<void *>("funcion");
    QTest::newRow("fcIniciaAMC") << "fcIniciaAMC" << reinterpret_cast<void *>(&fcIniciaAMC);
    QTest::newRow("fcFecha") << "fcFecha" << reinterpret_cast<void *>(&fcFecha);
    QTest::newRow("fcPositivo") << "fcPositivo" << reinterpret_cast<void *>(&fcPositivo);
    QTest::newRow("fcNegativo") << "fcNegativo" << reinterpret_cast<void *>(&fcNegativo);
    QTest::newRow("fcSoloPositivo") << "fcSoloPositivo" << reinterpret_cast<void *>(&fcSoloPositivo);
    QTest::newRow("fcIndicador") << "fcIndicador" << reinterpret_cast<void *>(&fcIndicador);
    QTest::newRow("fcIndicadorVenta") << "fcIndicadorVenta" << reinterpret_cast<void *>(&fcIndicadorVenta);
    QTest::newRow("fcIndicadorCompra") << "fcIndicadorCompra" << reinterpret_cast<void *>(&fcIndicadorCompra);
}

void TestColumnFunctionsBook::registro()
{
    QFETCH(QString, nombre);
    QFETCH(void *, funcion);
    KovRules rules;
    QCOMPARE(reinterpret_cast<void *>(rules.getFuncionColumna(nombre)), funcion);
    QCOMPARE(rules.getTotal(), 8);
    QVERIFY(!rules.getFuncionColumna(nombre.toLower()));
    QVERIFY(!rules.getFuncionRegistro(nombre));
}

QTEST_APPLESS_MAIN(TestColumnFunctionsBook)
#include "tst_columnfunctionsbook.moc"
