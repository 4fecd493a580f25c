#include "kovlibro.h"

#include "kovpatron.h"
#include "lecturamonto.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QTextCodec>
#include <QTime>
#include <QVariantMap>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <ctime>
#include <limits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Reading stops on a line longer than this, as on a failed read: a book without line ends is never held whole.
const int kLineaMaxima = 16 * 1024 * 1024;
const int kBloqueLectura = 1024 * 1024;
const int kLimiteErrores = 1001;
// One line keeps at most this many errors of its own: with the thousand that may stand before it the list stays
// bounded whatever the line holds, and a line that had more crosses the limit all the same.
const int kErroresPorLinea = kLimiteErrores - 1;
const qint32 kSinTope = std::numeric_limits<qint32>::max();
const int kLargoRutaLarga = 251;
const qint64 kBloqueHash = 8192;
const int kBitsMemoria = 6;
const int kHuecosMemoria = 1 << kBitsMemoria;

// Boxes that may not end below zero; a negative total is published as the text "0".
static const char *const kCasillasNoNegativas[] = {
    "100", "106", "105", "109", "340", "107", "113", "114", "116", "119", "120", "122"
};

const QString kAtrib = QStringLiteral("atrib");
const QString kValor = QStringLiteral("valor");
const QString kCod = QStringLiteral("cod");
const QString kCol = QStringLiteral("col");
const QString kFil = QStringLiteral("fil");
const QString kDes = QStringLiteral("des");

int leeEntero(const QJsonObject &objeto, const QString &clave)
{
    const QJsonValue valor = objeto.value(clave);
    if (valor.isDouble()) {
        const double d = valor.toDouble();
        if (std::isfinite(d) && d == std::floor(d) && d >= std::numeric_limits<qint32>::min()
            && d <= std::numeric_limits<qint32>::max())
            return int(d);
        return 0;
    }
    if (valor.isString()) {
        const QString texto = valor.toString();
        if (texto.isEmpty())
            return 0;
        for (const QChar ch : texto) {
            if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
                return 0;
        }
        bool ok = false;
        const int n = texto.toInt(&ok);
        return ok ? n : 0;
    }
    if (valor.isBool())
        return valor.toBool() ? 1 : 0;
    return 0;
}

QString leeTexto(const QJsonObject &objeto, const QString &clave)
{
    return objeto.value(clave).toString();
}

bool leeBandera(const QJsonObject &objeto, const QString &clave)
{
    return objeto.value(clave).toBool();
}

// A field or a total's text read as every rule reads an amount: a text that is not a number, one beyond
// double range, "inf" and "nan" count 0.
double numero(const QString &texto)
{
    return leeMonto(texto).valor;
}

double numero(const QVariant &valor)
{
    return numero(valor.toString());
}

QString tresDecimales(double valor)
{
    return QString::number(valor, 'f', 3);
}

// The six characters of the path that begin `desde` characters before its end, as far as they exist.
QString corte(const QString &path, int desde)
{
    const int inicio = path.size() - desde;
    const int fin = inicio + 6;
    const int desdeReal = qMax(inicio, 0);
    if (fin <= desdeReal)
        return QString();
    return path.mid(desdeReal, qMin(fin, path.size()) - desdeReal);
}

QString rutaAbsolutaLimpia(const QString &ruta)
{
    return QDir::cleanPath(QFileInfo(ruta).absoluteFilePath());
}

bool estaDentro(const QString &baseLimpia, const QString &ruta)
{
    if (baseLimpia.isEmpty())
        return false;
    const QString limpia = rutaAbsolutaLimpia(ruta);
    const QString prefijo = baseLimpia.endsWith(QLatin1Char('/')) ? baseLimpia : baseLimpia + QLatin1Char('/');
    return limpia.size() > prefijo.size() && limpia.startsWith(prefijo);
}

QString baseLimpia(const QString &base)
{
    return base.isEmpty() ? QString() : rutaAbsolutaLimpia(base);
}

