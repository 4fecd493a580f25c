#include "kovpatron.h"

#include "kovconjuntos.h"
#include "kovposiciones.h"

#include <algorithm>
#include <utility>

namespace {

using Nodo = KovArbolPatron::Nodo;

// What each step of the model costs, in nanoseconds of this machine, as the benchmark measured them with a margin: a
// DFA step, and one whose table is too large to stay in the cache; and for the bit sets, each word of the active set
// (clearing, scanning, filtering), each position that may be active, each word of a follow set that may be added.
// The programs of a pattern run one after the other over the text, so what stays in the cache is what they hold
// together, scratch included: past a share of the cache that holds on ordinary machines, every step of every one
// of them is taken as a miss. A program also costs its run on a text of one character, which is what a character
// costs where the field is that short.
const double kPasoDfa = 3;
const double kPasoDfaSinCache = 150;
const double kTablaEnCache = 256 * 1024;
const double kPorPrograma = 25;
const double kPorMarca = 2;
const double kPorPunto = 6;
const double kFijoBits = 6;
const double kPorPalabra = 1.2;
const double kPorPosicion = 2.5;
const double kPorPalabraSigue = 1.0;

// Units of compiling work, of about a nanosecond each, that the subset construction spends beyond the words of its
// sets: per cell (its class's filter, the look-up of the set), and per new row (its copy and its place).
const double kPorCelda = 16;
const double kPorFilaNueva = 60;

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
        if (arbol.contiene(h, Nodo::Referencia))
            return false;
        partes->push_back(h);
    }
    return true;
}

// The look-aheads a piece tests itself, not those inside them: each one is decided for every point of the text.
void adelantesDe(const KovArbolPatron &arbol, int n, std::vector<int> *adelantes)
{
    const Nodo &nodo = arbol.nodo(n);
    if (nodo.tipo == Nodo::Adelante) {
        if (std::find(adelantes->begin(), adelantes->end(), n) == adelantes->end())
            adelantes->push_back(n);
        return;
    }
    for (const int h : nodo.hijos)
        adelantesDe(arbol, h, adelantes);
}

// Which sets of look-aheads hold for each combination of the look-aheads that hold at a point: combinations that
// hold the same sets are one column of the DFA.
struct Satisfechos
{
    std::vector<quint16> de;
    std::vector<quint32> terminos;
};

bool satisfechos(const KovPosiciones &a, int adelantes, Satisfechos *s)
{
    const size_t nt = a.terminos.size();
    if (nt > 32 || adelantes > 13)
        return false;
    s->de.assign(size_t(1) << adelantes, 0);
    for (quint32 g = 0; g < (quint32(1) << adelantes); ++g) {
        quint32 m = 0;
        for (size_t t = 0; t < nt; ++t) {
            if ((a.terminos[t] & ~g) == 0)
                m |= quint32(1) << t;
        }
        auto it = std::find(s->terminos.begin(), s->terminos.end(), m);
        if (it == s->terminos.end())
            it = s->terminos.insert(s->terminos.end(), m);
        s->de[g] = quint16(it - s->terminos.begin());
    }
    return true;
}

