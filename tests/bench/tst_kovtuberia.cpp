// Books read through the pipeline (reading, keys, validators on workers, merge in order) give what reading them
// on the job's thread alone, line by line, gives: every list, count and result file, byte for byte.
#include "benchbook.h"
#include "kovcontrol.h"
#include "kovjobtable.h"
#include "kovlibro.h"
#include "kovvalidator.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutexLocker>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(BenchLayout)
Q_DECLARE_METATYPE(BenchVariant)

namespace {

QString json(const QList<QVariant> &lista)
{
    return QString::fromUtf8(QJsonDocument(QJsonArray::fromVariantList(lista)).toJson());
}

// Everything a job leaves: its final record, as every transaction shows it, and its result files.
struct Resultado
{
    QString initError;
    QString registro;
    QString listas;
    QMap<QString, QByteArray> archivos;
};

QByteArray leeArchivo(const QString &ruta)
{
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The request with its JSON changed as given.
QString cambia(const QString &peticion, const QJsonObject &cambios)
{
    QJsonObject objeto = QJsonDocument::fromJson(QByteArray::fromBase64(peticion.toLatin1())).object();
    for (auto it = cambios.begin(); it != cambios.end(); ++it)
        objeto.insert(it.key(), it.value());
    return QString::fromLatin1(QJsonDocument(objeto).toJson(QJsonDocument::Compact).toBase64());
}

// Runs one whole job on this thread, its results under `trabajo`, read in the given way.
Resultado corre(const QString &peticion, const QString &trabajo, bool unHilo)
{
    KovLibro::setLecturaEnLinea(unHilo);
    Resultado r;
    const QString ticket = kovNewJob();
    KovValidator job(ticket, cambia(peticion, {{QStringLiteral("pathHacolKov"), trabajo}}));
    if (!job.init()) {
        r.initError = job.getInitError();
        kovRemoveJob(ticket);
        return r;
    }
    job.run(&gMutex);
    KovControl registro;
    kovGetJob(ticket, &registro);
    kovRemoveJob(ticket);
    KovLibro::setLecturaEnLinea(false);

    KovStatus status = registro.getStatus();
    // The work folder is the one difference the two runs are given.
    status.setPathWork(status.getPathWork().mid(trabajo.size()));
    registro.setStatus(status);
    r.registro = registro.toJson();
    r.listas = json(registro.getResumen()) + json(registro.getAgregado()) + json(registro.getCasillas())
               + json(registro.getAuxResumen());
    QDir carpeta(trabajo);
    for (const QString &archivo : carpeta.entryList(QDir::Files | QDir::Hidden, QDir::Name))
        r.archivos.insert(archivo, leeArchivo(carpeta.filePath(archivo)));
    for (const QString &sub : carpeta.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QDir d(carpeta.filePath(sub));
        for (const QString &periodo : d.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QDir p(d.filePath(periodo));
            for (const QString &archivo : p.entryList(QDir::Files | QDir::Hidden, QDir::Name))
                r.archivos.insert(sub + QLatin1Char('/') + periodo + QLatin1Char('/') + archivo,
                                  leeArchivo(p.filePath(archivo)));
        }
    }
    return r;
}

QtMessageHandler gAnterior = nullptr;

// Every repeated key is logged; the books repeat thousands.
void sinLlavesRepetidas(QtMsgType tipo, const QMessageLogContext &contexto, const QString &texto)
{
    if (texto != QLatin1String("Llave ya existe"))
        gAnterior(tipo, contexto, texto);
}

} // namespace

class TestKovTuberia : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void generatedBook_data();
    void generatedBook();
    void oddBook_data();
    void oddBook();

private:
    void comparaLecturas(const QString &peticion, const QString &carpeta);
};

void TestKovTuberia::initTestCase()
{
    gAnterior = qInstallMessageHandler(sinLlavesRepetidas);
    // Key-index files are named after the time of day and the ticket; other test programs draw from 1 too.
    QMutexLocker lock(&gMutex);
    gTicket = qint64(QCoreApplication::applicationPid()) * 1000;
}

