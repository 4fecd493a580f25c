#ifndef KOVCOPIA_H
#define KOVCOPIA_H

#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

#include <pthread.h>

// The detail copy of a book, made on a thread of its own while the job checks the lines: the book's bytes go into
// a new file in blocks, hashed as they are written, so memory stays the same whatever the book's size. The file is
// the caller's once termina() said it was written whole; otherwise it is removed, at the latest on destruction.
class KovCopia
{
public:
    KovCopia();
    ~KovCopia();
    KovCopia(const KovCopia &) = delete;
    KovCopia &operator=(const KovCopia &) = delete;

    // Starts copying the book open as `origen` into the new file `temporal`, open for writing as `destino`; both
    // descriptors are the copy's from now on. Should no thread be had, termina() makes the copy itself.
    void inicia(int origen, int destino, const QString &temporal);
    bool iniciada() const;
    // Waits for the copy to reach the end of the book. True when every byte read was written and the file closed
    // cleanly: the file is then the caller's, and `hash` and `tam` are those of the bytes it holds. Otherwise the
    // file is removed. While it waits it asks `basta`, when given, every tenth of a second whether to give the copy
    // up: true drops it as abandona() does, whatever its copying side is doing, and the result is false.
    bool termina(QString *hashCopia, qint64 *tam, const std::function<bool()> &basta = std::function<bool()>());
    // The file's name, as inicia() was given it.
    QString archivo() const;
    // Stops the copy after the block in hand, waits for it and removes the file.
    void descarta();
    // Stops the copy and removes the file at once, without waiting for the block in hand: a read of the book that
    // does not return costs the copying side alone, which closes its files once it does.
    void abandona();

    // Called on the copying side after every block, with the bytes copied so far: lets a test catch a copy
    // half-way. Null, the default, calls nothing.
    static void setVigia(void (*vigia)(qint64 copiados));

private:
    // What the copying side uses, shared with it so that it may outlive the copy it was started for.
    struct Estado
    {
        int origen = -1;
        int destino = -1;
        std::atomic<bool> alto{false};
        // Written by the copying side, read once it has been joined.
        bool ok = false;
        QString hash;
        qint64 copiados = 0;
        // Set by the copying side once it has closed its files, for a wait that may give it up.
        std::mutex mutex;
        std::condition_variable terminada;
        bool hecha = false;
    };

    static void *hilo(void *estado);
    static void copia(Estado *estado, const std::function<bool()> *basta = nullptr);
    // Waits for the copying side, or copies here when it has no thread; false, with the copy still under way, once
    // `basta` said to give it up.
    bool espera(const std::function<bool()> *basta = nullptr);

    std::shared_ptr<Estado> estado;
    QString temporal;
    bool enCurso;
    bool enHilo;
    pthread_t id;
};

#endif // KOVCOPIA_H
