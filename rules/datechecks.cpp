#include "datechecks.h"

#include "dateparser.h"
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

qint64 numeroDia(int anio, int mes, int dia)
{
    return qint64(anio) * 10000 + mes * 100 + dia;
}

// A date as the number yyyyMMdd; an invalid date counts 0.
qint64 numeroFecha(const QDate &fecha)
{
    return fecha.isValid() ? numeroDia(fecha.year(), fecha.month(), fecha.day()) : 0;
}

qint64 numeroFecha(const PartesFecha &fecha)
{
    return fecha.valida ? numeroDia(fecha.anio, fecha.mes, fecha.dia) : 0;
}

// A date as the number yyyyMM; an invalid date counts 0.
qint64 numeroMes(const QDate &fecha)
{
    return fecha.isValid() ? qint64(fecha.year()) * 100 + fecha.month() : 0;
}

qint64 numeroMes(const PartesFecha &fecha)
{
    return fecha.valida ? qint64(fecha.anio) * 100 + fecha.mes : 0;
}

// The month arithmetic below is QDate's for a real month of a year from this one on: QDate's calendar has no
// year 0, and a window reaches two years back. Any other period takes QDate's own way.
const int kPrimerAnioSencillo = 3;

bool mesSencillo(int anio, int mes)
{
    return anio >= kPrimerAnioSencillo && mes >= 1 && mes <= 12;
}

