#include "kovresultados.h"

#include "archivoseguro.h"

#include <QAtomicInteger>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const int kCerrojos = 61;
const int kIntentos = 100;
const int kLargoEtiqueta = 20;

QAtomicInteger<quint64> gSerie;

// A rename replaces anything under the name but a directory; a link planted there is replaced, never followed.
bool reemplazable(const QString &ruta)
{
    struct stat estado;
    if (::lstat(QFile::encodeName(ruta).constData(), &estado) != 0)
        return errno == ENOENT;
    return !S_ISDIR(estado.st_mode);
}

// Jobs publishing into one folder take turns; the folder is known by its device and inode, whatever path names it.
// Folders that share a lock only wait for each other's renames.
QMutex *cerrojo(const QString &carpeta)
{
    static QMutex cerrojos[kCerrojos];
    struct stat estado;
    uint clave;
    if (::stat(QFile::encodeName(carpeta).constData(), &estado) == 0)
        clave = qHash(quint64(estado.st_dev)) ^ qHash(quint64(estado.st_ino));
    else
        clave = qHash(QDir::cleanPath(carpeta));
    return &cerrojos[clave % kCerrojos];
}

// A temporary name as abreTemporal() makes it: the writer's process id, the label and a serial number. Whether its
// writer still runs is told by its lock, never by the id, which means nothing in another PID namespace.
bool nombreTemporal(const char *nombre)
{
    if (std::strncmp(nombre, ".kov-", 5) != 0)
        return false;
    // Made here, not shared: jobs sweep their folders on threads of their own.
    const QRegularExpression forma(
        QStringLiteral("^\\.kov-([1-9][0-9]{0,9})-[A-Za-z0-9]{0,%1}-[0-9]+\\.tmp$").arg(kLargoEtiqueta));
    const QRegularExpressionMatch partes = forma.match(QString::fromLatin1(nombre));
    // This process's own are left to the sets that made them: where a file system emulates the lock per process,
    // its sweep would not be kept off them by their locks.
    return partes.hasMatch() && partes.captured(1).toLongLong() != qint64(::getpid());
}

} // namespace

KovResultados::~KovResultados()
{
    descarta();
}

void KovResultados::setEtiqueta(const QString &etiqueta)
{
    this->etiqueta.clear();
    for (const QChar c : etiqueta) {
        if (this->etiqueta.size() < kLargoEtiqueta && c.unicode() < 0x80 && c.isLetterOrNumber())
            this->etiqueta.append(c);
    }
}

int KovResultados::abreTemporal(const QString &destino, QString *temporal)
{
    if (!reemplazable(destino))
        return -1;
    // Beside the final name, so that the rename stays within one file system and is atomic. Unique to this process
    // and this call; made new, so that no file of someone else's is ever written through.
    const QString carpeta = QFileInfo(destino).path() + QLatin1Char('/');
    if (carpeta != carpetaBarrida) {
        // A killed writer's temporaries would stay for good; the folder's lock keeps two sweeps of this process
        // from crossing.
        carpetaBarrida = carpeta;
        QMutexLocker lock(cerrojo(carpeta));
        barreAbandonados(carpeta, nombreTemporal, Abandono::SinCerrojo);
    }
    sueltaQuitados();
    const QString prefijo = QStringLiteral(".kov-%1-%2-").arg(qint64(::getpid())).arg(etiqueta);
    for (int intento = 0; intento < kIntentos; ++intento) {
        *temporal = carpeta + prefijo + QString::number(gSerie.fetchAndAddRelaxed(1)) + QStringLiteral(".tmp");
        int cerrojo = -1;
        const int fd = creaNuevoRetenido(*temporal, &cerrojo);
        if (fd >= 0) {
            abiertos.append({*temporal, destino, cerrojo});
            return fd;
        }
        // A name taken, or a new file a sweep took before its lock: another name.
        if (errno != EEXIST && errno != EAGAIN)
            return -1;
    }
    return -1;
}

void KovResultados::adopta(const QString &temporal, const QString &destino)
{
    for (int i = 0; i < abiertos.size(); ++i) {
        if (abiertos.at(i).temporal == temporal) {
            Pendiente hecho = abiertos.takeAt(i);
            hecho.destino = destino;
            pendientes.append(hecho);
            return;
        }
    }
    pendientes.append({temporal, destino, -1});
}

void KovResultados::quita(const Pendiente &p)
{
    // Removed under its lock, so that no sweep ever finds it unlocked under its name.
    if (p.cerrojo < 0 || nombraAbierto(p.temporal, p.cerrojo))
        ::unlink(QFile::encodeName(p.temporal).constData());
    if (p.cerrojo >= 0)
        ::close(p.cerrojo);
}

void KovResultados::sueltaQuitados()
{
    for (int i = abiertos.size() - 1; i >= 0; --i) {
        const Pendiente &p = abiertos.at(i);
        struct stat estado;
        const bool quitado = p.cerrojo >= 0 ? !nombraAbierto(p.temporal, p.cerrojo)
                                            : ::lstat(QFile::encodeName(p.temporal).constData(), &estado) != 0;
        if (!quitado)
            continue;
        if (p.cerrojo >= 0)
            ::close(p.cerrojo);
        abiertos.removeAt(i);
    }
}

bool KovResultados::escribe(const QString &destino, const std::function<bool(QFile *)> &contenido)
{
    QString temporal;
    const int fd = abreTemporal(destino, &temporal);
    if (fd < 0)
        return false;

    bool ok;
    {
        QFile archivo;
        ok = archivo.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle);
        if (!ok)
            ::close(fd);
        ok = ok && contenido(&archivo);
        if (ok)
            ok = cierraComprobado(&archivo);
        else
            archivo.close();
    }
    // abreTemporal() has just added it last.
    const Pendiente hecho = abiertos.takeLast();
    if (!ok) {
        quita(hecho);
        return false;
    }
    pendientes.append(hecho);
    return true;
}

bool KovResultados::publica(const QString &carpeta)
{
    sueltaQuitados();
    if (pendientes.isEmpty())
        return true;
    QMutexLocker lock(cerrojo(carpeta));
    // A name that cannot take its file fails the set before any name changes.
    bool ok = true;
    for (const Pendiente &p : pendientes)
        ok = ok && reemplazable(p.destino);
    int movidos = 0;
    while (ok && movidos < pendientes.size()) {
        const Pendiente &p = pendientes.at(movidos);
        ok = ::rename(QFile::encodeName(p.temporal).constData(), QFile::encodeName(p.destino).constData()) == 0;
        if (ok)
            ++movidos;
    }
    // Under their names the files are no temporaries any more: their locks go.
    for (int i = 0; i < movidos; ++i) {
        const Pendiente &p = pendientes.at(i);
        // What this job already moved goes too: no other job has published since, so those names hold its files.
        if (!ok)
            ::unlink(QFile::encodeName(p.destino).constData());
        if (p.cerrojo >= 0)
            ::close(p.cerrojo);
    }
    pendientes = pendientes.mid(movidos);
    if (ok)
        return true;
    descarta();
    return false;
}

void KovResultados::descarta()
{
    for (const Pendiente &p : pendientes)
        quita(p);
    pendientes.clear();
    for (const Pendiente &p : abiertos)
        quita(p);
    abiertos.clear();
}
