#ifndef KOVTRABAJADORES_H
#define KOVTRABAJADORES_H

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

#include <pthread.h>

class KovLote;

// The process's workers for the checks of books' batches: as many threads as the cores less two, shared by every
// job. A batch handed to them is checked by the first worker free, unless the job's key-index stage claims it
// first; a job therefore never waits for workers busy with other jobs, and with no worker at all it still runs.
// A batch counts as the engine's work in progress (KovHilos) from its hand-over until its worker lets it go.
class KovTrabajadores
{
public:
    static KovTrabajadores &instancia();
    // How many workers the process has at most: a job can have this many checkers at once, and one more of its own.
    static int maximo();

    void encola(const std::shared_ptr<KovLote> &lote);

    KovTrabajadores(const KovTrabajadores &) = delete;
    KovTrabajadores &operator=(const KovTrabajadores &) = delete;

private:
    KovTrabajadores();

    static void *hilo(void *trabajadores);
    void trabaja();

    std::mutex mutex;
    std::condition_variable hayTrabajo;
    std::deque<std::shared_ptr<KovLote>> cola;
    int hilos = 0;
};

#endif // KOVTRABAJADORES_H
