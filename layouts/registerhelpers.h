#ifndef REGISTERHELPERS_H
#define REGISTERHELPERS_H

#include "conjuntocodigos.h"
#include "kovtypes.h"
#include "montos.h"
#include "nombrefijo.h"

#include <QList>
#include <QString>
#include <QVariant>

#include <cstddef>
#include <initializer_list>
#include <vector>

class KovColumna;

// What the purchase and the sales registers share: the record parameters, the amount of a column, the
// indicator columns, the checks both families make alike, the tables of their totals and boxes, and the one
// frame every register validator runs in. Internal to the register validators.
namespace registros {

// A fixed table handed to a routine that walks it; built from a static array by `filas`.
template <typename T>
struct Filas
{
    const T *primera;
    std::size_t cuantas;

    const T *begin() const { return primera; }
    const T *end() const { return primera + cuantas; }
};

template <typename T, std::size_t N>
constexpr Filas<T> filas(const T (&tabla)[N])
{
    return {tabla, N};
}

// ---- Record parameters and amounts ----

// A record parameter looked up without inserting it; an absent key (or no map) reads as an empty value.
QVariant parametro(const ParametrosRegistro *parametros, const QString &clave);

// The job's switches ("generateDetail", "generateQVR") are on only when their integer value is exactly 1.
bool activado(const ParametrosRegistro *parametros, const QString &clave);

// Every total, box and comparison of the registers reads an amount through Montos (montos.h).

// ---- Record checks both families make alike ----

// What a date column holds when it has no date.
QString fechaVacia();

// An indicator holds "1" or nothing; any other text is error 5 at its column. True when it holds "1".
bool indicador(KovRespuesta *resp, QList<KovColumna> *cols, int col);

// An indicator column counted under its key.
struct Indicador
{
    int col;
    NombreFijo clave;
};

// Every key is declared before any record is counted, so the keys stand in the summary in table order.
void contarIndicadores(KovRespuesta *resp, QList<KovColumna> *cols, Filas<Indicador> indicadores);

// A date compared with the book's period and then with the record's own, each failure worded at the column;
// with `mesSiguiente` the date may reach into the month after either period. `reportar` is handed to the
// date rule, which then words a late date itself.
void fechaContraPeriodos(KovRespuesta *resp, QList<KovColumna> *cols, int col, const QString &periodoLibro,
                         const QString &periodoRegistro, bool mesSiguiente, bool reportar);

// The voucher rule of a family: purchases or sales.
typedef bool (*ReglaComprobante)(KovRespuesta *resp, QList<KovColumna> *cols, int colEstado, int colTipo,
                                 int colSerie, int colNumero, const QString &libro);

// Where a voucher's numbers stand in a register's record, its book code and its family's voucher rule.
struct ColumnasComprobante
{
    int estado;
    int tipo;
    int serie;
    int segundoNumero;
    const char *libro;
    ReglaComprobante regla;
};

// The second number, allowed only for some voucher types, where it must not be a negative whole number. Once
// the first voucher check passed (`comprobante`), a filled one is checked as the voucher's number. Returns
// whether the column is filled.
bool segundoNumero(KovRespuesta *resp, QList<KovColumna> *cols, const ColumnasComprobante &k, bool permitido,
                   bool comprobante);

// The identity document of the supplier or customer: its type and number and a third column, all required
// unless `opcional`; the type and number are checked together once either is there.
void documentoIdentidad(KovRespuesta *resp, QList<KovColumna> *cols, int colTipo, int colNumero, int colNombre,
                        bool opcional);

// The voucher a note modifies: type, series and number are all required, and checked together once the type
// is there.
void comprobanteReferido(KovRespuesta *resp, QList<KovColumna> *cols, int colTipo, int colSerie, int colNumero);

// ---- Names ----

// The suffixes of the names of detailed totals: "_e" and a state digit (the digit itself), "_to" over all states
// and "_e16" over states "1" and "6".
const int kSufijoTotal = 10;
const int kSufijoE16 = 11;
const int kSufijos = 12;

// The suffix of a state of one digit; -1 for any other text, which no name has.
int sufijoEstado(const QString &estado);

// The names of one family of detailed totals, one per suffix, made once (NombreFijo).
class NombresFamilia
{
public:
    // Written as the tables write a family, so a table keeps its rows as they read.
    NombresFamilia(const char *familia);

