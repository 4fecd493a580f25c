#ifndef REGISTER81FIXTURE_H
#define REGISTER81FIXTURE_H

// Records of the main purchase register for the validator tests: a clean record of March 2020 and the ways
// to change it and to read a result back as one comparable line.

#include "../rules/registrosprueba.h"
#include "kovtypes.h"

#include <QList>
#include <QString>
#include <QStringList>

// State 1, an invoice ("01") of March 2020 from a supplier with a valid taxpayer number; the book period is
// "20200300". Every check passes.
inline QStringList campos81()
{
    return {
        "20200300", "CUO-1", "M1", "15/03/2020", "", "01", "F001", "", "123", "",
        "6", "20100070970", "PROVEEDOR SAC", "100.00", "18.00", "0.00", "0.00", "0.00", "0.00", "0.00",
        "0.00", "0.00", "118.00", "PEN", "1.000", "", "", "", "", "",
        "", "", "", "", "", "", "", "", "", "",
        "1",
    };
}

// The clean record with the changes "col=text|col=text" applied (1-based columns); "n=" empties a column.
// "#=n" keeps only the first n columns, "#=+n" appends n empty ones.
inline QList<KovColumna> registro81(const QString &cambios)
{
    QStringList campos = campos81();
    const QStringList partes = cambios.split(QLatin1Char('|'), Qt::SkipEmptyParts);
    for (const QString &parte : partes) {
        const int igual = parte.indexOf(QLatin1Char('='));
        const QString clave = parte.left(igual);
        const QString valor = parte.mid(igual + 1);
        if (clave == QLatin1String("#")) {
            if (valor.startsWith(QLatin1Char('+'))) {
                for (int i = valor.mid(1).toInt(); i > 0; --i)
                    campos.append(QStringLiteral("extra"));
            } else {
                campos = campos.mid(0, valor.toInt());
            }
            continue;
        }
        campos[clave.toInt() - 1] = valor;
    }
    return registro(campos);
}

inline ParametrosRegistro parametros81(int detalle = 0, int qvr = 0,
                                       const QString &periodo = QStringLiteral("20200300"))
{
    ParametrosRegistro p;
    p.insert(QStringLiteral("periodo"), periodo);
    p.insert(QStringLiteral("path"), QStringLiteral("/tmp/LE20100070970202003000801000001111.txt"));
    p.insert(QStringLiteral("ruc"), QStringLiteral("20100070970"));
    p.insert(QStringLiteral("generateDetail"), detalle);
    p.insert(QStringLiteral("generateQVR"), qvr);
    p.insert(QStringLiteral("tipoEnvioRcRvi"), 0);
    return p;
}

// Sets a record parameter, or leaves it out when `valor` is an invalid variant.
inline void fijar81(ParametrosRegistro *parametros, const QString &clave, const QVariant &valor)
{
    if (valor.isValid())
        parametros->insert(clave, valor);
    else
        parametros->remove(clave);
}

// "atrib=valor", or "atrib[per]=valor" for a per-period entry, joined by "; " in the order added.
inline QString entradas81(const QList<EntradaAcumulador> &lista)
{
    QStringList partes;
    for (const EntradaAcumulador &e : lista) {
        QString parte = e.value(QStringLiteral("atrib")).toString();
        if (e.contains(QStringLiteral("per")))
            parte += QLatin1Char('[') + e.value(QStringLiteral("per")).toString() + QLatin1Char(']');
        partes.append(parte + QLatin1Char('=') + e.value(QStringLiteral("valor")).toString());
    }
    return partes.join(QStringLiteral("; "));
}

// The entries of `lista` whose name starts with `prefijo`, as entradas81 writes them.
inline QString entradasCon81(const QList<EntradaAcumulador> &lista, const QString &prefijo)
{
    QList<EntradaAcumulador> elegidas;
    for (const EntradaAcumulador &e : lista) {
        if (e.value(QStringLiteral("atrib")).toString().startsWith(prefijo))
            elegidas.append(e);
    }
    return entradas81(elegidas);
}

#endif // REGISTER81FIXTURE_H
