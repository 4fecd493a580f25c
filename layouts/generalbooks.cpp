#include "generalbooks.h"

#include "datechecks.h"
#include "fieldchecks.h"
#include "kovcolumna.h"
#include "montos.h"
#include "nombrefijo.h"
#include "otherrules.h"
#include "othervoucher.h"
#include "rulehelpers.h"
#include "textoparametro.h"

#include <QtGlobal>

namespace {

// How a layout's record period is held against the book's period.
enum class Periodo {
    Mensual,       // a month (day 00)
    Diario,        // a real day; book 03 also checks the opportunity code of the file name once it passes
    DiarioSinDia,  // a real day, compared by its month
    Anual,         // a year (month and day 00), from 2010 on
    AnualMensual   // a month of an annual book, from 2010 on
};

const int anioMinimoAnual = 2010;

// The record period, the first column of every layout of these books; the period checks report there.
const int kPeriodo = 1;

// A column that a layout does not have.
const int kSinColumna = 0;

// What every validator of these books shares besides its own steps.
struct Marco
{
    int columnaEstado;
    Periodo periodo;
    bool cuentaDetalle = true;
};

// One line on its way through its validator: the columns, what the parameters give and the result so far.
// Columns are read through getData, so a layout narrower than its validator reads empty texts, never past
// the list.
struct Registro
{
    Registro(QList<KovColumna> *cols, const ParametrosRegistro *params, int columnaEstado)
        : cols(cols), montos(cols), estado(getData(cols, columnaEstado)), periodo(getData(cols, kPeriodo)),
          periodoLibro(params, QStringLiteral("periodo"))
    {
    }

    QList<KovColumna> *cols;
    Montos montos;
    KovRespuesta resp;
    QString estado;
    QString periodo;
    TextoParametro periodoLibro;
    bool periodoValido = false;

    QString texto(int col) const { return getData(cols, col); }
    double monto(int col) const { return montos[col]; }
    bool noCero(int col) const { return !montos.lectura(col).esCero(); }
    bool vacio(int col) const { return texto(col).isEmpty(); }
    bool es(int col, const char *valor) const { return texto(col) == QLatin1String(valor); }
    bool esEstado(const char *valor) const { return estado == QLatin1String(valor); }

    void total(const char *nombre, double valor) { resp.addAcumulador(QLatin1String(nombre), valor); }
    void totalDe(const char *nombre, int col) { total(nombre, monto(col)); }
    // The names that most records hand out come from tables of names made once.
    void total(const NombreFijo &nombre, double valor) { resp.addAcumulador(nombre.texto(), valor); }
    void totalDe(const NombreFijo &nombre, int col) { total(nombre, monto(col)); }
    // The absolute values of columns desde to hasta, added in column order.
    double absolutos(int desde, int hasta) const
    {
        double suma = 0.0;
        for (int col = desde; col <= hasta; ++col)
            suma += qAbs(monto(col));
        return suma;
    }

    // A date that must not lie after the month (or day, or year) of the record period; looked at only when
    // the record's period itself held.
    void fecha(int col)
    {
        if (periodoValido)
            checkFechaConPeriodo(&resp, cols, col, periodo, false, true);
    }

