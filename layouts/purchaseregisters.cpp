#include "purchaseregisters.h"

#include "datechecks.h"
#include "fieldchecks.h"
#include "kovcolumna.h"
#include "lecturamonto.h"
#include "othervoucher.h"
#include "purchasevoucher.h"
#include "rulehelpers.h"

#include <QStringList>
#include <QtGlobal>

#include <cmath>
#include <iterator>

// Shared by every purchase register.
namespace {

double monto(QList<KovColumna> *cols, int col)
{
    return numeroTexto(getData(cols, col));
}

// A record parameter looked up without inserting it; an absent key (or no map) reads as an empty value.
QVariant parametro(ParametrosRegistro *parametros, const char *clave)
{
    return parametros ? parametros->value(QLatin1String(clave)) : QVariant();
}

// The job's switches ("generateDetail", "generateQVR") are on only when their integer value is exactly 1.
bool activado(ParametrosRegistro *parametros, const char *clave)
{
    return parametro(parametros, clave).toInt() == 1;
}

const QString &estadoIncorrecto()
{
    static const QString texto = QStringLiteral("Indicador del estado es incorrecto");
    return texto;
}

// Record checks.

// The year of a DUA must lie after 1981 and not after the year of the book period or of the record's own.
void chequearAnioDua(KovRespuesta *resp, QList<KovColumna> *cols, int col, const QString &periodoLibro,
                     const QString &periodo)
{
    const int anio = enteroTexto(getData(cols, col));
    if (anio <= 1981)
        resp->addError(QStringLiteral("El año de emisión de la DUA debe ser mayor a 1981"), col);
    if (anio > anioPeriodo(periodoLibro) || anio > anioPeriodo(periodo))
        resp->addError(QStringLiteral("El año DUA debe ser menor o igual al año del periodo informado."), col);
}

// Where a voucher's numbers stand in a register's record.
struct ColumnasComprobante
{
    int estado;
    int tipo;
    int serie;
    int segundoNumero;
    const char *libro;
};

// The second number, allowed only for some voucher types. Once type, series and state have passed
// (`comprobante`), whatever the voucher rule finds on it belongs to that column.
void chequearSegundoNumero(KovRespuesta *resp, QList<KovColumna> *cols, const ColumnasComprobante &k,
                           bool permitido, bool comprobante)
{
    const bool conSegundo = !getData(cols, k.segundoNumero).isEmpty();
    if (permitido) {
        checkPositivoEnCadena(resp, cols, k.segundoNumero);
        if (comprobante && conSegundo)
            checkIndTipSerNumCompras(resp, cols, k.estado, k.tipo, k.serie, k.segundoNumero, QLatin1String(k.libro));
    } else if (conSegundo) {
        resp->addError(5, k.segundoNumero);
    }
}

// The supplier's document where the voucher type requires it; its type and number are checked together
// once either is there.
void chequearDocumentoObligatorio(KovRespuesta *resp, QList<KovColumna> *cols, int colTipo, int colNumero,
                                  int colProveedor)
{
    const QString guion = QStringLiteral("-");
    const bool conTipo = checkObligatorio(resp, cols, colTipo, QString());
    const bool conNumero = checkObligatorio(resp, cols, colNumero, guion);
    checkObligatorio(resp, cols, colProveedor, guion);
    if (conTipo || conNumero)
        checkTipoDocumento(resp, cols, colTipo, colNumero);
}

// A tax follows the sign of its base; a zero base, and so one that reads 0, takes the rule of positive ones.
void chequearImpuestoSegunBase(KovRespuesta *resp, QList<KovColumna> *cols, int colBase, int colImpuesto)
{
    if (leeMonto(getData(cols, colBase)).signo >= 0)
        checkPositivo(resp, cols, colImpuesto);
    else
        checkNegativo(resp, cols, colImpuesto);
}

// The voucher a note modifies: type, series and number are all required, and checked together once the type
// is there.
void chequearComprobanteReferido(KovRespuesta *resp, QList<KovColumna> *cols, int colTipo, int colSerie,
                                 int colNumero)
{
    const QString guion = QStringLiteral("-");
    const bool conTipo = checkObligatorio(resp, cols, colTipo, guion);
    checkObligatorio(resp, cols, colSerie, QStringLiteral("00"));
    checkObligatorio(resp, cols, colNumero, guion);
    if (conTipo)
        checkCdpTipSerNumOtros(resp, cols, colTipo, colSerie, colNumero);
}

// An indicator holds "1" or nothing; any other text is error 5 at its column. True when it holds "1".
bool indicador(KovRespuesta *resp, QList<KovColumna> *cols, int col)
{
    const QString texto = getData(cols, col);
    const bool uno = texto == QLatin1String("1");
    if (!texto.isEmpty() && !uno)
        resp->addError(5, col);
    return uno;
}

// An indicator column counted under its key.
struct Indicador
{
    int col;
    const char *clave;
};

// Every key is declared before any record is counted, so the keys stand in the summary in table order.
template <size_t N>
void contarIndicadores(KovRespuesta *resp, QList<KovColumna> *cols, const Indicador (&indicadores)[N])
{
    for (const Indicador &i : indicadores)
        resp->addAcumulador(QLatin1String(i.clave), 0.0);
    for (const Indicador &i : indicadores) {
        if (indicador(resp, cols, i.col))
            resp->addAcumulador(QLatin1String(i.clave), 1.0);
    }
}

// Plain totals.

// The state counts of the general variants: all five declared, then the record's own state counted once.
void contarEstados(KovRespuesta *resp, const QString &estado)
{
    static const char *const estados[] = {"0", "1", "6", "7", "9"};
    const QString prefijo = QStringLiteral("cnt_reg_e");
    for (const char *e : estados)
        resp->addAcumulador(prefijo + QLatin1String(e), 0.0);
    for (const char *e : estados) {
        if (estado == QLatin1String(e)) {
            resp->addAcumulador(prefijo + estado, 1.0);
            break;
        }
    }
}

// Detailed totals.

// Total keys are a family name and a suffix: "_e" and a state digit, "_e16" or "_to".
struct FamiliaClaves
{
    const char *familia;
    const char *sufijos[6];
};

template <size_t N>
QStringList clavesDeclaradas(const FamiliaClaves (&tabla)[N])
{
    QStringList claves;
    for (const FamiliaClaves &f : tabla) {
        for (const char *sufijo : f.sufijos) {
            if (sufijo)
                claves << QLatin1String(f.familia) + QLatin1String(sufijo);
        }
    }
    return claves;
}

// Declaring every key with 0.0 on every record keeps the summary's keys and their order fixed from the
// first record on, whatever it holds.
void declara(KovRespuesta *resp, const QStringList &claves)
{
    for (const QString &clave : claves)
        resp->addAcumulador(clave, 0.0);
}

// The keys of the detailed totals of registers 8.1 and 8.3 that follow their own amount families: the voucher
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

// How the detailed variants count a record: by currency, by medium (a series of digits only is a paper
// voucher) and by voucher class.
struct Clasificacion
{
    QString moneda;
    QString medio;
    QString clase;
};

// `tiposClase` holds the voucher types of an invoice, a credit note and a debit note, in this order.
Clasificacion clasifica(QList<KovColumna> *cols, int colMoneda, int colSerie, const QString &tipo,
                        const char *const (&tiposClase)[3])
{
    static const char *const clases[3] = {"fact", "nc", "nd"};
    Clasificacion c;
    c.moneda = getData(cols, colMoneda) == QLatin1String("PEN") ? QStringLiteral("mn") : QStringLiteral("me");
    c.medio = esSoloDigitos(getData(cols, colSerie)) ? QStringLiteral("fisi") : QStringLiteral("elec");
    c.clase = QStringLiteral("otro");
    for (int i = 0; i < 3; ++i) {
        if (tipo == QLatin1String(tiposClase[i])) {
            c.clase = QLatin1String(clases[i]);
            break;
        }
    }
    return c;
}

// One currency count and one class count for the suffix.
void conteosClase(KovRespuesta *resp, const Clasificacion &c, const QString &sufijo)
{
    resp->addAcumulador(QStringLiteral("cnt_cdp_") + c.moneda + sufijo, 1.0);
    resp->addAcumulador(QStringLiteral("cnt_") + c.clase + QLatin1Char('_') + c.medio + sufijo, 1.0);
}

// An amount family of the per-state totals, the column that feeds it, and whether states "1" and "6" also
// feed its "_e16" key.
struct MontoPorEstado
{
    const char *familia;
    int col;
    bool conE16;
};

// What the per-state totals of registers 8.1 and 8.3 read. The amount families end with mto_adq_lib, fed by
// the voucher total; the ones before it also make the first half of the all-state block.
struct TotalesPorEstado
{
    const MontoPorEstado *montos;
    int numMontos;
    int estado;
    int tipo;
    int serie;
    int moneda;
    int total;
    const char *tiposClase[3];
};

// The detailed totals of registers 8.1 and 8.3: every key declared on every record, then, for a record that
// passed the voucher rule (`comprobante`), its state's block and the all-state block.
void totalesPorEstado(KovRespuesta *resp, QList<KovColumna> *cols, const QStringList &claves,
                      const TotalesPorEstado &t, bool comprobante)
{
    static const QStringList estadosPropios = {"0", "1", "6", "7"};
    declara(resp, claves);
    if (!comprobante)
        return;

    const QString estado = getData(cols, t.estado);
    const Clasificacion c = clasifica(cols, t.moneda, t.serie, getData(cols, t.tipo), t.tiposClase);
    if (inList(estado, estadosPropios)) {
        const QString s = QStringLiteral("_e") + estado;
        const bool e16 = estado == QLatin1String("1") || estado == QLatin1String("6");
        for (int i = 0; i < t.numMontos; ++i) {
            const MontoPorEstado &m = t.montos[i];
            const double valor = monto(cols, m.col);
            resp->addAcumulador(QLatin1String(m.familia) + s, valor);
            if (m.conE16 && e16)
                resp->addAcumulador(QLatin1String(m.familia) + QLatin1String("_e16"), valor);
        }
        resp->addAcumulador(QStringLiteral("cnt_reg_per") + s, 1.0);
        resp->addAcumulador(QStringLiteral("cnt_reg") + s, 1.0);
        conteosClase(resp, c, s);
        for (int i = 0; i + 1 < t.numMontos; ++i) {
            const MontoPorEstado &m = t.montos[i];
            resp->addAcumulador(QLatin1String(m.familia) + QLatin1String("_to"), monto(cols, m.col));
        }
        resp->addAcumulador(QStringLiteral("cnt_reg_per_to"), 1.0);
    } else if (estado == QLatin1String("9")) {
        // A record of an earlier period keeps its amount apart under its own period.
        const QString periodo = getData(cols, 1);
        const double valor = monto(cols, t.total);
        resp->addPerAcumulador(QStringLiteral("mto_adq_per_ant_e9"), periodo, valor);
        resp->addPerAcumulador(QStringLiteral("mto_adq_per_ant_to"), periodo, valor);
        resp->addAcumulador(QStringLiteral("mto_adq_lib_e9"), valor);
        resp->addAcumulador(QStringLiteral("cnt_reg_per_ant_e9"), 1.0);
        resp->addAcumulador(QStringLiteral("cnt_reg_per_ant_to"), 1.0);
        resp->addAcumulador(QStringLiteral("cnt_reg_e9"), 1.0);
        conteosClase(resp, c, QStringLiteral("_e9"));
    }
    // Every record past the voucher rule, whatever its state, reaches the second half of the all-state block.
    resp->addAcumulador(QStringLiteral("mto_adq_lib_to"), monto(cols, t.total));
    conteosClase(resp, c, QStringLiteral("_to"));
}

// Tax-form boxes and aggregates.

const QStringList kTiposCasilla = {
    "00", "01", "04", "05", "06", "08", "11", "12", "13", "14", "15", "16", "17", "18", "23", "24", "25", "26",
    "27", "28", "29", "30", "32", "34", "35", "36", "37", "42", "43", "48", "55", "56", "88", "89", "96",
};
const QStringList kTiposImportacion = {"46", "50", "51", "52", "53", "54"};
const QStringList kTiposReversion = {"07", "87"};

// A box rule: states "1" and "6" (and "0" with `conEstado0`), a voucher type of the box list or of the import
// list, an amount column and whether the amount must pass the entry test. A reversing voucher ("07", "87")
// takes the box of the voucher it refers to, always as a negative.
struct ReglaCasilla
{
    const char *casilla;
    bool conEstado0;
    bool importacion;
    bool reversion;
    int col;
    bool pruebaIngreso;
};

// The record's box entries, rule by rule in table order, when the job asks for the boxes.
template <size_t N>
void agregarCasillas(KovRespuesta *resp, QList<KovColumna> *cols, ParametrosRegistro *parametros,
                     const ReglaCasilla (&reglas)[N], int colEstado, int colTipo, int colTipoReferencia)
{
    if (!activado(parametros, "generateQVR"))
        return;
    const QString estado = getData(cols, colEstado);
    const QString tipo = getData(cols, colTipo);
    const bool estado16 = estado == QLatin1String("1") || estado == QLatin1String("6");
    const bool estado0 = estado == QLatin1String("0");
    for (const ReglaCasilla &regla : reglas) {
        if (!estado16 && !(regla.conEstado0 && estado0))
            continue;
        const QStringList &lista = regla.importacion ? kTiposImportacion : kTiposCasilla;
        const bool aplica = regla.reversion
            ? inList(tipo, kTiposReversion) && inList(getData(cols, colTipoReferencia), lista)
            : inList(tipo, lista);
        if (!aplica)
            continue;
        const QString texto = getData(cols, regla.col);
        if (regla.pruebaIngreso && !validarIngresoCasilla(texto))
            continue;
        const double valor = numeroTexto(texto);
        resp->addCasillas(QLatin1String(regla.casilla), regla.reversion ? -std::fabs(valor) : valor);
    }
}

// The closing step of every register: two aggregates per voucher type and state and one detail line, only
// when the job asks for the detail. Type and state are taken as written, so a wrong state still has its keys.
void agregadosDetalle(KovRespuesta *resp, QList<KovColumna> *cols, ParametrosRegistro *parametros, int colTipo,
                      int colEstado, int colMonto)
{
    if (!activado(parametros, "generateDetail"))
        return;
    const QString tipoEstado = getData(cols, colTipo) + QLatin1Char('_') + getData(cols, colEstado);
    resp->addAgregado(QStringLiteral("cdp_cnt_") + tipoEstado, 1.0);
    resp->addAgregado(QStringLiteral("cdp_mto_") + tipoEstado, monto(cols, colMonto));
    resp->addCounterDetail();
}

} // namespace

