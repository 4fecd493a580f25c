#ifndef KOVPATRONES_H
#define KOVPATRONES_H

#include "kovarbolpatron.h"
#include "kovjuezpatron.h"
#include "kovpatron.h"

#include <QHash>
#include <QRegExp>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

// The column patterns of one book, set up once and shared by every checker of the book: each distinct pattern text
// compiled once, into the own automaton where it takes the pattern and otherwise into one QRegExp that the checkers
// copy (sharing its compiled engine, each copy with match state of its own). Every pattern is matched at a cost per
// character bounded at set-up, whichever engine matches it and whatever the text, and everything the book's patterns
// hold while it is read (their automata and engines, and what each checker the book can have at once keeps for
// them) is bounded too; a layout past either bound is refused.
class KovPatrones
{
public:
    enum Modo {
        Ninguno,
        Automata,
        ExpresionQt,
        // QRegExp finds the pattern invalid: it matches no text.
        Nada,
    };

    // The most a book's patterns may hold, every checker counted; and the most their compiling may take, in units of
    // about a nanosecond.
    static constexpr double kMemoriaMaxima = 16.0 * 1024 * 1024;
    static constexpr double kTrabajoMaximo = 3e8;
    // The most processor time compiling a book's QRegExps may take here, as the judge measured each: what one child
    // may spend judging them.
    static const qint64 kCompilacionMaximaUs = KovJuezPatron::kProcesadorHijoUs;
    // The longest pattern read at all.
    static const int kLargoMaximo = 8192;

    // A checker's own state for the book's patterns: its automaton scratch and its copies of the QRegExps.
    class Revision
    {
    public:
        Revision() = default;
        Revision(const Revision &) = delete;
        Revision &operator=(const Revision &) = delete;

    private:
        friend class KovPatrones;
        KovPatron::Rastro rastro;
        std::vector<std::unique_ptr<QRegExp>> copias;
        bool lista = false;
    };

    // `revisores`: how many checkers the book can have at once.
    explicit KovPatrones(int revisores);

    // Takes the pattern of the next column; false when the column cannot be built.
    bool agrega(const QString &patron);
    // Once every column is in: judges the patterns only QRegExp can match, bounds what they cost, and compiles each
    // once. False when one of them cannot be built, or the book's patterns together would hold too much or take too
    // long to compile.
    bool termina();

    // Whether column `columna` (from 0) admits the value: true without a pattern, as QRegExp::exactMatch tells it
    // otherwise. `revision` belongs to the calling thread.
    bool coincide(int columna, const QString &valor, Revision *revision) const;

    // The text of column `columna`'s pattern as QRegExp is to be given it, wherever it is matched with QRegExp, so
    // that it means there what the own automaton makes of it (see KovArbolPatron::paraQRegExp).
    QString paraQRegExp(int columna) const;
    Modo modo(int columna) const;
    // The worst cost per character of column `columna`'s pattern, in nanoseconds.
    double costo(int columna) const;
    // What the book's patterns hold at most while it is read, in bytes, every checker counted.
    double memoria() const;
    // The units of set-up work the book's patterns have been charged so far.
    double trabajo() const { return kTrabajoMaximo - presupuesto.trabajo; }

    // How many patterns objects of this class have compiled with QRegExp in this process, for the tests that hold a
    // refused pattern to never having been compiled here.
    static int compilaciones();

private:
    struct Patron
    {
        // As QRegExp is given it.
        QString texto;
        Modo modo = Ninguno;
        KovPatron automata;
        std::unique_ptr<QRegExp> expresion;
        // Whether what QRegExp's matcher costs for it was worked out.
        bool medido = false;
        double costo = 0;
        // The memory of its automaton or of its engine (as the judge measured it), and what each checker keeps for it.
        double propia = 0;
        double porRevisor = 0;
    };

    // The pattern of column `columna`, or -1 when it has none.
    int indice(int columna) const;
    void prepara(Revision *revision) const;

    int revisores;
    std::vector<Patron> patrones;
    QHash<QString, int> indices;
    std::vector<int> porColumna;
    KovPatron::Presupuesto presupuesto;
};

#endif // KOVPATRONES_H
