#include "salesregisters.h"

// ---- Register 14.1 ----

#include "datechecks.h"
#include "fieldchecks.h"
#include "kovcolumna.h"
#include "othervoucher.h"
#include "rulehelpers.h"
#include "salesvoucher.h"

#include <cmath>

namespace {

const char kLibro141[] = "140100";
const char kFechaVacia141[] = "01/01/0001";
const char kEstadoAnulado141[] = "2";
const char kEstadoDeclarado141[] = "1";

// What every phase of a 14.1 record works from, read once when the record arrives.
struct Registro141
{
    QString tipo;     // column 6, the voucher type
    QString estado;   // column 34, compared as text
    QString periodo;  // column 1, the record's own period
    bool comprobante = false; // the first voucher check passed
};

QStringList codigos141(const char *lista)
{
    return QString::fromLatin1(lista).split(QLatin1Char(' '));
}

// Credit and debit notes: they name the voucher they modify, and its date.
const QStringList &tiposModificacion141()
{
    static const QStringList tipos = codigos141("07 08 87 88");
    return tipos;
}

double monto141(QList<KovColumna> *cols, int col)
{
    return numeroTexto(getData(cols, col));
}

// A date compared with the book's period and then with the record's own, each refusal worded by the caller.
void fechaContraPeriodos141(KovRespuesta *resp, QList<KovColumna> *cols, int col, const QString &periodoLibro,
                            const QString &periodoRegistro, bool mesSiguiente, bool reportar,
                            const QString &mensajeLibro, const QString &mensajeRegistro)
{
    if (!checkFechaConPeriodo(resp, cols, col, periodoLibro, mesSiguiente, reportar))
        resp->addError(mensajeLibro, col);
    if (!checkFechaConPeriodo(resp, cols, col, periodoRegistro, mesSiguiente, reportar))
        resp->addError(mensajeRegistro, col);
}

// The "RER" regime, the record's period and the dates of columns 4 and 5 and of the modified voucher, which
// every sales layout keeps alike. A refused period leaves only the presence duties of the dates: a date cannot
// be judged against a period that is itself wrong.
void fechasVentas(KovRespuesta *resp, QList<KovColumna> *cols, const QString &periodoLibro, const Registro141 &r,
                  int colFechaModificado)
{
    if (getData(cols, 2) == QLatin1String("RER") && getData(cols, 3).left(1).toUpper() != QLatin1String("M"))
        resp->addError(29, 3);

    const bool periodoValido =
        checkPeriodoConLibro(resp, 1, r.estado.toInt(), r.periodo, periodoLibro, false, false);
    const bool vigente = r.estado != QLatin1String(kEstadoAnulado141);
    const QString vacia = QString::fromLatin1(kFechaVacia141);

    if (vigente && checkObligatorio(resp, cols, 4, vacia) && periodoValido)
        checkFechaConPeriodo(resp, cols, 4, r.periodo, false, true);

    bool comparar5;
    if (r.tipo == QLatin1String("14") && vigente)
        comparar5 = checkObligatorio(resp, cols, 5, vacia);
    else
        comparar5 = !getData(cols, 5).trimmed().isEmpty();
    if (periodoValido && comparar5) {
        fechaContraPeriodos141(
            resp, cols, 5, periodoLibro, r.periodo, true, true,
            QStringLiteral("La fecha debe ser menor o igual al mes siguiente del periodo informado"),
            QString::fromUtf8("La fecha debe ser menor o igual al mes siguiente del periodo señalado en el campo 1"));
    }

    if (inList(r.tipo, tiposModificacion141()) && vigente && checkObligatorio(resp, cols, colFechaModificado, vacia)
        && periodoValido) {
        fechaContraPeriodos141(resp, cols, colFechaModificado, periodoLibro, r.periodo, false, false,
                               QStringLiteral("La fecha debe ser menor o igual al periodo informado"),
                               QString::fromUtf8("La fecha debe ser menor o igual al periodo señalado en el campo 1"));
    }
}

// Column 9, a second voucher number that only the types of the list may carry; a filled one is checked as the
// voucher's number once the voucher itself passed. Returns whether column 9 is filled.
bool segundoNumeroVentas(KovRespuesta *resp, QList<KovColumna> *cols, const Registro141 &r,
                         const QStringList &tipos, int colEstado, const char *libro)
{
    const bool lleno = !getData(cols, 9).isEmpty();
    if (inList(r.tipo, tipos)) {
        if (lleno) {
            checkPositivoEnCadena(resp, cols, 9);
            if (r.comprobante)
                checkIndTipSerNumVentas(resp, cols, colEstado, 6, 7, 9, QString::fromLatin1(libro));
        }
    } else if (lleno) {
        resp->addError(5, 9);
    }
    return lleno;
}

// The customer's identity document, columns 10 to 12: an optional one is checked only when given.
void documentoVentas(KovRespuesta *resp, QList<KovColumna> *cols, bool opcional)
{
    if (opcional) {
        if (!getData(cols, 10).isEmpty() || !getData(cols, 11).isEmpty())
            checkTipoDocumento(resp, cols, 10, 11);
        return;
    }
    const bool hayTipo = checkObligatorio(resp, cols, 10, QString());
    const bool hayNumero = checkObligatorio(resp, cols, 11, QStringLiteral("-"));
    checkObligatorio(resp, cols, 12, QStringLiteral("-"));
    if (hayTipo || hayNumero)
        checkTipoDocumento(resp, cols, 10, 11);
}

// The second voucher number of column 9 and the customer's identity document of columns 10 to 12.
void documentoCliente141(KovRespuesta *resp, QList<KovColumna> *cols, const Registro141 &r)
{
    static const QStringList tiposSegundoNumero = codigos141("00 03 12 13 87");
    static const QStringList tiposSinDocumento = codigos141(
        "00 05 06 07 08 11 12 13 14 15 16 18 19 23 26 28 30 34 35 36 37 55 56 87 88");
    static const QStringList tiposVentaMenor = codigos141("03 12");

    const bool haySegundoNumero = segundoNumeroVentas(resp, cols, r, tiposSegundoNumero, 34, kLibro141);

    const bool opcional = inList(r.tipo, tiposSinDocumento) || r.estado == QLatin1String(kEstadoAnulado141)
        || monto141(cols, 13) > 0.0 || (monto141(cols, 24) < 700.0 && inList(r.tipo, tiposVentaMenor))
        || haySegundoNumero;
    documentoVentas(resp, cols, opcional);
}

struct Indicador141
{
    int columna;
    const char *total;
};

// The two indicator columns and the counts they feed.
const Indicador141 indicadores141[] = {
    {32, "cnt_error1"},
    {33, "cnt_ind_cancel"},
};

// The currency code is required beside an exchange rate, and a rate (not written "0.000") beside a code.
void monedaTipoCambioVentas(KovRespuesta *resp, QList<KovColumna> *cols, int colMoneda, int colTipoCambio)
{
    const bool hayTipoCambio = !getData(cols, colTipoCambio).isEmpty();
    if (hayTipoCambio)
        checkObligatorio(resp, cols, colMoneda, QString());
    if (!getData(cols, colMoneda).isEmpty())
        checkObligatorio(resp, cols, colTipoCambio, QStringLiteral("0.000"));
    if (hayTipoCambio)
        checkTipoCambio(resp, cols, colTipoCambio);
}

// The two indicators, declared at zero on every record so that both counts stand in the summary, first among
// the layout's totals; "1" counts, any other filled text is refused.
void indicadoresVentas(KovRespuesta *resp, QList<KovColumna> *cols, const Indicador141 (&indicadores)[2])
{
    for (const Indicador141 &i : indicadores)
        resp->addAcumulador(QString::fromLatin1(i.total), 0.0);
    for (const Indicador141 &i : indicadores) {
        const QString valor = getData(cols, i.columna);
        if (valor == QLatin1String("1"))
            resp->addAcumulador(QString::fromLatin1(i.total), 1.0);
        else if (!valor.isEmpty())
            resp->addError(5, i.columna);
    }
}

// Type "49" amounts, currency and exchange rate, the modified voucher, and the indicators with their counts.
void montosIndicadores141(KovRespuesta *resp, QList<KovColumna> *cols, const Registro141 &r)
{
    const bool vigente = r.estado != QLatin1String(kEstadoAnulado141);
    if (r.tipo == QLatin1String("49") && vigente) {
        checkObligatorio(resp, cols, 21, QStringLiteral("0.00"));
        checkObligatorio(resp, cols, 22, QStringLiteral("0.00"));
    }

    monedaTipoCambioVentas(resp, cols, 25, 26);

    if (inList(r.tipo, tiposModificacion141()) && vigente) {
        const bool hayTipo = checkObligatorio(resp, cols, 28, QStringLiteral("-"));
        checkObligatorio(resp, cols, 29, QStringLiteral("00"));
        checkObligatorio(resp, cols, 30, QStringLiteral("-"));
        if (hayTipo)
            checkCdpTipSerNumOtros(resp, cols, 28, 29, 30);
    } else if (!getData(cols, 28).isEmpty()) {
        checkCdpTipSerNumOtros(resp, cols, 28, 29, 30);
    }

    indicadoresVentas(resp, cols, indicadores141);
}

struct Casilla141
{
    const char *casilla;
    int columna;
    bool soloIngresada;   // "0" and "0.00" count as entered, any other zero does not
    bool soloNotaCredito; // only credit notes feed it, as a positive amount
};

// Tax-form boxes fed by a state-1 record, in the order of their entries.
const Casilla141 casillas141[] = {
    {"106", 13, true, false},
    {"100", 14, false, false},
    {"100", 20, false, false},
    {"102", 15, true, true},
    {"105", 18, true, false},
    {"109", 19, true, false},
    {"340", 21, true, false},
};

// A credit note lowers every box but "102", whichever sign the book wrote.
void casillas141Registro(KovRespuesta *resp, QList<KovColumna> *cols, const Registro141 &r)
{
    static const QStringList tiposNotaCredito = codigos141("07 87");
    if (r.estado != QLatin1String(kEstadoDeclarado141))
        return;
    const bool notaCredito = inList(r.tipo, tiposNotaCredito);
    for (const Casilla141 &c : casillas141) {
        if (c.soloNotaCredito && !notaCredito)
            continue;
        const QString texto = getData(cols, c.columna);
        if (c.soloIngresada && !validarIngresoCasilla(texto))
            continue;
        double valor = numeroTexto(texto);
        if (notaCredito)
            valor = std::copysign(valor, c.soloNotaCredito ? 1.0 : -1.0);
        resp->addCasillas(QString::fromLatin1(c.casilla), valor);
    }
}

// The count and the voucher total of the record's type and state, and one detail line.
void agregadosVentas(KovRespuesta *resp, QList<KovColumna> *cols, const Registro141 &r, int colTotal)
{
    const QString par = r.tipo + QLatin1Char('_') + r.estado;
    resp->addAgregado(QStringLiteral("cdp_cnt_") + par, 1.0);
    resp->addAgregado(QStringLiteral("cdp_mto_") + par, monto141(cols, colTotal));
    resp->addCounterDetail();
}

typedef void (*Totales141)(KovRespuesta *, QList<KovColumna> *, const Registro141 &);

// The frame both variants share: the record checks, then the variant's totals, then the boxes and the
// aggregates when the request asks for them. No finding ends a record early.
KovRespuesta validar141(QList<KovColumna> *cols, ParametrosRegistro *params, Totales141 totales)
{
    KovRespuesta resp;
    const ParametrosRegistro sinParametros;
    const ParametrosRegistro &parametros = params ? *params : sinParametros;

    Registro141 r;
    r.tipo = getData(cols, 6);
    r.estado = getData(cols, 34);
    r.periodo = getData(cols, 1);

    fechasVentas(&resp, cols, parametros.value(QStringLiteral("periodo")).toString(), r, 27);
    r.comprobante = checkIndTipSerNumVentas(&resp, cols, 34, 6, 7, 8, QString::fromLatin1(kLibro141));
    documentoCliente141(&resp, cols, r);
    montosIndicadores141(&resp, cols, r);
    totales(&resp, cols, r);
    if (parametros.value(QStringLiteral("generateQVR")).toInt() == 1)
        casillas141Registro(&resp, cols, r);
    if (parametros.value(QStringLiteral("generateDetail")).toInt() == 1)
        agregadosVentas(&resp, cols, r, 24);
    return resp;
}

struct TotalGeneral141
{
    const char *nombre;
    int columna;      // 0: declared at zero
    bool soloEstado1; // discounts count only for a record of state "1"
};

// The general totals in their order; every record declares each name so that the summary's order is fixed.
const TotalGeneral141 totalesGenerales141[] = {
    {"mto_exp_t1", 13, false},   {"mto_BI_og_t1", 14, false},   {"mto_desc_bi", 0, false},
    {"mto_desc_igv", 0, false},  {"mto_desc_bi", 15, true},     {"mto_desc_igv", 17, true},
    {"mto_IGV_t1", 16, false},   {"mto_exo_t1", 18, false},     {"mto_inaf_t1", 19, false},
    {"mto_ISC_t1", 20, false},   {"mto_BI_ivap_t1", 21, false}, {"mto_IVAP_t1", 22, false},
    {"mto_otros_t1", 23, false}, {"mto_total_t1", 24, false},   {"cnt_reg_e0", 0, false},
    {"cnt_reg_e1", 0, false},    {"cnt_reg_e2", 0, false},      {"cnt_reg_e8", 0, false},
    {"cnt_reg_e9", 0, false},
};

const char *const estadosContados141[] = {"0", "1", "2", "8", "9"};

void totalesGenerales141Registro(KovRespuesta *resp, QList<KovColumna> *cols, const Registro141 &r)
{
    const bool declarado = r.estado == QLatin1String(kEstadoDeclarado141);
    for (const TotalGeneral141 &t : totalesGenerales141) {
        if (t.soloEstado1 && !declarado)
            continue;
        resp->addAcumulador(QString::fromLatin1(t.nombre), t.columna ? monto141(cols, t.columna) : 0.0);
    }
    for (const char *estado : estadosContados141) {
        if (r.estado == QLatin1String(estado)) {
            resp->addAcumulador(QStringLiteral("cnt_reg_e") + r.estado, 1.0);
            break;
        }
    }
}

struct FamiliaTotal141
{
    const char *raiz;
    const char *sufijos; // blank-separated; empty for a name that stands whole
};

// The detailed totals declared at zero on every record, family by family, so the summary's order is fixed:
// the layout's own amount families first, then the families every sales layout declares after them.
const FamiliaTotal141 familiasDeclaradas141[] = {
    {"mto_exp", "e0 e1 e2 to"},
    {"mto_bi_gra", "e0 e1 e2 to"},
    {"mto_desc_bi", "e0 e1 e2 to"},
    {"mto_igv_ipm", "e0 e1 e2 to"},
    {"mto_desc_igv_ipm", "e0 e1 e2 to"},
    {"mto_exo", "e0 e1 e2 to"},
    {"mto_inaf", "e0 e1 e2 to"},
    {"mto_isc", "e0 e1 e2 to"},
    {"mto_bi_ivap", "e0 e1 e2 to"},
    {"mto_ivap", "e0 e1 e2 to"},
};

const FamiliaTotal141 familiasComunesVentas[] = {
    {"mto_icbp", "e0 e1 e2 to"},
    {"mto_otros", "e0 e1 e2 to"},
    {"mto_vta_per", "e0 e1 e2 to"},
    {"mto_vta_lib", "e0 e1 e2 e8 e9 to"},
    {"cnt_reg_per", "e0 e1 e2 to"},
    {"cnt_reg_per_ant", "e8 e9 to"},
    {"cnt_reg", "e0 e1 e2 e8 e9"},
    {"cnt_cdp_mn", "e0 e1 e2 e8 e9 to"},
    {"cnt_cdp_me", "e0 e1 e2 e8 e9 to"},
    {"cnt_fact_elec", "e0 e1 e2 e8 e9 to"},
    {"cnt_fact_fisi", "e0 e1 e2 e8 e9 to"},
    {"cnt_nc_elec", "e0 e1 e2 e8 e9 to"},
    {"cnt_nc_fisi", "e0 e1 e2 e8 e9 to"},
    {"cnt_nd_elec", "e0 e1 e2 e8 e9 to"},
    {"cnt_nd_fisi", "e0 e1 e2 e8 e9 to"},
    {"cnt_otro_elec", "e0 e1 e2 e8 e9 to"},
    {"cnt_otro_fisi", "e0 e1 e2 e8 e9 to"},
    {"cnt_nc_e1", ""},
};

struct MontoEstado141
{
    const char *raiz;
    int columna;
};

// The amounts a record of the book's own period adds under its state and over all states, in their order.
const MontoEstado141 montosPeriodo141[] = {
    {"mto_exp", 13},
    {"mto_bi_gra", 14},
    {"mto_desc_bi", 15},
    {"mto_igv_ipm", 16},
    {"mto_desc_igv_ipm", 17},
    {"mto_exo", 18},
    {"mto_inaf", 19},
    {"mto_isc", 20},
    {"mto_bi_ivap", 21},
    {"mto_ivap", 22},
    {"mto_otros", 23},
    {"mto_vta_per", 24},
};

QString claseComprobante141(const QString &tipo)
{
    static const QStringList notasCredito = codigos141("07 87");
    static const QStringList notasDebito = codigos141("08 88");
    if (tipo == QLatin1String("01"))
        return QStringLiteral("fact");
    if (inList(tipo, notasCredito))
        return QStringLiteral("nc");
    if (inList(tipo, notasDebito))
        return QStringLiteral("nd");
    return QStringLiteral("otro");
}

// Where a sales layout keeps what its detailed totals read: the amount families it declares before the common
// ones, the amounts of a record of the book's own period, and the columns of the voucher total, the currency
// and the series.
struct DetalleVentas
{
    const FamiliaTotal141 *familias;
    int numFamilias;
    const MontoEstado141 *montos;
    int numMontos;
    int colTotal;
    int colMoneda;
    int colSerie;
};

// Totals by state, voucher class, medium and currency, the same for every sales layout. Only a voucher that
// passed its check is counted: the class and medium of a refused one mean nothing.
void totalesDetalladosVentas(KovRespuesta *resp, QList<KovColumna> *cols, const DetalleVentas &d,
                             const Registro141 &r)
{
    const int numComunes = int(sizeof(familiasComunesVentas) / sizeof(familiasComunesVentas[0]));
    for (int i = 0; i < d.numFamilias + numComunes; ++i) {
        const FamiliaTotal141 &f = i < d.numFamilias ? d.familias[i] : familiasComunesVentas[i - d.numFamilias];
        const QString raiz = QString::fromLatin1(f.raiz);
        const QStringList sufijos = codigos141(f.sufijos);
        for (const QString &sufijo : sufijos)
            resp->addAcumulador(sufijo.isEmpty() ? raiz : raiz + QLatin1Char('_') + sufijo, 0.0);
    }
    if (!r.comprobante)
        return;

    static const QStringList estadosPeriodo = codigos141("0 1 2");
    static const QStringList estadosAnteriores = codigos141("8 9");
    const QString moneda =
        getData(cols, d.colMoneda) == QLatin1String("PEN") ? QStringLiteral("mn") : QStringLiteral("me");
    const QString medio = esSoloDigitos(getData(cols, d.colSerie)) ? QStringLiteral("fisi") : QStringLiteral("elec");
    const QString clase = QStringLiteral("cnt_") + claseComprobante141(r.tipo) + QLatin1Char('_') + medio;
    const QString e = QStringLiteral("_e") + r.estado;
    const double total = monto141(cols, d.colTotal);
    const bool delPeriodo = inList(r.estado, estadosPeriodo);
    const bool anterior = !delPeriodo && inList(r.estado, estadosAnteriores);
    const MontoEstado141 *const finMontos = d.montos + d.numMontos;

    if (delPeriodo) {
        for (const MontoEstado141 *m = d.montos; m != finMontos; ++m)
            resp->addAcumulador(QString::fromLatin1(m->raiz) + e, monto141(cols, m->columna));
        resp->addAcumulador(QStringLiteral("mto_vta_lib") + e, total);
        resp->addAcumulador(QStringLiteral("cnt_reg_per") + e, 1.0);
        resp->addAcumulador(QStringLiteral("cnt_reg") + e, 1.0);
    } else if (anterior) {
        resp->addPerAcumulador(QStringLiteral("mto_vta_per_ant") + e, r.periodo, total);
        resp->addAcumulador(QStringLiteral("mto_vta_lib") + e, total);
        resp->addAcumulador(QStringLiteral("cnt_reg_per_ant") + e, 1.0);
        resp->addAcumulador(QStringLiteral("cnt_reg") + e, 1.0);
    }
    if (delPeriodo || anterior) {
        resp->addAcumulador(QStringLiteral("cnt_cdp_") + moneda + e, 1.0);
        resp->addAcumulador(clase + e, 1.0);
    }
    if (delPeriodo) {
        if (r.estado == QLatin1String(kEstadoDeclarado141) && clase.startsWith(QLatin1String("cnt_nc_")))
            resp->addAcumulador(QStringLiteral("cnt_nc_e1"), 1.0);
        for (const MontoEstado141 *m = d.montos; m != finMontos; ++m)
            resp->addAcumulador(QString::fromLatin1(m->raiz) + QStringLiteral("_to"), monto141(cols, m->columna));
        resp->addAcumulador(QStringLiteral("cnt_reg_per_to"), 1.0);
    } else if (anterior) {
        resp->addPerAcumulador(QStringLiteral("mto_vta_per_ant_to"), r.periodo, total);
        resp->addAcumulador(QStringLiteral("cnt_reg_per_ant_to"), 1.0);
    }
    resp->addAcumulador(QStringLiteral("mto_vta_lib_to"), total);
    resp->addAcumulador(QStringLiteral("cnt_cdp_") + moneda + QStringLiteral("_to"), 1.0);
    resp->addAcumulador(clase + QStringLiteral("_to"), 1.0);
}

void totalesDetallados141(KovRespuesta *resp, QList<KovColumna> *cols, const Registro141 &r)
{
    static const DetalleVentas detalle = {
        familiasDeclaradas141, int(sizeof(familiasDeclaradas141) / sizeof(familiasDeclaradas141[0])),
        montosPeriodo141,      int(sizeof(montosPeriodo141) / sizeof(montosPeriodo141[0])),
        24, 25, 7,
    };
    totalesDetalladosVentas(resp, cols, detalle, r);
}

} // namespace

