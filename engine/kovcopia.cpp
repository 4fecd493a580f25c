#include "kovcopia.h"

#include "archivoseguro.h"
#include "kovhilos.h"
#include "kovsha1.h"

#include <QFile>

#include <cerrno>
#include <chrono>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Large enough that the system calls cost little beside the hash, small enough to be nothing beside the job.
const size_t kBloqueCopia = 1024 * 1024;
// How often a wait that may give the copy up asks whether to.
const auto kRebanada = std::chrono::milliseconds(100);

std::atomic<void (*)(qint64)> gVigia{nullptr};

} // namespace

KovCopia::KovCopia()
    : enCurso(false), enHilo(false), id()
{
}

KovCopia::~KovCopia()
{
    descarta();
}

void KovCopia::setVigia(void (*vigia)(qint64 copiados))
{
    gVigia.store(vigia);
}

void KovCopia::inicia(int origen, int destino, const QString &temporal)
{
    descarta();
    estado = std::make_shared<Estado>();
    estado->origen = origen;
    estado->destino = destino;
    this->temporal = temporal;
    enCurso = true;
    auto *propio = new std::shared_ptr<Estado>(estado);
    KovHilos::empieza();
    enHilo = ::pthread_create(&id, nullptr, &KovCopia::hilo, propio) == 0;
    if (!enHilo) {
        delete propio;
        KovHilos::acaba();
    }
}

bool KovCopia::iniciada() const
{
    return enCurso;
}

// The copying side counts as the engine's work until it has let go of its state.
void *KovCopia::hilo(void *estado)
{
    {
        const std::unique_ptr<std::shared_ptr<Estado>> propio(static_cast<std::shared_ptr<Estado> *>(estado));
        copia(propio->get());
    }
    KovHilos::acaba();
    return nullptr;
}

void KovCopia::copia(Estado *e, const std::function<bool()> *basta)
{
    ::posix_fadvise(e->origen, 0, 0, POSIX_FADV_SEQUENTIAL);
    KovSha1 sha1;
    std::vector<char> bloque(kBloqueCopia);
    bool completa = false;
    for (;;) {
        if (e->alto.load(std::memory_order_relaxed) || (basta && *basta && (*basta)()))
            break;
        const ssize_t n = ::read(e->origen, bloque.data(), bloque.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            completa = n == 0;
            break;
        }
        if (!escribeTodo(e->destino, bloque.data(), size_t(n)))
            break;
        sha1.agrega(bloque.data(), n);
        e->copiados += n;
        if (void (*vigia)(qint64) = gVigia.load())
            vigia(e->copiados);
    }
    ::close(e->origen);
    e->origen = -1;
    // A full disk or a lost write on a network folder may show only at the close.
    const bool cerrada = ::close(e->destino) == 0;
    e->destino = -1;
    if (completa && cerrada)
        e->hash = sha1.hex();
    e->ok = !e->hash.isEmpty();
    std::lock_guard<std::mutex> lock(e->mutex);
    e->hecha = true;
    e->terminada.notify_all();
}

bool KovCopia::espera(const std::function<bool()> *basta)
{
    if (!enHilo) {
        copia(estado.get(), basta);
        return true;
    }
    if (basta && *basta) {
        Estado &e = *estado;
        std::unique_lock<std::mutex> lock(e.mutex);
        while (!e.terminada.wait_for(lock, kRebanada, [&e] { return e.hecha; })) {
            lock.unlock();
            if ((*basta)())
                return false;
            lock.lock();
        }
    }
    ::pthread_join(id, nullptr);
    enHilo = false;
    return true;
}

bool KovCopia::termina(QString *hashCopia, qint64 *tam, const std::function<bool()> &basta)
{
    if (!enCurso)
        return false;
    if (!espera(&basta)) {
        abandona();
        return false;
    }
    enCurso = false;
    if (!estado->ok) {
        ::unlink(QFile::encodeName(temporal).constData());
        return false;
    }
    *hashCopia = estado->hash;
    *tam = estado->copiados;
    return true;
}

QString KovCopia::archivo() const
{
    return temporal;
}

void KovCopia::descarta()
{
    if (!enCurso)
        return;
    estado->alto.store(true);
    espera();
    enCurso = false;
    ::unlink(QFile::encodeName(temporal).constData());
}

void KovCopia::abandona()
{
    if (!enCurso)
        return;
    estado->alto.store(true);
    if (enHilo) {
        ::pthread_detach(id);
        enHilo = false;
    } else {
        // Never started: stopped before its first block, it only closes its files.
        copia(estado.get());
    }
    enCurso = false;
    ::unlink(QFile::encodeName(temporal).constData());
}