// Opens a file for reading only when it is a regular file: a directory, FIFO or device would hang or never end.
// The descriptor is checked after opening, so a path swapped between a check and the open cannot slip through.
bool abreRegular(const QString &ruta, QFile *archivo)
{
    const QByteArray nativo = QFile::encodeName(ruta);
    const int fd = ::open(nativo.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat estado;
    if (::fstat(fd, &estado) != 0 || !S_ISREG(estado.st_mode)) {
        ::close(fd);
        return false;
    }
    const int banderas = ::fcntl(fd, F_GETFL);
    if (banderas != -1)
        ::fcntl(fd, F_SETFL, banderas & ~O_NONBLOCK);
    if (!archivo->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

bool hashArchivo(const QString &ruta, QString *hash, qint64 *tam)
{
    QFile archivo;
    if (!abreRegular(ruta, &archivo))
        return false;
    QCryptographicHash sha1(QCryptographicHash::Sha1);
    QByteArray bloque(int(kBloqueHash), Qt::Uninitialized);
    qint64 total = 0;
    for (;;) {
        const qint64 leidos = archivo.read(bloque.data(), kBloqueHash);
        if (leidos <= 0)
            break;
        sha1.addData(bloque.constData(), int(leidos));
        total += leidos;
    }
    *hash = QString::fromLatin1(sha1.result().toHex());
    if (tam)
        *tam = total;
    return true;
}

// The position of the entry of that name in a job list, or -1. The name-to-position index spares a scan per entry;
// a position that no longer holds the name falls back to the scan.
int posicion(const QList<QVariant> &lista, QHash<QString, int> *indice, const QString &nombre)
{
    const int guardada = indice->value(nombre, -1);
    if (guardada >= 0 && guardada < lista.size() && lista.at(guardada).toMap().value(kAtrib).toString() == nombre)
        return guardada;
    for (int i = 0; i < lista.size(); ++i) {
        if (lista.at(i).toMap().value(kAtrib).toString() == nombre) {
            indice->insert(nombre, i);
            return i;
        }
    }
    return -1;
}

bool esBlancoAscii(uchar b)
{
    return b == ' ' || (b >= 0x09 && b <= 0x0d);
}

// A field as the line reader sees it: runs of white space collapsed to one blank and both ends trimmed. Collapsing
// field by field gives what collapsing the whole line and trimming each piece gives, since "|" is no white space.
// Plain ASCII without stray white space, the usual field, is taken as it stands. Decoding drops a byte-order mark
// only at the start of the line, so a later field keeps one it begins with.
QString textoCampo(const char *p, int largo, bool primero)
{
    for (int i = 0; i < largo; ++i) {
        const uchar b = uchar(p[i]);
        if (b >= 0x80 || (esBlancoAscii(b) && (b != ' ' || i == 0 || i == largo - 1 || p[i - 1] == ' '))) {
            if (!primero && largo >= 3 && std::memcmp(p, "\xEF\xBB\xBF", 3) == 0)
                return QString::fromUtf8(QByteArray("|") + QByteArray(p, largo)).mid(1).simplified();
            return QString::fromUtf8(p, largo).simplified();
        }
    }
    return QString::fromLatin1(p, largo);
}

// Timestamps are kept no finer than this on some file systems (two seconds on FAT, one on HFS+, a clock tick on
// others): a change made within this span of the previous one may leave every field that stat() gives as it was.
const qint64 kGranoTiempo = 3;

// What tells one state of a file from another without reading it: device, inode, size and both change times to
// the nanosecond. Any write moves the change time, which no user can set back, unless it falls in the tick of the
// change before; so a file changed later than kGranoTiempo before `desde` (seconds since the epoch) gets no
// signature. Empty also when the file is missing.
QByteArray firma(const QString &ruta, qint64 desde)
{
    struct stat st;
    if (::stat(QFile::encodeName(ruta).constData(), &st) != 0)
        return QByteArray();
    if (qMax(qint64(st.st_mtim.tv_sec), qint64(st.st_ctim.tv_sec)) > desde - kGranoTiempo)
        return QByteArray();
    QByteArray f;
    for (const qint64 v : {qint64(st.st_dev), qint64(st.st_ino), qint64(st.st_size), qint64(st.st_mtim.tv_sec),
                           qint64(st.st_mtim.tv_nsec), qint64(st.st_ctim.tv_sec), qint64(st.st_ctim.tv_nsec)})
        f += QByteArray::number(v) + ' ';
    return f;
}

// QFile and QDir encode every path with the locale's codec, which on Linux follows the machine's locale; the
// request's paths are UTF-8 text, so they must reach the file system as UTF-8 bytes whatever that locale is.
void nombresEnUtf8()
{
    QTextCodec *utf8 = QTextCodec::codecForMib(106);
    if (utf8 && QTextCodec::codecForLocale() != utf8)
        QTextCodec::setCodecForLocale(utf8);
}

QVariantMap entrada(const QString &atrib, const QVariant &valor)
{
    QVariantMap m;
    m.insert(kAtrib, atrib);
    m.insert(kValor, valor);
    return m;
}

} // namespace

// How each column's pattern is tested: none, the compiled automaton, or the column's own QRegExp.
struct KovLibro::Patrones
{
    enum Modo { Ninguno, Compilado, ExpresionQt };
    QVector<Modo> modos;
    QVector<KovPatron> automatas;
};

bool enLista(const QString &texto, const QStringList &lista)
{
    for (const QString &elemento : lista) {
        if (elemento == texto)
            return true;
    }
    return false;
}

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
      resultadosFallidos(false),
      topeLinea(kSinTope),
      lineaDesbordada(false)
{
    nombresEnUtf8();
}

KovLibro::~KovLibro() = default;

bool KovLibro::cumplePatron(int i, const KovColumna &columna, const QString &valor) const
{
    switch (patrones->modos.at(i)) {
    case Patrones::Ninguno: return true;
    case Patrones::Compilado: return patrones->automatas.at(i).coincide(valor);
    case Patrones::ExpresionQt: break;
    }
    return columna.checkPatron();
}

void KovLibro::setTicket(const QString &ticket)
{
    this->ticket = ticket;
    resultados.setEtiqueta(ticket);
}

QString KovLibro::getParseError() const
{
    return parseError;
}

void KovLibro::setControl(KovControl *control)
{
    this->control = control ? control : &propio;
    // Positions remembered for another record mean nothing in this one.
    indiceResumen.clear();
    indiceAgregado.clear();
    indiceCasillas.clear();
    indicePeriodos.clear();
}

bool KovLibro::parse(const QString &request)
{
    QByteArray decodificado = QByteArray::fromBase64(request.toUtf8());
    const int nul = decodificado.indexOf('\0');
    if (nul >= 0)
        decodificado.truncate(nul);
    QJsonParseError error;
    const QJsonDocument documento = QJsonDocument::fromJson(QString::fromUtf8(decodificado).toUtf8(), &error);
    if (error.error != QJsonParseError::NoError) {
        parseError = QStringLiteral("900");
        return false;
    }
    const QJsonObject raiz = documento.object();

    generateDetail = leeEntero(raiz, QStringLiteral("generateDetail"));
    withKeyKov = leeEntero(raiz, QStringLiteral("withKeyKov"));
    filePDF = leeEntero(raiz, QStringLiteral("isFilePDF"));
    pathHacolKov = leeTexto(raiz, QStringLiteral("pathHacolKov"));
    codigo = leeTexto(raiz, QStringLiteral("codigo"));
    generateQVR = leeEntero(raiz, QStringLiteral("generateQVR"));
    tipoEnvioRcRvi = leeEntero(raiz, QStringLiteral("tipoEnvioRcRvi"));
    ricTipo = leeEntero(raiz, QStringLiteral("ricTipo"));
    if (codigo.isEmpty()) {
        parseError = QStringLiteral("901");
        return false;
    }
    ruc = leeTexto(raiz, QStringLiteral("ruc"));
    periodo = leeTexto(raiz, QStringLiteral("periodo"));
    if (periodo.isEmpty()) {
        parseError = QStringLiteral("902");
        return false;
    }
    path = leeTexto(raiz, QStringLiteral("path"));
    if (path.isEmpty()) {
        parseError = QStringLiteral("903");
        return false;
    }
    pathIndice = QDir::tempPath() + QDir::separator() + QTime::currentTime().toString(QStringLiteral("HHmmss"))
                 + ticket + QStringLiteral(".idx");

    const QString nombreFuncion = leeTexto(raiz, QStringLiteral("funcion"));
    funcionRegistro = rules.getFuncionRegistro(nombreFuncion);
    ncolumnas = leeEntero(raiz, QStringLiteral("ncolumnas"));
    // A record validator reads up to its state column without a size test, so a narrower layout is unusable.
    if (ncolumnas <= 0 || (funcionRegistro && ncolumnas < rules.getColumnaEstado(nombreFuncion))) {
        parseError = QStringLiteral("904");
        return false;
    }
    nextendidas = leeEntero(raiz, QStringLiteral("nextendidas"));
    descripcion = leeTexto(raiz, QStringLiteral("descripcion"));

    const QJsonArray layout = raiz.value(QStringLiteral("columnas")).toArray();
    for (const QJsonValue &elemento : layout) {
        const QJsonObject objeto = elemento.toObject();
        KovColumna columna;
        if (!columna.setPatronLongitud(leeTexto(objeto, QStringLiteral("longitud")))) {
            parseError = QStringLiteral("909");
            return false;
        }
        if (ricTipo == 0)
            columna.setEnabledAcumulador(leeBandera(objeto, QStringLiteral("acumulador")));
        else
            columna.setEnabledAcumulador(false);
        columna.setCustomEmpty(leeTexto(objeto, QStringLiteral("cvacio")));
        columna.setObligatorio(leeBandera(objeto, QStringLiteral("obligatorio")));
        columna.setKey(leeBandera(objeto, QStringLiteral("indice")));
        columna.setEnabledCorrelativo(leeBandera(objeto, QStringLiteral("correlativo")));
        columna.setPatron(leeTexto(objeto, QStringLiteral("patron")));
        columna.setParametro(leeTexto(objeto, QStringLiteral("parametro")));
        columna.setFuncion(rules.getFuncionColumna(leeTexto(objeto, QStringLiteral("funcion"))));
        columna.setDescripcion(leeTexto(objeto, QStringLiteral("descripcion")));
        columnas.append(columna);
    }
    if (columnas.size() != ncolumnas) {
        parseError = QStringLiteral("905");
        return false;
    }

    const QJsonArray tablas = raiz.value(QStringLiteral("parametros")).toArray();
    for (const QJsonValue &elemento : tablas) {
        const QJsonObject objeto = elemento.toObject();
        cache.insert(leeTexto(objeto, QStringLiteral("codigo")), leeTexto(objeto, QStringLiteral("valor")));
    }

    if (!abreLibro()) {
        parseError = path.size() >= kLargoRutaLarga ? QStringLiteral("910") : QStringLiteral("906");
        return false;
    }
    if (libro.size() <= 0) {
        libro.close();
        parseError = QStringLiteral("907");
        return false;
    }
    tamLibro = libro.size();
    if (!indice.open(pathIndice)) {
        libro.close();
        indice.removeFile();
        parseError = QStringLiteral("908");
        return false;
    }

    pathWork = VerifieDirectory(pathHacolKov, ruc, periodo, codigo.left(2)) + QLatin1Char('/');
    nameFileDetail = QStringLiteral("LE") + ruc + periodo + codigo + corte(path, 10) + QStringLiteral("99.txt");

    parametrosRegistro.insert(QStringLiteral("periodo"), periodo);
    parametrosRegistro.insert(QStringLiteral("path"), path);
    parametrosRegistro.insert(QStringLiteral("ruc"), ruc);
    parametrosRegistro.insert(QStringLiteral("generateDetail"), generateDetail);
    parametrosRegistro.insert(QStringLiteral("generateQVR"), generateQVR);
    parametrosRegistro.insert(QStringLiteral("tipoEnvioRcRvi"), tipoEnvioRcRvi);
    lectura.resize(kBloqueLectura);
    memorias.resize(ncolumnas);
    patrones->modos.fill(Patrones::Ninguno, ncolumnas);
    patrones->automatas.resize(ncolumnas);
    for (int i = 0; i < ncolumnas; ++i) {
        const QString patron = columnas.at(i).getPatron();
        if (!patron.isEmpty())
            patrones->modos[i] = patrones->automatas[i].compila(patron) ? Patrones::Compilado : Patrones::ExpresionQt;
    }
    enColumna.fill(nullptr, ncolumnas);
    return true;
}

bool KovLibro::abreLibro()
{
    return abreRegular(path, &libro);
}

QString KovLibro::VerifieDirectory(const QString &base, const QString &ruc, const QString &periodo,
                                   const QString &prefijo)
{
    const QString primero = base + QLatin1Char('/') + ruc;
    const QString segundo = primero + QLatin1Char('/') + periodo + prefijo + QStringLiteral("0000");
    // The names come from the request unchecked; a level that would leave the base is never made.
    const QString limpia = baseLimpia(base);
    QDir dir;
    for (const QString &nivel : {primero, segundo}) {
        if (estaDentro(limpia, nivel) && !QFileInfo(nivel).isDir())
            dir.mkdir(nivel);
    }
    return segundo;
}

bool KovLibro::dentroDeBase(const QString &ruta) const
{
    return estaDentro(baseLimpia(pathHacolKov), ruta);
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
    QVector<Memoria> &tabla = memorias[i];
    if (tabla.isEmpty())
        tabla.resize(kHuecosMemoria);
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
        memoria = Memoria();
        memoria.valor = textoCampo(campo, largo, i == 0);
        enColumna[i] = nullptr;
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
    const QString anterior = c >= 2 ? columnas.at(c - 2).getData() : QString();
    if (anterior == QLatin1String("09"))
        return true;
    if (tabla == QLatin1String("028"))
        return cache.contains(tabla, valor);
    return cache.contains(tabla, anterior + QLatin1Char('_') + codigo + QLatin1Char('_') + valor);
}

int KovLibro::readLine()
{
    if (lecturaTerminada || !libro.isOpen())
        return 0;
    const int erroresAntes = numErrores;
    const char *bytes = nullptr;
    int largo = 0;
    if (!siguienteLinea(&bytes, &largo)) {
        lecturaTerminada = true;
        return 0;
    }
    // The text-mode read turns a final carriage return and line feed into one byte.
    const int devuelto = largo >= 2 && bytes[largo - 1] == '\n' && bytes[largo - 2] == '\r' ? largo - 1 : largo;
    const char *nul = static_cast<const char *>(std::memchr(bytes, '\0', size_t(largo)));
    const int util = nul ? int(nul - bytes) : largo;
    ++numLinea;
    const int fil = int(numLinea);
    topeLinea = numErrores + kErroresPorLinea;
    lineaDesbordada = false;

    separadores.clear();
    for (int i = 0; i < util; ++i) {
        if (bytes[i] == '|')
            separadores.push_back(i);
    }
    const int n = int(separadores.size());

    bool claveFallida = false;
    bool revisar = true;
    if (camposPrimeraLinea != 0 && camposPrimeraLinea != n) {
        addError(40, fil, 0);
        revisar = false;
    } else {
        if (camposPrimeraLinea == 0)
            camposPrimeraLinea = n;
        if (n < ncolumnas || n > nextendidas) {
            addError(1, fil, 0);
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
                if (lineaDesbordada)
                    break;
                extendida.setData(textoCampo(campo, largoCampo, false));
                if (!extendida.checkPatron())
                    addError(3, fil, p);
                else if (!extendida.checkLongitud())
                    addError(4, fil, p);
                continue;
            }

            KovColumna &columna = columnas[p - 1];
            Memoria &memoria = recuerda(p - 1, campo, largoCampo);
            const QString &valor = memoria.valor;
            // The column still holds this very text unless another slot or a record validator wrote it since.
            if (enColumna.at(p - 1) != &memoria) {
                columna.setData(valor);
                enColumna[p - 1] = &memoria;
            }
            const bool esClave = columna.isKey();
            if (valor.isEmpty()) {
                if (columna.isObligatorio()) {
                    addError(2, fil, p);
                    claveFallida = claveFallida || esClave;
                } else if (esClave) {
                    // An empty optional part keeps its place, or ("", "B") and ("B", "") would be one key.
                    indice.addKey(valor);
                }
                continue;
            }
            if (columna.checkCustomEmpty()) {
                claveFallida = claveFallida || esClave;
                continue;
            }
            if (!memoria.sabe(&memoria.patron, [&] { return cumplePatron(p - 1, columna, valor); })) {
                addError(3, fil, p);
                claveFallida = claveFallida || esClave;
                continue;
            }
            if (!memoria.sabe(&memoria.longitud, [&columna] { return columna.checkLongitud(); })) {
                addError(4, fil, p);
                claveFallida = claveFallida || esClave;
                continue;
            }
            if (columna.getFuncion()) {
                const KovRespuesta respuesta = columna.checkFuncion();
                if (respuesta.hasErrores()) {
                    addError(respuesta, fil, p);
                    claveFallida = claveFallida || esClave;
                }
            }
            if (columna.hasParametro() && !tablaAdmite(p, columna, memoria)) {
                addError(6, fil, p);
                claveFallida = claveFallida || esClave;
            }
            if (columna.isAcumulador()) {
                if (!memoria.numeroListo) {
                    memoria.numero = numero(valor);
                    memoria.numeroListo = true;
                }
                columna.addAcumulador(memoria.numero);
            }
            if (!columna.checkCorrelativo()) {
                addError(7, fil, p);
                claveFallida = claveFallida || esClave;
            }
            if (esClave)
                indice.addKey(valor);
        }
    }

    if (claveFallida) {
        indice.clearKeyData();
        addError(32, fil, 0);
    } else if (!indice.insert()) {
        addError(8, fil, 0);
    }

    if (numErrores == erroresAntes) {
        const KovRespuesta respuesta = checkFuncion();
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
        lecturaTerminada = true;
        return 0;
    }
    return devuelto;
}

KovRespuesta KovLibro::checkFuncion()
{
    if (!funcionRegistro)
        return KovRespuesta();
    // A copy of the prepared parameters is as fresh as a new map for the validator, at the cost of a reference.
    ParametrosRegistro parametros = parametrosRegistro;
    const KovRespuesta respuesta = funcionRegistro(&columnas, &parametros);
    // The validator holds the column list and may have written into it.
    enColumna.fill(nullptr);
    return respuesta;
}

void KovLibro::addError(int cod, int fil, int col)
{
    if (numErrores >= topeLinea) {
        lineaDesbordada = true;
        return;
    }
    QVariantMap error;
    error.insert(kCod, QString::asprintf("%03d", cod));
    error.insert(kFil, fil);
    error.insert(kCol, col);
    control->errores.append(error);
    ++numErrores;
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
        QVariantMap error;
        if (cod == 666) {
            error.insert(kCod, QStringLiteral("666"));
            error.insert(kDes, e.value(kDes).toString());
        } else {
            error.insert(kCod, QString::asprintf("%03d", cod));
        }
        error.insert(kFil, fil);
        const int propia = e.value(kCol).toInt();
        error.insert(kCol, propia != 0 ? propia : col);
        control->errores.append(error);
        ++numErrores;
    }
}

