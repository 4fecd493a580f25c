#ifndef GENERALFIXTURE_H
#define GENERALFIXTURE_H

// Fixtures of the tests of the general books' record validators: a record built from a base line and the
// fields a case changes, the record parameters, and a result's totals written as one line so that a table
// row can state them exactly (records and errors are written as the rule tests write them).

#include "../rules/registrosprueba.h"
#include "kovrules.h"
#include "kovtypes.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QtTest>

// The fields of a line written as a book writes them, "|"-separated.
inline QStringList campos(const QString &linea)
{
    return linea.split(QLatin1Char('|'));
}

// The base fields with the changes applied: "4=31/02/2024|8=0" sets column 4 and column 8 (1-based);
// a column beyond the base is added, with empty fields between.
inline QStringList cambiar(QStringList base, const QString &cambios)
{
    if (cambios.isEmpty())
        return base;
    for (const QString &cambio : cambios.split(QLatin1Char('|'))) {
        const int igual = cambio.indexOf(QLatin1Char('='));
        const int col = cambio.left(igual).toInt();
        while (base.size() < col)
            base.append(QString());
        base[col - 1] = cambio.mid(igual + 1);
    }
    return base;
}

inline ParametrosRegistro parametros(const QString &periodo, const QString &path = QString())
{
    ParametrosRegistro p;
    p.insert(QStringLiteral("periodo"), periodo);
    p.insert(QStringLiteral("path"), path);
    p.insert(QStringLiteral("ruc"), QStringLiteral("20100070970"));
    p.insert(QStringLiteral("generateDetail"), 1);
    p.insert(QStringLiteral("generateQVR"), 0);
    p.insert(QStringLiteral("tipoEnvioRcRvi"), 0);
    return p;
}

// The path of a book file whose name carries the opportunity code `codigo` (characters 28 and 29 of the name).
inline QString rutaLibro(const QString &codigo)
{
    return QStringLiteral("/tmp/libros/LE2010007097020240229030200") + codigo + QStringLiteral("0011.txt");
}

// The record validator registered under `nombre` run on the base line with the changes applied.
inline KovRespuesta validarLinea(const QString &nombre, const QString &base, const QString &cambios,
                                 const QString &periodoLibro, const QString &path = QString())
{
    const FuncionRegistro f = KovRules().getFuncionRegistro(nombre);
    if (!f)
        return KovRespuesta();
    QList<KovColumna> cols = registro(cambiar(campos(base), cambios));
    ParametrosRegistro params = parametros(periodoLibro, path);
    return f(&cols, &params);
}

// The state-1 debit and credit sums, "debit/credit".
inline QString estado1(const KovRespuesta &resp)
{
    return QString::number(resp.getEstado1Debe(), 'g', 15) + QLatin1Char('/')
        + QString::number(resp.getEstado1Haber(), 'g', 15);
}

// The total names in the order the record first names them, as a book's summary would list them.
inline QString nombres(const KovRespuesta &resp)
{
    QStringList orden;
    for (const EntradaAcumulador &a : resp.getAcumuladores()) {
        const QString nombre = a.value(QStringLiteral("atrib")).toString();
        if (!orden.contains(nombre))
            orden.append(nombre);
    }
    return orden.join(QLatin1Char(','));
}

// Each total the record moves, "name=sum" in the order of first naming, joined by "; "; totals that only
// received zeros are left out, so a row states exactly what the record adds.
inline QString sumas(const KovRespuesta &resp)
{
    QStringList orden;
    QMap<QString, double> suma;
    for (const EntradaAcumulador &a : resp.getAcumuladores()) {
        const QString nombre = a.value(QStringLiteral("atrib")).toString();
        if (!orden.contains(nombre))
            orden.append(nombre);
        suma[nombre] += a.value(QStringLiteral("valor")).toString().toDouble();
    }
    QStringList partes;
    for (const QString &nombre : qAsConst(orden)) {
        if (suma.value(nombre) != 0.0)
            partes.append(nombre + QLatin1Char('=') + QString::number(suma.value(nombre), 'g', 15));
    }
    return partes.join(QStringLiteral("; "));
}

// The columns of a table of record cases: which validator, on which line, with which book period and
// opportunity code in the file name; then the changes to the line and the expected errors, non-zero totals
// and state-1 sums.
inline void columnasCaso()
{
    QTest::addColumn<QString>("nombre");
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("periodoLibro");
    QTest::addColumn<QString>("codigo");
    QTest::addColumn<QString>("cambios");
    QTest::addColumn<QString>("errores");
    QTest::addColumn<QString>("sumas");
    QTest::addColumn<QString>("estado1");
}

inline QTestData &caso(const QString &fila, const QString &nombre, const QString &base, const QString &periodoLibro,
                       const QString &codigo = QStringLiteral("04"))
{
    return QTest::newRow(qPrintable(fila)) << nombre << base << periodoLibro << codigo;
}

// Runs the current row; every record counts as one detail line.
inline void comprobarCaso()
{
    QFETCH(QString, nombre);
    QFETCH(QString, base);
    QFETCH(QString, periodoLibro);
    QFETCH(QString, codigo);
    QFETCH(QString, cambios);
    QFETCH(QString, errores);
    QFETCH(QString, sumas);
    QFETCH(QString, estado1);

    QVERIFY2(KovRules().getFuncionRegistro(nombre), qPrintable(nombre));
    const KovRespuesta resp = validarLinea(nombre, base, cambios, periodoLibro, rutaLibro(codigo));
    QCOMPARE(::errores(resp), errores);
    QCOMPARE(::sumas(resp), sumas);
    QCOMPARE(::estado1(resp), estado1);
    QCOMPARE(resp.getTotalLineDetail(), 1);
    // These books report nothing else: no aggregates, boxes, per-period totals, state-7 records or dropped line.
    QVERIFY(!resp.hasAgregados() && !resp.hasCasillas() && !resp.hasPerAcumuladores());
    QCOMPARE(resp.getNumeroEstado7(), 0);
    QVERIFY(!resp.getNotAddLine());
    QCOMPARE(resp.getNumErrores(), resp.getErrores().size());
}

// The columns of a table of summary orders: the validator, its line and book period, and the total names in
// the order the line first names them.
inline void columnasOrden()
{
    QTest::addColumn<QString>("nombre");
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("periodoLibro");
    QTest::addColumn<QString>("orden");
}

// The first record of a book fixes its summary's order, and a state that counts nowhere names the same
// totals in the same order.
inline void comprobarOrden()
{
    QFETCH(QString, nombre);
    QFETCH(QString, base);
    QFETCH(QString, periodoLibro);
    QFETCH(QString, orden);

    const QString ruta = rutaLibro(QStringLiteral("04"));
    QCOMPARE(nombres(validarLinea(nombre, base, QString(), periodoLibro, ruta)), orden);
    const int colEstado = KovRules().getColumnaEstado(nombre);
    const QString otroEstado = QStringLiteral("%1=5").arg(colEstado);
    QCOMPARE(nombres(validarLinea(nombre, base, otroEstado, periodoLibro, ruta)), orden);
}

#endif // GENERALFIXTURE_H