// The subset construction over the classes (and, where look-aheads are tested, the sets of them that hold at each
// point); false, building nothing, past the bounds on its rows, its cells, the work or the memory left. `puntos`
// final states per row and column of look-aheads: one, at the text's end, or those an automaton read from the end
// meets (KovPosiciones::Punto).
bool dfaEntero(const KovPosiciones &a, const Satisfechos &sat, int puntos, KovPatron::Presupuesto *presupuesto,
               std::vector<qint32> *tabla, std::vector<quint8> *finales, qint32 *arranque, qint32 *limiteSumideros)
{
    const int w = a.bits.palabras;
    const int nclases = a.alfabeto.nclases;
    const int ns = int(sat.terminos.size());
    const int nt = int(a.terminos.size());
    const int n = a.bits.posiciones;
    const int k = nclases * ns;
    // A row is its set of positions and one word more, set only for the start: before any character the automaton
    // is in no set of positions, and every set, all of them included, is a row of its own.
    KovConjuntos filas(w + 1);
    std::vector<quint64> clave(size_t(w) + 1, 0);
    filas.agrega(clave.data());
    clave[size_t(w)] = 1;
    filas.agrega(clave.data());
    clave[size_t(w)] = 0;
    std::vector<qint32> siguientes;
    std::vector<quint64> alcance(size_t(nt) * size_t(w));
    std::vector<quint64> union_(static_cast<size_t>(w));
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
                    for (int t = 0; t < nt; ++t) {
                        const quint64 *s = a.sigue.data() + (size_t(t) * size_t(n) + size_t(p)) * size_t(w);
                        quint64 *hacia = alcance.data() + size_t(t) * size_t(w);
                        for (int x = 0; x < w; ++x)
                            hacia[x] |= s[x];
                    }
                    trabajo -= KovPosiciones::kTrabajoPorPalabra * w * nt;
                }
            }
        }
        for (int sa = 0; sa < ns; ++sa) {
            std::fill(union_.begin(), union_.end(), 0);
            for (int t = 0; t < nt; ++t) {
                if (!((sat.terminos[size_t(sa)] >> t) & 1))
                    continue;
                const quint64 *desde = alcance.data() + size_t(t) * size_t(w);
                for (int x = 0; x < w; ++x)
                    union_[size_t(x)] |= desde[x];
            }
            if (ns > 1)
                trabajo -= KovPosiciones::kTrabajoPorPalabra * w * nt;
            for (int c = 0; c < nclases; ++c) {
                const quint64 *fila_c = a.bits.admite.data() + size_t(c) * size_t(w);
                for (int x = 0; x < w; ++x)
                    clave[size_t(x)] = union_[size_t(x)] & fila_c[x];
                int id = filas.busca(clave.data());
                if (id < 0) {
                    if (filas.cuantos() >= KovPatron::kMaxFilasDfa
                        || double(filas.cuantos() + 1) * k > KovPatron::kMaxCeldasDfa) {
                        presupuesto->trabajo = trabajo;
                        return false;
                    }
                    id = filas.agrega(clave.data());
                    trabajo -= kPorFilaNueva + KovPosiciones::kTrabajoPorPalabra * w;
                }
                siguientes.push_back(id);
                trabajo -= kPorCelda + KovPosiciones::kTrabajoPorPalabra * 3 * w;
            }
        }
        if (trabajo < 0 || double(siguientes.size()) * 4 > presupuesto->memoria) {
            presupuesto->trabajo = trabajo;
            return false;
        }
    }
    // The columns are laid out class by class, each with its sets of look-aheads.
    std::vector<qint32> reordenados(siguientes.size());
    for (size_t f = 0; f < siguientes.size() / size_t(k); ++f) {
        for (int sa = 0; sa < ns; ++sa) {
            for (int c = 0; c < nclases; ++c)
                reordenados[f * size_t(k) + size_t(c) * size_t(ns) + size_t(sa)] =
                    siguientes[f * size_t(k) + size_t(sa) * size_t(nclases) + size_t(c)];
        }
    }
    siguientes.swap(reordenados);
    const int nr = filas.cuantos();
    const int nf = puntos * ns;
    std::vector<quint8> final(size_t(nr) * size_t(nf), 0);
    for (int f = 1; f < nr; ++f) {
        const quint64 *conjunto = filas.conjunto(f);
        for (int punto = 0; punto < puntos; ++punto) {
            for (int sa = 0; sa < ns; ++sa) {
                bool acepta = false;
                for (int t = 0; t < nt && !acepta; ++t) {
                    if (!((sat.terminos[size_t(sa)] >> t) & 1))
                        continue;
                    if (f == 1) {
                        acepta = a.bits.vacios[size_t(punto) * size_t(nt) + size_t(t)] != 0;
                        continue;
                    }
                    const quint64 *acc = a.bits.aceptan.data() + (size_t(punto) * size_t(nt) + size_t(t)) * size_t(w);
                    for (int x = 0; x < w && !acepta; ++x)
                        acepta = (conjunto[x] & acc[x]) != 0;
                }
                final[size_t(f) * size_t(nf) + size_t(punto) * size_t(ns) + size_t(sa)] = acepta ? 1 : 0;
            }
        }
    }
    // The rows that never change again go first, so that a run ends as soon as it reaches one.
    std::vector<int> orden;
    std::vector<int> resto;
    for (int f = 0; f < nr; ++f) {
        bool fijo = true;
        for (int c = 0; c < k && fijo; ++c)
            fijo = siguientes[size_t(f) * size_t(k) + size_t(c)] == f;
        (fijo ? orden : resto).push_back(f);
    }
    *limiteSumideros = qint32(orden.size()) * k;
    orden.insert(orden.end(), resto.begin(), resto.end());
    std::vector<int> nuevo(static_cast<size_t>(nr));
    for (int i = 0; i < nr; ++i)
        nuevo[size_t(orden[size_t(i)])] = i;
    tabla->assign(size_t(nr) * size_t(k), 0);
    finales->assign(size_t(nr) * size_t(nf), 0);
    for (int i = 0; i < nr; ++i) {
        const int f = orden[size_t(i)];
        std::copy(final.begin() + f * nf, final.begin() + (f + 1) * nf, finales->begin() + i * nf);
        for (int c = 0; c < k; ++c) {
            const int destino = siguientes[size_t(f) * size_t(k) + size_t(c)];
            (*tabla)[size_t(i) * size_t(k) + size_t(c)] = nuevo[size_t(destino)] * k;
        }
    }
    *arranque = nuevo[1] * k;
    presupuesto->trabajo = trabajo;
    return true;
}

} // namespace