// Folds entries into a job list by name.
void KovLibro::fusiona(const QList<EntradaAcumulador> &entradas, QList<QVariant> *lista, QHash<QString, int> *indice,
                       const QString &marca, bool nuevaConMarca)
{
    for (const EntradaAcumulador &e : entradas) {
        const QString nombre = e.value(kAtrib).toString();
        const int pos = posicion(*lista, indice, nombre);
        const bool entera = nombre.contains(marca);
        if (pos >= 0) {
            QVariantMap actual = lista->at(pos).toMap();
            const double suma = numero(e.value(kValor)) + numero(actual.value(kValor));
            actual.insert(kValor, QString::number(suma, 'f', entera ? 0 : 3));
            (*lista)[pos] = actual;
        } else {
            const QVariant valor = nuevaConMarca
                ? QVariant(QString::number(numero(e.value(kValor)), 'f', entera ? 0 : 3))
                : e.value(kValor);
            indice->insert(nombre, lista->size());
            lista->append(entrada(nombre, valor));
        }
    }
}

void KovLibro::addAcumulador(const KovRespuesta &respuesta)
{
    fusiona(respuesta.getAcumuladores(), &control->resumen, &indiceResumen, QStringLiteral("cnt_reg"), false);
}

void KovLibro::addAgregador(const KovRespuesta &respuesta)
{
    fusiona(respuesta.getAgregados(), &control->agregado, &indiceAgregado, QStringLiteral("cdp_cnt"), true);
}