void TestKovTuberia::comparaLecturas(const QString &peticion, const QString &carpeta)
{
    const QString unHilo = carpeta + QStringLiteral("/uno");
    const QString tuberia = carpeta + QStringLiteral("/varios");
    QVERIFY(QDir().mkpath(unHilo));
    QVERIFY(QDir().mkpath(tuberia));
    const Resultado esperado = corre(peticion, unHilo, true);
    const Resultado obtenido = corre(peticion, tuberia, false);
    QVERIFY2(esperado.initError.isEmpty(), qPrintable(esperado.initError));
    QCOMPARE(obtenido.initError, esperado.initError);
    QCOMPARE(obtenido.registro, esperado.registro);
    QCOMPARE(obtenido.listas, esperado.listas);
    QCOMPARE(obtenido.archivos.keys(), esperado.archivos.keys());
    for (const QString &archivo : esperado.archivos.keys())
        QVERIFY2(obtenido.archivos.value(archivo) == esperado.archivos.value(archivo), qPrintable(archivo));
}

void TestKovTuberia::generatedBook_data()
{
    QTest::addColumn<BenchLayout>("layout");
    QTest::addColumn<BenchVariant>("variant");
    QTest::addColumn<int>("lines");
    // Changes to the request: the general variants of the registers, no boxes, no detail.
    QTest::addColumn<QJsonObject>("changes");
    const struct
    {
        const char *name;
        BenchLayout layout;
        const char *general;
    } layouts[] = {
        {"journal", BenchLayout::Journal, nullptr},
        {"purchases", BenchLayout::Purchases, "f080100g"},
        {"sales", BenchLayout::Sales, "f140100g"},
        {"synthetic", BenchLayout::Synthetic, nullptr},
    };
    // More lines than the pipeline holds in flight, so that it fills and waits; the spoiled books stop at their
    // error limit with batches still in flight.
    const int kLineas = 5000;
    for (const auto &l : layouts) {
        for (BenchVariant v : {BenchVariant::Valid, BenchVariant::Shuffled, BenchVariant::ErrorEveryLine,
                               BenchVariant::DuplicateKeys}) {
            const QString fila = QString::fromLatin1(l.name) + QLatin1Char(' ') + benchVariantName(v);
            QTest::newRow(qPrintable(fila)) << l.layout << v << kLineas << QJsonObject();
        }
        if (l.general) {
            QTest::newRow(qPrintable(QString::fromLatin1(l.name) + QStringLiteral(" general")))
                << l.layout << BenchVariant::Valid << kLineas
                << QJsonObject{{QStringLiteral("funcion"), QString::fromLatin1(l.general)}};
        }
    }
    QTest::newRow("purchases without boxes or detail")
        << BenchLayout::Purchases << BenchVariant::Valid << 1500
        << QJsonObject{{QStringLiteral("generateQVR"), 0}, {QStringLiteral("generateDetail"), 0}};
    QTest::newRow("sales of one line") << BenchLayout::Sales << BenchVariant::Valid << 1 << QJsonObject();
}

void TestKovTuberia::generatedBook()
{
    QFETCH(BenchLayout, layout);
    QFETCH(BenchVariant, variant);
    QFETCH(int, lines);
    QFETCH(QJsonObject, changes);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString book = dir.filePath(benchBookName(layout));
    QVERIFY(benchWriteBook(book, layout, lines, variant) > 0);
    comparaLecturas(cambia(benchRequest(layout, book, QString(), benchLayoutValidates(layout)), changes),
                    dir.path());
}

