#include "kovlibro.h"

#include "archivoseguro.h"
#include "kovsha1.h"
#include "lecturamonto.h"

#include <QJsonDocument>
#include <QVariantMap>

#include <cmath>
#include <ctime>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Boxes that may not end below zero; a negative total is published as the text "0".
static const char *const kCasillasNoNegativas[] = {
    "100", "106", "105", "109", "340", "107", "113", "114", "116", "119", "120", "122"
};

const QString kAtrib = QStringLiteral("atrib");
const QString kValor = QStringLiteral("valor");

// A total's text read as every rule reads an amount: a text that is not a number, one beyond double range, "inf"
// and "nan" count 0.
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

QVariantMap entrada(const QString &atrib, const QVariant &valor)
{
    QVariantMap m;
    m.insert(kAtrib, atrib);
    m.insert(kValor, valor);
    return m;
}

} // namespace

bool enLista(const QString &texto, const QStringList &lista)
{
    for (const QString &elemento : lista) {
        if (elemento == texto)
            return true;
    }
    return false;
}

// Folds a record's totals into a job list by name. The name is looked for first where the previous record's entry
// of the same rank was found, since records report their totals in the same order, then just after the entry
// before it, since a record's totals of one kind came in together.
void KovLibro::fusiona(const QVector<TotalRespuesta> &entradas, KovTotales *totales, QVector<int> *previas,
                       const QString &marca, bool nuevaConMarca)
{
    if (previas->size() < entradas.size())
        previas->resize(entradas.size());
    int *previa = previas->data();
    int anterior = -1;
    for (const TotalRespuesta &e : entradas) {
        const KovImporte valor = KovImporte::deValor(e.valor);
        int pos = totales->posicion(e.atrib, *previa, anterior + 1);
        if (pos >= 0) {
            totales->cambia(pos, valor.mas(totales->importe(pos), totales->entera(pos) ? 0 : 3));
        } else {
            const bool entera = e.atrib.contains(marca);
            pos = totales->agrega(e.atrib, entera,
                                  nuevaConMarca ? KovImporte::deNumero(valor.valor(), entera ? 0 : 3) : valor);
        }
        *previa++ = pos;
        anterior = pos;
    }
}

void KovLibro::addAcumulador(const KovRespuesta &respuesta)
{
    fusiona(respuesta.totalesAcumuladores(), &control->totalesResumen, &previasResumen, marcaEnteraResumen(),
            false);
}

void KovLibro::addAgregador(const KovRespuesta &respuesta)
{
    fusiona(respuesta.totalesAgregados(), &control->totalesAgregado, &previasAgregado, marcaEnteraAgregado(),
            true);
}

void KovLibro::addCasillas(const KovRespuesta &respuesta)
{
    fusiona(respuesta.totalesCasillas(), &control->totalesCasillas, &previasCasillas, marcaEnteraAgregado(),
            true);
}

// Per-period entries are folded as they arrive, one element per name and period holding the running total, so the
// list stays as long as the distinct keys instead of growing with the book. The arithmetic is the summary's own
// (each addition written back with three decimals), so the summary comes out byte for byte the same.
void KovLibro::addPerAcumulador(const KovRespuesta &respuesta)
{
    const QVector<TotalPeriodo> &entradas = respuesta.totalesPerAcumuladores();
    KovTotales *totales = &control->totalesAuxResumen;
    if (previasPeriodos.size() < entradas.size())
        previasPeriodos.resize(entradas.size());
    int *previa = previasPeriodos.data();
    for (const TotalPeriodo &e : entradas) {
        const KovImporte valor = KovImporte::deValor(e.valor);
        int pos = totales->posicion(e.atrib, e.periodo, *previa);
        if (pos >= 0)
            totales->cambia(pos, totales->importe(pos).mas(valor, 3));
        else
            pos = totales->agrega(e.atrib, e.periodo, KovImporte().mas(valor, 3));
        *previa++ = pos;
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
    control->cierraTotales();
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

QString KovLibro::nombreDetalle() const
{
    return QStringLiteral("LE") + ruc + periodo + codigo + corte(path, 10) + QStringLiteral("99.txt");
}

bool KovLibro::dentroDeBase(const QString &ruta) const
{
    return estaDentro(baseLimpia(pathHacolKov), ruta);
}

// The copy runs beside the reading, from its start; which of the two ends first does not matter. The book is hashed
// as it is copied. That hash is the copy's own, whatever stands under the copy's name later, and stands for the
// book's own only while the book is provably the same file as when the copy started.
void KovLibro::iniciaCopia()
{
    copia.descarta();
    copiaPedida = true;
    copiaHecha = false;
    firmaLibroCopiado.clear();
    firmaInicioCopia.clear();
    inicioCopia = qint64(::time(nullptr));
    destinoCopia = pathWork + nameFileDetail;
    const int origen = dentroDeBase(destinoCopia) ? abreRegularFd(path) : -1;
    if (origen < 0)
        return;
    firmaInicioCopia = firma(path, inicioCopia);
    QString temporal;
    const int destino = resultados.abreTemporal(destinoCopia, &temporal);
    if (destino < 0) {
        ::close(origen);
        return;
    }
    copia.inicia(origen, destino, temporal);
}

bool KovLibro::copyDetail(const std::function<bool()> &basta)
{
    if (!copiaPedida)
        iniciaCopia();
    copiaPedida = false;
    // A copy that was not made leaves no name behind: a failure is never published as a file.
    if (!copia.termina(&hashCopia, &tamCopia, basta)) {
        nameFileDetail.clear();
        addError(999, 0, 0);
        return false;
    }
    resultados.adopta(copia.archivo(), destinoCopia);
    copiaHecha = true;
    // A book that changed while it was copied is hashed again from its file when the summary asks.
    if (!firmaInicioCopia.isEmpty() && firma(path, inicioCopia) == firmaInicioCopia)
        firmaLibroCopiado = firmaInicioCopia;
    return true;
}

void KovLibro::generaHash()
{
    if (!firmaLibroCopiado.isEmpty() && firma(path, inicioCopia) == firmaLibroCopiado) {
        hashLibro = hashCopia;
        return;
    }
    QString hash;
    if (KovSha1::archivo(path, &hash, nullptr))
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

void KovLibro::completaInfoPdf()
{
    nameFileDetail = path.right(37);
    hashDetalle = hashLibro;
}
