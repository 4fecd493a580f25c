#include "purchaseregisters.h"
#include "register81fixture.h"

#include <QtTest>

// The tax-form boxes of the main purchase register, the same in both variants.
class TestRegister81Boxes : public QObject
{
    Q_OBJECT

private slots:
    void casillas_data();
    void casillas();
    void listas();
};

void TestRegister81Boxes::casillas_data()
{
    QTest::addColumn<QString>("cambios");
    QTest::addColumn<QVariant>("qvr");
    QTest::addColumn<QString>("esperadas");

    const QVariant si(1);
    // The clean record carries 100.00 in column 14 and 0.00 in columns 16, 18 and 20.
    QTest::newRow("clean record") << "" << si << "107=100.000; 110=0.000; 113=0.000; 120=0.000";
    QTest::newRow("boxes not asked") << "" << QVariant(0) << "";
    QTest::newRow("boxes asked with 2") << "" << QVariant(2) << "";
    QTest::newRow("boxes flag missing") << "" << QVariant() << "";
    QTest::newRow("entry tests of 110, 113, 120")
        << "16=|18=0|20=0.0" << si << "107=100.000; 113=0.000";
    QTest::newRow("107 has no entry test") << "14=" << si << "107=0.000; 110=0.000; 113=0.000; 120=0.000";
    QTest::newRow("state 0 feeds 113 and 120 only") << "41=0|14=1|16=2|18=3|20=4" << si << "113=3.000; 120=4.000";
    QTest::newRow("import keeps its sign")
        << "41=6|4=15/02/2020|6=50|7=118|8=2020|14=-20.00|16=|18=|20=" << si << "114=-20.000";
    QTest::newRow("import, every box")
        << "6=52|7=118|8=2020|14=1|16=2|18=3|20=4" << si << "114=1.000; 116=2.000; 119=3.000; 122=4.000";
    QTest::newRow("state 0 import feeds 119 and 122 only")
        << "41=0|6=52|7=118|8=2020|14=1|16=2|18=3|20=4" << si << "119=3.000; 122=4.000";
    QTest::newRow("state 0 reversal of an import")
        << "41=0|6=87|27=52|14=1|16=2|18=3|20=4" << si << "119=-3.000; 122=-4.000";
    QTest::newRow("credit note takes the referenced box, negative")
        << "6=07|27=01|16=|18=|20=|14=150.00" << si << "107=-150.000";
    QTest::newRow("credit note with a negative amount")
        << "6=07|27=01|16=|18=|20=|14=-150.00" << si << "107=-150.000";
    QTest::newRow("credit note, zero amounts")
        << "6=07|27=01|14=" << si << "107=0.000; 110=0.000; 113=0.000; 120=0.000";
    QTest::newRow("type 87 on an import")
        << "6=87|27=52|14=10|16=|18=0.00|20=-4" << si << "114=-10.000; 119=0.000; 122=-4.000";
    QTest::newRow("type 87 on a reversing type") << "6=87|27=07" << si << "";
    QTest::newRow("type 87 on a dash") << "6=87|27=-" << si << "";
    QTest::newRow("type 07 on nothing") << "6=07|27=" << si << "";
    QTest::newRow("reference ignored for other types")
        << "6=01|27=52|16=|18=|20=" << si << "107=100.000";
    QTest::newRow("debit note keeps its sign") << "6=08|14=-5|16=|18=|20=" << si << "107=-5.000";
    QTest::newRow("type 88 keeps its sign") << "6=88|14=7|16=|18=|20=" << si << "107=7.000";
    QTest::newRow("type outside both lists") << "6=02" << si << "";
    QTest::newRow("state 5") << "41=5" << si << "";
    QTest::newRow("state 7") << "41=7" << si << "";
    QTest::newRow("state 8") << "41=8" << si << "";
    QTest::newRow("state 9") << "41=9|1=20200100" << si << "";
    QTest::newRow("state 01") << "41=01" << si << "";
    QTest::newRow("errors and a refused voucher change nothing")
        << "7=|11=|12=|13=|36=X" << si << "107=100.000; 110=0.000; 113=0.000; 120=0.000";

    // The entry test, on column 16 (box 110).
    const char *const pasan[][2] = {{"0", "0.000"}, {"0.00", "0.000"}, {"0.01", "0.010"}, {"-5", "-5.000"}};
    for (const auto &p : pasan) {
        QTest::newRow(qPrintable(QStringLiteral("entered: ") + QLatin1String(p[0])))
            << QStringLiteral("18=|20=|16=") + QLatin1String(p[0]) << si
            << QStringLiteral("107=100.000; 110=") + QLatin1String(p[1]);
    }
    for (const char *texto : {"0.0", "0.000", "-0.00", "00", "", "abc"}) {
        QTest::newRow(qPrintable(QStringLiteral("not entered: ") + QLatin1String(texto)))
            << QStringLiteral("18=|20=|16=") + QLatin1String(texto) << si << "107=100.000";
    }
}

void TestRegister81Boxes::casillas()
{
    QFETCH(QString, cambios);
    QFETCH(QVariant, qvr);
    QFETCH(QString, esperadas);

    QList<KovColumna> cols = registro81(cambios);
    ParametrosRegistro parametros = parametros81();
    fijar81(&parametros, QStringLiteral("generateQVR"), qvr);
    const KovRespuesta general = f080100g(&cols, &parametros);
    const KovRespuesta detallado = f080100d(&cols, &parametros);
    QCOMPARE(entradas81(general.getCasillas()), esperadas);
    QCOMPARE(entradas81(detallado.getCasillas()), esperadas);
    QCOMPARE(parametros.contains(QStringLiteral("generateQVR")), qvr.isValid());
}

// Every two-digit type, as the record's own voucher and as the voucher a reversing one refers to.
void TestRegister81Boxes::listas()
{
    const QStringList tipos35 = {"00", "01", "04", "05", "06", "08", "11", "12", "13", "14", "15", "16",
                                 "17", "18", "23", "24", "25", "26", "27", "28", "29", "30", "32", "34",
                                 "35", "36", "37", "42", "43", "48", "55", "56", "88", "89", "96"};
    const QStringList importacion = {"46", "50", "51", "52", "53", "54"};
    ParametrosRegistro parametros = parametros81(0, 1);
    for (int i = 0; i < 100; ++i) {
        const QString tipo = QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0'));
        const QString directa = tipos35.contains(tipo) ? QStringLiteral("107=1.000")
            : importacion.contains(tipo)               ? QStringLiteral("114=1.000")
                                                       : QString();
        QList<KovColumna> propio = registro81(QStringLiteral("14=1|16=|18=|20=|6=") + tipo);
        const QString revertida = tipos35.contains(tipo) ? QStringLiteral("107=-1.000")
            : importacion.contains(tipo)                 ? QStringLiteral("114=-1.000")
                                                         : QString();
        QList<KovColumna> nota = registro81(QStringLiteral("14=1|16=|18=|20=|6=07|27=") + tipo);
        QList<KovColumna> nota87 = registro81(QStringLiteral("14=1|16=|18=|20=|6=87|27=") + tipo);
        for (FuncionRegistro f : {&f080100g, &f080100d}) {
            QCOMPARE(entradas81(f(&propio, &parametros).getCasillas()), directa);
            QCOMPARE(entradas81(f(&nota, &parametros).getCasillas()), revertida);
            QCOMPARE(entradas81(f(&nota87, &parametros).getCasillas()), revertida);
        }
    }
}

QTEST_APPLESS_MAIN(TestRegister81Boxes)
#include "tst_register81boxes.moc"
