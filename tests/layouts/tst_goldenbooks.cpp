// Whole books run through the engine and compared with their expected results.
//
// Each folder under data/ is one case:
//   request.json   the decoded validation request (the object that travels Base64-encoded); the harness fills
//                  "path" with the case's book.txt (copied to a temporary folder), "pathHacolKov" with a fresh
//                  temporary folder, and "ncolumnas"/"nextendidas" with the column count when they are absent.
//   book.txt       the book.
//   expected.json  an object with any of the keys "errores", "resumen", "agregado", "casillas": each, when present,
//                  must equal the job's list exactly (order included); "parseError" (text) expects set-up to refuse.
#include "kovcontrol.h"
#include "kovlibro.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray leeArchivo(const QString &ruta)
{
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString texto(const QVariant &v)
{
    return QString::fromUtf8(QJsonDocument(QJsonArray::fromVariantList(v.toList())).toJson());
}

} // namespace

class TestGoldenBooks : public QObject
{
    Q_OBJECT

private slots:
    void book_data();
    void book();
};

void TestGoldenBooks::book_data()
{
    QTest::addColumn<QString>("carpeta");
    const QDir datos(QStringLiteral(TESTS_DATA_DIR));
    for (const QString &caso : datos.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        QTest::newRow(qPrintable(caso)) << datos.filePath(caso);
}

void TestGoldenBooks::book()
{
    QFETCH(QString, carpeta);
    QJsonParseError fallo;
    const QJsonObject peticionBase = QJsonDocument::fromJson(leeArchivo(carpeta + QStringLiteral("/request.json")),
                                                             &fallo).object();
    QVERIFY2(fallo.error == QJsonParseError::NoError, qPrintable(fallo.errorString()));
    const QJsonObject esperado = QJsonDocument::fromJson(leeArchivo(carpeta + QStringLiteral("/expected.json")),
                                                         &fallo).object();
    QVERIFY2(fallo.error == QJsonParseError::NoError, qPrintable(fallo.errorString()));

    // The book keeps its own name: result file names are cut from the book's path.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QJsonObject peticion = peticionBase;
    const QString nombre = peticion.value(QStringLiteral("path")).toString().section(QLatin1Char('/'), -1);
    const QString libroRuta = dir.filePath(nombre.isEmpty() ? QStringLiteral("LE00000000000000000000000000001111.txt")
                                                             : nombre);
    QVERIFY(QFile::copy(carpeta + QStringLiteral("/book.txt"), libroRuta));
    const QString base = dir.filePath(QStringLiteral("work"));
    QVERIFY(QDir().mkpath(base));
    peticion.insert(QStringLiteral("path"), libroRuta);
    peticion.insert(QStringLiteral("pathHacolKov"), base);
    const int n = peticion.value(QStringLiteral("columnas")).toArray().size();
    if (!peticion.contains(QStringLiteral("ncolumnas")))
        peticion.insert(QStringLiteral("ncolumnas"), n);
    if (!peticion.contains(QStringLiteral("nextendidas")))
        peticion.insert(QStringLiteral("nextendidas"), n);

    static int serie = 0;
    KovControl control;
    KovLibro libro;
    libro.setTicket(QStringLiteral("g%1x%2").arg(QCoreApplication::applicationPid()).arg(++serie));
    const bool ok = libro.parse(QString::fromLatin1(QJsonDocument(peticion).toJson(QJsonDocument::Compact).toBase64()));
    if (esperado.contains(QStringLiteral("parseError"))) {
        QVERIFY(!ok);
        QCOMPARE(libro.getParseError(), esperado.value(QStringLiteral("parseError")).toString());
        return;
    }
    QVERIFY2(ok, qPrintable(libro.getParseError()));
    libro.setControl(&control);
    while (libro.readLine() > 0) {
    }
    if (libro.getNumErrores() < 1)
        libro.copyDetail();
    libro.closeHandles();
    libro.generaResumen();

    const struct { const char *clave; QList<QVariant> lista; } listas[] = {
        {"errores", control.errores},
        {"resumen", control.resumen},
        {"agregado", control.agregado},
        {"casillas", control.casillas},
    };
    for (const auto &l : listas) {
        const QString clave = QString::fromLatin1(l.clave);
        if (!esperado.contains(clave))
            continue;
        const QString obtenido = texto(QVariant(l.lista));
        const QString querido = texto(esperado.value(clave).toArray().toVariantList());
        if (obtenido != querido)
            qWarning().noquote() << clave << "obtained:" << obtenido << "expected:" << querido;
        QCOMPARE(obtenido, querido);
    }
}

QTEST_GUILESS_MAIN(TestGoldenBooks)
#include "tst_goldenbooks.moc"
