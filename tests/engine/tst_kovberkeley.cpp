#include "kovberkeley.h"

#include <QtTest>

#include <sys/stat.h>

class TestKovBerkeley : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void keys_data();
    void keys();
    void joinsWithBar();
    void pendingKeyEmptiedEveryLine();
    void staleIndexHoldsNoKeys();
    void plantedLinkIsNotFollowed();
    void closeTwiceAndRemove();
    void openFailure();
    void copiesShareOneHandle();
    void liveIndexKeepsItsPath();
    void removesOnlyTheFileItMade_data();
    void removesOnlyTheFileItMade();
    void warningNamesFileAndFunction();

private:
    QString ruta() const;
    QTemporaryDir dir;
};

QString TestKovBerkeley::ruta() const
{
    return dir.filePath(QStringLiteral("indice.idx"));
}

void TestKovBerkeley::init()
{
    QVERIFY(dir.isValid());
    QFile::remove(ruta());
}

// Each row is a list of lines; a line is its key parts joined by ";" (an empty entry is an empty part).
void TestKovBerkeley::keys_data()
{
    QTest::addColumn<QStringList>("lineas");
    QTest::addColumn<QList<bool>>("aceptadas");

    QTest::newRow("repeat refused, index lives all job")
        << QStringList{ "A;1", "B;1", "A;1", "B;1" } << QList<bool>{ true, true, false, false };
    QTest::newRow("dash inside parts does not collide")
        << QStringList{ "A-B;C", "A;B-C" } << QList<bool>{ true, true };
    QTest::newRow("empty part keeps its place")
        << QStringList{ ";B", "B;", ";B" } << QList<bool>{ true, true, false };
    QTest::newRow("all parts empty is never stored")
        << QStringList{ ";", ";", "" } << QList<bool>{ true, true, true };
    QTest::newRow("outside Latin-1 stays distinct")
        << QStringList{ QString::fromUtf8("Ñ€"), QString::fromUtf8("Ñ₤"), QString::fromUtf8("Ñ€") }
        << QList<bool>{ true, true, false };
    QTest::newRow("long keys stored whole")
        << QStringList{ QString(600, QLatin1Char('x')) + QLatin1Char('1'),
                        QString(600, QLatin1Char('x')) + QLatin1Char('2'),
                        QString(600, QLatin1Char('x')) + QLatin1Char('1') }
        << QList<bool>{ true, true, false };
    QTest::newRow("case-sensitive") << QStringList{ "abc", "ABC" } << QList<bool>{ true, true };
}

void TestKovBerkeley::keys()
{
    QFETCH(QStringList, lineas);
    QFETCH(QList<bool>, aceptadas);

    KovBerkeley b;
    QVERIFY(b.open(ruta()));
    for (int i = 0; i < lineas.size(); ++i) {
        const QString linea = lineas.at(i);
        if (!linea.isEmpty()) {
            for (const QString &parte : linea.split(QLatin1Char(';')))
                b.addKey(parte);
        }
        if (!aceptadas.value(i))
            QTest::ignoreMessage(QtWarningMsg, "Llave ya existe");
        QCOMPARE(b.insert(), aceptadas.value(i));
        QVERIFY(b.getKey().isEmpty());
    }
    b.removeFile();
    QVERIFY(!QFileInfo::exists(ruta()));
}

void TestKovBerkeley::joinsWithBar()
{
    KovBerkeley b;
    b.addKey(QStringLiteral("A-B"));
    b.addKey(QString());
    b.addKey(QStringLiteral("C"));
    QCOMPARE(b.getKey(), QStringLiteral("A-B||C"));
}

void TestKovBerkeley::pendingKeyEmptiedEveryLine()
{
    KovBerkeley b;
    QVERIFY(b.open(ruta()));
    b.addKey(QStringLiteral("A"));
    b.clearKeyData();
    QVERIFY(b.getKey().isEmpty());
    QVERIFY(b.insert());
    b.addKey(QStringLiteral("A"));
    QVERIFY(b.insert());
    b.removeFile();

    // Without an open index a key is refused quietly.
    KovBerkeley cerrado;
    cerrado.addKey(QStringLiteral("A"));
    QVERIFY(!cerrado.insert());
    QVERIFY(cerrado.getKey().isEmpty());
}

void TestKovBerkeley::staleIndexHoldsNoKeys()
{
    {
        KovBerkeley anterior;
        QVERIFY(anterior.open(ruta()));
        anterior.addKey(QStringLiteral("A"));
        QVERIFY(anterior.insert());
        anterior.close();
    }
    QVERIFY(QFileInfo::exists(ruta()));

    KovBerkeley b;
    QVERIFY(b.open(ruta()));
    b.addKey(QStringLiteral("A"));
    QVERIFY(b.insert());
    b.removeFile();

    // A plain file planted under the name is replaced, not read.
    QFile basura(ruta());
    QVERIFY(basura.open(QIODevice::WriteOnly));
    basura.write("not an index");
    basura.close();
    QVERIFY(b.open(ruta()));
    b.addKey(QStringLiteral("A"));
    QVERIFY(b.insert());
    b.removeFile();
}

