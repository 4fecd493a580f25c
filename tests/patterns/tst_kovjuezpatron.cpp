// The patterns that only QRegExp can match are compiled first in a child of the service's executable, under limits
// of time and memory: hostile patterns are refused without this process compiling anything, invalid ones are told
// apart from good ones, verdicts are remembered, and a child that fails in any way refuses only what it did not
// judge.
#include "kovcotapatron.h"
#include "kovexpresion.h"
#include "kovjuezpatron.h"
#include "patronfixture.h"
#include "patronhostilfixture.h"

#include <QFile>
#include <QRegExp>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <algorithm>

#include <fcntl.h>
#include <unistd.h>

Q_DECLARE_METATYPE(KovJuezPatron::Veredicto)

namespace {

using Veredictos = QVector<KovJuezPatron::Veredicto>;

const KovJuezPatron::Veredicto V = KovJuezPatron::Valido;
const KovJuezPatron::Veredicto I = KovJuezPatron::Invalido;
const KovJuezPatron::Veredicto E = KovJuezPatron::Excesivo;

QString servicio()
{
    return QStringLiteral(ORVANTIS_BINARY);
}

// An executable standing in for the service's, which does what `cuerpo` says with the request on its input.
QString impostor(const QTemporaryDir &carpeta, const QString &nombre, const QByteArray &cuerpo)
{
    const QString ruta = carpeta.filePath(nombre);
    QFile archivo(ruta);
    if (!archivo.open(QIODevice::WriteOnly) || archivo.write("#!/bin/sh\n" + cuerpo + "\n") < 0)
        return QString();
    archivo.close();
    archivo.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return ruta;
}

QStringList unicos(const QString &prefijo, int cantidad)
{
    QStringList patrones;
    for (int i = 0; i < cantidad; ++i)
        patrones << prefijo + QString::number(i);
    return patrones;
}

} // namespace

class TestKovJuezPatron : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void hostileCompiledElsewhere_data();
    void hostileCompiledElsewhere();
    void invalidAndValid_data();
    void invalidAndValid();
    void invalidMatchesNothing_data();
    void invalidMatchesNothing();
    void randomPatternsAsQRegExp();
    void metBeforeStartsNoChild();
    void failedChild_data();
    void failedChild();
    void childGetsNoDescriptor();
    void concurrentCalls();
    void memoryOfVerdictsBounded();

private:
    QTemporaryDir carpeta;
};

void TestKovJuezPatron::initTestCase()
{
    QVERIFY(carpeta.isValid());
    QVERIFY2(QFileInfo(servicio()).isExecutable(), ORVANTIS_BINARY);
    KovJuezPatron::setEjecutable(servicio());
}

void TestKovJuezPatron::cleanup()
{
    KovJuezPatron::setEjecutable(servicio());
}

// Whatever the measure makes of them, the child's limits refuse them; this process compiles none of them, and a
// refusal with the budget to itself is remembered.
void TestKovJuezPatron::hostileCompiledElsewhere_data()
{
    QTest::addColumn<QString>("patron");
    for (const auto &hostil : patronesHostiles())
        QTest::newRow(hostil.first.toUtf8().constData()) << hostil.second;
}

void TestKovJuezPatron::hostileCompiledElsewhere()
{
    QFETCH(QString, patron);
    const int compiladas = KovExpresion::compilaciones();
    const int hijos = KovJuezPatron::hijosIniciados();
    QCOMPARE(KovJuezPatron::juzga({patron}), Veredictos{E});
    QCOMPARE(KovJuezPatron::hijosIniciados(), hijos + 1);
    QCOMPARE(KovJuezPatron::juzga({patron}), Veredictos{E});
    QCOMPARE(KovJuezPatron::hijosIniciados(), hijos + 1);
    QCOMPARE(KovExpresion::compilaciones(), compiladas);
}

