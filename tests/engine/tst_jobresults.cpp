// Whole validation jobs run through KovValidator against the job table: what the final record publishes (file
// names, folder, counts, boxes) and what the job leaves on disk.
#include "kovcontrol.h"
#include "kovjobtable.h"
#include "kovrespuesta.h"
#include "kovrules.h"
#include "kovvalidator.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

namespace {

const QString kPrefijo = QStringLiteral("LE2010006660320240100080100");

// A record that fails on a first field "E"; every record counts itself and reports three boxes: a listed one and
// an unlisted one that both end negative, and one whose sum needs rounding.
KovRespuesta validadorCajas(QList<KovColumna> *columnas, ParametrosRegistro *)
{
    KovRespuesta r;
    if (columnas->at(0).getData() == QLatin1String("E"))
        r.addError(55, 0);
    r.addAcumulador(QStringLiteral("cnt_reg_e1"), 1);
    r.addAgregado(QStringLiteral("cdp_cnt_01"), 1);
    r.addCasillas(QStringLiteral("107"), -2.5);
    r.addCasillas(QStringLiteral("102"), -2.5);
    r.addCasillas(QStringLiteral("100"), 0.6);
    return r;
}

QString ticketEnCurso;

// On its first line reports enough errors to stop the reading there and, meanwhile, cancels its own job: the cancel
// then arrives after the job's last cancel read, and only its final write-back can keep it.
KovRespuesta validadorCancelaAlLimite(QList<KovColumna> *, ParametrosRegistro *)
{
    KovRespuesta r;
    for (int i = 0; i < 1001; ++i)
        r.addError(60, 0);
    kovCancelJob(ticketEnCurso);
    return r;
}

QByteArray leeArchivo(const QString &ruta)
{
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QStringList atribs(const QList<QVariant> &lista)
{
    QStringList nombres;
    for (const QVariant &v : lista)
        nombres.append(v.toMap().value(QStringLiteral("atrib")).toString());
    return nombres;
}

QString valorDe(const QList<QVariant> &lista, const QString &atrib)
{
    for (const QVariant &v : lista) {
        if (v.toMap().value(QStringLiteral("atrib")).toString() == atrib)
            return v.toMap().value(QStringLiteral("valor")).toString();
    }
    return QStringLiteral("<none>");
}

QStringList codigos(const KovControl &registro)
{
    QStringList lista;
    for (const QVariant &e : registro.getErrores())
        lista.append(e.toMap().value(QStringLiteral("cod")).toString());
    return lista;
}

QString sha1(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex());
}

// A result file as the job writes it from one of its lists.
QByteArray documento(const QString &clave, const QList<QVariant> &lista)
{
    return QJsonDocument::fromVariant(QVariantMap{{clave, lista}}).toJson();
}

// Everything in a folder, hidden files included, apart from the entries named.
QStringList restos(const QString &carpeta, const QStringList &conocidos = QStringList())
{
    QStringList todo = QDir(carpeta).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &c : conocidos)
        todo.removeAll(c);
    return todo;
}

// Key-index files of the ticket left in the temporary folder.
QStringList indices(const QString &ticket)
{
    return QDir(QDir::tempPath()).entryList({QStringLiteral("*") + ticket + QStringLiteral(".idx")}, QDir::Files);
}

} // namespace

class TestJobResults : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void publishedFiles_data();
    void publishedFiles();
    void bookWithErrorsPublishesNoFiles();
    void unwritableResultFileIsNotPublished_data();
    void unwritableResultFileIsNotPublished();
    void jobsOnOneRequestPublishWholeSets();
    void failedCopyIsNotPublished();
    void overlongLineCountsAsUnread();
    void cancelledJobLeavesOnlyTheCopy();
    void finalWriteBackKeepsALateCancel();

private:
    QJsonObject peticion(const QByteArray &libro, const QJsonObject &cambios = QJsonObject());
    // Runs a whole job on this thread; the record it left in the table, or false when the ticket is gone.
    bool corre(const QJsonObject &peticion, KovControl *registro, bool cancelar = false);
    QString trabajo() const;

    QTemporaryDir *dir = nullptr;
    QString ticket;
};

