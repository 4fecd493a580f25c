#include "datechecks.h"
#include "registrosprueba.h"
#include "rulehelpers.h"

#include <QtTest>

// 2024 is a leap year; 2023 the year before it and 2025 the year after it.

namespace {

const QString estado1 = QStringLiteral("666@4:Fecha de emisión debe corresponder al periodo (Estado 1).");
const QString estado5 =
    QStringLiteral("666@4:Fecha de emisión está fuera de los doce meses anteriores al periodo (Estado 5).");
const QString estado6 =
    QStringLiteral("666@4:Fecha de emisión está fuera de los doce meses anteriores al periodo (Estado 6).");
const QString estado7 =
    QStringLiteral("666@4:Fecha de emisión debe ser menor a los doce meses anteriores al periodo (Estado 7).");

// A record whose fourth column holds the date under test.
QList<KovColumna> registroConFecha(const QString &fecha)
{
    return registro({QStringLiteral("20240300"), QStringLiteral("M1"), QStringLiteral("01"), fecha,
                     QStringLiteral("x")});
}

// A book file name carries the opportunity code at characters 28 and 29 of its last 37.
QString rutaLibro(const QString &periodo, const QString &codigo)
{
    return QStringLiteral("/home/contador/libros/LE20100066603") + periodo + QStringLiteral("030100") + codigo
        + QStringLiteral("1111.txt");
}

// The date rules as they read dates before they took the numbers of a date without a QDate: the reference that
// the rules must still agree with.
namespace conQDate {

qint64 numeroFecha(const QDate &fecha)
{
    return fecha.isValid() ? qint64(fecha.year()) * 10000 + fecha.month() * 100 + fecha.day() : 0;
}

qint64 numeroMes(const QDate &fecha)
{
    return fecha.isValid() ? qint64(fecha.year()) * 100 + fecha.month() : 0;
}

int anio(const QString &periodo)
{
    return periodo.mid(0, 4).toInt();
}

int mes(const QString &periodo)
{
    return periodo.mid(4, 2).toInt();
}

bool fallar(KovRespuesta *resp, const QString &mensaje, int col)
{
    resp->addError(mensaje, col);
    return false;
}

bool fechaEmisionEstado(KovRespuesta *resp, const QString &texto, int estado, const QString &periodo)
{
    const int a = anio(periodo);
    const int m = mes(periodo);
    if (m == 0)
        return false;
    const int anioAnterior = m == 1 ? a - 1 : a;
    const int mesAnterior = m == 1 ? 12 : m - 1;
    const QDate primeroAnterior(anioAnterior, mesAnterior, 1);
    const QDate ultimoAnterior(anioAnterior, mesAnterior, primeroAnterior.daysInMonth());
    const QDate inicioVentana = ultimoAnterior.addMonths(-12).addDays(1);
    const qint64 emision = numeroFecha(fechaTexto(texto));
    const qint64 finAnterior = numeroFecha(ultimoAnterior);
    const qint64 desde = numeroFecha(inicioVentana);
    const qint64 inicioMes = qint64(a) * 10000 + m * 100 + 1;
    const qint64 finMes = qint64(a) * 10000 + m * 100 + QDate(a, m, 1).daysInMonth();
    switch (estado) {
    case 1:
        return (emision >= inicioMes && emision <= finMes) || fallar(resp, estado1.mid(6), 4);
    case 5:
        return (emision >= desde && emision <= finMes) || fallar(resp, estado5.mid(6), 4);
    case 6:
        return (emision >= desde && emision <= finAnterior) || fallar(resp, estado6.mid(6), 4);
    case 7:
        return emision < desde || fallar(resp, estado7.mid(6), 4);
    default:
        return true;
    }
}

bool fechaConPeriodoCompras(KovRespuesta *resp, const QString &texto, const QString &periodo)
{
    const QDate fecha = fechaTexto(texto);
    if (!fecha.isValid()) {
        resp->addError(13, 4);
        return false;
    }
    const int a = anio(periodo);
    const int m = mes(periodo);
    bool tarde;
    if (m == 0)
        tarde = fecha.year() > a;
    else if (periodo.mid(6).toInt() == 0)
        tarde = numeroMes(fecha) > numeroMes(QDate(a, m, 1).addMonths(1));
    else
        tarde = numeroFecha(fecha) > numeroFecha(fechaPeriodo(periodo).addMonths(1));
    if (tarde)
        resp->addError(45, 4);
    return !tarde;
}

bool fechaConPeriodo(KovRespuesta *resp, const QString &texto, const QString &periodo, bool mesSiguiente,
                     bool reportar)
{
    const QDate fecha = fechaTexto(texto);
    if (!fecha.isValid()) {
        resp->addError(13, 4);
        return !reportar;
    }
    const int a = anio(periodo);
    const int m = mes(periodo);
    bool tarde;
    if (m == 0)
        tarde = fecha.year() > a;
    else if (periodo.mid(6).toInt() != 0)
        tarde = numeroFecha(fecha) > periodo.toLongLong();
    else if (mesSiguiente)
        tarde = numeroMes(fecha) > numeroMes(QDate(a, m, 1).addMonths(1));
    else
        tarde = numeroMes(fecha) > periodo.left(6).toLongLong();
    if (tarde && !mesSiguiente && reportar)
        resp->addError(19, 4);
    return !tarde;
}

} // namespace conQDate

// "dd/MM/yyyy" of numbers that need not make a date.
QString textoFecha(int dia, int mes, int anio)
{
    return QStringLiteral("%1/%2/%3").arg(dia, 2, 10, QLatin1Char('0')).arg(mes, 2, 10, QLatin1Char('0'))
        .arg(anio, 4, 10, QLatin1Char('0'));
}

} // namespace