int diasDelMes(int anio, int mes)
{
    static const int dias[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool bisiesto = (anio % 4 == 0 && anio % 100 != 0) || anio % 400 == 0;
    return mes == 2 && bisiesto ? 29 : dias[mes - 1];
}

// The month after the period's month as the number yyyyMM; 0 where QDate has no such month.
qint64 numeroMesSiguiente(int anio, int mes)
{
    if (!mesSencillo(anio, mes))
        return numeroMes(QDate(anio, mes, 1).addMonths(1));
    return mes == 12 ? qint64(anio + 1) * 100 + 1 : qint64(anio) * 100 + mes + 1;
}

// The first six characters of a period (its year and month) read as one number.
qint64 numeroAnioMes(const QString &periodo)
{
    int valor;
    return cifrasEnteras(periodo, 0, 6, &valor) ? valor : periodo.left(6).toLongLong();
}

// The days, as numbers yyyyMMdd, that bound the emission date of a record of a monthly period: the first and
// the last of the period's month, the last of the month before, and the day after that last day twelve months
// earlier (a February 28th a year before a leap year's is followed by the 29th).
struct VentanaEmision
{
    qint64 inicioMes;
    qint64 finMes;
    qint64 finAnterior;
    qint64 desde;
};

VentanaEmision ventanaEmision(int anio, int mes)
{
    const int anioAnterior = mes == 1 ? anio - 1 : anio;
    const int mesAnterior = mes == 1 ? 12 : mes - 1;
    VentanaEmision v;
    v.inicioMes = numeroDia(anio, mes, 1);
    if (!mesSencillo(anio, mes)) {
        const QDate primeroAnterior(anioAnterior, mesAnterior, 1);
        const QDate ultimoAnterior(anioAnterior, mesAnterior, primeroAnterior.daysInMonth());
        v.finMes = numeroDia(anio, mes, QDate(anio, mes, 1).daysInMonth());
        v.finAnterior = numeroFecha(ultimoAnterior);
        v.desde = numeroFecha(ultimoAnterior.addMonths(-12).addDays(1));
        return v;
    }
    const int ultimo = diasDelMes(anioAnterior, mesAnterior);
    v.finMes = numeroDia(anio, mes, diasDelMes(anio, mes));
    v.finAnterior = numeroDia(anioAnterior, mesAnterior, ultimo);
    // A year back the day is cut to that month's length, then the next day is taken.
    const int anioAtras = anioAnterior - 1;
    const int largoAtras = diasDelMes(anioAtras, mesAnterior);
    if (ultimo < largoAtras)
        v.desde = numeroDia(anioAtras, mesAnterior, ultimo + 1);
    else if (mesAnterior == 12)
        v.desde = numeroDia(anioAtras + 1, 1, 1);
    else
        v.desde = numeroDia(anioAtras, mesAnterior + 1, 1);
    return v;
}

// Whether the integer of the text from `desde` on is other than 0. A digit string too long for an int is not 0,
// even though QString::toInt gives up on it.
bool enteroDistintoDeCero(const QString &texto, int desde)
{
    int cifras;
    if (cifrasEnteras(texto, desde, -1, &cifras))
        return cifras != 0;
    const QString resto = texto.mid(desde);
    bool ok = false;
    const int entero = resto.toInt(&ok);
    if (ok)
        return entero != 0;
    QString digitos = resto.trimmed();
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
    const bool conDia = enteroDistintoDeCero(periodo, 6);
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
    if (anioPeriodo(periodo) < anioMinimo) {
        if (anioMinimo == 1902)
            return fallar(resp, 39, col);
        return fallar(resp, QStringLiteral("El periodo no puede ser menor al ") + QString::number(anioMinimo), col);
    }
    if (enteroDistintoDeCero(periodo, mensual ? 6 : 4))
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
    if (mes == 0)
        return false;

    const qint64 emision = numeroFecha(lePartesDiaMesAnio(getData(cols, colFecha)));
    const VentanaEmision v = ventanaEmision(anio, mes);

    switch (estado) {
    case 1:
        return (emision >= v.inicioMes && emision <= v.finMes)
            || fallar(resp, QStringLiteral("Fecha de emisión debe corresponder al periodo (Estado 1)."), colFecha);
    case 5:
        return (emision >= v.desde && emision <= v.finMes)
            || fallar(resp,
                      QStringLiteral("Fecha de emisión está fuera de los doce meses anteriores al periodo (Estado 5)."),
                      colFecha);
    case 6:
        return (emision >= v.desde && emision <= v.finAnterior)
            || fallar(resp,
                      QStringLiteral("Fecha de emisión está fuera de los doce meses anteriores al periodo (Estado 6)."),
                      colFecha);
    case 7:
        return emision < v.desde
            || fallar(resp,
                      QStringLiteral("Fecha de emisión debe ser menor a los doce meses anteriores al periodo (Estado 7)."),
                      colFecha);
    default:
        return true;
    }
}

bool checkFechaConPeriodoCompras(KovRespuesta *resp, QList<KovColumna> *cols, int col, const QString &periodo)
{
    const PartesFecha fecha = lePartesDiaMesAnio(getData(cols, col));
    if (!fecha.valida)
        return fallar(resp, 13, col);
    const int anio = anioPeriodo(periodo);
    const int mes = mesPeriodo(periodo);
    bool tarde;
    if (mes == 0)
        tarde = fecha.anio > anio;
    else if (diaPeriodo(periodo) == 0)
        tarde = numeroMes(fecha) > numeroMesSiguiente(anio, mes);
    else
        tarde = numeroFecha(fecha) > numeroFecha(fechaPeriodo(periodo).addMonths(1));
    return !tarde || fallar(resp, 45, col);
}

bool checkFechaConPeriodo(KovRespuesta *resp, QList<KovColumna> *cols, int col, const QString &periodo,
                          bool mesSiguiente, bool reportar)
{
    const PartesFecha fecha = lePartesDiaMesAnio(getData(cols, col));
    if (!fecha.valida) {
        resp->addError(13, col);
        return !reportar;
    }
    const int anio = anioPeriodo(periodo);
    const int mes = mesPeriodo(periodo);
    bool tarde;
    if (mes == 0)
        tarde = fecha.anio > anio;
    else if (diaPeriodo(periodo) != 0)
        tarde = numeroFecha(fecha) > numeroPeriodo(periodo);
    else if (mesSiguiente)
        tarde = numeroMes(fecha) > numeroMesSiguiente(anio, mes);
    else
        tarde = numeroMes(fecha) > numeroAnioMes(periodo);
    if (tarde && !mesSiguiente && reportar)
        resp->addError(19, col);
    return !tarde;
}
