#include "purchaseregisters.h"

#include "codetables.h"
#include "datechecks.h"
#include "fieldchecks.h"
#include "kovcolumna.h"
#include "othervoucher.h"
#include "purchasevoucher.h"
#include "registerhelpers.h"
#include "rulehelpers.h"
#include "textoparametro.h"

#include <cmath>

using namespace registros;

// Shared by every purchase register.
namespace {

// The record period, the first column of every purchase layout.
const int kPeriodo = 1;

const char kEstadoIncorrecto[] = "Indicador del estado es incorrecto";

// The states that the general variants count.
const int kEstadosContados[] = {0, 1, 6, 7, 9};

// The state of a record of an earlier period.
const int kEstadoAnterior = 9;

// The book total of registers 8.1 and 8.3, over the records of every state.
const NombresFamilia kTotalLibro("mto_adq_lib");

// What a call reads once and every phase works from.
struct Registro
{
    Registro(QList<KovColumna> *cols, const ParametrosRegistro *parametros, int colEstado, int colTipo)
        : estado(getData(cols, colEstado)), periodo(getData(cols, kPeriodo)), tipo(getData(cols, colTipo)),
          numeroEstado(enteroTexto(estado)), libro(parametros, QStringLiteral("periodo"))
    {
    }

    const QString &periodoLibro() const { return libro.texto(); }

