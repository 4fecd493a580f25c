#ifndef KOVREVISOR_H
#define KOVREVISOR_H

#include "kovcache.h"
#include "kovcolumna.h"
#include "kovcolumnaext.h"
#include "kovllave.h"
#include "kovpatrones.h"
#include "kovtypes.h"

#include <QList>
#include <QString>
#include <QVector>

#include <atomic>
#include <memory>
#include <vector>

class KovLote;

// The checks of a book's lines that need nothing but the line itself: field count, every column, the key's parts,
// and the layout's own record validator, which keeps nothing between records. What a line's checks found is kept
// in its batch for the stages after it. A book has one checker per thread that checks its batches at once, each
// with its own column list and its own memory of recent values; the book's patterns are compiled once and shared,
// each checker keeping only a small state of its own for them.
class KovRevisor
{
public:
    // What every checker of one book shares, unchanged while the book is read.
    struct Libro
    {
        QList<KovColumna> columnas;
        KovCache cache;
        QString codigo;
        int ncolumnas = 0;
        int nextendidas = 0;
        // The record validator run here on every line no check refused, or null; and its record parameters.
        FuncionRegistro validador = nullptr;
        ParametrosRegistro parametros;
        // Whether its totals are summed per batch as well.
        bool sumas = false;
        // Set once the book's reading stops: a check in progress ends after the line in hand.
        std::atomic<bool> alto{false};
        // The columns' patterns, as set-up compiled them.
        std::shared_ptr<const KovPatrones> patrones;
    };

    explicit KovRevisor(std::shared_ptr<const Libro> compartido);

    // Checks every line of the batch, or those before a stop.
    void revisa(KovLote *lote);

    // A field as the line reader sees it: runs of white space collapsed to one blank and both ends trimmed.
    static QString textoCampo(const char *p, int largo, bool primero);
    // Sets the list's first `ncolumnas` columns to the texts of a line's fields.
    static void ponTextos(const char *linea, int largo, int ncolumnas, QList<KovColumna> *lista);

private:
    // The checks of a column that depend on its value alone, remembered for the value it held last: books repeat
    // values line after line (periods, dates, codes), and those need no second look.
    struct Memoria
    {
        static const int kCrudo = 30;
        // The field's bytes when they fit; a longer field is never remembered.
        char crudo[kCrudo];
        qint8 largo = -1;
        qint8 patron = -1;
        qint8 longitud = -1;
        qint8 tabla = -1;
        bool numeroListo = false;
        double numero = 0.0;
        QString valor;

        template <typename Check>
        bool sabe(qint8 *resultado, Check check)
        {
            if (*resultado < 0)
                *resultado = check() ? 1 : 0;
            return *resultado == 1;
        }
    };

    void revisaLinea(KovLote *lote, int i);
    Memoria &recuerda(int i, const char *campo, int largo);
    bool cumplePatron(int i, const QString &valor);
    bool tablaAdmite(int c, const KovColumna &columna, Memoria &memoria) const;

    // Shared with the book's other checkers, and held by each: a checker may finish its line after the job.
    std::shared_ptr<const Libro> libro;
    QList<KovColumna> columnas;
    ParametrosRegistro parametrosPropios;
    KovPatrones::Revision revision;
    KovColumnaExt extendida;
    // kHuecosMemoria slots per column, one column after the other.
    std::vector<Memoria> memorias;
    QVector<const Memoria *> enColumna;
    std::vector<int> separadores;
    KovLlave llave;
};

#endif // KOVREVISOR_H
