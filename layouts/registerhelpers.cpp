#include "registerhelpers.h"

#include "datechecks.h"
#include "fieldchecks.h"
#include "kovcolumna.h"
#include "othervoucher.h"
#include "rulehelpers.h"

namespace registros {

namespace {

// The two aggregate names of a record, by its voucher type and state as written.
struct NombresAgregado
{
    QString cuenta;
    QString monto;
};

const int kTiposDosCifras = 100;
const int kEstadosUnaCifra = 10;

NombresAgregado nombresAgregado(const QString &tipo, const QString &estado)
{
    // Books write a type of two digits and a state of one: those names are made once, any other for its record.
    static const std::vector<NombresAgregado> fijos = [] {
        std::vector<NombresAgregado> tabla;
        for (int tipo = 0; tipo < kTiposDosCifras; ++tipo) {
            for (int estado = 0; estado < kEstadosUnaCifra; ++estado) {
                const QString tipoEstado = QString::asprintf("%02d_%d", tipo, estado);
                tabla.push_back({NombreFijo(QStringLiteral("cdp_cnt_") + tipoEstado).texto(),
                                 NombreFijo(QStringLiteral("cdp_mto_") + tipoEstado).texto()});
            }
        }
        return tabla;
    }();
    int numeroTipo, numeroEstado;
    if (tipo.size() == 2 && cifrasEnteras(tipo, 0, 2, &numeroTipo) && estado.size() == 1
        && cifrasEnteras(estado, 0, 1, &numeroEstado))
        return fijos[std::size_t(numeroTipo * kEstadosUnaCifra + numeroEstado)];
    const QString tipoEstado = tipo + QLatin1Char('_') + estado;
    return {QStringLiteral("cdp_cnt_") + tipoEstado, QStringLiteral("cdp_mto_") + tipoEstado};
}

} // namespace

QVariant parametro(const ParametrosRegistro *parametros, const QString &clave)
{
    return parametros ? parametros->value(clave) : QVariant();
}

bool activado(const ParametrosRegistro *parametros, const QString &clave)
{
    return parametro(parametros, clave).toInt() == 1;
}

QString fechaVacia()
{
    return QStringLiteral("01/01/0001");
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
        resp->addAcumulador(i.clave.texto(), 0.0);
    for (const Indicador &i : indicadores) {
        if (indicador(resp, cols, i.col))
            resp->addAcumulador(i.clave.texto(), 1.0);
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

int sufijoEstado(const QString &estado)
{
    int digito;
    return estado.size() == 1 && cifrasEnteras(estado, 0, 1, &digito) ? digito : -1;
}

NombresFamilia::NombresFamilia(const char *familia)
{
    const QString base = QString::fromLatin1(familia);
    nombres.reserve(kSufijos);
    for (int digito = 0; digito < kSufijoTotal; ++digito)
        nombres.emplace_back(base + QStringLiteral("_e") + QString::number(digito));
    nombres.emplace_back(base + QStringLiteral("_to"));
    nombres.emplace_back(base + QStringLiteral("_e16"));
}

void totalesGenerales(KovRespuesta *resp, const Montos &montos, const QString &estado,
                      const TotalesGenerales &totales)
{
    for (const TotalGeneral &t : totales.filas) {
        if (t.estado && estado != QLatin1String(t.estado))
            continue;
        const double valor = t.col == kDeclarado ? 0.0 : t.col == kCuenta ? 1.0 : montos[t.col];
        resp->addAcumulador(t.nombre.texto(), valor);
    }
    const NombresFamilia &cuenta = cuentaRegistros();
    for (const int e : totales.estadosContados)
        resp->addAcumulador(cuenta[e], 0.0);
    const int propio = sufijoEstado(estado);
    for (const int e : totales.estadosContados) {
        if (propio == e) {
            resp->addAcumulador(cuenta[e], 1.0);
            break;
        }
    }
}

Claves clavesDeclaradas(std::initializer_list<Filas<FamiliaClaves>> tablas)
{
    Claves claves;
    for (const Filas<FamiliaClaves> &tabla : tablas) {
        for (const FamiliaClaves &f : tabla) {
            for (const char *sufijo : f.sufijos) {
                if (sufijo)
                    claves.emplace_back(QLatin1String(f.familia) + QLatin1String(sufijo));
            }
        }
    }
    return claves;
}

void declara(KovRespuesta *resp, const Claves &claves)
{
    for (const NombreFijo &clave : claves)
        resp->addAcumulador(clave.texto(), 0.0);
}

const NombresFamilia &cuentaRegistros()
{
    static const NombresFamilia familia("cnt_reg");
    return familia;
}

const NombresFamilia &cuentaRegistrosPeriodo()
{
    static const NombresFamilia familia("cnt_reg_per");
    return familia;
}

const NombresFamilia &cuentaRegistrosAnteriores()
{
    static const NombresFamilia familia("cnt_reg_per_ant");
    return familia;
}

Clasificacion clasifica(QList<KovColumna> *cols, int colMoneda, int colSerie, int colTipo,
                        const ClasesComprobante &clases)
{
    static const NombresFamilia monedaNacional("cnt_cdp_mn");
    static const NombresFamilia monedaExtranjera("cnt_cdp_me");
    // By class in the order of Clase, then electronic and paper.
    static const NombresFamilia porClaseYMedio[][2] = {
        {"cnt_fact_elec", "cnt_fact_fisi"},
        {"cnt_nc_elec", "cnt_nc_fisi"},
        {"cnt_nd_elec", "cnt_nd_fisi"},
        {"cnt_otro_elec", "cnt_otro_fisi"},
    };
    const QString tipo = getData(cols, colTipo);
    Clasificacion c;
    c.moneda = getData(cols, colMoneda) == QLatin1String("PEN") ? &monedaNacional : &monedaExtranjera;
    const bool papel = esSoloDigitos(getData(cols, colSerie));
    if (clases.facturas.contiene(tipo))
        c.clase = Clase::Factura;
    else if (clases.notasCredito.contiene(tipo))
        c.clase = Clase::NotaCredito;
    else if (clases.notasDebito.contiene(tipo))
        c.clase = Clase::NotaDebito;
    else
        c.clase = Clase::Otro;
    c.claseMedio = &porClaseYMedio[int(c.clase)][papel ? 1 : 0];
    return c;
}

void conteosClase(KovRespuesta *resp, const Clasificacion &c, int sufijo)
{
    resp->addAcumulador((*c.moneda)[sufijo], 1.0);
    resp->addAcumulador((*c.claseMedio)[sufijo], 1.0);
}

bool entraEnCasilla(Ingreso ingreso, QList<KovColumna> *cols, const Montos &montos, int col)
{
    return ingreso == Ingreso::Cualquiera || validarIngresoCasilla(getData(cols, col), montos.lectura(col));
}

KovRespuesta validarRegistro(QList<KovColumna> *cols, ParametrosRegistro *parametros,
                             const VarianteRegistro &variante)
{
    const LayoutRegistro &layout = variante.layout;
    KovRespuesta resp;
    const Montos montos(cols);
    const bool comprobante = layout.revisa(&resp, cols, montos, parametros);
    if (variante.generales)
        totalesGenerales(&resp, montos, getData(cols, layout.colEstado), *variante.generales);
    declara(&resp, variante.declaradas);
    if (comprobante && variante.detallados)
        variante.detallados(&resp, cols, montos);
    if (layout.casillas && activado(parametros, QStringLiteral("generateQVR")))
        layout.casillas(&resp, cols, montos);
    if (activado(parametros, QStringLiteral("generateDetail"))) {
        const NombresAgregado nombres = nombresAgregado(getData(cols, layout.colTipo), getData(cols, layout.colEstado));
        resp.addAgregado(nombres.cuenta, 1.0);
        resp.addAgregado(nombres.monto, montos[layout.colMonto]);
        resp.addCounterDetail();
    }
    return resp;
}

} // namespace registros
