#include "textoparametro.h"

TextoParametro::TextoParametro(const ParametrosRegistro *parametros, const QString &clave)
{
    if (!parametros)
        return;
    const auto entrada = parametros->constFind(clave);
    if (entrada == parametros->constEnd())
        return;
    const QVariant &valor = entrada.value();
    if (valor.userType() == QMetaType::QString)
        enMapa = static_cast<const QString *>(valor.constData());
    else
        convertido = valor.toString();
}
