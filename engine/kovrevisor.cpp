#include "kovrevisor.h"

#include "kovlote.h"
#include "kovtotales.h"
#include "lecturamonto.h"

#include <cstring>

namespace {

const int kBitsMemoria = 6;
const int kHuecosMemoria = 1 << kBitsMemoria;

// The names whose sums are written as whole numbers, made once.
const QString kMarcaResumen = marcaEnteraResumen();
const QString kMarcaAgregado = marcaEnteraAgregado();

const QString kCod = QStringLiteral("cod");
const QString kCol = QStringLiteral("col");
const QString kDes = QStringLiteral("des");

bool esBlancoAscii(uchar b)
{
    return b == ' ' || (b >= 0x09 && b <= 0x0d);
}

// Plain ASCII without stray white space, the usual field, is taken as it stands.
bool esPlano(const char *p, int largo)
{
    for (int i = 0; i < largo; ++i) {
        const uchar b = uchar(p[i]);
        if (b >= 0x80 || (esBlancoAscii(b) && (b != ' ' || i == 0 || i == largo - 1 || p[i - 1] == ' ')))
            return false;
    }
    return true;
}

// Decoding drops a byte-order mark only at the start of the line, so a later field keeps one it begins with.
QString textoNoPlano(const char *p, int largo, bool primero)
{
    if (!primero && largo >= 3 && std::memcmp(p, "\xEF\xBB\xBF", 3) == 0)
        return QString::fromUtf8(QByteArray("|") + QByteArray(p, largo)).mid(1).simplified();
    return QString::fromUtf8(p, largo).simplified();
}

// The field's text written into `destino`, in its own buffer when no one else holds it and it has the room: a
// column whose values change on every line then costs no allocation.
void llenaCampo(QString *destino, const char *p, int largo, bool primero)
{
    if (!esPlano(p, largo)) {
        *destino = textoNoPlano(p, largo, primero);
    } else if (destino->isDetached() && destino->capacity() >= largo) {
        destino->resize(largo);
        QChar *d = destino->data();
        for (int i = 0; i < largo; ++i)
            d[i] = QLatin1Char(p[i]);
    } else {
        *destino = QString::fromLatin1(p, largo);
    }
}

} // namespace

// Collapsing field by field gives what collapsing the whole line and trimming each piece gives, since "|" is no
// white space.
QString KovRevisor::textoCampo(const char *p, int largo, bool primero)
{
    return esPlano(p, largo) ? QString::fromLatin1(p, largo) : textoNoPlano(p, largo, primero);
}

void KovRevisor::ponTextos(const char *linea, int largo, int ncolumnas, QList<KovColumna> *lista)
{
    const char *fin = linea + largo;
    const char *campo = linea;
    for (int c = 0; c < ncolumnas; ++c) {
        const char *separador = static_cast<const char *>(std::memchr(campo, '|', size_t(fin - campo)));
        (*lista)[c].setData(textoCampo(campo, int(separador - campo), c == 0));
        campo = separador + 1;
    }
}

KovRevisor::KovRevisor(std::shared_ptr<const Libro> compartido)
    : libro(std::move(compartido)), columnas(libro->columnas), parametrosPropios(libro->parametros)
{
    parametrosPropios.detach();
    const int n = libro->ncolumnas;
    memorias.assign(size_t(n) * kHuecosMemoria, Memoria());
    enColumna.fill(nullptr, n);
}

void KovRevisor::revisa(KovLote *lote)
{
    lote->limpiaRespuestas();
    if (libro->validador)
        lote->respuestas.resize(lote->lineas.size());
    for (int i = 0; i < int(lote->lineas.size()); ++i) {
        // A stopped book's batch is never merged: what is left of it is not checked.
        if (libro->alto.load(std::memory_order_relaxed))
            return;
        revisaLinea(lote, i);
    }
    lote->conSumas = libro->validador && libro->sumas;
    lote->totalesEnSumas = lote->conSumas;
}

bool KovRevisor::cumplePatron(int i, const QString &valor)
{
    // A book always comes with its compiled patterns; without them the column's own expression still tells.
    return libro->patrones ? libro->patrones->coincide(i, valor, &revision) : columnas.at(i).checkPatron();
}