// ---- Register 8.1 ----

namespace {
namespace libro81 {

const int kPeriodo = 1;
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
const int kEstado = 41;

const QStringList kTiposColumna26 = {"07", "08", "87", "88", "97", "98"};
const QStringList kTiposDua = {"50", "52"};
const QStringList kTiposSegundoNumero = {
    "00", "03", "05", "06", "07", "08", "11", "12", "13", "14", "15", "16", "18",
    "19", "23", "26", "28", "30", "34", "35", "36", "37", "55", "56", "87", "88",
};
const QStringList kTiposDocumentoOpcional = {
    "00", "03", "05", "06", "07", "08", "11", "12", "13", "14", "15", "16", "18", "19", "22",
    "23", "26", "28", "30", "34", "35", "36", "37", "55", "56", "87", "88", "91", "97", "98",
};

// What a call reads once and every phase works from.
struct Registro
{
    QString estado;
    QString periodo;
    QString tipo;
    QString periodoLibro;
    int numeroEstado;
};

Registro leerRegistro(QList<KovColumna> *cols, ParametrosRegistro *parametros)
{
    Registro r;
    r.estado = getData(cols, kEstado);
    r.periodo = getData(cols, kPeriodo);
    r.tipo = getData(cols, kTipo);
    r.numeroEstado = enteroTexto(r.estado);
    r.periodoLibro = parametro(parametros, "periodo").toString();
    return r;
}

void chequearEstadoYFechas(KovRespuesta *resp, QList<KovColumna> *cols, const Registro &r)
{
    const QString fechaVacia = QStringLiteral("01/01/0001");
    if (r.estado == QLatin1String("8") || r.estado == QLatin1String("5"))
        resp->addError(estadoIncorrecto(), kEstado);
    if (r.estado == QLatin1String("7"))
        resp->addEstado7();

    const bool tipo14 = r.tipo == QLatin1String("14");
    const bool conReferencia = inList(r.tipo, kTiposColumna26);
    const bool conFechaOpcional = !getData(cols, kFechaOpcional).isEmpty();

    if (checkPeriodoCompras(resp, kPeriodo, r.numeroEstado, r.periodo, r.periodoLibro, false)) {
        checkFechaConPeriodo(resp, cols, kEmision, r.periodo, false, true);
        const bool conFecha5 = tipo14 ? checkObligatorio(resp, cols, kFechaMesSiguiente, fechaVacia)
                                      : !getData(cols, kFechaMesSiguiente).trimmed().isEmpty();
        if (conFecha5) {
            if (!checkFechaConPeriodo(resp, cols, kFechaMesSiguiente, r.periodoLibro, true, true))
                resp->addError(QStringLiteral("La fecha debe ser menor o igual al mes siguiente del periodo informado"),
                               kFechaMesSiguiente);
            if (!checkFechaConPeriodo(resp, cols, kFechaMesSiguiente, r.periodo, true, true))
                resp->addError(QStringLiteral("La fecha debe ser menor o igual al mes siguiente del periodo señalado "
                                              "en el campo 1"),
                               kFechaMesSiguiente);
        }
        if (conReferencia && checkObligatorio(resp, cols, kFechaReferencia, fechaVacia))
            checkFechaConPeriodo(resp, cols, kFechaReferencia, r.periodo, false, true);
        if (conFechaOpcional)
            checkFechaConPeriodoCompras(resp, cols, kFechaOpcional, r.periodo);
    } else {
        // A refused period judges no date against it; only the presence checks and column 31 remain.
        if (tipo14)
            checkObligatorio(resp, cols, kFechaMesSiguiente, fechaVacia);
        if (conFechaOpcional)
            checkFechaConPeriodoCompras(resp, cols, kFechaOpcional, r.periodo);
        if (conReferencia)
            checkObligatorio(resp, cols, kFechaReferencia, fechaVacia);
    }
    checkFechaEmisionEstado(resp, cols, kEmision, r.numeroEstado, r.periodo);
}

// Returns the verdict of the voucher rule on columns 6, 7 and 9, which gates the detailed totals.
bool chequearComprobante(KovRespuesta *resp, QList<KovColumna> *cols, const Registro &r)
{
    static const ColumnasComprobante columnas = {kEstado, kTipo, kSerie, kSegundoNumero, "080100"};
    const bool comprobante =
        checkIndTipSerNumCompras(resp, cols, kEstado, kTipo, kSerie, kNumero, QLatin1String(columnas.libro));
    if (inList(r.tipo, kTiposDua))
        chequearAnioDua(resp, cols, kAnioDua, r.periodoLibro, r.periodo);
    chequearSegundoNumero(resp, cols, columnas, inList(r.tipo, kTiposSegundoNumero), comprobante);
    return comprobante;
}

void chequearProveedorYMontos(KovRespuesta *resp, QList<KovColumna> *cols, const Registro &r)
{
    if (inList(r.tipo, kTiposDocumentoOpcional)) {
        if (!getData(cols, kTipoDocumento).isEmpty() || !getData(cols, kNumeroDocumento).isEmpty())
            checkTipoDocumento(resp, cols, kTipoDocumento, kNumeroDocumento);
    } else {
        chequearDocumentoObligatorio(resp, cols, kTipoDocumento, kNumeroDocumento, kProveedor);
    }

    static const int kBaseImpuesto[][2] = {{14, 15}, {16, 17}, {18, 19}};
    for (const auto &par : kBaseImpuesto)
        chequearImpuestoSegunBase(resp, cols, par[0], par[1]);

    if (!getData(cols, kTipoCambio).isEmpty())
        checkTipoCambio(resp, cols, kTipoCambio);

    if (inList(r.tipo, kTiposColumna26))
        chequearComprobanteReferido(resp, cols, kTipoReferencia, kSerieReferencia, kNumeroReferencia);
    // Column 27 is read on every record, not only when the voucher must name one.
    if (inList(getData(cols, kTipoReferencia), kTiposDua))
        checkObligatorio(resp, cols, kDuaReferencia, QStringLiteral("-"));

    checkPositivoEnCadena(resp, cols, kEnCadena);
    const QString bandera = getData(cols, kBandera);
    if (!bandera.isEmpty() && bandera != QLatin1String("1"))
        resp->addError(5, kBandera);
}

// Indicator columns 36 to 40: empty or "1", counted under their keys.
const Indicador kIndicadores[] = {
    {36, "cnt_error1"}, {37, "cnt_error2"}, {38, "cnt_error3"}, {39, "cnt_error4"}, {40, "cnt_ind_cancel"},
};

// General totals.

struct TotalGeneral
{
    const char *clave;
    int col;
};
const TotalGeneral kTotalesGenerales[] = {
    {"mto_BI_ag_oge_t1", 14},     {"mto_IGV_ag_oge_t1", 15}, {"mto_BI_ag_oge_ong_t1", 16},
    {"mto_IGV_ag_oge_ong_t1", 17}, {"mto_BI_ag_ong_t1", 18},  {"mto_IGV_ag_ong_t1", 19},
    {"mto_ang_t1", 20},           {"mto_ISC_t1", 21},        {"mto_otros_t1", 22},
    {"mto_CDP_t1", 23},
};

void totalesGenerales(KovRespuesta *resp, QList<KovColumna> *cols, const Registro &r)
{
    for (const TotalGeneral &t : kTotalesGenerales)
        resp->addAcumulador(QLatin1String(t.clave), monto(cols, t.col));
    contarEstados(resp, r.estado);
}

// Detailed totals.

// Every key of the detailed totals is declared on every record, family by family in this order (these amount
// families, then the common ones), so the first record of a book fixes where they stand in the summary.
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
    {"mto_com_ven_gra", 14, false},
    {"mto_igv_ipm1", 15, true},
    {"mto_com_ven_granogra", 16, false},
    {"mto_igv_ipm2", 17, true},
    {"mto_com_ven_nogra", 18, false},
    {"mto_igv_ipm3", 19, false},
    {"mto_adq_nogra", 20, false},
    {"mto_isc", 21, false},
    {"mto_otros", 22, false},
    {"mto_adq_per", 23, false},
    {"mto_adq_lib", 23, false},
};

// Tax-form boxes.

const ReglaCasilla kReglasCasilla[] = {
    {"107", false, false, false, 14, false}, {"107", false, false, true, 14, false},
    {"110", false, false, false, 16, true},  {"110", false, false, true, 16, true},
    {"114", false, true, false, 14, true},   {"114", false, true, true, 14, true},
    {"116", false, true, false, 16, true},   {"116", false, true, true, 16, true},
    {"113", true, false, false, 18, true},   {"113", true, false, true, 18, true},
    {"119", true, true, false, 18, true},    {"119", true, true, true, 18, true},
    {"120", true, false, false, 20, true},   {"120", true, false, true, 20, true},
    {"122", true, true, false, 20, true},    {"122", true, true, true, 20, true},
};

// The frame both variants share: every phase runs on every record, whatever an earlier one reported.
KovRespuesta validar(QList<KovColumna> *cols, ParametrosRegistro *parametros, bool detallado)
{
    static const TotalesPorEstado totales = {
        kMontosEstado, int(std::size(kMontosEstado)), kEstado, kTipo, kSerie, kMoneda, kMontoComprobante,
        {"01", "07", "08"},
    };
    static const QStringList claves = clavesDeclaradas(kDeclaradas) + clavesDeclaradas(kClavesComunes);

    KovRespuesta resp;
    const Registro r = leerRegistro(cols, parametros);
    chequearEstadoYFechas(&resp, cols, r);
    const bool comprobante = chequearComprobante(&resp, cols, r);
    chequearProveedorYMontos(&resp, cols, r);
    contarIndicadores(&resp, cols, kIndicadores);
    if (detallado)
        totalesPorEstado(&resp, cols, claves, totales, comprobante);
    else
        totalesGenerales(&resp, cols, r);
    agregarCasillas(&resp, cols, parametros, kReglasCasilla, kEstado, kTipo, kTipoReferencia);
    agregadosDetalle(&resp, cols, parametros, kTipo, kEstado, kMontoComprobante);
    return resp;
}

} // namespace libro81
} // namespace