void TestJobResults::initTestCase()
{
    KovRules::registrarFuncionRegistroPrueba(QStringLiteral("tstCajas"), validadorCajas, 1);
    KovRules::registrarFuncionRegistroPrueba(QStringLiteral("tstCancela"), validadorCancelaAlLimite, 1);
    // Tickets name key-index files in the shared temporary folder; other test programs draw from 1 too.
    QMutexLocker lock(&gMutex);
    gTicket = qint64(QCoreApplication::applicationPid()) * 1000;
}

void TestJobResults::init()
{
    dir = new QTemporaryDir;
    QVERIFY(dir->isValid());
    QVERIFY(QDir().mkpath(dir->filePath(QStringLiteral("base"))));
}

void TestJobResults::cleanup()
{
    if (!ticket.isEmpty())
        kovRemoveJob(ticket);
    ticket.clear();
    delete dir;
    dir = nullptr;
}

QJsonObject TestJobResults::peticion(const QByteArray &libro, const QJsonObject &cambios)
{
    const QString book = dir->filePath(QStringLiteral("LE2010006660320240100080100001111.txt"));
    QFile f(book);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(libro);
    QJsonObject r{{"codigo", "080100"}, {"ruc", "20100066603"}, {"periodo", "20240100"}, {"path", book},
                  {"pathHacolKov", dir->filePath(QStringLiteral("base"))}, {"funcion", "tstCajas"},
                  {"ncolumnas", 1}, {"nextendidas", 1}, {"generateDetail", 1}, {"generateQVR", 1},
                  {"columnas", QJsonArray{QJsonObject{{"longitud", "0"}}}}};
    for (auto it = cambios.begin(); it != cambios.end(); ++it)
        r.insert(it.key(), it.value());
    return r;
}

bool TestJobResults::corre(const QJsonObject &peticion, KovControl *registro, bool cancelar)
{
    ticket = kovNewJob();
    ticketEnCurso = ticket;
    const QString texto = QString::fromLatin1(QJsonDocument(peticion).toJson(QJsonDocument::Compact).toBase64());
    KovValidator job(ticket, texto);
    if (!job.init())
        return false;
    if (cancelar)
        kovCancelJob(ticket);
    job.run(&gMutex);
    return kovGetJob(ticket, registro);
}

QString TestJobResults::trabajo() const
{
    return dir->filePath(QStringLiteral("base/20100066603/20240100080000/"));
}

void TestJobResults::publishedFiles_data()
{
    QTest::addColumn<int>("generateDetail");
    QTest::addColumn<int>("generateQVR");
    QTest::newRow("detail and boxes") << 1 << 1;
    QTest::newRow("detail only") << 1 << 0;
    QTest::newRow("boxes only") << 0 << 1;
    QTest::newRow("flags count only as 1") << 2 << 2;
}