struct KovPatron::Programa
{
    KovPosiciones::Alfabeto alfabeto;
    // The whole DFA: rows of `nclases` entries, each the offset of the next row; the rows that never change again
    // come first.
    std::vector<qint32> tabla;
    std::vector<quint8> finales;
    qint32 arranque = 0;
    qint32 limiteSumideros = 0;
    bool dfa = false;
    // Without it: the positions, and their follow sets, each distinct one once, as a span of words.
    KovPosiciones::Bits bits;
    std::vector<quint64> sigue;
    std::vector<qint32> inicioSigue;
    std::vector<qint32> primeraSigue;
    std::vector<qint32> largoSigue;
    std::vector<qint32> conjuntoDe;
    // Or, where most follow sets are the next positions and a few sets more: the distances the active positions
    // move by, the positions that move by each, and the groups of positions that add one same set (its span in
    // `sigue`) besides, each group as a span of words of positions.
    std::vector<int> distancias;
    std::vector<quint64> desplazadas;
    struct Grupo
    {
        qint32 desde;
        qint32 largo;
        qint32 inicio;
    };
    std::vector<Grupo> grupos;
    std::vector<quint64> miembros;
    // Where it tests look-aheads: the columns of the sets of them that hold at a point (`satDe`, by the
    // look-aheads that hold there), and the place of what holds at each point in a checker's scratch. Read from the
    // end, it tells at every point whether its look-ahead holds there: its finals are per kind of point.
    int nsat = 1;
    std::vector<quint16> satDe;
    int marca = -1;
    bool invertido = false;
    // Nanoseconds of a step at worst, and of the first character's.
    double costo = 0;
    double primero = 0;

    bool corre(const QChar *texto, int largo, Rastro *rastro) const;
    // Read from the end: sets `bit` of each point's marks in `hacia` where it holds (where it does not, `negada`).
    void marcaPuntos(const QChar *texto, int largo, const quint16 *propias, quint16 *hacia, int bit,
                     bool negada) const;
    qint64 memoria() const;
    // Keeps a set as the span of its words that are not empty.
    void guardaSigue(const quint64 *s, int w);
};

namespace {

const double kPorGrupo = 2.5;
const int kMaxDistancias = 3;
const int kDistanciaMayor = 8;

} // namespace

