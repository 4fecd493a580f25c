#include "textoparametro.h"

#include <QtTest>

class TestTextoParametro : public QObject
{
    Q_OBJECT

private slots:
    void comoToString_data();
    void comoToString();
    void leidoEnSuSitio();
};

void TestTextoParametro::comoToString_data()
{
    QTest::addColumn<QVariant>("valor");
    QTest::newRow("text") << QVariant(QStringLiteral("20240300"));
    QTest::newRow("empty text") << QVariant(QStringLiteral(""));
    QTest::newRow("null text") << QVariant(QString());
    QTest::newRow("integer") << QVariant(20240300);
    QTest::newRow("number") << QVariant(2.5);
    QTest::newRow("bytes") << QVariant(QByteArray("20240300"));
    QTest::newRow("list") << QVariant(QVariantList{1, 2});
    QTest::newRow("absent") << QVariant();
}

// Whatever the map holds under the key, the text is what value(clave).toString() gives.
void TestTextoParametro::comoToString()
{
    QFETCH(QVariant, valor);
    const QString clave = QStringLiteral("periodo");
    ParametrosRegistro parametros;
    parametros.insert(QStringLiteral("path"), QStringLiteral("/tmp/libro.txt"));
    if (valor.isValid())
        parametros.insert(clave, valor);
    const QString esperado = parametros.value(clave).toString();
    const QString leido = TextoParametro(&parametros, clave).texto();
    QCOMPARE(leido, esperado);
    QCOMPARE(leido.isNull(), esperado.isNull());
    QVERIFY(TextoParametro(nullptr, clave).texto().isNull());
}

// A text is not copied out of the map: the threads that share the map write nothing of it.
void TestTextoParametro::leidoEnSuSitio()
{
    ParametrosRegistro parametros;
    parametros.insert(QStringLiteral("periodo"), QString::fromLatin1("20240300"));
    const ParametrosRegistro copia = parametros;
    const TextoParametro periodo(&copia, QStringLiteral("periodo"));
    const QString enMapa = copia.value(QStringLiteral("periodo")).toString();
    QCOMPARE(periodo.texto().constData(), enMapa.constData());
    QCOMPARE(&periodo.texto(), static_cast<const QString *>(copia.constFind(QStringLiteral("periodo"))->constData()));
}

QTEST_APPLESS_MAIN(TestTextoParametro)
#include "tst_textoparametro.moc"
