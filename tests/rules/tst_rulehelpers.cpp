#include "rulehelpers.h"
#include "registrosprueba.h"
#include "textosprueba.h"

#include <QtTest>

namespace {

typedef bool (*Forma)(const QString &);

} // namespace

Q_DECLARE_METATYPE(Forma)

class TestRuleHelpers : public QObject
{
    Q_OBJECT

private slots:
    void inList_data();
    void inList();
    void getData_data();
    void getData();
    void validarIngresoCasilla_data();
    void validarIngresoCasilla();
    void isValidRUC_data();
    void isValidRUC();
    void signoCifras_data();
    void signoCifras();
    void numeroTexto_data();
    void numeroTexto();
    void fechas_data();
    void fechas();
    void piezasPeriodo();
    void patronesFijos_data();
    void patronesFijos();
    void enterosComoQt();
};

void TestRuleHelpers::inList_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QStringList>("list");
    QTest::addColumn<bool>("expected");
    const QStringList ceroUno = {QStringLiteral("0"), QStringLiteral("1")};
    QTest::newRow("present") << "1" << ceroUno << true;
    QTest::newRow("leading zero") << "01" << QStringList{QStringLiteral("1")} << false;
    QTest::newRow("case") << "a" << QStringList{QStringLiteral("A")} << false;
    QTest::newRow("not trimmed") << " 1" << QStringList{QStringLiteral("1")} << false;
    QTest::newRow("empty list") << "1" << QStringList() << false;
    QTest::newRow("empty in empty") << "" << QStringList() << false;
    QTest::newRow("empty element") << "" << QStringList{QString()} << true;
}

void TestRuleHelpers::inList()
{
    QFETCH(QString, value);
    QFETCH(QStringList, list);
    QFETCH(bool, expected);
    QCOMPARE(::inList(value, list), expected);
}

void TestRuleHelpers::getData_data()
{
    QTest::addColumn<int>("col");
    QTest::addColumn<QString>("expected");
    QTest::newRow("first column") << 1 << "uno";
    QTest::newRow("last column") << 3 << "tres";
    QTest::newRow("zero reads empty") << 0 << "";
    QTest::newRow("negative reads empty") << -1 << "";
    QTest::newRow("past the end reads empty") << 4 << "";
    QTest::newRow("far past the end reads empty") << 2147483647 << "";
    QTest::newRow("most negative reads empty") << int(-2147483647 - 1) << "";
}

void TestRuleHelpers::getData()
{
    QFETCH(int, col);
    QFETCH(QString, expected);
    QList<KovColumna> cols = registro({QStringLiteral("uno"), QStringLiteral("dos"), QStringLiteral("tres")});
    QCOMPARE(::getData(&cols, col), expected);
}

void TestRuleHelpers::validarIngresoCasilla_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("expected");
    QTest::newRow("0") << "0" << true;
    QTest::newRow("0.00") << "0.00" << true;
    QTest::newRow("0.0") << "0.0" << false;
    QTest::newRow("0.000") << "0.000" << false;
    QTest::newRow("-0") << "-0" << false;
    QTest::newRow("abc") << "abc" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("12.5") << "12.5" << true;
    QTest::newRow("-3") << "-3" << true;
    QTest::newRow("blank then 5") << " 5" << true;
    // Entered means a value other than 0, and these read 0.
    QTest::newRow("digits beyond double range") << QString(400, QLatin1Char('9')) << false;
    QTest::newRow("tiny beyond double range") << QStringLiteral("1e-400") << false;
    QTest::newRow("nan") << "nan" << false;
    QTest::newRow("-inf") << "-inf" << false;
    QTest::newRow("smallest double") << "5e-324" << true;
}

void TestRuleHelpers::validarIngresoCasilla()
{
    QFETCH(QString, value);
    QFETCH(bool, expected);
    QCOMPARE(::validarIngresoCasilla(value), expected);
}

