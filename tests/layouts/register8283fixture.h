#ifndef REGISTER8283FIXTURE_H
#define REGISTER8283FIXTURE_H

// Records of purchase registers 8.2 and 8.3 built from a sound base line and a few changed fields, and a
// validator's result written as short texts so that a table row can state it exactly.

#include "../rules/registrosprueba.h"

#include "kovtypes.h"

#include <QMap>

// The base fields with the changes applied; a change is "column=text" (1-based), several joined by "|".
inline QList<KovColumna> registroCambiado(QStringList campos, const QString &cambios)
{
    const QStringList lista = cambios.split(QLatin1Char('|'), Qt::SkipEmptyParts);
    for (const QString &cambio : lista) {
        const int columna = cambio.section(QLatin1Char('='), 0, 0).toInt();
        while (campos.size() < columna)
            campos << QString();
        campos[columna - 1] = cambio.section(QLatin1Char('='), 1);
    }
    return registro(campos);
}

// A sound state "0" line of register 8.2 (36 columns) for the book period January 2024.
inline QStringList base82()
{
    QStringList c;
    for (int i = 0; i < 36; ++i)
        c << QString();
    c[0] = QStringLiteral("20240100");
    c[3] = QStringLiteral("15/01/2024");
    c[4] = QStringLiteral("91");
    c[5] = QStringLiteral("0001");
    c[6] = QStringLiteral("123");
    c[15] = QStringLiteral("PEN");
    c[35] = QStringLiteral("0");
    return c;
}

// A sound state "1" invoice of register 8.3 (31 columns) for the book period January 2024.
inline QStringList base83()
{
    QStringList c;
    for (int i = 0; i < 31; ++i)
        c << QString();
    c[0] = QStringLiteral("20240100");
    c[3] = QStringLiteral("15/01/2024");
    c[5] = QStringLiteral("01");
    c[6] = QStringLiteral("F001");
    c[7] = QStringLiteral("123");
    c[9] = QStringLiteral("6");
    c[10] = QStringLiteral("20100066603");
    c[11] = QStringLiteral("PROVEEDOR SAC");
    c[12] = QStringLiteral("100.00");
    c[13] = QStringLiteral("18.00");
    c[14] = QStringLiteral("0.00");
    c[15] = QStringLiteral("118.00");
    c[16] = QStringLiteral("PEN");
    c[30] = QStringLiteral("1");
    return c;
}

inline ParametrosRegistro parametros(int detalle = 0, int qvr = 0, const QString &periodo = QStringLiteral("20240100"))
{
    ParametrosRegistro p;
    p.insert(QStringLiteral("periodo"), periodo);
    p.insert(QStringLiteral("path"), QStringLiteral("LE2010006660320240100080200001111.txt"));
    p.insert(QStringLiteral("ruc"), QStringLiteral("20100066603"));
    p.insert(QStringLiteral("generateDetail"), detalle);
    p.insert(QStringLiteral("generateQVR"), qvr);
    p.insert(QStringLiteral("tipoEnvioRcRvi"), 0);
    return p;
}

// "atrib=valor" per entry ("atrib@per=valor" for a per-period one), from entry `desde` on, joined by " ".
inline QString entradas(const QList<EntradaAcumulador> &lista, int desde = 0)
{
    QStringList partes;
    for (int i = desde; i < lista.size(); ++i) {
        const EntradaAcumulador &e = lista.at(i);
        QString parte = e.value(QStringLiteral("atrib")).toString();
        if (e.contains(QStringLiteral("per")))
            parte += QLatin1Char('@') + e.value(QStringLiteral("per")).toString();
        partes << parte + QLatin1Char('=') + e.value(QStringLiteral("valor")).toString();
    }
    return partes.join(QLatin1Char(' '));
}

// The names of the entries, in order.
inline QStringList nombres(const QList<EntradaAcumulador> &lista)
{
    QStringList n;
    for (const EntradaAcumulador &e : lista)
        n << e.value(QStringLiteral("atrib")).toString();
    return n;
}

#endif // REGISTER8283FIXTURE_H
