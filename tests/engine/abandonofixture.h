#ifndef ABANDONOFIXTURE_H
#define ABANDONOFIXTURE_H

// Entries planted in a folder under the names that the sweeps for files of ended processes look for, and what is
// left of each afterwards.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QMetaType>
#include <QString>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

enum class Planta {
    // A regular file of this user.
    Archivo,
    // A link to a regular file of this user, which must stay whole.
    Enlace,
    Carpeta,
    // A regular file of another user; only root can make one.
    Ajeno,
};
Q_DECLARE_METATYPE(Planta)

// Plants the entry; false when it could not be made.
inline bool planta(const QString &carpeta, const QString &nombre, Planta tipo)
{
    const QByteArray ruta = QFile::encodeName(QDir(carpeta).filePath(nombre));
    const QByteArray destino = QFile::encodeName(QDir(carpeta).filePath(QStringLiteral("destino")));
    switch (tipo) {
    case Planta::Carpeta:
        return ::mkdir(ruta.constData(), 0700) == 0;
    case Planta::Enlace: {
        const int fd = ::open(destino.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        return fd >= 0 && ::close(fd) == 0 && ::symlink(destino.constData(), ruta.constData()) == 0;
    }
    case Planta::Archivo:
    case Planta::Ajeno: {
        const int fd = ::open(ruta.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (fd < 0 || ::close(fd) != 0)
            return false;
        return tipo == Planta::Archivo || ::chown(ruta.constData(), 65534, 65534) == 0;
    }
    }
    return false;
}

// True when the entry is still there as planted (a link's file too).
inline bool sigue(const QString &carpeta, const QString &nombre, Planta tipo)
{
    struct stat estado;
    if (::lstat(QFile::encodeName(QDir(carpeta).filePath(nombre)).constData(), &estado) != 0)
        return false;
    if (tipo == Planta::Enlace)
        return S_ISLNK(estado.st_mode) && QFile::exists(QDir(carpeta).filePath(QStringLiteral("destino")));
    return tipo == Planta::Carpeta ? S_ISDIR(estado.st_mode) : S_ISREG(estado.st_mode);
}

// Another user's file can only be planted by root.
inline bool puedePlantar(Planta tipo)
{
    return tipo != Planta::Ajeno || ::geteuid() == 0;
}

// The columns of a table of sweep cases: the entry's name, what it is, and whether the sweep leaves it.
inline void columnasDeBarrido()
{
    QTest::addColumn<QString>("nombre");
    QTest::addColumn<Planta>("tipo");
    QTest::addColumn<bool>("queda");
}

// The entries no sweep removes whatever their name: a link, a directory, another user's file.
inline void filasQueQuedan(const QString &nombre)
{
    QTest::newRow("link") << nombre << Planta::Enlace << true;
    QTest::newRow("directory") << nombre << Planta::Carpeta << true;
    QTest::newRow("another user's") << nombre << Planta::Ajeno << true;
}

#endif // ABANDONOFIXTURE_H