class TestDateChecks : public QObject
{
    Q_OBJECT

private slots:
    void periodoCompras_data();
    void periodoCompras();
    void periodoConLibro_data();
    void periodoConLibro();
    void anualConLibro_data();
    void anualConLibro();
    void codigoOportunidad_data();
    void codigoOportunidad();
    void fechaEmisionEstado_data();
    void fechaEmisionEstado();
    void fechaEmisionPeriodoAnual();
    void fechaConPeriodoCompras_data();
    void fechaConPeriodoCompras();
    void fechaConPeriodo_data();
    void fechaConPeriodo();
    void columnaDelPeriodo();
    void comoConQDate_data();
    void comoConQDate();
};

void TestDateChecks::periodoCompras_data()
{
    QTest::addColumn<int>("estado");
    QTest::addColumn<QString>("periodo");
    QTest::addColumn<QString>("periodoLibro");
    QTest::addColumn<bool>("diario");
    QTest::addColumn<QString>("esperados");
    QTest::newRow("year 1901") << 1 << "19011200" << "19011200" << false << "38@1";
    QTest::newRow("year 1901, state 9") << 9 << "19010100" << "20240300" << false << "38@1";
    QTest::newRow("year 1902") << 1 << "19020100" << "19020100" << false << "";
    QTest::newRow("month 13") << 1 << "20241300" << "20241300" << false << "41@1";
    QTest::newRow("month 00") << 1 << "20240000" << "20240000" << false << "41@1";
    QTest::newRow("monthly with a day") << 1 << "20240315" << "20240315" << false << "20@1";
    QTest::newRow("daily without a day") << 1 << "20240300" << "20240300" << true << "21@1";
    QTest::newRow("daily 30 February") << 1 << "20240230" << "20240230" << true << "27@1";
    QTest::newRow("daily 29 February") << 1 << "20240229" << "20240229" << true << "";
    QTest::newRow("not a period") << 1 << "abc" << "20240300" << false << "38@1";
    QTest::newRow("empty") << 1 << "" << "20240300" << false << "38@1";
    QTest::newRow("state 9 earlier") << 9 << "20240200" << "20240300" << false << "";
    QTest::newRow("state 9 across year end") << 9 << "20231200" << "20240100" << false << "";
    QTest::newRow("state 9 same") << 9 << "20240300" << "20240300" << false << "18@1";
    QTest::newRow("state 9 later") << 9 << "20240400" << "20240300" << false << "18@1";
    QTest::newRow("state 1 same") << 1 << "20240300" << "20240300" << false << "";
    QTest::newRow("state 0 same") << 0 << "20240300" << "20240300" << false << "";
    QTest::newRow("state 0 other") << 0 << "20240200" << "20240300" << false << "55@1";
    QTest::newRow("state 1 other") << 1 << "20240200" << "20240300" << false << "16@1";
    QTest::newRow("state 6 other") << 6 << "20240200" << "20240300" << false << "56@1";
    QTest::newRow("state 7 other") << 7 << "20240200" << "20240300" << false << "57@1";
    QTest::newRow("state 2 other") << 2 << "20240200" << "20240300" << false << "23@1";
    QTest::newRow("state 3 other") << 3 << "20240200" << "20240300" << false << "23@1";
    QTest::newRow("state 8 other") << 8 << "20240200" << "20240300" << false << "23@1";
    QTest::newRow("state -1 other") << -1 << "20240200" << "20240300" << false << "23@1";
    QTest::newRow("state 10 other") << 10 << "20240200" << "20240300" << false << "23@1";
    QTest::newRow("state 9, period beyond int range") << 9 << "2148010000" << "20240300" << false << "18@1";
}

