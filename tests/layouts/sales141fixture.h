#ifndef SALES141FIXTURE_H
#define SALES141FIXTURE_H

// Records of the sales register 14.1 for direct validator tests: a sound state-1 invoice of January 2024 that
// a case changes field by field, and one-line renderings of a result's lists so a table row can state them.

#include "../rules/registrosprueba.h"

#include "kovtypes.h"

#include <QStringList>

// Book period of every case unless the case says otherwise.
inline QString periodoLibro141()
{
    return QStringLiteral("20240100");
}

// Changes as "col=text" joined by "|" ("5=" empties column 5); columns beyond 34 lengthen the record.
inline QList<KovColumna> registro141(const QString &cambios)
{
    QStringList campos = {
        QStringLiteral("20240100"), QString(), QString(), QStringLiteral("15/01/2024"), QString(),
        QStringLiteral("01"), QStringLiteral("F001"), QStringLiteral("123"), QString(), QStringLiteral("1"),
        QStringLiteral("12345678"), QStringLiteral("Cliente"), QStringLiteral("0.00"), QStringLiteral("100.00"),
        QStringLiteral("0.00"), QStringLiteral("18.00"), QStringLiteral("0.00"), QStringLiteral("0.00"),
        QStringLiteral("0.00"), QStringLiteral("0.00"), QStringLiteral("0.00"), QStringLiteral("0.00"),
        QStringLiteral("0.00"), QStringLiteral("118.00"), QStringLiteral("PEN"), QStringLiteral("1.000"),
        QString(), QString(), QString(), QString(), QString(), QString(), QString(), QStringLiteral("1"),
    };
    const QStringList lista = cambios.split(QLatin1Char('|'));
    for (const QString &cambio : lista) {
        const int igual = cambio.indexOf(QLatin1Char('='));
        if (igual < 1)
            continue;
        const int col = cambio.left(igual).toInt();
        while (campos.size() < col)
            campos.append(QString());
        if (col >= 1)
            campos[col - 1] = cambio.mid(igual + 1);
    }
    return registro(campos);
}

inline ParametrosRegistro parametros141(int generateQVR, int generateDetail)
{
    ParametrosRegistro p;
    p.insert(QStringLiteral("periodo"), periodoLibro141());
    p.insert(QStringLiteral("generateQVR"), generateQVR);
    p.insert(QStringLiteral("generateDetail"), generateDetail);
    return p;
}

// "atrib=valor" per entry, with "@per" for a per-period one, joined by blanks in the order added.
inline QString entradas(const QList<EntradaAcumulador> &lista)
{
    QStringList partes;
    for (const EntradaAcumulador &e : lista) {
        QString parte = e.value(QStringLiteral("atrib")).toString();
        if (e.contains(QStringLiteral("per")))
            parte += QLatin1Char('@') + e.value(QStringLiteral("per")).toString();
        partes.append(parte + QLatin1Char('=') + e.value(QStringLiteral("valor")).toString());
    }
    return partes.join(QLatin1Char(' '));
}

#endif // SALES141FIXTURE_H
