#include "kovlongitud.h"

#include <QtTest>

class TestKovLongitud : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void refusedPatternKeepsEarlierType();
    void check_data();
    void check();
};

void TestKovLongitud::parse_data()
{
    QTest::addColumn<QString>("patron");
    QTest::addColumn<bool>("aceptado");
    QTest::addColumn<int>("tipo");
    QTest::addColumn<int>("primero");
    QTest::addColumn<int>("segundo");

    QTest::newRow("zero") << "0" << true << 0 << 0 << 0;
    QTest::newRow("zero with blanks and tabs") << " \t0 \t" << true << 0 << 0 << 0;
    QTest::newRow("double zero is exact length 0") << "00" << true << 1 << 0 << 0;
    QTest::newRow("exact") << "11" << true << 1 << 11 << 0;
    QTest::newRow("at most") << "&200" << true << 2 << 200 << 0;
    QTest::newRow("leading zeros") << "&05" << true << 2 << 5 << 0;
    QTest::newRow("overflowing run reads 0") << "&99999999999" << true << 2 << 0 << 0;
    QTest::newRow("digits") << "12.2" << true << 3 << 12 << 2;
    QTest::newRow("digits no decimals") << "12.0" << true << 3 << 12 << 0;
    QTest::newRow("at most integers") << "&8.2" << true << 4 << 8 << 2;
    QTest::newRow("at most both") << "&12.&2" << true << 5 << 12 << 2;
    QTest::newRow("at most decimals") << "12.&2" << true << 6 << 12 << 2;
    QTest::newRow("range") << "8-11" << true << 7 << 8 << 11;
    QTest::newRow("range equal bounds") << "8-8" << false << 7 << 8 << 8;
    QTest::newRow("range reversed") << "11-8" << false << 7 << 11 << 8;
    QTest::newRow("empty") << "" << false << -1 << 0 << 0;
    QTest::newRow("blank") << "   " << false << -1 << 0 << 0;
    QTest::newRow("lone ampersand") << "&" << false << -1 << 0 << 0;
    QTest::newRow("dot without decimals") << "1." << false << -1 << 0 << 0;
    QTest::newRow("dot without integers") << ".5" << false << -1 << 0 << 0;
    QTest::newRow("further dots") << "1.2.3" << false << -1 << 0 << 0;
    QTest::newRow("ampersand and minus") << "&-5" << false << -1 << 0 << 0;
    QTest::newRow("negative") << "-5" << false << -1 << 0 << 0;
    QTest::newRow("inner blanks") << "5 - 9" << false << -1 << 0 << 0;
    QTest::newRow("letter") << "12a" << false << -1 << 0 << 0;
    QTest::newRow("ampersand after digits") << "12&" << false << -1 << 0 << 0;
}

void TestKovLongitud::parse()
{
    QFETCH(QString, patron);
    QFETCH(bool, aceptado);
    QFETCH(int, tipo);
    QFETCH(int, primero);
    QFETCH(int, segundo);

    KovLongitud l;
    QCOMPARE(l.setPatronLongitud(patron), aceptado);
    QCOMPARE(l.getPatronLongitud(), patron.trimmed());
    QCOMPARE(l.getTipo(), tipo);
    if (tipo == 7) {
        QCOMPARE(l.getMinimo(), primero);
        QCOMPARE(l.getMaximo(), segundo);
    } else if (tipo >= 1) {
        QCOMPARE(l.getEnteros(), primero);
        if (tipo >= 3)
            QCOMPARE(l.getDecimales(), segundo);
    }
}

void TestKovLongitud::refusedPatternKeepsEarlierType()
{
    KovLongitud l;
    QVERIFY(l.setPatronLongitud(QStringLiteral("&5")));
    QVERIFY(!l.setPatronLongitud(QStringLiteral("1.2.3")));
    QCOMPARE(l.getPatronLongitud(), QStringLiteral("1.2.3"));
    QCOMPARE(l.getTipo(), 2);
    QVERIFY(l.checkLongitud(QStringLiteral("abcde")));
    QVERIFY(!l.checkLongitud(QStringLiteral("abcdef")));
}

