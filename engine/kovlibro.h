#ifndef KOVLIBRO_H
#define KOVLIBRO_H

#include "kovberkeley.h"
#include "kovcache.h"
#include "kovcolumna.h"
#include "kovcontrol.h"
#include "kovcopia.h"
#include "kovrespuesta.h"
#include "kovresultados.h"
#include "kovrevisor.h"
#include "kovrules.h"
#include "kovtotales.h"
#include "kovtypes.h"

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <functional>
#include <memory>

class KovLote;
class KovTuberia;

// The book engine of one validation job: decodes the request and sets the book up, reads and checks the book line
// by line, keeps the job's error list and totals, summarises, and writes the result files with their hashes.
// It belongs to the job's thread; while a book is read, the pipeline's threads run its reading stages.
// Its work is in three files: bookrequest.cpp decodes the request and sets the book up, kovlibro.cpp runs the
// reading stages and merges each line into the error list, bookresults.cpp merges the totals, summarises and writes
// the result files with their hashes.
class KovLibro
{
public:
    KovLibro();
    ~KovLibro();

    // Names the key-index file, so it comes before parse().
    void setTicket(const QString &ticket);
    // Removes from `carpeta`, the temporary folder, the key-index files of jobs whose process has ended: files of
    // the name parse() gives an index with a numbered ticket, regular and this user's, that no open index holds.
    // How many went.
    static int barreIndicesAbandonados(const QString &carpeta);
    // True when the book is ready to be read; otherwise getParseError() holds "900" to "910". `turno`, when given,
    // is asked once every check before the key index has passed and the book is open: false refuses the book as
    // one whose key index cannot be opened, with nothing left open or made.
    bool parse(const QString &request, const std::function<bool()> &turno = std::function<bool()>());
    QString getParseError() const;
    // The job's working record; not owned. Without one the engine writes into a record of its own.
    void setControl(KovControl *control);
    // Makes the two levels of the work folder below base (never outside it) and returns the second, without "/".
    QString VerifieDirectory(const QString &base, const QString &ruc, const QString &periodo,
                             const QString &prefijo);

    // Reads and checks the next line; its length in bytes, or 0 once reading is over. The lines are read and
    // checked ahead on threads of their own and merged here in order; the results are those of reading them one
    // by one.
    int readLine();
    // Asked every tenth of a second while readLine() waits for lines checked ahead, with how long it has waited in
    // milliseconds; true stops the reading there, as at its end, and isInterrumpida() then says so. Null, the
    // default, waits for them.
    void setInterrupcion(std::function<bool(qint64)> interrumpe);
    bool isInterrumpida() const;
    // True when the next readLine() merges a line of the batch in hand, with nothing to wait for and no check of its
    // own to run: what the job publishes of its progress can wait for the batch's end.
    bool siguienteEnMano() const;
    // The record validator on the column list as it stands, or an empty result when the layout has none.
    KovRespuesta checkFuncion();
    // For tests and the benchmark: every book is read on its job's thread alone, one line at a time.
    static void setLecturaEnLinea(bool enLinea);

    void addError(int cod, int fil, int col);
    // Entries without a column of their own take `col`.
    void addError(const KovRespuesta &respuesta, int fil, int col);
    void addAcumulador(const KovRespuesta &respuesta);
    // Folded as they arrive: auxResumen holds one element per name and period, "valor" its running total.
    void addPerAcumulador(const KovRespuesta &respuesta);
    void addAgregador(const KovRespuesta &respuesta);
    void addCasillas(const KovRespuesta &respuesta);

    void generaResumen();
    void recopilaPerAcumulador();

    // Starts copying the book under a temporary name, beside the reading; copyDetail() keeps the copy, and
    // closeHandles() drops a copy not kept.
    void iniciaCopia();
    // Drops the copy without waiting for the block in hand, for a job that must end whatever its book.
    void abandonaCopia();
    // Ends the copy that iniciaCopia() started, or makes one now; the copy reaches its name with the job's other
    // result files. False, with error 999, when it could not be made whole, or when `basta`, asked while the copy
    // is waited for, gave it up: nothing of it is left then.
    bool copyDetail(const std::function<bool()> &basta = std::function<bool()>());
    void generaHash();
    void generateHashDetail();
    void createFileResumen(QList<QVariant> *lista);
    void createFileAgregado(QList<QVariant> *lista);
    void createFileCasillas(QList<QVariant> *lista);
    bool closeHandles();
    void completaInfoPdf();
    // Moves the result files written so far into their names, as one set; the summary does it itself, a cancelled
    // job calls it for its copy. On a failure no file of the set is left, its names are cleared and 999 is recorded.
    bool publicaArchivos();

