#ifndef KOVCONJUNTOS_H
#define KOVCONJUNTOS_H

#include <QtGlobal>

#include <algorithm>
#include <cstddef>
#include <vector>

// An open-addressed table of bit sets held in one array, each `palabras` words long: the sets of positions an
// automaton's construction meets, each numbered once.
class KovConjuntos
{
public:
    explicit KovConjuntos(int palabras) : palabras(palabras), huecos(1024, -1) {}

    int busca(const quint64 *conjunto) const
    {
        for (size_t h = hash(conjunto) & (huecos.size() - 1);; h = (h + 1) & (huecos.size() - 1)) {
            if (huecos[h] < 0)
                return -1;
            if (std::equal(conjunto, conjunto + palabras, conjuntos.data() + size_t(huecos[h]) * size_t(palabras)))
                return huecos[h];
        }
    }

    int agrega(const quint64 *conjunto)
    {
        const int n = cuantos();
        conjuntos.insert(conjuntos.end(), conjunto, conjunto + palabras);
        if (size_t(n + 1) * 2 > huecos.size()) {
            std::vector<int> viejos(huecos.size() * 2, -1);
            huecos.swap(viejos);
            for (int i = 0; i < n; ++i)
                coloca(i);
        }
        coloca(n);
        return n;
    }

    int cuantos() const { return int(conjuntos.size() / size_t(palabras)); }
    const quint64 *conjunto(int i) const { return conjuntos.data() + size_t(i) * size_t(palabras); }

private:
    size_t hash(const quint64 *conjunto) const
    {
        quint64 h = 0x9E3779B97F4A7C15ull;
        for (int w = 0; w < palabras; ++w)
            h = (h ^ conjunto[w]) * 0xC2B2AE3D27D4EB4Full;
        // A product carries a bit only upwards: the high bits are folded down before the table's low bits are taken.
        h ^= h >> 33;
        h *= 0xFF51AFD7ED558CCDull;
        return size_t(h ^ (h >> 33));
    }

    void coloca(int i)
    {
        size_t h = hash(conjunto(i)) & (huecos.size() - 1);
        while (huecos[h] >= 0)
            h = (h + 1) & (huecos.size() - 1);
        huecos[h] = i;
    }

    int palabras;
    std::vector<quint64> conjuntos;
    std::vector<int> huecos;
};


#endif // KOVCONJUNTOS_H
