#ifndef KOVPOSICIONES_H
#define KOVPOSICIONES_H

#include "kovarbolpatron.h"

#include <QtGlobal>

#include <vector>

// The position automaton of a piece of a pattern, as bit sets: a position for each character the piece reads (two where
// its word boundaries need to tell word characters from others and the class holds both), the positions that may
// follow each, and the anchors on the way worked into which of them hold where; over an alphabet split into the classes
// of characters every test of the piece treats alike. The own automaton steps it, or determinizes it.
class KovPosiciones
{
public:
    // The alphabet: the class of each code unit, below 256 at once, above it through the distinct blocks of 256 code
    // units.
    struct Alfabeto
    {
        std::vector<quint16> bajo;
        std::vector<quint16> bloques;
        std::vector<quint16> altos;
        int nclases = 0;

        int clase(ushort u) const { return u < 256 ? bajo[u] : altos[bloques[u >> 8] + (u & 255)]; }
        qint64 bytes() const { return qint64(sizeof(quint16)) * qint64(bajo.size() + bloques.size() + altos.size()); }
    };

    // The positions as bit sets: those each class admits, those a text may start and end with.
    struct Bits
    {
        int posiciones = 0;
        int palabras = 0;
        std::vector<quint64> admite;
        std::vector<quint64> iniciales;
        std::vector<quint64> aceptan;
        bool aceptaVacio = false;

        qint64 bytes() const
        {
            return qint64(sizeof(quint64)) * qint64(admite.size() + iniciales.size() + aceptan.size());
        }
    };

    // Units of compiling work, of about a nanosecond each, for a word of a bit set.
    static constexpr double kTrabajoPorPalabra = 2;

    // Builds the automaton of the parts, one after the other, followed by ".*" when `cierre` (a look-ahead: what it
    // matched may be followed by anything). False past `maxPosiciones` positions or the work left.
    bool construye(const KovArbolPatron &arbol, const std::vector<int> &partes, bool cierre, int maxPosiciones,
                   double *trabajo);

    Alfabeto alfabeto;
    Bits bits;
    // The follow set of every position, one after the other, `bits.palabras` words each.
    std::vector<quint64> sigue;
};

#endif // KOVPOSICIONES_H
