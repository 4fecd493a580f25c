#include "salesregisters.h"

#include "codetables.h"
#include "datechecks.h"
#include "fieldchecks.h"
#include "kovcolumna.h"
#include "othervoucher.h"
#include "registerhelpers.h"
#include "rulehelpers.h"
#include "salesvoucher.h"
#include "textoparametro.h"

#include <cmath>

using namespace registros;

// Shared by every sales register.
namespace {

// The columns that every sales layout keeps alike.
const int kPeriodo = 1;
const int kRegimen = 2;
const int kMarcaRegimen = 3;
const int kEmision = 4;
const int kFechaMesSiguiente = 5;
const int kTipo = 6;
const int kSerie = 7;
const int kNumero = 8;
const int kSegundoNumero = 9;
const int kTipoDocumento = 10;
const int kNumeroDocumento = 11;
const int kCliente = 12;

const char kEstadoAnulado[] = "2";
const char kEstadoDeclarado[] = "1";
// The declared state's digit, which names its totals.
const int kDigitoDeclarado = 1;

// The states that the general variants count.
const int kEstadosContados[] = {0, 1, 2, 8, 9};

// A tax-form box fed by a state-1 record: its amount column, whether the amount must pass the entry test, and
// which vouchers feed it. A credit note lowers every box fed by any voucher, and feeds those fed by credit
// notes alone as a positive amount, whichever sign the book wrote.
enum class FuenteCasilla { Comprobantes, NotasCredito };

struct CasillaVenta
{
    NombreFijo casilla;
    int col;
    Ingreso ingreso;
    FuenteCasilla fuente;
};

// A column that a layout does not have.
const int kSinColumna = 0;

// Whether a filled modified voucher is checked where the type does not require one.
enum class Modificado { SoloExigido, TambienLleno };

// What a sales layout's record checks read beyond the columns every sales layout keeps alike.
struct LayoutVentas
{
    const char *libro;
    int colEstado;
    int colExportacion; // an amount that, above zero, makes the customer's document optional
    int colTotal;       // the voucher total; a small one makes a small sale's document optional
    int colBaseIvap;    // the two amounts that voucher type "49" requires
    int colIvap;
    int colMoneda;
    int colTipoCambio;
    int colFechaModificado;
    int colTipoModificado;
    int colSerieModificado;
    int colNumeroModificado;
    Modificado modificado;
    Indicador indicadores[2];
    ConjuntoCodigos tiposSegundoNumero; // the types that may carry a second number
    ConjuntoCodigos tiposSinDocumento;  // the types that owe no customer document
    ConjuntoCodigos tiposModificado;    // the types that owe the modified voucher
    Filas<CasillaVenta> casillas;
};

// What every phase of a record works from, read once when the record arrives.
struct Registro
{
    Registro(QList<KovColumna> *cols, const ParametrosRegistro *parametros, const LayoutVentas &l)
        : tipo(getData(cols, kTipo)), estado(getData(cols, l.colEstado)), periodo(getData(cols, kPeriodo)),
          libro(parametros, QStringLiteral("periodo"))
    {
    }

    bool vigente() const { return estado != QLatin1String(kEstadoAnulado); }
    const QString &periodoLibro() const { return libro.texto(); }

