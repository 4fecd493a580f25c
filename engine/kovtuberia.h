#ifndef KOVTUBERIA_H
#define KOVTUBERIA_H

#include <QtGlobal>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include <pthread.h>

class KovLote;

// The stages of a book's reading, in line order: one thread reads the lines into batches, the process's workers
// check several batches at once (columns, keys' parts, the layout's own record validator), a second thread takes
// the checked batches in order for the sequences and the key index, and the job's thread takes them back in order
// to merge them. What is in flight is
// bounded in batches and in bytes, so memory stays flat whatever the book's size.
class KovTuberia
{
public:
    struct Etapas
    {
        // Fills a batch with the next lines, marking it `fin` once reading is over.
        std::function<void(KovLote *)> lee;
        // Checks a batch's lines; run on the workers, several batches at once.
        std::function<void(KovLote *)> revisa;
        // What needs the lines in order once they are checked: the sequences and the key index.
        std::function<void(KovLote *)> claves;
    };

    KovTuberia() = default;
    ~KovTuberia();
    KovTuberia(const KovTuberia &) = delete;
    KovTuberia &operator=(const KovTuberia &) = delete;

    // Starts the reading and the key threads; false, with nothing started, when the system gives no thread.
    bool inicia(const Etapas &etapas);
    // The next batch in line order, validated; null after the batch that ends the reading.
    std::shared_ptr<KovLote> siguiente();
    // Hands back a batch the merge is done with, to be emptied and read into again.
    void devuelve(std::shared_ptr<KovLote> lote);
    // Ends the threads after the batch each has in hand and drops every batch not handed out. Stopping twice, or
    // a pipeline never started, does nothing.
    void detiene();

private:
    static void *hiloLectura(void *tuberia);
    static void *hiloClaves(void *tuberia);
    void lee();
    void guardaClaves();
    static void despierta(std::condition_variable *cv, bool *esperando);

    Etapas etapas;
    std::mutex mutex;
    // Each stage waits on its own condition, and says so, so that it is woken only when it waits.
    std::condition_variable hayLugar;
    std::condition_variable hayParaClaves;
    std::condition_variable hayListos;
    bool lectorEspera = false;
    bool clavesEspera = false;
    bool mergeEspera = false;
    std::deque<std::shared_ptr<KovLote>> paraClaves;
    std::deque<std::shared_ptr<KovLote>> listos;
    // Batches the merge is done with, to be read into again.
    std::deque<std::shared_ptr<KovLote>> usados;
    // Batches and book bytes read and not yet handed out.
    int lotesEnVuelo = 0;
    qint64 bytesEnVuelo = 0;
    bool parar = false;
    bool lecturaHecha = false;
    bool clavesHechas = false;
    bool enMarcha = false;
    pthread_t lector{};
    pthread_t guardian{};
};

#endif // KOVTUBERIA_H