void TestKovLongitud::check_data()
{
    QTest::addColumn<QString>("patron");
    QTest::addColumn<QString>("valor");
    QTest::addColumn<bool>("pasa");

    const QString v200(200, QLatin1Char('x'));
    const QString v201(201, QLatin1Char('x'));

    QTest::newRow("no pattern refuses") << QString() << "" << false;
    QTest::newRow("0 empty") << "0" << "" << true;
    QTest::newRow("0 long") << "0" << v201 << true;
    QTest::newRow("00 empty") << "00" << "" << true;
    QTest::newRow("00 one char") << "00" << "a" << false;
    QTest::newRow("exact equal") << "3" << "abc" << true;
    QTest::newRow("exact shorter") << "3" << "ab" << false;
    QTest::newRow("&200 at 200") << "&200" << v200 << true;
    QTest::newRow("&200 at 201") << "&200" << v201 << false;
    QTest::newRow("&3 counts sign") << "&3" << "-12" << true;
    QTest::newRow("&3 counts sign over") << "&3" << "-123" << false;
    QTest::newRow("range low") << "8-11" << "12345678" << true;
    QTest::newRow("range high") << "8-11" << "12345678901" << true;
    QTest::newRow("range below") << "8-11" << "1234567" << false;
    QTest::newRow("range above") << "8-11" << "123456789012" << false;
    QTest::newRow("&3.2 signed") << "&3.2" << "-123.45" << true;
    QTest::newRow("&3.2 plus sign") << "&3.2" << "+1.45" << true;
    QTest::newRow("&3.2 four integers") << "&3.2" << "1234.45" << false;
    QTest::newRow("&3.2 one decimal") << "&3.2" << "12.5" << false;
    QTest::newRow("&3.2 no decimals") << "&3.2" << "12" << false;
    QTest::newRow("&3.2 leading dot") << "&3.2" << ".50" << false;
    QTest::newRow("&3.2 trailing dot") << "&3.2" << "12." << false;
    QTest::newRow("&8.2 signed amount") << "&8.2" << "-12345678.90" << true;
    QTest::newRow("&8.2 sign not a digit") << "&8.2" << "-123456789.90" << false;
    QTest::newRow("12.0 without dot") << "12.0" << "123456789012" << true;
    QTest::newRow("12.0 with dot") << "12.0" << "123456789012.0" << false;
    QTest::newRow("3.2 exact") << "3.2" << "123.45" << true;
    QTest::newRow("3.2 short") << "3.2" << "12.45" << false;
    QTest::newRow("3.&2 signed no decimals") << "3.&2" << "+123" << true;
    QTest::newRow("3.&2 two integers") << "3.&2" << "12" << false;
    QTest::newRow("&2.&2 sign and decimal") << "&2.&2" << "-.5" << true;
    QTest::newRow("further dots count as decimals") << "&3.3" << "1.2.3" << true;
    QTest::newRow("further dots too many decimals") << "&3.2" << "1.2.3" << false;
    QTest::newRow("characters not digits") << "2.2" << "ab.cd" << true;
    QTest::newRow("empty under digits") << "&2.&2" << "" << true;
    QTest::newRow("empty under exact decimals") << "&2.2" << "" << false;
    QTest::newRow("lone sign") << "&2.&2" << "-" << true;
}

void TestKovLongitud::check()
{
    QFETCH(QString, patron);
    QFETCH(QString, valor);
    QFETCH(bool, pasa);

    KovLongitud l;
    if (!patron.isEmpty())
        QVERIFY(l.setPatronLongitud(patron));
    QCOMPARE(l.checkLongitud(valor), pasa);
}

QTEST_APPLESS_MAIN(TestKovLongitud)
#include "tst_kovlongitud.moc"