// A clean book publishes the folder and exactly the names of the files written, and the files are what the record
// holds: the copy byte for byte, the boxes rounded and clamped.
void TestJobResults::publishedFiles()
{
    QFETCH(int, generateDetail);
    QFETCH(int, generateQVR);

    const QByteArray libro = "A|\nB|\n";
    KovControl registro;
    QVERIFY(corre(peticion(libro, {{"generateDetail", generateDetail}, {"generateQVR", generateQVR}}), &registro));
    const KovStatus status = registro.getStatus();
    QCOMPARE(status.getAvance(), 100);
    QCOMPARE(status.getNerrores(), qint64(0));
    QVERIFY(!status.isRunning());
    QCOMPARE(status.getPathWork(), trabajo());

    const QString detalle = kPrefijo + QStringLiteral("00111199.txt");
    const QString resumen = generateDetail == 1 ? kPrefijo + QStringLiteral("00011198.txt") : QString();
    const QString agregado = generateDetail == 1 ? kPrefijo + QStringLiteral("00111197.txt") : QString();
    const QString casillas = generateQVR == 1 ? kPrefijo + QStringLiteral("00111196.txt") : QString();
    QCOMPARE(status.getNameFileDetail(), detalle);
    QCOMPARE(status.getNameFileResumen(), resumen);
    QCOMPARE(status.getNameFileAgregado(), agregado);
    QCOMPARE(status.getNameFileCasillas(), casillas);
    QStringList escritos{detalle, resumen, agregado, casillas};
    escritos.removeAll(QString());
    escritos.sort();
    QCOMPARE(QDir(trabajo()).entryList(QDir::Files, QDir::Name), escritos);
    QCOMPARE(leeArchivo(trabajo() + detalle), libro);

    QCOMPARE(atribs(registro.getResumen()),
             (QStringList{"cnt_reg_e1", "cod_hash", "cod_hash_det", "cnt_reg_det", "cnt_tam_det"}));
    QCOMPARE(valorDe(registro.getResumen(), QStringLiteral("cnt_reg_e1")), QStringLiteral("2"));
    QCOMPARE(valorDe(registro.getResumen(), QStringLiteral("cnt_tam_det")), QString::number(libro.size()));
    const QList<QVariant> cajas = registro.getCasillas();
    QCOMPARE(atribs(cajas), (QStringList{"107", "102", "100"}));
    QCOMPARE(cajas.at(0).toMap().value(QStringLiteral("valor")), QVariant(QStringLiteral("0")));
    QCOMPARE(cajas.at(1).toMap().value(QStringLiteral("valor")), QVariant(-5.0));
    QCOMPARE(cajas.at(2).toMap().value(QStringLiteral("valor")), QVariant(1.0));
    QVERIFY(registro.toJson().contains(QStringLiteral("\"valor\": -5\n")));
    if (!resumen.isEmpty()) {
        const QVariantMap documento{{"resumen", registro.getResumen()}};
        QCOMPARE(leeArchivo(trabajo() + resumen), QJsonDocument::fromVariant(documento).toJson());
    }
    if (!casillas.isEmpty()) {
        QCOMPARE(leeArchivo(trabajo() + casillas),
                 QByteArray("{\n    \"casillas\": [\n        {\n            \"atrib\": \"107\",\n"
                            "            \"valor\": \"0\"\n        },\n        {\n            \"atrib\": \"102\",\n"
                            "            \"valor\": -5\n        },\n        {\n            \"atrib\": \"100\",\n"
                            "            \"valor\": 1\n        }\n    ]\n}\n"));
    }
    QCOMPARE(indices(ticket), QStringList());
}

// Errors leave the summary with the reading totals only: no copy, no hashes, no result file, no published name;
// the boxes are still rounded and clamped.
void TestJobResults::bookWithErrorsPublishesNoFiles()
{
    KovControl registro;
    QVERIFY(corre(peticion("A|\nE|\n"), &registro));
    const KovStatus status = registro.getStatus();
    QCOMPARE(status.getAvance(), 100);
    QCOMPARE(status.getNerrores(), qint64(1));
    QCOMPARE(codigos(registro), QStringList{QStringLiteral("055")});
    QCOMPARE(atribs(registro.getResumen()), QStringList{QStringLiteral("cnt_reg_e1")});
    QVERIFY(status.getNameFileResumen().isEmpty());
    QVERIFY(status.getNameFileAgregado().isEmpty());
    QVERIFY(status.getNameFileCasillas().isEmpty());
    QCOMPARE(QDir(trabajo()).entryList(QDir::Files), QStringList());
    QCOMPARE(registro.getCasillas().at(0).toMap().value(QStringLiteral("valor")), QVariant(QStringLiteral("0")));
    QCOMPARE(registro.getCasillas().at(1).toMap().value(QStringLiteral("valor")), QVariant(-5.0));
    QCOMPARE(indices(ticket), QStringList());
}

void TestJobResults::unwritableResultFileIsNotPublished_data()
{
    QTest::addColumn<QString>("bloqueado");
    QTest::newRow("summary") << kPrefijo + QStringLiteral("00011198.txt");
    QTest::newRow("aggregate") << kPrefijo + QStringLiteral("00111197.txt");
    QTest::newRow("boxes") << kPrefijo + QStringLiteral("00111196.txt");
}

