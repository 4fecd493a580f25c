// Validators of different jobs run at the same time: the first records a process ever validates, on several
// threads at once, must each get the result a lone record gets (some validators build their code lists on
// first use).

#include "../rules/firstuse.h"
#include "generalfixture.h"

#include <QtTest>

class TestGeneralThreads : public QObject
{
    Q_OBJECT

private slots:
    void firstRecordsAtOnce();
};

void TestGeneralThreads::firstRecordsAtOnce()
{
    const auto linea = [](const char *nombre, const char *base, const char *periodo) {
        return validarLinea(QLatin1String(nombre), QLatin1String(base), QString(), QLatin1String(periodo),
                            rutaLibro(QStringLiteral("04")));
    };
    const bool todos = todosLosHilos([&linea] {
        const KovRespuesta consignacion = linea("f090100",
                                                "20240100|3|M|ABC|x|-|y|10/01/2024|5|z|w|11/01/2024|7|8|"
                                                "12/01/2024|6|20100070970|v|10.00|0.00|0.00|1",
                                                "20240100");
        const KovRespuesta inventario = linea("f120100",
                                              "20240100|CUO|M|ABCD|0|x|y|z|10/01/2024|00|F001|123|02|a|b|5.00|"
                                              "0.00|1",
                                              "20240100");
        const KovRespuesta flujo = linea("f031800", "20240229|01|3I02ST|-200.00|1", "20240229");
        return errores(consignacion) == QLatin1String("25@6")
            && errores(inventario)
            == QStringLiteral("666@10:Tipo de documento no válido para tipo de operación efectuada")
            && sumas(flujo) == QLatin1String("mto_total_t=-200; cnt_reg_e1=1; mto_ctas_financ=-200");
    });
    QVERIFY(todos);
}

QTEST_GUILESS_MAIN(TestGeneralThreads)
#include "tst_generalthreads.moc"