void TestKovJuezPatron::invalidAndValid_data()
{
    QTest::addColumn<QString>("patron");
    QTest::addColumn<KovJuezPatron::Veredicto>("veredicto");

    QTest::newRow("count backwards") << QStringLiteral("a{2,1}") << I;
    QTest::newRow("word boundary in a class") << QStringLiteral("[a\\b]") << I;
    QTest::newRow("open group") << QStringLiteral("(a") << I;
    QTest::newRow("closing parenthesis") << QStringLiteral("a)") << I;
    QTest::newRow("lookbehind") << QStringLiteral("(?<=a)b") << I;
    QTest::newRow("open class") << QStringLiteral("[a-z") << I;
    QTest::newRow("count past 1024") << QStringLiteral("a{1025}") << I;
    QTest::newRow("fourteen lookaheads") << QStringLiteral("(?=a)").repeated(14) + QStringLiteral("a") << I;
    QTest::newRow("reference past 14") << QStringLiteral("(a)\\15") << I;
    QTest::newRow("octal past a byte") << QStringLiteral("\\0777") << I;
    QTest::newRow("failed lookaheads, few") << adelantesFallidos(3) << I;
    QTest::newRow("quantifier first") << QStringLiteral("*a") << I;

    QTest::newRow("digits") << QStringLiteral("[0-9]+") << V;
    QTest::newRow("no zeros") << QStringLiteral("(?!0+$)[0-9]{1,15}") << V;
    QTest::newRow("anchors and lookahead") << QStringLiteral("^(?!0+$)[0-9]{1,15}$") << V;
    QTest::newRow("extended field") << QStringLiteral("[^\\x007C\\x002F\\x005C]*") << V;
    QTest::newRow("words in a counted group") << QStringLiteral("(\\b[A-Z][a-z]{1,30}\\b ?){1,20}") << V;
    QTest::newRow("back reference") << QStringLiteral("(a|b)\\1") << V;
    QTest::newRow("thirteen lookaheads") << QStringLiteral("(?=a)").repeated(13) + QStringLiteral("a") << V;
    QTest::newRow("small anchor alternations") << entreAnclas(QStringLiteral("(a?){10}"), 4) << V;
    QStringList codigos;
    for (int i = 0; i < 1000; ++i)
        codigos << QString::number(i).rightJustified(3, QLatin1Char('0'));
    QTest::newRow("a thousand codes") << QLatin1Char('(') + codigos.join(QLatin1Char('|')) + QLatin1Char(')') << V;
    QStringList partes;
    for (int i = 0; i < 12; ++i)
        partes << QStringLiteral("[A-Za-z0-9 .,]{1,200}");
    QTest::newRow("counted classes side by side") << partes.join(QLatin1Char('-')) << V;
    QTest::newRow("outside the first plane") << QString::fromUtf8("\xF0\x9F\x98\x80+") << V;
    QTest::newRow("a lone surrogate") << QString(QChar(0xD800)) + QStringLiteral("x") << V;
}

void TestKovJuezPatron::invalidAndValid()
{
    QFETCH(QString, patron);
    QFETCH(KovJuezPatron::Veredicto, veredicto);
    const int compiladas = KovExpresion::compilaciones();
    QCOMPARE(KovJuezPatron::juzga({patron}), Veredictos{veredicto});
    QCOMPARE(KovExpresion::compilaciones(), compiladas);
}

// Skipping the compile of an invalid pattern is exact: QRegExp's invalid pattern matches no text at all, the empty
// one and its own text included.
void TestKovJuezPatron::invalidMatchesNothing_data()
{
    invalidAndValid_data();
}

void TestKovJuezPatron::invalidMatchesNothing()
{
    QFETCH(QString, patron);
    QFETCH(KovJuezPatron::Veredicto, veredicto);
    // QRegExp never frees a lookahead past its thirteenth: such a pattern is judged by a child only.
    if (veredicto != I || patron.count(QStringLiteral("(?=")) > 13)
        return;
    const QRegExp expresion(patron, Qt::CaseSensitive, QRegExp::RegExp);
    QVERIFY(!expresion.isValid());
    QStringList textos = valoresDePrueba(alfabetoMezcla(), 8, 200);
    textos << QString() << patron << QStringLiteral("a") << QStringLiteral("aa") << QStringLiteral("x")
           << QStringLiteral("b") << QStringLiteral("ab");
    for (const QString &texto : textos) {
        QVERIFY2(!expresion.exactMatch(texto), qPrintable(texto));
        QVERIFY(expresion.indexIn(texto) < 0);
    }
}