// The step as shifts: most positions of a counted class or a fixed text are followed by the next ones, so that the
// active positions move by a distance or two at once, a shift of words; what else they may be followed by is added
// once for each group of positions that share it. False where no distance is worth it.
bool KovPatron::desplazamientos(const KovPosiciones &a, Presupuesto *presupuesto, Programa *p)
{
    const int w = a.bits.palabras;
    const int n = a.bits.posiciones;
    const auto tiene = [&](int pos, int otra) {
        return otra >= 0 && otra < n && (a.sigue[size_t(pos) * size_t(w) + size_t(otra / 64)] >> (otra % 64)) & 1;
    };
    // Either way: the optional copies of a count come after one another in the text in the opposite order to
    // that they were made in.
    std::vector<std::pair<int, int>> cuantas;
    for (int d = -kDistanciaMayor; d <= kDistanciaMayor; ++d) {
        if (d == 0)
            continue;
        int c = 0;
        for (int pos = 0; pos < n; ++pos)
            c += tiene(pos, pos + d) ? 1 : 0;
        if (c >= 4)
            cuantas.emplace_back(c, d);
    }
    presupuesto->trabajo -= KovPosiciones::kTrabajoPorPalabra * 2 * kDistanciaMayor * double(n);
    if (cuantas.empty())
        return false;
    std::sort(cuantas.rbegin(), cuantas.rend());
    if (int(cuantas.size()) > kMaxDistancias)
        cuantas.resize(kMaxDistancias);
    for (const auto &c : cuantas)
        p->distancias.push_back(c.second);
    p->desplazadas.assign(p->distancias.size() * size_t(w), 0);
    std::vector<quint64> resto(static_cast<size_t>(w));
    KovConjuntos distintos(w);
    std::vector<std::vector<quint64>> miembros;
    for (int pos = 0; pos < n; ++pos) {
        std::copy(a.sigue.begin() + pos * w, a.sigue.begin() + (pos + 1) * w, resto.begin());
        for (size_t d = 0; d < p->distancias.size(); ++d) {
            const int otra = pos + p->distancias[d];
            if (tiene(pos, otra)) {
                p->desplazadas[d * size_t(w) + size_t(pos / 64)] |= quint64(1) << (pos % 64);
                resto[size_t(otra / 64)] &= ~(quint64(1) << (otra % 64));
            }
        }
        if (std::all_of(resto.begin(), resto.end(), [](quint64 x) { return x == 0; }))
            continue;
        int id = distintos.busca(resto.data());
        if (id < 0) {
            id = distintos.agrega(resto.data());
            p->guardaSigue(resto.data(), w);
            miembros.emplace_back(size_t(w), 0);
        }
        miembros[size_t(id)][size_t(pos / 64)] |= quint64(1) << (pos % 64);
    }
    presupuesto->trabajo -= KovPosiciones::kTrabajoPorPalabra * 3 * double(n) * w;
    double costo = kFijoBits + kPorPalabra * 3 * w + kPorPalabra * 2 * w * double(p->distancias.size())
                   + kPorPalabraSigue * double(p->sigue.size());
    for (const std::vector<quint64> &m : miembros) {
        int desde = 0;
        while (!m[size_t(desde)])
            ++desde;
        int hasta = w;
        while (!m[size_t(hasta - 1)])
            --hasta;
        p->grupos.push_back(Programa::Grupo{desde, hasta - desde, qint32(p->miembros.size())});
        p->miembros.insert(p->miembros.end(), m.begin() + desde, m.begin() + hasta);
        costo += kPorGrupo + kPorPalabra * (hasta - desde);
    }
    p->costo = costo;
    return true;
}

KovPatron::KovPatron() = default;
KovPatron::~KovPatron() = default;
KovPatron::KovPatron(KovPatron &&otro) noexcept = default;
KovPatron &KovPatron::operator=(KovPatron &&otro) noexcept = default;

void KovPatron::Programa::marcaPuntos(const QChar *texto, int largo, const quint16 *propias, quint16 *hacia,
                                      int bit, bool negada) const
{
    const qint32 *t = tabla.data();
    const int columnas = alfabeto.nclases * nsat;
    const int nf = KovPosiciones::kPuntos * nsat;
    const quint16 m = quint16(1u << bit);
    const auto punto = [](int i) { return i == 0 ? KovPosiciones::AlFinal : KovPosiciones::EnMedio; };
    const auto sat = [&](int i) { return propias ? satDe[propias[i]] : 0; };
    qint32 d = arranque;
    for (int i = largo;; --i) {
        const bool si = finales[size_t(d / columnas) * size_t(nf) + size_t(punto(i)) * size_t(nsat) + size_t(sat(i))];
        if (si != negada)
            hacia[i] = quint16(hacia[i] | m);
        if (i == 0)
            break;
        d = t[d + alfabeto.clase(texto[i - 1].unicode()) * nsat + sat(i)];
    }
}

