#include "kovcotapatron.h"

#include <QAtomicInt>

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

QAtomicInt gMedidas;

const int kFin = -1;
// A counted repetition of QRegExp stops at this count; a written count from it on is an error, read as the default.
const int kRepeticionInfinita = 1025;
// Back references and lookaheads past these many are refused by QRegExp's engine, each an error of the pattern.
const int kReferenciasMaximas = 14;
const int kAdelantesMaximos = 13;
const qint64 kLargoInfinito = std::numeric_limits<qint64>::max();

// Units of work of QRegExp's engine, in about a nanosecond each on the machines this runs on; measured against it.
const double kPorCaracter = 2;
const double kPorEstado = 60;
const double kPorCaja = 150;
const double kPorTransicion = 12;
const double kPorSalida = 4;
const double kPorUnion = 2;
const double kPorAncla = 60;
const double kPorRango = 4;
const double kPorCopia = 0.25;
const double kPorNodoAncla = 100;

// Bytes of its memory.
const double kBytesEstado = 128;
const double kBytesClase = 360;
const double kBytesRango = 8;
const double kBytesTransicion = 8;
const double kBytesAncla = 64;
const double kBytesAtomo = 16;
// An alternation of anchors is a pair of integers in a vector that grows by doubling.
const double kBytesNodoAncla = 16;

// Past this the figures mean only "far beyond the bound"; it keeps products of them finite.
const double kTope = 1e18;

// What the engine has built so far. Its lookaheads are engines of their own, counted here too. The measuring stops
// once the figures pass the bound it was given.
struct Costos
{
    double trabajoMaximo = KovCotaPatron::kTrabajoMaximo;
    double memoriaMaxima = KovCotaPatron::kMemoriaMaxima;
    double estados = 0;
    double clases = 0;
    double rangos = 0;
    double transiciones = 0;
    double anclas = 0;
    double atomos = 0;
    double nodosAncla = 0;
    double trabajo = 0;

    void suma(const Costos &antes, const Costos &despues, double veces)
    {
        estados += (despues.estados - antes.estados) * veces;
        clases += (despues.clases - antes.clases) * veces;
        rangos += (despues.rangos - antes.rangos) * veces;
        transiciones += (despues.transiciones - antes.transiciones) * veces;
        anclas += (despues.anclas - antes.anclas) * veces;
        atomos += (despues.atomos - antes.atomos) * veces;
        nodosAncla += (despues.nodosAncla - antes.nodosAncla) * veces;
        trabajo += (despues.trabajo - antes.trabajo) * veces;
    }

    double memoria() const
    {
        return estados * kBytesEstado + clases * kBytesClase + rangos * kBytesRango
               + transiciones * kBytesTransicion + anclas * kBytesAncla + atomos * kBytesAtomo
               + nodosAncla * kBytesNodoAncla;
    }
};

// A piece of the automaton as the engine's parse holds it: the sizes of its sets of first and last states and of
// their anchor maps, whether it matches the empty text (and then with anchors), and its fixed texts' lengths.
//
// An anchor is either a set of conditions or an alternation of two anchors, and the engine joins two anchors by
// distributing one over the leaves of the other, building every alternation in it anew: so each anchor is summed up
// by its leaves, which is what joining it costs. `pesoPrimeros` and `pesoUltimos` add up the leaves of the anchors
// of the first and last states (one for a state with none), `hojasVacia` those of the anchor met when the piece
// matches the empty text.
struct Caja
{
    double primeros = 0;
    double ultimos = 0;
    // How many transitions leave the last states already: the engine merges each new one into a sorted list.
    double salidasUltimos = 0;
    double anclasPrimeros = 0;
    double anclasUltimos = 0;
    bool anclaVacia = false;
    double pesoPrimeros = 0;
    double pesoUltimos = 0;
    double hojasVacia = 1;
    qint64 minimo = 0;
    qint64 maximo = 0;
    qint64 fijo = 0;
    qint64 fijoIzquierda = 0;
    qint64 fijoDerecha = 0;
};

qint64 sumaLargos(qint64 a, qint64 b)
{
    return a == kLargoInfinito || b == kLargoInfinito || a > kLargoInfinito - b ? kLargoInfinito : a + b;
}

