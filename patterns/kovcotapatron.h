#ifndef KOVCOTAPATRON_H
#define KOVCOTAPATRON_H

#include <QHash>
#include <QString>

// The bound on what a book's column patterns may cost to compile, checked before any of them is compiled.
//
// QRegExp compiles a pattern with no limit of its own, under a lock that every thread of the process shares: a
// short pattern of nested counted repetitions takes seconds and gigabytes, a long one of optional groups minutes,
// and one of tens of thousands of groups asks for more memory than there is and ends the process. So each pattern
// is measured first, by following the parse that QRegExp's engine makes on summaries of its pieces (how many
// automaton states, how many of them start and end the piece, whether it can match the empty text, the lengths of
// its fixed texts): that tells the states, transitions, anchors, captures and work of the automaton without
// building it, and in time linear in the pattern's length.
class KovCotaPatron
{
public:
    // What compiling one pattern takes: work in units of about a nanosecond, the memory of its compiled engine,
    // and the memory that each column holding it takes besides. `excede` when the pattern is longer or more deeply
    // nested than any is let be, or its figures alone are past the bound (they are then no more than a lower
    // bound: the measuring stops there). `invalido` when QRegExp's parse meets an error in it: the engine then
    // reads the text of each failed lookahead again, and the figures count that too (known only short of `excede`).
    struct Medida
    {
        double trabajo = 0;
        double memoriaMotor = 0;
        double memoriaColumna = 0;
        bool excede = false;
        bool invalido = false;
    };

    static const int kLargoMaximo = 8192;
    static const int kProfundidadMaxima = 64;
    static constexpr double kTrabajoMaximo = 2e8;
    static constexpr double kMemoriaMaxima = 64.0 * 1024 * 1024;

    static Medida mide(const QString &patron);

    // How many patterns have been measured in this process, for the test that holds a pattern repeated in a
    // book's columns to one measuring.
    static int medidas();

    // Takes the pattern of one more column of the book; false, taking nothing, when the book's patterns would
    // then cost more than the bound. Columns with the same pattern share one compiled engine.
    bool admite(const QString &patron);

private:
    static Medida mide(const QString &patron, double trabajoMaximo, double memoriaMaxima);

    double trabajo = 0;
    double memoria = 0;
    QHash<QString, Medida> medidos;
};

#endif // KOVCOTAPATRON_H