void TestRuleHelpers::isValidRUC_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("expected");
    QTest::newRow("check value 3") << "12345678903" << true;
    QTest::newRow("wrong check digit") << "12345678901" << false;
    QTest::newRow("remainder 0 gives 1") << "11000000011" << true;
    QTest::newRow("remainder 0, digit 0") << "11000000010" << false;
    QTest::newRow("remainder 1 gives 0") << "03000000000" << true;
    QTest::newRow("ten digits") << "1234567890" << false;
    QTest::newRow("twelve digits") << "123456789030" << false;
    QTest::newRow("ten digits and a letter") << "1234567890A" << false;
    QTest::newRow("leading blank") << " 12345678903" << false;
    QTest::newRow("trailing blank") << "12345678903 " << false;
    QTest::newRow("sign") << "+2345678903" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("arabic-indic digits") << QString::fromUtf8("١٢٣٤٥٦٧٨٩٠٣") << false;
    QTest::newRow("typical company number") << "20100066603" << true;
}

void TestRuleHelpers::isValidRUC()
{
    QFETCH(QString, value);
    QFETCH(bool, expected);
    QCOMPARE(::isValidRUC(value), expected);
}

// Voucher numbers and other digit strings keep the sign of their digits, whatever an amount would read.
void TestRuleHelpers::signoCifras_data()
{
    QTest::addColumn<QString>("texto");
    QTest::addColumn<int>("expected");
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("not a number") << "abc" << 0;
    QTest::newRow("minus zero") << "-0.00" << 0;
    QTest::newRow("blanks around") << " -5 " << -1;
    QTest::newRow("leading point") << ".5" << 1;
    QTest::newRow("trailing point") << "5." << 1;
    QTest::newRow("exponent") << "-1e3" << -1;
    QTest::newRow("bare exponent") << "1e" << 0;
    QTest::newRow("grouping") << "1,000" << 0;
    QTest::newRow("inf text") << "inf" << 0;
    QTest::newRow("nan text") << "nan" << 0;
    QTest::newRow("400 nines") << QString(400, QLatin1Char('9')) << 1;
    QTest::newRow("minus 400 nines") << QStringLiteral("-") + QString(400, QLatin1Char('9')) << -1;
    QTest::newRow("overflowing exponent") << "1e400" << 1;
    QTest::newRow("underflowing exponent") << "-1e-400" << -1;
    QTest::newRow("long zero") << QStringLiteral("0.") + QString(400, QLatin1Char('0')) << 0;
    QTest::newRow("long fraction") << QStringLiteral("0.") + QString(400, QLatin1Char('0')) + QLatin1Char('1') << 1;
}

void TestRuleHelpers::signoCifras()
{
    QFETCH(QString, texto);
    QFETCH(int, expected);
    QCOMPARE(::signoCifras(texto), expected);
}

void TestRuleHelpers::numeroTexto_data()
{
    QTest::addColumn<QString>("texto");
    QTest::addColumn<double>("expected");
    QTest::newRow("decimal") << "12.50" << 12.5;
    QTest::newRow("blanks") << " 3 " << 3.0;
    QTest::newRow("not a number") << "12a" << 0.0;
    QTest::newRow("inf text") << "-inf" << 0.0;
    QTest::newRow("overflow counts 0") << QStringLiteral("-") + QString(400, QLatin1Char('9')) << 0.0;
}

void TestRuleHelpers::numeroTexto()
{
    QFETCH(QString, texto);
    QFETCH(double, expected);
    QCOMPARE(::numeroTexto(texto), expected);
}

void TestRuleHelpers::fechas_data()
{
    QTest::addColumn<QString>("texto");
    QTest::addColumn<QDate>("expected");
    QTest::newRow("valid") << "29/02/2024" << QDate(2024, 2, 29);
    QTest::newRow("not leap") << "29/02/2023" << QDate();
    QTest::newRow("month 13") << "01/13/2024" << QDate();
    QTest::newRow("31 in a 30-day month") << "31/04/2024" << QDate();
    QTest::newRow("year 0000") << "01/01/0000" << QDate();
    QTest::newRow("one-digit day") << "1/01/2024" << QDate();
    QTest::newRow("iso form") << "2024-01-31" << QDate();
    QTest::newRow("empty") << "" << QDate();
}

