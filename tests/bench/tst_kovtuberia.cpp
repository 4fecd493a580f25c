// Books read through the pipeline (reading, keys, validators on workers, merge in order) give what reading them
// on the job's thread alone, line by line, gives: every list, count and result file, byte for byte. And a stop of
// the pipeline waits for none of its stages, wherever they are held.
#include "benchbook.h"
#include "kovcontrol.h"
#include "kovhilos.h"
#include "kovjobtable.h"
#include "kovlibro.h"
#include "kovlote.h"
#include "kovtuberia.h"
#include "kovvalidator.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutexLocker>
#include <QSemaphore>
#include <QSharedPointer>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <memory>

Q_DECLARE_METATYPE(BenchLayout)
Q_DECLARE_METATYPE(BenchVariant)

namespace {

QString json(const QList<QVariant> &lista)
{
    return QString::fromUtf8(QJsonDocument(QJsonArray::fromVariantList(lista)).toJson());
}

// What a job published while it ran: after how many merged lines each record was, and for those asked, the record
// as 140 and 150 answer it.
struct Publicaciones
{
    QList<qint64> lineas;
    QMap<qint64, QString> respuestas;
    const QMap<qint64, QString> *buscadas = nullptr;
};

Publicaciones *gPublicaciones = nullptr;

void anotaPublicacion(const KovControl &publicado, qint64 lineas)
{
    Publicaciones *p = gPublicaciones;
    if (!p)
        return;
    p->lineas.append(lineas);
    if (p->buscadas && !p->buscadas->contains(lineas))
        return;
    // The work folder, which the final record names, is the one difference the runs are given.
    KovControl visto = publicado;
    KovStatus status = visto.getStatus();
    status.setPathWork(QString());
    visto.setStatus(status);
    p->respuestas.insert(lineas, visto.getStatus().toJson() + visto.toJson());
}

// Everything a job leaves: its final record, as every transaction shows it, and its result files; and how often it
// took the table's lock.
struct Resultado
{
    QString initError;
    QString registro;
    QString listas;
    QMap<QString, QByteArray> archivos;
    qint64 tomas = 0;
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

// Runs one whole job on this thread, its results under `trabajo`, read in the given way; what it publishes goes to
// `publicaciones`, every line of it when `porLinea`.
Resultado corre(const QString &peticion, const QString &trabajo, bool unHilo,
                Publicaciones *publicaciones = nullptr, bool porLinea = false)
{
    KovLibro::setLecturaEnLinea(unHilo);
    KovValidator::setPublishEveryLine(porLinea);
    gPublicaciones = publicaciones;
    KovValidator::setPublishWatcher(anotaPublicacion);
    Resultado r;
    const QString ticket = kovNewJob();
    KovValidator job(ticket, cambia(peticion, {{QStringLiteral("pathHacolKov"), trabajo}}));
    if (!job.init()) {
        r.initError = job.getInitError();
        kovRemoveJob(ticket);
        return r;
    }
    job.run(&gMutex);
    r.tomas = job.getTableTakings();
    KovValidator::setPublishWatcher(nullptr);
    gPublicaciones = nullptr;
    KovValidator::setPublishEveryLine(false);
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

const int kWait = 20000;
const int kLineas = 128;
// What a batch of a book holds at most, in lines, and the bytes past which it takes no further line.
const qint64 kLineasLote = 128;
const qint64 kBytesLote = 256 * 1024;

// Stages a test drives: the reading makes `lotes` batches of kLineas lines, and the checks stop between lines once
// the stop is set, as the engine's do. One stage is held, until let go: the reading as it fills batch `lote`, or
// the checks at line `linea` of batch `lote`. What the held thread, or the key stage, began once let go is
// counted: nothing should be.
struct Retenidas
{
    // Which of them it is, for the thread that was held by it.
    const int serie = siguienteSerie();
    int lotes = 1;
    int lote = 0;
    int linea = -1;
    QSemaphore llego;
    QSemaphore suelta;
    std::atomic<bool> alto{false};
    std::atomic<bool> soltada{false};
    std::atomic<bool> detenida{false};
    std::atomic<int> leidos{0};
    std::atomic<int> tardias{0};
    std::atomic<int> clavesTardias{0};
    std::atomic<int> clavesGuardadas{0};

    static int siguienteSerie()
    {
        static std::atomic<int> series{0};
        return ++series;
    }
};

thread_local int tRetenido = 0;

KovTuberia::Etapas etapasRetenidas(const QSharedPointer<Retenidas> &r)
{
    KovTuberia::Etapas etapas;
    etapas.lee = [r](KovLote *lote) {
        if (tRetenido == r->serie && r->soltada.load())
            ++r->tardias;
        const int n = r->leidos++;
        lote->primera = qint64(n) * kLineas;
        if (r->linea < 0 && n == r->lote) {
            tRetenido = r->serie;
            r->llego.release();
            r->suelta.acquire();
        }
        for (int i = 0; i < kLineas; ++i) {
            KovLote::Linea linea;
            lote->lineas.push_back(linea);
        }
        lote->bytes = kLineas;
        lote->fin = n + 1 >= r->lotes;
    };
    etapas.revisa = [r](KovLote *lote) {
        const int n = int(lote->primera / kLineas);
        for (int i = 0; i < int(lote->lineas.size()); ++i) {
            if (r->alto.load())
                return;
            if (tRetenido == r->serie && r->soltada.load())
                ++r->tardias;
            if (n == r->lote && i == r->linea) {
                tRetenido = r->serie;
                r->llego.release();
                r->suelta.acquire();
            }
        }
    };
    etapas.claves = [r](KovLote *) {
        if (r->detenida.load())
            ++r->clavesTardias;
        ++r->clavesGuardadas;
    };
    return etapas;
}

// Runs the call on a thread of its own and tells whether it returned within ms; it is waited for in any case.
bool vuelveAntes(const std::function<void()> &llamada, int ms, const std::function<void()> &suelta)
{
    QScopedPointer<QThread> hilo(QThread::create(llamada));
    hilo->start();
    const bool vuelve = hilo->wait(ms);
    if (!vuelve) {
        suelta();
        hilo->wait();
    }
    return vuelve;
}

} // namespace

class TestKovTuberia : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void stopWaitsForNoStage_data();
    void stopWaitsForNoStage();
    void heldReadingsAreBounded();
    void generatedBook_data();
    void generatedBook();
    void oddBook_data();
    void oddBook();

private:
    void comparaLecturas(const QString &peticion, const QString &carpeta);
    void comparaPublicaciones(const Publicaciones &publicadas, const Publicaciones &cadaLinea, qint64 tomas,
                              qint64 tomasPorLinea, const QString &peticion);
};

void TestKovTuberia::initTestCase()
{
    gAnterior = qInstallMessageHandler(sinLlavesRepetidas);
    // Key-index files are named after the time of day and the ticket; other test programs draw from 1 too.
    QMutexLocker lock(&gMutex);
    gTicket = qint64(QCoreApplication::applicationPid()) * 1000;
}

void TestKovTuberia::stopWaitsForNoStage_data()
{
    QTest::addColumn<int>("lotes");
    QTest::addColumn<int>("lote");
    QTest::addColumn<int>("linea");
    // Held at the first batch, the second, one with as many batches after it as the pipeline holds in flight, and
    // the last; the checks at the first line, one inside and the last of their batch.
    for (int lotes : {1, 4, 40}) {
        QList<int> retenidos;
        for (int lote : {0, 1, lotes / 2, lotes - 1}) {
            if (lote < lotes && !retenidos.contains(lote))
                retenidos.append(lote);
        }
        for (int lote : retenidos) {
            for (int linea : {-1, 0, kLineas / 2, kLineas - 1}) {
                const QString fila = QStringLiteral("%1 batches, %2 held at batch %3")
                                         .arg(lotes)
                                         .arg(linea < 0 ? QStringLiteral("reading")
                                                        : QStringLiteral("checks of line %1").arg(linea))
                                         .arg(lote);
                QTest::newRow(qPrintable(fila)) << lotes << lote << linea;
            }
        }
    }
}

// The merge takes the batches before the held one; the stop then returns while the stage is held, the pipeline is
// destroyed, and once let go the held stage begins nothing more and the key stage is never called again.
void TestKovTuberia::stopWaitsForNoStage()
{
    QFETCH(int, lotes);
    QFETCH(int, lote);
    QFETCH(int, linea);
    const QSharedPointer<Retenidas> r = QSharedPointer<Retenidas>::create();
    r->lotes = lotes;
    r->lote = lote;
    r->linea = linea;
    std::unique_ptr<KovTuberia> tuberia(new KovTuberia);
    QVERIFY(tuberia->inicia(etapasRetenidas(r)));
    for (int i = 0; i < lote; ++i) {
        std::shared_ptr<KovLote> listo = tuberia->siguiente();
        QVERIFY(listo);
        QCOMPARE(listo->primera, qint64(i) * kLineas);
        tuberia->devuelve(std::move(listo));
    }
    QVERIFY(r->llego.tryAcquire(1, kWait));

    r->alto.store(true);
    const auto suelta = [r] {
        r->soltada.store(true);
        r->suelta.release(10);
    };
    QVERIFY(vuelveAntes([&tuberia] { tuberia->detiene(); }, kWait, suelta));
    r->detenida.store(true);
    tuberia.reset();
    QVERIFY(!r->soltada.load());

    suelta();
    QVERIFY(KovHilos::esperaQuietud(kWait));
    QCOMPARE(r->tardias.load(), 0);
    QCOMPARE(r->clavesTardias.load(), 0);
    QVERIFY(r->clavesGuardadas.load() <= lotes);
}

// Readings held in a read once their pipeline stopped are bounded: past a few, a pipeline does not start, and the
// book is read on its job's thread instead; once the reads return, pipelines start again and read to the end.
void TestKovTuberia::heldReadingsAreBounded()
{
    QList<QSharedPointer<Retenidas>> retenidas;
    int sueltas = 0;
    for (; sueltas < 64; ++sueltas) {
        const QSharedPointer<Retenidas> r = QSharedPointer<Retenidas>::create();
        r->lotes = 3;
        KovTuberia tuberia;
        if (!tuberia.inicia(etapasRetenidas(r)))
            break;
        retenidas.append(r);
        QVERIFY(r->llego.tryAcquire(1, kWait));
        r->alto.store(true);
        QVERIFY(vuelveAntes([&tuberia] { tuberia.detiene(); }, kWait, [r] { r->suelta.release(); }));
    }
    QVERIFY2(sueltas > 0 && sueltas < 64, QByteArray::number(sueltas).constData());
    for (const QSharedPointer<Retenidas> &r : retenidas)
        r->suelta.release();
    QVERIFY(KovHilos::esperaQuietud(kWait));

    const QSharedPointer<Retenidas> r = QSharedPointer<Retenidas>::create();
    r->lotes = 3;
    r->lote = -1;
    KovTuberia tuberia;
    QVERIFY(tuberia.inicia(etapasRetenidas(r)));
    for (int i = 0; i < 3; ++i) {
        std::shared_ptr<KovLote> listo = tuberia.siguiente();
        QVERIFY(listo);
        QCOMPARE(listo->fin, i == 2);
    }
    QVERIFY(!tuberia.siguiente());
    QCOMPARE(r->clavesGuardadas.load(), 3);
}

void TestKovTuberia::comparaLecturas(const QString &peticion, const QString &carpeta)
{
    const QString unHilo = carpeta + QStringLiteral("/uno");
    const QString tuberia = carpeta + QStringLiteral("/varios");
    const QString porLinea = carpeta + QStringLiteral("/lineas");
    QVERIFY(QDir().mkpath(unHilo));
    QVERIFY(QDir().mkpath(tuberia));
    QVERIFY(QDir().mkpath(porLinea));
    const Resultado esperado = corre(peticion, unHilo, true);
    Publicaciones publicadas;
    const Resultado obtenido = corre(peticion, tuberia, false, &publicadas);
    // Again, the record published after every line: it must have shown the same at every line the run above did.
    Publicaciones cadaLinea;
    cadaLinea.buscadas = &publicadas.respuestas;
    const Resultado plano = corre(peticion, porLinea, false, &cadaLinea, true);
    QVERIFY2(esperado.initError.isEmpty(), qPrintable(esperado.initError));
    for (const Resultado *r : {&obtenido, &plano}) {
        QCOMPARE(r->initError, esperado.initError);
        QCOMPARE(r->registro, esperado.registro);
        QCOMPARE(r->listas, esperado.listas);
        QCOMPARE(r->archivos.keys(), esperado.archivos.keys());
        for (const QString &archivo : esperado.archivos.keys())
            QVERIFY2(r->archivos.value(archivo) == esperado.archivos.value(archivo), qPrintable(archivo));
    }
    comparaPublicaciones(publicadas, cadaLinea, obtenido.tomas, plano.tomas, peticion);
}

// The publications of a batch's end are those the same lines published one by one, never more than a batch apart,
// and the lock is taken for nothing else: once at the entry and once per publication, the last included.
void TestKovTuberia::comparaPublicaciones(const Publicaciones &publicadas, const Publicaciones &cadaLinea,
                                          qint64 tomas, qint64 tomasPorLinea, const QString &peticion)
{
    QVERIFY(!publicadas.lineas.isEmpty());
    const qint64 lineas = cadaLinea.lineas.constLast();
    QCOMPARE(publicadas.lineas.constLast(), lineas);
    QCOMPARE(tomasPorLinea, qint64(cadaLinea.lineas.size()) + 1);
    QCOMPARE(tomas, qint64(publicadas.lineas.size()) + 1);
    for (qint64 l = 1; l <= lineas; ++l)
        QCOMPARE(cadaLinea.lineas.at(int(l - 1)), l);
    qint64 antes = 0;
    for (const qint64 l : publicadas.lineas) {
        QVERIFY2(l - antes <= kLineasLote, qPrintable(QStringLiteral("%1 after %2").arg(l).arg(antes)));
        antes = l;
    }
    for (auto it = publicadas.respuestas.constBegin(); it != publicadas.respuestas.constEnd(); ++it)
        QVERIFY2(cadaLinea.respuestas.value(it.key()) == it.value(), qPrintable(QString::number(it.key())));
    // Batches end at their lines or at their bytes.
    const QString libro = QJsonDocument::fromJson(QByteArray::fromBase64(peticion.toLatin1()))
                              .object().value(QStringLiteral("path")).toString();
    const qint64 lotes = (lineas + kLineasLote - 1) / kLineasLote + QFileInfo(libro).size() / kBytesLote + 1;
    QVERIFY2(tomas <= lotes + 2, qPrintable(QStringLiteral("%1 of %2 lines").arg(tomas).arg(lineas)));
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
