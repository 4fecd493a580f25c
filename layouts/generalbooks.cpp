#include "generalbooks.h"

#include "datechecks.h"
#include "fieldchecks.h"
#include "kovcolumna.h"
#include "otherrules.h"
#include "othervoucher.h"
#include "rulehelpers.h"

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
    QList<KovColumna> *cols;
    KovRespuesta resp;
    QString estado;
    QString periodo;
    QString periodoLibro;
    QString path;
    bool periodoValido = false;

    QString texto(int col) const { return getData(cols, col); }
    double monto(int col) const { return numeroTexto(texto(col)); }
    bool noCero(int col) const { return signoNumero(texto(col)) != 0; }
    bool vacio(int col) const { return texto(col).isEmpty(); }
    bool es(int col, const char *valor) const { return texto(col) == QLatin1String(valor); }
    bool esEstado(const char *valor) const { return estado == QLatin1String(valor); }

    void total(const char *nombre, double valor) { resp.addAcumulador(QLatin1String(nombre), valor); }
    void totalDe(const char *nombre, int col) { total(nombre, monto(col)); }
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

bool checkPeriodo(Registro &r, Periodo periodo)
{
    const int estado = enteroTexto(r.estado);
    switch (periodo) {
    case Periodo::Mensual:
        return checkPeriodoConLibro(&r.resp, 1, estado, r.periodo, r.periodoLibro, false, false);
    case Periodo::Diario:
        return checkPeriodoConLibro(&r.resp, 1, estado, r.periodo, r.periodoLibro, true, false);
    case Periodo::DiarioSinDia:
        return checkPeriodoConLibro(&r.resp, 1, estado, r.periodo, r.periodoLibro, true, true);
    case Periodo::Anual:
        return checkAnualConLibro(&r.resp, 1, estado, r.periodo, r.periodoLibro, false, anioMinimoAnual);
    case Periodo::AnualMensual:
        return checkAnualConLibro(&r.resp, 1, estado, r.periodo, r.periodoLibro, true, anioMinimoAnual);
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
    Registro r;
    r.cols = cols;
    r.estado = r.texto(marco.columnaEstado);
    r.periodo = r.texto(1);
    if (params) {
        r.periodoLibro = params->value(QStringLiteral("periodo")).toString();
        r.path = params->value(QStringLiteral("path")).toString();
    }
    previos(r);
    r.periodoValido = checkPeriodo(r, marco.periodo);
    if (marco.periodo == Periodo::Diario && r.periodoValido)
        checkPeriodoCodigoOportunidad(&r.resp, enteroTexto(r.estado), r.periodo, r.path);
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
    const char *nombre;
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
void sumarEstado(Registro &r, int colDebe = 0, int colHaber = 0)
{
    for (const CuentaEstado &c : cuentasEstado) {
        if (!r.esEstado(c.estado))
            continue;
        r.total(c.nombre, 1.0);
        if (colDebe > 0 && r.esEstado("1")) {
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

// The debit and credit totals, which only state "1" records feed, with the state counts; `estadosPrimero`
// puts the counts' zero entries before the two totals' (book 030200), which is where its summary lists them.
void totalesDebeHaber(Registro &r, const char *debe, const char *haber, int colDebe, int colHaber,
                      bool estadosPrimero)
{
    if (estadosPrimero)
        declararEstados(r);
    r.total(debe, 0.0);
    r.total(haber, 0.0);
    if (!estadosPrimero)
        declararEstados(r);
    if (r.esEstado("1")) {
        r.totalDe(debe, colDebe);
        r.totalDe(haber, colHaber);
    }
    sumarEstado(r, colDebe, colHaber);
}

// A date held against the book's month and then against the record's, each finding worded by the
// validator; a text that is not a date gets error 13 from both and no message.
void fechaConMensajes(Registro &r, int col)
{
    if (!checkFechaConPeriodo(&r.resp, r.cols, col, r.periodoLibro, false, false))
        r.resp.addError(QStringLiteral("La fecha debe ser menor o igual al periodo informado"), col);
    if (!checkFechaConPeriodo(&r.resp, r.cols, col, r.periodo, false, false))
        r.resp.addError(QStringLiteral("La fecha debe ser menor o igual al periodo señalado en el campo 1"), col);
}

// The journal and the ledger: the same record, told apart by how their dates are checked.
KovRespuesta diarioMayor(QList<KovColumna> *cols, ParametrosRegistro *params, void (*fechas)(Registro &))
{
    const auto previos = [](Registro &r) {
        checkTipoDocumento(&r.resp, r.cols, 8, 9);
        checkCdpTipSerNumOtros(&r.resp, r.cols, 10, 11, 12);
    };
    return validar(cols, params, { 21, Periodo::Mensual }, previos, [fechas](Registro &r) {
        if (r.periodoValido)
            fechas(r);
        debeHaber(r, 18, 19, false);
        if (!r.vacio(20))
            checkDatoEstructurado(&r.resp, r.cols, 20);
        totalesDebeHaber(r, "mto_debe_t", "mto_haber_t", 18, 19, false);
    });
}

// The chart of accounts; `vacioCuenta` is what stands for a missing column 5 when column 4 is "99".
KovRespuesta planCuentas(QList<KovColumna> *cols, ParametrosRegistro *params, const QString &vacioCuenta)
{
    return validar(cols, params, { 8, Periodo::DiarioSinDia }, [&vacioCuenta](Registro &r) {
        if (r.es(4, "99"))
            checkObligatorio(&r.resp, r.cols, 5, vacioCuenta);
        if (!r.vacio(6))
            checkObligatorio(&r.resp, r.cols, 7, QStringLiteral("-"));
        contarEstados(r);
    });
}

} // namespace

KovRespuesta f010100(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    return validar(cols, params, { 19, Periodo::Mensual }, [](Registro &r) {
        r.fecha(11);
        r.fecha(13);
        checkCdpTipSerNumOtros(&r.resp, r.cols, 8, 9, 10);
        debeHaber(r, 16, 17, false);
        if (!r.vacio(18))
            checkDatoEstructurado(&r.resp, r.cols, 18);
        totalesDebeHaber(r, "mto_total_deudor", "mto_total_acreedor", 16, 17, false);
    });
}

KovRespuesta f010200(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    return validar(cols, params, { 15, Periodo::Mensual }, [](Registro &r) {
        r.fecha(6);
        // Without a document type the number must be "-" as well.
        if (!r.es(9, "-"))
            checkTipoDocumento(&r.resp, r.cols, 9, 10);
        else if (!r.es(10, "-"))
            r.resp.addError(29, 10);
        debeHaber(r, 13, 14, false);
        totalesDebeHaber(r, "mto_total_deudor", "mto_total_acreedor", 13, 14, false);
    });
}

KovRespuesta f030200(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    return validar(cols, params, { 8, Periodo::Diario }, [](Registro &r) {
        checkObligatorio(&r.resp, r.cols, 4, QString());
        if (r.es(3, "99") && !r.es(4, "-"))
            r.resp.addError(5, 4);
        debeHaber(r, 6, 7, true);
        totalesDebeHaber(r, "mto_total_deudor", "mto_total_acreedor", 6, 7, true);
    });
}

KovRespuesta f040100(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    return validar(cols, params, { 10, Periodo::Mensual }, [](Registro &r) {
        r.fecha(4);
        checkTipoDocumento(&r.resp, r.cols, 5, 6);
        r.ceroDecimal(8, 9);
        r.totalDe("mto_bruto_t1", 8);
        r.totalDe("mto_reten_t", 9);
        contarEstados(r);
    });
}

KovRespuesta f050100(QList<KovColumna> *cols, ParametrosRegistro *params)
{
    return diarioMayor(cols, params, [](Registro &r) {
        if (!r.vacio(13))
            r.fecha(13);
        r.fecha(15);
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
        if (!r.vacio(13))
            fechaConMensajes(r, 13);
        fechaConMensajes(r, 15);
    });
}
