#ifndef KOVIMPORTE_H
#define KOVIMPORTE_H

#include <QString>
#include <QtGlobal>

#include <cmath>

// The "valor" text of a job's total, QString::number(v, 'f', 3) or QString::number(v, 'f', 0), held as the
// number of thousandths it writes, so that summing totals line after line neither writes nor reads a text and
// still gives the very texts that writing and reading would. A text of 2^53 thousandths or more, or of a value
// that is not finite, is kept as the value it was written from, and written and read as a text each time.
class KovImporte
{
public:
    // "0.000".
    KovImporte() : KovImporte(0, Exacta, 3) {}

    // The text QString::number(v, 'f', decimales), decimales 0 or 3.
    static KovImporte deNumero(double v, int decimales);
    // The text a result gives an amount: three decimals of the amount counted 0 when not finite.
    static KovImporte deValor(double v)
    {
        // Most totals a record declares are zero.
        if (v == 0.0 && !std::signbit(v))
            return KovImporte();
        return deNumero(std::isfinite(v) ? v : 0.0, 3);
    }

    // The text read back as every amount is read (leeMonto).
    double valor() const;
    // The text written by the decimals of the sum: the two texts read back and added, as a merge does.
    KovImporte mas(const KovImporte &otro, int decimales) const
    {
        KovImporte r;
        return sumaEntera(otro, decimales, &r) ? r : deNumero(valor() + otro.valor(), decimales);
    }

    QString texto() const;
    int decimales() const;
    bool esExacto() const;
    // The thousandths of an exact text ("-0.000" has none).
    qint64 milesimas() const { return forma == Texto ? 0 : cuenta; }
    // The text of that many thousandths, written with 3 decimals or, for a whole number of units, with none.
    static KovImporte exacta(qint64 milesimas, int decimales)
    {
        return KovImporte(milesimas, Exacta, quint8(decimales == 0 ? 0 : 3));
    }
    // Sums of exact texts within this many thousandths are summed as whole numbers, as mas() does.
    static constexpr qint64 kLimiteSuma = qint64(1) << 50;

    // The same text from the same held value.
    bool operator==(const KovImporte &otro) const;
    bool operator!=(const KovImporte &otro) const { return !(*this == otro); }

private:
    enum Forma : quint8 { Exacta, CeroNegativo, Texto };

    KovImporte(qint64 cuenta, quint8 forma, quint8 digitos) : cuenta(cuenta), forma(forma), digitos(digitos) {}

    // Up to this many thousandths in the two texts together, the doubles they read as (each within a relative
    // 2^-53 of its text) and their rounded sum stray from the exact sum by under a quarter of a thousandth: the
    // sum's text is that of the sum of the thousandths, unless at 0 decimals that sum ends in exactly half a unit,
    // which the doubles may land on either side of.
    static constexpr qint64 kSumaEntera = kLimiteSuma;

    bool sumaEntera(const KovImporte &otro, int decimales, KovImporte *r) const
    {
        if (forma == Texto || otro.forma == Texto)
            return false;
        const qint64 a = cuenta < 0 ? -cuenta : cuenta;
        const qint64 b = otro.cuenta < 0 ? -otro.cuenta : otro.cuenta;
        if (a + b > kSumaEntera)
            return false;
        const qint64 q = cuenta + otro.cuenta;
        if (decimales != 0) {
            *r = KovImporte(q, Exacta, 3);
            return true;
        }
        const qint64 resto = q % 1000;
        if (resto == 500 || resto == -500)
            return false;
        qint64 n = q / 1000;
        if (resto > 500)
            ++n;
        else if (resto < -500)
            --n;
        // A negative sum written as zero keeps its sign ("-0").
        *r = KovImporte(n * 1000, n == 0 && q < 0 ? CeroNegativo : Exacta, 0);
        return true;
    }

    // Exacta and CeroNegativo: the thousandths (a multiple of 1000 with 0 decimals); Texto: the bits of the value
    // the text is written from.
    qint64 cuenta;
    quint8 forma;
    quint8 digitos;
};

Q_DECLARE_TYPEINFO(KovImporte, Q_PRIMITIVE_TYPE);

#endif // KOVIMPORTE_H