    QString tipo;
    QString estado;
    QString periodo;
    TextoParametro libro;
};

// The "RER" regime, the record's period and the dates of columns 4 and 5 and of the modified voucher. A refused
// period leaves only the presence duties of the dates: a date cannot be judged against a period that is itself
// wrong.
void fechasVentas(KovRespuesta *resp, QList<KovColumna> *cols, const Registro &r, int colFechaModificado)
{
    // Credit and debit notes name the voucher they modify, and its date.
    static const ConjuntoCodigos tiposModificacion("07 08 87 88");

    if (getData(cols, kRegimen) == QLatin1String("RER")
        && getData(cols, kMarcaRegimen).left(1).toUpper() != QLatin1String("M"))
        resp->addError(29, kMarcaRegimen);

    const bool periodoValido =
        checkPeriodoConLibro(resp, kPeriodo, enteroTexto(r.estado), r.periodo, r.periodoLibro(), false, false);
    const QString vacia = fechaVacia();

    if (r.vigente() && checkObligatorio(resp, cols, kEmision, vacia) && periodoValido)
        checkFechaConPeriodo(resp, cols, kEmision, r.periodo, false, true);

    bool comparar5;
    if (r.tipo == QLatin1String("14") && r.vigente())
        comparar5 = checkObligatorio(resp, cols, kFechaMesSiguiente, vacia);
    else
        comparar5 = !getData(cols, kFechaMesSiguiente).trimmed().isEmpty();
    if (periodoValido && comparar5)
        fechaContraPeriodos(resp, cols, kFechaMesSiguiente, r.periodoLibro(), r.periodo, true, true);

    if (tiposModificacion.contiene(r.tipo) && r.vigente() && checkObligatorio(resp, cols, colFechaModificado, vacia)
        && periodoValido)
        fechaContraPeriodos(resp, cols, colFechaModificado, r.periodoLibro(), r.periodo, false, false);
}

// The second voucher number and the customer's identity document, optional for some types, for a voided
// record, an export, a small sale and a voucher with a second number.
void documentoCliente(KovRespuesta *resp, QList<KovColumna> *cols, const Montos &montos, const Registro &r,
                      bool comprobante, const LayoutVentas &l)
{
    static const ConjuntoCodigos tiposVentaMenor("03 12");
    const ColumnasComprobante columnas = {l.colEstado, kTipo, kSerie, kSegundoNumero, l.libro,
                                          checkIndTipSerNumVentas};
    const bool haySegundoNumero =
        segundoNumero(resp, cols, columnas, l.tiposSegundoNumero.contiene(r.tipo), comprobante);
    const bool opcional = l.tiposSinDocumento.contiene(r.tipo) || !r.vigente()
        || (l.colExportacion != kSinColumna && montos[l.colExportacion] > 0.0)
        || (montos[l.colTotal] < 700.0 && tiposVentaMenor.contiene(r.tipo)) || haySegundoNumero;
    documentoIdentidad(resp, cols, kTipoDocumento, kNumeroDocumento, kCliente, opcional);
}

// The currency code is required beside an exchange rate, and a rate (not written "0.000") beside a code.
void monedaTipoCambio(KovRespuesta *resp, QList<KovColumna> *cols, int colMoneda, int colTipoCambio)
{
    const bool hayTipoCambio = !getData(cols, colTipoCambio).isEmpty();
    if (hayTipoCambio)
        checkObligatorio(resp, cols, colMoneda, QString());
    if (!getData(cols, colMoneda).isEmpty())
        checkObligatorio(resp, cols, colTipoCambio, QStringLiteral("0.000"));
    if (hayTipoCambio)
        checkTipoCambio(resp, cols, colTipoCambio);
}

// Type "49" amounts, currency and exchange rate, and the modified voucher.
void montosYModificado(KovRespuesta *resp, QList<KovColumna> *cols, const Registro &r, const LayoutVentas &l)
{
    if (l.colBaseIvap != kSinColumna && r.tipo == QLatin1String("49") && r.vigente()) {
        checkObligatorio(resp, cols, l.colBaseIvap, QStringLiteral("0.00"));
        checkObligatorio(resp, cols, l.colIvap, QStringLiteral("0.00"));
    }

    monedaTipoCambio(resp, cols, l.colMoneda, l.colTipoCambio);

    if (l.tiposModificado.contiene(r.tipo) && r.vigente())
        comprobanteReferido(resp, cols, l.colTipoModificado, l.colSerieModificado, l.colNumeroModificado);
    else if (l.modificado == Modificado::TambienLleno && !getData(cols, l.colTipoModificado).isEmpty())
        checkCdpTipSerNumOtros(resp, cols, l.colTipoModificado, l.colSerieModificado, l.colNumeroModificado);
}

// The record checks of every sales layout, through the indicator counts that open the layout's totals; returns
// whether the first voucher check passed.
bool revisaLayout(KovRespuesta *resp, QList<KovColumna> *cols, const Montos &montos, ParametrosRegistro *parametros,
                  const LayoutVentas &l)
{
    const Registro r(cols, parametros, l);
    fechasVentas(resp, cols, r, l.colFechaModificado);
    const bool comprobante =
        checkIndTipSerNumVentas(resp, cols, l.colEstado, kTipo, kSerie, kNumero, QLatin1String(l.libro));
    documentoCliente(resp, cols, montos, r, comprobante, l);
    montosYModificado(resp, cols, r, l);
    contarIndicadores(resp, cols, filas(l.indicadores));
    return comprobante;
}

// The boxes of a state-1 record, in table order.
void casillasLayout(KovRespuesta *resp, QList<KovColumna> *cols, const Montos &montos, const LayoutVentas &l)
{
    static const ConjuntoCodigos tiposNotaCredito("07 87");
    if (getData(cols, l.colEstado) != QLatin1String(kEstadoDeclarado))
        return;
    const bool notaCredito = tiposNotaCredito.contiene(getData(cols, kTipo));
    for (const CasillaVenta &c : l.casillas) {
        const bool soloNotas = c.fuente == FuenteCasilla::NotasCredito;
        if (soloNotas && !notaCredito)
            continue;
        if (!entraEnCasilla(c.ingreso, cols, montos, c.col))
            continue;
        double valor = montos[c.col];
        if (notaCredito)
            valor = std::copysign(valor, soloNotas ? 1.0 : -1.0);
        resp->addCasillas(c.casilla.texto(), valor);
    }
}

// The record checks and the boxes of a sales layout, as the frame calls them.
template <const LayoutVentas &layout>
bool revisaVentas(KovRespuesta *resp, QList<KovColumna> *cols, const Montos &montos, ParametrosRegistro *parametros)
{
    return revisaLayout(resp, cols, montos, parametros, layout);
}

template <const LayoutVentas &layout>
void casillasVentas(KovRespuesta *resp, QList<KovColumna> *cols, const Montos &montos)
{
    casillasLayout(resp, cols, montos, layout);
}

// Detailed totals.

// The names every sales layout declares after its own amount families.
const FamiliaClaves kClavesComunes[] = {
    {"mto_icbp", {"_e0", "_e1", "_e2", "_to"}},
    {"mto_otros", {"_e0", "_e1", "_e2", "_to"}},
    {"mto_vta_per", {"_e0", "_e1", "_e2", "_to"}},
    {"mto_vta_lib", {"_e0", "_e1", "_e2", "_e8", "_e9", "_to"}},
    {"cnt_reg_per", {"_e0", "_e1", "_e2", "_to"}},
    {"cnt_reg_per_ant", {"_e8", "_e9", "_to"}},
    {"cnt_reg", {"_e0", "_e1", "_e2", "_e8", "_e9"}},
    {"cnt_cdp_mn", {"_e0", "_e1", "_e2", "_e8", "_e9", "_to"}},
    {"cnt_cdp_me", {"_e0", "_e1", "_e2", "_e8", "_e9", "_to"}},
    {"cnt_fact_elec", {"_e0", "_e1", "_e2", "_e8", "_e9", "_to"}},
    {"cnt_fact_fisi", {"_e0", "_e1", "_e2", "_e8", "_e9", "_to"}},
    {"cnt_nc_elec", {"_e0", "_e1", "_e2", "_e8", "_e9", "_to"}},
    {"cnt_nc_fisi", {"_e0", "_e1", "_e2", "_e8", "_e9", "_to"}},
    {"cnt_nd_elec", {"_e0", "_e1", "_e2", "_e8", "_e9", "_to"}},
    {"cnt_nd_fisi", {"_e0", "_e1", "_e2", "_e8", "_e9", "_to"}},
    {"cnt_otro_elec", {"_e0", "_e1", "_e2", "_e8", "_e9", "_to"}},
    {"cnt_otro_fisi", {"_e0", "_e1", "_e2", "_e8", "_e9", "_to"}},
    {"cnt_nc", {"_e1"}},
};

// An amount family that a record of the book's own period feeds under its state and over all states.
struct MontoVenta
{
    NombresFamilia familia;
    int col;
};

// What a sales layout's detailed totals read.
struct DetalleVentas
{
    Filas<MontoVenta> montos;
    int colEstado;
    int colTotal;
    int colMoneda;
};

// The book total over every state, and the earlier periods' totals kept apart under their own period.
const NombresFamilia kVentaLibro("mto_vta_lib");
const NombresFamilia kVentaAnterior("mto_vta_per_ant");

// A record of the book's own period (state "0", "1" or "2", given as its suffix): its state's block, then the
// first half of the all-state block.
void ventasDelPeriodo(KovRespuesta *resp, const Montos &montos, const DetalleVentas &d, int estado,
                      const Clasificacion &c)
{
    static const NombreFijo notasCreditoDeclaradas("cnt_nc_e1");
    for (const MontoVenta &m : d.montos)
        resp->addAcumulador(m.familia[estado], montos[m.col]);
    resp->addAcumulador(kVentaLibro[estado], montos[d.colTotal]);
    resp->addAcumulador(cuentaRegistrosPeriodo()[estado], 1.0);
    resp->addAcumulador(cuentaRegistros()[estado], 1.0);
    conteosClase(resp, c, estado);
    if (estado == kDigitoDeclarado && c.clase == Clase::NotaCredito)
        resp->addAcumulador(notasCreditoDeclaradas.texto(), 1.0);
    for (const MontoVenta &m : d.montos)
        resp->addAcumulador(m.familia[kSufijoTotal], montos[m.col]);
    resp->addAcumulador(cuentaRegistrosPeriodo()[kSufijoTotal], 1.0);
}

// A record of an earlier period (state "8" or "9", given as its suffix) keeps its total apart under its own
// period too.
void ventasAnteriores(KovRespuesta *resp, QList<KovColumna> *cols, const Montos &montos, const DetalleVentas &d,
                      int estado, const Clasificacion &c)
{
    const QString periodo = getData(cols, kPeriodo);
    const double total = montos[d.colTotal];
    resp->addPerAcumulador(kVentaAnterior[estado], periodo, total);
    resp->addAcumulador(kVentaLibro[estado], total);
    resp->addAcumulador(cuentaRegistrosAnteriores()[estado], 1.0);
    resp->addAcumulador(cuentaRegistros()[estado], 1.0);
    conteosClase(resp, c, estado);
    resp->addPerAcumulador(kVentaAnterior[kSufijoTotal], periodo, total);
    resp->addAcumulador(cuentaRegistrosAnteriores()[kSufijoTotal], 1.0);
}

// Totals by state, voucher class, medium and currency of a record past the voucher gate: the class and medium
// of a refused voucher mean nothing.
void totalesDetalladosVentas(KovRespuesta *resp, QList<KovColumna> *cols, const Montos &montos,
                             const DetalleVentas &d)
{
    static const ConjuntoCodigos estadosPeriodo("0 1 2");
    static const ConjuntoCodigos estadosAnteriores("8 9");
    static const ClasesComprobante clases = {ConjuntoCodigos("01"), ConjuntoCodigos("07 87"),
                                              ConjuntoCodigos("08 88")};

    const QString estado = getData(cols, d.colEstado);
    const Clasificacion c = clasifica(cols, d.colMoneda, kSerie, kTipo, clases);
    if (estadosPeriodo.contiene(estado))
        ventasDelPeriodo(resp, montos, d, sufijoEstado(estado), c);
    else if (estadosAnteriores.contiene(estado))
        ventasAnteriores(resp, cols, montos, d, sufijoEstado(estado), c);
    resp->addAcumulador(kVentaLibro[kSufijoTotal], montos[d.colTotal]);
    conteosClase(resp, c, kSufijoTotal);
}

template <const DetalleVentas &detalle>
void totalesDetalladosVentas(KovRespuesta *resp, QList<KovColumna> *cols, const Montos &montos)
{
    totalesDetalladosVentas(resp, cols, montos, detalle);
}

} // namespace

