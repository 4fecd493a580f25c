#include "kovtuberia.h"

#include "kovhilos.h"
#include "kovlote.h"
#include "kovtrabajadores.h"

#include <QtGlobal>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

#include <pthread.h>

namespace {

// Enough batches ahead to keep the workers busy, few enough that a job holds little: with batches of a hundred
// lines or so a few megabytes at most, and a line of several megabytes holds up the reading instead.
const int kLotesEnVuelo = 16;
const qint64 kBytesEnVuelo = 4 * 1024 * 1024;
// How often a merge waiting for its next batch asks whether to stop waiting.
const auto kRebanada = std::chrono::milliseconds(100);
// Readings still held in a read of their book once their pipeline stopped. Each keeps a thread, a descriptor and
// its buffer until the read returns; past this many a book is read on its job's thread instead, which then waits
// for its own reads, in the job's place among the running jobs.
const int kLecturasSueltas = 8;
std::atomic<int> gLecturasSueltas{0};

// Wakes a stage only when it waits: most hand-overs find the other side busy, and then cost no system call.
void despierta(std::condition_variable *cv, bool *esperando)
{
    if (*esperando) {
        *esperando = false;
        cv->notify_one();
    }
}

} // namespace

// What the stages' threads and the job share; each thread holds it for as long as it runs.
struct KovTuberia::Estado
{
    void lee();
    void guardaClaves();

    Etapas etapas;
    std::mutex mutex;
    // Each stage waits on its own condition, and says so, so that it is woken only when it waits.
    std::condition_variable hayLugar;
    std::condition_variable hayParaClaves;
    std::condition_variable hayListos;
    // The key stage has let go of the job's key index.
    std::condition_variable clavesLibres;
    bool lectorEspera = false;
    bool clavesEspera = false;
    bool mergeEspera = false;
    std::deque<std::shared_ptr<KovLote>> paraClaves;
    std::deque<std::shared_ptr<KovLote>> listos;
    // Batches the merge is done with, to be read into again.
    std::deque<std::shared_ptr<KovLote>> usados;
    // The batch whose checks the key stage waits for, and whether it is storing a batch's keys now.
    std::shared_ptr<KovLote> enManos;
    bool enClaves = false;
    // The reading was still under way when the pipeline stopped, and counts among the readings let go.
    bool lecturaSuelta = false;
    // Batches and book bytes read and not yet handed out.
    int lotesEnVuelo = 0;
    qint64 bytesEnVuelo = 0;
    bool parar = false;
    bool lecturaHecha = false;
    bool clavesHechas = false;
};

KovTuberia::~KovTuberia()
{
    detiene();
}

// The thread is detached: it holds the state itself and counts as the engine's work until it has let go of it.
bool KovTuberia::lanza(void *(*hilo)(void *), const std::shared_ptr<Estado> &estado)
{
    pthread_attr_t atributos;
    if (::pthread_attr_init(&atributos) != 0)
        return false;
    ::pthread_attr_setdetachstate(&atributos, PTHREAD_CREATE_DETACHED);
    auto *propio = new std::shared_ptr<Estado>(estado);
    KovHilos::empieza();
    pthread_t id;
    const bool lanzado = ::pthread_create(&id, &atributos, hilo, propio) == 0;
    ::pthread_attr_destroy(&atributos);
    if (!lanzado) {
        delete propio;
        KovHilos::acaba();
    }
    return lanzado;
}

bool KovTuberia::inicia(const Etapas &etapas)
{
    detiene();
    if (gLecturasSueltas.load() >= kLecturasSueltas)
        return false;
    std::shared_ptr<Estado> nuevo = std::make_shared<Estado>();
    nuevo->etapas = etapas;
    // The key thread first: it only waits for batches, so that if the reading cannot start, no line was read.
    if (!lanza(&KovTuberia::hiloClaves, nuevo))
        return false;
    if (!lanza(&KovTuberia::hiloLectura, nuevo)) {
        {
            std::lock_guard<std::mutex> lock(nuevo->mutex);
            nuevo->parar = true;
        }
        nuevo->hayParaClaves.notify_all();
        return false;
    }
    estado = std::move(nuevo);
    return true;
}

void *KovTuberia::hiloLectura(void *estado)
{
    ::pthread_setname_np(::pthread_self(), "orvantis-lee");
    {
        const std::unique_ptr<std::shared_ptr<Estado>> propio(static_cast<std::shared_ptr<Estado> *>(estado));
        (*propio)->lee();
    }
    KovHilos::acaba();
    return nullptr;
}

void *KovTuberia::hiloClaves(void *estado)
{
    ::pthread_setname_np(::pthread_self(), "orvantis-llave");
    {
        const std::unique_ptr<std::shared_ptr<Estado>> propio(static_cast<std::shared_ptr<Estado> *>(estado));
        (*propio)->guardaClaves();
    }
    KovHilos::acaba();
    return nullptr;
}

