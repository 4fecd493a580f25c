#include "kovposiciones.h"

#include "kovconjuntos.h"

#include <algorithm>
#include <map>
#include <utility>

namespace {

using Nodo = KovArbolPatron::Nodo;

// Sorted, disjoint, inclusive ranges of code units.
using Intervalos = std::vector<std::pair<int, int>>;

const int kUltimoCodigo = 0xffff;

// Units of compiling work, of about a nanosecond each.
const double kPorEntrada = 8;
// A way made for an entry (its list allocated), and a pair of a last position and a group of first ones tested.
const double kPorVia = 30;
const double kPorPar = 8;
const double kPorPalabraTrabajo = KovPosiciones::kTrabajoPorPalabra;

Intervalos normaliza(Intervalos v)
{
    std::sort(v.begin(), v.end());
    Intervalos r;
    for (const auto &i : v) {
        if (!r.empty() && i.first <= r.back().second + 1)
            r.back().second = std::max(r.back().second, i.second);
        else
            r.push_back(i);
    }
    return r;
}

Intervalos une(const Intervalos &a, const Intervalos &b)
{
    Intervalos v = a;
    v.insert(v.end(), b.begin(), b.end());
    return normaliza(std::move(v));
}

Intervalos niega(const Intervalos &a)
{
    Intervalos r;
    int desde = 0;
    for (const auto &i : a) {
        if (i.first > desde)
            r.emplace_back(desde, i.first - 1);
        desde = i.second + 1;
    }
    if (desde <= kUltimoCodigo)
        r.emplace_back(desde, kUltimoCodigo);
    return r;
}

Intervalos interseca(const Intervalos &a, const Intervalos &b)
{
    Intervalos r;
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const int desde = std::max(a[i].first, b[j].first);
        const int hasta = std::min(a[i].second, b[j].second);
        if (desde <= hasta)
            r.emplace_back(desde, hasta);
        if (a[i].second < b[j].second)
            ++i;
        else
            ++j;
    }
    return r;
}

// The code units of each Unicode category, made once.
const std::vector<Intervalos> &intervalosDeCategorias()
{
    static const std::vector<Intervalos> tabla = [] {
        std::vector<Intervalos> t(32);
        const uchar *categoria = KovArbolPatron::tablaCategorias();
        int desde = 0;
        for (int u = 1; u <= kUltimoCodigo + 1; ++u) {
            if (u == kUltimoCodigo + 1 || categoria[u] != categoria[desde]) {
                t[categoria[desde]].emplace_back(desde, u - 1);
                desde = u;
            }
        }
        return t;
    }();
    return tabla;
}

Intervalos deClase(const KovArbolPatron::Clase &clase)
{
    Intervalos r;
    for (const auto &rango : clase.rangos)
        r.emplace_back(rango.first, rango.second);
    r = normaliza(std::move(r));
    for (int c = 0; c < 32; ++c) {
        if (clase.categorias & (1u << c))
            r = une(r, intervalosDeCategorias()[size_t(c)]);
    }
    return clase.negada ? niega(r) : r;
}

// The word characters, as \w and the boundaries \b and \B tell them.
const Intervalos &intervalosDePalabra()
{
    static const Intervalos palabra = [] {
        KovArbolPatron arbol;
        arbol.lee(QStringLiteral("\\w"));
        return deClase(arbol.clase(0));
    }();
    return palabra;
}

// Anchor masks: a path through the pattern has the flags of the anchors it passes, and a set of such masks is kept as
// 16 bits (bit m for the mask m), reduced to its least masks: a path that needs less serves wherever one needing more
// does.
quint16 reduce(quint16 conjunto)
{
    // A set of at most one mask is its own least; most ways carry one.
    if ((conjunto & (conjunto - 1)) == 0)
        return conjunto;
    quint16 r = conjunto;
    for (quint32 x = conjunto; x; x &= x - 1) {
        const int m = __builtin_ctz(x);
        for (quint32 y = conjunto & ~(1u << m); y; y &= y - 1) {
            const int s = __builtin_ctz(y);
            if ((s & m) == s) {
                r = quint16(r & ~(1u << m));
                break;
            }
        }
    }
    return r;
}