// A result file that cannot be written, as on a full disk, fails the job's whole set: error 999 counts in the final
// status, no name is published, and none of the job's files (copy and summary included) is left in the folder.
void TestJobResults::unwritableResultFileIsNotPublished()
{
    QFETCH(QString, bloqueado);
    QVERIFY(QDir().mkpath(trabajo() + bloqueado + QStringLiteral("/keep")));
    KovControl registro;
    QVERIFY(corre(peticion("A|\n"), &registro));
    const KovStatus status = registro.getStatus();
    QCOMPARE(codigos(registro), QStringList{QStringLiteral("999")});
    QCOMPARE(status.getNerrores(), qint64(1));
    QCOMPARE(status.getNameFileDetail(), QString());
    QCOMPARE(status.getNameFileResumen(), QString());
    QCOMPARE(status.getNameFileAgregado(), QString());
    QCOMPARE(status.getNameFileCasillas(), QString());
    QCOMPARE(restos(trabajo(), {bloqueado}), QStringList());
}

// Jobs on one request (one work folder, the same names) started together, as a client's retry does, over and over.
// Their two books differ, so every file tells whose it is. Each job hashes the bytes it copied, and what stands under
// the names once both have ended is one job's whole set: the copy whose hash the summary holds, beside that job's
// aggregates and boxes.
void TestJobResults::jobsOnOneRequestPublishWholeSets()
{
    QByteArray libros[2];
    QString textos[2];
    for (int k = 0; k < 2; ++k) {
        const QByteArray linea = QByteArray(64 * 1024, char('a' + k)) + "|\n";
        for (int i = 0; i < 24 + k; ++i)
            libros[k] += linea;
        const QString carpeta = dir->filePath(QStringLiteral("libro%1").arg(k));
        QVERIFY(QDir().mkpath(carpeta));
        QJsonObject r = peticion(libros[k]);
        const QString ruta = carpeta + QStringLiteral("/LE2010006660320240100080100001111.txt");
        QVERIFY(QFile::rename(r.value(QStringLiteral("path")).toString(), ruta));
        r.insert(QStringLiteral("path"), ruta);
        textos[k] = QString::fromLatin1(QJsonDocument(r).toJson(QJsonDocument::Compact).toBase64());
    }
    const QString detalle = kPrefijo + QStringLiteral("00111199.txt");
    const QString resumen = kPrefijo + QStringLiteral("00011198.txt");
    const QString agregado = kPrefijo + QStringLiteral("00111197.txt");
    const QString casillas = kPrefijo + QStringLiteral("00111196.txt");

    for (int ronda = 0; ronda < 12; ++ronda) {
        QString tickets[2];
        bool listos[2] = {false, false};
        QSemaphore preparados;
        QSemaphore salida;
        QThread *hilos[2];
        for (int k = 0; k < 2; ++k) {
            tickets[k] = kovNewJob();
            hilos[k] = QThread::create([&, k] {
                KovValidator job(tickets[k], textos[k]);
                listos[k] = job.init();
                preparados.release();
                salida.acquire();
                if (listos[k])
                    job.run(&gMutex);
            });
            hilos[k]->start();
        }
        preparados.acquire(2);
        salida.release(2);
        for (QThread *hilo : hilos) {
            hilo->wait();
            delete hilo;
        }

        KovControl registros[2];
        for (int k = 0; k < 2; ++k) {
            QVERIFY(listos[k]);
            QVERIFY(kovGetJob(tickets[k], &registros[k]));
            kovRemoveJob(tickets[k]);
            const QList<QVariant> suma = registros[k].getResumen();
            QCOMPARE(codigos(registros[k]), QStringList());
            QCOMPARE(registros[k].getStatus().getNameFileDetail(), detalle);
            QCOMPARE(registros[k].getStatus().getNameFileCasillas(), casillas);
            QCOMPARE(valorDe(suma, QStringLiteral("cod_hash")), sha1(libros[k]));
            QCOMPARE(valorDe(suma, QStringLiteral("cod_hash_det")), sha1(libros[k]));
            QCOMPARE(valorDe(suma, QStringLiteral("cnt_tam_det")), QString::number(libros[k].size()));
        }

        const QByteArray copia = leeArchivo(trabajo() + detalle);
        const int k = copia == libros[0] ? 0 : copia == libros[1] ? 1 : -1;
        QVERIFY2(k >= 0, qPrintable(QStringLiteral("round %1: the copy is neither book").arg(ronda)));
        QCOMPARE(leeArchivo(trabajo() + resumen), documento(QStringLiteral("resumen"), registros[k].getResumen()));
        QCOMPARE(leeArchivo(trabajo() + agregado), documento(QStringLiteral("agregado"), registros[k].getAgregado()));
        QCOMPARE(leeArchivo(trabajo() + casillas), documento(QStringLiteral("casillas"), registros[k].getCasillas()));
        QCOMPARE(restos(trabajo(), {detalle, resumen, agregado, casillas}), QStringList());
    }
    ticket.clear();
}