void TestKovBerkeley::plantedLinkIsNotFollowed()
{
    const QString victima = dir.filePath(QStringLiteral("victima.txt"));
    QFile v(victima);
    QVERIFY(v.open(QIODevice::WriteOnly));
    v.write("intact");
    v.close();
    QVERIFY(QFile::link(victima, ruta()));

    KovBerkeley b;
    QVERIFY(b.open(ruta()));
    struct stat st;
    QCOMPARE(lstat(ruta().toUtf8().constData(), &st), 0);
    QVERIFY(S_ISREG(st.st_mode));
    b.addKey(QStringLiteral("A"));
    QVERIFY(b.insert());
    b.removeFile();

    QVERIFY(v.open(QIODevice::ReadOnly));
    QCOMPARE(v.readAll(), QByteArray("intact"));
}

void TestKovBerkeley::closeTwiceAndRemove()
{
    KovBerkeley nuevo;
    nuevo.close();
    nuevo.close();
    nuevo.removeFile();

    KovBerkeley b;
    QVERIFY(b.open(ruta()));
    QVERIFY(b.isOpen());
    b.close();
    b.close();
    QVERIFY(!b.isOpen());
    b.addKey(QStringLiteral("A"));
    QVERIFY(!b.insert());
    QVERIFY(QFileInfo::exists(ruta()));
    b.removeFile();
    b.removeFile();
    QVERIFY(!QFileInfo::exists(ruta()));
}

void TestKovBerkeley::openFailure()
{
    KovBerkeley b;
    QVERIFY(!b.open(dir.filePath(QStringLiteral("falta/indice.idx"))));
    QVERIFY(!b.isOpen());
    b.removeFile();
    QVERIFY(!b.open(QString()));
    b.addKey(QStringLiteral("A"));
    QVERIFY(!b.insert());
}

void TestKovBerkeley::copiesShareOneHandle()
{
    KovBerkeley b;
    QVERIFY(b.open(ruta()));
    {
        KovBerkeley copia = b;
        copia.addKey(QStringLiteral("A"));
        QVERIFY(copia.insert());
    }
    QVERIFY(b.isOpen());
    b.addKey(QStringLiteral("A"));
    QTest::ignoreMessage(QtWarningMsg, "Llave ya existe");
    QVERIFY(!b.insert());

    KovBerkeley otra = b;
    otra.close();
    QVERIFY(!b.isOpen());
    b.removeFile();

    // Opening again drops the earlier index cleanly.
    QVERIFY(b.open(ruta()));
    QVERIFY(b.open(ruta()));
    b.addKey(QStringLiteral("A"));
    QVERIFY(b.insert());
    b.removeFile();
}

// Two jobs given the same path: the second is refused while the first one's index is open, and neither loses the
// other's keys.
void TestKovBerkeley::liveIndexKeepsItsPath()
{
    KovBerkeley primero;
    QVERIFY(primero.open(ruta()));
    primero.addKey(QStringLiteral("A"));
    QVERIFY(primero.insert());

    KovBerkeley segundo;
    QVERIFY(!segundo.open(ruta()));
    segundo.removeFile();
    QVERIFY(QFileInfo::exists(ruta()));
    primero.addKey(QStringLiteral("A"));
    QTest::ignoreMessage(QtWarningMsg, "Llave ya existe");
    QVERIFY(!primero.insert());

    primero.removeFile();
    QVERIFY(segundo.open(ruta()));
    segundo.removeFile();
    QVERIFY(!QFileInfo::exists(ruta()));
}

void TestKovBerkeley::removesOnlyTheFileItMade_data()
{
    QTest::addColumn<bool>("cerrado");
    QTest::newRow("open") << false;
    QTest::newRow("closed") << true;
}

// Another job's index that took the path after this index's file was removed stays, whether this index is still
// open or was closed first.
void TestKovBerkeley::removesOnlyTheFileItMade()
{
    QFETCH(bool, cerrado);
    KovBerkeley b;
    QVERIFY(b.open(ruta()));
    if (cerrado)
        b.close();
    QVERIFY(QFile::remove(ruta()));
    KovBerkeley otro;
    QVERIFY(otro.open(ruta()));

    b.removeFile();
    QVERIFY(QFileInfo::exists(ruta()));
    otro.addKey(QStringLiteral("A"));
    QVERIFY(otro.insert());
    otro.removeFile();
    QVERIFY(!QFileInfo::exists(ruta()));
}

namespace {

QString ultimoArchivo;
QString ultimaFuncion;
QString ultimoTexto;

void guardaContexto(QtMsgType, const QMessageLogContext &contexto, const QString &texto)
{
    ultimoArchivo = QString::fromUtf8(contexto.file ? contexto.file : "");
    ultimaFuncion = QString::fromUtf8(contexto.function ? contexto.function : "");
    ultimoTexto = texto;
}

} // namespace

void TestKovBerkeley::warningNamesFileAndFunction()
{
    KovBerkeley b;
    QVERIFY(b.open(ruta()));
    b.addKey(QStringLiteral("A"));
    QVERIFY(b.insert());
    b.addKey(QStringLiteral("A"));
    const QtMessageHandler anterior = qInstallMessageHandler(guardaContexto);
    const bool insertado = b.insert();
    qInstallMessageHandler(anterior);
    b.removeFile();

    QVERIFY(!insertado);
    QCOMPARE(ultimoTexto, QStringLiteral("Llave ya existe"));
    QVERIFY2(QFileInfo(ultimoArchivo).fileName() == QLatin1String("kovberkeley.cpp"), qPrintable(ultimoArchivo));
    QVERIFY2(ultimaFuncion.contains(QLatin1String("KovBerkeley::insert")), qPrintable(ultimaFuncion));
}

QTEST_APPLESS_MAIN(TestKovBerkeley)
#include "tst_kovberkeley.moc"
