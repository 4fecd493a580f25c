#include "kovcostoqregexp.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace {

using Nodo = KovArbolPatron::Nodo;

const double kInfinito = std::numeric_limits<double>::infinity();
// Beyond this many transitions the automaton is past every budget, and following it further is not worth it; nor
// beyond this many pieces walked (a count of a piece that holds nothing copies it all the same).
const double kTransicionesMaximas = 1e6;
const double kPasosMaximos = 2e6;
// Units of set-up work, of about a nanosecond each, for a piece walked or a state carried along.
const double kTrabajoPorPaso = 30;

// What the matcher spends, in nanoseconds of this machine, as the benchmark measured it with a margin: per step, per
// current state, per transition tested, per capture copied along a transition, per atom walked; the tests of a
// literal, a class and its ranges, a category; the anchors; a look-ahead's own match state; a sleeper.
const double kPorPaso = 10;
const double kPorEstado = 2;
const double kPorTransicion = 4;
const double kPorCaptura = 1.5;
const double kPorAtomo = 2;
const double kPorReentrada = 30;
const double kLiteral = 1.5;
const double kClase = 3;
const double kPorRango = 1;
const double kCategoria = 3;
const double kAnclaSimple = 2;
const double kAnclaPalabra = 8;
const double kPreparaAdelante = 70;
const double kPorEstadoAdelante = 0.5;
const double kReferencia = 5;
const double kPorCaracterReferencia = 1.5;
const double kDormido = 60;
const double kPorDormido = 3;

// An anchor expression, as the sum over the ways QRegExp may have to test it: how many alternatives, and what testing
// all of them costs, in the middle of a text and on a transition out of the initial state (which is tested once, so
// that a look-ahead there costs its match once over the text). No terms: no anchor at all.
struct Peso
{
    double terminos = 0;
    double medio = 0;
    double inicio = 0;
};

Peso concatena(const Peso &a, const Peso &b)
{
    if (a.terminos == 0)
        return b;
    if (b.terminos == 0)
        return a;
    return Peso{a.terminos * b.terminos, a.medio * b.terminos + b.medio * a.terminos,
                a.inicio * b.terminos + b.inicio * a.terminos};
}

Peso alterna(const Peso &a, const Peso &b)
{
    if (a.terminos == 0 || b.terminos == 0)
        return Peso();
    return Peso{a.terminos + b.terminos, a.medio + b.medio, a.inicio + b.inicio};
}

struct Entrada
{
    // The test of the state's character (left states only) and the anchor of the way to it or from it.
    double prueba = 0;
    bool referencia = false;
    bool inicial = false;
    Peso ancla;
};

// A product where a side that is nothing makes nothing, even against a cost without bound.
double por(double a, double b)
{
    return a == 0 || b == 0 ? 0 : a * b;
}

// A piece of QRegExp's automaton as its parser holds one: left and right states, the anchors to match when the piece
// is skipped, and whether it can be.
struct Caja
{
    std::vector<Entrada> izquierda;
    std::vector<Entrada> derecha;
    Peso saltar;
    bool vacia = true;
};

// A piece of a single state.
Caja unEstado(const Entrada &e)
{
    Caja caja;
    caja.izquierda.push_back(e);
    caja.derecha.push_back(e);
    caja.vacia = false;
    return caja;
}

// One engine: the pattern's own or a look-ahead's.
class Motor
{
public:
    Motor(const KovArbolPatron &arbol, double limite) : arbol(arbol), limite(limite) {}

    KovCostoQRegExp::Medida mide(int raiz);
    bool agotado() const { return transiciones > kTransicionesMaximas || pasos > limite; }
    // The longest text the piece can match; infinite without a bound.
    double largoMaximo(int n) const;

private:
    Caja expresion(int n);
    Caja factor(int n);
    Caja atomo(int n);
    void concatena(Caja *a, const Caja &b, bool inicio = false);
    void bucle(Caja *caja, bool captura);
    void junta(const std::vector<Entrada> &derecha, const std::vector<Entrada> &izquierda, bool inicio,
               bool reentrada);
    void capturas(int n, bool cuentan);
    double pesoDeLargo(int referencia) const;

