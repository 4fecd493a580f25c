#include "lecturamonto.h"

#include <cmath>

namespace {

// Up to this many digits a decimal's digits form an integer that a double holds exactly.
const int kDigitosExactos = 15;
const double kPotencias[kDigitosExactos + 1] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// The usual amount, "-"? digits ("." digits)? with at most 15 digits, is an exact integer over an exact power
// of ten, and one correctly rounded division gives the very double the full conversion gives. Any other text
// is left to the full conversion.
bool valorSencillo(const QString &texto, double *valor)
{
    const QChar *c = texto.constData();
    const int largo = texto.size();
    int i = largo > 0 && c[0] == QLatin1Char('-') ? 1 : 0;
    const bool negativo = i == 1;
    qint64 mantisa = 0;
    int digitos = 0;
    int decimales = -1;
    for (; i < largo; ++i) {
        const ushort u = c[i].unicode();
        if (u >= '0' && u <= '9') {
            if (++digitos > kDigitosExactos)
                return false;
            mantisa = mantisa * 10 + (u - '0');
            if (decimales >= 0)
                ++decimales;
        } else if (u == '.' && decimales < 0 && digitos > 0) {
            decimales = 0;
        } else {
            return false;
        }
    }
    if (digitos == 0 || decimales == 0)
        return false;
    const double v = double(mantisa) / kPotencias[decimales < 0 ? 0 : decimales];
    *valor = negativo ? -v : v;
    return true;
}

} // namespace

LecturaMonto leeMonto(const QString &texto)
{
    LecturaMonto monto;
    if (!valorSencillo(texto, &monto.valor)) {
        bool ok = false;
        const double d = texto.toDouble(&ok);
        // Out of range Qt refuses the text yet hands back an infinity; "nan" and "inf" it accepts.
        monto.valor = ok && std::isfinite(d) ? d : 0.0;
    }
    monto.signo = monto.valor > 0.0 ? 1 : (monto.valor < 0.0 ? -1 : 0);
    return monto;
}
