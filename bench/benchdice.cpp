#include "benchdice.h"

namespace {

quint64 mix(quint64 z)
{
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

} // namespace

// Seeded through the mix, so that neighbouring records draw unrelated values.
BenchDice::BenchDice(qint64 record)
    : state(mix(quint64(record) + 0x632BE59BD9B4E019ULL))
{
}

int BenchDice::below(int n)
{
    return int(below64(n));
}

qint64 BenchDice::below64(qint64 n)
{
    // splitmix64: cheap, and every draw of a record differs from the one before.
    return qint64(mix(state += 0x9E3779B97F4A7C15ULL) % quint64(n));
}
