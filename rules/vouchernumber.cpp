#include "vouchernumber.h"

#include "codetables.h"
#include "rulehelpers.h"

#include <QStringList>

int errorNumeroComprobante(const QString &tipo, const QString &numero)
{
    static const QStringList conReglaPropia =
        listaCodigos("00 09 10 12 13 14 15 20 21 22 24 26 31 33 40 41 46 91 96 97 98");
    static const QStringList soloDigitos = listaCodigos("10 22 46");
    static const QStringList enteroPositivo = listaCodigos("12 13 14 15 21 24 26 91 97 98");

    if (!inList(tipo, conReglaPropia)) {
        if (!esSoloDigitos(numero))
            return 3;
        return signoCifras(numero) <= 0 ? 5 : 0;
    }
    if (inList(tipo, soloDigitos))
        return esSoloDigitos(numero) ? 0 : 5;
    // A number of these types that is not an integer at all is left to the layout's own pattern.
    if (inList(tipo, enteroPositivo) && coincide(numero, QStringLiteral("-?[0-9]+")) && signoCifras(numero) <= 0)
        return 5;
    return 0;
}