    qint64 getFileSize() const;
    void setNumLinea(qint64 numLinea);
    qint64 getNumLinea() const;
    int getNumErrores() const;
    bool isFilePDF() const;
    int getNumEstado7() const;
    QString getNameFileDetail() const;
    QString getNameFileResumen() const;
    QString getNameFileAgregado() const;
    QString getNameFileCasillas() const;
    QString getPathWork() const;

private:
    // Set-up (bookrequest.cpp).
    bool abreLibro();

    // Line reading (kovlibro.cpp): the reading stage (Lectura), the checks of a batch (Revision), the key stage,
    // the merge.
    struct Lectura;
    struct Revision;
    void preparaLectura();
    void guardaClaves(KovLote *lote);
    int aplicaLinea(const KovLote &lote, int i);
    void sumaTotales(const KovRespuesta &respuesta);
    bool sumasUsables(const KovLote &lote) const;
    void sumaTotalesDelLote(const KovLote &lote);
    KovRespuesta validaEnOrden(const KovLote &lote, int i);
    std::shared_ptr<KovLote> proximoLote();
    void terminaLectura();
    void anota(int cod, int fil, int col, const QString *des);

    // Totals and results (bookresults.cpp).
    void fusiona(const QVector<TotalRespuesta> &entradas, KovTotales *totales, QVector<int> *previas,
                 const QString &marca, bool nuevaConMarca);
    QString nombreDetalle() const;
    bool dentroDeBase(const QString &ruta) const;
    void escribeJson(QList<QVariant> *lista, int bandera, const QString &nombre, const QString &clave,
                     QString *nombreGuardado);
    void fallanResultados();

    KovCache cache;
    KovBerkeley indice;
    KovRules rules;
    KovControl *control;
    QList<KovColumna> columnas;
    QFile libro;
    QString ticket;
    QString codigo;
    QString periodo;
    QString path;
    QString nameFileDetail;
    QString nameFileResumen;
    QString nameFileAgregado;
    QString nameFileCasillas;
    QString pathIndice;
    FuncionRegistro funcionRegistro;
    QString ruc;
    QString hashLibro;
    QString hashDetalle;
    QString parseError;
    QString descripcion;
    qint32 ncolumnas;
    qint32 nextendidas;
    qint32 numEstado7;
    qint64 totalLineDetail;
    qint32 numErrores;
    qint64 numLinea;
    qint64 tamDetalle;
    QString pathHacolKov;
    QString pathWork;
    qint32 filePDF;
    qint32 withKeyKov;
    qint32 generateDetail;
    double estado1Debe;
    double estado1Haber;
    qint32 generateQVR;
    qint32 tipoEnvioRcRvi;
    qint32 numPerAcumuladores;
    qint32 ricTipo;

    // Engine state beyond the record: what keeps the hot path lean and the results safe.
    KovControl propio;
    ParametrosRegistro parametrosRegistro;
    bool lecturaTerminada;
    qint64 tamLibro;
    // Where each entry of the previous record's lists was found, by its rank in the record.
    QVector<int> previasResumen;
    QVector<int> previasAgregado;
    QVector<int> previasCasillas;
    QVector<int> previasPeriodos;
    // The hash taken while copying is the detail hash, and stands for the book's own while the book is provably
    // unchanged since.
    QString hashCopia;
    qint64 tamCopia;
    bool copiaHecha;
    qint64 inicioCopia;
    QByteArray firmaInicioCopia;
    QByteArray firmaLibroCopiado;
    KovCopia copia;
    QString destinoCopia;
    bool copiaPedida;
    // The job's result files until they are published, and whether one of them failed, which fails them all.
    KovResultados resultados;
    bool resultadosFallidos;
    // The error count at which the line being read stops recording errors, and whether it reached it.
    qint32 topeLinea;
    bool lineaDesbordada;

    // The stages' own state while the book is read: the reading and the checks, each shared with the threads that
    // run it; the column list the sequences are followed on, the pipeline, the batch being merged, and what stops
    // the wait for the next one.
    std::shared_ptr<Lectura> lectura;
    std::shared_ptr<Revision> revision;
    // The columns' patterns, compiled once at set-up for every checker of the book.
    std::shared_ptr<const KovPatrones> patrones;
    QList<KovColumna> columnasSecuencia;
    std::unique_ptr<KovTuberia> tuberia;
    std::shared_ptr<KovLote> lote;
    int enLote;
    std::function<bool(qint64)> interrupcion;
    bool interrumpida;
    // The batch being merged adds its totals as its sums, after its last line.
    bool sumasDelLote;
    bool lecturaIniciada;
    // The layout's own validator, which keeps nothing between records; a stand-in a test registered is called in
    // line order on the job's thread.
    bool validadorPropio;
};

// True when some element of the list equals the text exactly.
bool enLista(const QString &texto, const QStringList &lista);

#endif // KOVLIBRO_H