// The remembered checks of column i for this raw field: a small direct-mapped table per column keyed by the
// field's bytes, so a value met again (a date of the month, a code, a currency) reuses its text and its results.
KovRevisor::Memoria &KovRevisor::recuerda(int i, const char *campo, int largo)
{
    Memoria *tabla = memorias.data() + size_t(i) * kHuecosMemoria;
    // Both ends and the length tell the values of a column apart well enough; a clash only costs a fresh check.
    quint64 cabeza = 0;
    quint64 cola = 0;
    if (largo >= 8) {
        std::memcpy(&cabeza, campo, 8);
        std::memcpy(&cola, campo + largo - 8, 8);
    } else {
        for (int k = 0; k < largo; ++k)
            cabeza = (cabeza << 8) | uchar(campo[k]);
    }
    const quint64 h = (cabeza * 0x9E3779B97F4A7C15ull) ^ (cola * 0xC2B2AE3D27D4EB4Full) ^ quint64(largo);
    Memoria &memoria = tabla[int((h * 0x9E3779B97F4A7C15ull) >> (64 - kBitsMemoria))];
    // The text and the checks are functions of the raw bytes alone, so equal bytes are the same value.
    if (memoria.largo != largo || std::memcmp(memoria.crudo, campo, size_t(largo)) != 0) {
        // The column lets go of the slot's old text, so that the slot can write the new one in its place.
        if (enColumna[i] == &memoria)
            columnas[i].setData(QString());
        enColumna[i] = nullptr;
        memoria.largo = -1;
        memoria.patron = -1;
        memoria.longitud = -1;
        memoria.tabla = -1;
        memoria.numeroListo = false;
        memoria.numero = 0.0;
        llenaCampo(&memoria.valor, campo, largo, i == 0);
        if (largo <= Memoria::kCrudo) {
            memoria.largo = qint8(largo);
            std::memcpy(memoria.crudo, campo, size_t(largo));
        }
    }
    return memoria;
}

bool KovRevisor::tablaAdmite(int c, const KovColumna &columna, Memoria &memoria) const
{
    const QString tabla = columna.getParametro();
    const bool conAnterior = tabla == QLatin1String("034") || tabla == QLatin1String("028");
    const QString &valor = memoria.valor;
    const KovCache &cache = libro->cache;
    if (!conAnterior)
        return memoria.sabe(&memoria.tabla, [&] { return cache.contains(tabla, valor); });
    // A first column has no previous one: its previous text reads as empty.
    const QString anterior = c >= 2 ? columnas.at(c - 2).getData() : QString();
    if (anterior == QLatin1String("09"))
        return true;
    if (tabla == QLatin1String("028"))
        return cache.contains(tabla, valor);
    return cache.contains(tabla, anterior + QLatin1Char('_') + libro->codigo + QLatin1Char('_') + valor);
}

