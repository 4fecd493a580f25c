#include "kovlibro.h"

#include "kovlote.h"
#include "kovrevisor.h"
#include "kovtuberia.h"
#include "lecturamonto.h"

#include <QTextCodec>
#include <QVariantMap>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <limits>
#include <mutex>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Reading stops on a line longer than this, as on a failed read: a book without line ends is never held whole.
const int kLineaMaxima = 16 * 1024 * 1024;
const int kBloqueLectura = 1024 * 1024;
const int kLimiteErrores = 1001;
// A batch of the pipeline: enough lines that handing it on costs little per line, and no more than this share of
// the book, so that long lines make short batches.
const int kLineasLote = 128;
const qint64 kBytesLote = 256 * 1024;
const qint32 kSinTope = std::numeric_limits<qint32>::max();

const QString kCod = QStringLiteral("cod");
const QString kCol = QStringLiteral("col");
const QString kFil = QStringLiteral("fil");
const QString kDes = QStringLiteral("des");

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

// What the reading stage uses of the book, shared with its thread: a reading held in a read of the book keeps it,
// and nothing more, until the read returns, and the job never waits for it.
struct KovLibro::Lectura
{
    ~Lectura();
    bool siguienteLinea(const char **linea, int *largo);
    void leeLote(KovLote *lote, int maxLineas);

    // The book, on a descriptor of its own when the reading has threads: the job closes its own when it ends.
    int fd = -1;
    bool fdPropio = false;
    QByteArray bloque;
    int inicio = 0;
    int fin = 0;
    bool finDeArchivo = false;
    // The count of lines read and the first line's fields.
    qint64 lineasLeidas = 0;
    int camposPrimera = 0;
    qint64 lineaCampos = -1;
    // Set once the reading stops: no line is read past it.
    std::atomic<bool> alto{false};
};

// What the checks use, shared with every batch they are run for: a check still in its line once the job has
// stopped keeps it alive by itself, and the job never waits for it.
struct KovLibro::Revision
{
    void revisaLote(KovLote *lote);

    // What the checkers share, with the book's stop; and the checkers no thread holds now.
    std::shared_ptr<KovRevisor::Libro> libro;
    std::mutex mutexRevisores;
    std::vector<std::unique_ptr<KovRevisor>> revisores;
    std::vector<KovRevisor *> libres;
};

KovLibro::Lectura::~Lectura()
{
    if (fdPropio)
        ::close(fd);
}

KovLibro::KovLibro()
    : control(&propio),
      funcionRegistro(nullptr),
      ncolumnas(0),
      nextendidas(0),
      numEstado7(0),
      totalLineDetail(0),
      numErrores(0),
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
      interrumpida(false),
      sumasDelLote(false),
      lecturaIniciada(false),
      validadorPropio(false)
{
    nombresEnUtf8();
}

KovLibro::~KovLibro()
{
    // The stages' threads use the engine's members: they end first.
    terminaLectura();
}

// The reading buffer.
void KovLibro::preparaLectura()
{
    lectura = std::make_shared<Lectura>();
    lectura->bloque.resize(kBloqueLectura);
}

// Hands out the next line, its line feed included, from a block buffer; false at the end, on a failed read and
// on a line too long to hold.
bool KovLibro::Lectura::siguienteLinea(const char **linea, int *largo)
{
    for (;;) {
        const char *datos = bloque.constData();
        const int pendiente = fin - inicio;
        const char *salto = pendiente > 0
            ? static_cast<const char *>(std::memchr(datos + inicio, '\n', size_t(pendiente)))
            : nullptr;
        if (salto) {
            *linea = datos + inicio;
            *largo = int(salto - *linea) + 1;
            inicio += *largo;
            return true;
        }
        if (pendiente > kLineaMaxima)
            return false;
        if (finDeArchivo) {
            if (pendiente == 0)
                return false;
            *linea = datos + inicio;
            *largo = pendiente;
            inicio = fin;
            return true;
        }
        if (inicio > 0) {
            std::memmove(bloque.data(), datos + inicio, size_t(pendiente));
            inicio = 0;
            fin = pendiente;
        }
        if (fin == bloque.size())
            bloque.resize(qMin(bloque.size() * 2, kLineaMaxima + 1));
        ssize_t leidos;
        do
            leidos = ::read(fd, bloque.data() + fin, size_t(bloque.size() - fin));
        while (leidos < 0 && errno == EINTR);
        if (leidos < 0)
            return false;
        if (leidos == 0)
            finDeArchivo = true;
        fin += int(leidos);
    }
}

