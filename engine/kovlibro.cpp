#include "kovlibro.h"

#include "kovlote.h"
#include "kovpatron.h"
#include "kovtuberia.h"
#include "lecturamonto.h"

#include <QTextCodec>
#include <QVariantMap>

#include <cstring>
#include <limits>

namespace {

// Reading stops on a line longer than this, as on a failed read: a book without line ends is never held whole.
const int kLineaMaxima = 16 * 1024 * 1024;
const int kBloqueLectura = 1024 * 1024;
const int kLimiteErrores = 1001;
// A batch of the pipeline: enough lines that handing it on costs little per line, and no more than this share of
// the book, so that long lines make short batches.
const int kLineasLote = 128;
const qint64 kBytesLote = 256 * 1024;
// One line keeps at most this many errors of its own: with the thousand that may stand before it the list stays
// bounded whatever the line holds, and a line that had more crosses the limit all the same.
const int kErroresPorLinea = kLimiteErrores - 1;
const qint32 kSinTope = std::numeric_limits<qint32>::max();
const int kBitsMemoria = 6;
const int kHuecosMemoria = 1 << kBitsMemoria;

const QString kCod = QStringLiteral("cod");
const QString kCol = QStringLiteral("col");
const QString kFil = QStringLiteral("fil");
const QString kDes = QStringLiteral("des");

bool esBlancoAscii(uchar b)
{
    return b == ' ' || (b >= 0x09 && b <= 0x0d);
}

// A field as the line reader sees it: runs of white space collapsed to one blank and both ends trimmed. Collapsing
// field by field gives what collapsing the whole line and trimming each piece gives, since "|" is no white space.
// Plain ASCII without stray white space, the usual field, is taken as it stands. Decoding drops a byte-order mark
// only at the start of the line, so a later field keeps one it begins with.
bool esPlano(const char *p, int largo)
{
    for (int i = 0; i < largo; ++i) {
        const uchar b = uchar(p[i]);
        if (b >= 0x80 || (esBlancoAscii(b) && (b != ' ' || i == 0 || i == largo - 1 || p[i - 1] == ' ')))
            return false;
    }
    return true;
}

QString textoNoPlano(const char *p, int largo, bool primero)
{
    if (!primero && largo >= 3 && std::memcmp(p, "\xEF\xBB\xBF", 3) == 0)
        return QString::fromUtf8(QByteArray("|") + QByteArray(p, largo)).mid(1).simplified();
    return QString::fromUtf8(p, largo).simplified();
}

QString textoCampo(const char *p, int largo, bool primero)
{
    return esPlano(p, largo) ? QString::fromLatin1(p, largo) : textoNoPlano(p, largo, primero);
}

// The same text written into `destino`, in its own buffer when no one else holds it and it has the room: a column
// whose values change on every line then costs no allocation.
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

// QFile and QDir encode every path with the locale's codec, which on Linux follows the machine's locale; the
// request's paths are UTF-8 text, so they must reach the file system as UTF-8 bytes whatever that locale is.
void nombresEnUtf8()
{
    QTextCodec *utf8 = QTextCodec::codecForMib(106);
    if (utf8 && QTextCodec::codecForLocale() != utf8)
        QTextCodec::setCodecForLocale(utf8);
}

// Set for tests and the benchmark: every book is then read on its job's thread alone.
QAtomicInt gEnLinea;

} // namespace

// How each column's pattern is tested: none, the compiled automaton, or the column's own QRegExp.
struct KovLibro::Patrones
{
    enum Modo { Ninguno, Compilado, ExpresionQt };
    QVector<Modo> modos;
    QVector<KovPatron> automatas;
};

KovLibro::KovLibro()
    : control(&propio),
      patrones(new Patrones),
      funcionRegistro(nullptr),
      ncolumnas(0),
      nextendidas(0),
      numEstado7(0),
      totalLineDetail(0),
      numErrores(0),
      camposPrimeraLinea(0),
      numLinea(0),
      tamDetalle(0),
      filePDF(0),
      withKeyKov(0),
      generateDetail(0),
      estado1Debe(0.0),
      estado1Haber(0.0),
      generateQVR(0),
      tipoEnvioRcRvi(0),
      numPerAcumuladores(0),
      ricTipo(0),
      inicioLectura(0),
      finLectura(0),
      finDeArchivo(false),
      lecturaTerminada(false),
      tamLibro(0),
      tamCopia(0),
      copiaHecha(false),
      inicioCopia(0),
      copiaPedida(false),
      resultadosFallidos(false),
      topeLinea(kSinTope),
      lineaDesbordada(false),
      enLote(0),
      lecturaIniciada(false),
      validaEnParalelo(false),
      validadorPropio(false)
{
    nombresEnUtf8();
}

