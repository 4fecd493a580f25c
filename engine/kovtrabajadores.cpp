#include "kovtrabajadores.h"

#include "kovhilos.h"
#include "kovlote.h"

#include <QThread>

// Made once and never destroyed: a job's thread that outlives the service's orderly end may still hand work in.
KovTrabajadores &KovTrabajadores::instancia()
{
    static KovTrabajadores *trabajadores = new KovTrabajadores;
    return *trabajadores;
}

int KovTrabajadores::maximo()
{
    return qMax(2, QThread::idealThreadCount() - 2);
}

KovTrabajadores::KovTrabajadores()
{
    const int cuantos = maximo();
    for (int i = 0; i < cuantos; ++i) {
        pthread_t id;
        // A thread the system refuses is one worker fewer; a later stage checks what no worker takes.
        if (::pthread_create(&id, nullptr, &KovTrabajadores::hilo, this) == 0) {
            ::pthread_detach(id);
            ++hilos;
        }
    }
}

void KovTrabajadores::encola(const std::shared_ptr<KovLote> &lote)
{
    if (hilos == 0)
        return;
    KovHilos::empieza();
    {
        std::lock_guard<std::mutex> lock(mutex);
        cola.push_back(lote);
    }
    hayTrabajo.notify_one();
}

void *KovTrabajadores::hilo(void *trabajadores)
{
    ::pthread_setname_np(::pthread_self(), "orvantis-revisa");
    static_cast<KovTrabajadores *>(trabajadores)->trabaja();
    return nullptr;
}

void KovTrabajadores::trabaja()
{
    for (;;) {
        std::shared_ptr<KovLote> lote;
        {
            std::unique_lock<std::mutex> lock(mutex);
            hayTrabajo.wait(lock, [this] { return !cola.empty(); });
            lote = std::move(cola.front());
            cola.pop_front();
        }
        // A batch its job already claimed, or dropped, is passed over.
        lote->reclamaYCorre();
        // The batch may hold the last of what its job's checks used, which goes here, while it still counts.
        lote.reset();
        KovHilos::acaba();
    }
}