// Reads the next lines' bytes into the batch: `maxLineas` of them, fewer once the batch holds a good share of the
// book, and none past a stop. The first line with a field sets the count every later line must have, for the
// checks of the batch.
void KovLibro::Lectura::leeLote(KovLote *lote, int maxLineas)
{
    lote->primera = lineasLeidas;
    while (int(lote->lineas.size()) < maxLineas && lote->bytes < kBytesLote
           && !alto.load(std::memory_order_relaxed)) {
        const char *bytes = nullptr;
        int largo = 0;
        if (!siguienteLinea(&bytes, &largo)) {
            lote->fin = true;
            break;
        }
        if (camposPrimera == 0) {
            const char *nul = static_cast<const char *>(std::memchr(bytes, '\0', size_t(largo)));
            const int util = nul ? int(nul - bytes) : largo;
            camposPrimera = int(std::count(bytes, bytes + util, '|'));
            lineaCampos = lineasLeidas;
        }
        KovLote::Linea linea;
        linea.inicio = lote->texto.size();
        linea.largo = largo;
        lote->texto.append(bytes, largo);
        lote->lineas.push_back(linea);
        lote->bytes += largo;
        ++lineasLeidas;
    }
    lote->camposPrimera = camposPrimera;
    lote->lineaCampos = lineaCampos;
}

// The checks of a batch's lines, on a checker no other thread holds now.
void KovLibro::Revision::revisaLote(KovLote *lote)
{
    KovRevisor *revisor = nullptr;
    {
        std::lock_guard<std::mutex> lock(mutexRevisores);
        if (!libres.empty()) {
            revisor = libres.back();
            libres.pop_back();
        } else {
            revisores.emplace_back(new KovRevisor(libro));
            revisor = revisores.back().get();
        }
    }
    revisor->revisa(lote);
    std::lock_guard<std::mutex> lock(mutexRevisores);
    libres.push_back(revisor);
}

// In line order: the sequence columns, then the key index. A line that no check refused counts its validator's
// answer.
void KovLibro::guardaClaves(KovLote *lote)
{
    const std::atomic<bool> &alto = revision->libro->alto;
    for (int i = 0; i < int(lote->lineas.size()); ++i) {
        // A stopped book's batch is never merged.
        if (alto.load(std::memory_order_relaxed))
            return;
        KovLote::Linea &linea = lote->lineas[size_t(i)];
        bool errores = false;
        for (int e = linea.primerError; e < linea.finErrores; ++e) {
            KovLote::Error &error = lote->erroresLineas[size_t(e)];
            if (error.cod == KovLote::kSecuenciaPendiente) {
                KovColumna &columna = columnasSecuencia[error.col - 1];
                columna.setData(error.des);
                const bool sigue = columna.checkCorrelativo();
                error.cod = sigue ? KovLote::kSecuenciaCumplida : 7;
                error.des.clear();
                if (!sigue && error.clave)
                    linea.clave = KovLote::Fallida;
            }
            errores = errores || error.cod != KovLote::kSecuenciaCumplida;
        }
        if (linea.clave == KovLote::ConTexto)
            linea.clave = indice.insertKey(lote->llave(i)) ? KovLote::Guardada : KovLote::Repetida;
        linea.valida = funcionRegistro && linea.revisada && !errores && !linea.desborde
                       && linea.clave != KovLote::Fallida && linea.clave != KovLote::Repetida;
    }
}