// ---- Register 14.1 ----

namespace {
namespace libro141 {

const int kExportacion = 13;
const int kBaseGravada = 14;
const int kDescuentoBase = 15;
const int kIgv = 16;
const int kDescuentoIgv = 17;
const int kExonerado = 18;
const int kInafecto = 19;
const int kIsc = 20;
const int kBaseIvap = 21;
const int kIvap = 22;
const int kOtros = 23;
const int kTotal = 24;
const int kMoneda = 25;
const int kTipoCambio = 26;
const int kFechaModificado = 27;
const int kTipoModificado = 28;
const int kSerieModificado = 29;
const int kNumeroModificado = 30;
const int kError1 = 32;
const int kCancelacion = 33;
const int kEstado = 34;

// Tax-form boxes fed by a state-1 record, in the order of their entries.
const CasillaVenta kCasillas[] = {
    {"106", kExportacion, Ingreso::Probado, FuenteCasilla::Comprobantes},
    {"100", kBaseGravada, Ingreso::Cualquiera, FuenteCasilla::Comprobantes},
    {"100", kIsc, Ingreso::Cualquiera, FuenteCasilla::Comprobantes},
    {"102", kDescuentoBase, Ingreso::Probado, FuenteCasilla::NotasCredito},
    {"105", kExonerado, Ingreso::Probado, FuenteCasilla::Comprobantes},
    {"109", kInafecto, Ingreso::Probado, FuenteCasilla::Comprobantes},
    {"340", kBaseIvap, Ingreso::Probado, FuenteCasilla::Comprobantes},
};

const LayoutVentas kVentas = {
    "140100", kEstado,
    kExportacion, kTotal,
    kBaseIvap, kIvap,
    kMoneda, kTipoCambio,
    kFechaModificado, kTipoModificado, kSerieModificado, kNumeroModificado, Modificado::TambienLleno,
    {{kError1, "cnt_error1"}, {kCancelacion, "cnt_ind_cancel"}},
    ConjuntoCodigos("00 03 12 13 87"),
    ConjuntoCodigos("00 05 06 07 08 11 12 13 14 15 16 18 19 23 26 28 30 34 35 36 37 55 56 87 88"),
    ConjuntoCodigos("07 08 87 88"),
    filas(kCasillas),
};

const LayoutRegistro kLayout = {revisaVentas<kVentas>, casillasVentas<kVentas>, kTipo, kEstado, kTotal};

// The general totals in their order; the discounts count only for a record of state "1".
const TotalGeneral kTotalesGenerales[] = {
    {"mto_exp_t1", kExportacion, nullptr},
    {"mto_BI_og_t1", kBaseGravada, nullptr},
    {"mto_desc_bi", kDeclarado, nullptr},
    {"mto_desc_igv", kDeclarado, nullptr},
    {"mto_desc_bi", kDescuentoBase, "1"},
    {"mto_desc_igv", kDescuentoIgv, "1"},
    {"mto_IGV_t1", kIgv, nullptr},
    {"mto_exo_t1", kExonerado, nullptr},
    {"mto_inaf_t1", kInafecto, nullptr},
    {"mto_ISC_t1", kIsc, nullptr},
    {"mto_BI_ivap_t1", kBaseIvap, nullptr},
    {"mto_IVAP_t1", kIvap, nullptr},
    {"mto_otros_t1", kOtros, nullptr},
    {"mto_total_t1", kTotal, nullptr},
};

const TotalesGenerales kGenerales = {filas(kTotalesGenerales), filas(kEstadosContados)};

// The layout's own amount families, declared before the common ones.
const FamiliaClaves kDeclaradas[] = {
    {"mto_exp", {"_e0", "_e1", "_e2", "_to"}},
    {"mto_bi_gra", {"_e0", "_e1", "_e2", "_to"}},
    {"mto_desc_bi", {"_e0", "_e1", "_e2", "_to"}},
    {"mto_igv_ipm", {"_e0", "_e1", "_e2", "_to"}},
    {"mto_desc_igv_ipm", {"_e0", "_e1", "_e2", "_to"}},
    {"mto_exo", {"_e0", "_e1", "_e2", "_to"}},
    {"mto_inaf", {"_e0", "_e1", "_e2", "_to"}},
    {"mto_isc", {"_e0", "_e1", "_e2", "_to"}},
    {"mto_bi_ivap", {"_e0", "_e1", "_e2", "_to"}},
    {"mto_ivap", {"_e0", "_e1", "_e2", "_to"}},
};

// The amounts a record of the book's own period adds under its state and over all states, in their order.
const MontoVenta kMontosPeriodo[] = {
    {"mto_exp", kExportacion},   {"mto_bi_gra", kBaseGravada},         {"mto_desc_bi", kDescuentoBase},
    {"mto_igv_ipm", kIgv},       {"mto_desc_igv_ipm", kDescuentoIgv}, {"mto_exo", kExonerado},
    {"mto_inaf", kInafecto},     {"mto_isc", kIsc},                    {"mto_bi_ivap", kBaseIvap},
    {"mto_ivap", kIvap},         {"mto_otros", kOtros},                {"mto_vta_per", kTotal},
};

const DetalleVentas kDetalle = {filas(kMontosPeriodo), kEstado, kTotal, kMoneda};

// The general variant, and the detailed one with the names it declares on every record, built once.
const VarianteRegistro kGeneral = {kLayout, &kGenerales, {}, nullptr};
const VarianteRegistro kDetallada = {kLayout, nullptr, clavesDeclaradas({filas(kDeclaradas), filas(kClavesComunes)}),
                                     totalesDetalladosVentas<kDetalle>};

} // namespace libro141
} // namespace