    void ceroDecimal(int desde, int hasta)
    {
        for (int col = desde; col <= hasta; ++col)
            checkCeroDecimal(&resp, cols, col);
    }
};

// A total fed by one column, signed.
struct TotalColumna
{
    const char *nombre;
    int col;
};

// Adds the totals in table order; a row without a name ends a table shorter than its array.
template <size_t N>
void sumarColumnas(Registro &r, const TotalColumna (&totales)[N])
{
    for (const TotalColumna &t : totales) {
        if (t.nombre)
            r.totalDe(t.nombre, t.col);
    }
}

bool checkPeriodo(Registro &r, Periodo periodo)
{
    const int estado = enteroTexto(r.estado);
    switch (periodo) {
    case Periodo::Mensual:
        return checkPeriodoConLibro(&r.resp, kPeriodo, estado, r.periodo, r.periodoLibro.texto(), false, false);
    case Periodo::Diario:
        return checkPeriodoConLibro(&r.resp, kPeriodo, estado, r.periodo, r.periodoLibro.texto(), true, false);
    case Periodo::DiarioSinDia:
        return checkPeriodoConLibro(&r.resp, kPeriodo, estado, r.periodo, r.periodoLibro.texto(), true, true);
    case Periodo::Anual:
        return checkAnualConLibro(&r.resp, kPeriodo, estado, r.periodo, r.periodoLibro.texto(), false, anioMinimoAnual);
    case Periodo::AnualMensual:
        return checkAnualConLibro(&r.resp, kPeriodo, estado, r.periodo, r.periodoLibro.texto(), true, anioMinimoAnual);
    }
    return false;
}

// The frame of every validator of these books: the line's state and record period, the checks that run
// before the period (only the journal and the ledger have any), the period check and, for book 03, the
// opportunity check; then the layout's own steps, which end with its totals and state counts; and the line
// counted as one detail line.
template <typename Previos, typename Propios>
KovRespuesta validar(QList<KovColumna> *cols, ParametrosRegistro *params, const Marco &marco, Previos previos,
                     Propios propios)
{
    Registro r(cols, params, marco.columnaEstado);
    previos(r);
    r.periodoValido = checkPeriodo(r, marco.periodo);
    if (marco.periodo == Periodo::Diario && r.periodoValido)
        checkPeriodoCodigoOportunidad(&r.resp, enteroTexto(r.estado), r.periodo,
                                      TextoParametro(params, QStringLiteral("path")).texto());
    propios(r);
    if (marco.cuentaDetalle)
        r.resp.addCounterDetail();
    return r.resp;
}

template <typename Propios>
KovRespuesta validar(QList<KovColumna> *cols, ParametrosRegistro *params, const Marco &marco, Propios propios)
{
    return validar(cols, params, marco, [](Registro &) {}, propios);
}

// The state counts: a state text of exactly "1", "8" or "9" counts under its own name.
struct CuentaEstado
{
    const char *estado;
    NombreFijo nombre;
};

const CuentaEstado cuentasEstado[] = {
    { "1", "cnt_reg_e1" },
    { "8", "cnt_reg_e8" },
    { "9", "cnt_reg_e9" },
};

// Every record names the three counts, so a book's summary holds them even when no record had that state.
void declararEstados(Registro &r)
{
    for (const CuentaEstado &c : cuentasEstado)
        r.total(c.nombre, 0.0);
}

// The record's own count. A state "1" record of the books that keep a debit and a credit also adds those
// two amounts to the state-1 sums.
void sumarEstado(Registro &r, int colDebe = kSinColumna, int colHaber = kSinColumna)
{
    for (const CuentaEstado &c : cuentasEstado) {
        if (!r.esEstado(c.estado))
            continue;
        r.total(c.nombre, 1.0);
        if (colDebe != kSinColumna && r.esEstado("1")) {
            r.resp.addEstado1Debe(r.monto(colDebe));
            r.resp.addEstado1Haber(r.monto(colHaber));
        }
        return;
    }
}

void contarEstados(Registro &r)
{
    declararEstados(r);
    sumarEstado(r);
}

// ---- Debit and credit detail (books 01 and 03) ----

namespace libro010100 {
const int kTipoComprobante = 8;
const int kSerie = 9;
const int kNumero = 10;
const int kFechaContable = 11;
const int kFechaOperacion = 13;
const int kDebe = 16;
const int kHaber = 17;
const int kDatoEstructurado = 18;
const int kEstado = 19;
} // namespace libro010100

namespace libro010200 {
const int kFechaOperacion = 6;
const int kTipoDocumento = 9;
const int kNumeroDocumento = 10;
const int kDebe = 13;
const int kHaber = 14;
const int kEstado = 15;
} // namespace libro010200

namespace libro030200 {
const int kEntidadFinanciera = 3;
const int kNumeroCuenta = 4;
const int kSaldoDeudor = 6;
const int kSaldoAcreedor = 7;
const int kEstado = 8;
} // namespace libro030200

// Debit and credit columns: both filled, a zero written "0.00", and not both non-zero. The detail books,
// the journal and the ledger call the exclusion rule only when both amounts are non-zero, so two zeros
// pass; book 030200 calls it on every record, so two zeros fail there.
void debeHaber(Registro &r, int colDebe, int colHaber, bool siempreExcluyente)
{
    checkObligatorio(&r.resp, r.cols, colDebe, QString());
    checkObligatorio(&r.resp, r.cols, colHaber, QString());
    checkCeroDecimal(&r.resp, r.cols, colDebe);
    checkCeroDecimal(&r.resp, r.cols, colHaber);
    if (siempreExcluyente || (r.noCero(colDebe) && r.noCero(colHaber)))
        checkMontoExcluyente(&r.resp, r.cols, colDebe, colHaber);
}

// The names of a book's debit and credit totals.
struct NombresDebeHaber
{
    NombreFijo debe;
    NombreFijo haber;
};

const NombresDebeHaber kTotalesDetalle = { "mto_total_deudor", "mto_total_acreedor" };
const NombresDebeHaber kTotalesDiario = { "mto_debe_t", "mto_haber_t" };

// The debit and credit totals, which only state "1" records feed, with the state counts; `estadosPrimero`
// puts the counts' zero entries before the two totals' (book 030200), which is where its summary lists them.
void totalesDebeHaber(Registro &r, const NombresDebeHaber &nombres, int colDebe, int colHaber, bool estadosPrimero)
{
    if (estadosPrimero)
        declararEstados(r);
    r.total(nombres.debe, 0.0);
    r.total(nombres.haber, 0.0);
    if (!estadosPrimero)
        declararEstados(r);
    if (r.esEstado("1")) {
        r.totalDe(nombres.debe, colDebe);
        r.totalDe(nombres.haber, colHaber);
    }
    sumarEstado(r, colDebe, colHaber);
}

// A date held against the book's month and then against the record's, each finding worded by the
// validator; a text that is not a date gets error 13 from both and no message.
void fechaConMensajes(Registro &r, int col)
{
    if (!checkFechaConPeriodo(&r.resp, r.cols, col, r.periodoLibro.texto(), false, false))
        r.resp.addError(QStringLiteral("La fecha debe ser menor o igual al periodo informado"), col);
    if (!checkFechaConPeriodo(&r.resp, r.cols, col, r.periodo, false, false))
        r.resp.addError(QStringLiteral("La fecha debe ser menor o igual al periodo señalado en el campo 1"), col);
}

// ---- Journal, chart of accounts and ledger (books 05 and 06) ----

// The journal (050100, 050200) and the ledger (060100) keep one column arrangement.
namespace librosDiario {
const int kTipoDocumento = 8;
const int kNumeroDocumento = 9;
const int kTipoComprobante = 10;
const int kSerie = 11;
const int kNumero = 12;
const int kFechaContable = 13;
const int kFechaOperacion = 15;
const int kDebe = 18;
const int kHaber = 19;
const int kDatoEstructurado = 20;
const int kEstado = 21;
} // namespace librosDiario

// The two charts of accounts (050300, 050400).
namespace librosPlan {
const int kPlan = 4;
const int kDescripcionPlan = 5;
const int kCuentaCorporativa = 6;
const int kDescripcionCorporativa = 7;
const int kEstado = 8;
} // namespace librosPlan

// The journal and the ledger: the same record, told apart by how their dates are checked.
KovRespuesta diarioMayor(QList<KovColumna> *cols, ParametrosRegistro *params, void (*fechas)(Registro &))
{
    using namespace librosDiario;
    const auto previos = [](Registro &r) {
        checkTipoDocumento(&r.resp, r.cols, kTipoDocumento, kNumeroDocumento);
        checkCdpTipSerNumOtros(&r.resp, r.cols, kTipoComprobante, kSerie, kNumero);
    };
    return validar(cols, params, { kEstado, Periodo::Mensual }, previos, [fechas](Registro &r) {
        if (r.periodoValido)
            fechas(r);
        debeHaber(r, kDebe, kHaber, false);
        if (!r.vacio(kDatoEstructurado))
            checkDatoEstructurado(&r.resp, r.cols, kDatoEstructurado);
        totalesDebeHaber(r, kTotalesDiario, kDebe, kHaber, false);
    });
}

// The chart of accounts; `vacioCuenta` is what stands for a missing plan description when the plan is "99".
KovRespuesta planCuentas(QList<KovColumna> *cols, ParametrosRegistro *params, const QString &vacioCuenta)
{
    using namespace librosPlan;
    return validar(cols, params, { kEstado, Periodo::DiarioSinDia }, [&vacioCuenta](Registro &r) {
        if (r.es(kPlan, "99"))
            checkObligatorio(&r.resp, r.cols, kDescripcionPlan, vacioCuenta);
        if (!r.vacio(kCuentaCorporativa))
            checkObligatorio(&r.resp, r.cols, kDescripcionCorporativa, QStringLiteral("-"));
        contarEstados(r);
    });
}

// ---- Withholdings (book 04) ----

namespace libro040100 {
const int kFecha = 4;
const int kTipoDocumento = 5;
const int kNumeroDocumento = 6;
const int kMontoBruto = 8;
const int kRetencion = 9;
const int kEstado = 10;
} // namespace libro040100

// ---- Statement items (book 03) ----

// A section of a statement: the item codes whose amounts it sums.
struct Rubro
{
    const char *total;
    QStringList codigos;
};

// The balance sheet sums each section twice, under two names that always hold the same sum.
struct RubroBalance
{
    const char *total1;
    const char *total;
    QStringList codigos;
};

const RubroBalance rubrosBalance[] = {
    { "mto_activo_t1", "mto_activo_t",
      { QStringLiteral("1D020T"), QStringLiteral("1F2001"), QStringLiteral("1E02ST"), QStringLiteral("1C020T"),
        QStringLiteral("1I020T"), QStringLiteral("1T020T") } },
    { "mto_pasivo_t1", "mto_pasivo_t",
      { QStringLiteral("1D040T"), QStringLiteral("1F3101"), QStringLiteral("1E0501"), QStringLiteral("1C040T"),
        QStringLiteral("1I040T"), QStringLiteral("1T050T") } },
    { "mto_patrimonio_t1", "mto_patrimonio_t",
      { QStringLiteral("1D07ST"), QStringLiteral("1F3306"), QStringLiteral("1E0901"), QStringLiteral("1C07ST"),
        QStringLiteral("1I07ST"), QStringLiteral("1T07ST") } },
};

const Rubro rubrosFlujo[] = {
    { "mto_ctas_oper",
      { QStringLiteral("3D01ST"), QStringLiteral("3F0501"), QStringLiteral("3E0301"), QStringLiteral("3C01ST"),
        QStringLiteral("3I01ST") } },
    { "mto_ctas_ivers",
      { QStringLiteral("3D02ST"), QStringLiteral("3F0701"), QStringLiteral("3E0408"), QStringLiteral("3C02ST") } },
    { "mto_ctas_financ",
      { QStringLiteral("3D03ST"), QStringLiteral("3F0901"), QStringLiteral("3E0507"), QStringLiteral("3C03ST"),
        QStringLiteral("3I02ST") } },
};

const Rubro rubrosResultados[] = {
    { "mto_utilidad_neta",
      { QStringLiteral("2D07ST"), QStringLiteral("2F1901"), QStringLiteral("2E2101"), QStringLiteral("2C07ST"),
        QStringLiteral("2I06ST"), QStringLiteral("2T05ST") } },
};

// The statement items books (030100, 031800, 032000, 032300, 032400, 032500) keep one column arrangement.
namespace librosRubro {
const int kCatalogo = 2;
const int kRubro = 3;
const int kMonto = 4;
const int kEstado = 5;
} // namespace librosRubro

// With catalogue "01" the item code must begin with the statement's digit; an empty code has none.
void codigoRubro(Registro &r, QChar digito)
{
    using namespace librosRubro;
    if (r.es(kCatalogo, "01") && !r.texto(kRubro).startsWith(digito))
        r.resp.addError(29, kRubro);
}

// The cash-flow and income statements: the item's amount in the statement total, the counts, and the amount
// again in the section its code belongs to.
template <size_t N>
void rubrosEstado(Registro &r, QChar digito, const Rubro (&rubros)[N])
{
    using namespace librosRubro;
    codigoRubro(r, digito);
    r.totalDe("mto_total_t", kMonto);
    declararEstados(r);
    for (const Rubro &rubro : rubros)
        r.total(rubro.total, 0.0);
    sumarEstado(r);
    for (const Rubro &rubro : rubros) {
        if (inList(r.texto(kRubro), rubro.codigos))
            r.totalDe(rubro.total, kMonto);
    }
}

// ---- Account balances (book 03) ----

// An identity document: its type and number columns.
struct Documento
{
    int tipo;
    int numero;
};

// A voucher: its type, series and number columns.
struct Comprobante
{
    int tipo;
    int serie;
    int numero;
};

const Documento kSinDocumento = { kSinColumna, kSinColumna };
const Comprobante kSinComprobante = { kSinColumna, kSinColumna, kSinColumna };

// A total of the absolute values of columns desde to hasta; without a name there is none.
struct SumaAbsolutos
{
    const char *nombre;
    int desde;
    int hasta;
};

const SumaAbsolutos kSinAbsolutos = { nullptr, kSinColumna, kSinColumna };

// One balance book: where its state, date, document and voucher stand (kSinColumna where it has none), the
// columns whose zero must be "0.00", its totals in order and, for two of them, a total of absolute values added
// after the state counts. Each book keeps its row beside its columns.
struct Saldo
{
    int estado;
    int fecha;
    Documento documento;
    Comprobante comprobante;
    int ceros[2];
    TotalColumna totales[3];
    SumaAbsolutos absolutos;
};

// Books 030300, 030400 and 030500.
namespace libro030300 {
const int kTipoDocumento = 4;
const int kNumeroDocumento = 5;
const int kFechaEmision = 7;
const int kSaldoFinal = 8;
const int kEstado = 9;

const Saldo kSaldo = { kEstado, kFechaEmision, { kTipoDocumento, kNumeroDocumento }, kSinComprobante, { kSaldoFinal },
                       { { "mto_total_saldo_fin_t", kSaldoFinal } }, kSinAbsolutos };
} // namespace libro030300

namespace libro030600 {
const int kTipoDocumento = 4;
const int kNumeroDocumento = 5;
const int kTipoComprobante = 7;
const int kSerie = 8;
const int kNumero = 9;
const int kFechaEmision = 10;
const int kSaldoFinal = 11;
const int kEstado = 12;

const Saldo kSaldo = { kEstado, kFechaEmision, { kTipoDocumento, kNumeroDocumento },
                       { kTipoComprobante, kSerie, kNumero }, { kSaldoFinal },
                       { { "mto_total_saldo_fin_t", kSaldoFinal } }, kSinAbsolutos };
} // namespace libro030600

namespace libro030700 {
const int kCantidad = 9;
const int kCostoUnitario = 10;
const int kCostoTotal = 11;
const int kEstado = 12;

const Saldo kSaldo = { kEstado, kSinColumna, kSinDocumento, kSinComprobante, { kCostoUnitario, kCostoTotal },
                       { { "cnt_existencia", kCantidad }, { "mto_costo_general_t", kCostoTotal } }, kSinAbsolutos };
} // namespace libro030700

namespace libro030800 {
const int kTipoDocumento = 4;
const int kNumeroDocumento = 5;
const int kCantidadTitulos = 9;
const int kCosto = 10;
const int kProvision = 11;
const int kEstado = 12;

const Saldo kSaldo = { kEstado, kSinColumna, { kTipoDocumento, kNumeroDocumento }, kSinComprobante,
                       { kCosto, kProvision },
                       { { "cnt_titulos", kCantidadTitulos }, { "mto_val_libros_cto_t", kCosto },
                         { "mto_val_libros_provis_t", kProvision } },
                       { "mto_valor_libro_neto_t", kCosto, kProvision } };
} // namespace libro030800

namespace libro030900 {
const int kFechaInicio = 4;
const int kValorContable = 7;
const int kAmortizacion = 8;
const int kEstado = 9;

const Saldo kSaldo = { kEstado, kFechaInicio, kSinDocumento, kSinComprobante, { kValorContable, kAmortizacion },
                       { { "mto_val_cont_intangible_t", kValorContable }, { "mto_val_cont_amortiz_t", kAmortizacion } },
                       { "mto_neto_intan_t", kValorContable, kAmortizacion } };
} // namespace libro030900

namespace libro031100 {
const int kTipoDocumento = 5;
const int kNumeroDocumento = 6;
const int kSaldoFinal = 9;
const int kEstado = 10;

const Saldo kSaldo = { kEstado, kSinColumna, { kTipoDocumento, kNumeroDocumento }, kSinComprobante, { kSaldoFinal },
                       { { "mto_saldo_t1", kSaldoFinal } }, kSinAbsolutos };
} // namespace libro031100

namespace libro031200 {
const int kTipoDocumento = 4;
const int kNumeroDocumento = 5;
const int kFechaEmision = 6;
const int kSaldoFinal = 8;
const int kEstado = 9;

const Saldo kSaldo = { kEstado, kFechaEmision, { kTipoDocumento, kNumeroDocumento }, kSinComprobante, { kSaldoFinal },
                       { { "mto_saldo_t1", kSaldoFinal } }, kSinAbsolutos };
} // namespace libro031200

namespace libro031300 {
const int kTipoDocumento = 4;
const int kNumeroDocumento = 5;
const int kFechaEmision = 6;
const int kSaldoFinal = 9;
const int kEstado = 10;

const Saldo kSaldo = { kEstado, kFechaEmision, { kTipoDocumento, kNumeroDocumento }, kSinComprobante, { kSaldoFinal },
                       { { "mto_saldo_t1", kSaldoFinal } }, kSinAbsolutos };
} // namespace libro031300

namespace libro031400 {
const int kTipoDocumento = 4;
const int kNumeroDocumento = 5;
const int kSaldoFinal = 7;
const int kEstado = 8;

const Saldo kSaldo = { kEstado, kSinColumna, { kTipoDocumento, kNumeroDocumento }, kSinComprobante, { kSaldoFinal },
                       { { "mto_total_saldo_fin_t", kSaldoFinal } }, kSinAbsolutos };
} // namespace libro031400

KovRespuesta validarSaldo(QList<KovColumna> *cols, ParametrosRegistro *params, const Saldo &s)
{
    return validar(cols, params, { s.estado, Periodo::Diario }, [&s](Registro &r) {
        if (s.fecha != kSinColumna)
            r.fecha(s.fecha);
        if (s.documento.tipo != kSinColumna)
            checkTipoDocumento(&r.resp, r.cols, s.documento.tipo, s.documento.numero);
        if (s.comprobante.tipo != kSinColumna)
            checkCdpTipSerNumOtros(&r.resp, r.cols, s.comprobante.tipo, s.comprobante.serie, s.comprobante.numero);
        for (int col : s.ceros) {
            if (col != kSinColumna)
                checkCeroDecimal(&r.resp, r.cols, col);
        }
        sumarColumnas(r, s.totales);
        contarEstados(r);
        if (s.absolutos.nombre)
            r.total(s.absolutos.nombre, r.absolutos(s.absolutos.desde, s.absolutos.hasta));
    });
}

// The movements of book 031500, summed for state "1" records of the accounts of two lists.
struct Movimiento
{
    QStringList cuentas;
    TotalColumna totales[3];  // balance, additions and deductions
};

namespace libro031500 {
const int kTipoComprobante = 4;
const int kSerie = 5;
const int kNumero = 6;
const int kCuenta = 7;
const int kSaldoFinal = 9;
const int kAdiciones = 10;
const int kDeducciones = 11;
const int kEstado = 12;

const Movimiento movimientos[] = {
    { { QStringLiteral("3711"), QStringLiteral("3712"), QStringLiteral("3721"), QStringLiteral("3722") },
      { { "mto_sf_3", kSaldoFinal }, { "mto_adi_3", kAdiciones }, { "mto_ded_3", kDeducciones } } },
    { { QStringLiteral("4911"), QStringLiteral("4912"), QStringLiteral("4921"), QStringLiteral("4922") },
      { { "mto_sf_4", kSaldoFinal }, { "mto_adi_4", kAdiciones }, { "mto_ded_4", kDeducciones } } },
};
} // namespace libro031500

// Named with zero on every record of book 031500, ahead of the state counts.
const char *const ceroMovimientos[] = {
    "cnt_reg_sf_e1", "cnt_reg_adi_e1", "cnt_reg_ded_e1", "mto_sf_3", "mto_sf_4", "mto_adi_3", "mto_adi_4",
    "mto_ded_3", "mto_ded_4",
};

// Counted once more for every state "1" record, whatever its account.
const char *const cuentasEstado1[] = { "cnt_reg_sf_e1", "cnt_reg_adi_e1", "cnt_reg_ded_e1" };

// ---- Capital and shareholders (book 03) ----

namespace libro031601 {
const int kCapitalSocial = 2;
const int kAccionesSuscritas = 4;
const int kAccionesPagadas = 5;
const int kEstado = 6;
} // namespace libro031601

namespace libro031602 {
const int kTipoDocumento = 2;
const int kNumeroDocumento = 3;
const int kPorcentaje = 7;
const int kEstado = 8;
} // namespace libro031602

// ---- Trial balance and changes in equity (book 03) ----

namespace libro031700 {
const int kSaldoDeudorInicial = 3;
const int kSaldoAcreedorInicial = 4;
const int kMovimientoDebe = 5;
const int kMovimientoHaber = 6;
const int kSumaDebe = 7;
const int kSumaHaber = 8;
const int kSaldoDeudorCierre = 9;
const int kSaldoAcreedorCierre = 10;
const int kTransferenciaDebe = 11;
const int kTransferenciaHaber = 12;
const int kBalanceActivo = 13;
const int kBalancePasivo = 14;
const int kResultadoPerdida = 15;
const int kResultadoGanancia = 16;
const int kAdiciones = 17;
const int kDeducciones = 18;
const int kEstado = 19;

// Every amount column under its total, in column order.
const TotalColumna balanza[] = {
    { "mto_sal_deudor_ini_t", kSaldoDeudorInicial },
    { "mto_sal_acreedor_ini_t", kSaldoAcreedorInicial },
    { "mto_mov_debe_t", kMovimientoDebe },
    { "mto_mov_haber_t", kMovimientoHaber },
    { "mto_sum_debe_t", kSumaDebe },
    { "mto_sum_haber_t", kSumaHaber },
    { "mto_sal_deudor_31dic_t", kSaldoDeudorCierre },
    { "mto_sal_acreedor_31dic_t", kSaldoAcreedorCierre },
    { "mto_trans_debe_t", kTransferenciaDebe },
    { "mto_trans_haber_t", kTransferenciaHaber },
    { "mto_cb_activo_t", kBalanceActivo },
    { "mto_cb_pasivo_t", kBalancePasivo },
    { "mto_rn_perdida_t", kResultadoPerdida },
    { "mto_rn_ganancia_t", kResultadoGanancia },
    { "mto_adicion_t", kAdiciones },
    { "mto_deduccion_t", kDeducciones },
};
} // namespace libro031700

namespace libro031900 {
const int kCapital = 4;
const int kAccionesInversion = 5;
const int kCapitalAdicional = 6;
const int kResultadoNoRealizado = 7;
const int kReservaLegal = 8;
const int kOtrasReservas = 9;
const int kResultadosAcumulados = 10;
const int kDiferenciasConversion = 11;
const int kAjustesPatrimonio = 12;
const int kResultadoNeto = 13;
const int kExcedenteRevaluacion = 14;
const int kResultado = 15;
const int kEstado = 16;

// Every amount column under its total, in column order; capital to the equity adjustments also make up the
// equity total.
const TotalColumna patrimonio[] = {
    { "mto_capital_t", kCapital },
    { "mto_acc_Inv_t", kAccionesInversion },
    { "mto_cap_adic_t", kCapitalAdicional },
    { "mto_result_no_real_t", kResultadoNoRealizado },
    { "mto_reser_legal_t", kReservaLegal },
    { "mto_otras_reser_t", kOtrasReservas },
    { "mto_result_acum_t", kResultadosAcumulados },
    { "mto_dif_conver_t", kDiferenciasConversion },
    { "mto_ajus_patri_t", kAjustesPatrimonio },
    { "mto_result_neto_t", kResultadoNeto },
    { "mto_exced_reval_t", kExcedenteRevaluacion },
    { "mto_result_t", kResultado },
};
} // namespace libro031900

// ---- Fixed assets and leasing (book 07) ----

namespace libro070100 {
const int kCatalogo = 4;
const int kSaldoInicial = 14;
const int kAdquisiciones = 15;
const int kMejoras = 16;
const int kRetirosBajas = 17;
const int kOtros = 18;
const int kRevaluacionVoluntaria = 19;
const int kRevaluacionReorganizacion = 20;
const int kOtrasRevaluaciones = 21;
const int kAjusteInflacion = 22;
const int kFechaAdquisicion = 23;
const int kFechaInicioUso = 24;
const int kMetodoDepreciacion = 25;
const int kPorcentajeDepreciacion = 27;
const int kDepreciacionAnterior = 28;
const int kDepreciacionSinRevaluacion = 29;
const int kDepreciacionRetirosBajas = 30;
const int kDepreciacionOtros = 31;
const int kDepreciacionRevaluacionVoluntaria = 32;
const int kDepreciacionRevaluacionReorganizacion = 33;
const int kDepreciacionOtrasRevaluaciones = 34;
const int kDepreciacionAjusteInflacion = 35;
const int kEstado = 36;

const TotalColumna activoFijo[] = {
    { "mto_saldo_i_t", kSaldoInicial },
    { "mto_adquis_adic_t", kAdquisiciones },
    { "mto_mejoras_t", kMejoras },
    { "mto_retiro_baja_t", kRetirosBajas },
    { "mto_otros_t", kOtros },
    { "mto_reval_volun_t", kRevaluacionVoluntaria },
    { "mto_reval_reorg_t", kRevaluacionReorganizacion },
    { "mto_otras_reval_t", kOtrasRevaluaciones },
    { "mto_ajuste_infla_t", kAjusteInflacion },
    { "mto_dep_acum_ant_t", kDepreciacionAnterior },
    { "mto_dep_sin_reval_t", kDepreciacionSinRevaluacion },
    { "mto_dep_retiro_baja_t", kDepreciacionRetirosBajas },
    { "mto_dep_otros_t", kDepreciacionOtros },
    { "mto_dep_reval_volun_t", kDepreciacionRevaluacionVoluntaria },
    { "mto_dep_reval_reorg_t", kDepreciacionRevaluacionReorganizacion },
    { "mto_dep_otras_reval_t", kDepreciacionOtrasRevaluaciones },
    { "mto_dep_ajuste_infla_t", kDepreciacionAjusteInflacion },
};
} // namespace libro070100

namespace libro070300 {
const int kCatalogo = 4;
const int kFechaAdquisicion = 6;
const int kAdquisicionME = 7;
const int kTipoCambio = 8;
const int kAdquisicionMN = 9;
const int kDepreciacionAnterior = 10;
const int kAjuste = 11;
const int kDepreciacionEjercicio = 12;
const int kDepreciacionRetirosBajas = 13;
const int kDepreciacionOtros = 14;
const int kEstado = 15;

const TotalColumna activoFijoME[] = {
    { "mto_adquis_ME_t", kAdquisicionME },
    { "mto_adquis_MN_t", kAdquisicionMN },
    { "mto_ajuste_t", kAjuste },
    { "mto_dep_ejer_t", kDepreciacionEjercicio },
    { "mto_dep_retiro_baja_t", kDepreciacionRetirosBajas },
    { "mto_dep_otros_t", kDepreciacionOtros },
};
} // namespace libro070300

namespace libro070400 {
const int kCatalogo = 4;
const int kFecha = 8;
const int kMonto = 10;
const int kEstado = 11;
} // namespace libro070400

// ---- Consignments (book 09) ----

// The columns that both consignment books (090100, 090200) keep alike.
namespace librosConsignacion {
const int kCodigo = 2;
const int kReferencia = 6;
const int kPrimeraFecha = 8;
const int kEntero = 9;
const int kSegundaFecha = 12;
const int kEnCadena1 = 13;
const int kEnCadena2 = 14;
const int kTerceraFecha = 15;
} // namespace librosConsignacion

namespace libro090100 {
const int kObligatoria = 4;
const int kTipoDocumento = 16;
const int kNumeroDocumento = 17;
const int kRecibidos = 19;
const int kDevueltos = 20;
const int kVendidos = 21;
const int kEstado = 22;
} // namespace libro090100

namespace libro090200 {
const int kRuc = 16;
const int kRecibidos = 18;
const int kDevueltos = 19;
const int kVendidos = 20;
const int kEstado = 21;
} // namespace libro090200

// Codes "3" and "9" call for a reference; any other code wants "-" there.
void referenciaConsignacion(Registro &r)
{
    using namespace librosConsignacion;
    static const QStringList conReferencia = { QStringLiteral("3"), QStringLiteral("9") };
    if (inList(r.texto(kCodigo), conReferencia))
        checkObligatorio(&r.resp, r.cols, kReferencia, QStringLiteral("-"));
    else if (!r.es(kReferencia, "-"))
        r.resp.addError(29, kReferencia);
}

// A whole number below zero, however many digits it has; any other text is left to the layout.
void enteroNoNegativo(Registro &r, int col)
{
    const QString texto = r.texto(col);
    if (esCifrasConSigno(texto) && signoCifras(texto) < 0)
        r.resp.addError(5, col);
}

// The received, returned and sold quantities: "0.00" for a zero, exactly one of them moved (returns and
// sales negative), and their totals.
void bienes(Registro &r, int recibidos, int devueltos, int vendidos)
{
    for (int col : { recibidos, devueltos, vendidos })
        checkCeroDecimal(&r.resp, r.cols, col);
    checkTripleExcluyente(&r.resp, r.cols, recibidos, devueltos, vendidos);
    r.totalDe("cnt_bienes_consig", recibidos);
    r.totalDe("cnt_bienes_devuelto", devueltos);
    r.totalDe("cnt_bienes_vendido", vendidos);
}

// ---- Costs (book 10) ----

// A signed total of columns desde to hasta.
struct Costo
{
    const char *nombre;
    int desde;
    int hasta;
};

// A cost book: its state column and period, the columns whose zero must be "0.00", its signed totals and
// the total of the absolute values of its amount columns, added after the state counts' zeros. Each book
// keeps its row beside its columns.
struct LibroCosto
{
    int estado;
    Periodo periodo;
    int ceroDesde;
    int ceroHasta;
    Costo totales[6];
    SumaAbsolutos absolutos;
};

namespace libro100100 {
const int kInventarioInicial = 2;
const int kCostoProduccion = 3;
const int kInventarioFinal = 4;
const int kAjustes = 5;
const int kEstado = 6;

const LibroCosto kCosto = {
    kEstado, Periodo::Anual, kInventarioInicial, kInventarioFinal,
    { { "mto_cost_inv_i_pt_t", kInventarioInicial, kInventarioInicial },
      { "mto_cost_prod_t", kCostoProduccion, kCostoProduccion },
      { "mto_cost_inv_f_pt_t", kInventarioFinal, kInventarioFinal },
      { "mto_ajustes_t", kAjustes, kAjustes } },
    { "mto_cost_v_t", kInventarioInicial, kAjustes },
};
} // namespace libro100100

namespace libro100200 {
const int kMateriales = 2;
const int kManoObra = 3;
const int kOtrosCostos = 4;
const int kPrimerGastoIndirecto = 5;
const int kUltimoGastoIndirecto = 7;
const int kEstado = 8;

const LibroCosto kCosto = {
    kEstado, Periodo::AnualMensual, kMateriales, kUltimoGastoIndirecto,
    { { "mto_cost_mat_d_t", kMateriales, kMateriales },
      { "mto_cost_mo_d_t", kManoObra, kManoObra },
      { "mto_otros_cost_d_t", kOtrosCostos, kOtrosCostos },
      { "mto_gastos_prod_i_t", kPrimerGastoIndirecto, kUltimoGastoIndirecto } },
    { "mto_cost_t", kMateriales, kUltimoGastoIndirecto },
};
} // namespace libro100200

namespace libro100300 {
const int kMateriales = 4;
const int kManoObra = 5;
const int kOtrosCostos = 6;
const int kPrimerGastoIndirecto = 7;
const int kUltimoGastoIndirecto = 9;
const int kProcesoInicial = 10;
const int kProcesoFinal = 11;
const int kEstado = 13;

const LibroCosto kCosto = {
    kEstado, Periodo::Anual, kMateriales, kProcesoFinal,
    { { "mto_cost_mat_d_t", kMateriales, kMateriales },
      { "mto_cost_mo_d_t", kManoObra, kManoObra },
      { "mto_otros_cost_d_t", kOtrosCostos, kOtrosCostos },
      { "mto_gastos_prod_i_t", kPrimerGastoIndirecto, kUltimoGastoIndirecto },
      { "mto_cost_inv_i_pp_t", kProcesoInicial, kProcesoInicial },
      { "mto_cost_inv_f_pp_t", kProcesoFinal, kProcesoFinal } },
    { "mto_cost_t", kMateriales, kProcesoFinal },
};
} // namespace libro100300

// Two pairs of columns: a filled first column makes the second of its pair mandatory.
namespace libro100400 {
const int kDato1 = 3;
const int kExigido1 = 4;
const int kDato2 = 5;
const int kExigido2 = 6;
const int kEstado = 7;
} // namespace libro100400

KovRespuesta validarCosto(QList<KovColumna> *cols, ParametrosRegistro *params, const LibroCosto &l)
{
    return validar(cols, params, { l.estado, l.periodo }, [&l](Registro &r) {
        r.ceroDecimal(l.ceroDesde, l.ceroHasta);
        for (const Costo &c : l.totales) {
            if (!c.nombre)
                break;
            double suma = 0.0;
            for (int col = c.desde; col <= c.hasta; ++col)
                suma += r.monto(col);
            r.total(c.nombre, suma);
        }
        declararEstados(r);
        r.total(l.absolutos.nombre, r.absolutos(l.absolutos.desde, l.absolutos.hasta));
        sumarEstado(r);
    });
}

// ---- Inventories (books 12 and 13) ----

// The columns that both inventory books (120100, 130100) keep alike.
namespace librosInventario {
const int kEstablecimiento = 4;
const int kCatalogo = 5;
const int kFechaEmision = 9;
const int kTipoComprobante = 10;
const int kSerie = 11;
const int kNumero = 12;
const int kTipoOperacion = 13;
} // namespace librosInventario

namespace libro120100 {
const int kCantidadEntradas = 16;
const int kCantidadSalidas = 17;
const int kEstado = 18;
} // namespace libro120100

namespace libro130100 {
const int kCantidadEntradas = 17;
const int kCostoUnitarioEntradas = 18;
const int kCostoTotalEntradas = 19;
const int kCantidadSalidas = 20;
const int kCostoUnitarioSalidas = 21;
const int kCostoTotalSalidas = 22;
const int kCantidadSaldo = 23;
const int kCostoUnitarioSaldo = 24;
const int kCostoTotalSaldo = 25;
const int kEstado = 26;
} // namespace libro130100

// What both inventory books check first: the date, the establishment and catalogue codes, the voucher, the
// operation type against voucher type "00", and series and number that are no negative whole numbers.
void inventario(Registro &r)
{
    using namespace librosInventario;
    static const QStringList operaciones = { QStringLiteral("01"), QStringLiteral("02"), QStringLiteral("03"),
                                             QStringLiteral("04"), QStringLiteral("05"), QStringLiteral("06") };
    r.fecha(kFechaEmision);
    if (r.texto(kEstablecimiento).trimmed().size() <= 3)
        r.resp.addError(43, kEstablecimiento);
    if (r.es(kCatalogo, "1"))
        r.resp.addError(5, kCatalogo);
    checkCdpTipSerNumOtros(&r.resp, r.cols, kTipoComprobante, kSerie, kNumero);
    if (inList(r.texto(kTipoOperacion), operaciones) && r.es(kTipoComprobante, "00"))
        r.resp.addError(QStringLiteral("Tipo de documento no válido para tipo de operación efectuada"),
                        kTipoComprobante);
    checkPositivoEnCadena(&r.resp, r.cols, kSerie);
    checkPositivoEnCadena(&r.resp, r.cols, kNumero);
}

// A quantity that is not zero makes the unit cost of its group mandatory.
void grupoValorizado(Registro &r, int cantidad, int costoUnitario)
{
    if (r.noCero(cantidad))
        checkObligatorio(&r.resp, r.cols, costoUnitario, QString());
}

} // namespace