// Patterns drawn from the pieces of the syntax, all judged by one child: each verdict is QRegExp's own.
void TestKovJuezPatron::randomPatternsAsQRegExp()
{
    static const char *const kPiezas[] = {"(", ")", "(?=", "(?!", "(?:", "[", "]", "[^", "[a\\b]", "[\\d-]", "\\b",
                                          "\\B", "\\1", "\\2", "{2}", "{2,1}", "{,3}", "*", "+", "?", "|", "^", "$",
                                          ".", "a", "b", "-", "\\w", "\\x41"};
    const int piezas = int(sizeof kPiezas / sizeof kPiezas[0]);
    quint32 semilla = 7;
    QStringList patrones;
    while (patrones.size() < 600) {
        QString patron = QStringLiteral("azar");
        const int largo = 1 + int(siguienteAzar(&semilla) % 8);
        for (int k = 0; k < largo; ++k)
            patron += QLatin1String(kPiezas[siguienteAzar(&semilla) % uint(piezas)]);
        if (!KovCotaPatron::mide(patron).excede && !patrones.contains(patron))
            patrones << patron;
    }
    const int hijos = KovJuezPatron::hijosIniciados();
    const Veredictos veredictos = KovJuezPatron::juzga(patrones);
    QCOMPARE(KovJuezPatron::hijosIniciados(), hijos + 1);
    int invalidos = 0;
    for (int i = 0; i < patrones.size(); ++i) {
        const bool valido = QRegExp(patrones.at(i)).isValid();
        QVERIFY2(veredictos.at(i) == (valido ? V : I), qPrintable(patrones.at(i)));
        invalidos += valido ? 0 : 1;
    }
    QVERIFY(invalidos > 50 && invalidos < 550);
}

// A layout met before costs no child; one that shares part of it judges only the rest, once each however often
// it repeats a pattern.
void TestKovJuezPatron::metBeforeStartsNoChild()
{
    const QStringList diseno{QStringLiteral("(a|b)\\1conocido"), QStringLiteral("conocido{2,1}"),
                             QStringLiteral("\\bconocido\\b"), adelantesFallidos(31)};
    const Veredictos esperados{V, I, V, E};
    const int hijos = KovJuezPatron::hijosIniciados();
    QCOMPARE(KovJuezPatron::juzga(diseno), esperados);
    QCOMPARE(KovJuezPatron::hijosIniciados(), hijos + 1);
    QCOMPARE(KovJuezPatron::juzga(diseno + diseno), esperados + esperados);
    QCOMPARE(KovJuezPatron::juzga({QString(), diseno.at(2)}), (Veredictos{V, V}));
    QCOMPARE(KovJuezPatron::hijosIniciados(), hijos + 1);

    const QStringList otro{diseno.at(0), QStringLiteral("nuevo\\b"), QStringLiteral("nuevo\\b")};
    QCOMPARE(KovJuezPatron::juzga(otro), (Veredictos{V, V, V}));
    QCOMPARE(KovJuezPatron::hijosIniciados(), hijos + 2);
}

// No child, or one that cannot judge: what it did not report is Excesivo, and only for that call, since the same
// patterns are judged once the service's executable is back.
void TestKovJuezPatron::failedChild_data()
{
    QTest::addColumn<QByteArray>("cuerpo");
    QTest::addColumn<Veredictos>("veredictos");

    const QByteArray cabecera = "printf 'KOVJUEZ1 0\\n";
    QTest::newRow("no executable") << QByteArray() << Veredictos{E, E};
    QTest::newRow("ends at once") << QByteArray("exit 0") << Veredictos{E, E};
    QTest::newRow("killed") << QByteArray("kill -KILL $$") << Veredictos{E, E};
    QTest::newRow("says something else") << QByteArray("printf 'hola\\nVV'") << Veredictos{E, E};
    QTest::newRow("echoes the request") << QByteArray("exec cat") << Veredictos{E, E};
    QTest::newRow("letters unknown") << cabecera + "VZ'" << Veredictos{V, E};
    QTest::newRow("killed after one verdict") << cabecera + "V'; kill -KILL $$" << Veredictos{V, E};
    QTest::newRow("out of time after one verdict") << cabecera + "VX'" << Veredictos{V, E};
    QTest::newRow("more letters than patterns") << cabecera + "VIVVVVVVVV'" << Veredictos{V, I};
    // Killed once the wait is over, however long it would sleep.
    QTest::newRow("blocks after its first line") << cabecera + "'; exec sleep 600" << Veredictos{E, E};
}

void TestKovJuezPatron::failedChild()
{
    QFETCH(QByteArray, cuerpo);
    QFETCH(Veredictos, veredictos);

    const QStringList patrones = unicos(QString::fromUtf8(QTest::currentDataTag()) + QStringLiteral("\\b"), 2);
    const QString ruta = cuerpo.isEmpty() ? carpeta.filePath(QStringLiteral("ninguno"))
                                          : impostor(carpeta, QStringLiteral("impostor"), cuerpo);
    QVERIFY(!ruta.isEmpty());
    KovJuezPatron::setEjecutable(ruta);
    QCOMPARE(KovJuezPatron::juzga(patrones), veredictos);

    // What the child reported stays; the rest is judged anew, and is valid.
    KovJuezPatron::setEjecutable(servicio());
    const int hijos = KovJuezPatron::hijosIniciados();
    Veredictos despues = veredictos;
    std::replace(despues.begin(), despues.end(), E, V);
    QCOMPARE(KovJuezPatron::juzga(patrones), despues);
    QCOMPARE(KovJuezPatron::hijosIniciados(), hijos + (veredictos.contains(E) ? 1 : 0));
}