// The checks of one line: field count, every column, the key's parts; then, for a line none of them refused, the
// record validator. A sequence column is left to the stage that sees the lines in order.
void KovRevisor::revisaLinea(KovLote *lote, int i)
{
    KovLote::Linea &linea = lote->lineas[size_t(i)];
    const char *bytes = lote->texto.constData() + linea.inicio;
    const int largo = linea.largo;
    const int ncolumnas = libro->ncolumnas;
    linea.primerError = int(lote->erroresLineas.size());
    linea.primerMonto = int(lote->montos.size());
    const char *nul = static_cast<const char *>(std::memchr(bytes, '\0', size_t(largo)));
    const int util = nul ? int(nul - bytes) : largo;

    // The line's errors are kept up to one past its limit, and past as many more as its sequence checks may yet
    // turn out not to be errors.
    int propios = 0;
    int pendientes = 0;
    auto error = [&](int cod, int col, const QString &des = QString()) {
        if (propios > KovLote::kErroresPorLinea + pendientes) {
            linea.desborde = true;
            return;
        }
        lote->erroresLineas.push_back(KovLote::Error{cod, col, des, false});
        ++propios;
    };

    separadores.clear();
    for (const char *p = bytes, *fin = bytes + util;
         (p = static_cast<const char *>(std::memchr(p, '|', size_t(fin - p)))) != nullptr; ++p)
        separadores.push_back(int(p - bytes));
    const int n = int(separadores.size());

    bool claveFallida = false;
    bool revisar = true;
    // The first line with a field sets the count every later line must have.
    if (lote->camposPrimera != 0 && lote->primera + i > lote->lineaCampos && n != lote->camposPrimera) {
        error(40, 0);
        revisar = false;
    } else if (n < ncolumnas || n > libro->nextendidas) {
        error(1, 0);
        revisar = false;
    }

    if (revisar) {
        int inicio = 0;
        for (int p = 1; p <= n; ++p) {
            const int fin = separadores[size_t(p - 1)];
            const char *campo = bytes + inicio;
            const int largoCampo = fin - inicio;
            inicio = fin + 1;

            if (p > ncolumnas) {
                // Extended fields only add errors, and this line takes no more.
                if (linea.desborde)
                    break;
                extendida.setData(textoCampo(campo, largoCampo, false));
                if (!extendida.checkPatron())
                    error(3, p);
                else if (!extendida.checkLongitud())
                    error(4, p);
                continue;
            }

            KovColumna &columna = columnas[p - 1];
            Memoria &memoria = recuerda(p - 1, campo, largoCampo);
            const QString &valor = memoria.valor;
            // The column still holds this very text unless another slot or the record validator wrote it since.
            if (enColumna.at(p - 1) != &memoria) {
                columna.setData(valor);
                enColumna[p - 1] = &memoria;
            }
            const bool esClave = columna.isKey();
            if (valor.isEmpty()) {
                if (columna.isObligatorio()) {
                    error(2, p);
                    claveFallida = claveFallida || esClave;
                } else if (esClave) {
                    // An empty optional part keeps its place, or ("", "B") and ("B", "") would be one key.
                    llave.agrega(valor);
                }
                continue;
            }
            if (columna.checkCustomEmpty()) {
                claveFallida = claveFallida || esClave;
                continue;
            }
            if (!memoria.sabe(&memoria.patron, [&] { return cumplePatron(p - 1, valor); })) {
                error(3, p);
                claveFallida = claveFallida || esClave;
                continue;
            }
            if (!memoria.sabe(&memoria.longitud, [&columna] { return columna.checkLongitud(); })) {
                error(4, p);
                claveFallida = claveFallida || esClave;
                continue;
            }
            if (columna.getFuncion()) {
                const KovRespuesta respuesta = columna.checkFuncion();
                if (respuesta.hasErrores()) {
                    // Entries without a column of their own take this one.
                    for (const ErrorRespuesta &e : respuesta.getErrores()) {
                        const int cod = e.value(kCod).toInt();
                        const int propia = e.value(kCol).toInt();
                        error(cod, propia != 0 ? propia : p, cod == 666 ? e.value(kDes).toString() : QString());
                    }
                    claveFallida = claveFallida || esClave;
                }
            }
            if (columna.hasParametro() && !tablaAdmite(p, columna, memoria)) {
                error(6, p);
                claveFallida = claveFallida || esClave;
            }
            if (columna.isAcumulador()) {
                if (!memoria.numeroListo) {
                    // Read as every rule reads an amount: a text that is not a number, one beyond double range,
                    // "inf" and "nan" count 0.
                    memoria.numero = leeMonto(valor).valor;
                    memoria.numeroListo = true;
                }
                lote->montos.push_back(KovLote::Monto{p - 1, memoria.numero});
            }
            if (columna.isCorrelativo()) {
                // Whether it follows the value before it is known only in line order.
                lote->erroresLineas.push_back(KovLote::Error{KovLote::kSecuenciaPendiente, p, valor, esClave});
                ++pendientes;
            }
            if (esClave)
                llave.agrega(valor);
        }
    }

    linea.revisada = revisar;
    if (claveFallida) {
        linea.clave = KovLote::Fallida;
    } else if (llave.conTexto()) {
        linea.clave = KovLote::ConTexto;
        linea.primerByteClave = lote->bytesClaves.size();
        lote->bytesClaves += llave.bytes();
        linea.finBytesClave = lote->bytesClaves.size();
    }
    llave.limpia();
    linea.finErrores = int(lote->erroresLineas.size());
    linea.finMontos = int(lote->montos.size());

    // The layout's own validator on a line no check refused so far; the key and the sequences are judged after, and
    // a line they refuse drops its answer.
    if (libro->validador && revisar && propios == 0 && !claveFallida) {
        // A fresh copy of this checker's own map: no count shared with another thread is written per record.
        ParametrosRegistro parametros = parametrosPropios;
        lote->respuestas[size_t(i)] = libro->validador(&columnas, &parametros);
        linea.validada = true;
        // The validator holds the column list and may have written into it.
        enColumna.fill(nullptr);
        // Its totals summed here, while they are at hand, so that the merge adds each name once per batch.
        // Then dropped here, by the thread that made them: the merge seldom needs them line by line, and a batch
        // that does validates its lines again, since the validator keeps nothing between records.
        if (libro->sumas) {
            KovRespuesta &r = lote->respuestas[size_t(i)];
            lote->sumasResumen.agrega(r.totalesAcumuladores(), kMarcaResumen);
            lote->sumasAgregado.agrega(r.totalesAgregados(), kMarcaAgregado);
            lote->sumasCasillas.agrega(r.totalesCasillas(), kMarcaAgregado);
            lote->sumasPeriodos.agregaPeriodos(r.totalesPerAcumuladores());
            r.quitaTotales();
        }
    }
}