KovRespuesta f010100(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    using namespace libro010100;
    return validar(cols, params, { kEstado, Periodo::Mensual }, [](Registro &r) {
        r.fecha(kFechaContable);
        r.fecha(kFechaOperacion);
        checkCdpTipSerNumOtros(&r.resp, r.cols, kTipoComprobante, kSerie, kNumero);
        debeHaber(r, kDebe, kHaber, false);
        if (!r.vacio(kDatoEstructurado))
            checkDatoEstructurado(&r.resp, r.cols, kDatoEstructurado);
        totalesDebeHaber(r, kTotalesDetalle, kDebe, kHaber, false);
    });
}

KovRespuesta f010200(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    using namespace libro010200;
    return validar(cols, params, { kEstado, Periodo::Mensual }, [](Registro &r) {
        r.fecha(kFechaOperacion);
        // Without a document type the number must be "-" as well.
        if (!r.es(kTipoDocumento, "-"))
            checkTipoDocumento(&r.resp, r.cols, kTipoDocumento, kNumeroDocumento);
        else if (!r.es(kNumeroDocumento, "-"))
            r.resp.addError(29, kNumeroDocumento);
        debeHaber(r, kDebe, kHaber, false);
        totalesDebeHaber(r, kTotalesDetalle, kDebe, kHaber, false);
    });
}

