#include "columnfunctions.h"

#include "conjuntocodigos.h"
#include "rulehelpers.h"


namespace {

QString dato(ParametrosColumna *params)
{
    return params ? params->value(QStringLiteral("data")).toString() : QString();
}

KovRespuesta resultado(bool falla, int cod)
{
    KovRespuesta resp;
    if (falla)
        resp.addError(cod);
    return resp;
}

KovRespuesta indicador(ParametrosColumna *params, const ConjuntoCodigos &valores)
{
    return resultado(!valores.contiene(dato(params)), 14);
}

} // namespace

KovRespuesta fcIniciaAMC(ParametrosColumna *params)
{
    static const ConjuntoCodigos iniciales("A M C");
    // left(1) of an empty text is empty, which no initial equals.
    return resultado(!iniciales.contiene(dato(params).left(1)), 5);
}

KovRespuesta fcFecha(ParametrosColumna *params)
{
    return resultado(!fechaTexto(dato(params)).isValid(), 13);
}

KovRespuesta fcPositivo(ParametrosColumna *params)
{
    const QString texto = dato(params).trimmed();
    if (texto.isEmpty())
        return KovRespuesta();
    return resultado(texto.startsWith(QLatin1Char('-')) || signoNumero(texto) < 0, 28);
}

KovRespuesta fcNegativo(ParametrosColumna *params)
{
    const QString texto = dato(params).trimmed();
    if (texto.isEmpty())
        return KovRespuesta();
    const int signo = signoNumero(texto);
    return resultado(signo > 0 || (signo == 0 && texto.startsWith(QLatin1Char('-'))), 30);
}

KovRespuesta fcSoloPositivo(ParametrosColumna *params)
{
    return resultado(signoNumero(dato(params)) <= 0, 35);
}

KovRespuesta fcIndicador(ParametrosColumna *params)
{
    static const ConjuntoCodigos valores("1 8 9");
    return indicador(params, valores);
}

KovRespuesta fcIndicadorVenta(ParametrosColumna *params)
{
    static const ConjuntoCodigos valores("0 1 2 8 9");
    return indicador(params, valores);
}

KovRespuesta fcIndicadorCompra(ParametrosColumna *params)
{
    static const ConjuntoCodigos valores("0 1 6 7 8 9");
    return indicador(params, valores);
}
