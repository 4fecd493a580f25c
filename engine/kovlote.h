#ifndef KOVLOTE_H
#define KOVLOTE_H

#include "kovrespuesta.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

// A run of consecutive book lines on their way from the reading to the merge into the job's lists: what the
// column checks found on each line, its key, the texts a record validator reads and, once validated, what the
// validator answered. Each stage fills its own fields before handing the batch on, so no field is written by two
// threads.
class KovLote
{
public:
    // What the key index said of a line's key.
    enum Clave : quint8 {
        SinTexto,   // no part with text: nothing to store
        ConTexto,   // to be stored
        Fallida,    // a key column failed its checks: error 32
        Guardada,   // stored
        Repetida    // already in the index, or the index failed: error 8
    };

    // An error a line's own checks found: its code, its column (0 for the whole line), and for 666 its text.
    struct Error
    {
        qint32 cod;
        qint32 col;
        QString des;
    };

    // An amount read from an accumulator column.
    struct Monto
    {
        qint32 columna;
        double valor;
    };

    struct Linea
    {
        // What the reading returns for the line, its length as counted for the progress.
        int devuelto = 0;
        int primerError = 0;
        int finErrores = 0;
        int primerMonto = 0;
        int finMontos = 0;
        // Where its bytes up to the last column's separator start in `crudos`, -1 when they were not kept; and
        // how many there are.
        int primerCrudo = -1;
        int largoCrudo = 0;
        int primerByteClave = 0;
        int finBytesClave = 0;
        Clave clave = SinTexto;
        // The line had more errors of its own than one line keeps.
        bool desborde = false;
        // No check failed, key included: the record validator reads it.
        bool valida = false;
    };

    void limpia();
    // The bytes of line i's key, valid while the batch is not changed.
    QByteArray llave(int i) const;

    std::vector<Linea> lineas;
    std::vector<Error> erroresLineas;
    std::vector<Monto> montos;
    // The bytes of the lines a record validator will read: each validating thread decodes its own texts, so that
    // no text is shared between threads.
    QByteArray crudos;
    QByteArray bytesClaves;
    // The record validator's answers, one per line, filled for the valid lines.
    std::vector<KovRespuesta> respuestas;
    // Reading is over after these lines: the book's end, a failed read or a line too long to hold.
    bool fin = false;
    // The book's bytes the batch stands for, to bound what is held in flight.
    qint64 bytes = 0;

    // The validation of the batch's valid lines, run once by whichever thread claims it first: a worker, or the
    // merge waiting for it. A batch dropped at a stop is claimed without being run.
    void preparaValidacion(std::function<void(KovLote *)> tarea);
    bool tieneValidacion() const;
    // Runs the validation here when no one has claimed it; true when this call ran it.
    bool reclamaYValida();
    // Claims a validation no one runs yet so that it never runs.
    void descarta();
    // Returns once the validation is done or was dropped.
    void esperaValidacion();

private:
    enum Estado { SinTarea, Pendiente, EnCurso, Terminada };
    void termina();

    std::function<void(KovLote *)> tarea;
    std::atomic<int> estado{SinTarea};
    std::mutex mutex;
    std::condition_variable hecha;
};

#endif // KOVLOTE_H
