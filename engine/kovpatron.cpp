#include "kovpatron.h"

#include <algorithm>
#include <map>
#include <unordered_map>
#include <utility>

namespace {

using Nodo = KovArbolPatron::Nodo;

// Sorted, disjoint, inclusive ranges of code units.
using Intervalos = std::vector<std::pair<int, int>>;

const int kUltimoCodigo = 0xffff;

// What each step of the model costs, in nanoseconds of this machine, as the benchmark measured them with a margin: a
// DFA step, and one whose table is too large to stay in the cache; and for the bit sets, each word of the active set
// (clearing, scanning, filtering), each position that may be active, each word of a follow set that may be added.
const double kPasoDfa = 3;
const double kPasoDfaSinCache = 150;
const double kTablaEnCache = 256 * 1024;
const double kFijoBits = 6;
const double kPorPalabra = 1.2;
const double kPorPosicion = 2.5;
const double kPorPalabraSigue = 1.0;

// Units of compiling work, of about a nanosecond each.
const double kPorEntrada = 4;
const double kPorPalabraTrabajo = 1;

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
    quint16 r = conjunto;
    for (int m = 0; m < 16; ++m) {
        if (!(conjunto & (1u << m)))
            continue;
        for (int s = 0; s < 16; ++s) {
            if (s != m && (conjunto & (1u << s)) && (s & m) == s) {
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
    for (int m = 0; m < 16; ++m) {
        if (!(a & (1u << m)))
            continue;
        for (int n = 0; n < 16; ++n) {
            if (b & (1u << n))
                r = quint16(r | (1u << (m | n)));
        }
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
    for (int m = 0; m < 16; ++m) {
        if ((conjunto & (1u << m)) && valida(m, inicio, fin, antes, despues))
            return true;
    }
    return false;
}

// Drops the masks no path can meet where they stand: a "^" after a character, a "$" before one, a boundary that
// must hold and not hold.
quint16 posibles(quint16 conjunto, bool sinCircunflejo, bool sinDolar)
{
    quint16 r = 0;
    for (int m = 0; m < 16; ++m) {
        if (!(conjunto & (1u << m)))
            continue;
        if ((sinCircunflejo && (m & KovArbolPatron::Circunflejo)) || (sinDolar && (m & KovArbolPatron::Dolar)))
            continue;
        if ((m & KovArbolPatron::Palabra) && (m & KovArbolPatron::NoPalabra))
            continue;
        r = quint16(r | (1u << m));
    }
    return r;
}

bool contiene(const Nodo &nodo, const KovArbolPatron &arbol, Nodo::Tipo tipo, int valor = -1)
{
    if (nodo.tipo == tipo && (valor < 0 || nodo.valor == valor))
        return true;
    if (nodo.tipo == Nodo::Adelante)
        return false;
    for (const int h : nodo.hijos) {
        if (contiene(arbol.nodo(h), arbol, tipo, valor))
            return true;
    }
    return false;
}

bool contieneAdelante(const Nodo &nodo, const KovArbolPatron &arbol)
{
    if (nodo.tipo == Nodo::Adelante)
        return true;
    for (const int h : nodo.hijos) {
        if (contieneAdelante(arbol.nodo(h), arbol))
            return true;
    }
    return false;
}

// A position of the automaton and the anchors on the way to it (or from it).
struct Entrada
{
    int pos;
    quint16 mascaras;
};

// A piece of the pattern as the position automaton sees it: the positions it may start and end with, and the anchors
// of its ways through without a character (0: there are none).
struct Fragmento
{
    std::vector<Entrada> primeros;
    std::vector<Entrada> ultimos;
    quint16 vacio = 0;
};

const quint16 kSinAnclas = 1;

// Builds the position automaton of a pattern: a position for each character the pattern reads (two where the
// boundaries need to tell word characters from others and the class holds both), each with the positions that may
// follow it, as bit sets.
class Constructor
{
public:
    Constructor(const KovArbolPatron &arbol, bool limites, double *trabajo)
        : arbol(arbol), limites(limites), trabajo(trabajo)
    {
    }

    // Positions the parts would take; more than `tope` stops the count.
    double cuenta(int nodo, double tope);
    void reserva(int posiciones);
    bool construye(int nodo, Fragmento *f);
    // A trailing ".*", for a look-ahead: what it matched may be followed by anything.
    void cualquierCosa(Fragmento *f);
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
    std::vector<quint64> sigue;
    // The distinct tests, as the code units they admit.
    std::vector<Intervalos> pruebas;

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

void Constructor::reserva(int total)
{
    palabras = std::max(1, (total + 63) / 64);
    sigue.assign(size_t(total) * size_t(palabras), 0);
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
        quint16 mascaras;
        bool palabra;
        std::vector<quint64> bits;
        int desde;
        int hasta;
    };
    std::vector<Grupo> grupos;
    for (const Entrada &e : primeros) {
        const bool palabra = dePalabra[size_t(e.pos)] != 0;
        auto g = std::find_if(grupos.begin(), grupos.end(),
                              [&](const Grupo &x) { return x.mascaras == e.mascaras && x.palabra == palabra; });
        if (g == grupos.end()) {
            grupos.push_back(Grupo{e.mascaras, palabra, std::vector<quint64>(size_t(palabras), 0), e.pos / 64,
                                   e.pos / 64});
            g = grupos.end() - 1;
        }
        g->bits[size_t(e.pos / 64)] |= quint64(1) << (e.pos % 64);
        g->desde = std::min(g->desde, e.pos / 64);
        g->hasta = std::max(g->hasta, e.pos / 64);
    }
    *trabajo -= kPorEntrada * double(primeros.size() + ultimos.size())
                + kPorPalabraTrabajo * double(grupos.size()) * palabras;
    for (const Entrada &u : ultimos) {
        const bool antes = dePalabra[size_t(u.pos)] != 0;
        quint64 *destino = sigue.data() + size_t(u.pos) * size_t(palabras);
        for (const Grupo &g : grupos) {
            if (!algunaValida(combina(u.mascaras, g.mascaras), false, false, antes, g.palabra))
                continue;
            for (int w = g.desde; w <= g.hasta; ++w)
                destino[w] |= g.bits[size_t(w)];
            *trabajo -= kPorPalabraTrabajo * (g.hasta - g.desde + 1);
        }
    }
}

void Constructor::concatena(Fragmento *a, Fragmento &&b)
{
    junta(a->ultimos, b.primeros);
    if (a->vacio) {
        for (const Entrada &e : b.primeros) {
            const quint16 m = posibles(combina(a->vacio, e.mascaras), false, true);
            if (m)
                a->primeros.push_back(Entrada{e.pos, m});
        }
    }
    if (b.vacio) {
        for (const Entrada &e : a->ultimos) {
            const quint16 m = posibles(combina(e.mascaras, b.vacio), true, false);
            if (m)
                b.ultimos.push_back(Entrada{e.pos, m});
        }
    }
    a->ultimos = std::move(b.ultimos);
    a->vacio = posibles(combina(a->vacio, b.vacio), false, false);
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
    case Nodo::Anclaje:
        f->vacio = quint16(1u << nodo.valor);
        return true;
    case Nodo::Grupo:
        return construye(nodo.hijos.first(), f);
    case Nodo::Secuencia: {
        f->vacio = kSinAnclas;
        for (const int h : nodo.hijos) {
            Fragmento parte;
            if (!construye(h, &parte))
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
            f->vacio = reduce(quint16(f->vacio | rama.vacio));
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

void Constructor::cualquierCosa(Fragmento *f)
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
    concatena(f, std::move(bucle));
}

// An open-addressed table of bit sets held in one array, each `palabras` words long.
class TablaConjuntos
{
public:
    explicit TablaConjuntos(int palabras) : palabras(palabras), huecos(1024, -1) {}

    int busca(const quint64 *conjunto) const
    {
        for (size_t h = hash(conjunto) & (huecos.size() - 1);; h = (h + 1) & (huecos.size() - 1)) {
            if (huecos[h] < 0)
                return -1;
            if (std::equal(conjunto, conjunto + palabras, conjuntos.data() + size_t(huecos[h]) * size_t(palabras)))
                return huecos[h];
        }
    }

    int agrega(const quint64 *conjunto)
    {
        const int n = cuantos();
        conjuntos.insert(conjuntos.end(), conjunto, conjunto + palabras);
        if (size_t(n + 1) * 2 > huecos.size()) {
            std::vector<int> viejos(huecos.size() * 2, -1);
            huecos.swap(viejos);
            for (int i = 0; i < n; ++i)
                coloca(i);
        }
        coloca(n);
        return n;
    }

    int cuantos() const { return int(conjuntos.size() / size_t(palabras)); }
    const quint64 *conjunto(int i) const { return conjuntos.data() + size_t(i) * size_t(palabras); }

private:
    size_t hash(const quint64 *conjunto) const
    {
        quint64 h = 0x9E3779B97F4A7C15ull;
        for (int w = 0; w < palabras; ++w)
            h = (h ^ conjunto[w]) * 0xC2B2AE3D27D4EB4Full;
        return size_t(h ^ (h >> 29));
    }

    void coloca(int i)
    {
        size_t h = hash(conjunto(i)) & (huecos.size() - 1);
        while (huecos[h] >= 0)
            h = (h + 1) & (huecos.size() - 1);
        huecos[h] = i;
    }

    int palabras;
    std::vector<quint64> conjuntos;
    std::vector<int> huecos;
};

// The classes of the alphabet: code units that every test admits alike share one. Sweeps the tests' ranges once,
// keeping which tests hold over each stretch.
struct Particion
{
    std::vector<quint16> claseDe;
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
    TablaConjuntos firmas(nPalabras);
    alfabeto->claseDe.assign(kUltimoCodigo + 1, 0);
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
        }
        std::fill(alfabeto->claseDe.begin() + desde, alfabeto->claseDe.begin() + hasta, quint16(clase));
        *trabajo -= kPorPalabraTrabajo * nPalabras;
        desde = hasta;
    }
    return *trabajo >= 0;
}

// The look-aheads that open a piece, and what follows them: at the very start of the text every zero-width piece is
// tested at one point, so the look-aheads there can be taken out and tested on their own, each an automaton run on
// the whole text.
bool separa(const KovArbolPatron &arbol, int raiz, std::vector<int> *partes, std::vector<int> *adelantes)
{
    int n = raiz;
    while (arbol.nodo(n).tipo == Nodo::Grupo)
        n = arbol.nodo(n).hijos.first();
    const Nodo &nodo = arbol.nodo(n);
    QVector<int> hijos;
    if (nodo.tipo == Nodo::Secuencia)
        hijos = nodo.hijos;
    else
        hijos.append(n);
    bool inicio = true;
    for (const int h : hijos) {
        const Nodo &hijo = arbol.nodo(h);
        const bool repetido = hijo.tipo == Nodo::Repeticion;
        const Nodo &base = repetido ? arbol.nodo(hijo.hijos.first()) : hijo;
        if (inicio && base.tipo == Nodo::Adelante) {
            // Optional, QRegExp drops it; taken once or more, it holds or not the same.
            if (!repetido || hijo.minimo > 0)
                adelantes->push_back(repetido ? hijo.hijos.first() : h);
            continue;
        }
        if (base.tipo != Nodo::Anclaje)
            inicio = false;
        if (contieneAdelante(hijo, arbol) || contiene(hijo, arbol, Nodo::Referencia))
            return false;
        partes->push_back(h);
    }
    return true;
}

// An automaton's alphabet: the class of each code unit, below 256 at once, above it through the distinct blocks of
// 256 code units.
struct Alfabeto
{
    std::vector<quint16> bajo;
    std::vector<quint16> bloques;
    std::vector<quint16> altos;
    int nclases = 0;

    int clase(ushort u) const { return u < 256 ? bajo[u] : altos[bloques[u >> 8] + (u & 255)]; }
    qint64 bytes() const { return qint64(sizeof(quint16)) * qint64(bajo.size() + bloques.size() + altos.size()); }
};

// An automaton's positions as bit sets: those each class admits, those a text may start and end with.
struct Posiciones
{
    int posiciones = 0;
    int palabras = 0;
    std::vector<quint64> admite;
    std::vector<quint64> iniciales;
    std::vector<quint64> aceptan;
    bool aceptaVacio = false;

    qint64 bytes() const { return qint64(sizeof(quint64)) * qint64(admite.size() + iniciales.size() + aceptan.size()); }
};

// The alphabet's classes as the programs look them up.
void tablasDeClases(const std::vector<quint16> &claseDe, Alfabeto *alfabeto)
{
    std::vector<quint16> *bajo = &alfabeto->bajo;
    std::vector<quint16> *bloques = &alfabeto->bloques;
    std::vector<quint16> *altos = &alfabeto->altos;
    bajo->assign(claseDe.begin(), claseDe.begin() + 256);
    bloques->assign(256, 0);
    altos->clear();
    std::map<std::vector<quint16>, int> vistos;
    for (int b = 0; b < 256; ++b) {
        std::vector<quint16> bloque(claseDe.begin() + b * 256, claseDe.begin() + (b + 1) * 256);
        auto it = vistos.find(bloque);
        if (it == vistos.end()) {
            it = vistos.emplace(bloque, int(altos->size())).first;
            altos->insert(altos->end(), bloque.begin(), bloque.end());
        }
        (*bloques)[size_t(b)] = quint16(it->second);
    }
}

struct Automata
{
    Alfabeto alfabeto;
    Posiciones bits;
    // The follow set of every position, one after the other.
    std::vector<quint64> sigue;
};

bool algunaEnPartes(const KovArbolPatron &arbol, const std::vector<int> &partes, int ancla)
{
    for (const int p : partes) {
        if (contiene(arbol.nodo(p), arbol, Nodo::Anclaje, ancla))
            return true;
    }
    return false;
}

KovPatron::Resultado automataDePosiciones(const KovArbolPatron &arbol, const std::vector<int> &partes, bool cierre,
                                          double *trabajo, Automata *a)
{
    const bool limites = algunaEnPartes(arbol, partes, KovArbolPatron::Palabra)
                         || algunaEnPartes(arbol, partes, KovArbolPatron::NoPalabra);
    Constructor c(arbol, limites, trabajo);
    double total = cierre ? 2 : 0;
    for (const int p : partes) {
        total += c.cuenta(p, KovPatron::kMaxPosiciones);
        if (total > KovPatron::kMaxPosiciones)
            return KovPatron::Excesivo;
    }
    c.reserva(int(total));
    Fragmento f;
    f.vacio = kSinAnclas;
    for (const int p : partes) {
        Fragmento parte;
        if (!c.construye(p, &parte))
            return KovPatron::Excesivo;
        c.concatena(&f, std::move(parte));
    }
    if (cierre)
        c.cualquierCosa(&f);
    if (c.agotado())
        return KovPatron::Excesivo;

    const int n = c.posiciones;
    const int w = c.palabras;
    a->bits.posiciones = n;
    a->bits.palabras = w;
    a->bits.iniciales.assign(size_t(w), 0);
    a->bits.aceptan.assign(size_t(w), 0);
    for (const Entrada &e : f.primeros) {
        if (algunaValida(e.mascaras, true, false, false, c.dePalabra[size_t(e.pos)] != 0))
            a->bits.iniciales[size_t(e.pos / 64)] |= quint64(1) << (e.pos % 64);
    }
    for (const Entrada &e : f.ultimos) {
        if (algunaValida(e.mascaras, false, true, c.dePalabra[size_t(e.pos)] != 0, false))
            a->bits.aceptan[size_t(e.pos / 64)] |= quint64(1) << (e.pos % 64);
    }
    a->bits.aceptaVacio = algunaValida(f.vacio, true, true, false, false);

    Particion alfabeto;
    if (!divideAlfabeto(c.pruebas, trabajo, &alfabeto))
        return KovPatron::Excesivo;
    a->alfabeto.nclases = int(alfabeto.pruebasDe.size());
    tablasDeClases(alfabeto.claseDe, &a->alfabeto);
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
        *trabajo -= kPorPalabraTrabajo * w * double(alfabeto.pruebasDe[size_t(k)].size() + 1);
    }
    a->sigue = std::move(c.sigue);
    return *trabajo < 0 ? KovPatron::Excesivo : KovPatron::Compilado;
}

// The subset construction over the classes; false, building nothing, past the bounds on its rows, its cells, the
// work or the memory left.
bool dfaEntero(const Automata &a, KovPatron::Presupuesto *presupuesto, std::vector<qint32> *tabla,
               std::vector<quint8> *finales, qint32 *arranque, qint32 *limiteSumideros)
{
    const int w = a.bits.palabras;
    const int k = a.alfabeto.nclases;
    TablaConjuntos filas(w);
    std::vector<quint64> cero(size_t(w), 0);
    filas.agrega(cero.data());
    // Row 1 stands for the start, before any character: it is no set of positions, so it is never looked up.
    std::vector<quint64> marca(size_t(w), ~quint64(0));
    filas.agrega(marca.data());
    std::vector<qint32> siguientes;
    std::vector<quint64> alcance(static_cast<size_t>(w));
    std::vector<quint64> proximo(static_cast<size_t>(w));
    double trabajo = presupuesto->trabajo;
    for (int fila = 0; fila < filas.cuantos(); ++fila) {
        if (fila == 0) {
            siguientes.insert(siguientes.end(), size_t(k), 0);
            continue;
        }
        if (fila == 1) {
            alcance = a.bits.iniciales;
        } else {
            std::fill(alcance.begin(), alcance.end(), 0);
            const quint64 *conjunto = filas.conjunto(fila);
            for (int j = 0; j < w; ++j) {
                for (quint64 bits = conjunto[j]; bits; bits &= bits - 1) {
                    const int p = j * 64 + __builtin_ctzll(bits);
                    const quint64 *s = a.sigue.data() + size_t(p) * size_t(w);
                    for (int x = 0; x < w; ++x)
                        alcance[size_t(x)] |= s[x];
                    trabajo -= kPorPalabraTrabajo * w;
                }
            }
        }
        for (int c = 0; c < k; ++c) {
            const quint64 *fila_c = a.bits.admite.data() + size_t(c) * size_t(w);
            for (int x = 0; x < w; ++x)
                proximo[size_t(x)] = alcance[size_t(x)] & fila_c[x];
            int id = filas.busca(proximo.data());
            if (id < 0) {
                if (filas.cuantos() >= KovPatron::kMaxFilasDfa
                    || double(filas.cuantos() + 1) * k > KovPatron::kMaxCeldasDfa)
                    return false;
                id = filas.agrega(proximo.data());
            }
            siguientes.push_back(id);
            trabajo -= kPorPalabraTrabajo * 3 * w;
        }
        if (trabajo < 0 || double(siguientes.size()) * 4 > presupuesto->memoria)
            return false;
    }
    const int n = filas.cuantos();
    std::vector<quint8> final(size_t(n), 0);
    final[1] = a.bits.aceptaVacio ? 1 : 0;
    for (int f = 2; f < n; ++f) {
        const quint64 *conjunto = filas.conjunto(f);
        for (int x = 0; x < w && !final[size_t(f)]; ++x)
            final[size_t(f)] = (conjunto[x] & a.bits.aceptan[size_t(x)]) ? 1 : 0;
    }
    // The rows that never change again go first, so that a run ends as soon as it reaches one.
    std::vector<int> orden;
    std::vector<int> resto;
    for (int f = 0; f < n; ++f) {
        bool fijo = true;
        for (int c = 0; c < k && fijo; ++c)
            fijo = siguientes[size_t(f) * size_t(k) + size_t(c)] == f;
        (fijo ? orden : resto).push_back(f);
    }
    *limiteSumideros = qint32(orden.size()) * k;
    orden.insert(orden.end(), resto.begin(), resto.end());
    std::vector<int> nuevo(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        nuevo[size_t(orden[size_t(i)])] = i;
    tabla->assign(size_t(n) * size_t(k), 0);
    finales->assign(size_t(n), 0);
    for (int i = 0; i < n; ++i) {
        const int f = orden[size_t(i)];
        (*finales)[size_t(i)] = final[size_t(f)];
        for (int c = 0; c < k; ++c)
            (*tabla)[size_t(i) * size_t(k) + size_t(c)] = nuevo[size_t(siguientes[size_t(f) * size_t(k) + size_t(c)])] * k;
    }
    *arranque = nuevo[1] * k;
    presupuesto->trabajo = trabajo;
    return true;
}

} // namespace

struct KovPatron::Programa
{
    Alfabeto alfabeto;
    // The whole DFA: rows of `nclases` entries, each the offset of the next row; the rows that never change again
    // come first.
    std::vector<qint32> tabla;
    std::vector<quint8> finales;
    qint32 arranque = 0;
    qint32 limiteSumideros = 0;
    bool dfa = false;
    // Without it: the positions, and their follow sets, each distinct one once, as a span of words.
    Posiciones bits;
    std::vector<quint64> sigue;
    std::vector<qint32> inicioSigue;
    std::vector<qint32> primeraSigue;
    std::vector<qint32> largoSigue;
    std::vector<qint32> conjuntoDe;
    double costo = 0;

    bool corre(const QChar *texto, int largo, Rastro *rastro) const;
    qint64 memoria() const;
};

KovPatron::KovPatron() = default;
KovPatron::~KovPatron() = default;
KovPatron::KovPatron(KovPatron &&otro) noexcept = default;
KovPatron &KovPatron::operator=(KovPatron &&otro) noexcept = default;

bool KovPatron::Programa::corre(const QChar *texto, int largo, Rastro *rastro) const
{
    if (dfa) {
        const qint32 *t = tabla.data();
        qint32 d = arranque;
        for (int i = 0; i < largo; ++i) {
            if (d < limiteSumideros)
                break;
            d = t[d + alfabeto.clase(texto[i].unicode())];
        }
        return finales[size_t(d / alfabeto.nclases)] != 0;
    }
    if (largo == 0)
        return bits.aceptaVacio;
    const int w = bits.palabras;
    quint64 *activas = rastro->palabras.data();
    quint64 *alcance = activas + w;
    quint32 *sellos = rastro->sellos.data();
    const quint64 *fila = bits.admite.data() + size_t(alfabeto.clase(texto[0].unicode())) * size_t(w);
    quint64 algo = 0;
    for (int k = 0; k < w; ++k) {
        activas[k] = bits.iniciales[size_t(k)] & fila[k];
        algo |= activas[k];
    }
    for (int i = 1; i < largo && algo; ++i) {
        if (++rastro->paso == 0) {
            std::fill(rastro->sellos.begin(), rastro->sellos.end(), 0);
            rastro->paso = 1;
        }
        const quint32 paso = rastro->paso;
        std::fill(alcance, alcance + w, 0);
        for (int k = 0; k < w; ++k) {
            for (quint64 bits = activas[k]; bits; bits &= bits - 1) {
                const int p = k * 64 + __builtin_ctzll(bits);
                const int s = conjuntoDe[size_t(p)];
                if (sellos[s] == paso)
                    continue;
                sellos[s] = paso;
                const quint64 *desde = sigue.data() + inicioSigue[size_t(s)];
                quint64 *hacia = alcance + primeraSigue[size_t(s)];
                for (int j = 0; j < largoSigue[size_t(s)]; ++j)
                    hacia[j] |= desde[j];
            }
        }
        fila = bits.admite.data() + size_t(alfabeto.clase(texto[i].unicode())) * size_t(w);
        algo = 0;
        for (int k = 0; k < w; ++k) {
            activas[k] = alcance[k] & fila[k];
            algo |= activas[k];
        }
    }
    if (!algo)
        return false;
    for (int k = 0; k < w; ++k) {
        if (activas[k] & bits.aceptan[size_t(k)])
            return true;
    }
    return false;
}

qint64 KovPatron::Programa::memoria() const
{
    return alfabeto.bytes() + bits.bytes()
           + qint64(sizeof(qint32)) * qint64(tabla.size() + inicioSigue.size() + primeraSigue.size()
                                             + largoSigue.size() + conjuntoDe.size())
           + qint64(finales.size()) + qint64(sizeof(quint64)) * qint64(sigue.size()) + qint64(sizeof(Programa));
}

KovPatron::Resultado KovPatron::construye(const KovArbolPatron &arbol, const std::vector<int> &partes, bool cierre,
                                          Presupuesto *presupuesto, Programa *p)
{
    Automata a;
    const Resultado r = automataDePosiciones(arbol, partes, cierre, &presupuesto->trabajo, &a);
    if (r != Compilado)
        return r;
    p->alfabeto = std::move(a.alfabeto);
    // A pattern hard to determinize takes no more than a share of what is left, so that the patterns after it
    // still have their turn.
    Presupuesto intento{std::min(presupuesto->trabajo / 2, kTrabajoDfa), presupuesto->memoria};
    const double antes = intento.trabajo;
    p->dfa = dfaEntero(a, &intento, &p->tabla, &p->finales, &p->arranque, &p->limiteSumideros);
    presupuesto->trabajo -= antes - std::max(intento.trabajo, 0.0);
    if (p->dfa) {
        p->costo = double(p->tabla.size()) * sizeof(qint32) > kTablaEnCache ? kPasoDfaSinCache : kPasoDfa;
    } else {
        p->tabla.clear();
        p->finales.clear();
        const int w = a.bits.palabras;
        const int n = a.bits.posiciones;
        TablaConjuntos distintos(w);
        p->conjuntoDe.resize(size_t(n));
        for (int i = 0; i < n; ++i) {
            const quint64 *s = a.sigue.data() + size_t(i) * size_t(w);
            int id = distintos.busca(s);
            if (id < 0) {
                id = distintos.agrega(s);
                int desde = 0;
                while (desde < w && !s[desde])
                    ++desde;
                int hasta = w;
                while (hasta > desde && !s[hasta - 1])
                    --hasta;
                p->inicioSigue.push_back(qint32(p->sigue.size()));
                p->primeraSigue.push_back(desde);
                p->largoSigue.push_back(hasta - desde);
                p->sigue.insert(p->sigue.end(), s + desde, s + hasta);
            }
            p->conjuntoDe[size_t(i)] = id;
        }
        presupuesto->trabajo -= kPorPalabraTrabajo * 2 * double(n) * w;
        p->bits = std::move(a.bits);
        // The worst step: every position active, every distinct follow set added.
        p->costo = kFijoBits + kPorPalabra * 3 * w + kPorPosicion * n
                   + kPorPalabraSigue * double(p->sigue.size());
    }
    presupuesto->memoria -= double(p->memoria());
    return presupuesto->memoria < 0 || presupuesto->trabajo < 0 ? Excesivo : Compilado;
}

KovPatron::Resultado KovPatron::condicion(const KovArbolPatron &arbol, int adelante, Presupuesto *presupuesto,
                                          int *indice)
{
    const Nodo &nodo = arbol.nodo(adelante);
    std::vector<int> partes;
    std::vector<int> suyas;
    if (!separa(arbol, nodo.hijos.first(), &partes, &suyas))
        return Ajeno;
    Programa programa;
    const Resultado r = construye(arbol, partes, true, presupuesto, &programa);
    if (r != Compilado)
        return r;
    programas.push_back(std::move(programa));
    Condicion c;
    c.programa = int(programas.size()) - 1;
    c.negada = nodo.valor == 1;
    for (const int s : suyas) {
        int hija = -1;
        const Resultado rs = condicion(arbol, s, presupuesto, &hija);
        if (rs != Compilado)
            return rs;
        c.hijas.push_back(hija);
    }
    condiciones.push_back(std::move(c));
    *indice = int(condiciones.size()) - 1;
    return Compilado;
}

KovPatron::Resultado KovPatron::compila(const QString &patron)
{
    KovArbolPatron arbol;
    if (arbol.lee(patron) != KovArbolPatron::Leido) {
        programas.clear();
        condiciones.clear();
        raices.clear();
        return Ajeno;
    }
    Presupuesto presupuesto;
    return compila(arbol, &presupuesto);
}

KovPatron::Resultado KovPatron::compila(const KovArbolPatron &arbol, Presupuesto *presupuesto)
{
    programas.clear();
    condiciones.clear();
    raices.clear();
    std::vector<int> partes;
    std::vector<int> adelantes;
    Resultado r = separa(arbol, arbol.raiz(), &partes, &adelantes) ? Compilado : Ajeno;
    if (r == Compilado) {
        Programa propio;
        r = construye(arbol, partes, false, presupuesto, &propio);
        programas.push_back(std::move(propio));
    }
    for (size_t i = 0; r == Compilado && i < adelantes.size(); ++i) {
        int c = -1;
        r = condicion(arbol, adelantes[i], presupuesto, &c);
        raices.push_back(c);
    }
    if (r == Compilado && costoPorCaracter() > kCostoMaximo)
        r = Excesivo;
    if (r != Compilado) {
        programas.clear();
        condiciones.clear();
        raices.clear();
    }
    return r;
}

bool KovPatron::cumple(int condicion, const QChar *texto, int largo, Rastro *rastro) const
{
    const Condicion &c = condiciones[size_t(condicion)];
    bool si = programas[size_t(c.programa)].corre(texto, largo, rastro);
    for (size_t i = 0; si && i < c.hijas.size(); ++i)
        si = cumple(c.hijas[i], texto, largo, rastro);
    return si != c.negada;
}

bool KovPatron::coincide(const QString &valor, Rastro *rastro) const
{
    if (programas.empty())
        return false;
    const QChar *texto = valor.constData();
    const int largo = valor.size();
    if (!programas.front().corre(texto, largo, rastro))
        return false;
    for (const int c : raices) {
        if (!cumple(c, texto, largo, rastro))
            return false;
    }
    return true;
}

bool KovPatron::coincide(const QString &valor) const
{
    Rastro rastro;
    preparaRastro(&rastro);
    return coincide(valor, &rastro);
}

void KovPatron::preparaRastro(Rastro *rastro) const
{
    size_t palabras = 0;
    size_t sellos = 0;
    for (const Programa &p : programas) {
        if (!p.dfa) {
            palabras = std::max(palabras, size_t(2 * p.bits.palabras));
            sellos = std::max(sellos, p.largoSigue.size());
        }
    }
    rastro->palabras.assign(palabras, 0);
    rastro->sellos.assign(sellos, 0);
    rastro->paso = 0;
}

double KovPatron::costoPorCaracter() const
{
    double costo = 0;
    for (const Programa &p : programas)
        costo += p.costo;
    return costo;
}

qint64 KovPatron::memoria() const
{
    qint64 bytes = 0;
    for (const Programa &p : programas)
        bytes += p.memoria();
    return bytes;
}

qint64 KovPatron::memoriaRastro() const
{
    Rastro rastro;
    preparaRastro(&rastro);
    return qint64(sizeof(Rastro)) + qint64(rastro.palabras.size() * sizeof(quint64))
           + qint64(rastro.sellos.size() * sizeof(quint32));
}

bool KovPatron::completo() const
{
    for (const Programa &p : programas) {
        if (!p.dfa)
            return false;
    }
    return !programas.empty();
}
