#include "kovlibro.h"

#include "archivoseguro.h"
#include "kovpatrones.h"
#include "kovtrabajadores.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QRegularExpression>
#include <QTime>

#include <cerrno>
#include <cmath>
#include <new>
#include <limits>

namespace {

const int kLargoRutaLarga = 251;

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

// The key-index file's name for a numbered ticket: the time of day as "HHmmss", the ticket and ".idx".
bool nombreDeIndice(const char *nombre)
{
    const QByteArray texto(nombre);
    if (!texto.endsWith(".idx"))
        return false;
    const QRegularExpression forma(QStringLiteral("^([01][0-9]|2[0-3])[0-5][0-9][0-5][0-9][1-9][0-9]*\\.idx$"));
    return forma.match(QString::fromLatin1(texto)).hasMatch();
}

} // namespace

int KovLibro::barreIndicesAbandonados(const QString &carpeta)
{
    return barreAbandonados(carpeta, nombreDeIndice, Abandono::SinCerrojo);
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
    previasResumen.clear();
    previasAgregado.clear();
    previasCasillas.clear();
    previasPeriodos.clear();
}

bool KovLibro::parse(const QString &request, const std::function<bool()> &turno)
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
    validadorPropio = KovRules::esPropia(funcionRegistro);
    ncolumnas = leeEntero(raiz, QStringLiteral("ncolumnas"));
    // A record validator reads up to its state column without a size test, so a narrower layout is unusable.
    if (ncolumnas <= 0 || (funcionRegistro && ncolumnas < rules.getColumnaEstado(nombreFuncion))) {
        parseError = QStringLiteral("904");
        return false;
    }
    nextendidas = leeEntero(raiz, QStringLiteral("nextendidas"));
    descripcion = leeTexto(raiz, QStringLiteral("descripcion"));

    const QJsonArray layout = raiz.value(QStringLiteral("columnas")).toArray();
    // Each distinct pattern is compiled once for the whole book, into the own automaton where it can be and into one
    // QRegExp otherwise, and the book's checkers share it. What compiling and matching a pattern would cost, and what
    // the patterns would hold with every checker the book can have at once, are bounded: a pattern past any of them
    // is a column that cannot be built.
    auto patrones = std::make_shared<KovPatrones>(KovTrabajadores::maximo() + 1);
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
        const QString patron = leeTexto(objeto, QStringLiteral("patron"));
        if (!patrones->agrega(patron)) {
            parseError = QStringLiteral("909");
            return false;
        }
        columna.setPatron(patrones->paraQRegExp(columnas.size()));
        columna.setParametro(leeTexto(objeto, QStringLiteral("parametro")));
        columna.setFuncion(rules.getFuncionColumna(leeTexto(objeto, QStringLiteral("funcion"))));
        columna.setDescripcion(leeTexto(objeto, QStringLiteral("descripcion")));
        // Should the list not fit in memory, the column is one that cannot be built, and no exception leaves the
        // set-up.
        try {
            columnas.append(columna);
        } catch (const std::bad_alloc &) {
            parseError = QStringLiteral("909");
            return false;
        }
    }
    // The patterns only QRegExp can match are judged together, once the columns are read and before their count.
    if (!patrones->termina()) {
        parseError = QStringLiteral("909");
        return false;
    }
    if (columnas.size() != ncolumnas) {
        parseError = QStringLiteral("905");
        return false;
    }
    this->patrones = std::move(patrones);

    const QJsonArray tablas = raiz.value(QStringLiteral("parametros")).toArray();
    for (const QJsonValue &elemento : tablas) {
        const QJsonObject objeto = elemento.toObject();
        cache.insert(leeTexto(objeto, QStringLiteral("codigo")), leeTexto(objeto, QStringLiteral("valor")));
    }

    // Only the book's own open may say it found no descriptor free.
    errno = 0;
    if (!abreLibro()) {
        // With no descriptor free the book may well be there: the job could not open its files.
        const bool sinDescriptores = errno == EMFILE || errno == ENFILE;
        parseError = sinDescriptores                  ? QStringLiteral("908")
                     : path.size() >= kLargoRutaLarga ? QStringLiteral("910")
                                                      : QStringLiteral("906");
        return false;
    }
    if (libro.size() <= 0) {
        libro.close();
        parseError = QStringLiteral("907");
        return false;
    }
    tamLibro = libro.size();
    if (turno && !turno()) {
        libro.close();
        parseError = QStringLiteral("908");
        return false;
    }
    if (!indice.open(pathIndice)) {
        libro.close();
        indice.removeFile();
        parseError = QStringLiteral("908");
        return false;
    }

    pathWork = VerifieDirectory(pathHacolKov, ruc, periodo, codigo.left(2)) + QLatin1Char('/');
    nameFileDetail = nombreDetalle();

    parametrosRegistro.insert(QStringLiteral("periodo"), periodo);
    parametrosRegistro.insert(QStringLiteral("path"), path);
    parametrosRegistro.insert(QStringLiteral("ruc"), ruc);
    parametrosRegistro.insert(QStringLiteral("generateDetail"), generateDetail);
    parametrosRegistro.insert(QStringLiteral("generateQVR"), generateQVR);
    parametrosRegistro.insert(QStringLiteral("tipoEnvioRcRvi"), tipoEnvioRcRvi);
    preparaLectura();
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

bool KovLibro::closeHandles()
{
    terminaLectura();
    copia.descarta();
    copiaPedida = false;
    libro.close();
    lecturaTerminada = true;
    indice.removeFile();
    return pathIndice.isEmpty() || !QFileInfo::exists(pathIndice);
}
