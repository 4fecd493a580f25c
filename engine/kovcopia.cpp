#include "kovcopia.h"

#include "archivoseguro.h"
#include "kovsha1.h"

#include <QFile>

#include <cerrno>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Large enough that the system calls cost little beside the hash, small enough to be nothing beside the job.
const size_t kBloqueCopia = 1024 * 1024;

std::atomic<void (*)(qint64)> gVigia{nullptr};

} // namespace

KovCopia::KovCopia()
    : origen(-1), destino(-1), enCurso(false), enHilo(false), id(), alto(false), ok(false), copiados(0)
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
    this->origen = origen;
    this->destino = destino;
    this->temporal = temporal;
    enCurso = true;
    alto.store(false);
    ok = false;
    hash.clear();
    copiados = 0;
    enHilo = ::pthread_create(&id, nullptr, &KovCopia::hilo, this) == 0;
}

bool KovCopia::iniciada() const
{
    return enCurso;
}

void *KovCopia::hilo(void *copia)
{
    static_cast<KovCopia *>(copia)->copia();
    return nullptr;
}

void KovCopia::copia()
{
    ::posix_fadvise(origen, 0, 0, POSIX_FADV_SEQUENTIAL);
    KovSha1 sha1;
    std::vector<char> bloque(kBloqueCopia);
    bool completa = false;
    for (;;) {
        if (alto.load(std::memory_order_relaxed))
            break;
        const ssize_t n = ::read(origen, bloque.data(), bloque.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            completa = n == 0;
            break;
        }
        if (!escribeTodo(destino, bloque.data(), size_t(n)))
            break;
        sha1.agrega(bloque.data(), n);
        copiados += n;
        if (void (*vigia)(qint64) = gVigia.load())
            vigia(copiados);
    }
    ::close(origen);
    origen = -1;
    // A full disk or a lost write on a network folder may show only at the close.
    const bool cerrada = ::close(destino) == 0;
    destino = -1;
    if (completa && cerrada)
        hash = sha1.hex();
    ok = !hash.isEmpty();
}

void KovCopia::espera()
{
    if (enHilo) {
        ::pthread_join(id, nullptr);
        enHilo = false;
    } else {
        copia();
    }
}

bool KovCopia::termina(QString *hashCopia, qint64 *tam)
{
    if (!enCurso)
        return false;
    espera();
    enCurso = false;
    if (!ok) {
        ::unlink(QFile::encodeName(temporal).constData());
        return false;
    }
    *hashCopia = hash;
    *tam = copiados;
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
    alto.store(true);
    espera();
    enCurso = false;
    ::unlink(QFile::encodeName(temporal).constData());
}