// Follows QRegExp's parse of a pattern, token by token as its tokenizer reads them, with summaries in place of
// the pieces. Where the engine parses an atom again for each copy of a counted repetition, the costs of the first
// parse are counted as many times over.
class Medidor
{
public:
    Medidor(const QChar *texto, int largo, int profundidad, Costos *costos)
        : texto(texto), largo(largo), profundidad(profundidad), costos(costos)
    {
    }

    // Where the parse stopped, as the engine reports it: -1 after an error of the pattern, which makes an engine
    // that parses a lookahead leave its text to be read again by the engine that holds it.
    int analiza();
    // What sizes this engine's match state: its captures, which the back references add to.
    double capturasParaCoincidir() const;
    qint64 minimo = 0;
    bool excede = false;

private:
    enum Token {
        Fin,
        Dolar,
        Circunflejo,
        Parentesis,
        ParentesisSinCaptura,
        Adelante,
        Cierre,
        Barra,
        Cuantificador,
        Clase,
        Caracter,
        Referencia,
        Palabra,
        NoPalabra
    };

    int siguiente();
    int escape();
    int repeticion(int omision);
    int token();
    void salta(int n);

    void expresion(Caja *caja);
    void termino(Caja *caja);
    void factor(Caja *caja);
    void atomo(Caja *caja);

    void nuevoEstado(double rangosClase, bool esClase);
    void concatena(Caja *a, const Caja &b);
    void alterna(Caja *a, const Caja &b);
    void repite(Caja *caja);
    void enlaza(double pares, double salidas);
    void alternaciones(double nodos);
    static void opcional(Caja *caja);
    void ancla(Caja *caja);
    bool pasado();

    const QChar *texto;
    int largo;
    int profundidad;
    Costos *costos;

    int pos = 0;
    int pos0 = 0;
    int car = kFin;
    int tok = Fin;
    int minRep = 0;
    int maxRep = 0;
    int referencia = 0;
    double rangosClase = 0;
    bool puedeCapturar = true;
    bool conError = false;
    int capturas = 0;
    int referenciaMayor = 0;
    double adelantes = 0;
};

int Medidor::siguiente()
{
    costos->trabajo += kPorCaracter;
    return pos == largo ? kFin : texto[pos++].unicode();
}

int Medidor::escape()
{
    const int previo = car;
    if (previo == kFin) {
        conError = true;
        return Caracter;
    }
    car = siguiente();
    if (previo > 0 && previo < 0x80 && std::strchr("afnrtv", previo))
        return Caracter;
    switch (previo) {
    case '0': {
        int valor = 0;
        for (int i = 0; i < 3 && car >= '0' && car <= '7'; ++i) {
            valor = (valor << 3) | (car - '0');
            car = siguiente();
        }
        if (valor > 0377)
            conError = true;
        return Caracter;
    }
    case 'B':
        return NoPalabra;
    case 'b':
        return Palabra;
    case 'D':
    case 'd':
    case 'I':
    case 'i':
    case 'C':
    case 'c':
    case 'P':
    case 'p':
        return Clase;
    case 's':
    case 'w':
        rangosClase += 1;
        return Clase;
    case 'S':
        rangosClase += 3;
        return Clase;
    case 'W':
        rangosClase += 8;
        return Clase;
    case 'x':
        for (int i = 0; i < 4; ++i) {
            const int c = car >= 'A' && car <= 'F' ? car - 'A' + 'a' : car;
            if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
                break;
            car = siguiente();
        }
        return Caracter;
    default:
        if (previo >= '1' && previo <= '9') {
            quint16 valor = quint16(previo - '0');
            while (car >= '0' && car <= '9') {
                valor = quint16(valor * 10 + (car - '0'));
                car = siguiente();
            }
            referencia = valor;
            return Referencia;
        }
        return Caracter;
    }
}

int Medidor::repeticion(int omision)
{
    if (car < '0' || car > '9')
        return omision;
    int n = 0;
    do {
        n = 10 * n + car - '0';
        if (n >= kRepeticionInfinita) {
            conError = true;
            n = omision;
        }
        car = siguiente();
    } while (car >= '0' && car <= '9');
    return n;
}