// Merges line i into the job: numbers it, records its errors, adds its amounts and, for a line no check refused,
// what the record validator answered. Its length, or 0 once the error list is full.
int KovLibro::aplicaLinea(const KovLote &lote, int i)
{
    const KovLote::Linea &linea = lote.lineas[size_t(i)];
    const int erroresAntes = numErrores;
    ++numLinea;
    const int fil = int(numLinea);
    topeLinea = numErrores + KovLote::kErroresPorLinea;
    lineaDesbordada = false;

    for (int e = linea.primerError; e < linea.finErrores; ++e) {
        const KovLote::Error &error = lote.erroresLineas[size_t(e)];
        // Only a column function's worded finding comes as 666.
        if (error.cod != KovLote::kSecuenciaCumplida)
            anota(error.cod, fil, error.col, error.cod == 666 ? &error.des : nullptr);
    }
    if (linea.desborde)
        lineaDesbordada = true;
    for (int m = linea.primerMonto; m < linea.finMontos; ++m)
        columnas[lote.montos[size_t(m)].columna].addAcumulador(lote.montos[size_t(m)].valor);
    if (linea.clave == KovLote::Fallida)
        addError(32, fil, 0);
    else if (linea.clave == KovLote::Repetida)
        addError(8, fil, 0);

    const bool ultima = i + 1 == int(lote.lineas.size());
    if (numErrores == erroresAntes) {
        // A stand-in validator is called here, in line order; so is the layout's own when its answer's totals
        // were dropped after summing and are needed line by line after all.
        KovRespuesta enOrden;
        const bool sinTotales = linea.validada && lote.totalesEnSumas && !sumasDelLote;
        if ((!linea.validada && funcionRegistro) || sinTotales)
            enOrden = validaEnOrden(lote, i);
        const KovRespuesta &respuesta = linea.validada && !sinTotales ? lote.respuestas[size_t(i)] : enOrden;
        if (respuesta.getNotAddLine())
            --numLinea;
        if (respuesta.hasErrores())
            addError(respuesta, int(numLinea), 0);
        if (!sumasDelLote)
            sumaTotales(respuesta);
        numEstado7 += respuesta.getNumeroEstado7();
        totalLineDetail += respuesta.getTotalLineDetail();
        estado1Debe += respuesta.getEstado1Debe();
        estado1Haber += respuesta.getEstado1Haber();
    }

    if (sumasDelLote && ultima)
        sumaTotalesDelLote(lote);

    topeLinea = kSinTope;
    if (numErrores >= kLimiteErrores || lineaDesbordada) {
        addError(10, int(numLinea), 0);
        return 0;
    }
    return lote.devuelto(i);
}

void KovLibro::sumaTotales(const KovRespuesta &respuesta)
{
    if (respuesta.hasAcumuladores())
        addAcumulador(respuesta);
    if (respuesta.hasPerAcumuladores())
        addPerAcumulador(respuesta);
    if (respuesta.hasAgregados())
        addAgregador(respuesta);
    if (respuesta.hasCasillas())
        addCasillas(respuesta);
}

// Whether the batch's totals can be merged as its sums, once its last line is merged: every line the validator
// read counts, and no line of the batch can stop the reading (whatever the error list then holds), so that the
// lists end the same whichever way they are merged. While the batch is merged line by line the job's published
// totals stay those of the batches before it.
bool KovLibro::sumasUsables(const KovLote &lote) const
{
    if (!lote.conSumas)
        return false;
    qint64 cota = numErrores;
    for (size_t i = 0; i < lote.lineas.size(); ++i) {
        const KovLote::Linea &linea = lote.lineas[i];
        if ((linea.validada && !linea.valida) || linea.desborde)
            return false;
        // Its own errors, its key's, and its validator's.
        cota += linea.finErrores - linea.primerError + 1;
        if (linea.validada)
            cota += lote.respuestas[i].getNumErrores();
    }
    return cota < kLimiteErrores;
}

// Each list of the batch's sums, or, where a list's sums cannot be sure to give the same texts, its lines one by one.
void KovLibro::sumaTotalesDelLote(const KovLote &lote)
{
    auto porLineas = [this, &lote](const std::function<void(const KovRespuesta &)> &suma) {
        for (size_t i = 0; i < lote.lineas.size(); ++i) {
            if (lote.lineas[i].valida)
                suma(lote.totalesEnSumas ? validaEnOrden(lote, int(i)) : lote.respuestas[i]);
        }
    };
    if (!lote.sumasResumen.fusionaEn(&control->totalesResumen, marcaEnteraResumen(), false))
        porLineas([this](const KovRespuesta &r) { addAcumulador(r); });
    if (lote.sumasPeriodos.fusionaPeriodosEn(&control->totalesAuxResumen))
        numPerAcumuladores += lote.sumasPeriodos.entradas();
    else
        porLineas([this](const KovRespuesta &r) { addPerAcumulador(r); });
    if (!lote.sumasAgregado.fusionaEn(&control->totalesAgregado, marcaEnteraAgregado(), true))
        porLineas([this](const KovRespuesta &r) { addAgregador(r); });
    if (!lote.sumasCasillas.fusionaEn(&control->totalesCasillas, marcaEnteraAgregado(), true))
        porLineas([this](const KovRespuesta &r) { addCasillas(r); });
}