void TestDateChecks::periodoCompras()
{
    QFETCH(int, estado);
    QFETCH(QString, periodo);
    QFETCH(QString, periodoLibro);
    QFETCH(bool, diario);
    QFETCH(QString, esperados);
    KovRespuesta resp;
    QCOMPARE(checkPeriodoCompras(&resp, 1, estado, periodo, periodoLibro, diario), esperados.isEmpty());
    QCOMPARE(errores(resp), esperados);
    KovRespuesta previa = respuestaPrevia();
    QCOMPARE(checkPeriodoCompras(&previa, 1, estado, periodo, periodoLibro, diario), esperados.isEmpty());
    QCOMPARE(errores(previa), conPrevia(esperados));
}

void TestDateChecks::periodoConLibro_data()
{
    QTest::addColumn<int>("estado");
    QTest::addColumn<QString>("periodo");
    QTest::addColumn<QString>("periodoLibro");
    QTest::addColumn<bool>("diario");
    QTest::addColumn<bool>("restaDia");
    QTest::addColumn<QString>("esperados");
    QTest::newRow("year 1901") << 5 << "19011231" << "20240300" << true << false << "38@1";
    QTest::newRow("daily without a day") << 1 << "20240300" << "20240300" << true << false << "21@1";
    QTest::newRow("daily 30 February") << 1 << "20240230" << "20240230" << true << false << "27@1";
    QTest::newRow("daily 29 February 2023") << 1 << "20230229" << "20230229" << true << false << "27@1";
    QTest::newRow("monthly with a day") << 1 << "20240315" << "20240300" << false << false << "20@1";
    QTest::newRow("monthly month 13") << 1 << "20241300" << "20241300" << false << false << "41@1";
    QTest::newRow("day dropped, state 1") << 1 << "20240315" << "20240300" << true << true << "";
    QTest::newRow("day dropped, state 2") << 2 << "20240331" << "20240300" << true << true << "";
    QTest::newRow("day dropped, other month") << 1 << "20240415" << "20240300" << true << true << "16@1";
    QTest::newRow("day kept, state 1") << 1 << "20240315" << "20240300" << true << false << "16@1";
    QTest::newRow("day kept, same day") << 1 << "20240315" << "20240315" << true << false << "";
    QTest::newRow("state 2 other") << 2 << "20240200" << "20240300" << false << false << "23@1";
    QTest::newRow("state 8 same") << 8 << "20240300" << "20240300" << false << false << "17@1";
    QTest::newRow("state 8 earlier") << 8 << "20231200" << "20240100" << false << false << "";
    QTest::newRow("state 8 keeps the day") << 8 << "20240315" << "20240300" << true << true << "17@1";
    QTest::newRow("state 9 same") << 9 << "20240300" << "20240300" << false << false << "18@1";
    QTest::newRow("state 9 earlier") << 9 << "20240200" << "20240300" << false << false << "";
    QTest::newRow("state 5 any period") << 5 << "20990100" << "20240300" << false << false << "";
    QTest::newRow("state 0 any period") << 0 << "20990100" << "20240300" << false << false << "";
    QTest::newRow("state 7 any period") << 7 << "20990100" << "20240300" << false << false << "";
    QTest::newRow("state -1 any period") << -1 << "20990100" << "20240300" << false << false << "";
    QTest::newRow("state 5, day beyond int range") << 5 << QStringLiteral("202403") + QString(11, QLatin1Char('9'))
                                                   << "20240300" << false << false << "20@1";
    QTest::newRow("daily, day beyond int range") << 5 << QStringLiteral("202403") + QString(11, QLatin1Char('9'))
                                                 << "20240300" << true << false << "27@1";
    QTest::newRow("state 5, day beyond double range") << 5 << QStringLiteral("202403") + QString(400, QLatin1Char('9'))
                                                      << "20240300" << false << false << "20@1";
    QTest::newRow("state 8, period beyond int range") << 8 << "2148010000" << "20240300" << false << false
                                                      << "17@1";
}

