#include "kovresultados.h"

#include "abandonofixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <cstdio>
#include <cstdlib>

#include <poll.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// Set in a copy of this program that stands for another process writing a temporary file: "set" makes one as a
// job does, in the folder ORVANTIS_TEMPORAL_EN names; "lock" holds the lock of the file it names.
const char kSostiene[] = "ORVANTIS_SOSTIENE";
const char kSostieneEn[] = "ORVANTIS_TEMPORAL_EN";

QByteArray leeArchivo(const QString &ruta)
{
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QStringList todo(const QString &carpeta)
{
    QStringList lista = QDir(carpeta).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    lista.sort();
    return lista;
}

std::function<bool(QFile *)> escribeTexto(const QByteArray &texto)
{
    return [texto](QFile *archivo) { return archivo->write(texto) == texto.size(); };
}

// The other process: says which file it holds, holds it until its input ends, and then ends as a killed process
// would, leaving the file where it is with nobody holding it.
int sostieneTemporal()
{
    const QString en = qEnvironmentVariable(kSostieneEn);
    QString ruta = en;
    if (qEnvironmentVariable(kSostiene) == QLatin1String("set")) {
        KovResultados *set = new KovResultados;
        set->setEtiqueta(QStringLiteral("12"));
        const int fd = set->abreTemporal(QDir(en).filePath(QStringLiteral("a.txt")), &ruta);
        if (fd < 0 || ::write(fd, "a", 1) != 1 || ::close(fd) != 0)
            return 1;
    } else {
        const int fd = ::open(QFile::encodeName(en).constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0 || ::flock(fd, LOCK_EX) != 0)
            return 1;
    }
    std::printf("%s\n", QFile::encodeName(ruta).constData());
    std::fflush(stdout);
    char resto[64];
    while (std::fread(resto, 1, sizeof resto, stdin) > 0) {
    }
    std::_Exit(0);
}

// The other process of sweepsNeverTakeANewTemporary: makes a temporary in the folder over and over, as jobs of
// another service would, each set sweeping the folder first, until its input ends; then says how often.
int barreHastaElFin(const QString &carpeta)
{
    std::printf("sweeping\n");
    std::fflush(stdout);
    long rondas = 0;
    forever {
        pollfd entrada = {0, POLLIN, 0};
        if (::poll(&entrada, 1, 0) > 0)
            break;
        KovResultados set;
        QString temporal;
        const int fd = set.abreTemporal(QDir(carpeta).filePath(QStringLiteral("s.txt")), &temporal);
        if (fd >= 0)
            ::close(fd);
        ++rondas;
    }
    std::printf("%ld\n", rondas);
    return 0;
}

// Whether this system lets the test make a PID namespace and choose the ids in it.
bool conEspaciosDePid()
{
    if (::geteuid() != 0)
        return false;
    QProcess prueba;
    prueba.start(QStringLiteral("unshare"), {QStringLiteral("--pid"), QStringLiteral("--fork"),
                                             QStringLiteral("--mount-proc"), QStringLiteral("true")});
    return prueba.waitForFinished(10000) && prueba.exitStatus() == QProcess::NormalExit && prueba.exitCode() == 0;
}

} // namespace

class TestKovResultados : public QObject
{
    Q_OBJECT

private slots:
    void nothingUnderTheNamesUntilPublished();
    void failedWriteLeavesNothing();
    void unpublishedFilesGoWithTheSet();
    void setsPublishedAtOnceStayWhole();
    void leftoversOfEndedProcessesGo_data();
    void leftoversOfEndedProcessesGo();
    void heldTemporariesStay_data();
    void heldTemporariesStay();
    void sweepsNeverTakeANewTemporary();
};