KovRespuesta f030200(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    using namespace libro030200;
    return validar(cols, params, { kEstado, Periodo::Diario }, [](Registro &r) {
        checkObligatorio(&r.resp, r.cols, kNumeroCuenta, QString());
        if (r.es(kEntidadFinanciera, "99") && !r.es(kNumeroCuenta, "-"))
            r.resp.addError(5, kNumeroCuenta);
        debeHaber(r, kSaldoDeudor, kSaldoAcreedor, true);
        totalesDebeHaber(r, kTotalesDetalle, kSaldoDeudor, kSaldoAcreedor, true);
    });
}

KovRespuesta f030100(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    using namespace librosRubro;
    return validar(cols, params, { kEstado, Periodo::Diario }, [](Registro &r) {
        codigoRubro(r, QLatin1Char('1'));
        for (const RubroBalance &rubro : rubrosBalance)
            r.total(rubro.total1, 0.0);
        r.total("mto_total_t", 0.0);
        declararEstados(r);
        for (const RubroBalance &rubro : rubrosBalance)
            r.total(rubro.total, 0.0);
        for (const RubroBalance &rubro : rubrosBalance) {
            if (inList(r.texto(kRubro), rubro.codigos))
                r.totalDe(rubro.total1, kMonto);
        }
        r.totalDe("mto_total_t", kMonto);
        sumarEstado(r);
        for (const RubroBalance &rubro : rubrosBalance) {
            if (inList(r.texto(kRubro), rubro.codigos))
                r.totalDe(rubro.total, kMonto);
        }
    });
}