KovLibro::~KovLibro()
{
    // The stages' threads use the engine's members: they end first.
    terminaLectura();
}

// The reading buffer, the per-column memory and each column's way of testing its pattern.
void KovLibro::preparaLectura()
{
    lectura.resize(kBloqueLectura);
    memorias.assign(size_t(ncolumnas) * kHuecosMemoria, Memoria());
    patrones->modos.fill(Patrones::Ninguno, ncolumnas);
    patrones->automatas.resize(ncolumnas);
    for (int i = 0; i < ncolumnas; ++i) {
        const QString patron = columnas.at(i).getPatron();
        if (!patron.isEmpty())
            patrones->modos[i] = patrones->automatas[i].compila(patron) ? Patrones::Compilado : Patrones::ExpresionQt;
    }
    enColumna.fill(nullptr, ncolumnas);
}

bool KovLibro::cumplePatron(int i, const KovColumna &columna, const QString &valor) const
{
    switch (patrones->modos.at(i)) {
    case Patrones::Ninguno: return true;
    case Patrones::Compilado: return patrones->automatas.at(i).coincide(valor);
    case Patrones::ExpresionQt: break;
    }
    return columna.checkPatron();
}

// Hands out the next line, its line feed included, from a block buffer; false at the end, on a failed read and
// on a line too long to hold.
bool KovLibro::siguienteLinea(const char **linea, int *largo)
{
    for (;;) {
        const char *datos = lectura.constData();
        const int pendiente = finLectura - inicioLectura;
        const char *fin = pendiente > 0
            ? static_cast<const char *>(std::memchr(datos + inicioLectura, '\n', size_t(pendiente)))
            : nullptr;
        if (fin) {
            *linea = datos + inicioLectura;
            *largo = int(fin - *linea) + 1;
            inicioLectura += *largo;
            return true;
        }
        if (pendiente > kLineaMaxima)
            return false;
        if (finDeArchivo) {
            if (pendiente == 0)
                return false;
            *linea = datos + inicioLectura;
            *largo = pendiente;
            inicioLectura = finLectura;
            return true;
        }
        if (inicioLectura > 0) {
            std::memmove(lectura.data(), datos + inicioLectura, size_t(pendiente));
            inicioLectura = 0;
            finLectura = pendiente;
        }
        if (finLectura == lectura.size())
            lectura.resize(qMin(lectura.size() * 2, kLineaMaxima + 1));
        const qint64 leidos = libro.read(lectura.data() + finLectura, lectura.size() - finLectura);
        if (leidos < 0)
            return false;
        if (leidos == 0)
            finDeArchivo = true;
        finLectura += int(leidos);
    }
}

// The remembered checks of column i for this raw field: a small direct-mapped table per column keyed by the
// field's bytes, so a value met again (a date of the month, a code, a currency) reuses its text and its results.
KovLibro::Memoria &KovLibro::recuerda(int i, const char *campo, int largo)
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
            columnasLectura[i].setData(QString());
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

bool KovLibro::tablaAdmite(int c, const KovColumna &columna, Memoria &memoria) const
{
    const QString tabla = columna.getParametro();
    const bool conAnterior = tabla == QLatin1String("034") || tabla == QLatin1String("028");
    const QString &valor = memoria.valor;
    if (!conAnterior)
        return memoria.sabe(&memoria.tabla, [&] { return cache.contains(tabla, valor); });
    // A first column has no previous one: its previous text reads as empty.
    const QString anterior = c >= 2 ? columnasLectura.at(c - 2).getData() : QString();
    if (anterior == QLatin1String("09"))
        return true;
    if (tabla == QLatin1String("028"))
        return cache.contains(tabla, valor);
    return cache.contains(tabla, anterior + QLatin1Char('_') + codigo + QLatin1Char('_') + valor);
}