KovRespuesta f080100g(QList<KovColumna> *cols, ParametrosRegistro *parametros)
{
    return libro81::validar(cols, parametros, false);
}

KovRespuesta f080100d(QList<KovColumna> *cols, ParametrosRegistro *parametros)
{
    return libro81::validar(cols, parametros, true);
}

// ---- end of register 8.1 ----



// ---- Registers 8.2 and 8.3 ----

namespace {

// A code list written as one text, codes separated by blanks, in the order the layout gives them.
QStringList codigos(const char *texto)
{
    return QString::fromLatin1(texto).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// Register 8.2.

const int kEstado82 = 36;
const int kTipo82 = 5;
const int kMonto82 = 10;

// Record checks shared by both variants of register 8.2; returns whether the voucher check passed (false
// when the voucher type is not one of the register's).
bool revisaRegistro82(KovRespuesta *resp, QList<KovColumna> *cols, ParametrosRegistro *parametros)
{
    static const QStringList estados = codigos("0 9");
    static const QStringList tipos = codigos("00 91 97 98");
    static const QStringList otrosTipos = codigos("00 21 46 50 51 52 53");
    static const QStringList tiposDua = codigos("50 52");
    const QString noPermitido =
        QStringLiteral("El tipo de comprobante de pago ingresado no esta permitido en este Libro Electrónico");

    const QString estado = getData(cols, kEstado82);
    const QString periodo = getData(cols, 1);
    const QString periodoLibro = parametro(parametros, "periodo").toString();

    if (!inList(estado, estados))
        resp->addError(estadoIncorrecto(), kEstado82);
    const int numEstado = enteroTexto(estado);
    if (checkPeriodoCompras(resp, 1, numEstado, periodo, periodoLibro, false))
        checkFechaConPeriodo(resp, cols, 4, periodo, false, true);
    checkFechaEmisionEstado(resp, cols, 4, numEstado, periodo, periodoLibro);

    bool comprobanteOk = false;
    if (inList(getData(cols, kTipo82), tipos))
        comprobanteOk = checkIndTipSerNumCompras(resp, cols, kEstado82, kTipo82, 6, 7, QStringLiteral("080200"));
    else
        resp->addError(noPermitido, kTipo82);

    const QString otroTipo = getData(cols, 11);
    if (!otroTipo.isEmpty()) {
        if (inList(otroTipo, otrosTipos))
            checkCdpTipSerNumOtros(resp, cols, 11, 12, 14);
        else
            resp->addError(noPermitido, 11);
    }
    if (inList(otroTipo, tiposDua))
        chequearAnioDua(resp, cols, 13, periodoLibro, periodo);

    if (getData(cols, 16) != QLatin1String("PEN") && checkObligatorio(resp, cols, 17, QStringLiteral("0")))
        checkTipoCambio(resp, cols, 17);
    indicador(resp, cols, 35);
    return comprobanteOk;
}

// Register 8.3.

const int kEstado83 = 31;
const int kTipo83 = 6;

// A date compared with the book period and then with the record period (column 1), each failure worded at
// the column; with `mesSiguiente` the date may reach into the month after either period.
void fechaConPeriodos83(KovRespuesta *resp, QList<KovColumna> *cols, int col, const QString &periodoLibro,
                        const QString &periodo, bool mesSiguiente)
{
    if (!checkFechaConPeriodo(resp, cols, col, periodoLibro, mesSiguiente, false)) {
        resp->addError(mesSiguiente
                           ? QStringLiteral("La fecha debe ser menor o igual al mes siguiente del periodo informado")
                           : QStringLiteral("La fecha debe ser menor o igual al periodo informado"),
                       col);
    }
    if (!checkFechaConPeriodo(resp, cols, col, periodo, mesSiguiente, false)) {
        resp->addError(mesSiguiente ? QStringLiteral("La fecha debe ser menor o igual al mes siguiente del periodo "
                                                     "señalado en el campo 1")
                                    : QStringLiteral("La fecha debe ser menor o igual al periodo señalado en el campo 1"),
                       col);
    }
}

// Record checks shared by both variants of register 8.3, through the indicator counts that open their totals;
// returns whether the first voucher check passed.
bool revisaRegistro83(KovRespuesta *resp, QList<KovColumna> *cols, ParametrosRegistro *parametros)
{
    static const QStringList estados = codigos("0 1 6 7 9");
    static const QStringList tiposNota = codigos("07 08 87 88");
    static const QStringList tiposSegundoNumero =
        codigos("00 03 05 06 11 12 13 14 15 16 18 19 23 26 28 30 36 37 55 56");
    static const QStringList tiposDocumentoOpcional =
        codigos("00 03 05 06 11 12 13 14 15 16 18 19 22 23 26 28 30 36 37 55 56 91");
    static const Indicador indicadores[] = {
        {27, "cnt_error1"}, {28, "cnt_error2"}, {29, "cnt_error3"}, {30, "cnt_ind_cancel"},
    };
    static const ColumnasComprobante columnas = {kEstado83, kTipo83, 7, 9, "080300"};
    const QString fechaVacia = QStringLiteral("01/01/0001");

    const QString estado = getData(cols, kEstado83);
    const QString periodo = getData(cols, 1);
    const QString tipo = getData(cols, kTipo83);
    const QString periodoLibro = parametro(parametros, "periodo").toString();
    const bool esNota = inList(tipo, tiposNota);
    const bool esRecibo = tipo == QLatin1String("14");

    // State, period and dates. Dates are measured against a period only once that period has passed its
    // own check.
    if (!inList(estado, estados))
        resp->addError(estadoIncorrecto(), kEstado83);
    const int numEstado = enteroTexto(estado);
    if (checkPeriodoCompras(resp, 1, numEstado, periodo, periodoLibro, false)) {
        checkFechaConPeriodo(resp, cols, 4, periodo, false, true);
        if (esRecibo ? checkObligatorio(resp, cols, 5, fechaVacia) : !getData(cols, 5).trimmed().isEmpty())
            fechaConPeriodos83(resp, cols, 5, periodoLibro, periodo, true);
        if (esNota && checkObligatorio(resp, cols, 19, fechaVacia))
            fechaConPeriodos83(resp, cols, 19, periodoLibro, periodo, false);
    } else {
        if (esRecibo)
            checkObligatorio(resp, cols, 5, fechaVacia);
        if (esNota)
            checkObligatorio(resp, cols, 19, fechaVacia);
    }
    if (!getData(cols, 23).trimmed().isEmpty())
        fechaConPeriodos83(resp, cols, 23, periodoLibro, periodo, true);
    checkFechaEmisionEstado(resp, cols, 4, numEstado, periodo, periodoLibro);

    // The voucher, and the second number that only some types may carry.
    const bool comprobanteOk =
        checkIndTipSerNumCompras(resp, cols, kEstado83, kTipo83, 7, 8, QLatin1String(columnas.libro));
    chequearSegundoNumero(resp, cols, columnas, inList(tipo, tiposSegundoNumero), comprobanteOk);

    // The supplier's document: optional for some types, checked then only when both its parts are there.
    if (inList(tipo, tiposDocumentoOpcional)) {
        if (!getData(cols, 10).trimmed().isEmpty() && !getData(cols, 11).trimmed().isEmpty())
            checkTipoDocumento(resp, cols, 10, 11);
    } else {
        chequearDocumentoObligatorio(resp, cols, 10, 11, 12);
    }

    chequearImpuestoSegunBase(resp, cols, 13, 14);
    if (!getData(cols, 18).isEmpty())
        checkTipoCambio(resp, cols, 18);

    if (esNota)
        chequearComprobanteReferido(resp, cols, 20, 21, 22);
    if (!getData(cols, 24).isEmpty())
        checkPositivoEnCadena(resp, cols, 24);

    indicador(resp, cols, 25);
    contarIndicadores(resp, cols, indicadores);
    return comprobanteOk;
}

// Box "107", the taxable base of purchases: a record of a box voucher type in state "1" or "6" adds its base,
// a credit note on such a voucher takes it away.
const ReglaCasilla kCasillas83[] = {
    {"107", false, false, false, 13, false},
    {"107", false, false, true, 13, false},
};

} // namespace

KovRespuesta f080200g(QList<KovColumna> *cols, ParametrosRegistro *parametros)
{
    // Declared in this order on every record; the amounts are fed by state "0" records only.
    static const struct { const char *clave; int columna; } totales[] = {
        {"cnt_reg_e0", 0}, {"cnt_reg_e9", 0}, {"mto_adq", 8}, {"mto_otros", 9}, {"mto_imp", 10},
        {"mto_ret_IGV", 15}, {"mto_ren_bru", 26}, {"mto_deducc", 27}, {"mto_ren_net", 28}, {"mto_imp_ret", 30},
    };
    KovRespuesta resp;
    revisaRegistro82(&resp, cols, parametros);
    const QString estado = getData(cols, kEstado82);
    for (const auto &t : totales)
        resp.addAcumulador(QLatin1String(t.clave), 0.0);
    if (estado == QLatin1String("0")) {
        for (const auto &t : totales) {
            if (t.columna > 0)
                resp.addAcumulador(QLatin1String(t.clave), monto(cols, t.columna));
        }
        resp.addAcumulador(QStringLiteral("cnt_reg_e0"), 1.0);
    } else if (estado == QLatin1String("9")) {
        resp.addAcumulador(QStringLiteral("cnt_reg_e9"), 1.0);
    }
    agregadosDetalle(&resp, cols, parametros, kTipo82, kEstado82, kMonto82);
    return resp;
}

KovRespuesta f080200d(QList<KovColumna> *cols, ParametrosRegistro *parametros)
{
    static const FamiliaClaves familias[] = {
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
    // The amounts a state "0" record adds, each to its "_e0" and its "_to" key.
    static const struct { const char *familia; int columna; } montos[] = {
        {"mto_adq", 8}, {"mto_otros", 9}, {"mto_adq_per", 10}, {"mto_ret_igv", 15},
        {"mto_ren_bru", 26}, {"mto_deduc", 27}, {"mto_ren_net", 28}, {"mto_imp_ret", 30},
    };
    static const char *const tiposClase[3] = {"91", "97", "98"};
    static const QStringList claves = clavesDeclaradas(familias);

    KovRespuesta resp;
    const bool comprobanteOk = revisaRegistro82(&resp, cols, parametros);
    declara(&resp, claves);
    if (comprobanteOk) {
        const QString estado = getData(cols, kEstado82);
        const Clasificacion c = clasifica(cols, 16, 6, getData(cols, kTipo82), tiposClase);
        if (estado == QLatin1String("0")) {
            for (const auto &m : montos) {
                const double valor = monto(cols, m.columna);
                resp.addAcumulador(QLatin1String(m.familia) + QLatin1String("_e0"), valor);
                resp.addAcumulador(QLatin1String(m.familia) + QLatin1String("_to"), valor);
            }
            resp.addAcumulador(QStringLiteral("cnt_reg_per_e0"), 1.0);
            resp.addAcumulador(QStringLiteral("cnt_reg_per_to"), 1.0);
            resp.addAcumulador(QStringLiteral("cnt_reg_e0"), 1.0);
            conteosClase(&resp, c, QStringLiteral("_e0"));
        } else if (estado == QLatin1String("9")) {
            // A purchase of an earlier period: its total is filed under its own period.
            const QString periodo = getData(cols, 1);
            resp.addPerAcumulador(QStringLiteral("mto_adq_per_ant_e9"), periodo, monto(cols, kMonto82));
            resp.addPerAcumulador(QStringLiteral("mto_adq_per_ant_to"), periodo, monto(cols, kMonto82));
            resp.addAcumulador(QStringLiteral("cnt_reg_per_ant_e9"), 1.0);
            resp.addAcumulador(QStringLiteral("cnt_reg_per_ant_to"), 1.0);
            resp.addAcumulador(QStringLiteral("cnt_reg_e9"), 1.0);
            conteosClase(&resp, c, QStringLiteral("_e9"));
        }
        conteosClase(&resp, c, QStringLiteral("_to"));
    }
    agregadosDetalle(&resp, cols, parametros, kTipo82, kEstado82, kMonto82);
    return resp;
}

KovRespuesta f080300g(QList<KovColumna> *cols, ParametrosRegistro *parametros)
{
    static const struct { const char *clave; int columna; } montos[] = {
        {"mto_bi_adq", 13}, {"mto_igv", 14}, {"mto_otros", 15}, {"mto_imp", 16},
    };

    KovRespuesta resp;
    revisaRegistro83(&resp, cols, parametros);
    for (const auto &m : montos)
        resp.addAcumulador(QLatin1String(m.clave), monto(cols, m.columna));
    contarEstados(&resp, getData(cols, kEstado83));
    agregarCasillas(&resp, cols, parametros, kCasillas83, kEstado83, kTipo83, 20);
    agregadosDetalle(&resp, cols, parametros, kTipo83, kEstado83, 16);
    return resp;
}

KovRespuesta f080300d(QList<KovColumna> *cols, ParametrosRegistro *parametros)
{
    static const FamiliaClaves familias[] = {
        {"mto_com_ven_gra", {"_e0", "_e1", "_e6", "_e7", "_to"}},
        {"mto_igv_ipm1", {"_e0", "_e1", "_e6", "_e7", "_to", "_e16"}},
        {"mto_icbp", {"_e0", "_e1", "_e6", "_e7", "_to"}},
        {"mto_otros", {"_e0", "_e1", "_e6", "_e7", "_to"}},
        {"mto_adq_per", {"_e0", "_e1", "_e6", "_e7", "_to"}},
    };
    // The amount families a record of the book's own period feeds; mto_icbp is declared but fed by no column.
    static const MontoPorEstado montos[] = {
        {"mto_com_ven_gra", 13, false},
        {"mto_igv_ipm1", 14, true},
        {"mto_otros", 15, false},
        {"mto_adq_per", 16, false},
        {"mto_adq_lib", 16, false},
    };
    static const TotalesPorEstado totales = {
        montos, int(std::size(montos)), kEstado83, kTipo83, 7, 17, 16, {"01", "07", "08"},
    };
    static const QStringList claves = clavesDeclaradas(familias) + clavesDeclaradas(kClavesComunes);

    KovRespuesta resp;
    const bool comprobanteOk = revisaRegistro83(&resp, cols, parametros);
    totalesPorEstado(&resp, cols, claves, totales, comprobanteOk);
    agregarCasillas(&resp, cols, parametros, kCasillas83, kEstado83, kTipo83, 20);
    agregadosDetalle(&resp, cols, parametros, kTipo83, kEstado83, 16);
    return resp;
}

// ---- end of registers 8.2 and 8.3 ----