quint16 combina(quint16 a, quint16 b)
{
    quint16 r = 0;
    for (quint32 x = a; x; x &= x - 1) {
        const int m = __builtin_ctz(x);
        for (quint32 y = b; y; y &= y - 1)
            r = quint16(r | (1u << (m | __builtin_ctz(y))));
    }
    return reduce(r);
}

// Whether a path with these anchors holds at a point: the text's start or end, and whether the characters on
// either side are word characters (nothing counts as none).
bool valida(int m, bool inicio, bool fin, bool antes, bool despues)
{
    return (!(m & KovArbolPatron::Circunflejo) || inicio) && (!(m & KovArbolPatron::Dolar) || fin)
           && (!(m & KovArbolPatron::Palabra) || antes != despues)
           && (!(m & KovArbolPatron::NoPalabra) || antes == despues);
}

bool algunaValida(quint16 conjunto, bool inicio, bool fin, bool antes, bool despues)
{
    for (quint32 x = conjunto; x; x &= x - 1) {
        if (valida(__builtin_ctz(x), inicio, fin, antes, despues))
            return true;
    }
    return false;
}

// Drops the masks no path can meet where they stand: a "^" after a character, a "$" before one, a boundary that
// must hold and not hold.
quint16 posibles(quint16 conjunto, bool sinCircunflejo, bool sinDolar)
{
    quint16 r = 0;
    for (quint32 x = conjunto; x; x &= x - 1) {
        const int m = __builtin_ctz(x);
        if ((sinCircunflejo && (m & KovArbolPatron::Circunflejo)) || (sinDolar && (m & KovArbolPatron::Dolar)))
            continue;
        if ((m & KovArbolPatron::Palabra) && (m & KovArbolPatron::NoPalabra))
            continue;
        r = quint16(r | (1u << m));
    }
    return r;
}

// The ways through pieces that read no character: each with the look-aheads it passes (bits, as the automaton
// numbers them), which only the text can tell, and the anchor masks it may take. None is needed where another
// passes fewer look-aheads and needs no more anchors.
struct Via
{
    quint32 adelantes;
    quint16 mascaras;

    bool operator==(const Via &o) const { return adelantes == o.adelantes && mascaras == o.mascaras; }
    bool operator<(const Via &o) const
    {
        return adelantes != o.adelantes ? adelantes < o.adelantes : mascaras < o.mascaras;
    }
};
using Vias = std::vector<Via>;

Vias reduceVias(Vias v)
{
    std::sort(v.begin(), v.end());
    Vias juntas;
    for (const Via &x : v) {
        if (!juntas.empty() && juntas.back().adelantes == x.adelantes)
            juntas.back().mascaras = reduce(quint16(juntas.back().mascaras | x.mascaras));
        else if (x.mascaras)
            juntas.push_back(Via{x.adelantes, reduce(x.mascaras)});
    }
    Vias r;
    for (size_t i = 0; i < juntas.size(); ++i) {
        bool sobra = false;
        for (size_t j = 0; j < juntas.size() && !sobra; ++j) {
            sobra = j != i && (juntas[j].adelantes & ~juntas[i].adelantes) == 0
                    && reduce(quint16(juntas[j].mascaras | juntas[i].mascaras)) == juntas[j].mascaras;
        }
        if (!sobra)
            r.push_back(juntas[i]);
    }
    return r;
}

bool sinAdelantes(const Vias &v)
{
    return v.size() == 1 && v.front().adelantes == 0;
}

Vias combinaVias(const Vias &a, const Vias &b)
{
    if (sinAdelantes(a) && sinAdelantes(b)) {
        const quint16 m = combina(a.front().mascaras, b.front().mascaras);
        return m ? Vias{Via{0, m}} : Vias();
    }
    Vias r;
    for (const Via &x : a) {
        for (const Via &y : b) {
            const quint16 m = combina(x.mascaras, y.mascaras);
            if (m)
                r.push_back(Via{x.adelantes | y.adelantes, m});
        }
    }
    return reduceVias(std::move(r));
}

Vias uneVias(Vias a, const Vias &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return reduceVias(std::move(a));
}

