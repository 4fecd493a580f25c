#include "kovarbolpatron.h"

#include <QChar>

#include <cstring>
#include <vector>

namespace {

const int kFinTexto = -1;
// A counted repetition of QRegExp stops at this count: a written count from it on is an error.
const int kInfinito = 1025;
const int kAdelantesMaximos = 13;
const int kReferenciasMaximas = 14;

quint32 bandera(QChar::Category categoria)
{
    return 1u << uint(categoria);
}

const quint32 kTodas = (1u << 30) - 1;
const quint32 kDigito = bandera(QChar::Number_DecimalDigit);
const quint32 kBlanco =
    bandera(QChar::Separator_Space) | bandera(QChar::Separator_Line) | bandera(QChar::Separator_Paragraph);
const quint32 kPalabra = bandera(QChar::Mark_NonSpacing) | bandera(QChar::Mark_SpacingCombining)
                         | bandera(QChar::Mark_Enclosing) | bandera(QChar::Number_DecimalDigit)
                         | bandera(QChar::Number_Letter) | bandera(QChar::Number_Other)
                         | bandera(QChar::Letter_Uppercase) | bandera(QChar::Letter_Lowercase)
                         | bandera(QChar::Letter_Titlecase) | bandera(QChar::Letter_Modifier)
                         | bandera(QChar::Letter_Other);

} // namespace

const uchar *KovArbolPatron::tablaCategorias()
{
    static const std::vector<uchar> tabla = [] {
        std::vector<uchar> t(65536);
        for (uint u = 0; u < 65536; ++u)
            t[u] = uchar(QChar::category(u));
        return t;
    }();
    return tabla.data();
}

bool KovArbolPatron::Clase::contiene(ushort u) const
{
    bool dentro = (categorias & (1u << tablaCategorias()[u])) != 0;
    for (int i = 0; !dentro && i < rangos.size(); ++i)
        dentro = u >= rangos.at(i).first && u <= rangos.at(i).second;
    return dentro != negada;
}

bool KovArbolPatron::contiene(int n, Nodo::Tipo tipo, int valor) const
{
    const Nodo &nodo = nodos.at(n);
    if (nodo.tipo == tipo && (valor < 0 || nodo.valor == valor))
        return true;
    if (nodo.tipo == Nodo::Adelante)
        return false;
    for (const int h : nodo.hijos) {
        if (contiene(h, tipo, valor))
            return true;
    }
    return false;
}

void KovArbolPatron::Clase::agregaRango(ushort desde, ushort hasta)
{
    if (desde > hasta)
        qSwap(desde, hasta);
    rangos.append(qMakePair(desde, hasta));
}

int KovArbolPatron::actual() const
{
    return car == kFinTexto ? pos : pos - 1;
}

QString KovArbolPatron::paraQRegExp() const
{
    if (enteros.isEmpty())
        return texto;
    // QRegExp keeps a range's length in 16 bits, so the range of every code unit is one of none to it. Written as
    // U+FFFF alone and then the rest, it leaves the class's reading after it as it was.
    QString r;
    int hecho = 0;
    for (const auto &rango : enteros) {
        r += texto.midRef(hecho, rango.first - hecho);
        r += QLatin1String("\\xffff\\x0000-\\xfffe");
        hecho = rango.second;
    }
    r += texto.midRef(hecho);
    return r;
}

int KovArbolPatron::siguiente()
{
    return pos == texto.size() ? kFinTexto : texto.at(pos++).unicode();
}

void KovArbolPatron::falla()
{
    error = true;
}

