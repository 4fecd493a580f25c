#include "kovpatron.h"

#include <algorithm>

bool KovPatron::Clase::contiene(QChar ch) const
{
    bool dentro = false;
    const ushort u = ch.unicode();
    for (const auto &r : rangos)
        dentro = dentro || (u >= r.first && u <= r.second);
    const bool esPalabra = ch.isLetterOrNumber() || ch.isMark() || u == '_';
    dentro = dentro || (digito && ch.isDigit()) || (noDigito && !ch.isDigit()) || (blanco && ch.isSpace())
             || (noBlanco && !ch.isSpace()) || (palabra && esPalabra) || (noPalabra && !esPalabra);
    return dentro != negada;
}

bool KovPatron::compila(const QString &patron)
{
    texto = patron;
    pos = 0;
    estados.clear();
    clases.clear();
    // What the run built belongs to the states of the previous pattern.
    dfaInicial = -1;
    conjuntos.clear();
    numeros.clear();
    finales.clear();
    movidas.clear();
    if (texto.startsWith(QLatin1Char('^')))
        texto.remove(0, 1);
    if (texto.endsWith(QLatin1Char('$')) && !texto.endsWith(QLatin1String("\\$")))
        texto.chop(1);
    Nodo raiz;
    if (!alternativas(&raiz) || pos != texto.size())
        return false;
    Fragmento f;
    if (!construye(raiz, &f))
        return false;
    const int fin = nuevo(Estado::Final);
    if (fin < 0)
        return false;
    enlaza(f, fin);
    inicio = f.inicio;
    return true;
}

// Runs a lazily built DFA: each set of automaton states met gets a number, and its moves on ASCII characters
// are kept in a table, so a field costs one lookup per character once the column's values have been seen.
bool KovPatron::coincide(const QString &valor) const
{
    if (dfaInicial < 0)
        dfaInicial = numeroDe(cierre({inicio}));
    int d = dfaInicial;
    for (const QChar ch : valor) {
        if (d == kMuerto)
            return false;
        const ushort u = ch.unicode();
        if (u < 128) {
            const int t = movidas.at(d * 128 + u);
            if (t == kDesconocido) {
                const int vaciados = vaciado;
                const int siguiente = paso(d, ch);
                // A full table was emptied to make room: the old number means nothing any more.
                if (vaciados == vaciado)
                    movidas[d * 128 + u] = siguiente;
                d = siguiente;
            } else {
                d = t;
            }
        } else {
            d = paso(d, ch);
        }
    }
    return d != kMuerto && finales.at(d);
}

bool KovPatron::alternativas(Nodo *nodo)
{
    Nodo sec;
    if (!secuencia(&sec))
        return false;
    if (pos >= texto.size() || texto.at(pos) != QLatin1Char('|')) {
        *nodo = sec;
        return true;
    }
    nodo->tipo = Nodo::Alternativa;
    nodo->hijos.append(sec);
    while (pos < texto.size() && texto.at(pos) == QLatin1Char('|')) {
        ++pos;
        Nodo otra;
        if (!secuencia(&otra))
            return false;
        nodo->hijos.append(otra);
    }
    return true;
}

bool KovPatron::secuencia(Nodo *nodo)
{
    nodo->tipo = Nodo::Secuencia;
    while (pos < texto.size() && texto.at(pos) != QLatin1Char('|') && texto.at(pos) != QLatin1Char(')')) {
        Nodo atomo;
        if (!unAtomo(&atomo) || !cuantificador(&atomo))
            return false;
        nodo->hijos.append(atomo);
    }
    return !nodo->hijos.isEmpty();
}

bool KovPatron::esPuntuacion(QChar ch)
{
    const ushort u = ch.unicode();
    return u > 0x20 && u < 0x7f && !ch.isLetterOrNumber();
}

