// A column pattern is measured before QRegExp compiles it: the patterns that would take QRegExp seconds or
// gigabytes, or end the process, are refused; those a layout writes are let through.
#include "kovcotapatron.h"
#include "patronfixture.h"
#include "patronhostilfixture.h"

#include <QRegExp>
#include <QtTest>

class TestKovCotaPatron : public QObject
{
    Q_OBJECT

private slots:
    void refused_data();
    void refused();
    void admitted_data();
    void admitted();
    void bookSharesOneBound();
    void repeatedPatternMeasuredOnce();
    void readsErrorsAsQRegExp_data();
    void readsErrorsAsQRegExp();
    void randomPatternsReadAsQRegExp();
};

void TestKovCotaPatron::refused_data()
{
    QTest::addColumn<QString>("patron");

    // What QRegExp makes of them, measured when the bound was set: time to compile, peak memory.
    QTest::newRow("1,600 groups (match state of 160 MB per holder)") << QStringLiteral("(a|b)").repeated(1600);
    QTest::newRow("thrice nested counted (1.7 s, 650 MB)") << QStringLiteral("(((a|b){1,100}){1,100}){1,100}");
    QTest::newRow("optional groups, 24,000 characters") << QStringLiteral("(a|b)*").repeated(4000);
    QTest::newRow("optional groups, 7,800 characters (5 s)") << QStringLiteral("(a|b)*").repeated(1300);
    QTest::newRow("optional alternatives, no capture (1.8 s)") << QStringLiteral("(?:a|b)*").repeated(900);
    QTest::newRow("optional letters (7.6 s, 410 MB)") << QStringLiteral("a?").repeated(4000);
    QTest::newRow("600,000 plain characters") << QStringLiteral("a").repeated(600000);
    QTest::newRow("text counted in counted (1.8 s)") << QStringLiteral("(abcdefghij{1,1000}){1,1000}");
    QTest::newRow("class counted in counted") << QStringLiteral("([0-9]{1,999}){1,999}");
    QTest::newRow("any text counted in counted (aborts)") << QStringLiteral("(.{0,999}){0,999}");
    QTest::newRow("ten nested small counts (aborts)")
        << QStringLiteral("(").repeated(10) + QStringLiteral("a") + QStringLiteral("){1,9}").repeated(10);
    QTest::newRow("back reference number sizing the match state (2 GB)") << QStringLiteral("\\65535a{1000}");
    QTest::newRow("groups nested 100 deep")
        << QStringLiteral("(").repeated(100) + QStringLiteral("a") + QStringLiteral(")").repeated(100);
    QTest::newRow("lookaheads nested 100 deep")
        << QStringLiteral("(?=").repeated(100) + QStringLiteral("a") + QStringLiteral(")").repeated(100);
    for (const auto &hostil : patronesHostiles())
        QTest::newRow(hostil.first.toUtf8().constData()) << hostil.second;
    // Each family swept in size from where it passes the bound.
    for (int niveles = 16; niveles <= 64; niveles += 8)
        QTest::addRow("failed lookaheads %d deep", niveles) << adelantesFallidos(niveles);
    for (int pares = 12; pares <= 15; ++pares) {
        for (const int letras : {50, 100, 200, 335}) {
            QTest::addRow("%d anchor alternations between %d optional letters", pares, letras)
                << entreAnclas(QStringLiteral("(a?){%1}").arg(letras), pares);
        }
        for (const int ancho : {40, 80, 160}) {
            QTest::addRow("%d anchor alternations between %d-way alternations", pares, ancho)
                << entreAnclas(alternativas(ancho), pares);
        }
    }
}

void TestKovCotaPatron::refused()
{
    QFETCH(QString, patron);
    QVERIFY(KovCotaPatron::mide(patron).excede);
    KovCotaPatron cota;
    QVERIFY(!cota.admite(patron));
    // A refused pattern takes nothing from the book's bound.
    QVERIFY(cota.admite(QStringLiteral("[0-9]{8}")));
}

void TestKovCotaPatron::admitted_data()
{
    QTest::addColumn<QString>("patron");

    QTest::newRow("digit") << QStringLiteral("[1-9]");
    QTest::newRow("date") << QStringLiteral("[0-9]{4}-[0-9]{2}-[0-9]{2}");
    QTest::newRow("period") << QStringLiteral("[0-9]{4}(0[1-9]|1[0-2])00");
    QTest::newRow("day and month") << QStringLiteral("(0[1-9]|[12][0-9]|3[01])/(0[1-9]|1[0-2])/[0-9]{4}");
    QTest::newRow("amount") << QStringLiteral("-?[0-9]{1,12}\\.[0-9]{2}");
    QTest::newRow("escapes") << QStringLiteral("\\d{2}/\\d{2}/\\d{4}");
    QTest::newRow("anchors and lookahead") << QStringLiteral("^(?!0+$)[0-9]{1,15}$");
    QTest::newRow("any text up to 999") << QStringLiteral(".{0,999}");
    QTest::newRow("digits up to 999") << QStringLiteral("[0-9]{1,999}");
    QStringList codigos;
    for (int i = 0; i < 1000; ++i)
        codigos << QString::number(i).rightJustified(3, QLatin1Char('0'));
    QTest::newRow("a thousand codes, 4,000 characters") << QLatin1Char('(') + codigos.join(QLatin1Char('|')) + QLatin1Char(')');
    QStringList partes;
    for (int i = 0; i < 12; ++i)
        partes << QStringLiteral("[A-Za-z0-9 .,]{1,200}");
    QTest::newRow("counted classes side by side, 263 characters") << partes.join(QLatin1Char('-'));
    QTest::newRow("words in a counted group") << QStringLiteral("(\\b[A-Z][a-z]{1,30}\\b ?){1,20}");
    QTest::newRow("a few anchor alternations") << QStringLiteral("(^|\\b)[A-Z]{1,20}(\\b|$)");
    QTest::newRow("lookahead alternation") << QStringLiteral("((?=0)|(?=1))[0-9]{1,12}");
    QTest::newRow("small anchor alternations between counts") << entreAnclas(QStringLiteral("(a?){10}"), 4);
}