// An escape, its backslash read: a character, a class (added to `clase`), a boundary or a back reference.
int KovArbolPatron::escape(Clase *clase)
{
    const int previo = car;
    if (previo == kFinTexto) {
        falla();
        valorToken = '\\';
        return Letra;
    }
    car = siguiente();
    static const char kLetras[] = "afnrtv";
    static const char kControles[] = "\a\f\n\r\t\v";
    if (previo > 0 && previo < 0x100) {
        const char *p = std::strchr(kLetras, previo);
        if (p) {
            valorToken = uchar(kControles[p - kLetras]);
            return Letra;
        }
    }
    switch (previo) {
    case '0': {
        int valor = 0;
        for (int i = 0; i < 3 && car >= '0' && car <= '7'; ++i) {
            valor = (valor << 3) | (car - '0');
            car = siguiente();
        }
        if (valor > 0377)
            falla();
        valorToken = valor;
        return Letra;
    }
    case 'B':
        return NoLimite;
    case 'b':
        return Limite;
    case 'd':
        clase->categorias |= kDigito;
        return ConClase;
    case 'D':
        clase->categorias |= kTodas ^ kDigito;
        return ConClase;
    case 's':
        clase->categorias |= kBlanco;
        clase->agregaRango(0x09, 0x0d);
        clase->agregaRango(0x85, 0x85);
        return ConClase;
    case 'S':
        clase->categorias |= kTodas ^ (kBlanco | bandera(QChar::Other_Control));
        clase->agregaRango(0x00, 0x08);
        clase->agregaRango(0x0e, 0x1f);
        clase->agregaRango(0x7f, 0x84);
        clase->agregaRango(0x86, 0x9f);
        return ConClase;
    case 'w':
        clase->categorias |= kPalabra;
        clase->agregaRango('_', '_');
        return ConClase;
    case 'W': {
        clase->categorias |= kTodas ^ (kPalabra | bandera(QChar::Punctuation_Connector));
        static const ushort kConectores[][2] = {{0x203f, 0x2040}, {0x2054, 0x2054}, {0x30fb, 0x30fb},
                                                {0xfe33, 0xfe34}, {0xfe4d, 0xfe4f}, {0xff3f, 0xff3f},
                                                {0xff65, 0xff65}};
        for (const auto &r : kConectores)
            clase->agregaRango(r[0], r[1]);
        return ConClase;
    }
    case 'x': {
        int valor = 0;
        for (int i = 0; i < 4 && car != kFinTexto; ++i) {
            const ushort c = QChar(ushort(car)).toLower().unicode();
            if (c >= '0' && c <= '9')
                valor = (valor << 4) | (c - '0');
            else if (c >= 'a' && c <= 'f')
                valor = (valor << 4) | (c - 'a' + 10);
            else
                break;
            car = siguiente();
        }
        valorToken = valor & 0xffff;
        return Letra;
    }
    default:
        break;
    }
    if (enAdelante > 0 && previo > 0 && previo < 0x80 && std::strchr("iIcCpP", previo))
        alAzar = true;
    if (previo >= '1' && previo <= '9') {
        // QRegExp keeps the number in 16 bits, wrapping as it goes.
        quint16 valor = quint16(previo - '0');
        while (car >= '0' && car <= '9') {
            valor = quint16(valor * 10 + (car - '0'));
            car = siguiente();
        }
        valorToken = valor;
        return Retro;
    }
    valorToken = previo;
    return Letra;
}

int KovArbolPatron::repeticion(int omision)
{
    if (car < '0' || car > '9')
        return omision;
    int n = 0;
    do {
        n = 10 * n + car - '0';
        if (n >= kInfinito) {
            falla();
            n = omision;
        }
        car = siguiente();
    } while (car >= '0' && car <= '9');
    return n;
}

