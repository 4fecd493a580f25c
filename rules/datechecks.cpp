#include "datechecks.h"

#include "kovcolumna.h"
#include "rulehelpers.h"

namespace {

bool fallar(KovRespuesta *resp, int cod, int col)
{
    resp->addError(cod, col);
    return false;
}

bool fallar(KovRespuesta *resp, const QString &mensaje, int col)
{
    resp->addError(mensaje, col);
    return false;
}

// A date as the number yyyyMMdd; an invalid date counts 0.
qint64 numeroFecha(const QDate &fecha)
{
    return fecha.isValid() ? qint64(fecha.year()) * 10000 + fecha.month() * 100 + fecha.day() : 0;
}

// A date as the number yyyyMM; an invalid date counts 0.
qint64 numeroMes(const QDate &fecha)
{
    return fecha.isValid() ? qint64(fecha.year()) * 100 + fecha.month() : 0;
}

// Whether the integer of a text is other than 0. A digit string too long for an int is not 0, even though
// QString::toInt gives up on it.
bool enteroDistintoDeCero(const QString &texto)
{
    bool ok = false;
    const int entero = texto.toInt(&ok);
    if (ok)
        return entero != 0;
    QString digitos = texto.trimmed();
    if (digitos.startsWith(QLatin1Char('+')) || digitos.startsWith(QLatin1Char('-')))
        digitos.remove(0, 1);
    return esSoloDigitos(digitos) && signoCifras(digitos) != 0;
}

// The form of the record's period, shared by the monthly and daily period rules (errors 38, 41, 20, 21, 27).
bool formaPeriodo(KovRespuesta *resp, int col, const QString &periodo, bool diario)
{
    if (anioPeriodo(periodo) < 1902)
        return fallar(resp, 38, col);
    const int mes = mesPeriodo(periodo);
    // Read like the rest of an annual period: a day part too long for an int is still a day.
    const bool conDia = enteroDistintoDeCero(periodo.mid(6));
    if (!diario) {
        if (mes < 1 || mes > 12)
            return fallar(resp, 41, col);
        if (conDia)
            return fallar(resp, 20, col);
    } else {
        if (!conDia)
            return fallar(resp, 21, col);
        if (!fechaPeriodo(periodo).isValid())
            return fallar(resp, 27, col);
    }
    return true;
}

// States 1, 2, 8 and 9 against the book: 1 and 2 must match it, 8 and 9 must be earlier; others pass.
bool estadoConLibro(KovRespuesta *resp, int col, int estado, qint64 valor, qint64 valorLibro)
{
    switch (estado) {
    case 1:
        return valor == valorLibro || fallar(resp, 16, col);
    case 2:
        return valor == valorLibro || fallar(resp, 23, col);
    case 8:
        return valor < valorLibro || fallar(resp, 17, col);
    case 9:
        return valor < valorLibro || fallar(resp, 18, col);
    default:
        return true;
    }
}

// The error for a purchase record whose period is not the book's, by state.
struct ErrorEstado {
    int estado;
    int cod;
};

const ErrorEstado erroresPeriodoCompras[] = {{0, 55}, {1, 16}, {6, 56}, {7, 57}};

int errorPeriodoCompras(int estado)
{
    for (const ErrorEstado &e : erroresPeriodoCompras) {
        if (e.estado == estado)
            return e.cod;
    }
    return 23;
}

// What the opportunity code in a book's file name asks of a daily period's date.
bool cumpleOportunidad(const QString &codigo, const QDate &fecha)
{
    const bool finEnero = fecha.month() == 1 && fecha.day() == 31;
    const bool finJunio = fecha.month() == 6 && fecha.day() == 30;
    if (codigo == QLatin1String("01"))
        return fecha.month() == 12 && fecha.day() == 31;
    if (codigo == QLatin1String("02"))
        return finEnero;
    if (codigo == QLatin1String("03"))
        return finJunio;
    if (codigo == QLatin1String("04"))
        return fecha.day() == fecha.daysInMonth() && !finEnero && !finJunio;
    return true;
}

} // namespace

bool checkPeriodoCompras(KovRespuesta *resp, int col, int estado, const QString &periodo,
                         const QString &periodoLibro, bool diario)
{
    if (!formaPeriodo(resp, col, periodo, diario))
        return false;
    const qint64 valor = numeroPeriodo(periodo);
    const qint64 valorLibro = numeroPeriodo(periodoLibro);
    if (estado == 9)
        return valor < valorLibro || fallar(resp, 18, col);
    return valor == valorLibro || fallar(resp, errorPeriodoCompras(estado), col);
}

bool checkPeriodoConLibro(KovRespuesta *resp, int col, int estado, const QString &periodo,
                          const QString &periodoLibro, bool diario, bool restaDia)
{
    if (!formaPeriodo(resp, col, periodo, diario))
        return false;
    qint64 valor = numeroPeriodo(periodo);
    // Daily records of a monthly book compare by their month.
    if (restaDia && (estado == 1 || estado == 2))
        valor -= diaPeriodo(periodo);
    return estadoConLibro(resp, col, estado, valor, numeroPeriodo(periodoLibro));
}

