#include "kovcache.h"

#include <QtTest>

class TestKovCache : public QObject
{
    Q_OBJECT

private slots:
    void contains_data();
    void contains();
};

void TestKovCache::contains_data()
{
    QTest::addColumn<QStringList>("elementos");
    QTest::addColumn<QString>("codigo");
    QTest::addColumn<QString>("valor");
    QTest::addColumn<bool>("esta");

    const QStringList union2 = { "034", "01,02", "034", "02,03" };
    QTest::newRow("union first") << union2 << "034" << "01" << true;
    QTest::newRow("union shared") << union2 << "034" << "02" << true;
    QTest::newRow("union second") << union2 << "034" << "03" << true;
    QTest::newRow("union absent") << union2 << "034" << "04" << false;
    QTest::newRow("unknown table") << union2 << "028" << "01" << false;
    QTest::newRow("unknown table empty value") << union2 << "028" << "" << false;
    QTest::newRow("code not trimmed") << union2 << "034 " << "01" << false;

    const QStringList blancos = { "028", "A, B" };
    QTest::newRow("blank kept") << blancos << "028" << " B" << true;
    QTest::newRow("trimmed misses") << blancos << "028" << "B" << false;
    QTest::newRow("case-sensitive") << blancos << "028" << "a" << false;

    const QStringList vacios = { "010", "1,,2", "011", "" };
    QTest::newRow("double comma adds empty") << vacios << "010" << "" << true;
    QTest::newRow("after double comma") << vacios << "010" << "2" << true;
    QTest::newRow("empty valor adds empty") << vacios << "011" << "" << true;
    QTest::newRow("empty table holds nothing else") << vacios << "011" << "1" << false;
    QTest::newRow("whole text is not a value") << vacios << "010" << "1,,2" << false;
}

void TestKovCache::contains()
{
    QFETCH(QStringList, elementos);
    QFETCH(QString, codigo);
    QFETCH(QString, valor);
    QFETCH(bool, esta);

    KovCache cache;
    for (int i = 0; i + 1 < elementos.size(); i += 2)
        cache.insert(elementos.at(i), elementos.at(i + 1));
    QCOMPARE(cache.contains(codigo, valor), esta);
}

QTEST_APPLESS_MAIN(TestKovCache)
#include "tst_kovcache.moc"