int KovArbolPatron::token()
{
    int previo = car;
    claseToken = Clase();
    minRep = 0;
    maxRep = 0;
    car = siguiente();
    switch (previo) {
    case kFinTexto:
        return Fin;
    case '$':
        return Dolar_;
    case '(':
        if (car == '?') {
            previo = siguiente();
            car = siguiente();
            if (previo == '!')
                return AdelanteNegativo;
            if (previo == '=')
                return AdelantePositivo;
            if (previo != ':')
                falla();
            return ParentesisSimple;
        }
        return ParentesisCaptura;
    case ')':
        return Cierre;
    case '*':
        maxRep = kInfinito;
        return Cuantificador;
    case '+':
        minRep = 1;
        maxRep = kInfinito;
        return Cuantificador;
    case '?':
        maxRep = 1;
        return Cuantificador;
    case '.':
        claseToken.negada = true;
        return ConClase;
    case '[': {
        if (car == '^') {
            claseToken.negada = true;
            car = siguiente();
        }
        // As QRegExp reads a class: the first character is taken whatever it is, even "]"; a "-" between two
        // characters makes a range, anywhere else it is itself.
        bool pendiente = false;
        bool rango = false;
        ushort anterior = 0;
        int desdeAnterior = 0;
        do {
            if (car == '-' && pendiente && !rango) {
                rango = true;
                car = siguiente();
                continue;
            }
            if (pendiente && !rango) {
                claseToken.agregaRango(anterior, anterior);
                pendiente = false;
            }
            const int desde = actual();
            int t = Letra;
            if (car == '\\') {
                car = siguiente();
                t = escape(&claseToken);
            } else {
                valorToken = car;
                car = siguiente();
            }
            if (t == ConClase) {
                if (rango) {
                    claseToken.agregaRango('-', '-');
                    claseToken.agregaRango(anterior, anterior);
                    pendiente = false;
                    rango = false;
                }
            } else if (t == Letra && valorToken >= 0) {
                const ushort c = ushort(valorToken);
                if (rango) {
                    claseToken.agregaRango(anterior, c);
                    if (qMin(anterior, c) == 0 && qMax(anterior, c) == 0xffff)
                        enteros.append(qMakePair(desdeAnterior, actual()));
                    pendiente = false;
                    rango = false;
                } else {
                    anterior = c;
                    desdeAnterior = desde;
                    pendiente = true;
                }
            } else {
                // A boundary, a back reference or the end inside a class.
                falla();
            }
        } while (car != ']' && car != kFinTexto);
        if (rango)
            claseToken.agregaRango('-', '-');
        if (pendiente)
            claseToken.agregaRango(anterior, anterior);
        if (car == kFinTexto)
            falla();
        else
            car = siguiente();
        return ConClase;
    }
    case '\\':
        return escape(&claseToken);
    case ']':
    case '}':
        falla();
        valorToken = previo;
        return Letra;
    case '^':
        return Circunflejo_;
    case '{':
        minRep = repeticion(0);
        maxRep = minRep;
        if (car == ',') {
            car = siguiente();
            maxRep = repeticion(kInfinito);
        }
        if (maxRep < minRep || car != '}')
            falla();
        car = siguiente();
        return Cuantificador;
    case '|':
        return Barra;
    default:
        valorToken = previo;
        return Letra;
    }
}

int KovArbolPatron::agrega(const Nodo &nodo)
{
    nodos.append(nodo);
    return nodos.size() - 1;
}

KovArbolPatron::Lectura KovArbolPatron::lee(const QString &patron)
{
    texto = patron;
    pos = 0;
    error = false;
    profundo = false;
    enAdelante = 0;
    alAzar = false;
    enteros.clear();
    nodos.clear();
    clases.clear();
    car = siguiente();
    tok = token();
    Motor motor;
    inicio = expresion(&motor, 0);
    // A ")" with no "(" before it ends QRegExp's parse before the end of the pattern.
    if (tok != Fin)
        falla();
    if (profundo)
        return Profundo;
    return error ? ConError : Leido;
}

int KovArbolPatron::expresion(Motor *motor, int profundidad)
{
    const int primero = termino(motor, profundidad);
    if (tok != Barra)
        return primero;
    Nodo alternativa;
    alternativa.tipo = Nodo::Alternativa;
    alternativa.hijos.append(primero);
    while (tok == Barra && !error && !profundo) {
        tok = token();
        alternativa.hijos.append(termino(motor, profundidad));
    }
    return agrega(alternativa);
}