int Medidor::token()
{
    int previo = car;
    pos0 = pos - 1;
    rangosClase = 0;
    minRep = 0;
    maxRep = 0;
    car = siguiente();
    switch (previo) {
    case kFin:
        pos0 = pos;
        return Fin;
    case '$':
        return Dolar;
    case '(':
        if (car == '?') {
            previo = siguiente();
            car = siguiente();
            if (previo == '!' || previo == '=')
                return Adelante;
            if (previo != ':')
                conError = true;
            return ParentesisSinCaptura;
        }
        return Parentesis;
    case ')':
        return Cierre;
    case '*':
        maxRep = kRepeticionInfinita;
        return Cuantificador;
    case '+':
        minRep = 1;
        maxRep = kRepeticionInfinita;
        return Cuantificador;
    case '?':
        maxRep = 1;
        return Cuantificador;
    case '.':
        return Clase;
    case '[':
        if (car == '^')
            car = siguiente();
        // As the engine reads a class: the first character is taken whatever it is, even "]".
        do {
            if (car == '\\') {
                car = siguiente();
                const int dentro = escape();
                if (dentro == Palabra || dentro == NoPalabra || dentro == Referencia)
                    conError = true;
            } else {
                car = siguiente();
            }
            rangosClase += 1;
        } while (car != ']' && car != kFin);
        if (car == kFin)
            conError = true;
        else
            car = siguiente();
        return Clase;
    case '\\':
        return escape();
    case ']':
    case '}':
        conError = true;
        return Caracter;
    case '^':
        return Circunflejo;
    case '{':
        minRep = repeticion(0);
        maxRep = minRep;
        if (car == ',') {
            car = siguiente();
            maxRep = repeticion(kRepeticionInfinita);
        }
        if (maxRep < minRep || car != '}')
            conError = true;
        car = siguiente();
        return Cuantificador;
    case '|':
        return Barra;
    default:
        return Caracter;
    }
}

void Medidor::salta(int n)
{
    if (n > 0) {
        pos += n - 1;
        car = siguiente();
    }
}

bool Medidor::pasado()
{
    if (!excede && (costos->trabajo > costos->trabajoMaximo || costos->memoria() > costos->memoriaMaxima))
        excede = true;
    return excede;
}

void Medidor::nuevoEstado(double rangos, bool esClase)
{
    costos->estados += 1;
    costos->trabajo += kPorEstado;
    if (esClase) {
        costos->clases += 1;
        costos->rangos += rangos;
        costos->trabajo += kPorRango * rangos;
    }
}

// The first and last states of both joined: every last state of `a` leads to every first state of `b`. The
// engine merges each new transition into its state's sorted list, and enters an anchor for it in a map (one of
// none at all, dropped only once the whole pattern is parsed).
void Medidor::concatena(Caja *a, const Caja &b)
{
    const double pares = a->ultimos * b.primeros;
    enlaza(pares, a->salidasUltimos);
    // Each pair's anchor is the join of the last state's and the first state's.
    alternaciones(a->pesoUltimos * b.pesoPrimeros - pares);
    costos->trabajo += kPorCaja;
    a->salidasUltimos += pares;
    if (a->minimo == 0) {
        a->anclasPrimeros += b.anclasPrimeros;
        double peso = b.pesoPrimeros;
        if (a->anclaVacia) {
            a->anclasPrimeros = std::min(a->primeros + b.primeros, a->anclasPrimeros + b.primeros);
            costos->trabajo += kPorAncla * b.primeros;
            peso = std::min(kTope, b.pesoPrimeros * a->hojasVacia);
            alternaciones(peso - b.primeros);
        }
        a->primeros += b.primeros;
        a->pesoPrimeros = std::min(kTope, a->pesoPrimeros + peso);
        costos->trabajo += kPorUnion * (a->primeros + a->anclasPrimeros);
    }
    if (b.minimo == 0) {
        a->anclasUltimos += b.anclasUltimos;
        double peso = a->pesoUltimos;
        if (b.anclaVacia) {
            a->anclasUltimos = std::min(a->ultimos + b.ultimos, a->anclasUltimos + a->ultimos);
            costos->trabajo += kPorAncla * a->ultimos;
            peso = std::min(kTope, a->pesoUltimos * b.hojasVacia);
            alternaciones(peso - a->ultimos);
        }
        a->ultimos += b.ultimos;
        a->pesoUltimos = std::min(kTope, peso + b.pesoUltimos);
        a->salidasUltimos += b.salidasUltimos;
        costos->trabajo += kPorUnion * (a->ultimos + a->anclasUltimos);
    } else {
        a->anclasUltimos = b.anclasUltimos;
        a->ultimos = b.ultimos;
        a->pesoUltimos = b.pesoUltimos;
        a->salidasUltimos = b.salidasUltimos;
    }

    // The fixed texts the engine keeps for its search heuristics are built by copying.
    if (a->maximo != kLargoInfinito) {
        if (a->fijoDerecha + b.fijoIzquierda > std::max(a->fijo, b.fijo)) {
            a->fijo = a->fijoDerecha + b.fijoIzquierda;
            costos->trabajo += kPorCopia * double(a->fijo);
        } else if (b.fijo > a->fijo) {
            a->fijo = b.fijo;
        }
    }
    if (a->fijoIzquierda == a->maximo) {
        a->fijoIzquierda = sumaLargos(a->fijoIzquierda, b.fijoIzquierda);
        costos->trabajo += kPorCopia * double(a->fijoIzquierda);
    }
    if (b.fijoDerecha == b.maximo) {
        a->fijoDerecha = sumaLargos(a->fijoDerecha, b.fijoDerecha);
        costos->trabajo += kPorCopia * double(a->fijoDerecha);
    } else {
        a->fijoDerecha = b.fijoDerecha;
    }
    a->maximo = sumaLargos(a->maximo, b.maximo);
    a->minimo = sumaLargos(a->minimo, b.minimo);
    a->anclaVacia = a->minimo == 0 && (a->anclaVacia || b.anclaVacia);
    a->hojasVacia = a->anclaVacia ? std::min(kTope, a->hojasVacia * b.hojasVacia) : 1;
    alternaciones(a->hojasVacia - 1);
}