Vias posiblesVias(const Vias &v, bool sinCircunflejo, bool sinDolar)
{
    Vias r;
    for (const Via &x : v) {
        const quint16 m = posibles(x.mascaras, sinCircunflejo, sinDolar);
        if (m)
            r.push_back(Via{x.adelantes, m});
    }
    return r;
}

// The ways through two pieces one after the other that can hold where they stand. Nearly every way carries no
// look-ahead and one set of masks, and is made without the lists between.
Vias siguenVias(const Vias &a, const Vias &b, bool sinCircunflejo, bool sinDolar)
{
    if (sinAdelantes(a) && sinAdelantes(b)) {
        const quint16 m = posibles(combina(a.front().mascaras, b.front().mascaras), sinCircunflejo, sinDolar);
        return m ? Vias{Via{0, m}} : Vias();
    }
    return posiblesVias(combinaVias(a, b), sinCircunflejo, sinDolar);
}

// The sets of look-aheads that must hold at a point for one of the ways to: none where one needs none.
std::vector<quint32> validas(const Vias &v, bool inicio, bool fin, bool antes, bool despues)
{
    std::vector<quint32> r;
    for (const Via &x : v) {
        if (algunaValida(x.mascaras, inicio, fin, antes, despues))
            r.push_back(x.adelantes);
    }
    std::sort(r.begin(), r.end());
    std::vector<quint32> minimas;
    for (const quint32 g : r) {
        if (std::none_of(minimas.begin(), minimas.end(), [g](quint32 m) { return (m & ~g) == 0; }))
            minimas.push_back(g);
    }
    return minimas;
}

// A position of the automaton and the ways on to it (or from it).
struct Entrada
{
    int pos;
    Vias vias;
};

// A piece of the pattern as the position automaton sees it: the positions it may start and end with, and its ways
// through without a character (none: there are none).
struct Fragmento
{
    std::vector<Entrada> primeros;
    std::vector<Entrada> ultimos;
    Vias vacio;
};

const Vias kSinAnclas{Via{0, 1}};

// Builds the position automaton of a pattern: a position for each character the pattern reads (two where the
// boundaries need to tell word characters from others and the class holds both), each with the positions that may
// follow it, as bit sets.
class Constructor
{
public:
    Constructor(const KovArbolPatron &arbol, bool limites, double *trabajo, const std::vector<int> &adelantes,
                bool invertido)
        : arbol(arbol), limites(limites), trabajo(trabajo), adelantes(adelantes), invertido(invertido)
    {
    }

    // Positions the parts would take; more than `tope` stops the count.
    double cuenta(int nodo, double tope);
    void reserva(int posiciones);
    bool construye(int nodo, Fragmento *f);
    // A ".*", for a look-ahead: what it matched may be followed by anything.
    Fragmento cualquierCosa();
    void concatena(Fragmento *a, Fragmento &&b);
    bool agotado() const { return *trabajo < 0; }

    const KovArbolPatron &arbol;
    bool limites;
    double *trabajo;
    int palabras = 0;
    int posiciones = 0;
    // Per position: its test and whether it reads word characters.
    std::vector<int> prueba;
    std::vector<quint8> dePalabra;
    // The follow sets of every position for each set of look-aheads that must hold on the way, the first for none.
    std::vector<std::vector<quint64>> sigues;
    std::vector<quint32> terminos;
    // The distinct tests, as the code units they admit.
    std::vector<Intervalos> pruebas;
    const std::vector<int> &adelantes;
    // Read from its end: each sequence backwards, "^" and "$" each other's.
    bool invertido;

    int termino(quint32 adelantes);

private:
    const std::vector<std::pair<Intervalos, bool>> &partes(int clase);
    int nuevaPosicion(const Intervalos &admite, bool palabra);
    void junta(const std::vector<Entrada> &ultimos, const std::vector<Entrada> &primeros);
    void repite(const Nodo &nodo, Fragmento *f);

    std::map<Intervalos, int> numeroPrueba;
    std::map<int, std::vector<std::pair<Intervalos, bool>>> partesDeClase;
};