// Reads the next lines into the batch: `maxLineas` of them, fewer once the batch holds a good share of the book.
void KovLibro::leeLote(KovLote *lote, int maxLineas)
{
    while (int(lote->lineas.size()) < maxLineas && lote->bytes < kBytesLote) {
        const char *bytes = nullptr;
        int largo = 0;
        if (!siguienteLinea(&bytes, &largo)) {
            lote->fin = true;
            return;
        }
        revisaLinea(lote, bytes, largo);
    }
}

// The checks of one line that depend on nothing but the line and the lines before it: field count, every column,
// the key's parts. What they find is kept in the batch for the merge, which numbers the line.
void KovLibro::revisaLinea(KovLote *lote, const char *bytes, int largo)
{
    KovLote::Linea linea;
    // The text-mode read turns a final carriage return and line feed into one byte.
    linea.devuelto = largo >= 2 && bytes[largo - 1] == '\n' && bytes[largo - 2] == '\r' ? largo - 1 : largo;
    linea.primerError = int(lote->erroresLineas.size());
    linea.primerMonto = int(lote->montos.size());
    lote->bytes += largo;
    const char *nul = static_cast<const char *>(std::memchr(bytes, '\0', size_t(largo)));
    const int util = nul ? int(nul - bytes) : largo;

    // One line keeps at most kErroresPorLinea errors of its own; one more marks it as over the limit.
    int propios = 0;
    auto error = [&](int cod, int col, const QString &des = QString()) {
        if (propios >= kErroresPorLinea) {
            linea.desborde = true;
            return;
        }
        lote->erroresLineas.push_back(KovLote::Error{cod, col, des});
        ++propios;
    };

    separadores.clear();
    for (const char *p = bytes, *fin = bytes + util;
         (p = static_cast<const char *>(std::memchr(p, '|', size_t(fin - p)))) != nullptr; ++p)
        separadores.push_back(int(p - bytes));
    const int n = int(separadores.size());

    bool claveFallida = false;
    bool revisar = true;
    if (camposPrimeraLinea != 0 && camposPrimeraLinea != n) {
        error(40, 0);
        revisar = false;
    } else {
        if (camposPrimeraLinea == 0)
            camposPrimeraLinea = n;
        if (n < ncolumnas || n > nextendidas) {
            error(1, 0);
            revisar = false;
        }
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

            KovColumna &columna = columnasLectura[p - 1];
            Memoria &memoria = recuerda(p - 1, campo, largoCampo);
            const QString &valor = memoria.valor;
            // The column still holds this very text unless another slot wrote it since.
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
            if (!memoria.sabe(&memoria.patron, [&] { return cumplePatron(p - 1, columna, valor); })) {
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
            if (!columna.checkCorrelativo()) {
                error(7, p);
                claveFallida = claveFallida || esClave;
            }
            if (esClave)
                llave.agrega(valor);
        }
    }

    // The bytes the record validator will read, kept only when it is there to read them.
    if (revisar && funcionRegistro) {
        linea.primerCrudo = lote->crudos.size();
        linea.largoCrudo = separadores[size_t(ncolumnas - 1)] + 1;
        lote->crudos.append(bytes, linea.largoCrudo);
    }
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
    lote->lineas.push_back(linea);
}

// The key index, in line order. A line that no check refused is left for the record validator; true when the batch
// holds one.
bool KovLibro::guardaClaves(KovLote *lote)
{
    bool alguna = false;
    for (int i = 0; i < int(lote->lineas.size()); ++i) {
        KovLote::Linea &linea = lote->lineas[i];
        if (linea.clave == KovLote::ConTexto)
            linea.clave = indice.insertKey(lote->llave(i)) ? KovLote::Guardada : KovLote::Repetida;
        linea.valida = funcionRegistro && linea.primerCrudo >= 0 && linea.finErrores == linea.primerError
                       && !linea.desborde && linea.clave != KovLote::Fallida && linea.clave != KovLote::Repetida;
        alguna = alguna || linea.valida;
    }
    return alguna;
}