void TestDateChecks::periodoConLibro()
{
    QFETCH(int, estado);
    QFETCH(QString, periodo);
    QFETCH(QString, periodoLibro);
    QFETCH(bool, diario);
    QFETCH(bool, restaDia);
    QFETCH(QString, esperados);
    KovRespuesta resp;
    QCOMPARE(checkPeriodoConLibro(&resp, 1, estado, periodo, periodoLibro, diario, restaDia), esperados.isEmpty());
    QCOMPARE(errores(resp), esperados);
    KovRespuesta previa = respuestaPrevia();
    QCOMPARE(checkPeriodoConLibro(&previa, 1, estado, periodo, periodoLibro, diario, restaDia), esperados.isEmpty());
    QCOMPARE(errores(previa), conPrevia(esperados));
}

void TestDateChecks::anualConLibro_data()
{
    QTest::addColumn<int>("estado");
    QTest::addColumn<QString>("periodo");
    QTest::addColumn<QString>("periodoLibro");
    QTest::addColumn<bool>("mensual");
    QTest::addColumn<int>("anioMinimo");
    QTest::addColumn<QString>("esperados");
    QTest::newRow("before 2010") << 1 << "20091200" << "20100000" << false << 2010
                                 << "666@1:El periodo no puede ser menor al 2010";
    QTest::newRow("before 1902") << 1 << "19010000" << "19010000" << false << 1902 << "39@1";
    QTest::newRow("before 2015") << 1 << "20140000" << "20140000" << true << 2015
                                 << "666@1:El periodo no puede ser menor al 2015";
    QTest::newRow("annual with a month") << 1 << "20100100" << "20100000" << false << 2010 << "31@1";
    QTest::newRow("annual with a day") << 1 << "20100001" << "20100000" << false << 2010 << "31@1";
    QTest::newRow("monthly with a day") << 1 << "20100315" << "20100000" << true << 2010 << "31@1";
    QTest::newRow("rest beyond int range") << 1 << QStringLiteral("2010") + QString(30, QLatin1Char('0'))
        + QLatin1Char('1') << "20100000" << false << 2010 << "31@1";
    QTest::newRow("rest of zeros beyond int range") << 0 << QStringLiteral("2010") + QString(30, QLatin1Char('0'))
                                                    << "20100000" << false << 2010 << "";
    QTest::newRow("monthly month 13") << 1 << "20101300" << "20100000" << true << 2010 << "29@1";
    QTest::newRow("monthly, day tested before month") << 1 << "20101315" << "20100000" << true << 2010 << "31@1";
    QTest::newRow("monthly month 00") << 1 << "20100000" << "20100000" << true << 2010 << "29@1";
    QTest::newRow("monthly compares years") << 1 << "20100300" << "20100000" << true << 2010 << "";
    QTest::newRow("monthly other year") << 1 << "20100300" << "20110000" << true << 2010 << "16@1";
    QTest::newRow("monthly state 9 earlier year") << 9 << "20101200" << "20110000" << true << 2010 << "";
    QTest::newRow("monthly state 9 same year") << 9 << "20100100" << "20101200" << true << 2010 << "18@1";
    QTest::newRow("state 1 same") << 1 << "20100000" << "20100000" << false << 2010 << "";
    QTest::newRow("state 1 other") << 1 << "20100000" << "20110000" << false << 2010 << "16@1";
    QTest::newRow("state 2 other") << 2 << "20100000" << "20110000" << false << 2010 << "23@1";
    QTest::newRow("state 8 same") << 8 << "20100000" << "20100000" << false << 2010 << "17@1";
    QTest::newRow("state 8 earlier") << 8 << "20100000" << "20110000" << false << 2010 << "";
    QTest::newRow("state 9 same") << 9 << "20100000" << "20100000" << false << 2010 << "18@1";
    QTest::newRow("state 0 other") << 0 << "20100000" << "20200000" << false << 2010 << "";
    QTest::newRow("state 6 other") << 6 << "20100000" << "20200000" << false << 2010 << "";
    QTest::newRow("state 7 other") << 7 << "20100000" << "20200000" << false << 2010 << "";
}

