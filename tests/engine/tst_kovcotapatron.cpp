// A column pattern is measured before QRegExp compiles it: the patterns that would take QRegExp seconds or
// gigabytes, or end the process, are refused; those a layout writes are let through.
#include "kovcotapatron.h"

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
};

void TestKovCotaPatron::refused_data()
{
    QTest::addColumn<QString>("patron");

    // What QRegExp makes of them, measured when the bound was set: time to compile, peak memory.
    QTest::newRow("100 KB of groups (process aborts)") << QStringLiteral("(a|b)").repeated(20000);
    QTest::newRow("1,600 groups (match state of 160 MB per holder)") << QStringLiteral("(a|b)").repeated(1600);
    QTest::newRow("nested counted, 22 characters (4 s, 640 MB)") << QStringLiteral("((a|b){1,999}){1,999}");
    QTest::newRow("thrice nested counted (1.7 s, 650 MB)") << QStringLiteral("(((a|b){1,100}){1,100}){1,100}");
    QTest::newRow("optional groups, 24,000 characters") << QStringLiteral("(a|b)*").repeated(4000);
    QTest::newRow("optional groups, 7,800 characters (5 s)") << QStringLiteral("(a|b)*").repeated(1300);
    QTest::newRow("optional alternatives, no capture (1.8 s)") << QStringLiteral("(?:a|b)*").repeated(900);
    QTest::newRow("optional letters (7.6 s, 410 MB)") << QStringLiteral("a?").repeated(4000);
    QTest::newRow("600,000 plain characters") << QStringLiteral("a").repeated(600000);
    QTest::newRow("nested optional counted (16 s, 2.5 GB)") << QStringLiteral("((a?){1,100}){1,100}");
    QTest::newRow("text counted in counted (1.8 s)") << QStringLiteral("(abcdefghij{1,1000}){1,1000}");
    QTest::newRow("class counted in counted") << QStringLiteral("([0-9]{1,999}){1,999}");
    QTest::newRow("any text counted in counted (aborts)") << QStringLiteral("(.{0,999}){0,999}");
    QTest::newRow("ten nested small counts (aborts)")
        << QStringLiteral("(").repeated(10) + QStringLiteral("a") + QStringLiteral("){1,9}").repeated(10);
    QTest::newRow("broken lookaheads read again (0.5 s, 500 MB)")
        << QStringLiteral("(?=").repeated(25) + QStringLiteral("a]");
    QTest::newRow("back reference number sizing the match state (2 GB)") << QStringLiteral("\\65535a{1000}");
    QTest::newRow("groups nested 100 deep")
        << QStringLiteral("(").repeated(100) + QStringLiteral("a") + QStringLiteral(")").repeated(100);
    QTest::newRow("lookaheads nested 100 deep")
        << QStringLiteral("(?=").repeated(100) + QStringLiteral("a") + QStringLiteral(")").repeated(100);
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

QTEST_GUILESS_MAIN(TestKovCotaPatron)
#include "tst_kovcotapatron.moc"
