#include "kovcolumna.h"
#include "kovrespuesta.h"
#include "otherrules.h"
#include "registrosprueba.h"
#include "rulehelpers.h"
#include "textosprueba.h"

#include <QtTest>

namespace {

const int kCol = 2;

QList<KovColumna> conDato(const QString &dato)
{
    return registro({QStringLiteral("x"), dato, QStringLiteral("y")});
}

} // namespace

class TstOtherRules : public QObject
{
    Q_OBJECT

private slots:
    void datoEstructurado_data();
    void datoEstructurado();
    void datoEstructuradoComoSplit();
    void obligaDesde_data();
    void obligaDesde();
    void reglasQueSiempreSeCumplen();
    void columnaFueraDeLaListaSeLeeVacia();
};

void TstOtherRules::datoEstructurado_data()
{
    QTest::addColumn<QString>("dato");
    QTest::addColumn<bool>("valido");

    QTest::newRow("compras sin partes") << QStringLiteral("080100&&&") << true;
    QTest::newRow("compras 8.3") << QStringLiteral("080300&A&B&C") << true;
    QTest::newRow("ventas 14.2") << QStringLiteral("140200&1&&x") << true;
    QTest::newRow("tres partes") << QStringLiteral("080100&A&B") << false;
    QTest::newRow("cinco partes") << QStringLiteral("080100&A&B&C&D") << false;
    QTest::newRow("cinco partes y libro ajeno") << QStringLiteral("999999&A&B&C&D") << false;
    QTest::newRow("otro libro") << QStringLiteral("050100&A&B&C") << false;
    QTest::newRow("blanco delante") << QStringLiteral(" 080100&A&B&C") << false;
    QTest::newRow("blanco detras") << QStringLiteral("140100 &A&B&C") << false;
    QTest::newRow("vacio") << QString() << false;
}

void TstOtherRules::datoEstructurado()
{
    QFETCH(QString, dato);
    QFETCH(bool, valido);

    QList<KovColumna> cols = conDato(dato);
    KovRespuesta resp;
    QCOMPARE(checkDatoEstructurado(&resp, &cols, kCol), valido);
    QCOMPARE(errores(resp), valido ? QString() : QStringLiteral("9@2"));
}

// The rule counts and cuts the text where it used to split it into its parts: over short texts of separators
// and code digits, and over every book code with none to five parts after it, both readings agree.
void TstOtherRules::datoEstructuradoComoSplit()
{
    const QStringList libros = {QStringLiteral("080100"), QStringLiteral("080200"), QStringLiteral("080300"),
                                QStringLiteral("140100"), QStringLiteral("140200")};
    QStringList datos = todosLosTextos(QStringLiteral("&01x"), 5);
    for (const QString &libro : libros + QStringList{QStringLiteral("050100"), QStringLiteral("08010")}) {
        QString dato = libro;
        for (int partes = 0; partes <= 5; ++partes, dato += QStringLiteral("&p"))
            datos << dato << QLatin1Char('&') + dato << dato + QLatin1Char('&');
    }
    for (const QString &dato : qAsConst(datos)) {
        const QStringList partes = dato.split(QLatin1Char('&'));
        const bool conSplit = partes.size() == 4 && inList(partes.at(0), libros);
        QList<KovColumna> cols = conDato(dato);
        KovRespuesta resp;
        if (checkDatoEstructurado(&resp, &cols, kCol) != conSplit)
            QFAIL(qPrintable(QStringLiteral("differs at \"%1\"").arg(dato)));
    }
}

void TstOtherRules::obligaDesde_data()
{
    QTest::addColumn<QString>("periodo");
    QTest::addColumn<int>("anio");
    QTest::addColumn<QString>("vacio");
    QTest::addColumn<QString>("dato");
    QTest::addColumn<bool>("falta");

    QTest::newRow("antes del anio") << QStringLiteral("20131200") << 2014 << QStringLiteral("-") << QString() << false;
    QTest::newRow("desde el anio, vacio") << QStringLiteral("20130100") << 2013 << QStringLiteral("-") << QString()
                                          << true;
    QTest::newRow("desde el anio, marca") << QStringLiteral("20140000") << 2013 << QStringLiteral("-")
                                          << QStringLiteral("-") << true;
    QTest::newRow("un blanco cuenta") << QStringLiteral("20130100") << 2013 << QStringLiteral("-")
                                      << QStringLiteral(" ") << false;
    QTest::newRow("con dato") << QStringLiteral("20130100") << 2013 << QStringLiteral("-") << QStringLiteral("A")
                              << false;
    QTest::newRow("la marca distingue mayusculas") << QStringLiteral("20130100") << 2013 << QStringLiteral("x")
                                                        << QStringLiteral("X") << false;
    QTest::newRow("marca vacia") << QStringLiteral("20130100") << 2013 << QString() << QString() << true;
    QTest::newRow("periodo no numerico") << QStringLiteral("AAAA0100") << 2013 << QString() << QString() << false;
    QTest::newRow("periodo no numerico, anio 0") << QStringLiteral("AAAA0100") << 0 << QString() << QString() << true;
    QTest::newRow("periodo corto") << QStringLiteral("201") << 2013 << QString() << QString() << false;
}

void TstOtherRules::obligaDesde()
{
    QFETCH(QString, periodo);
    QFETCH(int, anio);
    QFETCH(QString, vacio);
    QFETCH(QString, dato);
    QFETCH(bool, falta);

    QList<KovColumna> cols = conDato(dato);
    KovRespuesta resp;
    QCOMPARE(checkObligaDesde(&resp, &cols, kCol, periodo, anio, vacio), !falta);
    QCOMPARE(errores(resp), falta ? QStringLiteral("25@2") : QString());
}

void TstOtherRules::reglasQueSiempreSeCumplen()
{
    typedef bool (*Regla)(KovRespuesta *, QList<KovColumna> *, int, int, int);
    const Regla reglas[] = {checkTipoCambioFecha, checkRucNoHabido, checkProveedorExonera, checkDNIconRUC};
    QList<KovColumna> cols = conDato(QStringLiteral("nada"));
    for (Regla regla : reglas) {
        KovRespuesta resp;
        QVERIFY(regla(&resp, &cols, 1, 99, -1));
        QVERIFY(regla(&resp, nullptr, 0, 0, 0));
        QVERIFY(!resp.hasErrores());
        QCOMPARE(cols.at(0).getData(), QStringLiteral("x"));
    }
}

// A column beyond the record reads as empty: a malformed structured value, a missing obligatory one.
void TstOtherRules::columnaFueraDeLaListaSeLeeVacia()
{
    QList<KovColumna> cols = conDato(QStringLiteral("080100&&&"));
    for (int col : {0, 4, -1}) {
        KovRespuesta resp;
        QVERIFY(!checkDatoEstructurado(&resp, &cols, col));
        QVERIFY(!checkObligaDesde(&resp, &cols, col, QStringLiteral("20240100"), 2013, QStringLiteral("-")));
        QCOMPARE(errores(resp), QStringLiteral("9@%1; 25@%1").arg(col));
    }
}

QTEST_APPLESS_MAIN(TstOtherRules)
#include "tst_otherrules.moc"