void KovLibro::addCasillas(const KovRespuesta &respuesta)
{
    fusiona(respuesta.getCasillas(), &control->casillas, &indiceCasillas, QStringLiteral("cdp_cnt"), true);
}

// Per-period entries are folded as they arrive, one element per name and period holding the running total as
// text, so the list stays as long as the distinct keys instead of growing with the book. The arithmetic is the
// summary's own (each addition written back with three decimals), so the summary comes out byte for byte the same.
void KovLibro::addPerAcumulador(const KovRespuesta &respuesta)
{
    const QList<EntradaAcumulador> entradas = respuesta.getPerAcumuladores();
    QList<QVariant> *lista = &control->auxResumen;
    for (const EntradaAcumulador &e : entradas) {
        const QString clave = e.value(kAtrib).toString() + QStringLiteral("__")
                              + e.value(QStringLiteral("per")).toString();
        const int pos = posicion(*lista, &indicePeriodos, clave);
        if (pos >= 0) {
            QVariantMap actual = lista->at(pos).toMap();
            actual.insert(kValor, tresDecimales(numero(actual.value(kValor)) + numero(e.value(kValor))));
            (*lista)[pos] = actual;
        } else {
            indicePeriodos.insert(clave, lista->size());
            lista->append(entrada(clave, tresDecimales(0.0 + numero(e.value(kValor)))));
        }
        ++numPerAcumuladores;
    }
}

