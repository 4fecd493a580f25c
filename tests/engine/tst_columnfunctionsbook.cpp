#include "columnfunctions.h"
#include "kovcontrol.h"
#include "kovlibro.h"
#include "kovrules.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// One layout column of any length that names a column function.
QJsonObject columna(const QString &funcion, const QString &vacio = QString())
{
    QJsonObject c;
    c.insert(QStringLiteral("longitud"), QStringLiteral("0"));
    c.insert(QStringLiteral("funcion"), funcion);
    if (!vacio.isEmpty())
        c.insert(QStringLiteral("cvacio"), vacio);
    return c;
}

// The job's error list as "cod@line:col".
QStringList compacta(const QList<QVariant> &errores)
{
    QStringList lista;
    for (const QVariant &e : errores) {
        const QVariantMap m = e.toMap();
        lista.append(m.value(QStringLiteral("cod")).toString() + QLatin1Char('@') + m.value(QStringLiteral("fil")).toString()
                     + QLatin1Char(':') + m.value(QStringLiteral("col")).toString());
    }
    return lista;
}

} // namespace

// The column functions as a book reaches them: by the name a layout column gives, through the registry.
class TestColumnFunctionsBook : public QObject
{
    Q_OBJECT

private slots:
    void registro_data();
    void registro();
    void libro();
};

void TestColumnFunctionsBook::registro_data()
{
    QTest::addColumn<QString>("nombre");
    QTest::addColumn<void *>("funcion");
    QTest::newRow("fcIniciaAMC") << "fcIniciaAMC" << reinterpret_cast<void *>(&fcIniciaAMC);
    QTest::newRow("fcFecha") << "fcFecha" << reinterpret_cast<void *>(&fcFecha);
    QTest::newRow("fcPositivo") << "fcPositivo" << reinterpret_cast<void *>(&fcPositivo);
    QTest::newRow("fcNegativo") << "fcNegativo" << reinterpret_cast<void *>(&fcNegativo);
    QTest::newRow("fcSoloPositivo") << "fcSoloPositivo" << reinterpret_cast<void *>(&fcSoloPositivo);
    QTest::newRow("fcIndicador") << "fcIndicador" << reinterpret_cast<void *>(&fcIndicador);
    QTest::newRow("fcIndicadorVenta") << "fcIndicadorVenta" << reinterpret_cast<void *>(&fcIndicadorVenta);
    QTest::newRow("fcIndicadorCompra") << "fcIndicadorCompra" << reinterpret_cast<void *>(&fcIndicadorCompra);
}

void TestColumnFunctionsBook::registro()
{
    QFETCH(QString, nombre);
    QFETCH(void *, funcion);
    KovRules rules;
    QCOMPARE(reinterpret_cast<void *>(rules.getFuncionColumna(nombre)), funcion);
    QCOMPARE(rules.getTotal(), 8);
    QVERIFY(!rules.getFuncionColumna(nombre.toLower()));
    QVERIFY(!rules.getFuncionRegistro(nombre));
}

// A book whose eight columns each name one column function: every failing field is reported with its line and
// column; empty fields and the column's empty marker never reach the function, and 1e-400 reads 0.
void TestColumnFunctionsBook::libro()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString base = dir.path() + QStringLiteral("/base");
    QVERIFY(QDir().mkpath(base));
    const QString ruta = dir.path() + QStringLiteral("/LE2010006660320240100080100001111.txt");
    QFile book(ruta);
    QVERIFY(book.open(QIODevice::WriteOnly));
    book.write("A1|29/02/2024|12.50|-3|0.01|1|2|6|\n"
               "a1|29/02/2023|-0|3|0|0|6|2|\n"
               "MX||-|abc|abc|9|0|7|\n"
               " C |01/01/2024| 5 |-0.00|1e-400|8|8|9|\n");
    book.close();

    const QJsonArray columnas = {columna(QStringLiteral("fcIniciaAMC")), columna(QStringLiteral("fcFecha")),
                                 columna(QStringLiteral("fcPositivo"), QStringLiteral("-")),
                                 columna(QStringLiteral("fcNegativo")), columna(QStringLiteral("fcSoloPositivo")),
                                 columna(QStringLiteral("fcIndicador")), columna(QStringLiteral("fcIndicadorVenta")),
                                 columna(QStringLiteral("fcIndicadorCompra"))};
    QJsonObject peticion;
    peticion.insert(QStringLiteral("codigo"), QStringLiteral("080100"));
    peticion.insert(QStringLiteral("ruc"), QStringLiteral("20100066603"));
    peticion.insert(QStringLiteral("periodo"), QStringLiteral("20240100"));
    peticion.insert(QStringLiteral("path"), ruta);
    peticion.insert(QStringLiteral("pathHacolKov"), base);
    peticion.insert(QStringLiteral("ncolumnas"), columnas.size());
    peticion.insert(QStringLiteral("nextendidas"), columnas.size());
    peticion.insert(QStringLiteral("columnas"), columnas);

    KovControl control;
    KovLibro libro;
    libro.setTicket(QStringLiteral("fc%1").arg(QCoreApplication::applicationPid()));
    QVERIFY2(libro.parse(QString::fromLatin1(QJsonDocument(peticion).toJson(QJsonDocument::Compact).toBase64())),
             qPrintable(libro.getParseError()));
    libro.setControl(&control);
    int vueltas = 0;
    while (libro.readLine() > 0 && ++vueltas < 100) {
    }
    libro.closeHandles();

    const QStringList esperados = {
        QStringLiteral("005@2:1"), QStringLiteral("013@2:2"), QStringLiteral("028@2:3"), QStringLiteral("030@2:4"),
        QStringLiteral("035@2:5"), QStringLiteral("014@2:6"), QStringLiteral("014@2:7"), QStringLiteral("014@2:8"),
        QStringLiteral("035@3:5"), QStringLiteral("030@4:4"), QStringLiteral("035@4:5"),
    };
    QCOMPARE(compacta(control.errores), esperados);
    QCOMPARE(libro.getNumLinea(), qint64(4));
}

QTEST_GUILESS_MAIN(TestColumnFunctionsBook)
#include "tst_columnfunctionsbook.moc"
