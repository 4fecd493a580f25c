#include "kovimporte.h"

#include "lecturamonto.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace {

static_assert(std::numeric_limits<double>::is_iec559 && std::numeric_limits<double>::digits == 53,
              "the thousandths are taken from the bits of an IEEE double");

// Below this many thousandths the text's digits form an integer that a double holds exactly, and so the text reads
// back as that integer divided by 1000: one correctly rounded division, as the reader's own conversion gives.
const quint64 kLimite = quint64(1) << 53;

// |v| × escala to a whole number, halves away from zero, exactly as QString::number rounds the exact binary
// value: false when v is not finite or |v| is 2^52 or more, which no text within the limit comes from.
bool redondea(double v, quint64 escala, quint64 *entero)
{
    quint64 bits;
    std::memcpy(&bits, &v, sizeof bits);
    const int exponente = int((bits >> 52) & 0x7ff);
    quint64 mantisa = bits & ((quint64(1) << 52) - 1);
    if (exponente == 0x7ff)
        return false;
    // v = mantisa × 2^escalon
    int escalon = -1074;
    if (exponente != 0) {
        mantisa |= quint64(1) << 52;
        escalon = exponente - 1075;
    }
    if (escalon >= 0)
        return false;
    // Below 2^53 × 1000, so no bit is lost.
    const quint64 producto = mantisa * escala;
    const int corrimiento = -escalon;
    if (corrimiento >= 64) {
        // producto / 2^64 is below one half.
        *entero = 0;
        return true;
    }
    quint64 q = producto >> corrimiento;
    const quint64 resto = producto & ((quint64(1) << corrimiento) - 1);
    if (resto >= (quint64(1) << (corrimiento - 1)))
        ++q;
    *entero = q;
    return true;
}

} // namespace

KovImporte KovImporte::deNumero(double v, int decimales)
{
    const quint8 digitos = quint8(decimales == 0 ? 0 : 3);
    const bool negativo = std::signbit(v);
    quint64 entero = 0;
    if (redondea(v, digitos == 0 ? 1 : 1000, &entero)) {
        const quint64 milesimas = digitos == 0 ? entero * 1000 : entero;
        if (milesimas < kLimite) {
            // A negative value written as zero keeps its sign ("-0.000"); -0.0 itself is written "0.000".
            return KovImporte(negativo ? -qint64(milesimas) : qint64(milesimas),
                              milesimas == 0 && negativo && v != 0.0 ? CeroNegativo : Exacta, digitos);
        }
    }
    qint64 bits;
    std::memcpy(&bits, &v, sizeof v);
    return KovImporte(bits, Texto, digitos);
}

double KovImporte::valor() const
{
    switch (forma) {
    case Exacta:
        return double(cuenta) / 1000.0;
    case CeroNegativo:
        return -0.0;
    default:
        return leeMonto(texto()).valor;
    }
}

QString KovImporte::texto() const
{
    if (forma == Texto) {
        double v;
        std::memcpy(&v, &cuenta, sizeof v);
        return QString::number(v, 'f', digitos);
    }
    // Written from the end: the digits of the thousandths, the point, the whole part, the sign.
    char letras[32];
    int i = int(sizeof letras);
    quint64 resto = cuenta < 0 ? quint64(0) - quint64(cuenta) : quint64(cuenta);
    if (digitos == 3) {
        for (int d = 0; d < 3; ++d) {
            letras[--i] = char('0' + resto % 10);
            resto /= 10;
        }
        letras[--i] = '.';
    } else {
        resto /= 1000;
    }
    do {
        letras[--i] = char('0' + resto % 10);
        resto /= 10;
    } while (resto != 0);
    if (cuenta < 0 || forma == CeroNegativo)
        letras[--i] = '-';
    return QString::fromLatin1(letras + i, int(sizeof letras) - i);
}

int KovImporte::decimales() const
{
    return digitos;
}

bool KovImporte::esExacto() const
{
    return forma != Texto;
}

bool KovImporte::operator==(const KovImporte &otro) const
{
    return cuenta == otro.cuenta && forma == otro.forma && digitos == otro.digitos;
}