void KovLibro::recopilaPerAcumulador()
{
    // auxResumen holds one running total per key already; a key met again is still summed onto it.
    QStringList claves;
    QHash<QString, QString> totales;
    for (const QVariant &v : control->auxResumen) {
        const QVariantMap m = v.toMap();
        const QString clave = m.value(kAtrib).toString();
        if (!totales.contains(clave)) {
            claves.append(clave);
            totales.insert(clave, m.value(kValor).toString());
        } else {
            totales.insert(clave, tresDecimales(numero(totales.value(clave)) + numero(m.value(kValor))));
        }
    }

    QStringList nombres;
    QHash<QString, QString> grupos;
    for (const QString &clave : claves) {
        const int corteNombre = clave.indexOf(QStringLiteral("__"));
        const QString nombre = corteNombre >= 0 ? clave.left(corteNombre) : clave;
        const QString per = clave.right(8);
        const QString monto = tresDecimales(numero(totales.value(clave)));
        if (grupos.contains(nombre)) {
            grupos[nombre] += QLatin1Char('_') + per + QLatin1Char('=') + monto;
        } else {
            nombres.append(nombre);
            grupos.insert(nombre, per + QLatin1Char('=') + monto);
        }
    }
    for (const QString &nombre : nombres)
        control->resumen.append(entrada(nombre, grupos.value(nombre)));
}