void Medidor::alterna(Caja *a, const Caja &b)
{
    a->primeros += b.primeros;
    a->anclasPrimeros += b.anclasPrimeros;
    a->ultimos += b.ultimos;
    a->salidasUltimos += b.salidasUltimos;
    a->anclasUltimos += b.anclasUltimos;
    a->pesoPrimeros = std::min(kTope, a->pesoPrimeros + b.pesoPrimeros);
    a->pesoUltimos = std::min(kTope, a->pesoUltimos + b.pesoUltimos);
    costos->trabajo += kPorCaja + kPorUnion * (a->primeros + a->ultimos + a->anclasPrimeros + a->anclasUltimos);
    if (b.minimo == 0 && a->minimo == 0) {
        // Either anchor alone, or their alternation: an anchor of no conditions takes the place of a plain one.
        const bool alternas = a->hojasVacia > 1 || b.hojasVacia > 1;
        if (alternas || (a->anclaVacia && b.anclaVacia)) {
            a->hojasVacia = std::min(kTope, a->hojasVacia + b.hojasVacia);
            alternaciones(1);
            a->anclaVacia = true;
        } else {
            a->anclaVacia = false;
        }
    } else if (b.minimo == 0) {
        a->anclaVacia = b.anclaVacia;
        a->hojasVacia = b.hojasVacia;
    }
    a->fijo = a->fijoIzquierda = a->fijoDerecha = 0;
    a->maximo = std::max(a->maximo, b.maximo);
    a->minimo = std::min(a->minimo, b.minimo);
}

// A loop from the last states back to the first.
void Medidor::repite(Caja *caja)
{
    const double pares = caja->ultimos * caja->primeros;
    enlaza(pares, caja->salidasUltimos);
    alternaciones(caja->pesoUltimos * caja->pesoPrimeros - pares);
    // Then the anchors of the same pairs once more, where a capturing group also notes where the loop re-enters.
    costos->anclas += pares;
    costos->trabajo += kPorAncla * pares;
    caja->salidasUltimos += pares;
    caja->maximo = kLargoInfinito;
}

void Medidor::enlaza(double pares, double salidas)
{
    costos->transiciones += pares;
    costos->anclas += pares;
    costos->trabajo += (kPorTransicion + kPorAncla) * pares + kPorSalida * salidas;
}

// Alternations of anchors built: an anchor of n leaves built anew is n - 1 of them.
void Medidor::alternaciones(double nodos)
{
    if (nodos <= 0)
        return;
    costos->nodosAncla = std::min(kTope, costos->nodosAncla + nodos);
    costos->trabajo = std::min(kTope, costos->trabajo + kPorNodoAncla * nodos);
}

