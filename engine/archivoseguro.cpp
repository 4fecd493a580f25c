#include "archivoseguro.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString rutaAbsolutaLimpia(const QString &ruta)
{
    return QDir::cleanPath(QFileInfo(ruta).absoluteFilePath());
}

} // namespace

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

int abreRegularFd(const QString &ruta)
{
    const QByteArray nativo = ruta.toUtf8();
    if (nativo.isEmpty())
        return -1;
    // Without O_NONBLOCK the open itself would wait for a FIFO's writer before the check could refuse it.
    const int fd = ::open(nativo.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat estado;
    if (::fstat(fd, &estado) != 0 || !S_ISREG(estado.st_mode)) {
        ::close(fd);
        return -1;
    }
    const int banderas = ::fcntl(fd, F_GETFL);
    if (banderas != -1)
        ::fcntl(fd, F_SETFL, banderas & ~O_NONBLOCK);
    return fd;
}

bool abreRegular(const QString &ruta, QFile *archivo)
{
    const int fd = abreRegularFd(ruta);
    if (fd < 0)
        return false;
    if (!archivo->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

int creaNuevo(const QString &ruta)
{
    return ::open(QFile::encodeName(ruta).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
}

int creaNuevoRetenido(const QString &ruta, int *cerrojo)
{
    *cerrojo = -1;
    const int fd = creaNuevo(ruta);
    if (fd < 0)
        return -1;
    int tomado;
    while ((tomado = ::flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    // Only a sweep locks a file of ours that nobody else knows of, and only to remove it.
    if (tomado != 0 && errno == EWOULDBLOCK) {
        ::close(fd);
        errno = EAGAIN;
        return -1;
    }
    if (tomado != 0)
        return fd;
    if (!nombraAbierto(ruta, fd)) {
        ::close(fd);
        errno = EAGAIN;
        return -1;
    }
    *cerrojo = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (*cerrojo < 0) {
        // A file whose lock could not outlive its writer's descriptor is not made at all.
        const int error = errno;
        ::unlink(QFile::encodeName(ruta).constData());
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

bool cierraComprobado(QFile *archivo)
{
    const bool ok = archivo->flush();
    archivo->close();
    return ok && archivo->error() == QFileDevice::NoError;
}

bool escribeTodo(int fd, const char *datos, size_t largo)
{
    while (largo > 0) {
        const ssize_t n = ::write(fd, datos, largo);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        datos += n;
        largo -= size_t(n);
    }
    return true;
}

bool mismoArchivo(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool nombraAbierto(const QString &ruta, int fd)
{
    struct stat abierto;
    struct stat enNombre;
    return ::fstat(fd, &abierto) == 0 && ::lstat(QFile::encodeName(ruta).constData(), &enNombre) == 0
           && mismoArchivo(abierto, enNombre);
}

bool quitaAbandonado(int carpetaFd, const char *nombre, Abandono prueba, const struct stat *esperado)
{
    struct stat visto;
    if (::fstatat(carpetaFd, nombre, &visto, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(visto.st_mode)
        || visto.st_uid != ::geteuid() || (esperado && !mismoArchivo(visto, *esperado)))
        return false;
    if (prueba == Abandono::PorNombre)
        return ::unlinkat(carpetaFd, nombre, 0) == 0;

    const int fd = ::openat(carpetaFd, nombre, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat abierto;
    bool quitado = false;
    // Under the lock the name must still be the file locked: whoever removes such a file holds its lock first, and
    // a new one cannot be made under the name while this one stands there.
    if (::fstat(fd, &abierto) == 0 && mismoArchivo(abierto, visto) && ::flock(fd, LOCK_EX | LOCK_NB) == 0
        && ::fstatat(carpetaFd, nombre, &visto, AT_SYMLINK_NOFOLLOW) == 0 && mismoArchivo(visto, abierto))
        quitado = ::unlinkat(carpetaFd, nombre, 0) == 0;
    ::close(fd);
    return quitado;
}

int barreAbandonados(const QString &carpeta, const std::function<bool(const char *nombre)> &abandonado,
                     Abandono prueba)
{
    const int carpetaFd = ::open(QFile::encodeName(carpeta).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (carpetaFd < 0)
        return 0;
    DIR *dir = ::fdopendir(carpetaFd);
    if (!dir) {
        ::close(carpetaFd);
        return 0;
    }
    // The names are gathered first: what a listing shows of entries removed while it runs is left open.
    std::vector<QByteArray> nombres;
    while (const dirent *entrada = ::readdir(dir)) {
        if (abandonado(entrada->d_name))
            nombres.emplace_back(entrada->d_name);
    }
    int quitados = 0;
    for (const QByteArray &nombre : nombres) {
        if (quitaAbandonado(carpetaFd, nombre.constData(), prueba))
            ++quitados;
    }
    ::closedir(dir);
    return quitados;
}