    QString estado;
    QString periodo;
    QString tipo;
    int numeroEstado;
    TextoParametro libro;
};

// The year of a DUA must lie after 1981 and not after the year of the book period or of the record's own.
void chequearAnioDua(KovRespuesta *resp, QList<KovColumna> *cols, int col, const Registro &r)
{
    const int anio = enteroTexto(getData(cols, col));
    if (anio <= 1981)
        resp->addError(QStringLiteral("El año de emisión de la DUA debe ser mayor a 1981"), col);
    if (anio > anioPeriodo(r.periodoLibro()) || anio > anioPeriodo(r.periodo))
        resp->addError(QStringLiteral("El año DUA debe ser menor o igual al año del periodo informado."), col);
}

// A tax follows the sign of its base; a zero base, and so one that reads 0, takes the rule of positive ones.
void chequearImpuestoSegunBase(KovRespuesta *resp, QList<KovColumna> *cols, const Montos &montos, int colBase,
                               int colImpuesto)
{
    if (montos[colBase] >= 0.0)
        checkPositivo(resp, cols, colImpuesto);
    else
        checkNegativo(resp, cols, colImpuesto);
}

// Detailed totals.

// The names of the detailed totals of registers 8.1 and 8.3 that follow their own amount families: the voucher
// total over all states, the record counts and the counts by currency and by voucher class.
const FamiliaClaves kClavesComunes[] = {
    {"mto_adq_lib", {"_e0", "_e1", "_e6", "_e7", "_e9", "_to"}},
    {"cnt_reg_per", {"_e0", "_e1", "_e6", "_e7", "_to"}},
    {"cnt_reg_per_ant", {"_e9", "_to"}},
    {"cnt_reg", {"_e0", "_e1", "_e6", "_e7", "_e9"}},
    {"cnt_cdp_mn", {"_e0", "_e1", "_e6", "_e7", "_e9", "_to"}},
    {"cnt_cdp_me", {"_e0", "_e1", "_e6", "_e7", "_e9", "_to"}},
    {"cnt_fact_elec", {"_e0", "_e1", "_e6", "_e7", "_e9", "_to"}},
    {"cnt_fact_fisi", {"_e0", "_e1", "_e6", "_e7", "_e9", "_to"}},
    {"cnt_nc_elec", {"_e0", "_e1", "_e6", "_e7", "_e9", "_to"}},
    {"cnt_nc_fisi", {"_e0", "_e1", "_e6", "_e7", "_e9", "_to"}},
    {"cnt_nd_elec", {"_e0", "_e1", "_e6", "_e7", "_e9", "_to"}},
    {"cnt_nd_fisi", {"_e0", "_e1", "_e6", "_e7", "_e9", "_to"}},
    {"cnt_otro_elec", {"_e0", "_e1", "_e6", "_e7", "_e9", "_to"}},
    {"cnt_otro_fisi", {"_e0", "_e1", "_e6", "_e7", "_e9", "_to"}},
};

// A record of an earlier period (state "9") keeps its total apart under its own period, then adds its counts;
// registers 8.1 and 8.3 also add the total to their book total (`conTotalLibro`).
void totalesPeriodoAnterior(KovRespuesta *resp, QList<KovColumna> *cols, const Montos &montos, int colTotal,
                            const Clasificacion &c, bool conTotalLibro)
{
    const QString periodo = getData(cols, kPeriodo);
    const double valor = montos[colTotal];
    resp->addPerAcumulador(QStringLiteral("mto_adq_per_ant_e9"), periodo, valor);
    resp->addPerAcumulador(QStringLiteral("mto_adq_per_ant_to"), periodo, valor);
    if (conTotalLibro)
        resp->addAcumulador(kTotalLibro[kEstadoAnterior], valor);
    resp->addAcumulador(cuentaRegistrosAnteriores()[kEstadoAnterior], 1.0);
    resp->addAcumulador(cuentaRegistrosAnteriores()[kSufijoTotal], 1.0);
    resp->addAcumulador(cuentaRegistros()[kEstadoAnterior], 1.0);
    conteosClase(resp, c, kEstadoAnterior);
}

// An amount family of the per-state totals, the column that feeds it, and whether states "1" and "6" also
// feed its "_e16" name.
struct MontoPorEstado
{
    NombresFamilia familia;
    int col;
    bool conE16;
};

// What the per-state totals of registers 8.1 and 8.3 read. The amount families end with mto_adq_lib, fed by
// the voucher total; the ones before it also make the first half of the all-state block.
struct TotalesPorEstado
{
    Filas<MontoPorEstado> montos;
    int estado;
    int tipo;
    int serie;
    int moneda;
    int total;
};

// A record of the book's own period (state "0", "1", "6" or "7", given as its suffix): its state's block, then
// the first half of the all-state block.
void totalesDelPeriodo(KovRespuesta *resp, const Montos &montos, const TotalesPorEstado &t, int estado,
                       const Clasificacion &c)
{
    const bool e16 = estado == 1 || estado == 6;
    for (const MontoPorEstado &m : t.montos) {
        const double valor = montos[m.col];
        resp->addAcumulador(m.familia[estado], valor);
        if (m.conE16 && e16)
            resp->addAcumulador(m.familia[kSufijoE16], valor);
    }
    resp->addAcumulador(cuentaRegistrosPeriodo()[estado], 1.0);
    resp->addAcumulador(cuentaRegistros()[estado], 1.0);
    conteosClase(resp, c, estado);
    // Every family but the last, the book total, whose all-state total every record adds afterwards.
    const Filas<MontoPorEstado> antesDelLibro = {t.montos.primera, t.montos.cuantas - 1};
    for (const MontoPorEstado &m : antesDelLibro)
        resp->addAcumulador(m.familia[kSufijoTotal], montos[m.col]);
    resp->addAcumulador(cuentaRegistrosPeriodo()[kSufijoTotal], 1.0);
}

// The detailed totals of registers 8.1 and 8.3 of a record past the voucher gate.
void totalesPorEstado(KovRespuesta *resp, QList<KovColumna> *cols, const Montos &montos, const TotalesPorEstado &t)
{
    static const ConjuntoCodigos estadosPropios("0 1 6 7");
    static const ClasesComprobante clases = {ConjuntoCodigos("01"), ConjuntoCodigos("07"),
                                              ConjuntoCodigos("08")};

    const QString estado = getData(cols, t.estado);
    const Clasificacion c = clasifica(cols, t.moneda, t.serie, t.tipo, clases);
    if (estadosPropios.contiene(estado))
        totalesDelPeriodo(resp, montos, t, sufijoEstado(estado), c);
    else if (sufijoEstado(estado) == kEstadoAnterior)
        totalesPeriodoAnterior(resp, cols, montos, t.total, c, true);
    // Every record past the voucher gate, whatever its state, reaches the second half of the all-state block.
    resp->addAcumulador(kTotalLibro[kSufijoTotal], montos[t.total]);
    conteosClase(resp, c, kSufijoTotal);
}

template <const TotalesPorEstado &totales>
void totalesPorEstado(KovRespuesta *resp, QList<KovColumna> *cols, const Montos &montos)
{
    totalesPorEstado(resp, cols, montos, totales);
}

// Tax-form boxes.

const ConjuntoCodigos kTiposCasilla(
    "00 01 04 05 06 08 11 12 13 14 15 16 17 18 23 24 25 26 27 28 29 30 32 34 35 36 37 42 43 48 55 56 88 89 96");
const ConjuntoCodigos kTiposImportacion("46 50 51 52 53 54");
const ConjuntoCodigos kTiposReversion("07 87");

// The states whose records feed a box.
enum class EstadosCasilla { UnoYSeis, CeroUnoYSeis };

// The voucher types that feed a box: those of the box list or those of an import.
enum class TiposCasilla { Locales, Importacion };

// A box rule: the box, its amount column, the states and voucher types that feed it, and whether the amount
// must pass the entry test. A reversing voucher ("07", "87") whose referenced voucher is of the box's types
// feeds the same box, always as a negative.
struct ReglaCasilla
{
    NombreFijo casilla;
    int col;
    EstadosCasilla estados;
    TiposCasilla tipos;
    Ingreso ingreso;
};

// The record's box entries, rule by rule in table order, each rule's own voucher before a reversing one.
void agregarCasillas(KovRespuesta *resp, QList<KovColumna> *cols, const Montos &montos, Filas<ReglaCasilla> reglas,
                     int colEstado,
                     int colTipo, int colTipoReferencia)
{
    const QString estado = getData(cols, colEstado);
    const QString tipo = getData(cols, colTipo);
    const bool estado16 = estado == QLatin1String("1") || estado == QLatin1String("6");
    const bool estado0 = estado == QLatin1String("0");
    const bool reversion = kTiposReversion.contiene(tipo);
    const QString tipoReferencia = reversion ? getData(cols, colTipoReferencia) : QString();
    for (const ReglaCasilla &regla : reglas) {
        if (!estado16 && !(regla.estados == EstadosCasilla::CeroUnoYSeis && estado0))
            continue;
        if (!entraEnCasilla(regla.ingreso, cols, montos, regla.col))
            continue;
        const ConjuntoCodigos &lista = regla.tipos == TiposCasilla::Importacion ? kTiposImportacion : kTiposCasilla;
        const double valor = montos[regla.col];
        if (lista.contiene(tipo))
            resp->addCasillas(regla.casilla.texto(), valor);
        if (reversion && lista.contiene(tipoReferencia))
            resp->addCasillas(regla.casilla.texto(), -std::fabs(valor));
    }
}

} // namespace