KovRespuesta f031800(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    return validar(cols, params, { librosRubro::kEstado, Periodo::Diario },
                   [](Registro &r) { rubrosEstado(r, QLatin1Char('3'), rubrosFlujo); });
}

KovRespuesta f032000(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    return validar(cols, params, { librosRubro::kEstado, Periodo::Diario },
                   [](Registro &r) { rubrosEstado(r, QLatin1Char('2'), rubrosResultados); });
}

// Only the period rules: this book's records are neither counted by state nor as detail lines.
KovRespuesta f032300(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    return validar(cols, params, { librosRubro::kEstado, Periodo::Diario, false }, [](Registro &) {});
}

KovRespuesta f032400(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    using namespace librosRubro;
    return validar(cols, params, { kEstado, Periodo::Diario }, [](Registro &r) {
        r.total("mto_rubro", 0.0);
        if (r.esEstado("1"))
            r.totalDe("mto_rubro", kMonto);
        contarEstados(r);
    });
}

KovRespuesta f030300(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    return validarSaldo(cols, params, libro030300::kSaldo);
}

KovRespuesta f030600(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    return validarSaldo(cols, params, libro030600::kSaldo);
}

KovRespuesta f030700(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    return validarSaldo(cols, params, libro030700::kSaldo);
}

KovRespuesta f030800(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    return validarSaldo(cols, params, libro030800::kSaldo);
}