// The record validator on line i, here on the job's own column list.
KovRespuesta KovLibro::validaEnOrden(const KovLote &lote, int i)
{
    const KovLote::Linea &linea = lote.lineas[size_t(i)];
    KovRevisor::ponTextos(lote.texto.constData() + linea.inicio, linea.largo, ncolumnas, &columnas);
    return checkFuncion();
}

// The next batch: from the pipeline, or read and checked here line by line when the book is read on this thread
// alone.
std::shared_ptr<KovLote> KovLibro::proximoLote()
{
    if (!lecturaIniciada) {
        lecturaIniciada = true;
        if (!lectura)
            preparaLectura();
        // The checkers copy their column lists from one no one changes; the sequences are followed on a list of
        // their own, and the merge adds the amounts on the job's.
        std::shared_ptr<KovRevisor::Libro> revisado = std::make_shared<KovRevisor::Libro>();
        revisado->columnas = columnas;
        revisado->cache = cache;
        revisado->codigo = codigo;
        revisado->ncolumnas = ncolumnas;
        revisado->nextendidas = nextendidas;
        revisado->validador = validadorPropio ? funcionRegistro : nullptr;
        revisado->parametros = parametrosRegistro;
        revisado->patrones = patrones;
        revision = std::make_shared<Revision>();
        revision->libro = revisado;
        columnasSecuencia = columnas;
        // The reading's threads read the book on a descriptor of their own, which they close when the last of
        // them is done: the job closes its own as it ends, whatever they are doing. Without one, or read line by
        // line, the book is read on this thread alone, and the totals are merged line by line too.
        lectura->fd = libro.handle();
        const int descriptor = gEnLinea.loadAcquire() ? -1 : ::fcntl(libro.handle(), F_DUPFD_CLOEXEC, 0);
        if (descriptor >= 0) {
            lectura->fd = descriptor;
            lectura->fdPropio = true;
            libro.close();
            const std::shared_ptr<Lectura> leida = lectura;
            const std::shared_ptr<Revision> revisada = revision;
            KovTuberia::Etapas etapas;
            etapas.lee = [leida](KovLote *l) { leida->leeLote(l, kLineasLote); };
            etapas.revisa = [revisada](KovLote *l) { revisada->revisaLote(l); };
            etapas.claves = [this](KovLote *l) { guardaClaves(l); };
            revisado->sumas = true;
            tuberia.reset(new KovTuberia);
            if (!tuberia->inicia(etapas)) {
                tuberia.reset();
                revisado->sumas = false;
            }
        }
    }
    if (tuberia)
        return tuberia->siguiente(interrupcion, &interrumpida);
    auto lote = std::make_shared<KovLote>();
    lectura->leeLote(lote.get(), 1);
    revision->revisaLote(lote.get());
    guardaClaves(lote.get());
    return lote;
}

// Whatever is still checked or read ends after the line in hand, by itself; the job goes on at once.
void KovLibro::terminaLectura()
{
    lecturaTerminada = true;
    lote.reset();
    if (lectura)
        lectura->alto.store(true);
    if (revision)
        revision->libro->alto.store(true);
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
        sumasDelLote = sumasUsables(*lote);
    }
    const int n = aplicaLinea(*lote, enLote++);
    if (n == 0)
        terminaLectura();
    return n;
}

void KovLibro::setInterrupcion(std::function<bool(qint64)> interrumpe)
{
    interrupcion = std::move(interrumpe);
}

bool KovLibro::isInterrumpida() const
{
    return interrumpida;
}

// A stand-in validator is called in the merge, at its own pace.
bool KovLibro::siguienteEnMano() const
{
    return lote && !lecturaTerminada && enLote < int(lote->lineas.size()) && !(funcionRegistro && !validadorPropio);
}

void KovLibro::abandonaCopia()
{
    copia.abandona();
    copiaPedida = false;
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