void TestDateChecks::anualConLibro()
{
    QFETCH(int, estado);
    QFETCH(QString, periodo);
    QFETCH(QString, periodoLibro);
    QFETCH(bool, mensual);
    QFETCH(int, anioMinimo);
    QFETCH(QString, esperados);
    KovRespuesta resp;
    QCOMPARE(checkAnualConLibro(&resp, 1, estado, periodo, periodoLibro, mensual, anioMinimo), esperados.isEmpty());
    QCOMPARE(errores(resp), esperados);
    KovRespuesta previa = respuestaPrevia();
    QCOMPARE(checkAnualConLibro(&previa, 1, estado, periodo, periodoLibro, mensual, anioMinimo), esperados.isEmpty());
    QCOMPARE(errores(previa), conPrevia(esperados));
}

void TestDateChecks::codigoOportunidad_data()
{
    QTest::addColumn<int>("estado");
    QTest::addColumn<QString>("periodo");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("esperados");
    QTest::newRow("01 on 31 December") << 1 << "20241231" << rutaLibro("20241231", "01") << "";
    QTest::newRow("01 on 30 November") << 1 << "20241130" << rutaLibro("20241130", "01") << "27@1";
    QTest::newRow("02 on 31 January") << 1 << "20240131" << rutaLibro("20240131", "02") << "";
    QTest::newRow("02 on 29 February") << 1 << "20240229" << rutaLibro("20240229", "02") << "27@1";
    QTest::newRow("03 on 30 June") << 1 << "20240630" << rutaLibro("20240630", "03") << "";
    QTest::newRow("03 on 31 June") << 1 << "20240631" << rutaLibro("20240631", "03") << "27@1";
    QTest::newRow("04 on 31 January") << 1 << "20240131" << rutaLibro("20240131", "04") << "27@1";
    QTest::newRow("04 on 30 June") << 1 << "20240630" << rutaLibro("20240630", "04") << "27@1";
    QTest::newRow("04 on 29 February") << 1 << "20240229" << rutaLibro("20240229", "04") << "";
    QTest::newRow("04 on 28 February 2023") << 1 << "20230228" << rutaLibro("20230228", "04") << "";
    QTest::newRow("04 on 28 February 2024") << 1 << "20240228" << rutaLibro("20240228", "04") << "27@1";
    QTest::newRow("04 on an impossible date") << 1 << "20241300" << rutaLibro("20241300", "04") << "";
    QTest::newRow("07 any date") << 1 << "20240115" << rutaLibro("20240115", "07") << "";
    QTest::newRow("state 2 ignores the code") << 2 << "20241130" << rutaLibro("20241130", "01") << "";
    QTest::newRow("short path taken whole") << 1 << "20241130" << "LE01" << "";
    QTest::newRow("short path, code at 28") << 1 << "20241130" << QString(27, QLatin1Char('x')) + QStringLiteral("01")
                                            << "27@1";
    QTest::newRow("longer file name, last 37") << 1 << "20241130"
                                               << QStringLiteral("/tmp/copia_") + rutaLibro("20241130", "01").mid(22)
                                               << "27@1";
    QTest::newRow("code 02 in a longer name") << 1 << "20240131"
                                              << QStringLiteral("/tmp/copia_") + rutaLibro("20240131", "02").mid(22)
                                              << "";
    QTest::newRow("empty path") << 1 << "20241130" << "" << "";
}

void TestDateChecks::codigoOportunidad()
{
    QFETCH(int, estado);
    QFETCH(QString, periodo);
    QFETCH(QString, path);
    QFETCH(QString, esperados);
    KovRespuesta resp;
    QCOMPARE(checkPeriodoCodigoOportunidad(&resp, estado, periodo, path), esperados.isEmpty());
    QCOMPARE(errores(resp), esperados);
    KovRespuesta previa = respuestaPrevia();
    QCOMPARE(checkPeriodoCodigoOportunidad(&previa, estado, periodo, path), esperados.isEmpty());
    QCOMPARE(errores(previa), conPrevia(esperados));
}

