#ifndef KOVCOSTOQREGEXP_H
#define KOVCOSTOQREGEXP_H

#include "kovarbolpatron.h"

// What QRegExp's matcher costs per character of a text, at worst, for a pattern: worked out on the pattern's tree by
// following how QRegExp builds its automaton (its states, the transitions between them with the anchors each one
// tests, the captures every transition copies) and charging each character what a step over all of them costs.
// A step tests every transition out of every current state: its anchors (a look-ahead runs a match of its own on the
// rest of the text), the character (a class is searched range by range, a back reference compared as long as its
// capture), and copies the captures along; back references put states to sleep, and each step looks at every
// sleeper. Whatever has no bound (a look-ahead or a back reference without a finite length, where the text decides)
// counts as beyond every budget.
class KovCostoQRegExp
{
public:
    struct Medida
    {
        // Nanoseconds of this machine per character, at worst.
        double porCaracter = 0;
        // The automaton's states and captures, which size the match state each holder of the pattern keeps.
        double estados = 0;
        double capturas = 0;
        // The bytes of that match state.
        double memoriaCoincidencia = 0;
        // What the pattern means is left to chance (see KovArbolPatron::azar), or the matcher would read out of
        // bounds: no budget admits it.
        bool inseguro = false;
        // Units of set-up work, of about a nanosecond each, that working it out took.
        double trabajo = 0;
    };

    // Past `trabajo` units of work the pattern counts as beyond every budget.
    static Medida mide(const KovArbolPatron &arbol, double trabajo = 1e300);
};

#endif // KOVCOSTOQREGEXP_H