    const QString &operator[](int sufijo) const { return nombres[sufijo].texto(); }

private:
    std::vector<NombreFijo> nombres;
};

// ---- Totals ----

// The column of a general total that is not fed by an amount: declared with 0.0, or counted with 1.0.
const int kDeclarado = 0;
const int kCuenta = -1;

// A row of a general-totals table: the total's name, the column that feeds it (or kDeclarado, kCuenta) and
// the state a record must be in to feed it (nullptr: any state).
struct TotalGeneral
{
    NombreFijo nombre;
    int col;
    const char *estado;
};

// A general variant's totals: its rows in order, then the states (digits) it counts, all declared before the
// record's own is counted once ("cnt_reg_e" and the state).
struct TotalesGenerales
{
    Filas<TotalGeneral> filas;
    Filas<int> estadosContados;
};

void totalesGenerales(KovRespuesta *resp, const Montos &montos, const QString &estado,
                      const TotalesGenerales &totales);

// Names of detailed totals: a family name and its suffixes, in order ("_e" and a state digit, "_e16", "_to").
struct FamiliaClaves
{
    const char *familia;
    const char *sufijos[6];
};

// A variant's declared names, in their order.
typedef std::vector<NombreFijo> Claves;

// Every name of the tables, family by family, in table order: a detailed variant's declared totals.
Claves clavesDeclaradas(std::initializer_list<Filas<FamiliaClaves>> tablas);

// Declaring every name with 0.0 on every record keeps the summary's names and their order fixed from the first
// record on, whatever it holds.
void declara(KovRespuesta *resp, const Claves &claves);

// The record counts that every detailed variant keeps: all records, records of the book's own period and
// records of an earlier period.
const NombresFamilia &cuentaRegistros();
const NombresFamilia &cuentaRegistrosPeriodo();
const NombresFamilia &cuentaRegistrosAnteriores();

// The voucher types of an invoice, a credit note and a debit note; any other type is of the class "otro".
struct ClasesComprobante
{
    ConjuntoCodigos facturas;
    ConjuntoCodigos notasCredito;
    ConjuntoCodigos notasDebito;
};

enum class Clase { Factura, NotaCredito, NotaDebito, Otro };

// How the detailed variants count a record: by currency ("cnt_cdp_mn" for "PEN", else "cnt_cdp_me"), and by
// voucher class and medium together ("cnt_fact_fisi" for an invoice whose series is digits only, a paper voucher;
// "elec" for any other series).
struct Clasificacion
{
    Clase clase;
    const NombresFamilia *moneda;
    const NombresFamilia *claseMedio;
};

Clasificacion clasifica(QList<KovColumna> *cols, int colMoneda, int colSerie, int colTipo,
                        const ClasesComprobante &clases);

// One currency count and one class count for the suffix.
void conteosClase(KovRespuesta *resp, const Clasificacion &c, int sufijo);

// ---- Boxes ----

// Whether a box takes any amount or only one that passes the entry test ("0" and "0.00" count as entered,
// any other zero does not).
enum class Ingreso { Cualquiera, Probado };

bool entraEnCasilla(Ingreso ingreso, QList<KovColumna> *cols, const Montos &montos, int col);

// ---- The frame ----

// What a register layout does around its totals: the record checks, which return the verdict of the first
// voucher check (the gate of the detailed totals); the box entries, when the job asks for them (nullptr for
// a layout without boxes); and the columns of the aggregates.
struct LayoutRegistro
{
    bool (*revisa)(KovRespuesta *resp, QList<KovColumna> *cols, const Montos &montos,
                   ParametrosRegistro *parametros);
    void (*casillas)(KovRespuesta *resp, QList<KovColumna> *cols, const Montos &montos);
    int colTipo;
    int colEstado;
    int colMonto;
};

// A layout's variant: the general totals, or the detailed ones (the names declared on every record, in their
// order, and what a record past the voucher gate adds to them).
struct VarianteRegistro
{
    const LayoutRegistro &layout;
    const TotalesGenerales *generales;
    Claves declaradas;
    void (*detallados)(KovRespuesta *resp, QList<KovColumna> *cols, const Montos &montos);
};

// Every register validator: the record checks, the variant's totals, the boxes and the aggregates, each on every
// record whatever an earlier step reported. The aggregates are two per voucher type and state, taken as
// written so that a wrong state still has its keys, with one detail line.
KovRespuesta validarRegistro(QList<KovColumna> *cols, ParametrosRegistro *parametros,
                             const VarianteRegistro &variante);

} // namespace registros

#endif // REGISTERHELPERS_H
