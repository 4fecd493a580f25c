#ifndef TEXTOPARAMETRO_H
#define TEXTOPARAMETRO_H

#include "kovtypes.h"

#include <QString>

// A text parameter of the record ("periodo", "path") read where the map holds it. The threads that validate one
// book are handed copies of one map, so a copy of its text would have every record on every thread write the
// text's one reference count. A value of another type is converted as QVariant::toString converts it, and an
// absent key (or no map) reads as the null text, as value(clave).toString() reads them.
class TextoParametro
{
public:
    TextoParametro(const ParametrosRegistro *parametros, const QString &clave);

    const QString &texto() const { return enMapa ? *enMapa : convertido; }

private:
    const QString *enMapa = nullptr;
    QString convertido;
};

#endif // TEXTOPARAMETRO_H
