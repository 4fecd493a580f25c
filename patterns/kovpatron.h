#ifndef KOVPATRON_H
#define KOVPATRON_H

#include "kovarbolpatron.h"

class KovPosiciones;

#include <QString>
#include <QtGlobal>

#include <vector>

// The own automaton of a column pattern: whether a whole text belongs to the pattern's language, as
// QRegExp::exactMatch tells it, at a cost per character that is known when it is compiled and bounded whatever the
// text. It takes every form of QRegExp's syntax but back references: the anchors ^, $, \b and \B anywhere, the
// look-aheads that open the pattern (each one a second automaton run on the whole text), and look-aheads anywhere
// else, each decided for every point of the text in one pass from its end before the automaton that tests it reads
// the text (where they are whole DFAs). A pattern beyond it stays with QRegExp, whose own cost is bounded elsewhere.
//
// A pattern is a set of automata over its positions (the characters it reads), each with an alphabet split into the
// classes of characters every test of the pattern treats alike. Where the whole DFA fits a bound it is built at once
// and a character costs one table step; otherwise the automaton is stepped as bit sets of positions, and its worst
// step, read from the automaton itself, must fit the budget per character or the pattern is refused. Once compiled
// the pattern is never written again, so every checker of a book shares it, each with a small scratch of its own.
class KovPatron
{
public:
    enum Resultado {
        Compilado,
        // Beyond the automaton: the pattern stays with QRegExp.
        Ajeno,
        // The automaton takes it, but matching it would cost more per character than the budget, or compiling it more
        // than is left: a column that cannot be built.
        Excesivo,
    };

    // What compiling may still spend: units of work of about a nanosecond, and bytes of compiled automata.
    struct Presupuesto
    {
        double trabajo = 5e7;
        double memoria = 8.0 * 1024 * 1024;
        // Whether a whole DFA may be built: without, every automaton is stepped as bit sets, which the tests hold
        // to the DFA.
        bool dfa = true;
        // Whether bit sets may be stepped as shifts where that is cheaper, which the tests hold to the plain step.
        bool desplazamientos = true;
    };

    // A checker's own scratch for the patterns it matches.
    struct Rastro
    {
        std::vector<quint64> palabras;
        std::vector<quint32> sellos;
        quint32 paso = 0;
        // The look-aheads that hold at each point of the text, for each automaton that tests some.
        std::vector<quint16> marcas;
    };

    // The most a pattern may cost per character, in nanoseconds of this machine: every automaton it runs.
    static constexpr double kCostoMaximo = 1000;
    static const int kMaxPosiciones = 4096;
    static const int kMaxFilasDfa = 4096;
    static const int kMaxCeldasDfa = 1 << 20;
    // How many automata may test look-aheads decided at every point: each keeps two bytes per character of the field
    // in its checker's scratch, and a field may be as long as a line; past this the pattern stays with QRegExp.
    static const int kMaxMarcas = 2;
    // What one pattern's DFA may take to build, in units of work, before it is stepped as bit sets instead.
    static constexpr double kTrabajoDfa = 3e7;

    KovPatron();
    ~KovPatron();
    KovPatron(KovPatron &&otro) noexcept;
    KovPatron &operator=(KovPatron &&otro) noexcept;
    KovPatron(const KovPatron &) = delete;
    KovPatron &operator=(const KovPatron &) = delete;

    Resultado compila(const QString &patron);
    Resultado compila(const KovArbolPatron &arbol, Presupuesto *presupuesto);

    // Whether the whole text belongs to the compiled pattern's language; `rastro` is this thread's alone.
    bool coincide(const QString &valor, Rastro *rastro) const;
    // The same with a scratch made for the call.
    bool coincide(const QString &valor) const;
    void preparaRastro(Rastro *rastro) const;

    // The worst cost of a character, in nanoseconds, by the model of the automata's steps.
    double costoPorCaracter() const;
    // Bytes of the compiled automata, and of one checker's scratch.
    qint64 memoria() const;
    qint64 memoriaRastro() const;
    // Whether every automaton of the pattern is a whole DFA.
    bool completo() const;

private:
    // One automaton over the text: its alphabet, and its whole DFA or its positions' bit sets.
    struct Programa;

    // A look-ahead at the start: its automaton, whether it is negative, and the look-aheads that open it in turn.
    struct Condicion
    {
        int programa = 0;
        bool negada = false;
        std::vector<int> hijas;
    };

    static Resultado construye(const KovArbolPatron &arbol, const std::vector<int> &partes, bool cierre,
                               bool invertido, const std::vector<int> &adelantes, Presupuesto *presupuesto,
                               Programa *programa);
    static bool desplazamientos(const KovPosiciones &automata, Presupuesto *presupuesto, Programa *programa);
    Resultado condicion(const KovArbolPatron &arbol, int adelante, Presupuesto *presupuesto, int *indice);
    // Builds the program of `partes`, adds it (*indice is its place) and has the look-aheads it tests decided.
    Resultado agregaPrograma(const KovArbolPatron &arbol, const std::vector<int> &partes, bool cierre, bool invertido,
                             Presupuesto *presupuesto, int *indice);
    // The automata, read from the end, that decide the look-aheads program `duenio` tests.
    Resultado decideAdelantes(const KovArbolPatron &arbol, const std::vector<int> &adelantes, int duenio,
                              Presupuesto *presupuesto);
    void limpia();
    bool cumple(int condicion, const QChar *texto, int largo, Rastro *rastro) const;

    std::vector<Programa> programas;
    std::vector<Condicion> condiciones;
    // The conditions of the pattern itself; its own automaton is the first.
    std::vector<int> raices;
    // A look-ahead past the start: the automaton that decides it, read from the end, and the bit it sets in the
    // marks of the program that tests it; inner ones before those that hold them.
    struct Reverso
    {
        int programa;
        int duenio;
        int bit;
        bool negada;
    };
    std::vector<Reverso> reversos;
    int marcas = 0;
    double costo = 0;
};

#endif // KOVPATRON_H