// The child holds its standard input and output and nothing else of the process, not even a descriptor opened
// without being marked to close on exec.
void TestKovJuezPatron::childGetsNoDescriptor()
{
    const int abierto = ::open("/dev/null", O_RDONLY);
    QVERIFY(abierto >= 0);
    QVERIFY(::dup2(abierto, 200) == 200);
    const QString ruta = impostor(carpeta, QStringLiteral("descriptores"),
                                  "if [ -e /proc/$$/fd/200 ] || [ -e /proc/$$/fd/3 ]; then l=I; else l=V; fi;"
                                  " [ -e /proc/$$/fd/0 ] && [ -e /proc/$$/fd/1 ] || l=I; printf \"KOVJUEZ1 0\\n$l\"");
    KovJuezPatron::setEjecutable(ruta);
    const Veredictos veredictos = KovJuezPatron::juzga({QStringLiteral("descriptores{2,1}")});
    ::close(200);
    ::close(abierto);
    QCOMPARE(veredictos, Veredictos{V});
}

// Calls at once, each with a child of its own, some of them hostile: each gets its own verdicts.
void TestKovJuezPatron::concurrentCalls()
{
    const int kLlamadas = 8;
    QVector<Veredictos> obtenidos(kLlamadas);
    QVector<Veredictos> esperados(kLlamadas);
    QVector<QThread *> hilos;
    for (int i = 0; i < kLlamadas; ++i) {
        QStringList patrones{QStringLiteral("(a|b)\\1hilo%1").arg(i), QStringLiteral("hilo%1{2,1}").arg(i)};
        esperados[i] = Veredictos{V, I};
        if (i % 2 == 1) {
            patrones << entreAnclas(QStringLiteral("(a?){%1}").arg(100 + i), 13);
            esperados[i].append(E);
        }
        Veredictos *destino = &obtenidos[i];
        hilos << QThread::create([patrones, destino] { *destino = KovJuezPatron::juzga(patrones); });
    }
    for (QThread *hilo : hilos)
        hilo->start();
    for (QThread *hilo : hilos) {
        QVERIFY(hilo->wait(600000));
        delete hilo;
    }
    QCOMPARE(obtenidos, esperados);
}

// What is remembered stays within its bound in entries and in characters: the oldest verdicts go, the newest stay.
void TestKovJuezPatron::memoryOfVerdictsBounded()
{
    // In several calls, each well within a child's second.
    const QStringList muchos = unicos(QStringLiteral("e"), 17000);
    for (int desde = 0; desde < muchos.size(); desde += 3400)
        QCOMPARE(KovJuezPatron::juzga(muchos.mid(desde, 3400)), Veredictos(3400, V));
    int hijos = KovJuezPatron::hijosIniciados();
    QCOMPARE(KovJuezPatron::juzga({muchos.last()}), Veredictos{V});
    QCOMPARE(KovJuezPatron::hijosIniciados(), hijos);
    QCOMPARE(KovJuezPatron::juzga({muchos.first()}), Veredictos{V});
    QCOMPARE(KovJuezPatron::hijosIniciados(), hijos + 1);

    QStringList largos;
    for (int lote = 0; lote < 3; ++lote) {
        QStringList patrones;
        for (int i = 0; i < 100; ++i)
            patrones << QStringLiteral("[%1 %2 ").arg(lote).arg(i) + QStringLiteral("abcd").repeated(2000) + ']';
        QCOMPARE(KovJuezPatron::juzga(patrones), Veredictos(patrones.size(), V));
        largos += patrones;
    }
    hijos = KovJuezPatron::hijosIniciados();
    QCOMPARE(KovJuezPatron::juzga({largos.last()}), Veredictos{V});
    QCOMPARE(KovJuezPatron::hijosIniciados(), hijos);
    QCOMPARE(KovJuezPatron::juzga({largos.first()}), Veredictos{V});
    QCOMPARE(KovJuezPatron::hijosIniciados(), hijos + 1);
}

QTEST_GUILESS_MAIN(TestKovJuezPatron)
#include "tst_kovjuezpatron.moc"
