#include "vouchernumber.h"

#include "conjuntocodigos.h"
#include "rulehelpers.h"


int errorNumeroComprobante(const QString &tipo, const QString &numero)
{
    static const ConjuntoCodigos conReglaPropia("00 09 10 12 13 14 15 20 21 22 24 26 31 33 40 41 46 91 96 97 98");
    static const ConjuntoCodigos soloDigitos("10 22 46");
    static const ConjuntoCodigos enteroPositivo("12 13 14 15 21 24 26 91 97 98");

    if (!conReglaPropia.contiene(tipo)) {
        if (!esSoloDigitos(numero))
            return 3;
        return signoCifras(numero) <= 0 ? 5 : 0;
    }
    if (soloDigitos.contiene(tipo))
        return esSoloDigitos(numero) ? 0 : 5;
    // A number of these types that is not an integer at all is left to the layout's own pattern.
    if (enteroPositivo.contiene(tipo) && esCifrasConSigno(numero) && signoCifras(numero) <= 0)
        return 5;
    return 0;
}