void TestRuleHelpers::fechas()
{
    QFETCH(QString, texto);
    QFETCH(QDate, expected);
    QCOMPARE(fechaTexto(texto), expected);
}

void TestRuleHelpers::piezasPeriodo()
{
    QCOMPARE(anioPeriodo(QStringLiteral("20240315")), 2024);
    QCOMPARE(mesPeriodo(QStringLiteral("20240315")), 3);
    QCOMPARE(diaPeriodo(QStringLiteral("20240315")), 15);
    QCOMPARE(numeroPeriodo(QStringLiteral("20240315")), qint64(20240315));
    QCOMPARE(fechaPeriodo(QStringLiteral("20240229")), QDate(2024, 2, 29));
    QCOMPARE(fechaPeriodo(QStringLiteral("20230229")), QDate());
    QCOMPARE(fechaPeriodo(QStringLiteral("00000101")), QDate());
    // A short or empty period has no pieces: each reads as 0.
    QCOMPARE(mesPeriodo(QStringLiteral("2024")), 0);
    QCOMPARE(diaPeriodo(QString()), 0);
    QCOMPARE(anioPeriodo(QStringLiteral("ab")), 0);
}

void TestRuleHelpers::patronesFijos_data()
{
    QTest::addColumn<QString>("patron");
    QTest::addColumn<Forma>("forma");
    QTest::newRow("digits") << "[0-9]+" << Forma(esSoloDigitos);
    QTest::newRow("digits with an optional minus") << "-?[0-9]+" << Forma(esCifrasConSigno);
    QTest::newRow("digits after a minus") << "-[0-9]+" << Forma(esCifrasNegativas);
    QTest::newRow("letters and digits") << "[A-Za-z0-9]+" << Forma(esAlfanumerico);
}

// Each reader matches what the regular expression matches whole, over every short text of the characters at the
// edges of its classes, signs, blanks, and letters and digits beyond ASCII.
void TestRuleHelpers::patronesFijos()
{
    QFETCH(QString, patron);
    QFETCH(Forma, forma);
    const QString alfabeto = QStringLiteral("09/:-+ aAzZ@[`{\u00e9\u0661\uff10\u212a");
    for (const QString &texto : todosLosTextos(alfabeto, 4)) {
        if (forma(texto) != coincide(texto, patron))
            QFAIL(qPrintable(QStringLiteral("differs at \"%1\"").arg(texto)));
    }
}

// The integer readers take digits straight from the text and leave any other text to QString::toInt and
// toLongLong: over short texts of digits, signs, blanks and other digits, and over periods and numbers at the
// edges of an int with every prefix and suffix, each gives what the piece read by Qt gives.
void TestRuleHelpers::enterosComoQt()
{
    QStringList textos = todosLosTextos(QStringLiteral("019-+ .x\u0663\uff11"), 4);
    const QStringList largos = {
        QStringLiteral("20240300"), QStringLiteral("20241231"), QStringLiteral("2024030000000000000001"),
        QStringLiteral("999999999"), QStringLiteral("1000000000"), QStringLiteral("2147483647"),
        QStringLiteral("2147483648"), QStringLiteral("-2147483648"), QStringLiteral("99999999999999999999"),
        QStringLiteral(" 20240300"), QStringLiteral("+20240300"), QStringLiteral("-2024030"),
        QStringLiteral("2024 0300"), QStringLiteral("2024\uff100300"), QStringLiteral("000000000001"),
    };
    for (const QString &largo : largos) {
        for (int i = 0; i <= largo.size(); ++i)
            textos << largo.left(i) << largo.mid(i);
    }
    for (const QString &t : qAsConst(textos)) {
        const bool iguales = enteroTexto(t) == t.toInt() && anioPeriodo(t) == t.mid(0, 4).toInt()
            && mesPeriodo(t) == t.mid(4, 2).toInt() && diaPeriodo(t) == t.mid(6).toInt()
            && numeroPeriodo(t) == t.toLongLong();
        if (!iguales)
            QFAIL(qPrintable(QStringLiteral("differs at \"%1\"").arg(t)));
    }
}

QTEST_APPLESS_MAIN(TestRuleHelpers)
#include "tst_rulehelpers.moc"
