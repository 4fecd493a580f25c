#include "kovtrabajadores.h"

#include "kovlote.h"

#include <QThread>

KovTrabajadores &KovTrabajadores::instancia()
{
    static KovTrabajadores trabajadores;
    return trabajadores;
}

KovTrabajadores::KovTrabajadores()
{
    // A job's reading, key and merge threads wait most of the time: the checks take every core.
    const int cuantos = qMax(2, QThread::idealThreadCount());
    for (int i = 0; i < cuantos; ++i) {
        pthread_t id;
        // A thread the system refuses is one worker fewer; the merge validates what no worker takes.
        if (::pthread_create(&id, nullptr, &KovTrabajadores::hilo, this) == 0)
            hilos.push_back(id);
    }
}

KovTrabajadores::~KovTrabajadores()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        cerrando = true;
        cola.clear();
    }
    hayTrabajo.notify_all();
    for (pthread_t id : hilos)
        ::pthread_join(id, nullptr);
}

void KovTrabajadores::encola(const std::shared_ptr<KovLote> &lote)
{
    if (hilos.empty())
        return;
    {
        std::lock_guard<std::mutex> lock(mutex);
        cola.push_back(lote);
    }
    hayTrabajo.notify_one();
}

void *KovTrabajadores::hilo(void *trabajadores)
{
    ::pthread_setname_np(::pthread_self(), "orvantis-valida");
    static_cast<KovTrabajadores *>(trabajadores)->trabaja();
    return nullptr;
}

void KovTrabajadores::trabaja()
{
    for (;;) {
        std::shared_ptr<KovLote> lote;
        {
            std::unique_lock<std::mutex> lock(mutex);
            hayTrabajo.wait(lock, [this] { return cerrando || !cola.empty(); });
            if (cerrando)
                return;
            lote = std::move(cola.front());
            cola.pop_front();
        }
        // A batch its job already claimed, or dropped, is passed over.
        lote->reclamaYCorre();
    }
}
