#ifndef KOVPATRON_H
#define KOVPATRON_H

#include <QHash>
#include <QPair>
#include <QString>
#include <QVector>

// A compiled form of the column patterns that use only the plain part of the QRegExp syntax: literals, ".",
// classes with ranges, \d \s \w and their negations, escaped punctuation, groups, alternatives and the quantifiers
// ? * + {n} {n,} {n,m}. Whether a whole text belongs to such a pattern's language is all the line reader asks, and
// a Thompson automaton answers it without QRegExp's per-match set-up. Anything else (back references, look-aheads,
// anchors inside, escapes with letters, POSIX classes) stays with QRegExp, as do patterns that would grow large.
class KovPatron
{
public:
    // False when the pattern leaves the plain part; the column then keeps its QRegExp.
    bool compila(const QString &patron);
    // Whether the whole text belongs to the compiled pattern's language, as QRegExp::exactMatch tells it.
    bool coincide(const QString &valor) const;

private:
    enum { kMaxEstados = 4000, kMaxRepeticion = 100, kMaxDfa = 512, kMuerto = -1, kDesconocido = -2 };

    struct Clase
    {
        QVector<QPair<ushort, ushort>> rangos;
        bool digito = false, noDigito = false, blanco = false, noBlanco = false, palabra = false,
             noPalabra = false;
        bool negada = false;

        bool contiene(QChar ch) const;
    };

    struct Nodo
    {
        enum Tipo { Literal, Cualquiera, ConClase, Secuencia, Alternativa } tipo = Secuencia;
        ushort caracter = 0;
        int clase = -1;
        int minimo = 1;
        int maximo = 1; // -1: no upper bound
        QVector<Nodo> hijos;
    };

    struct Estado
    {
        enum Tipo { Caracter, Cualquiera, ConClase, Division, Final } tipo;
        ushort caracter;
        int clase;
        int salida;
        int otra;
    };

    struct Fragmento
    {
        int inicio = -1;
        QVector<int> salidas; // states whose `salida` still has to be patched
        QVector<int> otras;   // division states whose `otra` still has to be patched
    };

    // The parser: the pattern's text into a tree of nodes.
    bool alternativas(Nodo *nodo);
    bool secuencia(Nodo *nodo);
    static bool esPuntuacion(QChar ch);
    bool claseEscapada(QChar e, Clase *clase);
    bool unAtomo(Nodo *nodo);
    bool unaClase(Nodo *nodo);
    bool numeroEn(int *valor);
    bool cuantificador(Nodo *nodo);

    // The construction: the tree into automaton states.
    int nuevo(Estado::Tipo tipo, ushort caracter = 0, int clase = -1);
    void enlaza(const Fragmento &f, int destino);
    bool una(const Nodo &nodo, Fragmento *f);
    bool copiaTrasDivision(const Nodo &nodo, Fragmento *h, int *d);
    bool construye(const Nodo &nodo, Fragmento *f);

    // The run: sets of automaton states as the states of a DFA built as texts need them.
    bool acepta(const Estado &e, QChar ch) const;
    QVector<int> cierre(const QVector<int> &desde) const;
    int numeroDe(const QVector<int> &conjunto) const;
    int paso(int d, QChar ch) const;

    QString texto;
    int pos = 0;
    QVector<Estado> estados;
    QVector<Clase> clases;
    int inicio = -1;
    mutable int dfaInicial = -1;
    mutable int vaciado = 0;
    mutable QVector<QVector<int>> conjuntos;
    mutable QHash<QVector<int>, int> numeros;
    mutable QVector<bool> finales;
    mutable QVector<int> movidas;
};

#endif // KOVPATRON_H