void KovLibro::generaResumen()
{
    for (int i = 0; i < ncolumnas && i < columnas.size(); ++i) {
        const KovColumna &columna = columnas.at(i);
        if (columna.isAcumulador())
            control->resumen.append(entrada(columna.getDescripcion(), tresDecimales(columna.getAcumulado())));
    }

    QStringList noNegativas;
    for (const char *codigoCasilla : kCasillasNoNegativas)
        noNegativas.append(QString::fromLatin1(codigoCasilla));
    QList<QVariant> &casillas = control->casillas;
    for (int i = 0; i < casillas.size(); ++i) {
        const QVariantMap m = casillas.at(i).toMap();
        const QString codigoCasilla = m.value(kAtrib).toString();
        double entero = std::round(numero(tresDecimales(numero(m.value(kValor)))));
        if (entero == 0.0)
            entero = 0.0; // no "-0" in the published number
        if (enLista(codigoCasilla, noNegativas) && entero < 0.0)
            casillas[i] = entrada(codigoCasilla, QStringLiteral("0"));
        else
            casillas[i] = entrada(codigoCasilla, entero);
    }

    if (numErrores != 0) {
        publicaArchivos();
        return;
    }

    generaHash();
    control->resumen.append(entrada(QStringLiteral("cod_hash"), hashLibro));
    generateHashDetail();
    if (numPerAcumuladores > 0)
        recopilaPerAcumulador();
    control->resumen.append(entrada(QStringLiteral("cod_hash_det"), hashDetalle));
    control->resumen.append(entrada(QStringLiteral("cnt_reg_det"), QString::number(totalLineDetail)));
    control->resumen.append(entrada(QStringLiteral("cnt_tam_det"), QString::number(tamDetalle)));

    createFileResumen(&control->resumen);
    createFileAgregado(&control->agregado);
    createFileCasillas(&control->casillas);
    publicaArchivos();
}

