#include "registerhelpers.h"

#include "datechecks.h"
#include "fieldchecks.h"
#include "kovcolumna.h"
#include "lecturamonto.h"
#include "othervoucher.h"
#include "rulehelpers.h"

namespace registros {

QVariant parametro(const ParametrosRegistro *parametros, const char *clave)
{
    return parametros ? parametros->value(QLatin1String(clave)) : QVariant();
}

bool activado(const ParametrosRegistro *parametros, const char *clave)
{
    return parametro(parametros, clave).toInt() == 1;
}

double montoColumna(QList<KovColumna> *cols, int col)
{
    return leeMonto(getData(cols, col)).valor;
}

bool indicador(KovRespuesta *resp, QList<KovColumna> *cols, int col)
{
    const QString texto = getData(cols, col);
    const bool uno = texto == QLatin1String("1");
    if (!texto.isEmpty() && !uno)
        resp->addError(5, col);
    return uno;
}

void contarIndicadores(KovRespuesta *resp, QList<KovColumna> *cols, Filas<Indicador> indicadores)
{
    for (const Indicador &i : indicadores)
        resp->addAcumulador(QLatin1String(i.clave), 0.0);
    for (const Indicador &i : indicadores) {
        if (indicador(resp, cols, i.col))
            resp->addAcumulador(QLatin1String(i.clave), 1.0);
    }
}

void fechaContraPeriodos(KovRespuesta *resp, QList<KovColumna> *cols, int col, const QString &periodoLibro,
                         const QString &periodoRegistro, bool mesSiguiente, bool reportar)
{
    if (!checkFechaConPeriodo(resp, cols, col, periodoLibro, mesSiguiente, reportar)) {
        resp->addError(mesSiguiente
                           ? QStringLiteral("La fecha debe ser menor o igual al mes siguiente del periodo informado")
                           : QStringLiteral("La fecha debe ser menor o igual al periodo informado"),
                       col);
    }
    if (!checkFechaConPeriodo(resp, cols, col, periodoRegistro, mesSiguiente, reportar)) {
        resp->addError(mesSiguiente ? QStringLiteral("La fecha debe ser menor o igual al mes siguiente del periodo "
                                                     "señalado en el campo 1")
                                    : QStringLiteral("La fecha debe ser menor o igual al periodo señalado en el campo 1"),
                       col);
    }
}

bool segundoNumero(KovRespuesta *resp, QList<KovColumna> *cols, const ColumnasComprobante &k, bool permitido,
                   bool comprobante)
{
    const bool lleno = !getData(cols, k.segundoNumero).isEmpty();
    if (permitido) {
        checkPositivoEnCadena(resp, cols, k.segundoNumero);
        if (comprobante && lleno)
            k.regla(resp, cols, k.estado, k.tipo, k.serie, k.segundoNumero, QLatin1String(k.libro));
    } else if (lleno) {
        resp->addError(5, k.segundoNumero);
    }
    return lleno;
}

void documentoIdentidad(KovRespuesta *resp, QList<KovColumna> *cols, int colTipo, int colNumero, int colNombre,
                        bool opcional)
{
    if (opcional) {
        if (!getData(cols, colTipo).isEmpty() || !getData(cols, colNumero).isEmpty())
            checkTipoDocumento(resp, cols, colTipo, colNumero);
        return;
    }
    const QString guion = QStringLiteral("-");
    const bool conTipo = checkObligatorio(resp, cols, colTipo, QString());
    const bool conNumero = checkObligatorio(resp, cols, colNumero, guion);
    checkObligatorio(resp, cols, colNombre, guion);
    if (conTipo || conNumero)
        checkTipoDocumento(resp, cols, colTipo, colNumero);
}

void comprobanteReferido(KovRespuesta *resp, QList<KovColumna> *cols, int colTipo, int colSerie, int colNumero)
{
    const QString guion = QStringLiteral("-");
    const bool conTipo = checkObligatorio(resp, cols, colTipo, guion);
    checkObligatorio(resp, cols, colSerie, QStringLiteral("00"));
    checkObligatorio(resp, cols, colNumero, guion);
    if (conTipo)
        checkCdpTipSerNumOtros(resp, cols, colTipo, colSerie, colNumero);
}

void totalesGenerales(KovRespuesta *resp, QList<KovColumna> *cols, const QString &estado,
                      const TotalesGenerales &totales)
{
    for (const TotalGeneral &t : totales.filas) {
        if (t.estado && estado != QLatin1String(t.estado))
            continue;
        const double valor = t.col == kDeclarado ? 0.0 : t.col == kCuenta ? 1.0 : montoColumna(cols, t.col);
        resp->addAcumulador(QLatin1String(t.nombre), valor);
    }
    const QString prefijo = QStringLiteral("cnt_reg_e");
    for (const char *e : totales.estadosContados)
        resp->addAcumulador(prefijo + QLatin1String(e), 0.0);
    for (const char *e : totales.estadosContados) {
        if (estado == QLatin1String(e)) {
            resp->addAcumulador(prefijo + estado, 1.0);
            break;
        }
    }
}

QStringList clavesDeclaradas(std::initializer_list<Filas<FamiliaClaves>> tablas)
{
    QStringList claves;
    for (const Filas<FamiliaClaves> &tabla : tablas) {
        for (const FamiliaClaves &f : tabla) {
            for (const char *sufijo : f.sufijos) {
                if (sufijo)
                    claves << QLatin1String(f.familia) + QLatin1String(sufijo);
            }
        }
    }
    return claves;
}

void declara(KovRespuesta *resp, const QStringList &claves)
{
    for (const QString &clave : claves)
        resp->addAcumulador(clave, 0.0);
}

Clasificacion clasifica(QList<KovColumna> *cols, int colMoneda, int colSerie, int colTipo,
                        const ClasesComprobante &clases)
{
    const QString tipo = getData(cols, colTipo);
    Clasificacion c;
    c.moneda = getData(cols, colMoneda) == QLatin1String("PEN") ? QStringLiteral("mn") : QStringLiteral("me");
    c.medio = esSoloDigitos(getData(cols, colSerie)) ? QStringLiteral("fisi") : QStringLiteral("elec");
    if (clases.facturas.contiene(tipo))
        c.clase = QStringLiteral("fact");
    else if (clases.notasCredito.contiene(tipo))
        c.clase = QStringLiteral("nc");
    else if (clases.notasDebito.contiene(tipo))
        c.clase = QStringLiteral("nd");
    else
        c.clase = QStringLiteral("otro");
    return c;
}

void conteosClase(KovRespuesta *resp, const Clasificacion &c, const QString &sufijo)
{
    resp->addAcumulador(QStringLiteral("cnt_cdp_") + c.moneda + sufijo, 1.0);
    resp->addAcumulador(QStringLiteral("cnt_") + c.clase + QLatin1Char('_') + c.medio + sufijo, 1.0);
}

bool entraEnCasilla(Ingreso ingreso, const QString &texto)
{
    return ingreso == Ingreso::Cualquiera || validarIngresoCasilla(texto);
}

KovRespuesta validarRegistro(QList<KovColumna> *cols, ParametrosRegistro *parametros,
                             const VarianteRegistro &variante)
{
    const LayoutRegistro &layout = variante.layout;
    KovRespuesta resp;
    const bool comprobante = layout.revisa(&resp, cols, parametros);
    if (variante.generales)
        totalesGenerales(&resp, cols, getData(cols, layout.colEstado), *variante.generales);
    declara(&resp, variante.declaradas);
    if (comprobante && variante.detallados)
        variante.detallados(&resp, cols);
    if (layout.casillas && activado(parametros, "generateQVR"))
        layout.casillas(&resp, cols);
    if (activado(parametros, "generateDetail")) {
        const QString tipoEstado = getData(cols, layout.colTipo) + QLatin1Char('_') + getData(cols, layout.colEstado);
        resp.addAgregado(QStringLiteral("cdp_cnt_") + tipoEstado, 1.0);
        resp.addAgregado(QStringLiteral("cdp_mto_") + tipoEstado, montoColumna(cols, layout.colMonto));
        resp.addCounterDetail();
    }
    return resp;
}

} // namespace registros