// Written files wait under hidden names of their own, one per file even for one name, and reach their names only
// when the set is published.
void TestKovResultados::nothingUnderTheNamesUntilPublished()
{
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("a.txt"));
    const QString b = dir.filePath(QStringLiteral("b.txt"));
    KovResultados set;
    set.setEtiqueta(QStringLiteral("12/../x"));
    QVERIFY(set.escribe(a, escribeTexto("first")));
    QVERIFY(set.escribe(b, escribeTexto("b")));
    QVERIFY(set.escribe(a, escribeTexto("second")));
    const QStringList esperando = todo(dir.path());
    QCOMPARE(esperando.size(), 3);
    for (const QString &nombre : esperando)
        QVERIFY2(nombre.startsWith(QLatin1String(".kov-")) && nombre.contains(QLatin1String("-12x-")),
                 qPrintable(nombre));
    QVERIFY(set.publica(dir.path()));
    QCOMPARE(todo(dir.path()), (QStringList{"a.txt", "b.txt"}));
    QCOMPARE(leeArchivo(a), QByteArray("second"));
    QCOMPARE(leeArchivo(b), QByteArray("b"));
}

// A file not written whole, or meant for a name a directory holds, leaves nothing behind; the other files of the set
// are still there to publish or drop.
void TestKovResultados::failedWriteLeavesNothing()
{
    QTemporaryDir dir;
    QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("dir.txt/keep"))));
    KovResultados set;
    QVERIFY(set.escribe(dir.filePath(QStringLiteral("a.txt")), escribeTexto("a")));
    QVERIFY(!set.escribe(dir.filePath(QStringLiteral("b.txt")), [](QFile *archivo) {
        archivo->write("half");
        return false;
    }));
    QVERIFY(!set.escribe(dir.filePath(QStringLiteral("dir.txt")), escribeTexto("d")));
    QVERIFY(!set.escribe(dir.filePath(QStringLiteral("missing/c.txt")), escribeTexto("c")));
    QCOMPARE(todo(dir.path()).size(), 2);
    set.descarta();
    QCOMPARE(todo(dir.path()), QStringList{QStringLiteral("dir.txt")});
}

// A set that is destroyed unpublished removes its files; one whose publication fails leaves none of them, and the
// files that stood under the names before are untouched.
void TestKovResultados::unpublishedFilesGoWithTheSet()
{
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("a.txt"));
    const QString b = dir.filePath(QStringLiteral("b.txt"));
    QFile viejo(a);
    QVERIFY(viejo.open(QIODevice::WriteOnly));
    viejo.write("earlier");
    viejo.close();
    {
        KovResultados set;
        QVERIFY(set.escribe(a, escribeTexto("new")));
    }
    QCOMPARE(todo(dir.path()), QStringList{QStringLiteral("a.txt")});

    KovResultados set;
    QVERIFY(set.escribe(a, escribeTexto("new")));
    QVERIFY(set.escribe(b, escribeTexto("new")));
    QVERIFY(QDir().mkpath(b + QStringLiteral("/keep")));
    QVERIFY(!set.publica(dir.path()));
    QCOMPARE(todo(dir.path()), (QStringList{"a.txt", "b.txt"}));
    QCOMPARE(leeArchivo(a), QByteArray("earlier"));
    QVERIFY(QFileInfo(b).isDir());
}

// Sets for the same names published at the same moment take turns: afterwards every name holds the same set's file.
void TestKovResultados::setsPublishedAtOnceStayWhole()
{
    QTemporaryDir dir;
    const QStringList nombres{"a.txt", "b.txt", "c.txt", "d.txt", "e.txt", "f.txt"};
    const int kSets = 6;
    for (int ronda = 0; ronda < 200; ++ronda) {
        QSemaphore escritos;
        QSemaphore salida;
        QAtomicInt fallos;
        QList<QThread *> hilos;
        for (int k = 0; k < kSets; ++k) {
            hilos.append(QThread::create([&, k] {
                KovResultados set;
                for (const QString &nombre : nombres) {
                    if (!set.escribe(dir.filePath(nombre), escribeTexto(QByteArray::number(k))))
                        fallos.ref();
                }
                escritos.release();
                salida.acquire();
                if (!set.publica(dir.path()))
                    fallos.ref();
            }));
            hilos.last()->start();
        }
        escritos.acquire(kSets);
        salida.release(kSets);
        for (QThread *hilo : hilos) {
            hilo->wait();
            delete hilo;
        }
        QCOMPARE(fallos.loadAcquire(), 0);
        const QByteArray primero = leeArchivo(dir.filePath(nombres.first()));
        for (const QString &nombre : nombres)
            QCOMPARE(leeArchivo(dir.filePath(nombre)), primero);
        QCOMPARE(todo(dir.path()), nombres);
    }
}