bool checkAnualConLibro(KovRespuesta *resp, int col, int estado, const QString &periodo,
                        const QString &periodoLibro, bool mensual, int anioMinimo)
{
    const QString resto = periodo.mid(mensual ? 6 : 4);
    if (anioPeriodo(periodo) < anioMinimo) {
        if (anioMinimo == 1902)
            return fallar(resp, 39, col);
        return fallar(resp, QStringLiteral("El periodo no puede ser menor al ") + QString::number(anioMinimo), col);
    }
    if (enteroDistintoDeCero(resto))
        return fallar(resp, 31, col);
    qint64 valor = numeroPeriodo(periodo);
    qint64 valorLibro = numeroPeriodo(periodoLibro);
    if (mensual) {
        const int mes = mesPeriodo(periodo);
        if (mes < 1 || mes > 12)
            return fallar(resp, 29, col);
        valor = anioPeriodo(periodo);
        valorLibro = anioPeriodo(periodoLibro);
    }
    return estadoConLibro(resp, col, estado, valor, valorLibro);
}

bool checkPeriodoCodigoOportunidad(KovRespuesta *resp, int estado, const QString &periodo, const QString &path)
{
    if (estado != 1)
        return true;
    const QString codigo = path.right(37).mid(27, 2);
    return cumpleOportunidad(codigo, fechaPeriodo(periodo)) || fallar(resp, 27, 1);
}

bool checkFechaEmisionEstado(KovRespuesta *resp, QList<KovColumna> *cols, int colFecha, int estado,
                             const QString &periodo, const QString &)
{
    const int anio = anioPeriodo(periodo);
    const int mes = mesPeriodo(periodo);
    const QString texto = getData(cols, colFecha);
    if (mes == 0)
        return false;

    const int anioAnterior = mes == 1 ? anio - 1 : anio;
    const int mesAnterior = mes == 1 ? 12 : mes - 1;
    const QDate primeroAnterior(anioAnterior, mesAnterior, 1);
    const QDate ultimoAnterior(anioAnterior, mesAnterior, primeroAnterior.daysInMonth());
    const QDate inicioVentana = ultimoAnterior.addMonths(-12).addDays(1);

    const qint64 emision = numeroFecha(fechaTexto(texto));
    const qint64 finAnterior = numeroFecha(ultimoAnterior);
    const qint64 desde = numeroFecha(inicioVentana);
    const qint64 inicioMes = qint64(anio) * 10000 + mes * 100 + 1;
    const qint64 finMes = qint64(anio) * 10000 + mes * 100 + QDate(anio, mes, 1).daysInMonth();

    switch (estado) {
    case 1:
        return (emision >= inicioMes && emision <= finMes)
            || fallar(resp, QStringLiteral("Fecha de emisión debe corresponder al periodo (Estado 1)."), colFecha);
    case 5:
        return (emision >= desde && emision <= finMes)
            || fallar(resp,
                      QStringLiteral("Fecha de emisión está fuera de los doce meses anteriores al periodo (Estado 5)."),
                      colFecha);
    case 6:
        return (emision >= desde && emision <= finAnterior)
            || fallar(resp,
                      QStringLiteral("Fecha de emisión está fuera de los doce meses anteriores al periodo (Estado 6)."),
                      colFecha);
    case 7:
        return emision < desde
            || fallar(resp,
                      QStringLiteral("Fecha de emisión debe ser menor a los doce meses anteriores al periodo (Estado 7)."),
                      colFecha);
    default:
        return true;
    }
}

bool checkFechaConPeriodoCompras(KovRespuesta *resp, QList<KovColumna> *cols, int col, const QString &periodo)
{
    const QDate fecha = fechaTexto(getData(cols, col));
    if (!fecha.isValid())
        return fallar(resp, 13, col);
    const int anio = anioPeriodo(periodo);
    const int mes = mesPeriodo(periodo);
    bool tarde;
    if (mes == 0)
        tarde = fecha.year() > anio;
    else if (diaPeriodo(periodo) == 0)
        tarde = numeroMes(fecha) > numeroMes(QDate(anio, mes, 1).addMonths(1));
    else
        tarde = numeroFecha(fecha) > numeroFecha(fechaPeriodo(periodo).addMonths(1));
    return !tarde || fallar(resp, 45, col);
}

bool checkFechaConPeriodo(KovRespuesta *resp, QList<KovColumna> *cols, int col, const QString &periodo,
                          bool mesSiguiente, bool reportar)
{
    const QDate fecha = fechaTexto(getData(cols, col));
    if (!fecha.isValid()) {
        resp->addError(13, col);
        return !reportar;
    }
    const int anio = anioPeriodo(periodo);
    const int mes = mesPeriodo(periodo);
    bool tarde;
    if (mes == 0)
        tarde = fecha.year() > anio;
    else if (diaPeriodo(periodo) != 0)
        tarde = numeroFecha(fecha) > numeroPeriodo(periodo);
    else if (mesSiguiente)
        tarde = numeroMes(fecha) > numeroMes(QDate(anio, mes, 1).addMonths(1));
    else
        tarde = numeroMes(fecha) > periodo.left(6).toLongLong();
    if (tarde && !mesSiguiente && reportar)
        resp->addError(19, col);
    return !tarde;
}