// A copy that would land outside the base is not made, and no name stands for it.
void TestJobResults::failedCopyIsNotPublished()
{
    KovControl registro;
    QVERIFY(corre(peticion("A|\n", {{"ruc", "../../fuera"}}), &registro));
    const KovStatus status = registro.getStatus();
    QCOMPARE(codigos(registro), QStringList{QStringLiteral("999")});
    QCOMPARE(status.getNerrores(), qint64(1));
    QVERIFY(status.getNameFileDetail().isEmpty());
    QVERIFY(status.getNameFileResumen().isEmpty());
    QVERIFY(!QFileInfo::exists(dir->filePath(QStringLiteral("fuera"))));
    QVERIFY(!QFileInfo::exists(QFileInfo(dir->path()).path() + QStringLiteral("/fuera")));
}

// A line past 16 MiB ends the reading as a failed read does: the book counts as not read to its end (error 44).
// The copy comes before that error, as for any book clean so far.
void TestJobResults::overlongLineCountsAsUnread()
{
    QByteArray libro = "A|\n";
    libro += QByteArray(16 * 1024 * 1024 + 1, 'x');
    libro += "\nB|\n";
    KovControl registro;
    QVERIFY(corre(peticion(libro), &registro));
    const KovStatus status = registro.getStatus();
    QCOMPARE(status.getRegistros(), qint64(1));
    QCOMPARE(codigos(registro), QStringList{QStringLiteral("044")});
    QCOMPARE(status.getNerrores(), qint64(1));
    QVERIFY(status.getNameFileResumen().isEmpty());
    QCOMPARE(QFileInfo(trabajo() + status.getNameFileDetail()).size(), qint64(libro.size()));
}

// A cancelled job logs it, leaves the table and deletes its key index; of its files only the copy is made.
void TestJobResults::cancelledJobLeavesOnlyTheCopy()
{
    QTest::ignoreMessage(QtDebugMsg, "Se cancelo el proceso");
    KovControl registro;
    QVERIFY(!corre(peticion("A|\nB|\n"), &registro, true));
    QCOMPARE(indices(ticket), QStringList());
    QCOMPARE(restos(trabajo()), QStringList{kPrefijo + QStringLiteral("00111199.txt")});
}

// A cancel set after the job's last cancel read survives the final write-back: the job ends normally and its record
// still shows the request.
void TestJobResults::finalWriteBackKeepsALateCancel()
{
    KovControl registro;
    QVERIFY(corre(peticion("L|\nB|\n", {{"funcion", "tstCancela"}}), &registro));
    const KovStatus status = registro.getStatus();
    QVERIFY(status.isCancel());
    QVERIFY(!status.isRunning());
    QCOMPARE(status.getAvance(), 100);
    QCOMPARE(status.getRegistros(), qint64(1));
    // One line keeps at most 1000 errors of its own.
    QCOMPARE(codigos(registro).count(QStringLiteral("060")), 1000);
    QCOMPARE(codigos(registro).mid(1000), (QStringList{"010", "044"}));
}

QTEST_GUILESS_MAIN(TestJobResults)
#include "tst_jobresults.moc"