KovRespuesta f140100g(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    return validarRegistro(cols, params, libro141::kGeneral);
}

KovRespuesta f140100d(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    return validarRegistro(cols, params, libro141::kDetallada);
}

// ---- end of register 14.1 ----



// ---- Register 14.2 ----

namespace {
namespace libro142 {

const int kBaseImponible = 13;
const int kIgv = 14;
const int kOtros = 15;
const int kTotal = 16;
const int kMoneda = 17;
const int kTipoCambio = 18;
const int kFechaModificado = 19;
const int kTipoModificado = 20;
const int kSerieModificado = 21;
const int kNumeroModificado = 22;
const int kError1 = 23;
const int kCancelacion = 24;
const int kEstado = 25;

// Box "100" takes a credit note as negative whichever sign the book wrote.
const CasillaVenta kCasillas[] = {
    {"100", kBaseImponible, Ingreso::Cualquiera, FuenteCasilla::Comprobantes},
};

// Only credit and debit notes "07" and "08" owe the modified voucher, though all four note types owe its date.
const LayoutVentas kVentas = {
    "140200", kEstado,
    kSinColumna, kTotal,
    kSinColumna, kSinColumna,
    kMoneda, kTipoCambio,
    kFechaModificado, kTipoModificado, kSerieModificado, kNumeroModificado, Modificado::SoloExigido,
    {{kError1, "cnt_error1"}, {kCancelacion, "cnt_ind_cancel"}},
    ConjuntoCodigos("00 03 12"),
    ConjuntoCodigos("00"),
    ConjuntoCodigos("07 08"),
    filas(kCasillas),
};

const LayoutRegistro kLayout = {revisaVentas<kVentas>, casillasVentas<kVentas>, kTipo, kEstado, kTotal};

// Every name declared at zero first, then the amounts of a state-1 record.
const TotalGeneral kTotalesGenerales[] = {
    {"mto_bi_og", kDeclarado, nullptr}, {"mto_igv", kDeclarado, nullptr},
    {"mto_otros", kDeclarado, nullptr}, {"mto_imp", kDeclarado, nullptr},
    {"mto_bi_og", kBaseImponible, "1"}, {"mto_igv", kIgv, "1"},
    {"mto_otros", kOtros, "1"},         {"mto_imp", kTotal, "1"},
};

const TotalesGenerales kGenerales = {filas(kTotalesGenerales), filas(kEstadosContados)};

const FamiliaClaves kDeclaradas[] = {
    {"mto_bi_gra", {"_e0", "_e1", "_e2", "_to"}},
    {"mto_igv_ipm", {"_e0", "_e1", "_e2", "_to"}},
};

const MontoVenta kMontosPeriodo[] = {
    {"mto_bi_gra", kBaseImponible},
    {"mto_igv_ipm", kIgv},
    {"mto_otros", kOtros},
    {"mto_vta_per", kTotal},
};

const DetalleVentas kDetalle = {filas(kMontosPeriodo), kEstado, kTotal, kMoneda};

// The general variant, and the detailed one with the names it declares on every record, built once.
const VarianteRegistro kGeneral = {kLayout, &kGenerales, {}, nullptr};
const VarianteRegistro kDetallada = {kLayout, nullptr, clavesDeclaradas({filas(kDeclaradas), filas(kClavesComunes)}),
                                     totalesDetalladosVentas<kDetalle>};

} // namespace libro142
} // namespace

KovRespuesta f140200g(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    return validarRegistro(cols, params, libro142::kGeneral);
}

KovRespuesta f140200d(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    return validarRegistro(cols, params, libro142::kDetallada);
}

// ---- end of register 14.2 ----