// ---- Register 8.1 ----

namespace {
namespace libro81 {

const int kEmision = 4;
const int kFechaMesSiguiente = 5;
const int kTipo = 6;
const int kSerie = 7;
const int kAnioDua = 8;
const int kNumero = 9;
const int kSegundoNumero = 10;
const int kTipoDocumento = 11;
const int kNumeroDocumento = 12;
const int kProveedor = 13;
const int kBaseGravada = 14;
const int kIgvGravada = 15;
const int kBaseMixta = 16;
const int kIgvMixta = 17;
const int kBaseNoGravada = 18;
const int kIgvNoGravada = 19;
const int kNoGravado = 20;
const int kIsc = 21;
const int kOtros = 22;
const int kMontoComprobante = 23;
const int kMoneda = 24;
const int kTipoCambio = 25;
const int kFechaReferencia = 26;
const int kTipoReferencia = 27;
const int kSerieReferencia = 28;
const int kDuaReferencia = 29;
const int kNumeroReferencia = 30;
const int kFechaOpcional = 31;
const int kEnCadena = 32;
const int kBandera = 33;
const int kError1 = 36;
const int kError2 = 37;
const int kError3 = 38;
const int kError4 = 39;
const int kCancelacion = 40;
const int kEstado = 41;

const ConjuntoCodigos kTiposColumna26("07 08 87 88 97 98");
const ConjuntoCodigos kTiposDua("50 52");
const ConjuntoCodigos kTiposSegundoNumero(
    "00 03 05 06 07 08 11 12 13 14 15 16 18 19 23 26 28 30 34 35 36 37 55 56 87 88");
const ConjuntoCodigos kTiposDocumentoOpcional(
    "00 03 05 06 07 08 11 12 13 14 15 16 18 19 22 23 26 28 30 34 35 36 37 55 56 87 88 91 97 98");

// A refused period judges no date against it; only the presence checks and column 31 remain.
void chequearEstadoYFechas(KovRespuesta *resp, QList<KovColumna> *cols, const Registro &r)
{
    if (r.estado == QLatin1String("8") || r.estado == QLatin1String("5"))
        resp->addError(QLatin1String(kEstadoIncorrecto), kEstado);
    if (r.estado == QLatin1String("7"))
        resp->addEstado7();

    const bool tipo14 = r.tipo == QLatin1String("14");
    const bool conReferencia = kTiposColumna26.contiene(r.tipo);
    const bool conFechaOpcional = !getData(cols, kFechaOpcional).isEmpty();

    if (checkPeriodoCompras(resp, kPeriodo, r.numeroEstado, r.periodo, r.periodoLibro(), false)) {
        checkFechaConPeriodo(resp, cols, kEmision, r.periodo, false, true);
        const bool conFecha5 = tipo14 ? checkObligatorio(resp, cols, kFechaMesSiguiente, fechaVacia())
                                      : !getData(cols, kFechaMesSiguiente).trimmed().isEmpty();
        if (conFecha5)
            fechaContraPeriodos(resp, cols, kFechaMesSiguiente, r.periodoLibro(), r.periodo, true, true);
        if (conReferencia && checkObligatorio(resp, cols, kFechaReferencia, fechaVacia()))
            checkFechaConPeriodo(resp, cols, kFechaReferencia, r.periodo, false, true);
        if (conFechaOpcional)
            checkFechaConPeriodoCompras(resp, cols, kFechaOpcional, r.periodo);
    } else {
        if (tipo14)
            checkObligatorio(resp, cols, kFechaMesSiguiente, fechaVacia());
        if (conFechaOpcional)
            checkFechaConPeriodoCompras(resp, cols, kFechaOpcional, r.periodo);
        if (conReferencia)
            checkObligatorio(resp, cols, kFechaReferencia, fechaVacia());
    }
    checkFechaEmisionEstado(resp, cols, kEmision, r.numeroEstado, r.periodo);
}

// Returns the verdict of the voucher rule on columns 6, 7 and 9, which gates the detailed totals.
bool chequearComprobante(KovRespuesta *resp, QList<KovColumna> *cols, const Registro &r)
{
    static const ColumnasComprobante columnas = {kEstado, kTipo, kSerie, kSegundoNumero, "080100",
                                                 checkIndTipSerNumCompras};
    const bool comprobante =
        checkIndTipSerNumCompras(resp, cols, kEstado, kTipo, kSerie, kNumero, QLatin1String(columnas.libro));
    if (kTiposDua.contiene(r.tipo))
        chequearAnioDua(resp, cols, kAnioDua, r);
    segundoNumero(resp, cols, columnas, kTiposSegundoNumero.contiene(r.tipo), comprobante);
    return comprobante;
}

void chequearProveedorYMontos(KovRespuesta *resp, QList<KovColumna> *cols, const Montos &montos, const Registro &r)
{
    static const int kBaseImpuesto[][2] = {
        {kBaseGravada, kIgvGravada}, {kBaseMixta, kIgvMixta}, {kBaseNoGravada, kIgvNoGravada}};

    documentoIdentidad(resp, cols, kTipoDocumento, kNumeroDocumento, kProveedor,
                       kTiposDocumentoOpcional.contiene(r.tipo));
    for (const auto &par : kBaseImpuesto)
        chequearImpuestoSegunBase(resp, cols, montos, par[0], par[1]);

    if (!getData(cols, kTipoCambio).isEmpty())
        checkTipoCambio(resp, cols, kTipoCambio);

    if (kTiposColumna26.contiene(r.tipo))
        comprobanteReferido(resp, cols, kTipoReferencia, kSerieReferencia, kNumeroReferencia);
    // Column 27 is read on every record, not only when the voucher must name one.
    if (kTiposDua.contiene(getData(cols, kTipoReferencia)))
        checkObligatorio(resp, cols, kDuaReferencia, QStringLiteral("-"));

    checkPositivoEnCadena(resp, cols, kEnCadena);
    indicador(resp, cols, kBandera);
}

bool revisa(KovRespuesta *resp, QList<KovColumna> *cols, const Montos &montos, ParametrosRegistro *parametros)
{
    static const Indicador indicadores[] = {
        {kError1, "cnt_error1"}, {kError2, "cnt_error2"}, {kError3, "cnt_error3"},
        {kError4, "cnt_error4"}, {kCancelacion, "cnt_ind_cancel"},
    };
    const Registro r(cols, parametros, kEstado, kTipo);
    chequearEstadoYFechas(resp, cols, r);
    const bool comprobante = chequearComprobante(resp, cols, r);
    chequearProveedorYMontos(resp, cols, montos, r);
    contarIndicadores(resp, cols, filas(indicadores));
    return comprobante;
}

const ReglaCasilla kCasillas[] = {
    {"107", kBaseGravada, EstadosCasilla::UnoYSeis, TiposCasilla::Locales, Ingreso::Cualquiera},
    {"110", kBaseMixta, EstadosCasilla::UnoYSeis, TiposCasilla::Locales, Ingreso::Probado},
    {"114", kBaseGravada, EstadosCasilla::UnoYSeis, TiposCasilla::Importacion, Ingreso::Probado},
    {"116", kBaseMixta, EstadosCasilla::UnoYSeis, TiposCasilla::Importacion, Ingreso::Probado},
    {"113", kBaseNoGravada, EstadosCasilla::CeroUnoYSeis, TiposCasilla::Locales, Ingreso::Probado},
    {"119", kBaseNoGravada, EstadosCasilla::CeroUnoYSeis, TiposCasilla::Importacion, Ingreso::Probado},
    {"120", kNoGravado, EstadosCasilla::CeroUnoYSeis, TiposCasilla::Locales, Ingreso::Probado},
    {"122", kNoGravado, EstadosCasilla::CeroUnoYSeis, TiposCasilla::Importacion, Ingreso::Probado},
};

void casillas(KovRespuesta *resp, QList<KovColumna> *cols, const Montos &montos)
{
    agregarCasillas(resp, cols, montos, filas(kCasillas), kEstado, kTipo, kTipoReferencia);
}

const LayoutRegistro kLayout = {revisa, casillas, kTipo, kEstado, kMontoComprobante};

const TotalGeneral kTotalesGenerales[] = {
    {"mto_BI_ag_oge_t1", kBaseGravada, nullptr},   {"mto_IGV_ag_oge_t1", kIgvGravada, nullptr},
    {"mto_BI_ag_oge_ong_t1", kBaseMixta, nullptr}, {"mto_IGV_ag_oge_ong_t1", kIgvMixta, nullptr},
    {"mto_BI_ag_ong_t1", kBaseNoGravada, nullptr}, {"mto_IGV_ag_ong_t1", kIgvNoGravada, nullptr},
    {"mto_ang_t1", kNoGravado, nullptr},           {"mto_ISC_t1", kIsc, nullptr},
    {"mto_otros_t1", kOtros, nullptr},             {"mto_CDP_t1", kMontoComprobante, nullptr},
};

const TotalesGenerales kGenerales = {filas(kTotalesGenerales), filas(kEstadosContados)};

// Every name of the detailed totals is declared on every record, family by family in this order (these
// amount families, then the common ones), so the first record of a book fixes where they stand in the summary.
const FamiliaClaves kDeclaradas[] = {
    {"mto_com_ven_gra", {"_e0", "_e1", "_e6", "_e7", "_to"}},
    {"mto_igv_ipm1", {"_e0", "_e1", "_e6", "_e7", "_to", "_e16"}},
    {"mto_com_ven_granogra", {"_e0", "_e1", "_e6", "_e7", "_to"}},
    {"mto_igv_ipm2", {"_e0", "_e1", "_e6", "_e7", "_to", "_e16"}},
    {"mto_com_ven_nogra", {"_e0", "_e1", "_e6", "_e7", "_to"}},
    {"mto_igv_ipm3", {"_e0", "_e1", "_e6", "_e7", "_to"}},
    {"mto_adq_nogra", {"_e0", "_e1", "_e6", "_e7", "_to"}},
    {"mto_isc", {"_e0", "_e1", "_e6", "_e7", "_to"}},
    {"mto_icbp", {"_e0", "_e1", "_e6", "_e7", "_to"}},
    {"mto_otros", {"_e0", "_e1", "_e6", "_e7", "_to"}},
    {"mto_adq_per", {"_e0", "_e1", "_e6", "_e7", "_to"}},
};

// The amount families that a record of state 0, 1, 6 or 7 feeds, in order. mto_icbp is declared but fed by
// no column.
const MontoPorEstado kMontosEstado[] = {
    {"mto_com_ven_gra", kBaseGravada, false},
    {"mto_igv_ipm1", kIgvGravada, true},
    {"mto_com_ven_granogra", kBaseMixta, false},
    {"mto_igv_ipm2", kIgvMixta, true},
    {"mto_com_ven_nogra", kBaseNoGravada, false},
    {"mto_igv_ipm3", kIgvNoGravada, false},
    {"mto_adq_nogra", kNoGravado, false},
    {"mto_isc", kIsc, false},
    {"mto_otros", kOtros, false},
    {"mto_adq_per", kMontoComprobante, false},
    {"mto_adq_lib", kMontoComprobante, false},
};

const TotalesPorEstado kPorEstado = {filas(kMontosEstado), kEstado, kTipo, kSerie, kMoneda, kMontoComprobante};

// The general variant, and the detailed one with the names it declares on every record, built once.
const VarianteRegistro kGeneral = {kLayout, &kGenerales, {}, nullptr};
const VarianteRegistro kDetallada = {kLayout, nullptr, clavesDeclaradas({filas(kDeclaradas), filas(kClavesComunes)}),
                                     totalesPorEstado<kPorEstado>};

} // namespace libro81
} // namespace

