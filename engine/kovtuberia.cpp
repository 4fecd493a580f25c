#include "kovtuberia.h"

#include "kovlote.h"
#include "kovtrabajadores.h"

namespace {

// Enough batches ahead to keep the workers busy, few enough that a job holds little: with batches of a hundred
// lines or so a few megabytes at most, and a line of several megabytes holds up the reading instead.
const int kLotesEnVuelo = 16;
const qint64 kBytesEnVuelo = 4 * 1024 * 1024;

} // namespace

KovTuberia::~KovTuberia()
{
    detiene();
}

bool KovTuberia::inicia(const Etapas &etapas)
{
    detiene();
    this->etapas = etapas;
    parar = false;
    lecturaHecha = false;
    clavesHechas = false;
    lotesEnVuelo = 0;
    bytesEnVuelo = 0;
    // The key thread first: it only waits for batches, so that if the reading cannot start, no line was read.
    if (::pthread_create(&guardian, nullptr, &KovTuberia::hiloClaves, this) != 0)
        return false;
    if (::pthread_create(&lector, nullptr, &KovTuberia::hiloLectura, this) != 0) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            parar = true;
        }
        hayParaClaves.notify_all();
        ::pthread_join(guardian, nullptr);
        return false;
    }
    enMarcha = true;
    return true;
}

void *KovTuberia::hiloLectura(void *tuberia)
{
    ::pthread_setname_np(::pthread_self(), "orvantis-lee");
    static_cast<KovTuberia *>(tuberia)->lee();
    return nullptr;
}

void *KovTuberia::hiloClaves(void *tuberia)
{
    ::pthread_setname_np(::pthread_self(), "orvantis-llave");
    static_cast<KovTuberia *>(tuberia)->guardaClaves();
    return nullptr;
}

// Wakes a stage only when it waits: most hand-overs find the other side busy, and then cost no system call.
void KovTuberia::despierta(std::condition_variable *cv, bool *esperando)
{
    if (*esperando) {
        *esperando = false;
        cv->notify_one();
    }
}

void KovTuberia::lee()
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
        lote->preparaTarea(etapas.revisa);
        KovTrabajadores::instancia().encola(lote);
        {
            std::lock_guard<std::mutex> lock(mutex);
            ++lotesEnVuelo;
            bytesEnVuelo += lote->bytes;
            paraClaves.push_back(lote);
            despierta(&hayParaClaves, &clavesEspera);
        }
        if (lote->fin)
            break;
    }
    std::lock_guard<std::mutex> lock(mutex);
    lecturaHecha = true;
    despierta(&hayParaClaves, &clavesEspera);
}

void KovTuberia::guardaClaves()
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
        }
        // The batch's checks, by a worker or, when none has taken them yet, here.
        lote->esperaTarea();
        etapas.claves(lote.get());
        std::lock_guard<std::mutex> lock(mutex);
        listos.push_back(std::move(lote));
        despierta(&hayListos, &mergeEspera);
    }
    std::lock_guard<std::mutex> lock(mutex);
    clavesHechas = true;
    despierta(&hayListos, &mergeEspera);
}

std::shared_ptr<KovLote> KovTuberia::siguiente()
{
    std::shared_ptr<KovLote> lote;
    {
        std::unique_lock<std::mutex> lock(mutex);
        while (listos.empty() && !clavesHechas) {
            mergeEspera = true;
            hayListos.wait(lock);
        }
        if (listos.empty())
            return nullptr;
        lote = std::move(listos.front());
        listos.pop_front();
        --lotesEnVuelo;
        bytesEnVuelo -= lote->bytes;
        despierta(&hayLugar, &lectorEspera);
    }
    return lote;
}

void KovTuberia::devuelve(std::shared_ptr<KovLote> lote)
{
    if (!enMarcha || !lote)
        return;
    std::lock_guard<std::mutex> lock(mutex);
    usados.push_back(std::move(lote));
}

void KovTuberia::detiene()
{
    if (!enMarcha)
        return;
    enMarcha = false;
    {
        std::lock_guard<std::mutex> lock(mutex);
        parar = true;
    }
    hayLugar.notify_all();
    hayParaClaves.notify_all();
    hayListos.notify_all();
    ::pthread_join(lector, nullptr);
    ::pthread_join(guardian, nullptr);
    // A worker may be checking a batch that is no longer wanted: it must be done before the job goes on.
    for (std::deque<std::shared_ptr<KovLote>> *cola : {&paraClaves, &listos}) {
        for (const std::shared_ptr<KovLote> &lote : *cola) {
            lote->descarta();
            lote->esperaTarea();
        }
        cola->clear();
    }
    usados.clear();
}
