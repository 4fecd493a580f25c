#include "kovimporte.h"
#include "kovrespuesta.h"
#include "lecturamonto.h"

#include <QtTest>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

namespace {

// The texts as the merges wrote and read them before amounts were held as thousandths.
double numero(const QString &texto)
{
    return leeMonto(texto).valor;
}

QString suma(const QString &a, const QString &b, int decimales)
{
    return QString::number(numero(a) + numero(b), 'f', decimales);
}

quint64 bits(double v)
{
    quint64 b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

const double kLimite = 9007199254740992.0; // 2^53 thousandths

// Amounts of every kind a record may report or a sum may reach: everyday amounts of any size, exact binary ties
// of the last kept digit and their neighbours, the values about each limit of the thousandths, tiny and
// negative-zero amounts, huge ones, and any double at all.
class Montos
{
public:
    explicit Montos(quint64 semilla) : azar(semilla) {}

    double monto()
    {
        const int clase = entre(0, 99);
        if (clase < 30) {
            // An amount with up to 17 digits, written with 0 to 3 decimals.
            const qint64 tope = potencia(entre(0, 17));
            const double k = double(entre64(-tope, tope));
            const int decimales = entre(0, 3);
            return decimales == 0 ? k : k / double(potencia(decimales));
        }
        if (clase < 42) {
            // odd/16 or odd/2 scaled by a power of two: x × 1000 or x itself ends in exactly one half.
            const double impar = double(2 * entre64(0, qint64(1) << entre(0, 44)) + 1);
            return signo() * vecino(std::ldexp(impar, -entre(1, 4)));
        }
        if (clase < 57) {
            // About 2^53, 2^52 or 2^50 thousandths, or 2^53 / 1000 units, where the held forms and the ways
            // of summing change.
            static const double bordes[] = {kLimite, kLimite / 2.0, kLimite / 4.0, kLimite / 8.0, kLimite / 1000.0,
                                            kLimite / 2000.0, kLimite / 8000.0};
            const double borde = bordes[entre(0, int(sizeof bordes / sizeof *bordes) - 1)];
            const double k = std::round(borde) + double(entre(-2000, 2000));
            return signo() * vecino(entre(0, 1) ? k / 1000.0 : k);
        }
        if (clase < 67) {
            // Below a thousandth, or about half of one, either side of zero.
            const double v = entre(0, 2) == 0 ? std::ldexp(1.0, -entre(10, 1074)) : uniforme() * 0.001;
            return signo() * vecino(entre(0, 3) == 0 ? 0.0005 : v);
        }
        if (clase < 71)
            return entre(0, 1) ? -0.0 : 0.0;
        if (clase < 74) {
            // Beyond the thousandths' limit; now and then far beyond.
            const double exponente = entre(0, 9) == 0 ? 20.0 + uniforme() * 288.0 : 13.0 + uniforme() * 10.0;
            return signo() * std::pow(10.0, exponente);
        }
        if (clase < 75) {
            // Any double at all, infinities and NaNs included.
            double v;
            const quint64 b = azar();
            std::memcpy(&v, &b, sizeof v);
            return v;
        }
        // Amounts of a few units, where sums come close to whole and half values.
        return double(entre(-99999, 99999)) / 1000.0;
    }

    int entre(int a, int b) { return std::uniform_int_distribution<int>(a, b)(azar); }
    qint64 entre64(qint64 a, qint64 b) { return std::uniform_int_distribution<qint64>(a, b)(azar); }
    double uniforme() { return std::uniform_real_distribution<double>(0.0, 1.0)(azar); }

private:
    static qint64 potencia(int n)
    {
        qint64 p = 1;
        while (n-- > 0)
            p *= 10;
        return p;
    }

    double signo() { return entre(0, 1) ? -1.0 : 1.0; }

    // The value itself, or the double just above or below it.
    double vecino(double v)
    {
        switch (entre(0, 3)) {
        case 0:
            return std::nextafter(v, std::numeric_limits<double>::infinity());
        case 1:
            return std::nextafter(v, -std::numeric_limits<double>::infinity());
        default:
            return v;
        }
    }

    std::mt19937_64 azar;
};

} // namespace

class TestKovImporte : public QObject
{
    Q_OBJECT

private slots:
    void texts_data();
    void texts();
    void sums_data();
    void sums();
    void equalsTheTextRoundTrip();
};

void TestKovImporte::texts_data()
{
    QTest::addColumn<double>("valor");
    QTest::addColumn<int>("decimales");
    QTest::addColumn<QString>("texto");
    QTest::addColumn<bool>("exacto");

    QTest::newRow("zero") << 0.0 << 3 << "0.000" << true;
    QTest::newRow("minus zero is written as zero") << -0.0 << 3 << "0.000" << true;
    QTest::newRow("minus zero, no decimals") << -0.0 << 0 << "0" << true;
    QTest::newRow("tiny negative keeps its sign") << -0.0001 << 3 << "-0.000" << true;
    QTest::newRow("negative below a half, no decimals") << -0.3 << 0 << "-0" << true;
    QTest::newRow("binary tie away from zero") << 0.0625 << 3 << "0.063" << true;
    QTest::newRow("negative binary tie") << -0.0625 << 3 << "-0.063" << true;
    QTest::newRow("half up, no decimals") << 2.5 << 0 << "3" << true;
    QTest::newRow("half down, no decimals") << -2.5 << 0 << "-3" << true;
    QTest::newRow("0.0005 lies above its half") << 0.0005 << 3 << "0.001" << true;
    QTest::newRow("ten million") << 10000000.0 << 3 << "10000000.000" << true;
    QTest::newRow("below 2^53 thousandths") << 9007199254740.990 << 3 << "9007199254740.990" << true;
    QTest::newRow("2^53 thousandths as text") << 9007199254740.992 << 3 << "9007199254740.992" << false;
    QTest::newRow("whole units below the limit") << 9007199254740.0 << 0 << "9007199254740" << true;
    QTest::newRow("whole units at the limit") << 9007199254741.0 << 0 << "9007199254741" << false;
    QTest::newRow("huge") << 1e20 << 3 << "100000000000000000000.000" << false;
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << 3 << "inf" << false;
}

// Each form writes QString::number's text and reads back as the reader reads that text, to the sign of zero.
void TestKovImporte::texts()
{
    QFETCH(double, valor);
    QFETCH(int, decimales);
    QFETCH(QString, texto);
    QFETCH(bool, exacto);

    const KovImporte i = KovImporte::deNumero(valor, decimales);
    QCOMPARE(QString::number(valor, 'f', decimales), texto);
    QCOMPARE(i.texto(), texto);
    QCOMPARE(i.esExacto(), exacto);
    QCOMPARE(i.decimales(), decimales);
    QCOMPARE(bits(i.valor()), bits(numero(texto)));
}

void TestKovImporte::sums_data()
{
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<int>("decimales");
    QTest::addColumn<QString>("texto");

    QTest::newRow("thousandths") << 10.5 << 2.25 << 3 << "12.750";
    QTest::newRow("counts without decimals") << 1.0 << 1.0 << 0 << "2";
    QTest::newRow("minus zero and zero") << -0.0001 << 0.0 << 3 << "0.000";
    QTest::newRow("two minus zeros") << -0.0001 << -0.0001 << 0 << "0";
    QTest::newRow("negative sum below a half") << 0.2 << -0.5 << 0 << "-0";
    QTest::newRow("exact half up") << 2.0 << 0.5 << 0 << "3";
    QTest::newRow("exact half down") << -2.0 << -0.5 << 0 << "-3";
    QTest::newRow("a half from tenths") << 0.1 << 0.4 << 0 << "1";
    QTest::newRow("a negative half from tenths") << -0.1 << -0.4 << 0 << "-1";
    QTest::newRow("0.1 + 0.2") << 0.1 << 0.2 << 3 << "0.300";
    QTest::newRow("across 2^53 thousandths") << 9007199254740.0 << 0.992 << 3 << "9007199254740.992";
    QTest::newRow("back from a text") << 9007199254740.992 << -1.0 << 3 << "9007199254739.992";
    QTest::newRow("huge and back") << 1e20 << -1e20 << 3 << "0.000";
}

// Operands given as the amounts whose three-decimal texts they are.
void TestKovImporte::sums()
{
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(int, decimales);
    QFETCH(QString, texto);

    const QString ta = KovRespuesta::textoValor(a);
    const QString tb = KovRespuesta::textoValor(b);
    QCOMPARE(suma(ta, tb, decimales), texto);
    const KovImporte x = KovImporte::deValor(a);
    const KovImporte y = KovImporte::deValor(b);
    QCOMPARE(x.texto(), ta);
    QCOMPARE(y.texto(), tb);
    QCOMPARE(x.mas(y, decimales).texto(), texto);
    QCOMPARE(y.mas(x, decimales).texto(), texto);
}

// Millions of amounts and running sums, each held both ways: as texts written and read back at every step, as
// the merges did, and as KovImporte. Every text and every value read back must match, and the held forms must
// all have been met.
void TestKovImporte::equalsTheTextRoundTrip()
{
    Montos montos(20240301);
    const int kPasos = 4000000;
    int pasos = 0;
    int exactos = 0;
    int textos = 0;
    int cerosNegativos = 0;
    while (pasos < kPasos) {
        // How the list's entry starts: the record's own text (summary), written again by the marker's rule
        // (aggregates and boxes), or added to zero (per-period totals).
        const int inicio = montos.entre(0, 2);
        const int decimales = inicio == 2 || montos.entre(0, 1) ? 3 : 0;
        // Amounts of one scale in a chain make its sums walk about the limits instead of staying far off them.
        const bool escalaFija = montos.entre(0, 1);
        const double escala = std::ldexp(1.0, montos.entre(-12, 46));
        auto siguiente = [&] {
            return escalaFija ? double(montos.entre64(-1000000, 1000000)) / 1000000.0 * escala : montos.monto();
        };

        double x = siguiente();
        QString texto = KovRespuesta::textoValor(x);
        KovImporte importe = KovImporte::deValor(x);
        QCOMPARE(importe.texto(), texto);
        if (inicio == 1) {
            texto = QString::number(numero(texto), 'f', decimales);
            importe = KovImporte::deNumero(importe.valor(), decimales);
        } else if (inicio == 2) {
            texto = QString::number(0.0 + numero(texto), 'f', 3);
            importe = KovImporte().mas(importe, 3);
        }

        const int largo = montos.entre(0, 4) == 0 ? montos.entre(100, 3000) : montos.entre(1, 20);
        for (int paso = 0; paso <= largo; ++paso, ++pasos) {
            if (importe.texto() != texto || bits(importe.valor()) != bits(numero(texto))) {
                QFAIL(qPrintable(QStringLiteral("step %1 of a chain: %2 held as %3 (read %4 against %5)")
                                     .arg(paso).arg(texto, importe.texto())
                                     .arg(importe.valor(), 0, 'g', 17).arg(numero(texto), 0, 'g', 17)));
            }
            if (!importe.esExacto())
                ++textos;
            else if (texto.startsWith(QLatin1String("-0")) && numero(texto) == 0.0)
                ++cerosNegativos;
            else
                ++exactos;

            x = siguiente();
            // Sums come back from beyond the limit, and to zero, now and then; soon when they are far beyond.
            if (montos.entre(0, importe.esExacto() || std::fabs(importe.valor()) < 1e30 ? 9 : 1) == 0)
                x = -importe.valor();
            const QString entrada = KovRespuesta::textoValor(x);
            const KovImporte deEntrada = KovImporte::deValor(x);
            if (deEntrada.texto() != entrada)
                QFAIL(qPrintable(QStringLiteral("amount %1 written %2, held as %3")
                                     .arg(x, 0, 'g', 17).arg(entrada, deEntrada.texto())));
            texto = suma(entrada, texto, decimales);
            importe = montos.entre(0, 1) ? deEntrada.mas(importe, decimales) : importe.mas(deEntrada, decimales);
        }
    }
    qInfo("%d steps: %d exact, %d negative zero, %d as text", pasos, exactos, cerosNegativos, textos);
    QVERIFY(exactos > kPasos / 2);
    QVERIFY(textos > kPasos / 20);
    QVERIFY(cerosNegativos > 100);
}

QTEST_APPLESS_MAIN(TestKovImporte)
#include "tst_kovimporte.moc"