// A temporary that nobody holds was left by a writer that is gone, whatever process id its name carries: in another
// PID namespace the id of a live writer may be any, here that of a process that runs or of none.
void TestKovResultados::leftoversOfEndedProcessesGo_data()
{
    columnasDeBarrido();

    const QString propio = QString::number(QCoreApplication::applicationPid());
    QTest::newRow("ended process") << QStringLiteral(".kov-4194305-12-0.tmp") << Planta::Archivo << false;
    QTest::newRow("ended process, no label") << QStringLiteral(".kov-4194305--7.tmp") << Planta::Archivo << false;
    QTest::newRow("this process") << QStringLiteral(".kov-%1-12-0.tmp").arg(propio) << Planta::Archivo << true;
    QTest::newRow("the id of a running process") << QStringLiteral(".kov-1-12-0.tmp") << Planta::Archivo << false;
    QTest::newRow("process id 0") << QStringLiteral(".kov-0-12-0.tmp") << Planta::Archivo << true;
    QTest::newRow("past any process id") << QStringLiteral(".kov-99999999999-12-0.tmp") << Planta::Archivo << true;
    QTest::newRow("another ending") << QStringLiteral(".kov-4194305-12-0.txt") << Planta::Archivo << true;
    QTest::newRow("label not ours") << QStringLiteral(".kov-4194305-1.2-0.tmp") << Planta::Archivo << true;
    filasQueQuedan(QStringLiteral(".kov-4194305-12-0.tmp"));
}

// The first file a set writes in a folder clears it of what ended processes left, and of nothing else.
void TestKovResultados::leftoversOfEndedProcessesGo()
{
    QFETCH(QString, nombre);
    QFETCH(Planta, tipo);
    QFETCH(bool, queda);
    if (!puedePlantar(tipo))
        QSKIP("only root can make another user's file");

    QTemporaryDir dir;
    QVERIFY(planta(dir.path(), nombre, tipo));
    KovResultados set;
    QVERIFY(set.escribe(dir.filePath(QStringLiteral("a.txt")), escribeTexto("a")));
    QCOMPARE(sigue(dir.path(), nombre, tipo), queda);
    QVERIFY(set.publica(dir.path()));
    QCOMPARE(leeArchivo(dir.filePath(QStringLiteral("a.txt"))), QByteArray("a"));
}

void TestKovResultados::heldTemporariesStay_data()
{
    QTest::addColumn<QString>("sostiene");
    // Its id is past any this system gives, as another namespace's may be.
    QTest::newRow("a lock held by another process") << "lock";
    QTest::newRow("a set in another process") << "set";
    QTest::newRow("a set in another PID namespace") << "namespace";
}