void KovTuberia::Estado::lee()
{
    for (;;) {
        std::shared_ptr<KovLote> lote;
        {
            std::unique_lock<std::mutex> lock(mutex);
            while (!parar && lotesEnVuelo > 0
                   && (lotesEnVuelo >= kLotesEnVuelo || bytesEnVuelo >= kBytesEnVuelo)) {
                lectorEspera = true;
                hayLugar.wait(lock);
            }
            if (parar)
                break;
            if (!usados.empty()) {
                lote = std::move(usados.front());
                usados.pop_front();
            }
        }
        if (lote)
            lote->limpia();
        else
            lote = std::make_shared<KovLote>();
        etapas.lee(lote.get());
        const bool fin = lote->fin;
        {
            // A stop lets go of the checks' data: a reading held until long after it keeps none of it.
            std::lock_guard<std::mutex> lock(mutex);
            if (parar)
                break;
            lote->preparaTarea(etapas.revisa);
        }
        KovTrabajadores::instancia().encola(lote);
        {
            std::lock_guard<std::mutex> lock(mutex);
            // Read while the pipeline stopped: its checks never run.
            if (parar) {
                lote->descarta();
                break;
            }
            ++lotesEnVuelo;
            bytesEnVuelo += lote->bytes;
            paraClaves.push_back(lote);
            despierta(&hayParaClaves, &clavesEspera);
        }
        if (fin)
            break;
    }
    std::lock_guard<std::mutex> lock(mutex);
    lecturaHecha = true;
    if (lecturaSuelta)
        gLecturasSueltas.fetch_sub(1);
    despierta(&hayParaClaves, &clavesEspera);
}

void KovTuberia::Estado::guardaClaves()
{
    for (;;) {
        std::shared_ptr<KovLote> lote;
        {
            std::unique_lock<std::mutex> lock(mutex);
            while (!parar && paraClaves.empty() && !lecturaHecha) {
                clavesEspera = true;
                hayParaClaves.wait(lock);
            }
            if (parar || paraClaves.empty())
                break;
            lote = std::move(paraClaves.front());
            paraClaves.pop_front();
            enManos = lote;
        }
        // The batch's checks, by a worker or, when none has taken them yet, here; a stop lets go of the wait.
        const bool revisado = lote->esperaTarea();
        {
            std::lock_guard<std::mutex> lock(mutex);
            enManos.reset();
            if (parar || !revisado)
                break;
            enClaves = true;
        }
        etapas.claves(lote.get());
        std::lock_guard<std::mutex> lock(mutex);
        enClaves = false;
        if (parar) {
            clavesLibres.notify_all();
            break;
        }
        listos.push_back(std::move(lote));
        despierta(&hayListos, &mergeEspera);
    }
    std::lock_guard<std::mutex> lock(mutex);
    clavesHechas = true;
    despierta(&hayListos, &mergeEspera);
}

std::shared_ptr<KovLote> KovTuberia::siguiente(const std::function<bool(qint64)> &interrumpe, bool *interrumpida)
{
    if (!estado)
        return nullptr;
    Estado &e = *estado;
    std::shared_ptr<KovLote> lote;
    const auto inicio = std::chrono::steady_clock::now();
    {
        std::unique_lock<std::mutex> lock(e.mutex);
        while (e.listos.empty() && !e.clavesHechas) {
            e.mergeEspera = true;
            if (!interrumpe) {
                e.hayListos.wait(lock);
                continue;
            }
            if (e.hayListos.wait_for(lock, kRebanada) == std::cv_status::no_timeout)
                continue;
            // Asked without the pipeline's lock: the question may take the job table's.
            lock.unlock();
            const bool basta = interrumpe(std::chrono::duration_cast<std::chrono::milliseconds>(
                                              std::chrono::steady_clock::now() - inicio).count());
            lock.lock();
            if (basta) {
                if (interrumpida)
                    *interrumpida = true;
                return nullptr;
            }
        }
        if (e.listos.empty())
            return nullptr;
        lote = std::move(e.listos.front());
        e.listos.pop_front();
        --e.lotesEnVuelo;
        e.bytesEnVuelo -= lote->bytes;
        despierta(&e.hayLugar, &e.lectorEspera);
    }
    return lote;
}

void KovTuberia::devuelve(std::shared_ptr<KovLote> lote)
{
    if (!estado || !lote)
        return;
    std::lock_guard<std::mutex> lock(estado->mutex);
    estado->usados.push_back(std::move(lote));
}

void KovTuberia::detiene()
{
    if (!estado)
        return;
    const std::shared_ptr<Estado> e = std::move(estado);
    std::unique_lock<std::mutex> lock(e->mutex);
    e->parar = true;
    // Checks no one began never run, and the key stage stops waiting for those in progress.
    if (e->enManos)
        e->enManos->descarta();
    for (std::deque<std::shared_ptr<KovLote>> *cola : {&e->paraClaves, &e->listos}) {
        for (const std::shared_ptr<KovLote> &lote : *cola)
            lote->descarta();
        cola->clear();
    }
    e->usados.clear();
    e->etapas.revisa = nullptr;
    if (!e->lecturaHecha) {
        e->lecturaSuelta = true;
        gLecturasSueltas.fetch_add(1);
    }
    e->hayLugar.notify_all();
    e->hayParaClaves.notify_all();
    e->hayListos.notify_all();
    // The job closes its key index next.
    e->clavesLibres.wait(lock, [&e] { return !e->enClaves; });
}
