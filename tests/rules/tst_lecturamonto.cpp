// The one reading of an amount: value, sign and zero-ness of a field text, and the helpers that read amounts
// through it.
#include "lecturamonto.h"
#include "rulehelpers.h"

#include <QtTest>

#include <cstring>

namespace {

// Doubles compared bit for bit, so that -0 and 0, or two neighbouring doubles, never pass for each other.
bool mismoDouble(double a, double b)
{
    quint64 x, y;
    std::memcpy(&x, &a, sizeof x);
    std::memcpy(&y, &b, sizeof y);
    return x == y;
}

} // namespace

class TestLecturaMonto : public QObject
{
    Q_OBJECT

private slots:
    void lectura_data();
    void lectura();
    void decimalesComoConversionCompleta();
};

void TestLecturaMonto::lectura_data()
{
    QTest::addColumn<QString>("texto");
    QTest::addColumn<double>("valor");
    QTest::addColumn<int>("signo");
    const QString nueves = QString(400, QLatin1Char('9'));

    QTest::newRow("decimal") << "12.50" << 12.5 << 1;
    QTest::newRow("negative") << "-3" << -3.0 << -1;
    QTest::newRow("0.00") << "0.00" << 0.0 << 0;
    QTest::newRow("0.000") << "0.000" << 0.0 << 0;
    QTest::newRow("-0") << "-0" << -0.0 << 0;
    QTest::newRow("-0.00") << "-0.00" << -0.0 << 0;
    QTest::newRow("fifteen digits") << "999999999999.999" << 999999999999.999 << 1;
    QTest::newRow("sixteen digits") << "-9999999999999.999" << -9999999999999.999 << -1;
    QTest::newRow("twenty digits") << "12345678901234567890" << 12345678901234567890.0 << 1;
    QTest::newRow("24-digit amount") << "123456789012345678901234" << 123456789012345678901234.0 << 1;
    QTest::newRow("negative 24-digit amount with decimals") << "-123456789012345678901234.56"
                                                            << -123456789012345678901234.56 << -1;
    QTest::newRow("smallest double") << "5e-324" << 5e-324 << 1;
    QTest::newRow("largest double") << "1.7976931348623157e308" << 1.7976931348623157e308 << 1;

    // Beyond double range either way, and the non-finite spellings: 0, neither non-zero nor negative.
    QTest::newRow("1e-400") << "1e-400" << 0.0 << 0;
    QTest::newRow("-1e-400") << "-1e-400" << 0.0 << 0;
    QTest::newRow("below the smallest double") << "2e-324" << 0.0 << 0;
    QTest::newRow("long fraction") << QStringLiteral("0.") + QString(400, QLatin1Char('0')) + QLatin1Char('1')
                                   << 0.0 << 0;
    QTest::newRow("1e400") << "1e400" << 0.0 << 0;
    QTest::newRow("-1e400") << "-1e400" << 0.0 << 0;
    QTest::newRow("above the largest double") << "1.8e308" << 0.0 << 0;
    QTest::newRow("400 nines") << nueves << 0.0 << 0;
    QTest::newRow("minus 400 nines") << QStringLiteral("-") + nueves << 0.0 << 0;
    QTest::newRow("nan") << "nan" << 0.0 << 0;
    QTest::newRow("NaN") << "NaN" << 0.0 << 0;
    QTest::newRow("inf") << "inf" << 0.0 << 0;
    QTest::newRow("+inf") << "+inf" << 0.0 << 0;
    QTest::newRow("-inf") << "-inf" << 0.0 << 0;

    // What the C-locale conversion accepts, and what it refuses.
    QTest::newRow("blanks around") << " 12 " << 12.0 << 1;
    QTest::newRow("tab before") << "\t-5" << -5.0 << -1;
    QTest::newRow("plus sign") << "+5" << 5.0 << 1;
    QTest::newRow("leading point") << ".5" << 0.5 << 1;
    QTest::newRow("trailing point") << "5." << 5.0 << 1;
    QTest::newRow("exponent") << "-1e3" << -1000.0 << -1;
    QTest::newRow("capital exponent") << "2.5E-2" << 0.025 << 1;
    QTest::newRow("leading zeros") << "0000000000000000000012.5" << 12.5 << 1;
    QTest::newRow("empty") << "" << 0.0 << 0;
    QTest::newRow("blanks only") << "   " << 0.0 << 0;
    QTest::newRow("letters") << "abc" << 0.0 << 0;
    QTest::newRow("decimal comma") << "1,5" << 0.0 << 0;
    QTest::newRow("grouping") << "1,000" << 0.0 << 0;
    QTest::newRow("trailing letter") << "12a" << 0.0 << 0;
    QTest::newRow("bare exponent") << "1e" << 0.0 << 0;
    QTest::newRow("minus alone") << "-" << 0.0 << 0;
    QTest::newRow("two points") << "1.2.3" << 0.0 << 0;
    QTest::newRow("blank after the sign") << "- 5" << 0.0 << 0;
    QTest::newRow("Infinity") << "Infinity" << 0.0 << 0;
    QTest::newRow("hexadecimal") << "0x10" << 0.0 << 0;
    QTest::newRow("arabic-indic digits") << QString::fromUtf8("١٢") << 0.0 << 0;
}

// Value, sign and zero-ness agree for every text, and so do the helpers that read an amount.
void TestLecturaMonto::lectura()
{
    QFETCH(QString, texto);
    QFETCH(double, valor);
    QFETCH(int, signo);

    const LecturaMonto monto = leeMonto(texto);
    QVERIFY2(mismoDouble(monto.valor, valor), qPrintable(QString::number(monto.valor, 'g', 17)));
    QCOMPARE(monto.signo, signo);
    QCOMPARE(monto.esCero(), signo == 0);
    QVERIFY(mismoDouble(numeroTexto(texto), valor));
    QCOMPARE(signoNumero(texto), signo);
    if (texto != QLatin1String("0") && texto != QLatin1String("0.00"))
        QCOMPARE(validarIngresoCasilla(texto), signo != 0);
}

// Plain decimals of every length, with the point anywhere, read as the very double QString::toDouble gives,
// the short ones through the quick path and the long ones through the full conversion.
void TestLecturaMonto::decimalesComoConversionCompleta()
{
    quint32 semilla = 12345;
    const auto siguiente = [&semilla](quint32 tope) {
        semilla = semilla * 1103515245u + 12345u;
        return (semilla >> 8) % tope;
    };
    for (int caso = 0; caso < 20000; ++caso) {
        const int digitos = 1 + int(siguiente(30));
        QString texto = siguiente(2) ? QStringLiteral("-") : QString();
        const int punto = int(siguiente(quint32(digitos)));
        for (int i = 0; i < digitos; ++i) {
            if (i == punto && i > 0)
                texto += QLatin1Char('.');
            texto += QLatin1Char(char('0' + siguiente(10)));
        }
        bool ok = false;
        const double esperado = texto.toDouble(&ok);
        QVERIFY2(ok, qPrintable(texto));
        QVERIFY2(mismoDouble(leeMonto(texto).valor, esperado), qPrintable(texto));
    }
}

QTEST_GUILESS_MAIN(TestLecturaMonto)
#include "tst_lecturamonto.moc"
