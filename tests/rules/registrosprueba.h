#ifndef REGISTROSPRUEBA_H
#define REGISTROSPRUEBA_H

// Fixtures shared by the rule tests: a record built from its field texts, and a result's errors written as
// one line so that a table row can state them exactly.

#include "kovcolumna.h"
#include "kovrespuesta.h"

#include <QList>
#include <QString>
#include <QStringList>

inline QList<KovColumna> registro(const QStringList &campos)
{
    QList<KovColumna> cols;
    for (const QString &campo : campos) {
        KovColumna columna;
        columna.setData(campo);
        cols.append(columna);
    }
    return cols;
}

// "cod@col" per error, "666@col:text" for a worded one, joined by "; " in the order added.
inline QString errores(const KovRespuesta &resp)
{
    QStringList partes;
    const QList<ErrorRespuesta> lista = resp.getErrores();
    for (const ErrorRespuesta &e : lista) {
        QString parte = e.value(QStringLiteral("cod")).toString() + QLatin1Char('@')
            + e.value(QStringLiteral("col")).toString();
        if (e.contains(QStringLiteral("des")))
            parte += QLatin1Char(':') + e.value(QStringLiteral("des")).toString();
        partes.append(parte);
    }
    return partes.join(QStringLiteral("; "));
}

// A result that already holds an earlier rule's finding: a rule's answer must speak for its own call only.
inline KovRespuesta respuestaPrevia()
{
    KovRespuesta resp;
    resp.addError(99, 9);
    return resp;
}

// The errors expected of a call on respuestaPrevia(): the earlier finding first, then the call's own.
inline QString conPrevia(const QString &esperados)
{
    return esperados.isEmpty() ? QStringLiteral("99@9") : QStringLiteral("99@9; ") + esperados;
}

#endif // REGISTROSPRUEBA_H
