// The patterns that only QRegExp can match are compiled first in a child of the service's executable, under limits
// of time and memory: hostile patterns are refused without this process compiling anything, and so is every attack
// on compiling a layout's patterns unless the own automaton builds it within its budget; invalid patterns are told
// apart from good ones, what compiling a good one cost is reported and a layout's patterns are held to it together,
// verdicts are remembered, a child that fails in any way refuses only what it did not judge, and a child slow in
// wall time is waited for unless its thread is asked to end.
#include "kovexpresion.h"
#include "kovjuezpatron.h"
#include "kovpatrones.h"
#include "patronfixture.h"
#include "patronhostilfixture.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegExp>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <algorithm>
#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

Q_DECLARE_METATYPE(KovJuezPatron::Veredicto)

namespace {

using Veredictos = QVector<KovJuezPatron::Veredicto>;

const KovJuezPatron::Veredicto V = KovJuezPatron::Valido;
const KovJuezPatron::Veredicto I = KovJuezPatron::Invalido;
const KovJuezPatron::Veredicto E = KovJuezPatron::Excesivo;

// As many checkers as a book of this machine can have at once: its workers and the job's own thread.
const int kRevisores = qMax(2, QThread::idealThreadCount() - 2) + 1;

// How long a slow child is held stopped: longer than the 15 s the judge once gave a child in all.
const int kDetencionMs = 20000;

QString servicio()
{
    return QStringLiteral(ORVANTIS_BINARY);
}

Veredictos veredictosDe(const QVector<KovJuezPatron::Juicio> &juicios)
{
    Veredictos veredictos;
    for (const KovJuezPatron::Juicio &juicio : juicios)
        veredictos.append(juicio.veredicto);
    return veredictos;
}

Veredictos juzga(const QStringList &patrones)
{
    return veredictosDe(KovJuezPatron::juzga(patrones));
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

// A child that writes its process number to `archivoPid`, then does what `luego` says (`$@` being its arguments).
QString anotado(const QTemporaryDir &carpeta, const QString &nombre, const QString &archivoPid, const QByteArray &luego)
{
    return impostor(carpeta, nombre, "echo $$ > '" + QFile::encodeName(archivoPid) + "'; " + luego);
}

// The process number a child wrote, once it is in the state `estado` of /proc ('T' stopped, 'S' asleep); -1 if it
// never gets there.
pid_t esperaHijo(const QString &archivoPid, char estado)
{
    QElapsedTimer reloj;
    reloj.start();
    while (reloj.elapsed() < 120000) {
        QFile archivo(archivoPid);
        bool numero = false;
        const pid_t pid = archivo.open(QIODevice::ReadOnly) ? pid_t(archivo.readAll().trimmed().toInt(&numero)) : 0;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (numero && pid > 0 && stat.open(QIODevice::ReadOnly)) {
            const QByteArray texto = stat.readAll();
            const int cierre = texto.lastIndexOf(')');
            if (cierre > 0 && cierre + 2 < texto.size() && texto.at(cierre + 2) == estado)
                return pid;
        }
        QThread::msleep(20);
    }
    return -1;
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
    void attacksRefusedOrCheap_data();
    void attacksRefusedOrCheap();
    void invalidAndValid_data();
    void invalidAndValid();
    void invalidMatchesNothing_data();
    void invalidMatchesNothing();
    void randomPatternsAsQRegExp();
    void compileCostReported();
    void compileCostSummedPerLayout_data();
    void compileCostSummedPerLayout();
    void metBeforeStartsNoChild();
    void failedChild_data();
    void failedChild();
    void slowChildWaitedFor();
    void quitEndsTheWait();
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
    QCOMPARE(juzga({patron}), Veredictos{E});
    QCOMPARE(KovJuezPatron::hijosIniciados(), hijos + 1);
    QCOMPARE(juzga({patron}), Veredictos{E});
    QCOMPARE(KovJuezPatron::hijosIniciados(), hijos + 1);
    QCOMPARE(KovExpresion::compilaciones(), compiladas);
}

// Patterns that would take QRegExp's compiling seconds or gigabytes, or end the process, in a layout: refused, or
// built by the own automaton within its budget; QRegExp compiles none of them in this process.
void TestKovJuezPatron::attacksRefusedOrCheap_data()
{
    QTest::addColumn<QString>("patron");

    // What QRegExp makes of them, measured when they were first refused: time to compile, peak memory.
    QTest::newRow("1,600 groups (match state of 160 MB per holder)") << QStringLiteral("(a|b)").repeated(1600);
    QTest::newRow("thrice nested counted (1.7 s, 650 MB)") << QStringLiteral("(((a|b){1,100}){1,100}){1,100}");
    QTest::newRow("optional groups, 24,000 characters") << QStringLiteral("(a|b)*").repeated(4000);
    QTest::newRow("optional groups, 7,800 characters (5 s)") << QStringLiteral("(a|b)*").repeated(1300);
    QTest::newRow("optional alternatives, no capture (1.8 s)") << QStringLiteral("(?:a|b)*").repeated(900);
    QTest::newRow("optional letters (7.6 s, 410 MB)") << QStringLiteral("a?").repeated(4000);
    QTest::newRow("600,000 plain characters") << QStringLiteral("a").repeated(600000);
    QTest::newRow("8,193 plain characters") << QStringLiteral("a").repeated(8193);
    QTest::newRow("text counted in counted (1.8 s)") << QStringLiteral("(abcdefghij{1,1000}){1,1000}");
    QTest::newRow("class counted in counted") << QStringLiteral("([0-9]{1,999}){1,999}");
    QTest::newRow("any text counted in counted (aborts)") << QStringLiteral("(.{0,999}){0,999}");
    QTest::newRow("ten nested small counts (aborts)")
        << QStringLiteral("(").repeated(10) + QStringLiteral("a") + QStringLiteral("){1,9}").repeated(10);
    QTest::newRow("back reference number sizing the match state (2 GB)") << QStringLiteral("\\65535a{1000}");
    QTest::newRow("groups nested 100 deep")
        << QStringLiteral("(").repeated(100) + QStringLiteral("a") + QStringLiteral(")").repeated(100);
    QTest::newRow("groups nested 65 deep, a back reference")
        << QStringLiteral("(").repeated(65) + QStringLiteral("a") + QStringLiteral(")").repeated(65)
               + QStringLiteral("\\1");
    QTest::newRow("lookaheads nested 100 deep")
        << QStringLiteral("(?=").repeated(100) + QStringLiteral("a") + QStringLiteral(")").repeated(100);
    for (const auto &hostil : patronesHostiles())
        QTest::newRow(hostil.first.toUtf8().constData()) << hostil.second;
    // Each family swept in size from where it took QRegExp too long.
    for (int niveles = 16; niveles <= 64; niveles += 8)
        QTest::addRow("failed lookaheads %d deep", niveles) << adelantesFallidos(niveles);
    for (int pares = 12; pares <= 15; ++pares) {
        for (const int letras : {50, 100, 200, 335}) {
            QTest::addRow("%d anchor alternations between %d optional letters", pares, letras)
                << entreAnclas(QStringLiteral("(a?){%1}").arg(letras), pares);
        }
        for (const int ancho : {40, 80, 160}) {
            QTest::addRow("%d anchor alternations between %d-way alternations", pares, ancho)
                << entreAnclas(alternativas(ancho), pares);
        }
    }
    for (const int veces : {20, 50, 200})
        QTest::addRow("anchor alternations repeated %d times", veces) << QStringLiteral("(\\b|\\B){%1}").arg(veces);
}

void TestKovJuezPatron::attacksRefusedOrCheap()
{
    QFETCH(QString, patron);
    const int compiladas = KovPatrones::compilaciones() + KovExpresion::compilaciones();
    KovPatrones patrones(kRevisores);
    QVERIFY(patrones.agrega(QStringLiteral("[0-9]{8}")));
    if (patrones.agrega(patron) && patrones.termina()) {
        QVERIFY2(patrones.modo(1) == KovPatrones::Automata || patrones.modo(1) == KovPatrones::Nada,
                 "admitted for QRegExp to compile");
        QVERIFY(patrones.costo(1) <= KovPatron::kCostoMaximo);
    }
    QCOMPARE(KovPatrones::compilaciones() + KovExpresion::compilaciones(), compiladas);
}

void TestKovJuezPatron::invalidAndValid_data()
{
    QTest::addColumn<QString>("patron");
    QTest::addColumn<KovJuezPatron::Veredicto>("veredicto");

    QTest::newRow("count backwards") << QStringLiteral("a{2,1}") << I;
    QTest::newRow("word boundary in a class") << QStringLiteral("[a\\b]") << I;
    QTest::newRow("word boundary alone in a class") << QStringLiteral("[\\b]{,3}\\b") << I;
    QTest::newRow("other boundary in a class") << QStringLiteral("[\\B]") << I;
    QTest::newRow("reference in a class") << QStringLiteral("[\\1]") << I;
    QTest::newRow("open group") << QStringLiteral("(a") << I;
    QTest::newRow("closing parenthesis") << QStringLiteral("a)") << I;
    QTest::newRow("stops at a closing parenthesis") << QStringLiteral("a)b") << I;
    QTest::newRow("lookbehind") << QStringLiteral("(?<=a)b") << I;
    QTest::newRow("open class") << QStringLiteral("[a-z") << I;
    QTest::newRow("count past 1024") << QStringLiteral("a{1025}") << I;
    QTest::newRow("fourteen lookaheads") << QStringLiteral("(?=a)").repeated(14) + QStringLiteral("a") << I;
    QTest::newRow("reference past 14") << QStringLiteral("(a)\\15") << I;
    QTest::newRow("octal past a byte") << QStringLiteral("\\0777") << I;
    QTest::newRow("failed lookaheads, few") << adelantesFallidos(3) << I;
    QTest::newRow("quantifier first") << QStringLiteral("*a") << I;

    QTest::newRow("digits") << QStringLiteral("[0-9]+") << V;
    QTest::newRow("digit") << QStringLiteral("[1-9]") << V;
    QTest::newRow("date") << QStringLiteral("[0-9]{4}-[0-9]{2}-[0-9]{2}") << V;
    QTest::newRow("period") << QStringLiteral("[0-9]{4}(0[1-9]|1[0-2])00") << V;
    QTest::newRow("day and month") << QStringLiteral("(0[1-9]|[12][0-9]|3[01])/(0[1-9]|1[0-2])/[0-9]{4}") << V;
    QTest::newRow("amount") << QStringLiteral("-?[0-9]{1,12}\\.[0-9]{2}") << V;
    QTest::newRow("escapes") << QStringLiteral("\\d{2}/\\d{2}/\\d{4}") << V;
    QTest::newRow("class escapes in a class") << QStringLiteral("[\\d\\w-]") << V;
    QTest::newRow("word boundary outside") << QStringLiteral("a\\b") << V;
    QTest::newRow("any text up to 999") << QStringLiteral(".{0,999}") << V;
    QTest::newRow("digits up to 999") << QStringLiteral("[0-9]{1,999}") << V;
    QTest::newRow("a few anchor alternations") << QStringLiteral("(^|\\b)[A-Z]{1,20}(\\b|$)") << V;
    QTest::newRow("lookahead alternation") << QStringLiteral("((?=0)|(?=1))[0-9]{1,12}") << V;
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
    QCOMPARE(juzga({patron}), Veredictos{veredicto});
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
    static const char *const kPiezas[] = {
        "(", ")", "(?=", "(?!", "(?:", "(?<", "(?x", "[", "]", "[^", "[a\\b]", "[\\B]", "[\\1x]", "[\\d-]",
        "[\\d-z]", "[a-\\w]", "[a-", "\\b", "\\B", "\\1", "\\2", "\\15", "\\0777", "\\017", "\\x41", "\\",
        "{", "}", "{2}", "{2,1}", "{,3}", "{1,}", "{1025}", "*", "+", "?", "|", "^", "$", ".", "a", "b", "-", "x",
        "\\w", "\\s", "\\W"};
    const int piezas = int(sizeof kPiezas / sizeof kPiezas[0]);
    quint32 semilla = 7;
    QStringList patrones;
    while (patrones.size() < 600) {
        QString patron = QStringLiteral("azar");
        const int largo = 1 + int(siguienteAzar(&semilla) % 8);
        for (int k = 0; k < largo; ++k)
            patron += QLatin1String(kPiezas[siguienteAzar(&semilla) % uint(piezas)]);
        if (!patrones.contains(patron))
            patrones << patron;
    }
    const int hijos = KovJuezPatron::hijosIniciados();
    const Veredictos veredictos = juzga(patrones);
    QCOMPARE(KovJuezPatron::hijosIniciados(), hijos + 1);
    int invalidos = 0;
    for (int i = 0; i < patrones.size(); ++i) {
        const bool valido = QRegExp(patrones.at(i)).isValid();
        QVERIFY2(veredictos.at(i) == (valido ? V : I), qPrintable(patrones.at(i)));
        invalidos += valido ? 0 : 1;
    }
    QVERIFY(invalidos > 50 && invalidos < 550);
}

// What compiling a pattern took is reported with its verdict and remembered with it: the larger engine holds more.
void TestKovJuezPatron::compileCostReported()
{
    QStringList codigos;
    for (int i = 0; i < 1000; ++i)
        codigos << QString::number(i).rightJustified(3, QLatin1Char('0'));
    const QStringList patrones{QStringLiteral("(a)\\1costo"),
                               QStringLiteral("(") + codigos.join(QLatin1Char('|')) + QStringLiteral(")\\1costo"),
                               QStringLiteral("costo{2,1}"), adelantesFallidos(31)};
    const QVector<KovJuezPatron::Juicio> juicios = KovJuezPatron::juzga(patrones);
    QCOMPARE(veredictosDe(juicios), (Veredictos{V, V, I, E}));
    QVERIFY(juicios.at(0).procesadorUs > 0);
    QVERIFY(juicios.at(0).memoria > 0);
    QVERIFY(juicios.at(1).procesadorUs > juicios.at(0).procesadorUs);
    QVERIFY(juicios.at(1).memoria > 10 * juicios.at(0).memoria);
    for (int i = 2; i < juicios.size(); ++i) {
        QCOMPARE(juicios.at(i).procesadorUs, qint64(0));
        QCOMPARE(juicios.at(i).memoria, qint64(0));
    }
    const int hijos = KovJuezPatron::hijosIniciados();
    const QVector<KovJuezPatron::Juicio> otra = KovJuezPatron::juzga(patrones);
    QCOMPARE(KovJuezPatron::hijosIniciados(), hijos);
    for (int i = 0; i < juicios.size(); ++i) {
        QCOMPARE(otra.at(i).procesadorUs, juicios.at(i).procesadorUs);
        QCOMPARE(otra.at(i).memoria, juicios.at(i).memoria);
    }
}

// Patterns each judged cheap on its own, and remembered so, cannot add up in one layout to more compiling here than
// the bound: a child standing in for the service's reports each one's cost, two of them fit and three do not.
void TestKovJuezPatron::compileCostSummedPerLayout_data()
{
    QTest::addColumn<QByteArray>("costo");

    QTest::newRow("processor time") << QByteArray::number(KovPatrones::kCompilacionMaximaUs * 2 / 5) + " 4096";
    QTest::newRow("memory") << "1 " + QByteArray::number(qint64(KovPatrones::kMemoriaMaxima * 2 / 5));
}

void TestKovJuezPatron::compileCostSummedPerLayout()
{
    QFETCH(QByteArray, costo);
    const QStringList caros = unicos(QStringLiteral("(a)\\1") + QString::fromUtf8(QTest::currentDataTag()), 3);
    KovJuezPatron::setEjecutable(impostor(carpeta, QStringLiteral("costoso"), "printf 'KOVJUEZ2 0\\nV " + costo + "\\n'"));
    for (const QString &patron : caros)
        QCOMPARE(juzga({patron}), Veredictos{V});
    KovJuezPatron::setEjecutable(servicio());
    const int hijos = KovJuezPatron::hijosIniciados();
    const int compiladas = KovPatrones::compilaciones();

    // One of them in a thousand columns is compiled once, and counted once.
    KovPatrones dos(kRevisores);
    for (int i = 0; i < 1000; ++i)
        QVERIFY(dos.agrega(caros.at(0)));
    QVERIFY(dos.agrega(caros.at(1)));
    QVERIFY(dos.termina());
    QCOMPARE(KovPatrones::compilaciones(), compiladas + 2);

    KovPatrones tres(kRevisores);
    for (const QString &patron : caros)
        QVERIFY(tres.agrega(patron));
    QVERIFY(!tres.termina());
    QCOMPARE(KovPatrones::compilaciones(), compiladas + 2);
    QCOMPARE(KovJuezPatron::hijosIniciados(), hijos);
}

// A layout met before costs no child; one that shares part of it judges only the rest, once each however often
// it repeats a pattern.
void TestKovJuezPatron::metBeforeStartsNoChild()
{
    const QStringList diseno{QStringLiteral("(a|b)\\1conocido"), QStringLiteral("conocido{2,1}"),
                             QStringLiteral("\\bconocido\\b"), adelantesFallidos(31)};
    const Veredictos esperados{V, I, V, E};
    const int hijos = KovJuezPatron::hijosIniciados();
    QCOMPARE(juzga(diseno), esperados);
    QCOMPARE(KovJuezPatron::hijosIniciados(), hijos + 1);
    QCOMPARE(juzga(diseno + diseno), esperados + esperados);
    QCOMPARE(juzga({QString(), diseno.at(2)}), (Veredictos{V, V}));
    QCOMPARE(KovJuezPatron::hijosIniciados(), hijos + 1);

    const QStringList otro{diseno.at(0), QStringLiteral("nuevo\\b"), QStringLiteral("nuevo\\b")};
    QCOMPARE(juzga(otro), (Veredictos{V, V, V}));
    QCOMPARE(KovJuezPatron::hijosIniciados(), hijos + 2);
}

// No child, or one that cannot judge: what it did not report is Excesivo, and only for that call, since the same
// patterns are judged once the service's executable is back.
void TestKovJuezPatron::failedChild_data()
{
    QTest::addColumn<QByteArray>("cuerpo");
    QTest::addColumn<Veredictos>("veredictos");

    const QByteArray cabecera = "printf 'KOVJUEZ2 0\\nV 1 1\\n";
    QTest::newRow("no executable") << QByteArray() << Veredictos{E, E};
    QTest::newRow("ends at once") << QByteArray("exit 0") << Veredictos{E, E};
    QTest::newRow("killed") << QByteArray("kill -KILL $$") << Veredictos{E, E};
    QTest::newRow("says something else") << QByteArray("printf 'hola\\nV 1 1\\nV 1 1\\n'") << Veredictos{E, E};
    QTest::newRow("an older child") << QByteArray("printf 'KOVJUEZ1 0\\nVV'") << Veredictos{E, E};
    QTest::newRow("echoes the request") << QByteArray("exec cat") << Veredictos{E, E};
    QTest::newRow("letters unknown") << cabecera + "Z\\n'" << Veredictos{V, E};
    QTest::newRow("a good verdict without its cost") << cabecera + "V\\n'" << Veredictos{V, E};
    QTest::newRow("a cost out of range") << cabecera + "V -1 1\\n'" << Veredictos{V, E};
    QTest::newRow("a cost on a bad verdict") << cabecera + "I 1 1\\n'" << Veredictos{V, E};
    QTest::newRow("a line past its length") << cabecera + "V 1 " + QByteArray(40, '1') + "\\n'" << Veredictos{V, E};
    QTest::newRow("a line without its end") << cabecera + "I'" << Veredictos{V, E};
    QTest::newRow("killed after one verdict") << cabecera + "'; kill -KILL $$" << Veredictos{V, E};
    QTest::newRow("out of time after one verdict") << cabecera + "X\\n'" << Veredictos{V, E};
    QTest::newRow("more verdicts than patterns") << cabecera + "I\\nV 1 1\\nV 1 1\\n'" << Veredictos{V, I};
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
    QCOMPARE(juzga(patrones), veredictos);

    // What the child reported stays; the rest is judged anew, and is valid.
    KovJuezPatron::setEjecutable(servicio());
    const int hijos = KovJuezPatron::hijosIniciados();
    Veredictos despues = veredictos;
    std::replace(despues.begin(), despues.end(), E, V);
    QCOMPARE(juzga(patrones), despues);
    QCOMPARE(KovJuezPatron::hijosIniciados(), hijos + (veredictos.contains(E) ? 1 : 0));
}

// A child slow in wall time but within its processor limit, as on a loaded machine, is waited for: held stopped for
// longer than the judge once gave a child in all, it is not refused for it. Meanwhile other calls go on, with a
// child of their own or, for what is known, none.
void TestKovJuezPatron::slowChildWaitedFor()
{
    const QString archivoPid = carpeta.filePath(QStringLiteral("lento.pid"));
    KovJuezPatron::setEjecutable(anotado(carpeta, QStringLiteral("lento"), archivoPid,
                                         "kill -STOP $$; exec '" ORVANTIS_BINARY "' \"$@\""));
    const QStringList patrones{QStringLiteral("(a|b)\\1lento"), QStringLiteral("lento{2,1}")};
    Veredictos obtenidos;
    std::unique_ptr<QThread> hilo(QThread::create([&] { obtenidos = juzga(patrones); }));
    hilo->start();
    const pid_t hijo = esperaHijo(archivoPid, 'T');
    const auto suelta = qScopeGuard([&] {
        if (hijo > 0)
            ::kill(hijo, SIGCONT);
        else
            hilo->requestInterruption();
        hilo->wait();
    });
    QVERIFY(hijo > 0);
    KovJuezPatron::setEjecutable(servicio());
    QElapsedTimer detenido;
    detenido.start();

    QCOMPARE(juzga({QStringLiteral("(a|b)\\1otro"), QStringLiteral("otro{2,1}")}), (Veredictos{V, I}));
    const int hijos = KovJuezPatron::hijosIniciados();
    QCOMPARE(juzga({QStringLiteral("(a|b)\\1otro")}), Veredictos{V});
    QCOMPARE(KovJuezPatron::hijosIniciados(), hijos);

    while (detenido.elapsed() < kDetencionMs) {
        QVERIFY(!hilo->isFinished());
        QThread::msleep(100);
    }
    QCOMPARE(::kill(hijo, SIGCONT), 0);
    QVERIFY(hilo->wait(600000));
    QCOMPARE(obtenidos, (Veredictos{V, I}));
}

// A thread asked to end, as the service's quit asks its connections, stops waiting for its child at once: the child
// is killed, and what it did not report is refused for that call only.
void TestKovJuezPatron::quitEndsTheWait()
{
    const QString archivoPid = carpeta.filePath(QStringLiteral("dormido.pid"));
    KovJuezPatron::setEjecutable(anotado(carpeta, QStringLiteral("dormido"), archivoPid, "exec sleep 600"));
    const QStringList patrones{QStringLiteral("(a|b)\\1dormido")};
    Veredictos obtenidos;
    std::unique_ptr<QThread> hilo(QThread::create([&] { obtenidos = juzga(patrones); }));
    hilo->start();
    const auto espera = qScopeGuard([&] {
        hilo->requestInterruption();
        hilo->wait();
    });
    const pid_t hijo = esperaHijo(archivoPid, 'S');
    QVERIFY(hijo > 0);
    hilo->requestInterruption();
    // Far less than the wait for a child, far more than a loaded machine takes to see the request.
    QVERIFY(hilo->wait(60000));
    QCOMPARE(obtenidos, Veredictos{E});
    QVERIFY(::kill(hijo, 0) != 0 && errno == ESRCH);

    KovJuezPatron::setEjecutable(servicio());
    QCOMPARE(juzga(patrones), Veredictos{V});
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
                                  " [ -e /proc/$$/fd/0 ] && [ -e /proc/$$/fd/1 ] || l=I;"
                                  " [ $l = V ] && l='V 1 1'; printf \"KOVJUEZ2 0\\n$l\\n\"");
    KovJuezPatron::setEjecutable(ruta);
    const Veredictos veredictos = juzga({QStringLiteral("descriptores{2,1}")});
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
        hilos << QThread::create([patrones, destino] { *destino = juzga(patrones); });
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
        QCOMPARE(juzga(muchos.mid(desde, 3400)), Veredictos(3400, V));
    int hijos = KovJuezPatron::hijosIniciados();
    QCOMPARE(juzga({muchos.last()}), Veredictos{V});
    QCOMPARE(KovJuezPatron::hijosIniciados(), hijos);
    QCOMPARE(juzga({muchos.first()}), Veredictos{V});
    QCOMPARE(KovJuezPatron::hijosIniciados(), hijos + 1);

    QStringList largos;
    for (int lote = 0; lote < 3; ++lote) {
        QStringList patrones;
        for (int i = 0; i < 100; ++i)
            patrones << QStringLiteral("[%1 %2 ").arg(lote).arg(i) + QStringLiteral("abcd").repeated(2000) + ']';
        QCOMPARE(juzga(patrones), Veredictos(patrones.size(), V));
        largos += patrones;
    }
    hijos = KovJuezPatron::hijosIniciados();
    QCOMPARE(juzga({largos.last()}), Veredictos{V});
    QCOMPARE(KovJuezPatron::hijosIniciados(), hijos);
    QCOMPARE(juzga({largos.first()}), Veredictos{V});
    QCOMPARE(KovJuezPatron::hijosIniciados(), hijos + 1);
}

QTEST_GUILESS_MAIN(TestKovJuezPatron)
#include "tst_kovjuezpatron.moc"