// A temporary stays while its writer holds it, wherever the writer runs; once the writer is gone, the next sweep
// removes it.
void TestKovResultados::heldTemporariesStay()
{
    QFETCH(QString, sostiene);
    QTemporaryDir dir;
    QProcess otro;
    QProcessEnvironment entorno = QProcessEnvironment::systemEnvironment();
    entorno.insert(QLatin1String(kSostiene), sostiene == "lock" ? "lock" : "set");
    entorno.insert(QLatin1String(kSostieneEn), dir.path());
    if (sostiene == "lock") {
        const QString nombre = QStringLiteral(".kov-4194305-12-0.tmp");
        QVERIFY(planta(dir.path(), nombre, Planta::Archivo));
        entorno.insert(QLatin1String(kSostieneEn), dir.filePath(nombre));
    }
    otro.setProcessEnvironment(entorno);
    otro.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    if (sostiene == "namespace") {
        if (!conEspaciosDePid())
            QSKIP("no PID namespaces for this user");
        // The writer's id is chosen there so that no process here has it.
        otro.start(QStringLiteral("unshare"),
                   {QStringLiteral("--pid"), QStringLiteral("--fork"), QStringLiteral("--mount-proc"),
                    QStringLiteral("sh"), QStringLiteral("-c"),
                    QStringLiteral("echo 4194000 > /proc/sys/kernel/ns_last_pid; \"$0\"; exit $?"),
                    QCoreApplication::applicationFilePath()});
    } else {
        otro.start(QCoreApplication::applicationFilePath(), QStringList());
    }
    QVERIFY(otro.waitForStarted(30000));
    QTRY_VERIFY_WITH_TIMEOUT(otro.canReadLine() || otro.state() == QProcess::NotRunning, 60000);
    const QString ruta = QFile::decodeName(otro.readLine().trimmed());
    QVERIFY2(QFileInfo(ruta).isFile(), qPrintable(ruta));
    if (sostiene == "namespace")
        QVERIFY2(QFileInfo(ruta).fileName().startsWith(".kov-4194001-"), qPrintable(ruta));

    {
        KovResultados set;
        QVERIFY(set.escribe(dir.filePath(QStringLiteral("b.txt")), escribeTexto("b")));
        QVERIFY(set.publica(dir.path()));
    }
    QVERIFY(QFileInfo(ruta).isFile());

    otro.closeWriteChannel();
    QVERIFY(otro.waitForFinished(30000));
    QCOMPARE(otro.exitCode(), 0);
    QVERIFY(QFileInfo(ruta).isFile());
    KovResultados set;
    QVERIFY(set.escribe(dir.filePath(QStringLiteral("c.txt")), escribeTexto("c")));
    QVERIFY(!QFileInfo::exists(ruta));
}

// Another process sweeping the folder over and over while this one makes and publishes files there: a sweep that
// took a new temporary between its making and its lock would fail a publication.
void TestKovResultados::sweepsNeverTakeANewTemporary()
{
    QTemporaryDir dir;
    QProcess barrendero;
    QProcessEnvironment entorno = QProcessEnvironment::systemEnvironment();
    entorno.insert(QStringLiteral("ORVANTIS_BARRE"), dir.path());
    barrendero.setProcessEnvironment(entorno);
    barrendero.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    barrendero.start(QCoreApplication::applicationFilePath(), QStringList());
    QVERIFY(barrendero.waitForStarted(30000));
    QTRY_VERIFY_WITH_TIMEOUT(barrendero.canReadLine() || barrendero.state() == QProcess::NotRunning, 60000);
    QCOMPARE(barrendero.readLine(), QByteArray("sweeping\n"));
    for (int ronda = 0; ronda < 4000; ++ronda) {
        KovResultados set;
        const QString nombre = dir.filePath(QStringLiteral("r%1.txt").arg(ronda % 10));
        QVERIFY2(set.escribe(nombre, escribeTexto(QByteArray::number(ronda))), QByteArray::number(ronda).constData());
        QVERIFY2(set.publica(dir.path()), QByteArray::number(ronda).constData());
    }
    barrendero.closeWriteChannel();
    QVERIFY(barrendero.waitForFinished(30000));
    QCOMPARE(barrendero.exitCode(), 0);
    QVERIFY(barrendero.readLine().toInt() > 0);
}

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsSet(kSostiene))
        return sostieneTemporal();
    if (qEnvironmentVariableIsSet("ORVANTIS_BARRE"))
        return barreHastaElFin(qEnvironmentVariable("ORVANTIS_BARRE"));
    QCoreApplication app(argc, argv);
    TestKovResultados tc;
    return QTest::qExec(&tc, argc, argv);
}
#include "tst_kovresultados.moc"
