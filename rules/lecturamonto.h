#ifndef LECTURAMONTO_H
#define LECTURAMONTO_H

#include <QString>

// An amount field as every check, gate, sign choice, sum and box reads it, so that one record never reads one
// field as two numbers. The value is the double QString::toDouble gives in the C locale ("." as decimal point,
// an optional sign and exponent, blanks around it). A text that is not a number, one beyond the range of a
// double either way ("1e400", "1e-400") and the texts "nan" and "inf" read 0: they are neither non-zero nor
// negative. The sign follows the value, so "-0" has sign 0.
struct LecturaMonto
{
    double valor = 0.0;
    int signo = 0;

    bool esCero() const { return signo == 0; }
};

LecturaMonto leeMonto(const QString &texto);

#endif // LECTURAMONTO_H
