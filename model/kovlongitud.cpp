#include "kovlongitud.h"

#include <QRegExp>

namespace {

struct FormaPatron
{
    const char *expresion;
    int tipo;
};

// Tried in this order; the first whole match decides the type.
static const FormaPatron formas[] = {
    { "[0-9]+", 1 },
    { "[&][0-9]+", 2 },
    { "[&][0-9]+[.][0-9]+", 4 },
    { "[0-9]+[.][0-9]+", 3 },
    { "[0-9]+[.][&][0-9]+", 6 },
    { "[&][0-9]+[.][&][0-9]+", 5 },
    { "[0-9]+[-][0-9]+", 7 },
};

// A digit run, with or without its "&"; a run too large for 32 bits reads as 0.
int numero(QString texto)
{
    texto.remove(QLatin1Char('&'));
    bool ok = false;
    const int n = texto.toInt(&ok, 10);
    return ok ? n : 0;
}

} // namespace

KovLongitud::KovLongitud()
    : tipo(-1), enteros(0), decimales(0), minimo(0), maximo(0)
{
}

bool KovLongitud::setPatronLongitud(const QString &patron)
{
    patronLongitud = patron.trimmed();
    if (patronLongitud.isEmpty())
        return false;
    // "0" is checked before the digit forms so that it never reads as an exact length of 0.
    if (patronLongitud == QLatin1String("0")) {
        tipo = 0;
        return true;
    }
    for (const FormaPatron &forma : formas) {
        QRegExp rx(QLatin1String(forma.expresion));
        if (!rx.exactMatch(patronLongitud))
            continue;
        tipo = forma.tipo;
        switch (tipo) {
        case 1:
        case 2:
            enteros = numero(patronLongitud);
            return true;
        case 7: {
            const int guion = patronLongitud.indexOf(QLatin1Char('-'));
            minimo = numero(patronLongitud.left(guion));
            maximo = numero(patronLongitud.mid(guion + 1));
            return minimo < maximo;
        }
        default: {
            const int punto = patronLongitud.indexOf(QLatin1Char('.'));
            enteros = numero(patronLongitud.left(punto));
            decimales = numero(patronLongitud.mid(punto + 1));
            return true;
        }
        }
    }
    return false;
}

bool KovLongitud::checkLongitud(const QString &valor) const
{
    const int largo = valor.length();
    switch (tipo) {
    case 0:
        return true;
    case 1:
        return largo == enteros;
    case 2:
        return largo <= enteros;
    case 7:
        return minimo <= largo && largo <= maximo;
    case 3:
    case 4:
    case 5:
    case 6:
        break;
    default:
        return false;
    }

    const int punto = valor.indexOf(QLatin1Char('.'));
    int digitosEnteros = largo;
    int digitosDecimales = 0;
    if (punto == 0)
        return false;
    if (punto > 0) {
        digitosEnteros = punto;
        // Everything after the first ".", further dots included, counts as decimals.
        digitosDecimales = largo - punto - 1;
        if (digitosDecimales < 1)
            return false;
    }
    if (!valor.isEmpty() && (valor.at(0) == QLatin1Char('-') || valor.at(0) == QLatin1Char('+')))
        --digitosEnteros;

    switch (tipo) {
    case 3:
        return digitosEnteros == enteros && digitosDecimales == decimales;
    case 4:
        return digitosEnteros <= enteros && digitosDecimales == decimales;
    case 5:
        return digitosEnteros <= enteros && digitosDecimales <= decimales;
    default:
        return digitosEnteros == enteros && digitosDecimales <= decimales;
    }
}

QString KovLongitud::getPatronLongitud() const
{
    return patronLongitud;
}

int KovLongitud::getTipo() const
{
    return tipo;
}

int KovLongitud::getEnteros() const
{
    return enteros;
}

int KovLongitud::getDecimales() const
{
    return decimales;
}

int KovLongitud::getMinimo() const
{
    return minimo;
}

int KovLongitud::getMaximo() const
{
    return maximo;
}