    const KovArbolPatron &arbol;
    // The most pieces it may walk.
    double limite;
    double estados = 2;
    double transiciones = 0;
    double reentradas = 0;
    double pruebas = 0;
    double anclas = 0;
    double transicionesReferencia = 0;
    double largoReferencias = 0;
    double atomos = 1;
    double pasos = 0;
    int profundidadAtomos = 1;
    int profundidad = 0;
    int referenciaMayor = 0;
    bool inseguro = false;
    // The capturing groups in their order, for the lengths the back references compare.
    std::vector<int> grupos;
};

double Motor::largoMaximo(int n) const
{
    const Nodo &nodo = arbol.nodo(n);
    switch (nodo.tipo) {
    case Nodo::Caracter:
        return 1;
    case Nodo::Grupo:
        return largoMaximo(nodo.hijos.first());
    case Nodo::Secuencia: {
        double total = 0;
        for (const int h : nodo.hijos)
            total += largoMaximo(h);
        return total;
    }
    case Nodo::Alternativa: {
        double mayor = 0;
        for (const int h : nodo.hijos)
            mayor = std::max(mayor, largoMaximo(h));
        return mayor;
    }
    case Nodo::Repeticion: {
        if (nodo.maximo == 0)
            return 0;
        const double una = largoMaximo(nodo.hijos.first());
        if (una == 0)
            return 0;
        return nodo.maximo < 0 ? kInfinito : una * nodo.maximo;
    }
    case Nodo::Referencia:
        return kInfinito;
    default:
        return 0;
    }
}

// The capturing groups of this engine in the order QRegExp numbers them: as the parse meets them, the copies of a
// counted repetition capturing nothing, a look-ahead's belonging to its own engine.
void Motor::capturas(int n, bool cuentan)
{
    const Nodo &nodo = arbol.nodo(n);
    if (nodo.tipo == Nodo::Adelante)
        return;
    if (nodo.tipo == Nodo::Grupo && nodo.captura && cuentan)
        grupos.push_back(n);
    if (nodo.tipo == Nodo::Referencia)
        referenciaMayor = std::max(referenciaMayor, nodo.valor);
    for (const int h : nodo.hijos)
        capturas(h, cuentan);
}

double Motor::pesoDeLargo(int referencia) const
{
    if (referencia <= 0 || referencia > int(grupos.size()))
        return 0;
    return largoMaximo(arbol.nodo(grupos[size_t(referencia - 1)]).hijos.first());
}

// Every right state of one piece to every left state of the next: the transitions, their tests and their anchors.
void Motor::junta(const std::vector<Entrada> &derecha, const std::vector<Entrada> &izquierda, bool inicio,
                  bool reentrada)
{
    pasos += double(derecha.size() + izquierda.size());
    if (derecha.empty() || izquierda.empty())
        return;
    const double pares = double(derecha.size()) * double(izquierda.size());
    transiciones += pares;
    if (reentrada)
        reentradas += pares;
    double sinI = 0, terminosI = 0, costoImedio = 0, costoIinicio = 0, prueba = 0, referencias = 0;
    for (const Entrada &e : izquierda) {
        prueba += e.prueba;
        if (e.referencia)
            ++referencias;
        if (e.ancla.terminos == 0) {
            ++sinI;
        } else {
            terminosI += e.ancla.terminos;
            costoImedio += e.ancla.medio;
            costoIinicio += e.ancla.inicio;
        }
    }
    pruebas += double(derecha.size()) * prueba;
    transicionesReferencia += double(derecha.size()) * referencias;
    // Over the pairs: one side's anchors alone where the other has none, each side's times the other's terms where
    // both have some.
    for (const Entrada &e : derecha) {
        const bool desdeInicio = inicio || e.inicial;
        const double costoI = desdeInicio ? costoIinicio : costoImedio;
        if (e.ancla.terminos == 0) {
            anclas += costoI;
            continue;
        }
        const double costoD = desdeInicio ? e.ancla.inicio : e.ancla.medio;
        anclas += por(sinI, costoD) + por(costoD, terminosI) + por(costoI, e.ancla.terminos);
    }
}