KovRespuesta f030900(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    return validarSaldo(cols, params, libro030900::kSaldo);
}

KovRespuesta f031100(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    return validarSaldo(cols, params, libro031100::kSaldo);
}

KovRespuesta f031200(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    return validarSaldo(cols, params, libro031200::kSaldo);
}

KovRespuesta f031300(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    return validarSaldo(cols, params, libro031300::kSaldo);
}

KovRespuesta f031400(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    return validarSaldo(cols, params, libro031400::kSaldo);
}

KovRespuesta f031500(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    using namespace libro031500;
    return validar(cols, params, { kEstado, Periodo::Diario }, [](Registro &r) {
        const QString cuenta = r.texto(kCuenta);
        if (!r.vacio(kTipoComprobante))
            checkCdpTipSerNumOtros(&r.resp, r.cols, kTipoComprobante, kSerie, kNumero);
        r.ceroDecimal(kSaldoFinal, kDeducciones);
        r.totalDe("mto_total_saldo_fin_t", kSaldoFinal);
        for (const char *nombre : ceroMovimientos)
            r.total(nombre, 0.0);
        declararEstados(r);
        sumarEstado(r);
        if (!r.esEstado("1"))
            return;
        for (const char *nombre : cuentasEstado1)
            r.total(nombre, 1.0);
        for (const Movimiento &m : movimientos) {
            if (inList(cuenta, m.cuentas)) {
                sumarColumnas(r, m.totales);
                break;
            }
        }
    });
}

