#ifndef KOVARBOLPATRON_H
#define KOVARBOLPATRON_H

#include <QPair>
#include <QString>
#include <QVector>

// A column pattern read as QRegExp::RegExp reads it, case-sensitive, into a tree: what each piece matches, where it
// captures, its anchors and look-aheads, and its counted repetitions as written (not yet copied). The own automaton
// is built from it, and QRegExp's cost of matching a pattern is worked out on it. The reading follows QRegExp's
// tokenizer and parser token by token, errors included, so that a pattern read here means what QRegExp makes of it.
class KovArbolPatron
{
public:
    enum Lectura {
        Leido,
        // QRegExp finds an error in it, and so matches no text with it; the judge of patterns has the last word.
        ConError,
        // Nested deeper than is read here.
        Profundo,
    };

    // The anchors, as flags: a path through the pattern that passes some of them needs them all to hold there.
    enum Ancla { Circunflejo = 1, Dolar = 2, Palabra = 4, NoPalabra = 8 };

    // A set of characters as QRegExp's classes hold one: ranges and Unicode categories, maybe negated.
    struct Clase
    {
        QVector<QPair<ushort, ushort>> rangos;
        quint32 categorias = 0;
        bool negada = false;

        bool contiene(ushort u) const;
        void agregaRango(ushort desde, ushort hasta);
    };

    struct Nodo
    {
        enum Tipo { Vacio, Caracter, Anclaje, Adelante, Referencia, Grupo, Secuencia, Alternativa, Repeticion };
        Tipo tipo = Vacio;
        // Caracter: its class; Anclaje: its flag; Referencia: the capture's number; Adelante: 1 when negative.
        int valor = 0;
        // Grupo: whether it captures.
        bool captura = false;
        // Repeticion: how many times, at least and at most (-1: no bound).
        int minimo = 1;
        int maximo = 1;
        // Grupo, Repeticion and Adelante: one; Secuencia and Alternativa: their parts.
        QVector<int> hijos;
    };

    static const int kProfundidadMaxima = 64;
    static const int kRepeticionMaxima = 1024;

    Lectura lee(const QString &patron);

    int raiz() const { return inicio; }
    const Nodo &nodo(int i) const { return nodos.at(i); }
    const Clase &clase(int i) const { return clases.at(i); }
    int nodosLeidos() const { return nodos.size(); }
    // Whether the piece holds a node of that type (and value), a look-ahead's own pattern left out.
    bool contiene(int nodo, Nodo::Tipo tipo, int valor = -1) const;
    // Whether a look-ahead holds one of the escapes \i \I \c \C \p \P: QRegExp's engine of a look-ahead leaves unset
    // the flag that tells whether they are classes, so what they mean there is left to chance. Read here, as
    // everywhere else in this syntax, as the letters themselves.
    bool azar() const { return alAzar; }

    // The pattern's text as QRegExp must be given it to read it as this tree does: QRegExp reads a class range over
    // every code unit, U+0000 to U+FFFF, as one over none, and the tree as one over every code unit, which is what a
    // layout's author means by it.
    QString paraQRegExp() const;

    // The Unicode category of every code unit, as QChar tells it, made once.
    static const uchar *tablaCategorias();

private:
    enum Token {
        Fin,
        Dolar_,
        ParentesisCaptura,
        ParentesisSimple,
        AdelantePositivo,
        AdelanteNegativo,
        Cierre,
        ConClase,
        Circunflejo_,
        Cuantificador,
        Barra,
        Limite,
        NoLimite,
        Letra,
        Retro,
    };

    // The counts that QRegExp keeps per engine: a look-ahead is an engine of its own.
    struct Motor
    {
        int adelantes = 0;
        int referencias = 0;
    };

    int siguiente();
    // Where in the text the character being read stands.
    int actual() const;
    void falla();
    int escape(Clase *clase);
    int repeticion(int omision);
    int token();

    int expresion(Motor *motor, int profundidad);
    int termino(Motor *motor, int profundidad);
    int factor(Motor *motor, int profundidad);
    int atomo(Motor *motor, int profundidad);
    int agrega(const Nodo &nodo);

    QString texto;
    int pos = 0;
    int car = -1;
    int tok = Fin;
    // The attributes of the last token: its character or back reference, its class, its counts.
    int valorToken = 0;
    Clase claseToken;
    int minRep = 0;
    int maxRep = 0;
    bool error = false;
    bool profundo = false;
    int enAdelante = 0;
    bool alAzar = false;
    // Where the class ranges over every code unit stand in the text, from their first character to past their last.
    QVector<QPair<int, int>> enteros;
    QVector<Nodo> nodos;
    QVector<Clase> clases;
    int inicio = -1;
};

#endif // KOVARBOLPATRON_H
