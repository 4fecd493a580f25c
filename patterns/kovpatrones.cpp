#include "kovpatrones.h"

#include "kovcostoqregexp.h"
#include "kovjuezpatron.h"

#include <QAtomicInt>

#include <algorithm>

namespace {

QAtomicInt gCompilaciones;

// Units of set-up work, of about a nanosecond each, that every distinct pattern costs before its engine is built, and
// each of its characters.
const double kTrabajoPorPatron = 10000;
const double kTrabajoPorCaracter = 50;

} // namespace

KovPatrones::KovPatrones(int revisores) : revisores(std::max(1, revisores))
{
    presupuesto.trabajo = kTrabajoMaximo;
    presupuesto.memoria = kMemoriaMaxima;
}

bool KovPatrones::agrega(const QString &patron)
{
    if (patron.isEmpty()) {
        porColumna.push_back(-1);
        return true;
    }
    if (patron.size() > kLargoMaximo)
        return false;
    const auto visto = indices.constFind(patron);
    if (visto != indices.constEnd()) {
        porColumna.push_back(visto.value());
        return true;
    }
    // Reading it into a tree, and the tables every automaton starts with, whatever becomes of it.
    presupuesto.trabajo -= kTrabajoPorPatron + kTrabajoPorCaracter * double(patron.size());
    if (presupuesto.trabajo < 0)
        return false;
    Patron p;
    KovArbolPatron arbol;
    const KovArbolPatron::Lectura lectura = arbol.lee(patron);
    if (lectura == KovArbolPatron::Profundo)
        return false;
    p.texto = arbol.paraQRegExp();
    KovPatron::Resultado r = KovPatron::Ajeno;
    if (lectura == KovArbolPatron::Leido)
        r = p.automata.compila(arbol, &presupuesto);
    if (r == KovPatron::Excesivo)
        return false;
    if (r == KovPatron::Compilado) {
        p.modo = Automata;
        p.costo = p.automata.costoPorCaracter();
        p.propia = double(p.automata.memoria());
        p.porRevisor = double(p.automata.memoriaRastro());
    } else {
        // Only QRegExp can match it: what its matcher would cost is worked out on the pattern's tree, so that one past
        // the budget is refused before anything compiles it. One read here as QRegExp errors is left to the judge,
        // after every column.
        p.modo = ExpresionQt;
        if (lectura == KovArbolPatron::Leido) {
            const KovCostoQRegExp::Medida m = KovCostoQRegExp::mide(arbol, presupuesto.trabajo);
            presupuesto.trabajo -= m.trabajo;
            if (presupuesto.trabajo < 0 || m.inseguro || !(m.porCaracter <= KovPatron::kCostoMaximo))
                return false;
            p.costo = m.porCaracter;
            p.porRevisor = m.memoriaCoincidencia;
            p.medido = true;
        }
    }
    indices.insert(patron, int(patrones.size()));
    porColumna.push_back(int(patrones.size()));
    patrones.push_back(std::move(p));
    return true;
}

bool KovPatrones::termina()
{
    QStringList pendientes;
    std::vector<size_t> cuales;
    for (size_t i = 0; i < patrones.size(); ++i) {
        if (patrones[i].modo == ExpresionQt && !patrones[i].expresion) {
            pendientes.append(patrones[i].texto);
            cuales.push_back(i);
        }
    }
    const QVector<KovJuezPatron::Juicio> juicios =
        pendientes.isEmpty() ? QVector<KovJuezPatron::Juicio>() : KovJuezPatron::juzga(pendientes);
    if (juicios.size() != pendientes.size())
        return false;
    // Verdicts are remembered one by one: a layout of patterns each judged cheap before must not add up, compiled
    // here, to more than one child may spend on them.
    qint64 procesadorUs = 0;
    for (int k = 0; k < juicios.size(); ++k) {
        Patron &p = patrones[cuales[size_t(k)]];
        const KovJuezPatron::Juicio &juicio = juicios.at(k);
        if (juicio.veredicto == KovJuezPatron::Excesivo)
            return false;
        if (juicio.veredicto == KovJuezPatron::Invalido) {
            p.modo = Nada;
            p.costo = 0;
            p.porRevisor = 0;
            continue;
        }
        // QRegExp takes it: what its matcher costs must have been bounded before it is compiled.
        if (!p.medido)
            return false;
        p.propia = double(juicio.memoria);
        procesadorUs += juicio.procesadorUs;
    }
    if (procesadorUs > kCompilacionMaximaUs || memoria() > kMemoriaMaxima)
        return false;
    for (size_t i : cuales) {
        Patron &p = patrones[i];
        if (p.modo == ExpresionQt) {
            p.expresion.reset(new QRegExp(p.texto, Qt::CaseSensitive, QRegExp::RegExp));
            gCompilaciones.fetchAndAddRelaxed(1);
        }
    }
    return true;
}

int KovPatrones::compilaciones()
{
    return gCompilaciones.loadRelaxed();
}

double KovPatrones::memoria() const
{
    // A checker's automaton scratch serves every pattern in turn, so it is as large as the largest; each QRegExp is
    // copied by every checker.
    double propia = 0;
    double rastro = 0;
    double copias = 0;
    for (const Patron &p : patrones) {
        propia += p.propia;
        if (p.modo == Automata)
            rastro = std::max(rastro, p.porRevisor);
        else if (p.modo == ExpresionQt)
            copias += p.porRevisor;
    }
    return propia + double(revisores) * (rastro + copias);
}

int KovPatrones::indice(int columna) const
{
    return columna >= 0 && size_t(columna) < porColumna.size() ? porColumna[size_t(columna)] : -1;
}

void KovPatrones::prepara(Revision *revision) const
{
    size_t palabras = 0;
    size_t sellos = 0;
    for (const Patron &p : patrones) {
        if (p.modo != Automata)
            continue;
        KovPatron::Rastro r;
        p.automata.preparaRastro(&r);
        palabras = std::max(palabras, r.palabras.size());
        sellos = std::max(sellos, r.sellos.size());
    }
    revision->rastro.palabras.assign(palabras, 0);
    revision->rastro.sellos.assign(sellos, 0);
    revision->rastro.paso = 0;
    revision->copias.clear();
    revision->copias.resize(patrones.size());
    revision->lista = true;
}

bool KovPatrones::coincide(int columna, const QString &valor, Revision *revision) const
{
    const int i = indice(columna);
    if (i < 0)
        return true;
    if (!revision->lista)
        prepara(revision);
    const Patron &p = patrones[size_t(i)];
    switch (p.modo) {
    case Automata:
        return p.automata.coincide(valor, &revision->rastro);
    case ExpresionQt: {
        std::unique_ptr<QRegExp> &copia = revision->copias[size_t(i)];
        if (!copia)
            copia.reset(new QRegExp(*p.expresion));
        return copia->exactMatch(valor);
    }
    case Nada:
        return false;
    case Ninguno:
        break;
    }
    return true;
}

QString KovPatrones::paraQRegExp(int columna) const
{
    const int i = indice(columna);
    return i < 0 ? QString() : patrones[size_t(i)].texto;
}

KovPatrones::Modo KovPatrones::modo(int columna) const
{
    const int i = indice(columna);
    return i < 0 ? Ninguno : patrones[size_t(i)].modo;
}

double KovPatrones::costo(int columna) const
{
    const int i = indice(columna);
    return i < 0 ? 0 : patrones[size_t(i)].costo;
}