const std::vector<std::pair<Intervalos, bool>> &Constructor::partes(int clase)
{
    auto it = partesDeClase.find(clase);
    if (it != partesDeClase.end())
        return it->second;
    const Intervalos todo = deClase(arbol.clase(clase));
    std::vector<std::pair<Intervalos, bool>> r;
    if (!limites) {
        if (!todo.empty())
            r.emplace_back(todo, false);
    } else {
        const Intervalos si = interseca(todo, intervalosDePalabra());
        const Intervalos no = interseca(todo, niega(intervalosDePalabra()));
        if (!si.empty())
            r.emplace_back(si, true);
        if (!no.empty())
            r.emplace_back(no, false);
    }
    *trabajo -= kPorEntrada * double(todo.size());
    return partesDeClase.emplace(clase, std::move(r)).first->second;
}

double Constructor::cuenta(int n, double tope)
{
    const Nodo &nodo = arbol.nodo(n);
    switch (nodo.tipo) {
    case Nodo::Caracter:
        return double(partes(nodo.valor).size());
    case Nodo::Grupo:
        return cuenta(nodo.hijos.first(), tope);
    case Nodo::Secuencia:
    case Nodo::Alternativa: {
        double total = 0;
        for (const int h : nodo.hijos) {
            total += cuenta(h, tope);
            if (total > tope)
                break;
        }
        return total;
    }
    case Nodo::Repeticion: {
        if (nodo.maximo == 0)
            return 0;
        const double veces = nodo.maximo < 0 ? std::max(nodo.minimo, 1) : nodo.maximo;
        const double una = cuenta(nodo.hijos.first(), tope);
        return una * veces;
    }
    default:
        return 0;
    }
}

int Constructor::termino(quint32 g)
{
    for (size_t t = 0; t < terminos.size(); ++t) {
        if (terminos[t] == g)
            return int(t);
    }
    terminos.push_back(g);
    sigues.emplace_back(sigues.front().size(), 0);
    *trabajo -= kPorPalabraTrabajo * double(sigues.front().size());
    return int(terminos.size()) - 1;
}

void Constructor::reserva(int total)
{
    palabras = std::max(1, (total + 63) / 64);
    sigues.assign(1, std::vector<quint64>(size_t(total) * size_t(palabras), 0));
    terminos.assign(1, 0);
    prueba.reserve(size_t(total));
    dePalabra.reserve(size_t(total));
}

int Constructor::nuevaPosicion(const Intervalos &admite, bool palabra)
{
    auto it = numeroPrueba.find(admite);
    if (it == numeroPrueba.end()) {
        it = numeroPrueba.emplace(admite, int(pruebas.size())).first;
        pruebas.push_back(admite);
    }
    prueba.push_back(it->second);
    dePalabra.push_back(palabra ? 1 : 0);
    return posiciones++;
}

// Every last position of one piece to every first position of the next, where the anchors between them can hold in
// the middle of a text.
void Constructor::junta(const std::vector<Entrada> &ultimos, const std::vector<Entrada> &primeros)
{
    if (ultimos.empty() || primeros.empty())
        return;
    // The first positions by their anchors and by whether they read word characters, each group as a bit set.
    struct Grupo
    {
        Vias vias;
        bool palabra;
        std::vector<quint64> bits;
        int desde;
        int hasta;
    };
    std::vector<Grupo> grupos;
    for (const Entrada &e : primeros) {
        const bool palabra = dePalabra[size_t(e.pos)] != 0;
        auto g = std::find_if(grupos.begin(), grupos.end(),
                              [&](const Grupo &x) { return x.vias == e.vias && x.palabra == palabra; });
        if (g == grupos.end()) {
            grupos.push_back(Grupo{e.vias, palabra, std::vector<quint64>(size_t(palabras), 0), e.pos / 64,
                                   e.pos / 64});
            g = grupos.end() - 1;
        }
        g->bits[size_t(e.pos / 64)] |= quint64(1) << (e.pos % 64);
        g->desde = std::min(g->desde, e.pos / 64);
        g->hasta = std::max(g->hasta, e.pos / 64);
    }
    *trabajo -= kPorEntrada * double(primeros.size() + ultimos.size())
                + kPorPalabraTrabajo * double(grupos.size()) * palabras
                + kPorPar * double(ultimos.size()) * double(grupos.size());
    for (const Entrada &u : ultimos) {
        const bool antes = dePalabra[size_t(u.pos)] != 0;
        for (const Grupo &g : grupos) {
            if (sinAdelantes(u.vias) && sinAdelantes(g.vias)) {
                // The way of nearly every pair: no look-ahead on it, one set of anchor masks each side.
                if (!algunaValida(combina(u.vias.front().mascaras, g.vias.front().mascaras), false, false, antes,
                                  g.palabra))
                    continue;
                quint64 *destino = sigues.front().data() + size_t(u.pos) * size_t(palabras);
                for (int w = g.desde; w <= g.hasta; ++w)
                    destino[w] |= g.bits[size_t(w)];
                *trabajo -= kPorPalabraTrabajo * (g.hasta - g.desde + 1);
                continue;
            }
            for (const quint32 t : validas(combinaVias(u.vias, g.vias), false, false, antes, g.palabra)) {
                const int i = t ? termino(t) : 0;
                quint64 *destino = sigues[size_t(i)].data() + size_t(u.pos) * size_t(palabras);
                for (int w = g.desde; w <= g.hasta; ++w)
                    destino[w] |= g.bits[size_t(w)];
                *trabajo -= kPorPalabraTrabajo * (g.hasta - g.desde + 1);
            }
        }
    }
}