void TestDateChecks::fechaEmisionEstado_data()
{
    QTest::addColumn<int>("estado");
    QTest::addColumn<QString>("periodo");
    QTest::addColumn<QString>("fecha");
    QTest::addColumn<QString>("esperados");
    QTest::newRow("1 within the month") << 1 << "20240300" << "15/03/2024" << "";
    QTest::newRow("1 last day") << 1 << "20240300" << "31/03/2024" << "";
    QTest::newRow("1 day before") << 1 << "20240300" << "29/02/2024" << estado1;
    QTest::newRow("1 day after") << 1 << "20240300" << "01/04/2024" << estado1;
    QTest::newRow("1 impossible date") << 1 << "20240300" << "31/02/2024" << estado1;
    QTest::newRow("1 January, date in December") << 1 << "20240100" << "31/12/2023" << estado1;
    QTest::newRow("1 February of a leap year") << 1 << "20240200" << "29/02/2024" << "";
    QTest::newRow("5 end of the month") << 5 << "20240300" << "31/03/2024" << "";
    QTest::newRow("5 window start") << 5 << "20240300" << "01/03/2023" << "";
    QTest::newRow("5 before the window") << 5 << "20240300" << "28/02/2023" << estado5;
    QTest::newRow("5 after the month") << 5 << "20240300" << "01/04/2024" << estado5;
    QTest::newRow("5 empty date") << 5 << "20240300" << "" << estado5;
    QTest::newRow("6 window start") << 6 << "20240300" << "01/03/2023" << "";
    QTest::newRow("6 previous month end") << 6 << "20240300" << "29/02/2024" << "";
    QTest::newRow("6 in the period month") << 6 << "20240300" << "15/03/2024" << estado6;
    QTest::newRow("6 before the window") << 6 << "20240300" << "28/02/2023" << estado6;
    QTest::newRow("6 January, December before") << 6 << "20240100" << "31/12/2023" << "";
    QTest::newRow("6 January, window start") << 6 << "20240100" << "01/01/2023" << "";
    QTest::newRow("6 January, before the window") << 6 << "20240100" << "31/12/2022" << estado6;
    QTest::newRow("6 after leap February") << 6 << "20250300" << "29/02/2024" << "";
    QTest::newRow("6 after leap February, 28th") << 6 << "20250300" << "28/02/2024" << estado6;
    QTest::newRow("7 before the window") << 7 << "20240300" << "28/02/2023" << "";
    QTest::newRow("7 window start") << 7 << "20240300" << "01/03/2023" << estado7;
    QTest::newRow("7 impossible date") << 7 << "20240300" << "29/02/2023" << "";
    QTest::newRow("0 any date") << 0 << "20240300" << "01/01/1990" << "";
    QTest::newRow("9 any date") << 9 << "20240300" << "garbage" << "";
}

void TestDateChecks::fechaEmisionEstado()
{
    QFETCH(int, estado);
    QFETCH(QString, periodo);
    QFETCH(QString, fecha);
    QFETCH(QString, esperados);
    QList<KovColumna> cols = registroConFecha(fecha);
    KovRespuesta resp;
    QCOMPARE(checkFechaEmisionEstado(&resp, &cols, 4, estado, periodo, QStringLiteral("20240300")),
             esperados.isEmpty());
    QCOMPARE(errores(resp), esperados);
    // The purchase register 8.1 leaves the unread book period out.
    KovRespuesta previa = respuestaPrevia();
    QCOMPARE(checkFechaEmisionEstado(&previa, &cols, 4, estado, periodo), esperados.isEmpty());
    QCOMPARE(errores(previa), conPrevia(esperados));
}

// An annual period has no month to hold the issue date against: the rule gives false and says nothing.
void TestDateChecks::fechaEmisionPeriodoAnual()
{
    QList<KovColumna> cols = registroConFecha(QStringLiteral("15/03/2024"));
    KovRespuesta resp;
    QVERIFY(!checkFechaEmisionEstado(&resp, &cols, 4, 1, QStringLiteral("20240000"), QStringLiteral("20240000")));
    QVERIFY(!resp.hasErrores());
}

