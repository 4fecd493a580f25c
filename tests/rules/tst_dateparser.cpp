// The exact reader of the two date forms against QDate::fromString, the parser it replaces, called here
// directly: every text is read both ways and must give the same date or the same refusal.
#include "rulehelpers.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

const QString kFormaTexto = QStringLiteral("dd/MM/yyyy");
const QString kFormaPeriodo = QStringLiteral("yyyyMMdd");

void cifras(QChar *destino, int valor, int ancho)
{
    for (int i = ancho - 1; i >= 0; --i, valor /= 10)
        destino[i] = QLatin1Char(char('0' + valor % 10));
}

// Writes numbers that need not make a date (day 0, month 13) in either form into a text of the form's length.
void escribe(QString *texto, int anio, int mes, int dia, bool periodo)
{
    QChar *c = texto->data();
    if (periodo) {
        cifras(c, anio, 4);
        cifras(c + 4, mes, 2);
        cifras(c + 6, dia, 2);
        return;
    }
    cifras(c, dia, 2);
    c[2] = QLatin1Char('/');
    cifras(c + 3, mes, 2);
    c[5] = QLatin1Char('/');
    cifras(c + 6, anio, 4);
}

QString enForma(int anio, int mes, int dia, bool periodo)
{
    QString texto(periodo ? 8 : 10, QLatin1Char('0'));
    escribe(&texto, anio, mes, dia, periodo);
    return texto;
}

QDate nueva(const QString &texto, bool periodo)
{
    return periodo ? fechaPeriodo(texto) : fechaTexto(texto);
}

QDate deQt(const QString &texto, bool periodo)
{
    return QDate::fromString(texto, periodo ? kFormaPeriodo : kFormaTexto);
}

// Empty when both readers agree on the text, else what each gave.
QString desacuerdo(const QString &texto, bool periodo)
{
    const QDate propia = nueva(texto, periodo);
    const QDate qt = deQt(texto, periodo);
    if (propia == qt)
        return QString();
    return QStringLiteral("\"%1\": read as %2, Qt reads %3")
        .arg(texto, propia.toString(Qt::ISODate), qt.toString(Qt::ISODate));
}

} // namespace

class TestDateParser : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void everyDay();
    void everyFieldAsQt_data();
    void everyFieldAsQt();
    void oddTexts_data();
    void oddTexts();
    void mutatedTexts();
    void machineLocale();
};

// Qt reads the digits in the default locale; the reference is the C locale's reading.
void TestDateParser::initTestCase()
{
    QLocale::setDefault(QLocale::c());
}

void TestDateParser::everyDay()
{
    // One text per form, rewritten in place: the loop is long enough under the sanitizers to mind allocations.
    QString textos[2] = {QString(10, QLatin1Char('0')), QString(8, QLatin1Char('0'))};
    for (int anio = 1; anio <= 9999; ++anio) {
        for (int mes = 1; mes <= 12; ++mes) {
            const int largo = QDate(anio, mes, 1).daysInMonth();
            for (int dia = 1; dia <= largo; ++dia) {
                const QDate esperada(anio, mes, dia);
                for (const bool periodo : {false, true}) {
                    QString &texto = textos[periodo];
                    escribe(&texto, anio, mes, dia, periodo);
                    if (nueva(texto, periodo) != esperada)
                        QFAIL(qPrintable(texto));
                }
            }
        }
    }
}

// Day 0 to 32 of month 0 to 13 in both forms, against Qt: the days that exist, the 29th of February by the
// leap rules, and the numbers just past each field's range.
void TestDateParser::everyFieldAsQt_data()
{
    QTest::addColumn<QList<int>>("anios");
    const auto tramo = [](int desde, int hasta) {
        QList<int> anios;
        for (int a = desde; a <= hasta; ++a)
            anios << a;
        return anios;
    };
    QTest::newRow("0000 to 0040 and around 0100") << tramo(0, 40) + tramo(96, 104);
    QTest::newRow("around 1600") << tramo(1596, 1604);
    QTest::newRow("around 1700 and 1800") << tramo(1696, 1704) + tramo(1796, 1804);
    QTest::newRow("1896 to 1912") << tramo(1896, 1912);
    QTest::newRow("1996 to 2032") << tramo(1996, 2032);
    QTest::newRow("around 2100 and 2400") << tramo(2096, 2104) + tramo(2396, 2404);
    QTest::newRow("9990 to 9999") << tramo(9990, 9999);
    QList<int> salteados;
    for (int a = 41; a < 9990; a += 151)
        salteados << a;
    QTest::newRow("every 151st year") << salteados;
}