KovRespuesta f080100g(QList<KovColumna> *cols, ParametrosRegistro *parametros)
{
    return validarRegistro(cols, parametros, libro81::kGeneral);
}

KovRespuesta f080100d(QList<KovColumna> *cols, ParametrosRegistro *parametros)
{
    return validarRegistro(cols, parametros, libro81::kDetallada);
}

// ---- end of register 8.1 ----



// ---- Register 8.2 ----

namespace {
namespace libro82 {

const int kEmision = 4;
const int kTipo = 5;
const int kSerie = 6;
const int kNumero = 7;
const int kAdquisicion = 8;
const int kOtros = 9;
const int kTotal = 10;
const int kTipoOtro = 11;
const int kSerieOtro = 12;
const int kAnioDua = 13;
const int kNumeroOtro = 14;
const int kRetencionIgv = 15;
const int kMoneda = 16;
const int kTipoCambio = 17;
const int kRentaBruta = 26;
const int kDeduccion = 27;
const int kRentaNeta = 28;
const int kImpuestoRetenido = 30;
const int kIndicador = 35;
const int kEstado = 36;

// The one state of a record of the book's own period in this register.
const int kEstadoPropio = 0;

// The other voucher of columns 11 to 14, when there is one.
void chequearOtroComprobante(KovRespuesta *resp, QList<KovColumna> *cols, const Registro &r,
                             const QString &noPermitido)
{
    static const ConjuntoCodigos otrosTipos("00 21 46 50 51 52 53");
    static const ConjuntoCodigos tiposDua("50 52");
    const QString otroTipo = getData(cols, kTipoOtro);
    if (!otroTipo.isEmpty()) {
        if (otrosTipos.contiene(otroTipo))
            checkCdpTipSerNumOtros(resp, cols, kTipoOtro, kSerieOtro, kNumeroOtro);
        else
            resp->addError(noPermitido, kTipoOtro);
    }
    if (tiposDua.contiene(otroTipo))
        chequearAnioDua(resp, cols, kAnioDua, r);
}

// Record checks of both variants; returns whether the voucher check passed (false when the voucher type is not
// one of the register's).
bool revisa(KovRespuesta *resp, QList<KovColumna> *cols, const Montos &, ParametrosRegistro *parametros)
{
    static const ConjuntoCodigos estados("0 9");
    static const ConjuntoCodigos tipos("00 91 97 98");
    const QString noPermitido =
        QStringLiteral("El tipo de comprobante de pago ingresado no esta permitido en este Libro Electrónico");

    const Registro r(cols, parametros, kEstado, kTipo);
    if (!estados.contiene(r.estado))
        resp->addError(QLatin1String(kEstadoIncorrecto), kEstado);
    if (checkPeriodoCompras(resp, kPeriodo, r.numeroEstado, r.periodo, r.periodoLibro(), false))
        checkFechaConPeriodo(resp, cols, kEmision, r.periodo, false, true);
    checkFechaEmisionEstado(resp, cols, kEmision, r.numeroEstado, r.periodo, r.periodoLibro());

    bool comprobante = false;
    if (tipos.contiene(r.tipo))
        comprobante = checkIndTipSerNumCompras(resp, cols, kEstado, kTipo, kSerie, kNumero, QStringLiteral("080200"));
    else
        resp->addError(noPermitido, kTipo);
    chequearOtroComprobante(resp, cols, r, noPermitido);

    if (getData(cols, kMoneda) != QLatin1String("PEN") && checkObligatorio(resp, cols, kTipoCambio, QStringLiteral("0")))
        checkTipoCambio(resp, cols, kTipoCambio);
    indicador(resp, cols, kIndicador);
    return comprobante;
}

const LayoutRegistro kLayout = {revisa, nullptr, kTipo, kEstado, kTotal};

// Declared in this order on every record; the amounts are fed by state "0" records only.
const TotalGeneral kTotalesGenerales[] = {
    {"cnt_reg_e0", kDeclarado, nullptr},
    {"cnt_reg_e9", kDeclarado, nullptr},
    {"mto_adq", kDeclarado, nullptr},
    {"mto_otros", kDeclarado, nullptr},
    {"mto_imp", kDeclarado, nullptr},
    {"mto_ret_IGV", kDeclarado, nullptr},
    {"mto_ren_bru", kDeclarado, nullptr},
    {"mto_deducc", kDeclarado, nullptr},
    {"mto_ren_net", kDeclarado, nullptr},
    {"mto_imp_ret", kDeclarado, nullptr},
    {"mto_adq", kAdquisicion, "0"},
    {"mto_otros", kOtros, "0"},
    {"mto_imp", kTotal, "0"},
    {"mto_ret_IGV", kRetencionIgv, "0"},
    {"mto_ren_bru", kRentaBruta, "0"},
    {"mto_deducc", kDeduccion, "0"},
    {"mto_ren_net", kRentaNeta, "0"},
    {"mto_imp_ret", kImpuestoRetenido, "0"},
    {"cnt_reg_e0", kCuenta, "0"},
    {"cnt_reg_e9", kCuenta, "9"},
};

// The state counts are rows of the table: only states "0" and "9" are counted.
const TotalesGenerales kGenerales = {filas(kTotalesGenerales), {nullptr, 0}};

const FamiliaClaves kDeclaradas[] = {
    {"mto_adq", {"_e0", "_to"}},
    {"mto_otros", {"_e0", "_to"}},
    {"mto_adq_per", {"_e0", "_to"}},
    {"mto_ret_igv", {"_e0", "_to"}},
    {"mto_ren_bru", {"_e0", "_to"}},
    {"mto_deduc", {"_e0", "_to"}},
    {"mto_ren_net", {"_e0", "_to"}},
    {"mto_imp_ret", {"_e0", "_to"}},
    {"cnt_reg_per", {"_e0", "_to"}},
    {"cnt_reg_per_ant", {"_e9", "_to"}},
    {"cnt_reg", {"_e0", "_e9"}},
    {"cnt_cdp_mn", {"_e0", "_e9", "_to"}},
    {"cnt_cdp_me", {"_e0", "_e9", "_to"}},
    {"cnt_fact_elec", {"_e0", "_e9", "_to"}},
    {"cnt_fact_fisi", {"_e0", "_e9", "_to"}},
    {"cnt_nc_elec", {"_e0", "_e9", "_to"}},
    {"cnt_nc_fisi", {"_e0", "_e9", "_to"}},
    {"cnt_nd_elec", {"_e0", "_e9", "_to"}},
    {"cnt_nd_fisi", {"_e0", "_e9", "_to"}},
    {"cnt_otro_elec", {"_e0", "_e9", "_to"}},
    {"cnt_otro_fisi", {"_e0", "_e9", "_to"}},
};

// The amounts a state "0" record adds, each to its "_e0" and its "_to" name.
const MontoPorEstado kMontosPeriodo[] = {
    {"mto_adq", kAdquisicion, false},       {"mto_otros", kOtros, false},
    {"mto_adq_per", kTotal, false},         {"mto_ret_igv", kRetencionIgv, false},
    {"mto_ren_bru", kRentaBruta, false},    {"mto_deduc", kDeduccion, false},
    {"mto_ren_net", kRentaNeta, false},     {"mto_imp_ret", kImpuestoRetenido, false},
};

void totalesDetallados(KovRespuesta *resp, QList<KovColumna> *cols, const Montos &montos)
{
    static const ClasesComprobante clases = {ConjuntoCodigos("91"), ConjuntoCodigos("97"),
                                              ConjuntoCodigos("98")};
    const int estado = sufijoEstado(getData(cols, kEstado));
    const Clasificacion c = clasifica(cols, kMoneda, kSerie, kTipo, clases);
    if (estado == kEstadoPropio) {
        for (const MontoPorEstado &m : kMontosPeriodo) {
            const double valor = montos[m.col];
            resp->addAcumulador(m.familia[estado], valor);
            resp->addAcumulador(m.familia[kSufijoTotal], valor);
        }
        resp->addAcumulador(cuentaRegistrosPeriodo()[estado], 1.0);
        resp->addAcumulador(cuentaRegistrosPeriodo()[kSufijoTotal], 1.0);
        resp->addAcumulador(cuentaRegistros()[estado], 1.0);
        conteosClase(resp, c, estado);
    } else if (estado == kEstadoAnterior) {
        totalesPeriodoAnterior(resp, cols, montos, kTotal, c, false);
    }
    conteosClase(resp, c, kSufijoTotal);
}

// The general variant, and the detailed one with the names it declares on every record, built once.
const VarianteRegistro kGeneral = {kLayout, &kGenerales, {}, nullptr};
const VarianteRegistro kDetallada = {kLayout, nullptr, clavesDeclaradas({filas(kDeclaradas)}), totalesDetallados};

} // namespace libro82
} // namespace