// The book is hashed as it is copied. That hash is the copy's own, whatever stands under the copy's name later, and
// stands for the book's own only while the book is provably the same file as then.
bool KovLibro::copyDetail()
{
    const QString destino = pathWork + nameFileDetail;
    firmaLibroCopiado.clear();
    copiaHecha = false;
    inicioCopia = qint64(::time(nullptr));
    QFile origen;
    bool ok = dentroDeBase(destino) && abreRegular(path, &origen);
    const QByteArray firmaAntes = ok ? firma(path, inicioCopia) : QByteArray();
    QCryptographicHash sha1(QCryptographicHash::Sha1);
    qint64 copiados = 0;
    ok = ok && resultados.escribe(destino, [&](QFile *copia) {
        QByteArray bloque(kBloqueLectura, Qt::Uninitialized);
        for (;;) {
            const qint64 leidos = origen.read(bloque.data(), bloque.size());
            if (leidos <= 0)
                return leidos == 0;
            if (copia->write(bloque.constData(), leidos) != leidos)
                return false;
            sha1.addData(bloque.constData(), int(leidos));
            copiados += leidos;
        }
    });
    // A copy that was not made leaves no name behind: a failure is never published as a file.
    if (!ok) {
        nameFileDetail.clear();
        addError(999, 0, 0);
        return false;
    }
    copiaHecha = true;
    hashCopia = QString::fromLatin1(sha1.result().toHex());
    tamCopia = copiados;
    // A book that changed while it was copied is hashed again from its file when the summary asks.
    if (!firmaAntes.isEmpty() && firma(path, inicioCopia) == firmaAntes)
        firmaLibroCopiado = firmaAntes;
    return true;
}

