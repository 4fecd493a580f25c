#ifndef BENCHLAYOUT_H
#define BENCHLAYOUT_H

#include "benchdice.h"
#include "benchline.h"

#include <QDate>
#include <QtGlobal>

#include <cstddef>

// One column of a generated book's layout, as a client sends it.
struct BenchColumn
{
    const char *longitud;
    const char *patron;
    const char *parametro;
    const char *cvacio;
    bool obligatorio;
    bool indice;
    bool acumulador;
    const char *descripcion;
};

struct BenchTable
{
    const char *codigo;
    const char *valor;
};

// Writes the line of `record` with the key numbered `key`, ended by a line feed, into `buf`; `broken` spoils its
// period so that the engine refuses the line. Returns the length, or -1 when it does not fit. `*state` receives
// the record's state digit.
typedef int (*BenchFormatLine)(char *buf, size_t size, qint64 record, qint64 key, bool broken, int *state);

// A layout of generated books: the request's own values, its columns and tables, and its line writer.
struct BenchLayoutSpec
{
    const char *codigo;
    const char *periodo;
    const char *funcion;
    const char *descripcion;
    const BenchColumn *columnas;
    int ncolumnas;
    const BenchTable *parametros;
    int nparametros;
    BenchFormatLine formatLine;
};

const BenchLayoutSpec &benchSyntheticLayout();
const BenchLayoutSpec &benchJournalLayout();
const BenchLayoutSpec &benchPurchasesLayout();
const BenchLayoutSpec &benchSalesLayout();

// The taxpayer every generated book belongs to.
extern const char kBenchRuc[];

// Patterns that several layouts share.
extern const char kBenchPatronPeriodo[];
extern const char kBenchPatronFecha[];
extern const char kBenchPatronMonto[];
extern const char kBenchTiposComprobante[];
extern const char kBenchTiposDocumento[];
extern const char kBenchMonedas[];

// Columns the real layouts declare alike.
#define BENCH_PERIOD_AND_KEY                                                                                     \
    {"8", kBenchPatronPeriodo, "", "", true, false, false, "periodo"},                                            \
        {"&40", "[A-Za-z0-9]+", "", "", true, true, false, "cuo"},                                                \
        {"&10", "[AMC][0-9]+", "", "", true, true, false, "correlativo"}
#define BENCH_DATE(name, vacio, obligatorio) {"10", kBenchPatronFecha, "", vacio, obligatorio, false, false, name}
#define BENCH_CODE(longitud, name) {longitud, "[A-Za-z0-9]+", "", "", false, false, false, name}
#define BENCH_AMOUNT(name) {"&12.2", kBenchPatronMonto, "", "", true, false, false, name}
#define BENCH_FLAG(name) {"1", "1", "", "", false, false, false, name}

// The kinds of voucher the registers' books are made of.
enum class BenchVoucher { Invoice, Receipt, CreditNote, DebitNote, Ticket, Utility, Import, Other };

// The voucher type code a kind is written as.
const char *benchVoucherType(BenchVoucher voucher);

// A kind of voucher and the draw out of a hundred below which it is drawn.
struct BenchVoucherShare
{
    BenchVoucher voucher;
    int upTo;
};

template <std::size_t N>
BenchVoucher benchDrawVoucher(const BenchVoucherShare (&shares)[N], int draw)
{
    for (const BenchVoucherShare &share : shares) {
        if (draw < share.upTo)
            return share.voucher;
    }
    return shares[N - 1].voucher;
}

// Writes the voucher's series: electronic series begin with a letter (B on receipts and on the notes that
// modify them, F elsewhere), paper ones are four digits; imports take a customs office's code.
void benchSeries(BenchLine &line, BenchDice &dice, BenchVoucher voucher, bool paper, bool modifiesReceipt);

// A person's identity document number, eight digits.
void benchDni(BenchLine &line, qint64 person);

// A taxpayer number of eleven digits with its check digit, for the company numbered `id`.
void benchRuc(char out[12], qint64 id);

// The book period of the real layouts, as a date in its month; a record of an earlier period is `back` months
// before it.
QDate benchMonth(int back);

#endif // BENCHLAYOUT_H
