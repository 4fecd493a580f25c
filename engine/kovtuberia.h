#ifndef KOVTUBERIA_H
#define KOVTUBERIA_H

#include <QtGlobal>

#include <functional>
#include <memory>

class KovLote;

// The stages of a book's reading, in line order: one thread reads the lines into batches, the process's workers
// check several batches at once (columns, keys' parts, the layout's own record validator), a second thread takes
// the checked batches in order for the sequences and the key index, and the job's thread takes them back in order
// to merge them. What is in flight is
// bounded in batches and in bytes, so memory stays flat whatever the book's size.
// The stages' threads share the pipeline's state with it, and a batch holds what its checks use: a stop never
// waits for a line being checked, nor for a read of the book, which end by themselves and let go of what they held.
class KovTuberia
{
public:
    struct Etapas
    {
        // Fills a batch with the next lines, marking it `fin` once reading is over.
        std::function<void(KovLote *)> lee;
        // Checks a batch's lines; run on the workers, several batches at once.
        std::function<void(KovLote *)> revisa;
        // What needs the lines in order once they are checked: the sequences and the key index. The only stage
        // that uses the job itself: it is never called once detiene() has returned.
        std::function<void(KovLote *)> claves;
    };

    KovTuberia() = default;
    ~KovTuberia();
    KovTuberia(const KovTuberia &) = delete;
    KovTuberia &operator=(const KovTuberia &) = delete;

    // Starts the reading and the key threads; false, with nothing started, when the system gives no thread, or
    // while many readings of stopped pipelines are still held in a read of their books.
    bool inicia(const Etapas &etapas);
    // The next batch in line order, validated; null after the batch that ends the reading. While it waits it asks
    // `interrumpe`, when given, every tenth of a second whether to stop waiting, telling it how long it has waited
    // in milliseconds: null then too, with *interrumpida set.
    std::shared_ptr<KovLote> siguiente(const std::function<bool(qint64)> &interrumpe = std::function<bool(qint64)>(),
                                       bool *interrumpida = nullptr);
    // Hands back a batch the merge is done with, to be emptied and read into again.
    void devuelve(std::shared_ptr<KovLote> lote);
    // Stops the stages and drops every batch not handed out, without waiting for the checks in progress or for a
    // reading held in a read of the book; only the key stage, which writes into the job's key index, is waited for,
    // and only for the batch it is storing. Stopping twice, or a pipeline never started, does nothing.
    void detiene();

private:
    struct Estado;
    static void *hiloLectura(void *estado);
    static void *hiloClaves(void *estado);
    static bool lanza(void *(*hilo)(void *), const std::shared_ptr<Estado> &estado);

    std::shared_ptr<Estado> estado;
};

#endif // KOVTUBERIA_H
