#include "../rules/firstuse.h"
#include "nombrefijo.h"

#include <QHash>
#include <QtTest>

class TestNombreFijo : public QObject
{
    Q_OBJECT

private slots:
    void comoUnTexto_data();
    void comoUnTexto();
    void copiasSinCuenta();
    void mismoNombreMismosCaracteres();
    void hechosAUnTiempo();
};

void TestNombreFijo::comoUnTexto_data()
{
    QTest::addColumn<QString>("texto");
    QTest::newRow("a total") << "mto_adq_lib_e16";
    QTest::newRow("a box") << "107";
    QTest::newRow("empty") << "";
    QTest::newRow("beyond Latin-1") << "mto_\u00f1_\u20ac";
}

// A fixed name is its text wherever a text is compared, hashed or looked up.
void TestNombreFijo::comoUnTexto()
{
    QFETCH(QString, texto);
    const QString nombre = NombreFijo(texto).texto();
    QCOMPARE(nombre, texto);
    QCOMPARE(nombre.size(), texto.size());
    QVERIFY(!nombre.isNull());
    QCOMPARE(qHash(nombre), qHash(texto));
    QCOMPARE(nombre.utf16()[nombre.size()], ushort(0));
    QHash<QString, int> porTexto;
    porTexto.insert(texto, 1);
    QCOMPARE(porTexto.value(nombre), 1);
    QHash<QString, int> porNombre;
    porNombre.insert(nombre, 2);
    QCOMPARE(porNombre.value(texto), 2);
}

// Copies share the characters without counting them, and a changed copy becomes a text of its own.
void TestNombreFijo::copiasSinCuenta()
{
    const NombreFijo nombre("cnt_reg_e1");
    QString copia = nombre.texto();
    QCOMPARE(copia.constData(), nombre.texto().constData());
    QVERIFY(copia.data_ptr()->ref.isStatic());
    copia += QLatin1String("_x");
    QCOMPARE(copia, QStringLiteral("cnt_reg_e1_x"));
    QCOMPARE(nombre.texto(), QStringLiteral("cnt_reg_e1"));
    QVERIFY(!copia.data_ptr()->ref.isStatic());
}

void TestNombreFijo::mismoNombreMismosCaracteres()
{
    const NombreFijo literal("cnt_cdp_mn_to");
    const NombreFijo compuesto(QStringLiteral("cnt_cdp_") + QStringLiteral("mn_to"));
    QCOMPARE(literal.texto().constData(), compuesto.texto().constData());
    QVERIFY(NombreFijo("cnt_cdp_me_to").texto().constData() != literal.texto().constData());
}

// Tables built on several threads at once get the same names.
void TestNombreFijo::hechosAUnTiempo()
{
    const QString primero = NombreFijo("mto_hilos_0").texto();
    QVERIFY(todosLosHilos([&primero] {
        bool iguales = NombreFijo("mto_hilos_0").texto().constData() == primero.constData();
        for (int i = 1; i < 200; ++i) {
            const QString texto = QStringLiteral("mto_hilos_") + QString::number(i);
            iguales = iguales && NombreFijo(texto).texto() == texto;
        }
        return iguales;
    }));
}

QTEST_GUILESS_MAIN(TestNombreFijo)
#include "tst_nombrefijo.moc"
