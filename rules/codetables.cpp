#include "codetables.h"

#include "conjuntocodigos.h"

#include <QStringList>

// Function-local statics: built once on first use, safely even when several jobs call at the same moment.

bool checkHardcodeTabla11(const QString &serie)
{
    static const ConjuntoCodigos seriesTabla11 = {
        "019", "028", "046", "055", "082", "091", "118", "127", "145", "154",
        "163", "172", "181", "190", "217", "226", "235", "244", "262", "271",
        "280", "299", "884", "893", "910", "929", "938", "947", "956", "965",
    };
    return seriesTabla11.contiene(serie);
}

bool checkCdpSerieObliga(const QString &tipo)
{
    static const ConjuntoCodigos tiposConSerie = {
        "01", "02", "03", "04", "05", "06", "07", "08", "09", "10", "12", "20", "22", "23", "25", "31",
        "33", "34", "35", "36", "40", "41", "46", "48", "50", "51", "52", "53", "54", "55", "56", "89",
    };
    return tiposConSerie.contiene(tipo);
}

bool checkCdpNumeroOpta(const QString &tipo)
{
    static const ConjuntoCodigos tiposSinNumero = { "96" };
    return tiposSinNumero.contiene(tipo);
}

QStringList listaCodigos(const char *codigos)
{
    return QString::fromLatin1(codigos).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}