void TestDateChecks::fechaConPeriodoCompras_data()
{
    QTest::addColumn<QString>("periodo");
    QTest::addColumn<QString>("fecha");
    QTest::addColumn<QString>("esperados");
    QTest::newRow("monthly, next month") << "20240300" << "30/04/2024" << "";
    QTest::newRow("monthly, two months on") << "20240300" << "01/05/2024" << "45@4";
    QTest::newRow("monthly, earlier") << "20240300" << "01/01/2020" << "";
    QTest::newRow("December, January after") << "20241200" << "31/01/2025" << "";
    QTest::newRow("December, February after") << "20241200" << "01/02/2025" << "45@4";
    QTest::newRow("daily 31 January, 29 February") << "20240131" << "29/02/2024" << "";
    QTest::newRow("daily 31 January, 1 March") << "20240131" << "01/03/2024" << "45@4";
    QTest::newRow("daily 31 January 2023, 28 February") << "20230131" << "28/02/2023" << "";
    QTest::newRow("daily 31 January 2023, 1 March") << "20230131" << "01/03/2023" << "45@4";
    QTest::newRow("annual, last day") << "20240000" << "31/12/2024" << "";
    QTest::newRow("annual, next year") << "20240000" << "01/01/2025" << "45@4";
    QTest::newRow("impossible date") << "20240300" << "30/02/2024" << "13@4";
    QTest::newRow("empty date") << "20240300" << "" << "13@4";
    QTest::newRow("impossible daily period") << "20240230" << "01/01/2000" << "45@4";
}

void TestDateChecks::fechaConPeriodoCompras()
{
    QFETCH(QString, periodo);
    QFETCH(QString, fecha);
    QFETCH(QString, esperados);
    QList<KovColumna> cols = registroConFecha(fecha);
    KovRespuesta resp;
    QCOMPARE(checkFechaConPeriodoCompras(&resp, &cols, 4, periodo), esperados.isEmpty());
    QCOMPARE(errores(resp), esperados);
    KovRespuesta previa = respuestaPrevia();
    QCOMPARE(checkFechaConPeriodoCompras(&previa, &cols, 4, periodo), esperados.isEmpty());
    QCOMPARE(errores(previa), conPrevia(esperados));
}

void TestDateChecks::fechaConPeriodo_data()
{
    QTest::addColumn<QString>("periodo");
    QTest::addColumn<QString>("fecha");
    QTest::addColumn<bool>("mesSiguiente");
    QTest::addColumn<bool>("reportar");
    QTest::addColumn<QString>("esperados");
    QTest::addColumn<bool>("resultado");
    QTest::newRow("December, last day") << "20241200" << "31/12/2024" << false << true << "" << true;
    QTest::newRow("December, next year, reported") << "20241200" << "01/01/2025" << false << true << "19@4" << false;
    QTest::newRow("December, next month allowed") << "20241200" << "01/01/2025" << true << false << "" << true;
    QTest::newRow("December, two months on") << "20241200" << "01/02/2025" << true << true << "" << false;
    QTest::newRow("December, not reported") << "20241200" << "01/01/2025" << false << false << "" << false;
    QTest::newRow("impossible date, not reported") << "20240100" << "32/01/2024" << false << false << "13@4" << true;
    QTest::newRow("impossible date, reported") << "20240100" << "32/01/2024" << false << true << "13@4" << false;
    QTest::newRow("29 February 2023") << "20230200" << "29/02/2023" << false << true << "13@4" << false;
    QTest::newRow("annual, last day") << "20240000" << "31/12/2024" << false << true << "" << true;
    QTest::newRow("annual, next year") << "20240000" << "01/01/2025" << false << true << "19@4" << false;
    QTest::newRow("daily, same day") << "20240315" << "15/03/2024" << false << true << "" << true;
    QTest::newRow("daily, next day") << "20240315" << "16/03/2024" << false << true << "19@4" << false;
    QTest::newRow("daily ignores next month") << "20240315" << "16/03/2024" << true << true << "" << false;
}

void TestDateChecks::fechaConPeriodo()
{
    QFETCH(QString, periodo);
    QFETCH(QString, fecha);
    QFETCH(bool, mesSiguiente);
    QFETCH(bool, reportar);
    QFETCH(QString, esperados);
    QFETCH(bool, resultado);
    QList<KovColumna> cols = registroConFecha(fecha);
    KovRespuesta resp;
    QCOMPARE(checkFechaConPeriodo(&resp, &cols, 4, periodo, mesSiguiente, reportar), resultado);
    QCOMPARE(errores(resp), esperados);
    KovRespuesta previa = respuestaPrevia();
    QCOMPARE(checkFechaConPeriodo(&previa, &cols, 4, periodo, mesSiguiente, reportar), resultado);
    QCOMPARE(errores(previa), conPrevia(esperados));
}