// The record validator on every valid line of a batch, on a column list of this call's own: the layouts' own
// validators keep nothing between records, so batches may be validated on several threads at once.
void KovLibro::validaLote(KovLote *lote) const
{
    QList<KovColumna> lista = plantilla;
    lote->respuestas.resize(lote->lineas.size());
    for (int i = 0; i < int(lote->lineas.size()); ++i) {
        const KovLote::Linea &linea = lote->lineas[i];
        if (!linea.valida)
            continue;
        ponTextos(*lote, i, &lista);
        ParametrosRegistro parametros = parametrosRegistro;
        lote->respuestas[i] = funcionRegistro(&lista, &parametros);
    }
}

// Sets the columns of the list to line i's texts, decoded from its bytes as the reading decodes them.
void KovLibro::ponTextos(const KovLote &lote, int i, QList<KovColumna> *lista) const
{
    const KovLote::Linea &linea = lote.lineas[i];
    const char *bytes = lote.crudos.constData() + linea.primerCrudo;
    const char *fin = bytes + linea.largoCrudo;
    const char *campo = bytes;
    for (int c = 0; c < ncolumnas; ++c) {
        const char *separador = static_cast<const char *>(std::memchr(campo, '|', size_t(fin - campo)));
        (*lista)[c].setData(textoCampo(campo, int(separador - campo), c == 0));
        campo = separador + 1;
    }
}

// Merges line i into the job: numbers it, records its errors, adds its amounts and, for a line no check refused,
// what the record validator answered. Its length, or 0 once the error list is full.
int KovLibro::aplicaLinea(const KovLote &lote, int i)
{
    const KovLote::Linea &linea = lote.lineas[i];
    const int erroresAntes = numErrores;
    ++numLinea;
    const int fil = int(numLinea);
    topeLinea = numErrores + kErroresPorLinea;
    lineaDesbordada = false;

    for (int e = linea.primerError; e < linea.finErrores; ++e) {
        // Only a column function's worded finding comes as 666.
        const KovLote::Error &error = lote.erroresLineas[e];
        anota(error.cod, fil, error.col, error.cod == 666 ? &error.des : nullptr);
    }
    if (linea.desborde)
        lineaDesbordada = true;
    for (int m = linea.primerMonto; m < linea.finMontos; ++m)
        columnas[lote.montos[m].columna].addAcumulador(lote.montos[m].valor);
    if (linea.clave == KovLote::Fallida)
        addError(32, fil, 0);
    else if (linea.clave == KovLote::Repetida)
        addError(8, fil, 0);

    if (numErrores == erroresAntes) {
        KovRespuesta enLinea;
        if (!validaEnParalelo && funcionRegistro) {
            ponTextos(lote, i, &columnas);
            enLinea = checkFuncion();
        }
        const KovRespuesta &respuesta = validaEnParalelo ? lote.respuestas[i] : enLinea;
        if (respuesta.getNotAddLine())
            --numLinea;
        if (respuesta.hasErrores())
            addError(respuesta, int(numLinea), 0);
        if (respuesta.hasAcumuladores())
            addAcumulador(respuesta);
        if (respuesta.hasPerAcumuladores())
            addPerAcumulador(respuesta);
        if (respuesta.hasAgregados())
            addAgregador(respuesta);
        if (respuesta.hasCasillas())
            addCasillas(respuesta);
        numEstado7 += respuesta.getNumeroEstado7();
        totalLineDetail += respuesta.getTotalLineDetail();
        estado1Debe += respuesta.getEstado1Debe();
        estado1Haber += respuesta.getEstado1Haber();
    }

    topeLinea = kSinTope;
    if (numErrores >= kLimiteErrores || lineaDesbordada) {
        addError(10, int(numLinea), 0);
        return 0;
    }
    return linea.devuelto;
}

