#ifndef KOVLOTE_H
#define KOVLOTE_H

#include "kovrespuesta.h"
#include "kovsumas.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

// A run of consecutive book lines on their way from the reading to the merge into the job's lists: the lines'
// bytes, what the checks found on each line, its key and, for a line the record validator read, its answer. Each
// stage fills its own fields before handing the batch on, so no field is written by two threads at once.
class KovLote
{
public:
    // What became of a line's key.
    enum Clave : quint8 {
        SinTexto,   // no part with text: nothing to store
        ConTexto,   // to be stored
        Fallida,    // a key column failed its checks: error 32
        Guardada,   // stored
        Repetida    // already in the index, or the index failed: error 8
    };

    // One line keeps at most this many errors of its own: with the thousand that may stand before it the list stays
    // bounded whatever the line holds, and a line that had more crosses the limit all the same.
    static const int kErroresPorLinea = 1000;

    // The code a sequence check stands under until the lines before it are known, and the one it takes when the
    // value follows the one before it: no error.
    static const int kSecuenciaPendiente = -7;
    static const int kSecuenciaCumplida = -8;

    // An error a line's checks found: its code, its column (0 for the whole line), and for 666 its text. A sequence
    // check still to be judged holds the column's text and whether the column is part of the key.
    struct Error
    {
        qint32 cod;
        qint32 col;
        QString des;
        bool clave;
    };

    // An amount read from an accumulator column.
    struct Monto
    {
        qint32 columna;
        double valor;
    };

    struct Linea
    {
        // Where the line's bytes stand in `texto`, its line feed included.
        int inicio = 0;
        int largo = 0;
        int primerError = 0;
        int finErrores = 0;
        int primerMonto = 0;
        int finMontos = 0;
        int primerByteClave = 0;
        int finBytesClave = 0;
        Clave clave = SinTexto;
        // The line had more errors of its own than one line keeps.
        bool desborde = false;
        // Its fields were checked as columns (the field count was right).
        bool revisada = false;
        // The record validator read it, and its answer is in `respuestas`.
        bool validada = false;
        // No check refused it, key and sequences included: its validator's answer counts.
        bool valida = false;
    };

    // Empties the batch for the next lines, but for the validator's answers and their sums, which the checks empty:
    // freeing a batch's answers costs about as much as making them, and the checks run on several threads.
    void limpia();
    void limpiaRespuestas();
    // The bytes of line i's key, valid while the batch is not changed.
    QByteArray llave(int i) const;
    // What the reading returns for line i: its length, a final carriage return and line feed counted as one byte.
    int devuelto(int i) const;

    QByteArray texto;
    std::vector<Linea> lineas;
    std::vector<Error> erroresLineas;
    std::vector<Monto> montos;
    QByteArray bytesClaves;
    // The record validator's answers, one per line, filled for the lines it read; and their totals summed, list by
    // list, when the checks summed them.
    std::vector<KovRespuesta> respuestas;
    bool conSumas = false;
    // The answers' totals were dropped once summed: a line merged line by line is validated again for them.
    bool totalesEnSumas = false;
    KovSumas sumasResumen;
    KovSumas sumasAgregado;
    KovSumas sumasCasillas;
    KovSumas sumasPeriodos;
    // The book's line number of the first line, counted from 0.
    qint64 primera = 0;
    // The field count of the first line with a field, and that line's number; 0 and -1 until such a line is read.
    int camposPrimera = 0;
    qint64 lineaCampos = -1;
    // Reading is over after these lines: the book's end, a failed read or a line too long to hold.
    bool fin = false;
    // The book's bytes the batch stands for, to bound what is held in flight.
    qint64 bytes = 0;

    // The batch's checks, run once by whichever thread claims them first: a worker, or a later stage waiting for
    // them. A batch dropped at a stop is claimed without being run. The task holds what the checks use, so that a
    // batch whose job has ended meanwhile still has it while its line in hand is checked.
    void preparaTarea(std::function<void(KovLote *)> tarea);
    // Runs the checks here when no one has claimed them; true when this call ran them.
    bool reclamaYCorre();
    // Drops the batch: checks no one runs yet never run, and whoever waits for checks in progress is let go at once.
    void descarta();
    // Returns once the checks are done, running them here when no one has claimed them; false, at once, when the
    // batch was dropped meanwhile.
    bool esperaTarea();

private:
    enum Estado { SinTarea, Pendiente, EnCurso, Terminada };
    void termina();

    std::function<void(KovLote *)> tarea;
    std::atomic<int> estado{SinTarea};
    std::mutex mutex;
    std::condition_variable hecha;
    // Under the mutex.
    bool descartado = false;
};

#endif // KOVLOTE_H