void Constructor::concatena(Fragmento *a, Fragmento &&b)
{
    junta(a->ultimos, b.primeros);
    if (!a->vacio.empty()) {
        for (const Entrada &e : b.primeros) {
            Vias m = siguenVias(a->vacio, e.vias, false, true);
            if (!m.empty())
                a->primeros.push_back(Entrada{e.pos, std::move(m)});
        }
    }
    if (!b.vacio.empty()) {
        for (const Entrada &e : a->ultimos) {
            Vias m = siguenVias(e.vias, b.vacio, true, false);
            if (!m.empty())
                b.ultimos.push_back(Entrada{e.pos, std::move(m)});
        }
    }
    *trabajo -= kPorVia * double((a->vacio.empty() ? 0 : b.primeros.size()) + (b.vacio.empty() ? 0 : a->ultimos.size()));
    a->ultimos = std::move(b.ultimos);
    a->vacio = siguenVias(a->vacio, b.vacio, false, false);
    *trabajo -= kPorEntrada * double(a->primeros.size() + a->ultimos.size());
}

// The copies of a counted repetition, as QRegExp lays them out: the mandatory ones, then the optional ones nested
// (each may be skipped, and skipping one skips the rest); without an upper bound the last copy loops.
void Constructor::repite(const Nodo &nodo, Fragmento *f)
{
    const int hijo = nodo.hijos.first();
    Fragmento total;
    total.vacio = kSinAnclas;
    const int obligatorias = nodo.maximo < 0 ? std::max(nodo.minimo - 1, 0) : nodo.minimo;
    for (int i = 0; i < obligatorias && !agotado(); ++i) {
        Fragmento copia;
        if (!construye(hijo, &copia))
            return;
        concatena(&total, std::move(copia));
    }
    if (nodo.maximo < 0) {
        Fragmento bucle;
        if (!construye(hijo, &bucle))
            return;
        junta(bucle.ultimos, bucle.primeros);
        if (nodo.minimo == 0)
            bucle.vacio = kSinAnclas;
        concatena(&total, std::move(bucle));
    } else {
        Fragmento opcionales;
        bool hay = false;
        for (int i = nodo.minimo; i < nodo.maximo && !agotado(); ++i) {
            Fragmento copia;
            if (!construye(hijo, &copia))
                return;
            if (hay)
                concatena(&copia, std::move(opcionales));
            copia.vacio = kSinAnclas;
            opcionales = std::move(copia);
            hay = true;
        }
        if (hay)
            concatena(&total, std::move(opcionales));
    }
    *f = std::move(total);
}