int KovArbolPatron::termino(Motor *motor, int profundidad)
{
    Nodo secuencia;
    secuencia.tipo = Nodo::Secuencia;
    while (tok != Fin && tok != Cierre && tok != Barra && !error && !profundo)
        secuencia.hijos.append(factor(motor, profundidad));
    if (secuencia.hijos.size() == 1)
        return secuencia.hijos.first();
    if (secuencia.hijos.isEmpty())
        return agrega(Nodo());
    return agrega(secuencia);
}

int KovArbolPatron::factor(Motor *motor, int profundidad)
{
    const int adelantesAntes = motor->adelantes;
    const int atomoLeido = atomo(motor, profundidad);
    if (tok != Cuantificador || error || profundo)
        return atomoLeido;
    Nodo repeticion;
    repeticion.tipo = Nodo::Repeticion;
    repeticion.minimo = minRep;
    repeticion.maximo = maxRep >= kInfinito ? -1 : maxRep;
    repeticion.hijos.append(atomoLeido);
    // QRegExp parses the atom again for each further copy, and each copy's look-aheads count against its limit.
    const int alfa = minRep == 0 ? 0 : minRep - 1;
    const int beta = maxRep >= kInfinito ? 0 : maxRep - (alfa + 1);
    const int copias = alfa + qMax(beta, 0);
    const qint64 adelantes = adelantesAntes + qint64(motor->adelantes - adelantesAntes) * (copias + 1);
    if (adelantes > kAdelantesMaximos)
        falla();
    motor->adelantes = int(qMin<qint64>(adelantes, kAdelantesMaximos + 1));
    tok = token();
    return agrega(repeticion);
}

int KovArbolPatron::atomo(Motor *motor, int profundidad)
{
    Nodo nodo;
    switch (tok) {
    case Letra: {
        Clase clase;
        clase.agregaRango(ushort(valorToken), ushort(valorToken));
        nodo.tipo = Nodo::Caracter;
        nodo.valor = clases.size();
        clases.append(clase);
        break;
    }
    case ConClase:
        nodo.tipo = Nodo::Caracter;
        nodo.valor = clases.size();
        clases.append(claseToken);
        break;
    case Dolar_:
    case Circunflejo_:
    case Limite:
    case NoLimite:
        nodo.tipo = Nodo::Anclaje;
        nodo.valor = tok == Dolar_ ? Dolar : tok == Circunflejo_ ? Circunflejo : tok == Limite ? Palabra : NoPalabra;
        break;
    case AdelantePositivo:
    case AdelanteNegativo: {
        if (profundidad >= kProfundidadMaxima) {
            profundo = true;
            return agrega(nodo);
        }
        nodo.tipo = Nodo::Adelante;
        nodo.valor = tok == AdelanteNegativo ? 1 : 0;
        // Its own engine, with its own counts, up to the ")" that closes it.
        Motor propio;
        ++enAdelante;
        tok = token();
        nodo.hijos.append(expresion(&propio, profundidad + 1));
        --enAdelante;
        if (tok != Cierre)
            falla();
        if (++motor->adelantes > kAdelantesMaximos)
            falla();
        break;
    }
    case ParentesisCaptura:
    case ParentesisSimple:
        if (profundidad >= kProfundidadMaxima) {
            profundo = true;
            return agrega(nodo);
        }
        nodo.tipo = Nodo::Grupo;
        nodo.captura = tok == ParentesisCaptura;
        tok = token();
        nodo.hijos.append(expresion(motor, profundidad + 1));
        if (tok != Cierre)
            falla();
        break;
    case Retro:
        nodo.tipo = Nodo::Referencia;
        nodo.valor = valorToken;
        if (valorToken > motor->referencias) {
            motor->referencias = valorToken;
            if (valorToken > kReferenciasMaximas)
                falla();
        }
        break;
    default:
        // A quantifier with nothing before it.
        falla();
        break;
    }
    tok = token();
    return agrega(nodo);
}
