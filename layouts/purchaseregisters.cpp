#include "purchaseregisters.h"

// ---- Register 8.1 ----

#include "datechecks.h"
#include "fieldchecks.h"
#include "kovcolumna.h"
#include "othervoucher.h"
#include "purchasevoucher.h"
#include "rulehelpers.h"

#include <QStringList>

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
const int kTipoCambio = 25;
const int kFechaReferencia = 26;
const int kTipoReferencia = 27;
const int kSerieReferencia = 28;
const int kDuaReferencia = 29;
const int kNumeroReferencia = 30;
const int kFechaOpcional = 31;
const int kEnCadena = 32;
const int kBandera = 33;
const int kMontoComprobante = 23;
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
    int generateQVR;
    int generateDetail;
};

Registro leerRegistro(QList<KovColumna> *cols, const ParametrosRegistro *parametros)
{
    Registro r;
    r.estado = getData(cols, kEstado);
    r.periodo = getData(cols, kPeriodo);
    r.tipo = getData(cols, kTipo);
    r.numeroEstado = enteroTexto(r.estado);
    // value() never inserts: a missing parameter reads as empty text or 0.
    const ParametrosRegistro vacios;
    const ParametrosRegistro &p = parametros ? *parametros : vacios;
    r.periodoLibro = p.value(QStringLiteral("periodo")).toString();
    r.generateQVR = p.value(QStringLiteral("generateQVR")).toInt();
    r.generateDetail = p.value(QStringLiteral("generateDetail")).toInt();
    return r;
}

double monto(QList<KovColumna> *cols, int col)
{
    return numeroTexto(getData(cols, col));
}

void chequearEstadoYFechas(KovRespuesta *resp, QList<KovColumna> *cols, const Registro &r)
{
    const QString fechaVacia = QStringLiteral("01/01/0001");
    if (r.estado == QLatin1String("8") || r.estado == QLatin1String("5"))
        resp->addError(QStringLiteral("Indicador del estado es incorrecto"), kEstado);
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
    checkFechaEmisionEstado(resp, cols, kEmision, r.numeroEstado, r.periodo, r.periodoLibro);
}

// Returns the verdict of the voucher rule on columns 6, 7 and 9, which gates the detailed totals.
bool chequearComprobante(KovRespuesta *resp, QList<KovColumna> *cols, const Registro &r)
{
    const QString libro = QStringLiteral("080100");
    const bool comprobante = checkIndTipSerNumCompras(resp, cols, kEstado, kTipo, kSerie, kNumero, libro);

    if (inList(r.tipo, kTiposDua)) {
        const int anioDua = enteroTexto(getData(cols, kAnioDua));
        if (anioDua <= 1981)
            resp->addError(QStringLiteral("El año de emisión de la DUA debe ser mayor a 1981"), kAnioDua);
        if (anioDua > anioPeriodo(r.periodoLibro) || anioDua > anioPeriodo(r.periodo))
            resp->addError(QStringLiteral("El año DUA debe ser menor o igual al año del periodo informado."), kAnioDua);
    }

    const bool conSegundo = !getData(cols, kSegundoNumero).isEmpty();
    if (inList(r.tipo, kTiposSegundoNumero)) {
        checkPositivoEnCadena(resp, cols, kSegundoNumero);
        // Type, series and state already passed, so whatever this call finds belongs to column 10.
        if (comprobante && conSegundo)
            checkIndTipSerNumCompras(resp, cols, kEstado, kTipo, kSerie, kSegundoNumero, libro);
    } else if (conSegundo) {
        resp->addError(5, kSegundoNumero);
    }
    return comprobante;
}

void chequearProveedorYMontos(KovRespuesta *resp, QList<KovColumna> *cols, const Registro &r)
{
    const QString guion = QStringLiteral("-");
    if (inList(r.tipo, kTiposDocumentoOpcional)) {
        if (!getData(cols, kTipoDocumento).isEmpty() || !getData(cols, kNumeroDocumento).isEmpty())
            checkTipoDocumento(resp, cols, kTipoDocumento, kNumeroDocumento);
    } else {
        const bool conTipo = checkObligatorio(resp, cols, kTipoDocumento, QString());
        const bool conNumero = checkObligatorio(resp, cols, kNumeroDocumento, guion);
        checkObligatorio(resp, cols, kProveedor, guion);
        if (conTipo || conNumero)
            checkTipoDocumento(resp, cols, kTipoDocumento, kNumeroDocumento);
    }

    // Each tax follows the sign of the base before it.
    static const int kBaseImpuesto[][2] = {{14, 15}, {16, 17}, {18, 19}};
    for (const auto &par : kBaseImpuesto) {
        if (signoNumero(getData(cols, par[0])) >= 0)
            checkPositivo(resp, cols, par[1]);
        else
            checkNegativo(resp, cols, par[1]);
    }

    if (!getData(cols, kTipoCambio).isEmpty())
        checkTipoCambio(resp, cols, kTipoCambio);

    if (inList(r.tipo, kTiposColumna26)) {
        const bool conTipoReferencia = checkObligatorio(resp, cols, kTipoReferencia, guion);
        checkObligatorio(resp, cols, kSerieReferencia, QStringLiteral("00"));
        checkObligatorio(resp, cols, kNumeroReferencia, guion);
        if (conTipoReferencia)
            checkCdpTipSerNumOtros(resp, cols, kTipoReferencia, kSerieReferencia, kNumeroReferencia);
    }
    // Column 27 is read on every record, not only when the voucher must name one.
    if (inList(getData(cols, kTipoReferencia), kTiposDua))
        checkObligatorio(resp, cols, kDuaReferencia, guion);

    checkPositivoEnCadena(resp, cols, kEnCadena);
    const QString bandera = getData(cols, kBandera);
    if (!bandera.isEmpty() && bandera != QLatin1String("1"))
        resp->addError(5, kBandera);
}

void agregarDetalle(KovRespuesta *resp, QList<KovColumna> *cols, const Registro &r)
{
    if (r.generateDetail != 1)
        return;
    const QString sufijo = r.tipo + QLatin1Char('_') + r.estado;
    resp->addAgregado(QStringLiteral("cdp_cnt_") + sufijo, 1.0);
    resp->addAgregado(QStringLiteral("cdp_mto_") + sufijo, monto(cols, kMontoComprobante));
    resp->addCounterDetail();
}

// The frame both variants share: every phase runs on every record, whatever an earlier one reported.
KovRespuesta validar(QList<KovColumna> *cols, ParametrosRegistro *parametros, bool detallado)
{
    KovRespuesta resp;
    const Registro r = leerRegistro(cols, parametros);
    chequearEstadoYFechas(&resp, cols, r);
    const bool comprobante = chequearComprobante(&resp, cols, r);
    chequearProveedorYMontos(&resp, cols, r);
    Q_UNUSED(detallado);
    Q_UNUSED(comprobante);
    agregarDetalle(&resp, cols, r);
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

// ---- end of registers 8.2 and 8.3 ----