bool Constructor::construye(int n, Fragmento *f)
{
    if (agotado())
        return false;
    const Nodo &nodo = arbol.nodo(n);
    switch (nodo.tipo) {
    case Nodo::Vacio:
        f->vacio = kSinAnclas;
        return true;
    case Nodo::Caracter:
        for (const auto &parte : partes(nodo.valor)) {
            const int p = nuevaPosicion(parte.first, parte.second);
            f->primeros.push_back(Entrada{p, kSinAnclas});
            f->ultimos.push_back(Entrada{p, kSinAnclas});
        }
        return true;
    case Nodo::Anclaje: {
        int ancla = nodo.valor;
        if (invertido && (ancla == KovArbolPatron::Circunflejo || ancla == KovArbolPatron::Dolar))
            ancla = ancla == KovArbolPatron::Circunflejo ? KovArbolPatron::Dolar : KovArbolPatron::Circunflejo;
        f->vacio = Vias{Via{0, quint16(1u << ancla)}};
        return true;
    }
    case Nodo::Adelante: {
        const auto it = std::find(adelantes.begin(), adelantes.end(), n);
        if (it == adelantes.end())
            return false;
        f->vacio = Vias{Via{quint32(1) << (it - adelantes.begin()), 1}};
        return true;
    }
    case Nodo::Grupo:
        return construye(nodo.hijos.first(), f);
    case Nodo::Secuencia: {
        f->vacio = kSinAnclas;
        for (int i = 0; i < nodo.hijos.size(); ++i) {
            Fragmento parte;
            if (!construye(nodo.hijos.at(invertido ? nodo.hijos.size() - 1 - i : i), &parte))
                return false;
            concatena(f, std::move(parte));
        }
        return !agotado();
    }
    case Nodo::Alternativa:
        for (const int h : nodo.hijos) {
            Fragmento rama;
            if (!construye(h, &rama))
                return false;
            f->primeros.insert(f->primeros.end(), rama.primeros.begin(), rama.primeros.end());
            f->ultimos.insert(f->ultimos.end(), rama.ultimos.begin(), rama.ultimos.end());
            f->vacio = uneVias(std::move(f->vacio), rama.vacio);
            *trabajo -= kPorEntrada * double(rama.primeros.size() + rama.ultimos.size());
        }
        return !agotado();
    case Nodo::Repeticion:
        if (nodo.maximo == 0) {
            f->vacio = kSinAnclas;
            return true;
        }
        repite(nodo, f);
        return !agotado();
    default:
        return false;
    }
}

Fragmento Constructor::cualquierCosa()
{
    Fragmento bucle;
    const Intervalos todo{{0, kUltimoCodigo}};
    if (!limites) {
        const int p = nuevaPosicion(todo, false);
        bucle.primeros.push_back(Entrada{p, kSinAnclas});
    } else {
        const int si = nuevaPosicion(intervalosDePalabra(), true);
        const int no = nuevaPosicion(niega(intervalosDePalabra()), false);
        bucle.primeros.push_back(Entrada{si, kSinAnclas});
        bucle.primeros.push_back(Entrada{no, kSinAnclas});
    }
    bucle.ultimos = bucle.primeros;
    junta(bucle.ultimos, bucle.primeros);
    bucle.vacio = kSinAnclas;
    return bucle;
}

// The classes of the alphabet: code units that every test admits alike share one. Sweeps the tests' ranges once,
// keeping which tests hold over each stretch; a stretch runs from its first code unit to the next one's.
struct Particion
{
    std::vector<std::pair<int, quint16>> tramos;
    std::vector<std::vector<int>> pruebasDe;
};

bool divideAlfabeto(const std::vector<Intervalos> &pruebas, double *trabajo, Particion *alfabeto)
{
    std::vector<std::pair<int, int>> eventos;
    for (size_t t = 0; t < pruebas.size(); ++t) {
        for (const auto &i : pruebas[t]) {
            eventos.emplace_back(i.first, int(t));
            eventos.emplace_back(i.second + 1, int(t));
        }
    }
    *trabajo -= kPorEntrada * 4 * double(eventos.size());
    if (*trabajo < 0)
        return false;
    std::sort(eventos.begin(), eventos.end());
    const int nPalabras = std::max(1, int((pruebas.size() + 63) / 64));
    std::vector<quint64> activas(size_t(nPalabras), 0);
    KovConjuntos firmas(nPalabras);
    size_t e = 0;
    int desde = 0;
    while (desde <= kUltimoCodigo) {
        while (e < eventos.size() && eventos[e].first == desde) {
            activas[size_t(eventos[e].second / 64)] ^= quint64(1) << (eventos[e].second % 64);
            ++e;
        }
        const int hasta = e < eventos.size() ? std::min(eventos[e].first, kUltimoCodigo + 1) : kUltimoCodigo + 1;
        int clase = firmas.busca(activas.data());
        if (clase < 0) {
            if (firmas.cuantos() >= 65535)
                return false;
            clase = firmas.agrega(activas.data());
            std::vector<int> suyas;
            for (int t = 0; t < int(pruebas.size()); ++t) {
                if (activas[size_t(t / 64)] & (quint64(1) << (t % 64)))
                    suyas.push_back(t);
            }
            alfabeto->pruebasDe.push_back(std::move(suyas));
            *trabajo -= kPorEntrada * double(pruebas.size());
        }
        alfabeto->tramos.emplace_back(desde, quint16(clase));
        *trabajo -= kPorEntrada + kPorPalabraTrabajo * nPalabras;
        desde = hasta;
    }
    return *trabajo >= 0;
}

