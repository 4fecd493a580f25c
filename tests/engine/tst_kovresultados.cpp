#include "kovresultados.h"

#include "abandonofixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

namespace {

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

// No process is ever given an id above 4194304, the system's ceiling, so a temporary name that carries 4194305 was
// left by a process that is no longer there.
void TestKovResultados::leftoversOfEndedProcessesGo_data()
{
    columnasDeBarrido();

    const QString propio = QString::number(QCoreApplication::applicationPid());
    QTest::newRow("ended process") << QStringLiteral(".kov-4194305-12-0.tmp") << Planta::Archivo << false;
    QTest::newRow("ended process, no label") << QStringLiteral(".kov-4194305--7.tmp") << Planta::Archivo << false;
    QTest::newRow("this process") << QStringLiteral(".kov-%1-12-0.tmp").arg(propio) << Planta::Archivo << true;
    QTest::newRow("a live process") << QStringLiteral(".kov-1-12-0.tmp") << Planta::Archivo << true;
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

QTEST_GUILESS_MAIN(TestKovResultados)
#include "tst_kovresultados.moc"