KovRespuesta f031601(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    using namespace libro031601;
    return validar(cols, params, { kEstado, Periodo::Diario }, [](Registro &r) {
        r.totalDe("mto_capital_social_t", kCapitalSocial);
        r.totalDe("cnt_acc_suscritas_t", kAccionesSuscritas);
        r.totalDe("cnt_acc_pagadas_t", kAccionesPagadas);
        contarEstados(r);
    });
}

KovRespuesta f031602(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    using namespace libro031602;
    return validar(cols, params, { kEstado, Periodo::Diario }, [](Registro &r) {
        checkTipoDocumento(&r.resp, r.cols, kTipoDocumento, kNumeroDocumento);
        checkPorcentaje(&r.resp, r.cols, kPorcentaje);
        contarEstados(r);
    });
}

KovRespuesta f031700(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    using namespace libro031700;
    return validar(cols, params, { kEstado, Periodo::Diario }, [](Registro &r) {
        r.ceroDecimal(kSaldoDeudorInicial, kSaldoAcreedorInicial);
        checkMontoExcluyenteExcepto(&r.resp, r.cols, kSaldoDeudorInicial, kSaldoAcreedorInicial);
        r.ceroDecimal(kMovimientoDebe, kDeducciones);
        declararEstados(r);
        for (const TotalColumna &t : balanza)
            r.total(t.nombre, 0.0);
        if (r.esEstado("1"))
            sumarColumnas(r, balanza);
        sumarEstado(r);
        r.total("mto_deudor_t", qAbs(r.monto(kSaldoDeudorInicial)) + qAbs(r.monto(kMovimientoDebe)));
        r.total("mto_acreedor_t", qAbs(r.monto(kSaldoAcreedorInicial)) + qAbs(r.monto(kMovimientoHaber)));
    });
}

KovRespuesta f031900(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    using namespace libro031900;
    return validar(cols, params, { kEstado, Periodo::Diario }, [](Registro &r) {
        for (const TotalColumna &t : patrimonio)
            r.total(t.nombre, 0.0);
        declararEstados(r);
        r.total("mto_patrimonio", 0.0);
        if (r.esEstado("1"))
            sumarColumnas(r, patrimonio);
        sumarEstado(r);
        if (r.esEstado("1"))
            r.total("mto_patrimonio", r.absolutos(kCapital, kAjustesPatrimonio));
    });
}

KovRespuesta f040100(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    using namespace libro040100;
    return validar(cols, params, { kEstado, Periodo::Mensual }, [](Registro &r) {
        r.fecha(kFecha);
        checkTipoDocumento(&r.resp, r.cols, kTipoDocumento, kNumeroDocumento);
        r.ceroDecimal(kMontoBruto, kRetencion);
        r.totalDe("mto_bruto_t1", kMontoBruto);
        r.totalDe("mto_reten_t", kRetencion);
        contarEstados(r);
    });
}

KovRespuesta f050100(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    return diarioMayor(cols, params, [](Registro &r) {
        using namespace librosDiario;
        if (!r.vacio(kFechaContable))
            r.fecha(kFechaContable);
        r.fecha(kFechaOperacion);
    });
}

