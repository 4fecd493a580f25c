#ifndef ARCHIVOSEGURO_H
#define ARCHIVOSEGURO_H

#include <QString>

#include <functional>

#include <sys/stat.h>

class QFile;

// The engine's file operations on names that come from a request or lie in folders other users share: what stands
// under such a name is never trusted to be what it was when the name was checked.

// The base folder as estaDentro() takes it: absolute and clean; an empty base stays empty.
QString baseLimpia(const QString &base);
// True when the path, made absolute and clean, lies below the clean base and is not the base itself; an empty base
// holds nothing.
bool estaDentro(const QString &baseLimpia, const QString &ruta);

// Opens a file for reading only when it is a regular file: a directory, FIFO or device would hang or never end.
// The descriptor is checked after opening, so a path swapped between a check and the open cannot slip through.
// The path reaches the file system as UTF-8 whatever the locale. A blocking descriptor, or -1.
int abreRegularFd(const QString &ruta);
// The same, held by `archivo`.
bool abreRegular(const QString &ruta, QFile *archivo);
// Makes the file for writing only when nothing stands under the name, not even a link: a descriptor, or -1 with
// errno set (EEXIST when the name is taken).
int creaNuevo(const QString &ruta);
// The same, for a temporary file that must show it is alive: the file is held by its lock (flock), taken through
// `*cerrojo`, a descriptor of its own that keeps the lock after the one returned is closed, for as long as the
// writer keeps it open. The lock is taken once the file is there, so a sweep of another process may take the new
// file for a left one in that moment; the name is looked at again under the lock, and when it no longer names the
// file the result is -1 with errno EAGAIN: another name is to be tried. On a file system without locks `*cerrojo`
// is -1, and no sweep can take the file either.
int creaNuevoRetenido(const QString &ruta, int *cerrojo);
// Flushes and closes the file; true only when everything written reached it.
bool cierraComprobado(QFile *archivo);

// Writes all of it, through interruptions; false once the descriptor takes no more. Safe in a signal handler.
bool escribeTodo(int fd, const char *datos, size_t largo);

// True when both describe the same file.
bool mismoArchivo(const struct stat &a, const struct stat &b);
// True when the name, not followed if it is a link, names the file open as `fd`.
bool nombraAbierto(const QString &ruta, int fd);

// What a file left behind must show before it is removed, beyond being a regular file of this user under a name
// that is not a link.
enum class Abandono {
    // Its name alone tells that its owner is gone.
    PorNombre,
    // No one holds its lock (flock): its owner holds it for as long as the file is in use.
    SinCerrojo,
};

// Removes `nombre`, relative to the folder open as `carpetaFd` (or a path, with AT_FDCWD), when it is a regular file
// of this user and, with SinCerrojo, its lock can be taken; with `esperado`, only when it is that file. The lock is
// held from the check to the removal, so a file whose owner locks it while it is in use never goes from under it.
bool quitaAbandonado(int carpetaFd, const char *nombre, Abandono prueba, const struct stat *esperado = nullptr);
// Removes the entries of `carpeta` whose names `abandonado` takes for files their owners left, as above. How many
// went.
int barreAbandonados(const QString &carpeta, const std::function<bool(const char *nombre)> &abandonado,
                     Abandono prueba);

#endif // ARCHIVOSEGURO_H