// The next batch: from the pipeline, or read here line by line when the book is read on this thread alone.
std::shared_ptr<KovLote> KovLibro::proximoLote()
{
    if (!lecturaIniciada) {
        lecturaIniciada = true;
        // Each stage works on a column list of its own: the reading sets texts and keeps the sequences, the merge
        // adds the amounts, the workers copy theirs from a list no one changes.
        columnasLectura = columnas;
        plantilla = columnas;
        validaEnParalelo = false;
        if (!gEnLinea.loadAcquire()) {
            KovTuberia::Etapas etapas;
            etapas.lee = [this](KovLote *l) { leeLote(l, kLineasLote); };
            etapas.claves = [this](KovLote *l) { return guardaClaves(l); };
            if (funcionRegistro && validadorPropio)
                etapas.valida = [this](KovLote *l) { validaLote(l); };
            tuberia.reset(new KovTuberia);
            if (tuberia->inicia(etapas))
                validaEnParalelo = bool(etapas.valida);
            else
                tuberia.reset();
        }
    }
    if (tuberia)
        return tuberia->siguiente();
    auto lote = std::make_shared<KovLote>();
    leeLote(lote.get(), 1);
    guardaClaves(lote.get());
    return lote;
}

void KovLibro::terminaLectura()
{
    lecturaTerminada = true;
    lote.reset();
    if (tuberia) {
        tuberia->detiene();
        tuberia.reset();
    }
}

int KovLibro::readLine()
{
    if (lecturaTerminada || (!lecturaIniciada && !libro.isOpen()))
        return 0;
    while (!lote || enLote >= int(lote->lineas.size())) {
        if (lote && lote->fin) {
            terminaLectura();
            return 0;
        }
        if (tuberia)
            tuberia->devuelve(std::move(lote));
        lote = proximoLote();
        enLote = 0;
        if (!lote) {
            terminaLectura();
            return 0;
        }
    }
    const int n = aplicaLinea(*lote, enLote++);
    if (n == 0)
        terminaLectura();
    return n;
}

void KovLibro::setLecturaEnLinea(bool enLinea)
{
    gEnLinea.storeRelease(enLinea ? 1 : 0);
}

KovRespuesta KovLibro::checkFuncion()
{
    if (!funcionRegistro)
        return KovRespuesta();
    // A copy of the prepared parameters is as fresh as a new map for the validator, at the cost of a reference.
    ParametrosRegistro parametros = parametrosRegistro;
    return funcionRegistro(&columnas, &parametros);
}

void KovLibro::addError(int cod, int fil, int col)
{
    anota(cod, fil, col, nullptr);
}

void KovLibro::addError(const KovRespuesta &respuesta, int fil, int col)
{
    const QList<ErrorRespuesta> errores = respuesta.getErrores();
    for (const ErrorRespuesta &e : errores) {
        if (numErrores >= topeLinea) {
            lineaDesbordada = true;
            return;
        }
        const int cod = e.value(kCod).toInt();
        const int propia = e.value(kCol).toInt();
        const QString des = cod == 666 ? e.value(kDes).toString() : QString();
        anota(cod, fil, propia != 0 ? propia : col, cod == 666 ? &des : nullptr);
    }
}

// A worded finding (666 from a rule or a validator) keeps its text; the engine's own codes have none.
void KovLibro::anota(int cod, int fil, int col, const QString *des)
{
    if (numErrores >= topeLinea) {
        lineaDesbordada = true;
        return;
    }
    QVariantMap error;
    if (des) {
        error.insert(kCod, QStringLiteral("666"));
        error.insert(kDes, *des);
    } else {
        error.insert(kCod, QString::asprintf("%03d", cod));
    }
    error.insert(kFil, fil);
    error.insert(kCol, col);
    control->errores.append(error);
    ++numErrores;
}

qint64 KovLibro::getFileSize() const
{
    return libro.isOpen() ? libro.size() : tamLibro;
}

void KovLibro::setNumLinea(qint64 numLinea)
{
    this->numLinea = numLinea;
}

qint64 KovLibro::getNumLinea() const
{
    return numLinea;
}

int KovLibro::getNumErrores() const
{
    return numErrores;
}

bool KovLibro::isFilePDF() const
{
    return filePDF != 0;
}

int KovLibro::getNumEstado7() const
{
    return numEstado7;
}

QString KovLibro::getNameFileDetail() const
{
    return nameFileDetail;
}

QString KovLibro::getNameFileResumen() const
{
    return nameFileResumen;
}

QString KovLibro::getNameFileAgregado() const
{
    return nameFileAgregado;
}

QString KovLibro::getNameFileCasillas() const
{
    return nameFileCasillas;
}

QString KovLibro::getPathWork() const
{
    return pathWork;
}