KovRespuesta f050300(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    return planCuentas(cols, params, QStringLiteral("-"));
}

KovRespuesta f050400(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    return planCuentas(cols, params, QString());
}

KovRespuesta f060100(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    return diarioMayor(cols, params, [](Registro &r) {
        using namespace librosDiario;
        if (!r.vacio(kFechaContable))
            fechaConMensajes(r, kFechaContable);
        fechaConMensajes(r, kFechaOperacion);
    });
}

KovRespuesta f070100(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    using namespace libro070100;
    return validar(cols, params, { kEstado, Periodo::Anual }, [](Registro &r) {
        r.fecha(kFechaAdquisicion);
        r.fecha(kFechaInicioUso);
        if (r.es(kCatalogo, "1"))
            r.resp.addError(5, kCatalogo);
        if (r.es(kMetodoDepreciacion, "1"))
            checkObligatorio(&r.resp, r.cols, kPorcentajeDepreciacion, QStringLiteral("-"));
        if (!r.vacio(kPorcentajeDepreciacion))
            checkPorcentaje(&r.resp, r.cols, kPorcentajeDepreciacion);
        sumarColumnas(r, activoFijo);
        contarEstados(r);
        r.total("mto_activo_t", r.absolutos(kSaldoInicial, kAjusteInflacion));
        r.total("mto_depreciac_t", r.absolutos(kDepreciacionAnterior, kDepreciacionAjusteInflacion));
    });
}

KovRespuesta f070300(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    using namespace libro070300;
    return validar(cols, params, { kEstado, Periodo::Anual }, [](Registro &r) {
        r.fecha(kFechaAdquisicion);
        if (r.es(kCatalogo, "1"))
            r.resp.addError(29, kCatalogo);
        checkTipoCambio(&r.resp, r.cols, kTipoCambio);
        checkCeroDecimal(&r.resp, r.cols, kAdquisicionME);
        checkCeroDecimal(&r.resp, r.cols, kAdquisicionMN);
        checkCeroDecimal(&r.resp, r.cols, kDepreciacionEjercicio);
        sumarColumnas(r, activoFijoME);
        contarEstados(r);
        r.total("mto_activo_t", qAbs(r.monto(kAdquisicionME)) + qAbs(r.monto(kAdquisicionMN)));
        r.total("mto_depreciac_t", r.absolutos(kDepreciacionAnterior, kDepreciacionEjercicio));
    });
}

KovRespuesta f070400(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    using namespace libro070400;
    return validar(cols, params, { kEstado, Periodo::Anual }, [](Registro &r) {
        r.fecha(kFecha);
        if (r.es(kCatalogo, "1"))
            r.resp.addError(29, kCatalogo);
        r.totalDe("mto_arrenda_finan_t", kMonto);
        contarEstados(r);
    });
}

KovRespuesta f090100(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    using namespace librosConsignacion;
    using namespace libro090100;
    return validar(cols, params, { kEstado, Periodo::Mensual }, [](Registro &r) {
        if (r.periodoValido) {
            for (int col : { kPrimeraFecha, kSegundaFecha, kTerceraFecha })
                fechaConMensajes(r, col);
        }
        if (r.vacio(kObligatoria) || r.es(kObligatoria, "-"))
            r.resp.addError(5, kObligatoria);
        referenciaConsignacion(r);
        enteroNoNegativo(r, kEntero);
        checkPositivoEnCadena(&r.resp, r.cols, kEnCadena1);
        checkPositivoEnCadena(&r.resp, r.cols, kEnCadena2);
        checkTipoDocumento(&r.resp, r.cols, kTipoDocumento, kNumeroDocumento);
        bienes(r, kRecibidos, kDevueltos, kVendidos);
        contarEstados(r);
    });
}

KovRespuesta f090200(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    using namespace librosConsignacion;
    using namespace libro090200;
    return validar(cols, params, { kEstado, Periodo::Mensual }, [](Registro &r) {
        for (int col : { kPrimeraFecha, kSegundaFecha, kTerceraFecha })
            r.fecha(col);
        referenciaConsignacion(r);
        for (int col : { kPrimeraFecha, kSegundaFecha }) {
            if (r.texto(col).trimmed().isEmpty())
                r.resp.addError(29, col);
        }
        enteroNoNegativo(r, kEntero);
        checkPositivoEnCadena(&r.resp, r.cols, kEnCadena1);
        checkPositivoEnCadena(&r.resp, r.cols, kEnCadena2);
        if (!isValidRUC(r.texto(kRuc)))
            r.resp.addError(34, kRuc);
        bienes(r, kRecibidos, kDevueltos, kVendidos);
        contarEstados(r);
    });
}

KovRespuesta f100100(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    return validarCosto(cols, params, libro100100::kCosto);
}

KovRespuesta f100200(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    return validarCosto(cols, params, libro100200::kCosto);
}

KovRespuesta f100300(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    return validarCosto(cols, params, libro100300::kCosto);
}

KovRespuesta f100400(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    using namespace libro100400;
    return validar(cols, params, { kEstado, Periodo::Anual }, [](Registro &r) {
        if (!r.vacio(kDato1))
            checkObligatorio(&r.resp, r.cols, kExigido1, QStringLiteral("-"));
        if (!r.vacio(kDato2))
            checkObligatorio(&r.resp, r.cols, kExigido2, QStringLiteral("-"));
        contarEstados(r);
    });
}

KovRespuesta f120100(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    using namespace libro120100;
    return validar(cols, params, { kEstado, Periodo::Mensual }, [](Registro &r) {
        inventario(r);
        r.ceroDecimal(kCantidadEntradas, kCantidadSalidas);
        checkMontoExcluyente(&r.resp, r.cols, kCantidadEntradas, kCantidadSalidas);
        r.totalDe("cnt_entradas_t", kCantidadEntradas);
        r.totalDe("cnt_salidas_t", kCantidadSalidas);
        declararEstados(r);
        r.total("mto_inv_t", r.absolutos(kCantidadEntradas, kCantidadSalidas));
        sumarEstado(r);
    });
}

KovRespuesta f130100(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    using namespace libro130100;
    return validar(cols, params, { kEstado, Periodo::Mensual }, [](Registro &r) {
        inventario(r);
        checkCeroDecimal(&r.resp, r.cols, kCostoUnitarioEntradas);
        grupoValorizado(r, kCantidadEntradas, kCostoUnitarioEntradas);
        r.ceroDecimal(kCantidadSalidas, kCostoUnitarioSalidas);
        grupoValorizado(r, kCantidadSalidas, kCostoUnitarioSalidas);
        checkCeroDecimal(&r.resp, r.cols, kCostoUnitarioSaldo);
        grupoValorizado(r, kCantidadSaldo, kCostoUnitarioSaldo);
        r.totalDe("cnt_entradas_t", kCantidadEntradas);
        r.totalDe("mto_entradas_t", kCostoTotalEntradas);
        r.totalDe("cnt_salidas_t", kCantidadSalidas);
        r.totalDe("mto_salidas_t", kCostoTotalSalidas);
        declararEstados(r);
        r.total("mto_inv_t", qAbs(r.monto(kCostoTotalSaldo)));
        sumarEstado(r);
    });
}