// \d \D \s \S \w \W into a class; false for any other letter.
bool KovPatron::claseEscapada(QChar e, Clase *clase)
{
    switch (e.unicode()) {
    case 'd': clase->digito = true; return true;
    case 'D': clase->noDigito = true; return true;
    case 's': clase->blanco = true; return true;
    case 'S': clase->noBlanco = true; return true;
    case 'w': clase->palabra = true; return true;
    case 'W': clase->noPalabra = true; return true;
    default: return false;
    }
}

bool KovPatron::unAtomo(Nodo *nodo)
{
    const QChar ch = texto.at(pos++);
    switch (ch.unicode()) {
    case '(': {
        if (pos < texto.size() && texto.at(pos) == QLatin1Char('?'))
            return false;
        if (!alternativas(nodo) || pos >= texto.size() || texto.at(pos) != QLatin1Char(')'))
            return false;
        ++pos;
        return true;
    }
    case '.':
        nodo->tipo = Nodo::Cualquiera;
        return true;
    case '[':
        return unaClase(nodo);
    case '\\': {
        if (pos >= texto.size())
            return false;
        const QChar e = texto.at(pos++);
        Clase clase;
        if (claseEscapada(e, &clase)) {
            nodo->tipo = Nodo::ConClase;
            nodo->clase = clases.size();
            clases.append(clase);
            return true;
        }
        if (!esPuntuacion(e))
            return false;
        nodo->tipo = Nodo::Literal;
        nodo->caracter = e.unicode();
        return true;
    }
    case '^': case '$': case ']': case '}': case '{': case '*': case '+': case '?': case ')': case '|':
        return false;
    default:
        nodo->tipo = Nodo::Literal;
        nodo->caracter = ch.unicode();
        return true;
    }
}

bool KovPatron::unaClase(Nodo *nodo)
{
    Clase clase;
    if (pos < texto.size() && texto.at(pos) == QLatin1Char('^')) {
        clase.negada = true;
        ++pos;
    }
    if (pos < texto.size() && texto.at(pos) == QLatin1Char(']'))
        return false;
    bool vacia = true;
    while (pos < texto.size() && texto.at(pos) != QLatin1Char(']')) {
        QChar ch = texto.at(pos++);
        if (ch == QLatin1Char('['))
            return false;
        if (ch == QLatin1Char('\\')) {
            if (pos >= texto.size())
                return false;
            const QChar e = texto.at(pos++);
            if (e == QLatin1Char('d') || e == QLatin1Char('s') || e == QLatin1Char('w')) {
                claseEscapada(e, &clase);
                vacia = false;
                continue;
            }
            if (!esPuntuacion(e))
                return false;
            ch = e;
        }
        ushort hasta = ch.unicode();
        if (pos + 1 < texto.size() && texto.at(pos) == QLatin1Char('-') && texto.at(pos + 1) != QLatin1Char(']')) {
            QChar fin = texto.at(pos + 1);
            pos += 2;
            if (fin == QLatin1Char('[') || fin == QLatin1Char('\\'))
                return false;
            hasta = fin.unicode();
            if (hasta < ch.unicode())
                return false;
        }
        clase.rangos.append(qMakePair(ch.unicode(), hasta));
        vacia = false;
    }
    if (pos >= texto.size() || vacia)
        return false;
    ++pos;
    nodo->tipo = Nodo::ConClase;
    nodo->clase = clases.size();
    clases.append(clase);
    return true;
}

bool KovPatron::numeroEn(int *valor)
{
    const int desde = pos;
    int n = 0;
    while (pos < texto.size() && texto.at(pos).unicode() >= '0' && texto.at(pos).unicode() <= '9') {
        n = n * 10 + (texto.at(pos).unicode() - '0');
        if (n > kMaxRepeticion)
            return false;
        ++pos;
    }
    *valor = n;
    return pos > desde;
}