bool KovPatron::Programa::corre(const QChar *texto, int largo, Rastro *rastro) const
{
    if (dfa && marca >= 0) {
        const quint16 *propias = rastro->marcas.data() + size_t(marca) * size_t(largo + 1);
        const qint32 *t = tabla.data();
        qint32 d = arranque;
        for (int i = 0; i < largo; ++i) {
            if (d < limiteSumideros)
                break;
            d = t[d + alfabeto.clase(texto[i].unicode()) * nsat + satDe[propias[i]]];
        }
        return finales[size_t(d / (alfabeto.nclases * nsat)) * size_t(nsat) + satDe[propias[largo]]] != 0;
    }
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
        for (size_t d = 0; d < distancias.size(); ++d) {
            const int corre = distancias[d];
            const quint64 *m = desplazadas.data() + d * size_t(w);
            quint64 arrastre = 0;
            if (corre > 0) {
                for (int k = 0; k < w; ++k) {
                    const quint64 v = activas[k] & m[k];
                    alcance[k] |= (v << corre) | arrastre;
                    arrastre = v >> (64 - corre);
                }
            } else {
                for (int k = w - 1; k >= 0; --k) {
                    const quint64 v = activas[k] & m[k];
                    alcance[k] |= (v >> -corre) | arrastre;
                    arrastre = v << (64 + corre);
                }
            }
        }
        for (size_t g = 0; g < grupos.size(); ++g) {
            const Grupo &grupo = grupos[g];
            const quint64 *m = miembros.data() + grupo.inicio;
            quint64 alguna = 0;
            for (int j = 0; j < grupo.largo; ++j)
                alguna |= activas[grupo.desde + j] & m[j];
            if (!alguna)
                continue;
            const quint64 *desde = sigue.data() + inicioSigue[g];
            quint64 *hacia = alcance + primeraSigue[g];
            for (int j = 0; j < largoSigue[g]; ++j)
                hacia[j] |= desde[j];
        }
        for (int k = 0; k < w && !conjuntoDe.empty(); ++k) {
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

void KovPatron::Programa::guardaSigue(const quint64 *s, int w)
{
    int desde = 0;
    while (desde < w && !s[desde])
        ++desde;
    int hasta = w;
    while (hasta > desde && !s[hasta - 1])
        --hasta;
    inicioSigue.push_back(qint32(sigue.size()));
    primeraSigue.push_back(desde);
    largoSigue.push_back(hasta - desde);
    sigue.insert(sigue.end(), s + desde, s + hasta);
}

qint64 KovPatron::Programa::memoria() const
{
    return alfabeto.bytes() + bits.bytes()
           + qint64(sizeof(qint32)) * qint64(tabla.size() + inicioSigue.size() + primeraSigue.size()
                                             + largoSigue.size() + conjuntoDe.size())
           + qint64(finales.size())
           + qint64(sizeof(quint64)) * qint64(sigue.size() + desplazadas.size() + miembros.size())
           + qint64(sizeof(Grupo)) * qint64(grupos.size()) + qint64(sizeof(quint16)) * qint64(satDe.size())
           + qint64(sizeof(Programa));
}

KovPatron::Resultado KovPatron::construye(const KovArbolPatron &arbol, const std::vector<int> &partes, bool cierre,
                                          bool invertido, const std::vector<int> &adelantes,
                                          Presupuesto *presupuesto, Programa *p)
{
    KovPosiciones a;
    KovPosiciones::Forma forma;
    forma.cierre = cierre;
    forma.invertido = invertido;
    forma.adelantes = adelantes;
    if (!a.construye(arbol, partes, forma, kMaxPosiciones, &presupuesto->trabajo))
        return (invertido || !adelantes.empty()) && presupuesto->trabajo >= 0 ? Ajeno : Excesivo;
    p->alfabeto = std::move(a.alfabeto);
    p->invertido = invertido;
    Satisfechos sat;
    const bool conAdelantes = !adelantes.empty();
    if (!satisfechos(a, int(adelantes.size()), &sat))
        return Ajeno;
    presupuesto->trabajo -= KovPosiciones::kTrabajoPorPalabra * double(sat.de.size()) * double(a.terminos.size());
    // A pattern hard to determinize takes no more than a share of what is left, so that the patterns after it
    // still have their turn.
    Presupuesto intento{std::min(presupuesto->trabajo / 2, kTrabajoDfa), presupuesto->memoria};
    const double antes = intento.trabajo;
    p->dfa = presupuesto->dfa
             && dfaEntero(a, sat, invertido ? KovPosiciones::kPuntos : 1, &intento, &p->tabla, &p->finales,
                          &p->arranque, &p->limiteSumideros);
    presupuesto->trabajo -= antes - std::max(intento.trabajo, 0.0);
    if (!p->dfa && (invertido || conAdelantes)) {
        // Look-aheads are tested by whole DFAs only; past them, the pattern stays with QRegExp, as it was.
        return Ajeno;
    }
    if (p->dfa) {
        p->nsat = int(sat.terminos.size());
        if (conAdelantes)
            p->satDe = std::move(sat.de);
        // Reading what holds at each point, and, read from the end, telling it.
        p->costo = kPasoDfa + (conAdelantes ? kPorMarca : 0) + (invertido ? kPorPunto : 0);
        p->primero = p->costo;
    } else {
        p->tabla.clear();
        p->finales.clear();
        const int w = a.bits.palabras;
        const int n = a.bits.posiciones;
        KovConjuntos distintos(w);
        p->conjuntoDe.resize(size_t(n));
        for (int i = 0; i < n; ++i) {
            const quint64 *s = a.sigue.data() + size_t(i) * size_t(w);
            int id = distintos.busca(s);
            if (id < 0) {
                id = distintos.agrega(s);
                p->guardaSigue(s, w);
            }
            p->conjuntoDe[size_t(i)] = id;
        }
        presupuesto->trabajo -= KovPosiciones::kTrabajoPorPalabra * 2 * double(n) * w;
        // The worst step: every position active, every distinct follow set added.
        p->costo = kFijoBits + kPorPalabra * 3 * w + kPorPosicion * n
                   + kPorPalabraSigue * double(p->sigue.size());
        Programa corrido;
        if (presupuesto->desplazamientos && desplazamientos(a, presupuesto, &corrido) && corrido.costo < p->costo) {
            p->sigue = std::move(corrido.sigue);
            p->inicioSigue = std::move(corrido.inicioSigue);
            p->primeraSigue = std::move(corrido.primeraSigue);
            p->largoSigue = std::move(corrido.largoSigue);
            p->conjuntoDe.clear();
            p->distancias = std::move(corrido.distancias);
            p->desplazadas = std::move(corrido.desplazadas);
            p->grupos = std::move(corrido.grupos);
            p->miembros = std::move(corrido.miembros);
            p->costo = corrido.costo;
        }
        p->bits = std::move(a.bits);
        // The first character only filters the start and looks at what accepts.
        p->primero = kFijoBits + kPorPalabra * 3 * w;
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
    int indicePrograma = -1;
    const Resultado r = agregaPrograma(arbol, partes, true, false, presupuesto, &indicePrograma);
    if (r != Compilado)
        return r;
    Condicion c;
    c.programa = indicePrograma;
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

KovPatron::Resultado KovPatron::agregaPrograma(const KovArbolPatron &arbol, const std::vector<int> &partes,
                                               bool cierre, bool invertido, Presupuesto *presupuesto, int *indice)
{
    std::vector<int> adelantes;
    for (const int p : partes)
        adelantesDe(arbol, p, &adelantes);
    Programa programa;
    const Resultado r = construye(arbol, partes, cierre, invertido, adelantes, presupuesto, &programa);
    if (r != Compilado)
        return r;
    programas.push_back(std::move(programa));
    *indice = int(programas.size()) - 1;
    return decideAdelantes(arbol, adelantes, *indice, presupuesto);
}

KovPatron::Resultado KovPatron::decideAdelantes(const KovArbolPatron &arbol, const std::vector<int> &adelantes,
                                                int duenio, Presupuesto *presupuesto)
{
    if (adelantes.empty())
        return Compilado;
    // What QRegExp makes of \i \c \p in a look-ahead is left to chance: nothing matches it as QRegExp would.
    if (arbol.azar())
        return Ajeno;
    if (marcas >= kMaxMarcas)
        return Ajeno;
    programas[size_t(duenio)].marca = marcas++;
    for (size_t bit = 0; bit < adelantes.size(); ++bit) {
        const Nodo &nodo = arbol.nodo(adelantes[bit]);
        const int suyo = nodo.hijos.first();
        if (arbol.contiene(suyo, Nodo::Referencia))
            return Ajeno;
        // What its own look-aheads tell is known before it is read, as they are decided first.
        int indice = -1;
        const Resultado r = agregaPrograma(arbol, {suyo}, false, true, presupuesto, &indice);
        if (r != Compilado)
            return r;
        reversos.push_back(Reverso{indice, duenio, int(bit), nodo.valor == 1});
    }
    return Compilado;
}

KovPatron::Resultado KovPatron::compila(const QString &patron)
{
    KovArbolPatron arbol;
    if (arbol.lee(patron) != KovArbolPatron::Leido) {
        limpia();
        return Ajeno;
    }
    Presupuesto presupuesto;
    return compila(arbol, &presupuesto);
}

void KovPatron::limpia()
{
    programas.clear();
    condiciones.clear();
    raices.clear();
    reversos.clear();
    marcas = 0;
}

KovPatron::Resultado KovPatron::compila(const KovArbolPatron &arbol, Presupuesto *presupuesto)
{
    limpia();
    std::vector<int> partes;
    std::vector<int> adelantes;
    Resultado r = separa(arbol, arbol.raiz(), &partes, &adelantes) ? Compilado : Ajeno;
    // The pattern's own program is the first.
    int propio = -1;
    if (r == Compilado)
        r = agregaPrograma(arbol, partes, false, false, presupuesto, &propio);
    for (size_t i = 0; r == Compilado && i < adelantes.size(); ++i) {
        int c = -1;
        r = condicion(arbol, adelantes[i], presupuesto, &c);
        raices.push_back(c);
    }
    if (r == Compilado) {
        // A text of n characters costs every program its run, its first character and n - 1 steps: per character,
        // somewhere between what a text of one character costs and what a step costs, whatever n.
        const bool enCache = double(memoria() + memoriaRastro()) <= kTablaEnCache;
        double corto = 0;
        double largo = 0;
        for (const Programa &p : programas) {
            const double paso = enCache ? p.costo : p.dfa ? kPasoDfaSinCache : 2 * p.costo + kPasoDfaSinCache;
            corto += kPorPrograma + (enCache ? p.primero : p.dfa ? kPasoDfaSinCache : 2 * p.primero + kPasoDfaSinCache);
            largo += paso;
        }
        costo = std::max(corto, largo);
        if (costo > kCostoMaximo)
            r = Excesivo;
    }
    if (r != Compilado)
        limpia();
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
    if (!reversos.empty()) {
        // Every look-ahead past the start decided at every point, inner ones first, each in one pass from the end.
        const size_t puntos = size_t(largo) + 1;
        rastro->marcas.assign(size_t(marcas) * puntos, 0);
        quint16 *base = rastro->marcas.data();
        for (const Reverso &r : reversos) {
            const Programa &p = programas[size_t(r.programa)];
            p.marcaPuntos(texto, largo, p.marca >= 0 ? base + size_t(p.marca) * puntos : nullptr,
                          base + size_t(programas[size_t(r.duenio)].marca) * puntos, r.bit, r.negada);
        }
    }
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
    return programas.empty() ? 0 : costo;
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