void Motor::concatena(Caja *a, const Caja &b, bool inicio)
{
    junta(a->derecha, b.izquierda, inicio, false);
    if (a->vacia) {
        for (Entrada e : b.izquierda) {
            e.ancla = ::concatena(e.ancla, a->saltar);
            a->izquierda.push_back(e);
        }
    }
    if (b.vacia) {
        for (Entrada &e : a->derecha)
            e.ancla = ::concatena(e.ancla, b.saltar);
        a->derecha.insert(a->derecha.end(), b.derecha.begin(), b.derecha.end());
    } else {
        a->derecha = b.derecha;
    }
    a->saltar = a->vacia && b.vacia ? ::concatena(a->saltar, b.saltar) : Peso();
    a->vacia = a->vacia && b.vacia;
}

void Motor::bucle(Caja *caja, bool captura)
{
    junta(caja->derecha, caja->izquierda, false, captura);
}

Caja Motor::expresion(int n)
{
    const Nodo &nodo = arbol.nodo(n);
    if (nodo.tipo != Nodo::Alternativa) {
        if (nodo.tipo != Nodo::Secuencia)
            return factor(n);
        Caja caja;
        bool primero = true;
        for (const int h : nodo.hijos) {
            Caja otra = factor(h);
            if (primero)
                caja = std::move(otra);
            else
                concatena(&caja, otra);
            primero = false;
            if (agotado())
                break;
        }
        return caja;
    }
    Caja caja;
    bool primero = true;
    for (const int h : nodo.hijos) {
        Caja otra = expresion(h);
        if (primero) {
            caja = std::move(otra);
            primero = false;
            continue;
        }
        caja.izquierda.insert(caja.izquierda.end(), otra.izquierda.begin(), otra.izquierda.end());
        caja.derecha.insert(caja.derecha.end(), otra.derecha.begin(), otra.derecha.end());
        if (otra.vacia)
            caja.saltar = caja.vacia ? alterna(caja.saltar, otra.saltar) : otra.saltar;
        caja.vacia = caja.vacia || otra.vacia;
        pasos += double(otra.izquierda.size() + otra.derecha.size());
        if (agotado())
            break;
    }
    return caja;
}

// A factor as QRegExp builds one: the atom, its loop or its clearing, then the further copies of a counted
// repetition, each parsed again, nested optional ones first and mandatory ones after, all before the atom.
Caja Motor::factor(int n)
{
    const Nodo &nodo = arbol.nodo(n);
    ++atomos;
    ++pasos;
    const bool repite = nodo.tipo == Nodo::Repeticion;
    const int a = repite ? nodo.hijos.first() : n;
    ++profundidad;
    profundidadAtomos = std::max(profundidadAtomos, profundidad + 1);
    Caja caja = atomo(a);
    --profundidad;
    if (!repite)
        return caja;
    const bool infinita = nodo.maximo < 0;
    if (infinita)
        bucle(&caja, arbol.nodo(a).tipo == Nodo::Grupo && arbol.nodo(a).captura);
    else if (nodo.maximo == 0)
        caja = Caja();
    if (nodo.minimo == 0) {
        caja.saltar = Peso();
        caja.vacia = true;
    }
    const int alfa = nodo.minimo == 0 ? 0 : nodo.minimo - 1;
    const int beta = infinita ? 0 : nodo.maximo - (alfa + 1);
    Caja derecha;
    for (int i = 0; i < beta && !agotado(); ++i) {
        Caja izquierda = atomo(a);
        concatena(&izquierda, derecha);
        izquierda.saltar = Peso();
        izquierda.vacia = true;
        derecha = std::move(izquierda);
    }
    for (int i = 0; i < alfa && !agotado(); ++i) {
        Caja izquierda = atomo(a);
        concatena(&izquierda, derecha);
        derecha = std::move(izquierda);
    }
    concatena(&derecha, caja);
    return derecha;
}