bool KovPatron::cuantificador(Nodo *nodo)
{
    if (pos >= texto.size())
        return true;
    const QChar ch = texto.at(pos);
    if (ch == QLatin1Char('?')) {
        nodo->minimo = 0;
        nodo->maximo = 1;
    } else if (ch == QLatin1Char('*')) {
        nodo->minimo = 0;
        nodo->maximo = -1;
    } else if (ch == QLatin1Char('+')) {
        nodo->minimo = 1;
        nodo->maximo = -1;
    } else if (ch == QLatin1Char('{')) {
        ++pos;
        int minimo = 0;
        int maximo = 0;
        if (!numeroEn(&minimo))
            return false;
        if (pos < texto.size() && texto.at(pos) == QLatin1Char(',')) {
            ++pos;
            maximo = -1;
            if (pos < texto.size() && texto.at(pos) != QLatin1Char('}') && !numeroEn(&maximo))
                return false;
        } else {
            maximo = minimo;
        }
        if (pos >= texto.size() || texto.at(pos) != QLatin1Char('}') || (maximo >= 0 && maximo < minimo))
            return false;
        nodo->minimo = minimo;
        nodo->maximo = maximo;
    } else {
        return true;
    }
    ++pos;
    if (pos < texto.size()) {
        const QChar sigue = texto.at(pos);
        if (sigue == QLatin1Char('?') || sigue == QLatin1Char('*') || sigue == QLatin1Char('+')
            || sigue == QLatin1Char('{'))
            return false;
    }
    return true;
}

int KovPatron::nuevo(Estado::Tipo tipo, ushort caracter, int clase)
{
    if (estados.size() >= kMaxEstados)
        return -1;
    estados.append(Estado{tipo, caracter, clase, -1, -1});
    return estados.size() - 1;
}

void KovPatron::enlaza(const Fragmento &f, int destino)
{
    for (const int e : f.salidas)
        estados[e].salida = destino;
    for (const int e : f.otras)
        estados[e].otra = destino;
}

// The node once, without its quantifier.
bool KovPatron::una(const Nodo &nodo, Fragmento *f)
{
    switch (nodo.tipo) {
    case Nodo::Literal:
    case Nodo::Cualquiera:
    case Nodo::ConClase: {
        const Estado::Tipo tipo = nodo.tipo == Nodo::Literal ? Estado::Caracter
                                  : nodo.tipo == Nodo::Cualquiera ? Estado::Cualquiera : Estado::ConClase;
        const int e = nuevo(tipo, nodo.caracter, nodo.clase);
        if (e < 0)
            return false;
        f->inicio = e;
        f->salidas = {e};
        return true;
    }
    case Nodo::Secuencia: {
        bool primero = true;
        for (const Nodo &hijo : nodo.hijos) {
            Fragmento h;
            if (!construye(hijo, &h))
                return false;
            if (primero) {
                *f = h;
                primero = false;
            } else {
                enlaza(*f, h.inicio);
                f->salidas = h.salidas;
                f->otras = h.otras;
            }
        }
        return !primero;
    }
    case Nodo::Alternativa: {
        f->salidas.clear();
        f->otras.clear();
        int anterior = -1;
        for (int i = 0; i < nodo.hijos.size(); ++i) {
            Fragmento h;
            if (!construye(nodo.hijos.at(i), &h))
                return false;
            f->salidas += h.salidas;
            f->otras += h.otras;
            if (i + 1 < nodo.hijos.size()) {
                const int d = nuevo(Estado::Division);
                if (d < 0)
                    return false;
                estados[d].salida = h.inicio;
                if (anterior < 0)
                    f->inicio = d;
                else
                    estados[anterior].otra = d;
                anterior = d;
            } else if (anterior < 0) {
                f->inicio = h.inicio;
            } else {
                estados[anterior].otra = h.inicio;
            }
        }
        return true;
    }
    }
    return false;
}

// One copy of the node entered from a division, whose other way is left for the caller to link.
bool KovPatron::copiaTrasDivision(const Nodo &nodo, Fragmento *h, int *d)
{
    if (!una(nodo, h))
        return false;
    *d = nuevo(Estado::Division);
    if (*d < 0)
        return false;
    estados[*d].salida = h->inicio;
    return true;
}