// The period rules report at the column their caller names, not always at column 1.
void TestDateChecks::columnaDelPeriodo()
{
    KovRespuesta resp;
    QVERIFY(!checkPeriodoCompras(&resp, 3, 1, QStringLiteral("19010100"), QStringLiteral("20240300"), false));
    QVERIFY(!checkPeriodoConLibro(&resp, 5, 9, QStringLiteral("20240300"), QStringLiteral("20240300"), false, false));
    QVERIFY(!checkAnualConLibro(&resp, 7, 1, QStringLiteral("20090000"), QStringLiteral("20100000"), false, 2010));
    QCOMPARE(errores(resp), QStringLiteral("38@3; 18@5; 666@7:El periodo no puede ser menor al 2010"));
}

void TestDateChecks::comoConQDate_data()
{
    QTest::addColumn<QList<int>>("anios");
    QTest::newRow("the first years, where QDate's calendar skips year 0") << QList<int>{0, 1, 2, 3, 4};
    QTest::newRow("leap rules") << QList<int>{1900, 2000, 2024, 2025, 2100};
    QTest::newRow("the last years") << QList<int>{9998, 9999};
}

// Each date rule gives what it gave when it read dates as QDate and counted months with QDate, for every month
// 00 to 13 of the years and monthly, daily and odd periods, over the first and last days of the months of the year
// before, the year and the year after.
void TestDateChecks::comoConQDate()
{
    QFETCH(QList<int>, anios);
    QList<KovColumna> cols = registroConFecha(QString());
    const QStringList raras = {QString(), QStringLiteral("-0010300"), QStringLiteral("202403"),
                                  QStringLiteral("2024030000000000000001"), QStringLiteral("2024 300")};
    for (const int anio : anios) {
        QStringList periodos = raras;
        for (int mes = 0; mes <= 13; ++mes) {
            for (const int dia : {0, 1, 31})
                periodos << QStringLiteral("%1%2%3").arg(anio, 4, 10, QLatin1Char('0'))
                                .arg(mes, 2, 10, QLatin1Char('0')).arg(dia, 2, 10, QLatin1Char('0'));
        }
        QStringList fechas = {QString(), QStringLiteral("31/02/2024")};
        for (int a = qMax(anio - 1, 0); a <= anio + 1; ++a) {
            for (int mes = 1; mes <= 12; ++mes) {
                for (const int dia : {1, 28, 29, 30, 31})
                    fechas << textoFecha(dia, mes, a);
            }
        }
        for (const QString &periodo : qAsConst(periodos)) {
            // The findings of every date of the period, in order, compared once the period is done.
            KovRespuesta propia, referencia;
            for (const QString &fecha : qAsConst(fechas)) {
                cols[3].setData(fecha);
                bool iguales = true;
                for (const int estado : {1, 5, 6, 7}) {
                    iguales = iguales
                        && checkFechaEmisionEstado(&propia, &cols, 4, estado, periodo)
                            == conQDate::fechaEmisionEstado(&referencia, fecha, estado, periodo);
                }
                iguales = iguales
                    && checkFechaConPeriodoCompras(&propia, &cols, 4, periodo)
                        == conQDate::fechaConPeriodoCompras(&referencia, fecha, periodo);
                for (const bool mesSiguiente : {false, true}) {
                    for (const bool reportar : {false, true}) {
                        iguales = iguales
                            && checkFechaConPeriodo(&propia, &cols, 4, periodo, mesSiguiente, reportar)
                                == conQDate::fechaConPeriodo(&referencia, fecha, periodo, mesSiguiente, reportar);
                    }
                }
                if (!iguales)
                    QFAIL(qPrintable(QStringLiteral("differs at period %1, date %2").arg(periodo, fecha)));
            }
            if (errores(propia) != errores(referencia))
                QFAIL(qPrintable(QStringLiteral("findings differ at period %1").arg(periodo)));
        }
    }
}

QTEST_APPLESS_MAIN(TestDateChecks)
#include "tst_datechecks.moc"
