#include "montos.h"

#include "rulehelpers.h"

LecturaMonto Montos::lectura(int col) const
{
    if (col < 1 || col > kColumnasGuardadas)
        return leeMonto(getData(cols, col));
    const int i = col - 1;
    const quint64 bit = quint64(1) << i;
    if (!(leidas & bit)) {
        lecturas[i] = leeMonto(getData(cols, col));
        leidas |= bit;
    }
    return lecturas[i];
}