namespace {

// How a generated line is spoiled: every ninth line each way, the others as they were written.
QByteArray estropea(const QByteArray &linea, int i, const QByteArray &clave)
{
    QByteArray l = linea;
    QList<QByteArray> campos = l.split('|');
    switch (i % 9) {
    case 1: return l + "\r";                                                  // a carriage return before the end
    case 2: return l.left(l.size() / 2) + QByteArray("\0", 1) + l.mid(l.size() / 2);  // a NUL byte
    case 3: return l + "a/b|";                                                // an extended field that fails
    case 4: return l.left(l.lastIndexOf('|', l.size() - 2) + 1);             // a field short
    case 5:                                                                   // an earlier line's key
        campos[1] = clave;
        return campos.join('|');
    case 6: return l.replace("|", "|  ");                                     // white space to fold
    case 7: return l + "Ñandú|";                                              // UTF-8 in an extended field
    default: return l;
    }
}

} // namespace

void TestKovTuberia::oddBook_data()
{
    QTest::addColumn<BenchLayout>("layout");
    QTest::addColumn<QByteArray>("kind");
    for (BenchLayout layout : {BenchLayout::Synthetic, BenchLayout::Journal, BenchLayout::Purchases,
                               BenchLayout::Sales}) {
        for (const char *kind : {"mixed", "overflow", "long", "sequence", "headless"})
            QTest::newRow(qPrintable(benchLayoutName(layout) + QLatin1Char(' ') + QLatin1String(kind)))
                << layout << QByteArray(kind);
    }
}

// Books of valid lines with odd ones between them: spoiled in every way a line can be, a line over its own
// error limit with lines after it, lines longer than a batch holds and a last line without its line end, a
// sequence column over spoiled lines, and lines without any field before the first that has them.
void TestKovTuberia::oddBook()
{
    QFETCH(BenchLayout, layout);
    QFETCH(QByteArray, kind);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString ruta = dir.filePath(benchBookName(layout));
    QVERIFY(benchWriteBook(ruta, layout, 600, BenchVariant::Valid) > 0);
    QFile f(ruta);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QList<QByteArray> lineas = f.readAll().split('\n');
    f.close();
    if (lineas.constLast().isEmpty())
        lineas.removeLast();

    QByteArray libro = kind == "headless" ? QByteArray("sin campos\n\nnada\n") : QByteArray();
    for (int i = 0; i < lineas.size(); ++i) {
        QByteArray l = lineas.at(i);
        if (kind == "mixed" || kind == "sequence") {
            // Repeats an earlier line's second field, the key's first part in every layout here.
            l = estropea(l, i, i >= 5 ? lineas.at(i - 5).split('|').value(1) : QByteArray());
        } else if (kind == "overflow" && i == 300) {
            for (int k = 0; k < 1200; ++k)
                l += "a/b|";
        } else if (kind == "long" && i % 97 == 50) {
            l += QByteArray(700 * 1024, 'x') + "|";
        } else if (kind == "headless" && i % 50 == 7) {
            l = i % 100 == 7 ? QByteArray("|") : QByteArray();
        }
        libro += l;
        if (!(kind == "long" && i == lineas.size() - 1))
            libro += '\n';
    }
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(libro), qint64(libro.size()));
    f.close();

    const QString peticion = benchRequest(layout, ruta, QString(), benchLayoutValidates(layout));
    const int columnas = QJsonDocument::fromJson(QByteArray::fromBase64(peticion.toLatin1()))
                             .object().value(QStringLiteral("ncolumnas")).toInt();
    // Extended fields are allowed, and checked; the long ones fail on their length.
    QJsonObject cambios{{QStringLiteral("nextendidas"), columnas + 1300}};
    if (kind == "sequence") {
        // The second column, the key's first part, counts up line by line in every book here.
        QJsonArray layout = QJsonDocument::fromJson(QByteArray::fromBase64(peticion.toLatin1()))
                                .object().value(QStringLiteral("columnas")).toArray();
        QJsonObject segunda = layout.at(1).toObject();
        segunda.insert(QStringLiteral("correlativo"), true);
        layout.replace(1, segunda);
        cambios.insert(QStringLiteral("columnas"), layout);
    }
    comparaLecturas(cambia(peticion, cambios), dir.path());
}

QTEST_GUILESS_MAIN(TestKovTuberia)
#include "tst_kovtuberia.moc"