KovRespuesta f140100g(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    return validar141(cols, params, totalesGenerales141Registro);
}

KovRespuesta f140100d(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    return validar141(cols, params, totalesDetallados141);
}

// ---- end of register 14.1 ----



// ---- Register 14.2 ----

#include "datechecks.h"
#include "fieldchecks.h"
#include "kovcolumna.h"
#include "othervoucher.h"
#include "rulehelpers.h"
#include "salesvoucher.h"

#include <QStringList>

#include <cmath>

namespace {
namespace libro142 {

const int kPeriodo = 1;
const int kTipo = 6;
const int kSerie = 7;
const int kNumero = 8;
const int kBaseImponible = 13;
const int kImporteTotal = 16;
const int kMoneda = 17;
const int kTipoCambio = 18;
const int kFechaModificado = 19;
const int kTipoModificado = 20;
const int kSerieModificado = 21;
const int kNumeroModificado = 22;
const int kEstado = 25;

const char kLibro[] = "140200";
const char kAnulado[] = "2";
const char kDeclarado[] = "1";

const QStringList kTiposModificacion = {"07", "08"};
const QStringList kTiposSegundoNumero = {"00", "03", "12"};
const QStringList kTiposVentaMenor = {"03", "12"};
const QStringList kTiposNotaCredito = {"07", "87"};

// What every phase of a record works from, read once when the record arrives: the voucher type, state and own
// period that every sales layout reads, and the request's period and flags.
struct Registro : Registro141
{
    QString periodoLibro;
    int generateQVR;
    int generateDetail;
};

Registro leerRegistro(QList<KovColumna> *cols, const ParametrosRegistro *parametros)
{
    Registro r;
    r.tipo = getData(cols, kTipo);
    r.estado = getData(cols, kEstado);
    r.periodo = getData(cols, kPeriodo);
    // value() never inserts: a missing parameter reads as empty text or 0.
    const ParametrosRegistro vacios;
    const ParametrosRegistro &p = parametros ? *parametros : vacios;
    r.periodoLibro = p.value(QStringLiteral("periodo")).toString();
    r.generateQVR = p.value(QStringLiteral("generateQVR")).toInt();
    r.generateDetail = p.value(QStringLiteral("generateDetail")).toInt();
    return r;
}

bool vigente(const Registro &r)
{
    return r.estado != QLatin1String(kAnulado);
}

// The second voucher number of column 9 and the customer's identity document of columns 10 to 12.
void documentoCliente(KovRespuesta *resp, QList<KovColumna> *cols, const Registro &r)
{
    const bool haySegundoNumero = segundoNumeroVentas(resp, cols, r, kTiposSegundoNumero, kEstado, kLibro);
    const bool opcional = r.tipo == QLatin1String("00") || !vigente(r)
        || (monto141(cols, kImporteTotal) < 700.0 && inList(r.tipo, kTiposVentaMenor))
        || haySegundoNumero;
    documentoVentas(resp, cols, opcional);
}

// The two indicator columns and the counts they feed.
const Indicador141 kIndicadores[] = {
    {23, "cnt_error1"},
    {24, "cnt_ind_cancel"},
};

// Currency and exchange rate, the modified voucher, and the indicators with their counts.
void monedaModificadoIndicadores(KovRespuesta *resp, QList<KovColumna> *cols, const Registro &r)
{
    monedaTipoCambioVentas(resp, cols, kMoneda, kTipoCambio);

    if (inList(r.tipo, kTiposModificacion) && vigente(r)) {
        const bool hayTipo = checkObligatorio(resp, cols, kTipoModificado, QStringLiteral("-"));
        checkObligatorio(resp, cols, kSerieModificado, QStringLiteral("00"));
        checkObligatorio(resp, cols, kNumeroModificado, QStringLiteral("-"));
        if (hayTipo)
            checkCdpTipSerNumOtros(resp, cols, kTipoModificado, kSerieModificado, kNumeroModificado);
    }

    indicadoresVentas(resp, cols, kIndicadores);
}

// Box "100" takes a credit note as negative whichever sign the book wrote; a state-1 record adds one entry.
void casilla(KovRespuesta *resp, QList<KovColumna> *cols, const Registro &r)
{
    if (r.estado != QLatin1String(kDeclarado))
        return;
    const double base = monto141(cols, kBaseImponible);
    resp->addCasillas(QStringLiteral("100"),
                      inList(r.tipo, kTiposNotaCredito) ? std::copysign(base, -1.0) : base);
}

typedef void (*Totales)(KovRespuesta *, QList<KovColumna> *, const Registro &);

// The frame both variants share: the record checks, then the variant's totals, then the box and the
// aggregates when the request asks for them. No finding ends a record early or skips its totals.
KovRespuesta validar(QList<KovColumna> *cols, ParametrosRegistro *params, Totales totales)
{
    KovRespuesta resp;
    Registro r = leerRegistro(cols, params);
    fechasVentas(&resp, cols, r.periodoLibro, r, kFechaModificado);
    r.comprobante = checkIndTipSerNumVentas(&resp, cols, kEstado, kTipo, kSerie, kNumero, QString::fromLatin1(kLibro));
    documentoCliente(&resp, cols, r);
    monedaModificadoIndicadores(&resp, cols, r);
    totales(&resp, cols, r);
    if (r.generateQVR == 1)
        casilla(&resp, cols, r);
    if (r.generateDetail == 1)
        agregadosVentas(&resp, cols, r, kImporteTotal);
    return resp;
}

struct MontoGeneral
{
    const char *total;
    int columna;
};

// The amounts of the general totals, summed over the state-1 records only.
const MontoGeneral kMontosGenerales[] = {
    {"mto_bi_og", 13},
    {"mto_igv", 14},
    {"mto_otros", 15},
    {"mto_imp", 16},
};

const char *const kEstadosContados[] = {"0", "1", "2", "8", "9"};

// Every record declares each name at zero first, so that the summary lists them all in a fixed order.
void totalesGenerales(KovRespuesta *resp, QList<KovColumna> *cols, const Registro &r)
{
    for (const MontoGeneral &m : kMontosGenerales)
        resp->addAcumulador(QString::fromLatin1(m.total), 0.0);
    if (r.estado == QLatin1String(kDeclarado)) {
        for (const MontoGeneral &m : kMontosGenerales)
            resp->addAcumulador(QString::fromLatin1(m.total), monto141(cols, m.columna));
    }
    for (const char *estado : kEstadosContados)
        resp->addAcumulador(QStringLiteral("cnt_reg_e") + QLatin1String(estado), 0.0);
    for (const char *estado : kEstadosContados) {
        if (r.estado == QLatin1String(estado)) {
            resp->addAcumulador(QStringLiteral("cnt_reg_e") + r.estado, 1.0);
            break;
        }
    }
}

// The layout's own amount families, declared at zero before the common ones.
const FamiliaTotal141 kFamiliasDeclaradas[] = {
    {"mto_bi_gra", "e0 e1 e2 to"},
    {"mto_igv_ipm", "e0 e1 e2 to"},
};

// The amounts a record of the book's own period adds under its state and over all states, in their order.
const MontoEstado141 kMontosPeriodo[] = {
    {"mto_bi_gra", 13},
    {"mto_igv_ipm", 14},
    {"mto_otros", 15},
    {"mto_vta_per", 16},
};

void totalesDetallados(KovRespuesta *resp, QList<KovColumna> *cols, const Registro &r)
{
    static const DetalleVentas detalle = {
        kFamiliasDeclaradas, int(sizeof(kFamiliasDeclaradas) / sizeof(kFamiliasDeclaradas[0])),
        kMontosPeriodo,      int(sizeof(kMontosPeriodo) / sizeof(kMontosPeriodo[0])),
        kImporteTotal,       kMoneda,
        kSerie,
    };
    totalesDetalladosVentas(resp, cols, detalle, r);
}

} // namespace libro142
} // namespace

KovRespuesta f140200g(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    return libro142::validar(cols, params, libro142::totalesGenerales);
}

KovRespuesta f140200d(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    return libro142::validar(cols, params, libro142::totalesDetallados);
}

// ---- end of register 14.2 ----