// The alphabet's classes as the programs look them up: a block of 256 code units that one stretch covers is that
// class's block of one class, made once; the others are written out, each distinct one once.
void tablasDeClases(const Particion &particion, double *trabajo, KovPosiciones::Alfabeto *alfabeto)
{
    const std::vector<std::pair<int, quint16>> &tramos = particion.tramos;
    alfabeto->bajo.assign(256, 0);
    alfabeto->bloques.assign(256, 0);
    alfabeto->altos.clear();
    std::vector<int> uniforme(particion.pruebasDe.size(), -1);
    std::map<std::vector<quint16>, int> vistos;
    std::vector<quint16> bloque(256);
    size_t t = 0;
    for (int b = 0; b < 256; ++b) {
        const int inicio = b * 256;
        const int fin = inicio + 256;
        while (t + 1 < tramos.size() && tramos[t + 1].first <= inicio)
            ++t;
        const bool entero = t + 1 >= tramos.size() || tramos[t + 1].first >= fin;
        int lugar;
        if (entero) {
            int &u = uniforme[tramos[t].second];
            if (u < 0) {
                u = int(alfabeto->altos.size());
                alfabeto->altos.insert(alfabeto->altos.end(), 256, tramos[t].second);
            }
            lugar = u;
            std::fill(bloque.begin(), bloque.end(), tramos[t].second);
        } else {
            for (size_t k = t; k < tramos.size() && tramos[k].first < fin; ++k) {
                const int desde = std::max(tramos[k].first, inicio);
                const int hasta = k + 1 < tramos.size() ? std::min(tramos[k + 1].first, fin) : fin;
                std::fill(bloque.begin() + (desde - inicio), bloque.begin() + (hasta - inicio), tramos[k].second);
            }
            auto it = vistos.find(bloque);
            if (it == vistos.end()) {
                it = vistos.emplace(bloque, int(alfabeto->altos.size())).first;
                alfabeto->altos.insert(alfabeto->altos.end(), bloque.begin(), bloque.end());
            }
            lugar = it->second;
            *trabajo -= kPorEntrada * 256;
        }
        if (b == 0)
            alfabeto->bajo = bloque;
        alfabeto->bloques[size_t(b)] = quint16(lugar);
    }
    *trabajo -= kPorEntrada * 256;
}

bool algunaEnPartes(const KovArbolPatron &arbol, const std::vector<int> &partes, int ancla)
{
    for (const int p : partes) {
        if (arbol.contiene(p, Nodo::Anclaje, ancla))
            return true;
    }
    return false;
}

} // namespace

