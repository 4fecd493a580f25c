#ifndef BENCHDICE_H
#define BENCHDICE_H

#include <QtGlobal>

// Reproducible draws for one record: the same record always gets the same values.
class BenchDice
{
public:
    explicit BenchDice(qint64 record);
    // A value in [0, n).
    int below(int n);
    qint64 below64(qint64 n);

private:
    quint64 state;
};

#endif // BENCHDICE_H
