#include "archivoseguro.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
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

bool cierraComprobado(QFile *archivo)
{
    const bool ok = archivo->flush();
    archivo->close();
    return ok && archivo->error() == QFileDevice::NoError;
}