bool KovPosiciones::construye(const KovArbolPatron &arbol, const std::vector<int> &partes, const Forma &forma,
                              int maxPosiciones, double *trabajo)
{
    KovPosiciones *a = this;
    const bool limites = algunaEnPartes(arbol, partes, KovArbolPatron::Palabra)
                         || algunaEnPartes(arbol, partes, KovArbolPatron::NoPalabra);
    Constructor c(arbol, limites, trabajo, forma.adelantes, forma.invertido);
    double total = forma.cierre || forma.invertido ? 2 : 0;
    for (const int p : partes) {
        total += c.cuenta(p, maxPosiciones);
        if (total > maxPosiciones)
            return false;
    }
    c.reserva(int(total));
    Fragmento f;
    f.vacio = kSinAnclas;
    for (size_t i = 0; i < partes.size(); ++i) {
        Fragmento parte;
        if (!c.construye(partes[forma.invertido ? partes.size() - 1 - i : i], &parte))
            return false;
        c.concatena(&f, std::move(parte));
    }
    if (forma.cierre)
        c.concatena(&f, c.cualquierCosa());
    if (forma.invertido) {
        Fragmento antes = c.cualquierCosa();
        c.concatena(&antes, std::move(f));
        f = std::move(antes);
    }
    if (c.agotado())
        return false;

    const int n = c.posiciones;
    const int w = c.palabras;
    // Where a text may start, end, or hold no character, for each set of look-aheads that must hold there.
    std::vector<std::pair<int, int>> iniciales;
    std::vector<std::pair<int, int>> aceptan[kPuntos];
    std::vector<int> vacios[kPuntos];
    for (const Entrada &e : f.primeros) {
        for (const quint32 t : validas(e.vias, true, false, false, c.dePalabra[size_t(e.pos)] != 0))
            iniciales.emplace_back(c.termino(t), e.pos);
    }
    for (int punto = 0; punto < kPuntos; ++punto) {
        for (const Entrada &e : f.ultimos) {
            for (const quint32 t : validas(e.vias, false, punto == AlFinal, c.dePalabra[size_t(e.pos)] != 0, false))
                aceptan[punto].emplace_back(c.termino(t), e.pos);
        }
        for (const quint32 t : validas(f.vacio, true, punto == AlFinal, false, false))
            vacios[punto].push_back(c.termino(t));
    }
    const int nt = int(c.terminos.size());
    a->terminos = c.terminos;
    a->bits.posiciones = n;
    a->bits.palabras = w;
    a->bits.iniciales.assign(size_t(nt) * size_t(w), 0);
    a->bits.aceptan.assign(kPuntos * size_t(nt) * size_t(w), 0);
    a->bits.vacios.assign(kPuntos * size_t(nt), 0);
    for (const auto &e : iniciales)
        a->bits.iniciales[size_t(e.first) * size_t(w) + size_t(e.second / 64)] |= quint64(1) << (e.second % 64);
    for (int punto = 0; punto < kPuntos; ++punto) {
        for (const auto &e : aceptan[punto]) {
            a->bits.aceptan[(size_t(punto) * size_t(nt) + size_t(e.first)) * size_t(w) + size_t(e.second / 64)] |=
                quint64(1) << (e.second % 64);
        }
        for (const int t : vacios[punto])
            a->bits.vacios[size_t(punto) * size_t(nt) + size_t(t)] = 1;
    }
    a->bits.aceptaVacio = a->bits.vacios[0] != 0;

    Particion alfabeto;
    if (!divideAlfabeto(c.pruebas, trabajo, &alfabeto))
        return false;
    a->alfabeto.nclases = int(alfabeto.pruebasDe.size());
    tablasDeClases(alfabeto, trabajo, &a->alfabeto);
    // The positions each class admits.
    std::vector<quint64> dePrueba(c.pruebas.size() * size_t(w), 0);
    for (int p = 0; p < n; ++p)
        dePrueba[size_t(c.prueba[size_t(p)]) * size_t(w) + size_t(p / 64)] |= quint64(1) << (p % 64);
    a->bits.admite.assign(size_t(a->alfabeto.nclases) * size_t(w), 0);
    for (int k = 0; k < a->alfabeto.nclases; ++k) {
        quint64 *fila = a->bits.admite.data() + size_t(k) * size_t(w);
        for (const int t : alfabeto.pruebasDe[size_t(k)]) {
            const quint64 *bits = dePrueba.data() + size_t(t) * size_t(w);
            for (int j = 0; j < w; ++j)
                fila[j] |= bits[j];
        }
        *trabajo -= kTrabajoPorPalabra * w * double(alfabeto.pruebasDe[size_t(k)].size() + 1);
    }
    // Room was made for as many positions as the parts could take; each set of look-aheads keeps those made.
    a->sigue.clear();
    for (const std::vector<quint64> &sigue : c.sigues)
        a->sigue.insert(a->sigue.end(), sigue.begin(), sigue.begin() + ptrdiff_t(n) * w);
    return *trabajo >= 0;
}