// The node with its quantifier: the mandatory copies, then optional ones or a loop.
bool KovPatron::construye(const Nodo &nodo, Fragmento *f)
{
    Fragmento total;
    bool hay = false;
    auto junta = [&](const Fragmento &h) {
        if (!hay) {
            total = h;
            hay = true;
        } else {
            enlaza(total, h.inicio);
            total.salidas = h.salidas;
            total.otras = h.otras;
        }
    };
    for (int i = 0; i < nodo.minimo; ++i) {
        Fragmento h;
        if (!una(nodo, &h))
            return false;
        junta(h);
    }
    if (nodo.maximo < 0) {
        Fragmento h;
        int d = -1;
        if (!copiaTrasDivision(nodo, &h, &d))
            return false;
        enlaza(h, d);
        Fragmento bucle;
        bucle.inicio = d;
        bucle.otras = {d};
        junta(bucle);
    } else {
        // Each optional copy may be skipped, and skipping one skips the rest.
        QVector<int> saltos;
        for (int i = nodo.minimo; i < nodo.maximo; ++i) {
            Fragmento h;
            int d = -1;
            if (!copiaTrasDivision(nodo, &h, &d))
                return false;
            saltos.append(d);
            Fragmento opcion;
            opcion.inicio = d;
            opcion.salidas = h.salidas;
            opcion.otras = h.otras;
            junta(opcion);
        }
        total.otras += saltos;
    }
    if (!hay) {
        // {0} or {0,0}: matches the empty text only.
        const int d = nuevo(Estado::Division);
        if (d < 0)
            return false;
        total.inicio = d;
        total.salidas = {d};
        total.otras = {d};
    }
    *f = total;
    return true;
}

bool KovPatron::acepta(const Estado &e, QChar ch) const
{
    switch (e.tipo) {
    case Estado::Caracter: return ch.unicode() == e.caracter;
    case Estado::Cualquiera: return true;
    case Estado::ConClase: return clases.at(e.clase).contiene(ch);
    default: return false;
    }
}

// The states reachable from these without reading a character, sorted, divisions left out.
QVector<int> KovPatron::cierre(const QVector<int> &desde) const
{
    QVector<int> resultado;
    QVector<int> pila = desde;
    QVector<bool> visto(estados.size(), false);
    while (!pila.isEmpty()) {
        const int e = pila.takeLast();
        if (e < 0 || visto.at(e))
            continue;
        visto[e] = true;
        if (estados.at(e).tipo == Estado::Division) {
            pila.append(estados.at(e).otra);
            pila.append(estados.at(e).salida);
        } else {
            resultado.append(e);
        }
    }
    std::sort(resultado.begin(), resultado.end());
    return resultado;
}

int KovPatron::numeroDe(const QVector<int> &conjunto) const
{
    if (conjunto.isEmpty())
        return kMuerto;
    const auto it = numeros.constFind(conjunto);
    if (it != numeros.constEnd())
        return it.value();
    if (conjuntos.size() >= kMaxDfa) {
        numeros.clear();
        conjuntos.clear();
        finales.clear();
        movidas.clear();
        dfaInicial = -1;
        ++vaciado;
    }
    const int n = conjuntos.size();
    conjuntos.append(conjunto);
    bool final = false;
    for (const int e : conjunto)
        final = final || estados.at(e).tipo == Estado::Final;
    finales.append(final);
    movidas.resize(movidas.size() + 128);
    std::fill(movidas.end() - 128, movidas.end(), kDesconocido);
    numeros.insert(conjunto, n);
    return n;
}

int KovPatron::paso(int d, QChar ch) const
{
    QVector<int> destinos;
    for (const int e : conjuntos.at(d)) {
        if (acepta(estados.at(e), ch))
            destinos.append(estados.at(e).salida);
    }
    return numeroDe(cierre(destinos));
}