void Medidor::opcional(Caja *caja)
{
    caja->fijo = caja->fijoIzquierda = caja->fijoDerecha = 0;
    caja->anclaVacia = false;
    caja->hojasVacia = 1;
    caja->minimo = 0;
}

void Medidor::ancla(Caja *caja)
{
    caja->anclasUltimos = caja->ultimos;
    costos->trabajo += kPorAncla * caja->ultimos;
    if (caja->minimo == 0)
        caja->anclaVacia = true;
}

int Medidor::analiza()
{
    car = siguiente();
    tok = token();
    costos->atomos += 1;
    Caja inicial;
    nuevoEstado(0, true);
    inicial.primeros = inicial.ultimos = 1;
    inicial.pesoPrimeros = inicial.pesoUltimos = 1;
    inicial.minimo = inicial.maximo = 1;
    Caja final = inicial;
    nuevoEstado(0, true);
    Caja medio;
    expresion(&medio);
    if (pasado())
        return -1;
    minimo = medio.minimo;
    concatena(&inicial, medio);
    concatena(&inicial, final);
    // The anchors are swept once over every state at the end.
    costos->trabajo += kPorUnion * (costos->estados + costos->anclas);
    pasado();
    return conError ? -1 : pos0;
}

double Medidor::capturasParaCoincidir() const
{
    return std::max(capturas, referenciaMayor);
}

void Medidor::expresion(Caja *caja)
{
    termino(caja);
    while (tok == Barra && !pasado()) {
        Caja otra;
        tok = token();
        termino(&otra);
        alterna(caja, otra);
    }
}

void Medidor::termino(Caja *caja)
{
    bool primero = true;
    while (tok != Fin && tok != Cierre && tok != Barra && !pasado()) {
        if (primero) {
            factor(caja);
            primero = false;
            continue;
        }
        Caja otra;
        factor(&otra);
        concatena(caja, otra);
    }
}

void Medidor::factor(Caja *caja)
{
    costos->atomos += 1;
    costos->trabajo += kPorCaja;
    const bool captura = puedeCapturar && tok == Parentesis;
    if (captura)
        ++capturas;
    const double rangosAtomo = rangosClase;
    const double adelantesAntes = adelantes;
    const Costos antes = *costos;
    atomo(caja);
    const Costos despues = *costos;
    if (tok != Cuantificador || pasado())
        return;

    const Caja unaVez = *caja;
    const int minimoRep = minRep;
    const int maximoRep = maxRep;
    if (maximoRep == kRepeticionInfinita)
        repite(caja);
    else if (maximoRep == 0)
        *caja = Caja();
    if (minimoRep == 0)
        opcional(caja);

    const bool podia = puedeCapturar;
    puedeCapturar = false;
    const int alfa = minimoRep == 0 ? 0 : minimoRep - 1;
    const int beta = maximoRep == kRepeticionInfinita ? 0 : maximoRep - (alfa + 1);
    const int copias = std::max(alfa, 0) + std::max(beta, 0);
    // Each copy parses the atom again, lookaheads and all, except that it captures nothing.
    costos->suma(antes, despues, copias);
    costos->trabajo += copias * (kPorCaja + kPorRango * rangosAtomo);
    adelantes += (adelantes - adelantesAntes) * copias;
    if (adelantes > kAdelantesMaximos)
        conError = true;
    Caja derecha;
    for (int i = 0; i < beta && !pasado(); ++i) {
        Caja izquierda = unaVez;
        concatena(&izquierda, derecha);
        opcional(&izquierda);
        derecha = izquierda;
    }
    for (int i = 0; i < alfa && !pasado(); ++i) {
        Caja izquierda = unaVez;
        concatena(&izquierda, derecha);
        derecha = izquierda;
    }
    concatena(&derecha, *caja);
    *caja = derecha;
    tok = token();
    puedeCapturar = podia;
}