void TestDateParser::everyFieldAsQt()
{
    QFETCH(QList<int>, anios);
    for (const int anio : anios) {
        for (int mes = 0; mes <= 13; ++mes) {
            for (int dia = 0; dia <= 32; ++dia) {
                for (const bool periodo : {false, true}) {
                    const QString fallo = desacuerdo(enForma(anio, mes, dia, periodo), periodo);
                    if (!fallo.isEmpty())
                        QFAIL(qPrintable(fallo));
                }
            }
        }
    }
}

void TestDateParser::oddTexts_data()
{
    QTest::addColumn<QString>("texto");
    QTest::addColumn<bool>("periodo");
    QTest::addColumn<QDate>("expected");
    const auto texto = [](const char *nombre, const QString &t, const QDate &d) {
        QTest::newRow(nombre) << t << false << d;
    };
    const auto periodo = [](const char *nombre, const QString &t, const QDate &d) {
        QTest::newRow(nombre) << t << true << d;
    };
    texto("plain", QStringLiteral("01/01/2000"), QDate(2000, 1, 1));
    texto("one-digit day", QStringLiteral("1/01/2000"), QDate());
    texto("one-digit month", QStringLiteral("01/1/2000"), QDate());
    texto("one-digit day that cannot grow", QStringLiteral("4/01/2000"), QDate());
    texto("blank for a zero", QStringLiteral(" 1/01/2000"), QDate());
    texto("blank after a digit", QStringLiteral("1 /01/2000"), QDate());
    texto("plus for a zero in the day", QStringLiteral("+1/01/2000"), QDate(2000, 1, 1));
    texto("plus for a zero in the month", QStringLiteral("01/+2/2000"), QDate(2000, 2, 1));
    texto("plus for a zero in the year", QStringLiteral("01/01/+200"), QDate(200, 1, 1));
    texto("plus in every field", QStringLiteral("+9/+9/+999"), QDate(999, 9, 9));
    texto("plus after a digit", QStringLiteral("1+/01/2000"), QDate());
    texto("plus alone", QStringLiteral("+/01/2000"), QDate());
    texto("two pluses", QStringLiteral("01/01/++20"), QDate());
    texto("plus day 0", QStringLiteral("+0/01/2000"), QDate());
    texto("plus year 0", QStringLiteral("01/01/+000"), QDate());
    texto("full-width plus", QStringLiteral("\uFF0B1/01/2000"), QDate());
    texto("minus day", QStringLiteral("-1/01/2000"), QDate());
    texto("minus month", QStringLiteral("01/-1/2000"), QDate());
    texto("minus year", QStringLiteral("01/01/-200"), QDate());
    texto("minus zero", QStringLiteral("-0/01/2000"), QDate());
    texto("year 0000", QStringLiteral("01/01/0000"), QDate());
    texto("year 0001", QStringLiteral("01/01/0001"), QDate(1, 1, 1));
    texto("year 0099", QStringLiteral("31/12/0099"), QDate(99, 12, 31));
    texto("year 9999", QStringLiteral("31/12/9999"), QDate(9999, 12, 31));
    texto("two-digit year", QStringLiteral("01/01/99"), QDate());
    texto("three-digit year", QStringLiteral("01/01/999"), QDate());
    texto("five-digit year", QStringLiteral("01/01/10000"), QDate());
    texto("year with a leading zero more", QStringLiteral("01/01/02000"), QDate());
    texto("three-digit day", QStringLiteral("001/01/2000"), QDate());
    texto("three-digit month", QStringLiteral("01/001/2000"), QDate());
    texto("leading blank", QStringLiteral(" 01/01/2000"), QDate());
    texto("trailing blank", QStringLiteral("01/01/2000 "), QDate());
    texto("trailing tab", QStringLiteral("01/01/2000\t"), QDate());
    texto("no-break space", QStringLiteral("\u00A01/01/2000"), QDate());
    texto("leading letter", QStringLiteral("x01/01/2000"), QDate());
    texto("trailing letter", QStringLiteral("01/01/2000x"), QDate());
    texto("empty", QStringLiteral(""), QDate());
    texto("null", QString(), QDate());
    texto("day and month only", QStringLiteral("01/01"), QDate());
    texto("no year", QStringLiteral("01/01/"), QDate());
    texto("no day", QStringLiteral("/01/2000"), QDate());
    texto("29 February 2000", QStringLiteral("29/02/2000"), QDate(2000, 2, 29));
    texto("29 February 2024", QStringLiteral("29/02/2024"), QDate(2024, 2, 29));
    texto("29 February 0004", QStringLiteral("29/02/0004"), QDate(4, 2, 29));
    texto("29 February 0400", QStringLiteral("29/02/0400"), QDate(400, 2, 29));
    texto("29 February 1900", QStringLiteral("29/02/1900"), QDate());
    texto("29 February 2100", QStringLiteral("29/02/2100"), QDate());
    texto("29 February 2023", QStringLiteral("29/02/2023"), QDate());
    texto("30 April", QStringLiteral("30/04/2024"), QDate(2024, 4, 30));
    texto("31 April", QStringLiteral("31/04/2024"), QDate());
    texto("month 00", QStringLiteral("01/00/2024"), QDate());
    texto("month 13", QStringLiteral("01/13/2024"), QDate());
    texto("day 00", QStringLiteral("00/01/2024"), QDate());
    texto("day 32", QStringLiteral("32/01/2024"), QDate());
    texto("dashes", QStringLiteral("01-01-2000"), QDate());
    texto("dots", QStringLiteral("01.01.2000"), QDate());
    texto("one dash", QStringLiteral("01/01-2000"), QDate());
    texto("full-width slashes", QStringLiteral("01\uFF0F01\uFF0F2000"), QDate());
    texto("iso form", QStringLiteral("2000-01-31"), QDate());
    texto("decimal point in the year", QStringLiteral("01/01/2.00"), QDate());
    texto("group separator in the year", QStringLiteral("01/01/2,00"), QDate());
    texto("exponent in the day", QStringLiteral("1e/01/2000"), QDate());
    texto("Arabic-Indic digits", QStringLiteral("\u0661\u0662/\u0660\u0661/\u0662\u0660\u0660\u0660"), QDate());
    texto("Persian digits", QStringLiteral("\u06F1\u06F2/\u06F0\u06F1/\u06F2\u06F0\u06F0\u06F0"), QDate());
    texto("Devanagari digits", QStringLiteral("\u0967\u0968/\u0966\u0967/\u0968\u0966\u0966\u0966"), QDate());
    texto("full-width digits", QStringLiteral("\uFF11\uFF12/\uFF10\uFF11/\uFF12\uFF10\uFF10\uFF10"), QDate());
    texto("superscript digit", QStringLiteral("0\u00B2/01/2000"), QDate());
    periodo("period plain", QStringLiteral("20000101"), QDate(2000, 1, 1));
    periodo("period of 7 characters", QStringLiteral("2000011"), QDate());
    periodo("period of 9 characters", QStringLiteral("200001011"), QDate());
    periodo("period of 6 characters", QStringLiteral("202401"), QDate());
    periodo("period year 0000", QStringLiteral("00000101"), QDate());
    periodo("period year 0001", QStringLiteral("00010101"), QDate(1, 1, 1));
    periodo("period year 9999", QStringLiteral("99991231"), QDate(9999, 12, 31));
    periodo("period five-digit year", QStringLiteral("100000101"), QDate());
    periodo("period 29 February 2000", QStringLiteral("20000229"), QDate(2000, 2, 29));
    periodo("period 29 February 1900", QStringLiteral("19000229"), QDate());
    periodo("period 29 February 2100", QStringLiteral("21000229"), QDate());
    periodo("period 29 February 2023", QStringLiteral("20230229"), QDate());
    periodo("period 31 April", QStringLiteral("20240431"), QDate());
    periodo("period month 00", QStringLiteral("20240001"), QDate());
    periodo("period month 13", QStringLiteral("20241301"), QDate());
    periodo("period day 32", QStringLiteral("20240132"), QDate());
    periodo("monthly period", QStringLiteral("20240300"), QDate());
    periodo("annual period", QStringLiteral("20240000"), QDate());
    periodo("period plus in the year", QStringLiteral("+2000101"), QDate(200, 1, 1));
    periodo("period plus in the month", QStringLiteral("2000+101"), QDate(2000, 1, 1));
    periodo("period plus in the day", QStringLiteral("200001+1"), QDate(2000, 1, 1));
    periodo("period minus in the year", QStringLiteral("-2000101"), QDate());
    periodo("period minus in the month", QStringLiteral("2000-101"), QDate());
    periodo("period leading blank", QStringLiteral(" 2000101"), QDate());
    periodo("period trailing blank", QStringLiteral("20000101 "), QDate());
    periodo("period inner blank", QStringLiteral("2000 101"), QDate());
    periodo("period with dashes", QStringLiteral("2024-01-01"), QDate());
    periodo("period Arabic-Indic digits",
            QStringLiteral("\u0662\u0660\u0660\u0660\u0660\u0661\u0660\u0661"), QDate());
    periodo("period full-width digits",
            QStringLiteral("\uFF12\uFF10\uFF10\uFF10\uFF10\uFF11\uFF10\uFF11"), QDate());
    periodo("period empty", QStringLiteral(""), QDate());
    periodo("period in the date form", QStringLiteral("01/01/2000"), QDate());
    texto("date in the period form", QStringLiteral("20000101"), QDate());
}