Caja Motor::atomo(int n)
{
    const Nodo &nodo = arbol.nodo(n);
    Caja caja;
    ++pasos;
    if (agotado())
        return caja;
    switch (nodo.tipo) {
    case Nodo::Caracter: {
        const KovArbolPatron::Clase &clase = arbol.clase(nodo.valor);
        const bool literal = !clase.negada && clase.categorias == 0 && clase.rangos.size() == 1
                             && clase.rangos.first().first == clase.rangos.first().second;
        Entrada e;
        e.prueba = literal ? kLiteral
                           : kClase + kPorRango * clase.rangos.size() + (clase.categorias ? kCategoria : 0);
        ++estados;
        caja = unEstado(e);
        break;
    }
    case Nodo::Anclaje: {
        const double c = nodo.valor == KovArbolPatron::Palabra || nodo.valor == KovArbolPatron::NoPalabra
                             ? kAnclaPalabra
                             : kAnclaSimple;
        caja.saltar = Peso{1, c, c};
        break;
    }
    case Nodo::Adelante: {
        Motor propio(arbol, limite - pasos);
        const int hijo = nodo.hijos.first();
        const KovCostoQRegExp::Medida m = propio.mide(hijo);
        pasos += propio.pasos;
        inseguro = inseguro || m.inseguro;
        const double preparar = kPreparaAdelante + kPorEstadoAdelante * m.estados * (1 + m.capturas);
        const double largo = propio.largoMaximo(hijo);
        // In the middle of a text its match runs as far as the look-ahead can reach; out of the initial state it runs
        // once, over the whole text, which is a step's worth per character.
        caja.saltar = Peso{1, preparar + (largo + 1) * m.porCaracter, preparar + 2 * m.porCaracter};
        break;
    }
    case Nodo::Grupo:
        caja = expresion(nodo.hijos.first());
        break;
    case Nodo::Referencia: {
        const double largo = pesoDeLargo(nodo.valor);
        Entrada e;
        e.prueba = kReferencia + kPorCaracterReferencia * largo + (largo > 1 ? kDormido : 0);
        e.referencia = true;
        largoReferencias = std::max(largoReferencias, largo);
        ++estados;
        caja = unEstado(e);
        caja.vacia = true;
        // Skipped only where its capture is empty.
        caja.saltar = Peso{1, kAnclaSimple, kAnclaSimple};
        // A back reference numbered 0 (the count wraps at 16 bits) makes the matcher read before its table.
        if (nodo.valor == 0)
            inseguro = true;
        break;
    }
    default:
        break;
    }
    return caja;
}

KovCostoQRegExp::Medida Motor::mide(int raiz)
{
    capturas(raiz, true);
    KovCostoQRegExp::Medida medida;
    // The initial and the final state around the pattern, as QRegExp's parse puts them.
    Entrada estadoInicial;
    estadoInicial.inicial = true;
    Caja inicial = unEstado(estadoInicial);
    concatena(&inicial, expresion(raiz), true);
    Entrada estadoFinal;
    estadoFinal.prueba = kLiteral;
    concatena(&inicial, unEstado(estadoFinal));

    const double oficiales = double(grupos.size());
    double capturasMotor = oficiales + std::max(0.0, double(referenciaMayor) - oficiales);
    const bool sinCapturas = oficiales == 0 && referenciaMayor == 0;
    if (sinCapturas)
        capturasMotor = 0;
    const double atomosMotor = sinCapturas ? 0 : atomos;
    const double porCaptura = capturasMotor == 0 ? 0
                              : kPorCaptura * 3 * capturasMotor + kPorAtomo * 2 * profundidadAtomos;
    // A sleeper lives as long as its capture is long, and one may be put to sleep on each such transition per step.
    const double dormidos = transicionesReferencia * largoReferencias;
    medida.porCaracter = kPorPaso + kPorEstado * estados + (kPorTransicion + porCaptura) * transiciones
                         + (kPorReentrada + kPorAtomo * atomosMotor) * reentradas + pruebas + anclas
                         + kPorDormido * dormidos;
    if (agotado())
        medida.porCaracter = kInfinito;
    medida.trabajo = kTrabajoPorPaso * pasos;
    medida.estados = estados;
    medida.capturas = capturasMotor;
    medida.memoriaCoincidencia = 4 * ((3 + 4 * capturasMotor) * estados + 6 * capturasMotor + 64);
    medida.inseguro = inseguro;
    return medida;
}

} // namespace

KovCostoQRegExp::Medida KovCostoQRegExp::mide(const KovArbolPatron &arbol, double trabajo)
{
    Motor motor(arbol, std::min(kPasosMaximos, trabajo / kTrabajoPorPaso));
    KovCostoQRegExp::Medida medida = motor.mide(arbol.raiz());
    medida.inseguro = medida.inseguro || arbol.azar();
    return medida;
}