void TestKovCotaPatron::admitted()
{
    QFETCH(QString, patron);
    QVERIFY(!KovCotaPatron::mide(patron).excede);
    KovCotaPatron cota;
    QVERIFY(cota.admite(patron));
    QVERIFY(cota.admite(QString()));
}

// The bound is the whole layout's: one pattern in a thousand columns is compiled once, but patterns each within
// the bound cannot together pass it.
void TestKovCotaPatron::bookSharesOneBound()
{
    KovCotaPatron repetido;
    for (int i = 0; i < 1000; ++i)
        QVERIFY(repetido.admite(QStringLiteral("(0[1-9]|[12][0-9]|3[01])/(0[1-9]|1[0-2])/[0-9]{4}")));

    KovCotaPatron distintos;
    int admitidos = 0;
    for (int n = 100; n > 50 && distintos.admite(QStringLiteral("((a|b){1,100}){1,%1}").arg(n)); --n)
        ++admitidos;
    QVERIFY(admitidos >= 1);
    QVERIFY(admitidos < 50);
    QVERIFY(distintos.admite(QStringLiteral("[0-9]{8}")));
}

// A book that repeats one pattern in every column measures it once, however long it is.
void TestKovCotaPatron::repeatedPatternMeasuredOnce()
{
    const QString largo = QStringLiteral("(?:0[1-9]|1[0-2])/[0-9]{4}-").repeated(250);
    QVERIFY(!KovCotaPatron::mide(largo).excede);
    const int antes = KovCotaPatron::medidas();
    KovCotaPatron cota;
    for (int i = 0; i < 1000; ++i)
        QVERIFY(cota.admite(largo));
    QCOMPARE(KovCotaPatron::medidas(), antes + 1);
}

// The measure follows QRegExp's parse, errors included: an engine whose lookahead fails reads its text again, so a
// measure that missed an error would miss that work.
void TestKovCotaPatron::readsErrorsAsQRegExp_data()
{
    QTest::addColumn<QString>("patron");
    QTest::addColumn<bool>("invalido");

    QTest::newRow("word boundary in a class") << QStringLiteral("[a\\b]") << true;
    QTest::newRow("word boundary alone in a class") << QStringLiteral("[\\b]{,3}\\b") << true;
    QTest::newRow("other boundary in a class") << QStringLiteral("[\\B]") << true;
    QTest::newRow("reference in a class") << QStringLiteral("[\\1]") << true;
    QTest::newRow("class escapes in a class") << QStringLiteral("[\\d\\w-]") << false;
    QTest::newRow("word boundary outside") << QStringLiteral("a\\b") << false;
    QTest::newRow("failed lookahead") << adelantesFallidos(3) << true;
    QTest::newRow("fourteen lookaheads") << QStringLiteral("(?=a)").repeated(14) << true;
    QTest::newRow("thirteen lookaheads") << QStringLiteral("(?=a)").repeated(13) << false;
    QTest::newRow("reference past 14") << QStringLiteral("(a)\\15") << true;
    QTest::newRow("count backwards") << QStringLiteral("a{2,1}") << true;
    QTest::newRow("stops at a closing parenthesis") << QStringLiteral("a)b") << true;
}

void TestKovCotaPatron::readsErrorsAsQRegExp()
{
    QFETCH(QString, patron);
    QFETCH(bool, invalido);
    // QRegExp never frees a lookahead past its thirteenth: that row is not compiled here.
    if (patron.count(QStringLiteral("(?=")) <= 13)
        QCOMPARE(!QRegExp(patron).isValid(), invalido);
    const KovCotaPatron::Medida medida = KovCotaPatron::mide(patron);
    QVERIFY(!medida.excede);
    QCOMPARE(medida.invalido, invalido);
}

// Patterns drawn from the pieces of the syntax where QRegExp's parse meets its errors: the measure reads each as
// QRegExp does.
void TestKovCotaPatron::randomPatternsReadAsQRegExp()
{
    static const char *const kPiezas[] = {
        "(", ")", "(?=", "(?!", "(?:", "(?<", "(?x", "[", "]", "[^", "[a\\b]", "[\\B]", "[\\1x]", "[\\d-z]",
        "[a-\\w]", "\\b", "\\B", "\\1", "\\15", "\\0777", "\\017", "\\x41", "\\d", "\\w", "\\", "{", "}", "{2}",
        "{2,1}", "{,3}", "{1025}", "{1,}", "*", "+", "?", "|", "^", "$", ".", "a", "-", "x", "[a-", "\\s", "\\W"};
    const int piezas = int(sizeof kPiezas / sizeof kPiezas[0]);
    quint32 semilla = 20;
    int leidos = 0;
    for (int i = 0; i < 20000; ++i) {
        QString patron;
        const int largo = 1 + int(siguienteAzar(&semilla) % 10);
        for (int k = 0; k < largo; ++k)
            patron += QLatin1String(kPiezas[siguienteAzar(&semilla) % uint(piezas)]);
        const KovCotaPatron::Medida medida = KovCotaPatron::mide(patron);
        if (medida.excede)
            continue;
        ++leidos;
        QVERIFY2(medida.invalido == !QRegExp(patron).isValid(), qPrintable(patron));
    }
    QVERIFY(leidos > 15000);
}

QTEST_GUILESS_MAIN(TestKovCotaPatron)
#include "tst_kovcotapatron.moc"
