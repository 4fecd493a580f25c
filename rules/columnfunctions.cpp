#include "columnfunctions.h"

#include "rulehelpers.h"

#include <QStringList>

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

KovRespuesta indicador(ParametrosColumna *params, const QStringList &valores)
{
    return resultado(!inList(dato(params), valores), 14);
}

} // namespace

KovRespuesta fcIniciaAMC(ParametrosColumna *params)
{
    static const QStringList iniciales = {QStringLiteral("A"), QStringLiteral("M"), QStringLiteral("C")};
    // left(1) of an empty text is empty, which no initial equals.
    return resultado(!inList(dato(params).left(1), iniciales), 5);
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
    static const QStringList valores = {QStringLiteral("1"), QStringLiteral("8"), QStringLiteral("9")};
    return indicador(params, valores);
}

KovRespuesta fcIndicadorVenta(ParametrosColumna *params)
{
    static const QStringList valores = {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"),
                                        QStringLiteral("8"), QStringLiteral("9")};
    return indicador(params, valores);
}

KovRespuesta fcIndicadorCompra(ParametrosColumna *params)
{
    static const QStringList valores = {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("6"),
                                        QStringLiteral("7"), QStringLiteral("8"), QStringLiteral("9")};
    return indicador(params, valores);
}