void KovLibro::generaHash()
{
    if (!firmaLibroCopiado.isEmpty() && firma(path, inicioCopia) == firmaLibroCopiado) {
        hashLibro = hashCopia;
        return;
    }
    QString hash;
    if (hashArchivo(path, &hash, nullptr))
        hashLibro = hash;
}

// The file under the copy's name may already be another job's on the same request; this job vouches only for the
// bytes it wrote.
void KovLibro::generateHashDetail()
{
    if (!copiaHecha)
        return;
    hashDetalle = hashCopia;
    tamDetalle = tamCopia;
}

// Writes a result file whole under a name of its own, to be published with the others. A file that cannot be
// written fails the set: error 999, and no name stands for any of the job's files.
void KovLibro::escribeJson(QList<QVariant> *lista, int bandera, const QString &nombre, const QString &clave,
                           QString *nombreGuardado)
{
    if (bandera != 1 || resultadosFallidos)
        return;
    pathWork = VerifieDirectory(pathHacolKov, ruc, periodo, codigo.left(2)) + QLatin1Char('/');
    const QString ruta = pathWork + nombre;
    QVariantMap documento;
    documento.insert(clave, lista ? *lista : QList<QVariant>());
    const QByteArray texto = QJsonDocument::fromVariant(documento).toJson();
    const bool ok = dentroDeBase(ruta)
                    && resultados.escribe(ruta, [&texto](QFile *archivo) {
                           return archivo->write(texto) == texto.size();
                       });
    if (ok)
        *nombreGuardado = nombre;
    else
        fallanResultados();
}

void KovLibro::fallanResultados()
{
    resultados.descarta();
    resultadosFallidos = true;
    nameFileDetail.clear();
    nameFileResumen.clear();
    nameFileAgregado.clear();
    nameFileCasillas.clear();
    addError(999, 0, 0);
}

bool KovLibro::publicaArchivos()
{
    if (resultados.publica(pathWork))
        return true;
    fallanResultados();
    return false;
}

void KovLibro::createFileResumen(QList<QVariant> *lista)
{
    escribeJson(lista, generateDetail,
                QStringLiteral("LE") + ruc + periodo + codigo + corte(path, 11) + QStringLiteral("98.txt"),
                QStringLiteral("resumen"), &nameFileResumen);
}

void KovLibro::createFileAgregado(QList<QVariant> *lista)
{
    escribeJson(lista, generateDetail, QStringLiteral("LE") + ruc + periodo + codigo + QStringLiteral("00111197.txt"),
                QStringLiteral("agregado"), &nameFileAgregado);
}

void KovLibro::createFileCasillas(QList<QVariant> *lista)
{
    escribeJson(lista, generateQVR, QStringLiteral("LE") + ruc + periodo + codigo + QStringLiteral("00111196.txt"),
                QStringLiteral("casillas"), &nameFileCasillas);
}

bool KovLibro::closeHandles()
{
    libro.close();
    lecturaTerminada = true;
    indice.removeFile();
    return pathIndice.isEmpty() || !QFileInfo::exists(pathIndice);
}

void KovLibro::completaInfoPdf()
{
    nameFileDetail = path.right(37);
    hashDetalle = hashLibro;
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