void TestDateParser::oddTexts()
{
    QFETCH(QString, texto);
    QFETCH(bool, periodo);
    QFETCH(QDate, expected);
    QCOMPARE(nueva(texto, periodo), deQt(texto, periodo));
    QCOMPARE(nueva(texto, periodo), expected);
}

// Valid texts with characters replaced, inserted, dropped or swapped, and texts drawn at random from the
// characters that matter; a fixed seed keeps every run the same.
void TestDateParser::mutatedTexts()
{
    const QString alfabeto = QStringLiteral("0123456789//++- \t.,eEx\u0660\u0661\u06F1\uFF11\u00A0\u2212\uFF0B");
    QRandomGenerator azar(1977);
    const auto caracter = [&] {
        const int tirada = azar.bounded(100);
        if (tirada < 60)
            return QChar(QLatin1Char(char('0' + azar.bounded(10))));
        return alfabeto.at(azar.bounded(alfabeto.size()));
    };
    const int primero = int(QDate(1, 1, 1).toJulianDay());
    const int ultimo = int(QDate(9999, 12, 31).toJulianDay());
    for (int i = 0; i < 120000; ++i) {
        const bool periodo = i % 2;
        const QDate dia = QDate::fromJulianDay(primero + azar.bounded(ultimo - primero + 1));
        QString texto = enForma(dia.year(), dia.month(), dia.day(), periodo);
        for (int cambios = 1 + azar.bounded(3); cambios > 0; --cambios) {
            const int pos = azar.bounded(texto.size() + 1);
            switch (azar.bounded(4)) {
            case 0:
                if (pos < texto.size())
                    texto[pos] = caracter();
                break;
            case 1:
                texto.insert(pos, caracter());
                break;
            case 2:
                texto.remove(pos, 1);
                break;
            default:
                if (pos + 1 < texto.size()) {
                    const QChar antes = texto.at(pos);
                    texto[pos] = texto.at(pos + 1);
                    texto[pos + 1] = antes;
                }
                break;
            }
        }
        const QString fallo = desacuerdo(texto, periodo);
        if (!fallo.isEmpty())
            QFAIL(qPrintable(fallo));
    }
    for (int i = 0; i < 60000; ++i) {
        const bool periodo = i % 2;
        QString texto;
        for (int largo = azar.bounded(periodo ? 6 : 8, periodo ? 11 : 13); largo > 0; --largo)
            texto += azar.bounded(100) < 15 && !periodo ? QChar(QLatin1Char('/')) : caracter();
        const QString fallo = desacuerdo(texto, periodo);
        if (!fallo.isEmpty())
            QFAIL(qPrintable(fallo));
    }
}

// The machine's locale plays no part: Qt's parser took the digits of the default locale, so that under an
// Arabic locale a field of Arabic-Indic digits passed as a date.
void TestDateParser::machineLocale()
{
    QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
    const QDate arabe = fechaTexto(QStringLiteral("\u0661\u0662/\u0660\u0661/\u0662\u0660\u0660\u0660"));
    const QDate arabePeriodo = fechaPeriodo(QStringLiteral("\u0662\u0660\u0660\u0660\u0660\u0661\u0660\u0661"));
    const QDate ascii = fechaTexto(QStringLiteral("12/01/2000"));
    QLocale::setDefault(QLocale::c());
    QCOMPARE(arabe, QDate());
    QCOMPARE(arabePeriodo, QDate());
    QCOMPARE(ascii, QDate(2000, 1, 12));
}

QTEST_APPLESS_MAIN(TestDateParser)
#include "tst_dateparser.moc"
