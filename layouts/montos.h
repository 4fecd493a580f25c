#ifndef MONTOS_H
#define MONTOS_H

#include "lecturamonto.h"

#include <QList>
#include <QtGlobal>

class KovColumna;

// The amounts of one record as the validators read them (leeMonto), each column read once: a validator's checks,
// totals, boxes and aggregates read the same few amounts again and again. Made for one call and used on its
// thread only.
class Montos
{
public:
    explicit Montos(QList<KovColumna> *cols) : cols(cols) {}

    LecturaMonto lectura(int col) const;
    double operator[](int col) const { return lectura(col).valor; }

private:
    // The widest layout has 41 columns; a column past these is read each time it is asked for.
    static const int kColumnasGuardadas = 48;

    QList<KovColumna> *cols;
    mutable LecturaMonto lecturas[kColumnasGuardadas];
    mutable quint64 leidas = 0;
};

#endif // MONTOS_H