KovRespuesta f080200g(QList<KovColumna> *cols, ParametrosRegistro *parametros)
{
    return validarRegistro(cols, parametros, libro82::kGeneral);
}

KovRespuesta f080200d(QList<KovColumna> *cols, ParametrosRegistro *parametros)
{
    return validarRegistro(cols, parametros, libro82::kDetallada);
}

// ---- end of register 8.2 ----



// ---- Register 8.3 ----

namespace {
namespace libro83 {

const int kEmision = 4;
const int kFechaMesSiguiente = 5;
const int kTipo = 6;
const int kSerie = 7;
const int kNumero = 8;
const int kSegundoNumero = 9;
const int kTipoDocumento = 10;
const int kNumeroDocumento = 11;
const int kProveedor = 12;
const int kBaseGravada = 13;
const int kIgv = 14;
const int kOtros = 15;
const int kTotal = 16;
const int kMoneda = 17;
const int kTipoCambio = 18;
const int kFechaReferencia = 19;
const int kTipoReferencia = 20;
const int kSerieReferencia = 21;
const int kNumeroReferencia = 22;
const int kFechaOpcional = 23;
const int kEnCadena = 24;
const int kBandera = 25;
const int kError1 = 27;
const int kError2 = 28;
const int kError3 = 29;
const int kCancelacion = 30;
const int kEstado = 31;

const ConjuntoCodigos kTiposNota("07 08 87 88");

// State, period and dates. Dates are measured against a period only once that period has passed its own check.
void chequearEstadoYFechas(KovRespuesta *resp, QList<KovColumna> *cols, const Registro &r)
{
    static const ConjuntoCodigos estados("0 1 6 7 9");
    const bool esNota = kTiposNota.contiene(r.tipo);
    const bool esRecibo = r.tipo == QLatin1String("14");

    if (!estados.contiene(r.estado))
        resp->addError(QLatin1String(kEstadoIncorrecto), kEstado);
    if (checkPeriodoCompras(resp, kPeriodo, r.numeroEstado, r.periodo, r.periodoLibro(), false)) {
        checkFechaConPeriodo(resp, cols, kEmision, r.periodo, false, true);
        if (esRecibo ? checkObligatorio(resp, cols, kFechaMesSiguiente, fechaVacia())
                     : !getData(cols, kFechaMesSiguiente).trimmed().isEmpty())
            fechaContraPeriodos(resp, cols, kFechaMesSiguiente, r.periodoLibro(), r.periodo, true, false);
        if (esNota && checkObligatorio(resp, cols, kFechaReferencia, fechaVacia()))
            fechaContraPeriodos(resp, cols, kFechaReferencia, r.periodoLibro(), r.periodo, false, false);
    } else {
        if (esRecibo)
            checkObligatorio(resp, cols, kFechaMesSiguiente, fechaVacia());
        if (esNota)
            checkObligatorio(resp, cols, kFechaReferencia, fechaVacia());
    }
    if (!getData(cols, kFechaOpcional).trimmed().isEmpty())
        fechaContraPeriodos(resp, cols, kFechaOpcional, r.periodoLibro(), r.periodo, true, false);
    checkFechaEmisionEstado(resp, cols, kEmision, r.numeroEstado, r.periodo, r.periodoLibro());
}

// The supplier's document: optional for some types, checked then only when both its parts are there.
void chequearProveedor(KovRespuesta *resp, QList<KovColumna> *cols, const Registro &r)
{
    static const ConjuntoCodigos tiposDocumentoOpcional(
        "00 03 05 06 11 12 13 14 15 16 18 19 22 23 26 28 30 36 37 55 56 91");
    if (!tiposDocumentoOpcional.contiene(r.tipo))
        documentoIdentidad(resp, cols, kTipoDocumento, kNumeroDocumento, kProveedor, false);
    else if (!getData(cols, kTipoDocumento).trimmed().isEmpty() && !getData(cols, kNumeroDocumento).trimmed().isEmpty())
        checkTipoDocumento(resp, cols, kTipoDocumento, kNumeroDocumento);
}

// Record checks of both variants, through the indicator counts that open their totals; returns whether the
// first voucher check passed.
bool revisa(KovRespuesta *resp, QList<KovColumna> *cols, const Montos &montos, ParametrosRegistro *parametros)
{
    static const ConjuntoCodigos tiposSegundoNumero("00 03 05 06 11 12 13 14 15 16 18 19 23 26 28 30 36 37 55 56");
    static const Indicador indicadores[] = {
        {kError1, "cnt_error1"}, {kError2, "cnt_error2"}, {kError3, "cnt_error3"}, {kCancelacion, "cnt_ind_cancel"},
    };
    static const ColumnasComprobante columnas = {kEstado, kTipo, kSerie, kSegundoNumero, "080300",
                                                 checkIndTipSerNumCompras};

    const Registro r(cols, parametros, kEstado, kTipo);
    chequearEstadoYFechas(resp, cols, r);
    const bool comprobante =
        checkIndTipSerNumCompras(resp, cols, kEstado, kTipo, kSerie, kNumero, QLatin1String(columnas.libro));
    segundoNumero(resp, cols, columnas, tiposSegundoNumero.contiene(r.tipo), comprobante);
    chequearProveedor(resp, cols, r);

    chequearImpuestoSegunBase(resp, cols, montos, kBaseGravada, kIgv);
    if (!getData(cols, kTipoCambio).isEmpty())
        checkTipoCambio(resp, cols, kTipoCambio);
    if (kTiposNota.contiene(r.tipo))
        comprobanteReferido(resp, cols, kTipoReferencia, kSerieReferencia, kNumeroReferencia);
    if (!getData(cols, kEnCadena).isEmpty())
        checkPositivoEnCadena(resp, cols, kEnCadena);

    indicador(resp, cols, kBandera);
    contarIndicadores(resp, cols, filas(indicadores));
    return comprobante;
}

// Box "107", the taxable base of purchases: a record of a box voucher type in state "1" or "6" adds its base,
// a credit note on such a voucher takes it away.
const ReglaCasilla kCasillas[] = {
    {"107", kBaseGravada, EstadosCasilla::UnoYSeis, TiposCasilla::Locales, Ingreso::Cualquiera},
};

void casillas(KovRespuesta *resp, QList<KovColumna> *cols, const Montos &montos)
{
    agregarCasillas(resp, cols, montos, filas(kCasillas), kEstado, kTipo, kTipoReferencia);
}

const LayoutRegistro kLayout = {revisa, casillas, kTipo, kEstado, kTotal};

const TotalGeneral kTotalesGenerales[] = {
    {"mto_bi_adq", kBaseGravada, nullptr},
    {"mto_igv", kIgv, nullptr},
    {"mto_otros", kOtros, nullptr},
    {"mto_imp", kTotal, nullptr},
};

const TotalesGenerales kGenerales = {filas(kTotalesGenerales), filas(kEstadosContados)};

const FamiliaClaves kDeclaradas[] = {
    {"mto_com_ven_gra", {"_e0", "_e1", "_e6", "_e7", "_to"}},
    {"mto_igv_ipm1", {"_e0", "_e1", "_e6", "_e7", "_to", "_e16"}},
    {"mto_icbp", {"_e0", "_e1", "_e6", "_e7", "_to"}},
    {"mto_otros", {"_e0", "_e1", "_e6", "_e7", "_to"}},
    {"mto_adq_per", {"_e0", "_e1", "_e6", "_e7", "_to"}},
};

// The amount families a record of the book's own period feeds; mto_icbp is declared but fed by no column.
const MontoPorEstado kMontosEstado[] = {
    {"mto_com_ven_gra", kBaseGravada, false},
    {"mto_igv_ipm1", kIgv, true},
    {"mto_otros", kOtros, false},
    {"mto_adq_per", kTotal, false},
    {"mto_adq_lib", kTotal, false},
};

const TotalesPorEstado kPorEstado = {filas(kMontosEstado), kEstado, kTipo, kSerie, kMoneda, kTotal};

// The general variant, and the detailed one with the names it declares on every record, built once.
const VarianteRegistro kGeneral = {kLayout, &kGenerales, {}, nullptr};
const VarianteRegistro kDetallada = {kLayout, nullptr, clavesDeclaradas({filas(kDeclaradas), filas(kClavesComunes)}),
                                     totalesPorEstado<kPorEstado>};

} // namespace libro83
} // namespace

KovRespuesta f080300g(QList<KovColumna> *cols, ParametrosRegistro *parametros)
{
    return validarRegistro(cols, parametros, libro83::kGeneral);
}

KovRespuesta f080300d(QList<KovColumna> *cols, ParametrosRegistro *parametros)
{
    return validarRegistro(cols, parametros, libro83::kDetallada);
}

// ---- end of register 8.3 ----
