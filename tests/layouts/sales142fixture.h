#ifndef SALES142FIXTURE_H
#define SALES142FIXTURE_H

// Records of the sales register 14.2 for direct validator tests: a sound state-1 invoice of March 2019 that a
// case changes field by field ("5=30/04/2019|9=" sets column 5 and empties column 9), and the book's
// parameters. Results are read back with the one-line renderings of the other register fixtures.

#include "generalfixture.h"
#include "register81fixture.h"

inline QList<KovColumna> registro142(const QString &cambios)
{
    static const QStringList base = campos(QStringLiteral(
        "20190300|||15/03/2019||01|F001|123||6|20100070970|CLIENTE SAC|100.00|18.00|0.00|118.00|PEN|1.000"
        "|||||||1"));
    return registro(cambiar(base, cambios));
}

inline ParametrosRegistro parametros142(int generateQVR, int generateDetail,
                                        const QString &periodo = QStringLiteral("20190300"))
{
    ParametrosRegistro p = parametros(periodo);
    p.insert(QStringLiteral("generateQVR"), generateQVR);
    p.insert(QStringLiteral("generateDetail"), generateDetail);
    return p;
}

#endif // SALES142FIXTURE_H
