#ifndef KOVRESULTADOS_H
#define KOVRESULTADOS_H

#include <QList>
#include <QString>

#include <functional>

class QFile;

// The result files of one job. Each is written under a temporary name of its own beside the name it is meant for,
// and publica() moves the whole set into its names at once: a name holds an earlier job's whole file or this job's,
// never a half-written one, and two jobs on the same names never leave their files mixed. Whatever was written and
// not published is removed, at the latest when the set is destroyed. Every temporary file is held by its lock
// (flock) from its making until it is published or removed, so what a killed process left, and only that, is
// removed by the next set that writes into the folder: a process id in a name means nothing in another PID
// namespace, a lock nobody holds means its writer is gone.
class KovResultados
{
public:
    KovResultados() = default;
    ~KovResultados();
    KovResultados(const KovResultados &) = delete;
    KovResultados &operator=(const KovResultados &) = delete;

    // Goes into every temporary name, beside the process id, so that a leftover tells whose it was.
    void setEtiqueta(const QString &etiqueta);

    // Writes a file meant for `destino`: `contenido` gets it open, empty and new, and returns whether it wrote all
    // of it. False, with nothing left behind, when a directory stands under the name, when the file cannot be
    // made, or when it was not written whole.
    bool escribe(const QString &destino, const std::function<bool(QFile *)> &contenido);

    // The same in two steps, for a file written elsewhere: makes the temporary file for `destino` and hands back
    // its descriptor (the caller's to write and close; the set keeps the file's lock) and its name, or -1 with
    // nothing made; then adopta() takes the file, once written whole and closed, into the set. A file not adopted
    // is the caller's to remove; the set lets its lock go once its name is gone, and removes it when the set is
    // dropped. The first temporary file made in a folder first removes there the regular files of this user that
    // temporaries nobody holds left.
    int abreTemporal(const QString &destino, QString *temporal);
    void adopta(const QString &temporal, const QString &destino);

    // Moves every file written into its name, while no other job publishes into `carpeta`. On a failure no file of
    // the set is left, under its name or not, and the result is false.
    bool publica(const QString &carpeta);

    // Removes every file made and not published.
    void descarta();

private:
    struct Pendiente
    {
        QString temporal;
        QString destino;
        // Holds the file's lock; -1 on a file system without locks.
        int cerrojo;
    };

    // Removes the file, when its name still names it, and lets its lock go.
    static void quita(const Pendiente &p);
    // Lets go of the locks of files made and not adopted whose names no longer name them.
    void sueltaQuitados();

    // Made, not yet adopted.
    QList<Pendiente> abiertos;
    // Written whole, to be published.
    QList<Pendiente> pendientes;
    QString etiqueta;
    // The folder already rid of the temporaries of ended processes.
    QString carpetaBarrida;
};

#endif // KOVRESULTADOS_H
