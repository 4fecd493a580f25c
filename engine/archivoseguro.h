#ifndef ARCHIVOSEGURO_H
#define ARCHIVOSEGURO_H

#include <QString>

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
// Flushes and closes the file; true only when everything written reached it.
bool cierraComprobado(QFile *archivo);

#endif // ARCHIVOSEGURO_H