void Medidor::atomo(Caja *caja)
{
    switch (tok) {
    case Caracter:
        nuevoEstado(0, false);
        caja->primeros = caja->ultimos = 1;
        caja->pesoPrimeros = caja->pesoUltimos = 1;
        caja->fijo = caja->fijoIzquierda = caja->fijoDerecha = 1;
        caja->minimo = caja->maximo = 1;
        break;
    case Clase:
        nuevoEstado(rangosClase, true);
        caja->primeros = caja->ultimos = 1;
        caja->pesoPrimeros = caja->pesoUltimos = 1;
        caja->minimo = caja->maximo = 1;
        break;
    case Referencia:
        referenciaMayor = std::max(referenciaMayor, referencia);
        if (referencia > kReferenciasMaximas)
            conError = true;
        nuevoEstado(0, false);
        caja->primeros = caja->ultimos = 1;
        caja->pesoPrimeros = caja->pesoUltimos = 1;
        caja->anclaVacia = referencia >= 1 && referencia <= kReferenciasMaximas;
        caja->maximo = kLargoInfinito;
        caja->minimo = 0;
        break;
    case Dolar:
    case Circunflejo:
    case Palabra:
    case NoPalabra:
        ancla(caja);
        break;
    case Adelante: {
        if (profundidad >= KovCotaPatron::kProfundidadMaxima) {
            excede = true;
            return;
        }
        Medidor otro(texto + pos - 1, largo - pos + 1, profundidad + 1, costos);
        const int leido = otro.analiza();
        if (otro.excede) {
            excede = true;
            return;
        }
        if (leido >= 0)
            salta(leido);
        else
            conError = true;
        if (adelantes < kAdelantesMaximos) {
            adelantes += 1;
            ancla(caja);
        } else {
            conError = true;
        }
        tok = token();
        if (tok != Cierre)
            conError = true;
        break;
    }
    case Parentesis:
    case ParentesisSinCaptura:
        if (profundidad >= KovCotaPatron::kProfundidadMaxima) {
            excede = true;
            return;
        }
        ++profundidad;
        tok = token();
        expresion(caja);
        --profundidad;
        if (tok != Cierre)
            conError = true;
        break;
    case Cuantificador:
        conError = true;
        break;
    default:
        break;
    }
    tok = token();
}

} // namespace

KovCotaPatron::Medida KovCotaPatron::mide(const QString &patron)
{
    return mide(patron, kTrabajoMaximo, kMemoriaMaxima);
}

KovCotaPatron::Medida KovCotaPatron::mide(const QString &patron, double trabajoMaximo, double memoriaMaxima)
{
    gMedidas.fetchAndAddRelaxed(1);
    Medida medida;
    if (patron.size() > kLargoMaximo) {
        medida.excede = true;
        return medida;
    }
    Costos costos;
    costos.trabajoMaximo = trabajoMaximo;
    costos.memoriaMaxima = memoriaMaxima;
    Medidor medidor(patron.constData(), patron.size(), 0, &costos);
    const int leido = medidor.analiza();
    medida.excede = medidor.excede;
    // As the engine judges it: the parse must stop at the pattern's end and meet no error on the way.
    medida.invalido = !medida.excede && leido != patron.size();
    medida.trabajo = costos.trabajo;
    medida.memoriaMotor = costos.memoria();
    // Each holder of the pattern keeps its own match state, sized by the states and the captures.
    const double capturas = medidor.capturasParaCoincidir();
    medida.memoriaColumna = 4 * ((3 + 4 * capturas) * costos.estados + 6 * capturas
                                 + std::max<double>(double(medidor.minimo) + 1, 16));
    medida.excede = medida.excede || medida.memoriaMotor + medida.memoriaColumna > memoriaMaxima;
    return medida;
}

int KovCotaPatron::medidas()
{
    return gMedidas.loadRelaxed();
}

bool KovCotaPatron::admite(const QString &patron)
{
    if (patron.isEmpty())
        return true;
    // A text met before in the book is measured once: a layout may repeat one long pattern in every column.
    const auto previa = medidos.constFind(patron);
    const bool nuevo = previa == medidos.constEnd();
    // A new pattern is measured only as far as what the book has left of the bound.
    const Medida medida = nuevo ? mide(patron, kTrabajoMaximo - trabajo, kMemoriaMaxima - memoria) : previa.value();
    if (medida.excede)
        return false;
    const double trabajoTotal = trabajo + (nuevo ? medida.trabajo : 0);
    const double memoriaTotal = memoria + (nuevo ? medida.memoriaMotor : 0) + medida.memoriaColumna;
    if (trabajoTotal > kTrabajoMaximo || memoriaTotal > kMemoriaMaxima)
        return false;
    trabajo = trabajoTotal;
    memoria = memoriaTotal;
    if (nuevo)
        medidos.insert(patron, medida);
    return true;
}
