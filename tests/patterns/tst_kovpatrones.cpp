// A book's column patterns: each compiled once and shared by the book's checkers, matched at a cost per character
// bounded at set-up whichever engine matches it, and refused, before anything compiles it, past that bound or past
// what the book's patterns may hold with every checker it can have at once.
#include "kovexpresion.h"
#include "kovjuezpatron.h"
#include "kovpatrones.h"
#include "patronfixture.h"

#include <QRegExp>
#include <QtTest>

#include <thread>

namespace {

// As many checkers as a book of this machine can have at once: its workers and the job's own thread.
const int kRevisores = qMax(2, QThread::idealThreadCount() - 2) + 1;

QString repetido(const QString &pieza, int veces)
{
    return pieza.repeated(veces);
}

QString alternativas(const QString &pieza, int cuantas)
{
    QStringList partes;
    for (int i = 0; i < cuantas; ++i)
        partes << pieza;
    return partes.join(QLatin1Char('|'));
}

// The verdicts of the book's patterns on every value, against QRegExp's.
QString difiere(const KovPatrones &patrones, int columna, const QString &patron, const QStringList &valores)
{
    KovPatrones::Revision revision;
    const QRegExp referencia(patron);
    for (const QString &valor : valores) {
        const bool esperado = referencia.exactMatch(valor);
        if (patrones.coincide(columna, valor, &revision) != esperado)
            return QStringLiteral("\"%1\": QRegExp says %2").arg(valor).arg(esperado);
    }
    return QString();
}

// A pattern that only QRegExp matches (a back reference), distinct for each n, whose match state is about as large
// as the budget per character lets it be: ten captures.
QString capturasDeQRegExp(int n)
{
    QString patron;
    for (int i = 0; i < 10; ++i) {
        patron += QLatin1Char('(') + QChar(QLatin1Char('b').unicode() + ushort(n % 20)) + QLatin1Char(')');
        n /= 20;
    }
    return patron + QStringLiteral("\\1");
}

// The families of patterns only QRegExp matches (each holds a back reference), by their size.
QString deFamilia(int familia, int k)
{
    switch (familia) {
    case 0: return QStringLiteral("(a)") + repetido(QStringLiteral("(a{0,3})"), k) + QStringLiteral("\\1");
    case 1: return QStringLiteral("(x)\\1") + repetido(QStringLiteral("x(?=.)(.{0,3})"), k);
    case 2: return QStringLiteral("(a)\\1(?:a(?=a{%1}))*a*").arg(k);
    case 3: return QStringLiteral("([a-z]{1,%1})-\\1").arg(k);
    default: return QStringLiteral("(a)\\1a(?=a)") + QString(k, QLatin1Char('b'));
    }
}

} // namespace

class TestKovPatrones : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { KovJuezPatron::setEjecutable(QStringLiteral(ORVANTIS_BINARY)); }
    void refusedBeforeAnyCompile_data();
    void refusedBeforeAnyCompile();
    void matchedWithinTheBudget_data();
    void matchedWithinTheBudget();
    void patternsOnlyQRegExpMatches_data();
    void patternsOnlyQRegExpMatches();
    void qregexpFamiliesEitherSideOfTheBudget_data();
    void qregexpFamiliesEitherSideOfTheBudget();
    void lookAheadsAnywhereByTheAutomaton_data();
    void lookAheadsAnywhereByTheAutomaton();
    void wholeRangeReadAlikeByEveryRoute();
    void setUpWithinItsWork_data();
    void setUpWithinItsWork();
    void aFailedDfaIsCharged();
    void invalidPatternsMatchNoText();
    void onePatternCompiledOncePerBook();
    void sharedByCheckersAtOnce();
    void memoryCountsEveryChecker();
};

void TestKovPatrones::refusedBeforeAnyCompile_data()
{
    QTest::addColumn<QString>("patron");

    // What matching them cost per character before: QRegExp's, as the issue measured them.
    QTest::newRow("(a)(.*) x100 \\1 (0.17 ms)")
        << QStringLiteral("(a)") + repetido(QStringLiteral("(.*)"), 100) + QStringLiteral("\\1");
    QTest::newRow("(((.))|... x610)* \\1")
        << QStringLiteral("(") + alternativas(QStringLiteral("((.))"), 610) + QStringLiteral(")*\\1");
    QTest::newRow("look-aheads past the start, x13") << repetido(QStringLiteral("x(?=.)(.{0,3})"), 13);
    QTest::newRow("a look-ahead without a bound, beside a back reference") << QStringLiteral("(a)\\1(?=.*b)");
    QTest::newRow("a back reference to a capture without a bound") << QStringLiteral("(a*)\\1");
    QTest::newRow("alternations of anchors QRegExp tests as trees")
        << QStringLiteral("(a)\\1(?:(?:a|\\b|^|$)(?:a|\\b|^|$)){8}(?=a)a*");
    // What QRegExp's matcher would do with them is not defined.
    QTest::newRow("a back reference QRegExp numbers 0, reading before its table") << QStringLiteral("(a)\\65536");
    QTest::newRow("a look-ahead whose escapes QRegExp leaves to chance") << QStringLiteral("x(?=\\i)");
    // Walking it would copy nothing a billion times, as QRegExp's compile would.
    QTest::newRow("a count of nothing copied a billion times") << QStringLiteral("((?:(?:){1000}){1000}){1000}\\1");
}

// Refused as its column is read, with nothing compiled in the service and nothing left to judge.
void TestKovPatrones::refusedBeforeAnyCompile()
{
    QFETCH(QString, patron);
    const int antesQt = KovPatrones::compilaciones();
    const int antesColumnas = KovExpresion::compilaciones();
    KovPatrones patrones(kRevisores);
    QVERIFY(patrones.agrega(QStringLiteral("[0-9]{8}")));
    QVERIFY(!patrones.agrega(patron));
    QCOMPARE(KovPatrones::compilaciones(), antesQt);
    QCOMPARE(KovExpresion::compilaciones(), antesColumnas);
}

void TestKovPatrones::matchedWithinTheBudget_data()
{
    QTest::addColumn<QString>("patron");
    // A smaller one of the same shape, which QRegExp matches fast enough to be held against it; and a value the
    // pattern admits.
    QTest::addColumn<QString>("menor");
    QTest::addColumn<QString>("admitido");

    // QRegExp took 2 s, 62 ms and 0.16 ms per character of these; they open with a look-ahead, and the rest is a
    // whole DFA.
    QTest::newRow("(?=.)(((.))|... x610)*")
        << QStringLiteral("(?=.)(") + alternativas(QStringLiteral("((.))"), 610) + QStringLiteral(")*")
        << QStringLiteral("(?=.)(") + alternativas(QStringLiteral("((.))"), 4) + QStringLiteral(")*")
        << QStringLiteral("1");
    QTest::newRow("(?=.)((((((.*)))))) x580")
        << QStringLiteral("(?=.)") + repetido(QStringLiteral("((((((.*))))))"), 580)
        << QStringLiteral("(?=.)") + repetido(QStringLiteral("((((((.*))))))"), 3) << QStringLiteral("1");
    QTest::newRow("(?=.)(.*) x100") << QStringLiteral("(?=.)") + repetido(QStringLiteral("(.*)"), 100)
                                    << QStringLiteral("(?=.)") + repetido(QStringLiteral("(.*)"), 5) << QStringLiteral("1");
    QTest::newRow("(?!0+$)[0-9]{1,15}") << QStringLiteral("(?!0+$)[0-9]{1,15}") << QStringLiteral("(?!0+$)[0-9]{1,15}")
                                        << QStringLiteral("1");
    // The own automaton took 25 us and 1.4 ms per character of these, stepping each position: its active positions
    // now move as shifts of words.
    QTest::newRow("(a|b)*a((a|b){100}){13}") << QStringLiteral("(a|b)*a((a|b){100}){13}")
                                             << QStringLiteral("(a|b)*a((a|b){3}){2}")
                                             << QStringLiteral("ba") + QString(1300, QLatin1Char('b'));
    QTest::newRow("a class of 600 ranges in a 3,900-state shift register")
        << QStringLiteral(".*a(") + claseDeRangos(600) + QStringLiteral("{975}){4}")
        << QStringLiteral(".*a(") + claseDeRangos(600) + QStringLiteral("{3}){4}") << QString(3902, QLatin1Char('a'));
}

void TestKovPatrones::matchedWithinTheBudget()
{
    QFETCH(QString, patron);
    QFETCH(QString, menor);
    QFETCH(QString, admitido);
    KovPatrones patrones(kRevisores);
    QVERIFY(patrones.agrega(patron));
    QVERIFY(patrones.agrega(menor));
    QVERIFY(patrones.termina());
    QCOMPARE(patrones.modo(0), KovPatrones::Automata);
    QVERIFY(patrones.costo(0) <= KovPatron::kCostoMaximo);
    QStringList valores = valoresDePrueba(QStringLiteral("a0 "), 12);
    valores << QString() << QStringLiteral("0") << QStringLiteral("000") << QStringLiteral("010");
    const QString fallo = difiere(patrones, 1, menor, valores);
    QVERIFY2(fallo.isEmpty(), qPrintable(fallo));
    KovPatrones::Revision revision;
    QVERIFY(patrones.coincide(0, admitido, &revision));
}

void TestKovPatrones::patternsOnlyQRegExpMatches_data()
{
    QTest::addColumn<QString>("patron");
    QTest::addColumn<QString>("alfabeto");

    for (const char *patron : kPatronesDeQRegExp)
        QTest::newRow(patron) << QString::fromLatin1(patron) << alfabetoMezcla();
    QTest::newRow("repeated digit") << QStringLiteral("(\\d)\\1") << QStringLiteral("0123");
    QTest::newRow("series again") << QStringLiteral("([A-Z]{3})-\\1") << QStringLiteral("AB-");
    QTest::newRow("day again") << QStringLiteral("([0-9]{2})/([0-9]{2})/\\2") << QStringLiteral("01/");
    QTest::newRow("digits not before a point, again") << QStringLiteral("([0-9])\\1+(?!\\.)") << QStringLiteral("01.");
    QTest::newRow("five captures") << QStringLiteral("(a)(b)(c)(d)(e)\\1") << QStringLiteral("abcde");
}

// Back references and look-aheads past the start stay with QRegExp, whose cost for them is within the budget.
void TestKovPatrones::patternsOnlyQRegExpMatches()
{
    QFETCH(QString, patron);
    QFETCH(QString, alfabeto);
    KovPatrones patrones(kRevisores);
    QVERIFY(patrones.agrega(patron));
    QVERIFY(patrones.termina());
    QVERIFY(patrones.modo(0) == KovPatrones::ExpresionQt || patrones.modo(0) == KovPatrones::Nada);
    QVERIFY(patrones.costo(0) <= KovPatron::kCostoMaximo);
    const QString fallo = difiere(patrones, 0, patron, valoresDePrueba(alfabeto, 8));
    QVERIFY2(fallo.isEmpty(), qPrintable(fallo));
}

void TestKovPatrones::qregexpFamiliesEitherSideOfTheBudget_data()
{
    QTest::addColumn<int>("familia");
    QTest::addColumn<QList<int>>("tamanos");

    QTest::newRow("(a)(a{0,3}) xk \\1") << 0 << QList<int>{1, 2, 4, 8, 16, 32, 64};
    QTest::newRow("(x)\\1 x(?=.)(.{0,3}) xk") << 1 << QList<int>{1, 2, 3, 5, 8, 13};
    QTest::newRow("(a)\\1(?:a(?=a{k}))*a*") << 2 << QList<int>{1, 2, 3, 5, 10};
    QTest::newRow("([a-z]{1,k})-\\1") << 3 << QList<int>{1, 3, 10, 30, 100, 300};
    QTest::newRow("(a)\\1a(?=a) then k characters") << 4 << QList<int>{1, 10, 50, 100, 200, 1000};
}

// Families swept in size: small ones are admitted at a cost within the budget and match as QRegExp does, and from
// some size on every one is refused.
void TestKovPatrones::qregexpFamiliesEitherSideOfTheBudget()
{
    QFETCH(int, familia);
    QFETCH(QList<int>, tamanos);

    bool rechazado = false;
    bool admitido = false;
    for (const int k : tamanos) {
        const QString patron = deFamilia(familia, k);
        KovPatrones patrones(kRevisores);
        if (!patrones.agrega(patron)) {
            rechazado = true;
            continue;
        }
        QVERIFY2(!rechazado, qPrintable(patron + QStringLiteral(" admitted after a smaller one was refused")));
        QVERIFY(patrones.termina());
        QCOMPARE(patrones.modo(0), KovPatrones::ExpresionQt);
        QVERIFY(patrones.costo(0) <= KovPatron::kCostoMaximo);
        if (!admitido) {
            const QString fallo = difiere(patrones, 0, patron, valoresDePrueba(QStringLiteral("abx-"), 10));
            QVERIFY2(fallo.isEmpty(), qPrintable(fallo));
        }
        admitido = true;
    }
    QVERIFY(admitido);
    QVERIFY(rechazado);
}

void TestKovPatrones::lookAheadsAnywhereByTheAutomaton_data()
{
    QTest::addColumn<QString>("patron");
    QTest::addColumn<QString>("alfabeto");
    // Refused before, as QRegExp's cost for them had no bound, or the own automaton took no look-ahead past the start.
    QTest::newRow("((?=0)|(?=1))[0-9]{1,12}") << QStringLiteral("((?=0)|(?=1))[0-9]{1,12}") << QStringLiteral("0129");
    QTest::newRow("a(?=.*b)") << QStringLiteral("a(?=.*b)") << QStringLiteral("ab");
    QTest::newRow("a(?=.*b).*") << QStringLiteral("a(?=.*b).*") << QStringLiteral("abc");
    QTest::newRow("(?:(?:a|\\b|^|$)(?:a|\\b|^|$)){8}(?=a)a*")
        << QStringLiteral("(?:(?:a|\\b|^|$)(?:a|\\b|^|$)){8}(?=a)a*") << QStringLiteral("a b");
    // QRegExp matched these before.
    QTest::newRow("(?:a(?=a{3}))*a*") << QStringLiteral("(?:a(?=a{3}))*a*") << QStringLiteral("ab");
    QTest::newRow("[0-9]+(?!\\.)") << QStringLiteral("[0-9]+(?!\\.)") << QStringLiteral("01.");
    QTest::newRow("x(?=.)(.{0,3}) x4") << repetido(QStringLiteral("x(?=.)(.{0,3})"), 4) << QStringLiteral("xa");
}

// Look-aheads past the start are the own automaton's, decided for every point of the text in one pass from its end:
// admitted within the budget and matched as QRegExp matches them.
void TestKovPatrones::lookAheadsAnywhereByTheAutomaton()
{
    QFETCH(QString, patron);
    QFETCH(QString, alfabeto);
    const int antes = KovPatrones::compilaciones();
    KovPatrones patrones(kRevisores);
    QVERIFY(patrones.agrega(patron));
    QVERIFY(patrones.termina());
    QCOMPARE(patrones.modo(0), KovPatrones::Automata);
    QCOMPARE(KovPatrones::compilaciones(), antes);
    QVERIFY(patrones.costo(0) <= KovPatron::kCostoMaximo);
    QStringList valores = valoresDePrueba(alfabeto, 16, 3000);
    valores << QString();
    const QString fallo = difiere(patrones, 0, patron, valores);
    QVERIFY2(fallo.isEmpty(), qPrintable(fallo));
}

void TestKovPatrones::setUpWithinItsWork_data()
{
    QTest::addColumn<int>("familia");
    QTest::addColumn<int>("columnas");
    // Whether the layout is admitted whole, and whether it is refused once its work is spent (rather than for
    // its memory, or a pattern past every budget alone).
    QTest::addColumn<bool>("admitido");
    QTest::addColumn<bool>("gastado");

    QTest::newRow("[ab]*a[ab]{12}X, a DFA too large tried") << 0 << 4000 << false << true;
    QTest::newRow("[ab]*a[ab]{100}X, bit sets") << 1 << 4000 << false << true;
    QTest::newRow("X, one character each") << 2 << 4000 << true << false;
    QTest::newRow("a class of 2,000 characters") << 3 << 4000 << false << true;
    QTest::newRow("a count of nothing, copied a billion times (QRegExp)") << 4 << 50 << false << false;
    QTest::newRow("(?=[ab]*a[ab]{9})X, a look-ahead") << 5 << 4000 << false << false;
    QTest::newRow("a? x1,000 X, a chain of optional letters") << 6 << 4000 << false << true;
    QTest::newRow("(a|b)* x1,000 X, a chain of loops") << 7 << 4000 << false << true;
}

// Layouts of thousands of distinct patterns that set-up works hard on, each a pattern of its own: what their set-up
// does is charged as it goes, a failed whole DFA's attempt included, and the set-up stops at the work it may take.
void TestKovPatrones::setUpWithinItsWork()
{
    QFETCH(int, familia);
    QFETCH(int, columnas);
    QFETCH(bool, admitido);
    QFETCH(bool, gastado);
    const auto patron = [familia](int i) {
        const QString propio(QChar(ushort(0x100 + i)));
        switch (familia) {
        case 0: return QStringLiteral("[ab]*a[ab]{12}") + propio;
        case 1: return QStringLiteral("[ab]*a[ab]{100}") + propio;
        case 2: return propio;
        case 3: {
            QString clase = QStringLiteral("[");
            for (int k = 0; k < 2000; ++k)
                clase += QChar(ushort(0x100 + (i * 7 + k) % 4000));
            return clase + QLatin1Char(']');
        }
        case 4: return QStringLiteral("((?:(?:){1000}){1000}){1000}\\1") + propio;
        case 6: return QStringLiteral("a?").repeated(1000) + propio;
        case 7: return QStringLiteral("(a|b)*").repeated(1000) + propio;
        default: return QStringLiteral("(?=[ab]*a[ab]{9})") + propio;
        }
    };
    KovPatrones patrones(kRevisores);
    int c = 0;
    double antes = 0;
    double menor = KovPatrones::kTrabajoMaximo;
    while (c < columnas && patrones.agrega(patron(c))) {
        menor = std::min(menor, patrones.trabajo() - antes);
        antes = patrones.trabajo();
        ++c;
    }
    QCOMPARE(c == columnas, admitido);
    // Each pattern was charged something, and the last one no more than what was left, give or take a row.
    QVERIFY(menor > 0);
    QVERIFY2(patrones.trabajo() <= KovPatrones::kTrabajoMaximo * 1.01, qPrintable(QString::number(patrones.trabajo())));
    QCOMPARE(patrones.trabajo() > KovPatrones::kTrabajoMaximo * 0.9, gastado);
}

// What a whole DFA too large to keep spent before it was given up is charged, as much as a DFA that fits.
void TestKovPatrones::aFailedDfaIsCharged()
{
    for (const char *patron : {"[ab]*a[ab]{12}X", "(a|b)*a(a|b){13}"}) {
        KovArbolPatron arbol;
        QCOMPARE(arbol.lee(QString::fromLatin1(patron)), KovArbolPatron::Leido);
        KovPatron::Presupuesto conDfa;
        KovPatron intentado;
        QCOMPARE(intentado.compila(arbol, &conDfa), KovPatron::Compilado);
        QVERIFY(!intentado.completo());
        KovPatron::Presupuesto sinDfa;
        sinDfa.dfa = false;
        KovPatron bits;
        QCOMPARE(bits.compila(arbol, &sinDfa), KovPatron::Compilado);
        // Its rows were each looked up for every class before the bound on rows stopped it.
        QVERIFY2(sinDfa.trabajo - conDfa.trabajo > 10.0 * KovPatron::kMaxFilasDfa, patron);
    }
}

// A class range over every code unit means every character, and its negation none, whichever engine matches it:
// the own automaton, QRegExp judged and compiled for the book, and QRegExp given the column's text.
void TestKovPatrones::wholeRangeReadAlikeByEveryRoute()
{
    struct Caso
    {
        const char *patron;
        KovPatrones::Modo modo;
        QStringList admitidos;
        QStringList rechazados;
    };
    const QString u0(QChar(0));
    const QString uf(QChar(0xffff));
    const Caso casos[] = {
        {"[\\0-\\xffff]+", KovPatrones::Automata, {"a", u0 + uf, uf}, {}},
        {"[^\\0-\\xffff]|b", KovPatrones::Automata, {"b"}, {"a", uf}},
        {"([\\0-\\xffff])\\1", KovPatrones::ExpresionQt, {"aa", uf + uf, u0 + u0}, {"ab", "a"}},
        {"([\\xffff-\\0]-)\\1", KovPatrones::ExpresionQt, {"a-a-", "----"}, {"a-b-", "--"}},
        {"([^\\0-\\xffff])\\1|b", KovPatrones::ExpresionQt, {"b"}, {"aa", uf + uf}},
    };
    KovPatrones patrones(kRevisores);
    for (const Caso &c : casos)
        QVERIFY(patrones.agrega(QString::fromLatin1(c.patron)));
    QVERIFY(patrones.termina());
    KovPatrones::Revision revision;
    for (int i = 0; i < int(sizeof casos / sizeof *casos); ++i) {
        const Caso &c = casos[i];
        QCOMPARE(patrones.modo(i), c.modo);
        const QRegExp columna(patrones.paraQRegExp(i));
        for (const QString &v : c.admitidos) {
            QVERIFY2(patrones.coincide(i, v, &revision), c.patron);
            QVERIFY2(columna.exactMatch(v), c.patron);
        }
        for (const QString &v : c.rechazados) {
            QVERIFY2(!patrones.coincide(i, v, &revision), c.patron);
            QVERIFY2(!columna.exactMatch(v), c.patron);
        }
    }
    // Any other pattern is given to QRegExp as written.
    KovPatrones otros(kRevisores);
    QVERIFY(otros.agrega(QStringLiteral("[\\0-\\xfffe](a)\\1")));
    QCOMPARE(otros.paraQRegExp(0), QStringLiteral("[\\0-\\xfffe](a)\\1"));
}

// A pattern QRegExp finds invalid matches no text: it is judged, never compiled in the service, and every value of
// its column fails it.
void TestKovPatrones::invalidPatternsMatchNoText()
{
    const int antes = KovPatrones::compilaciones();
    KovPatrones patrones(kRevisores);
    for (const char *patron : {"a**", "[[:digit:]]+", "(a", "a{3,2}", "[\\b]", "x(?=y"})
        QVERIFY(patrones.agrega(QString::fromLatin1(patron)));
    QVERIFY(patrones.termina());
    QCOMPARE(KovPatrones::compilaciones(), antes);
    KovPatrones::Revision revision;
    for (int c = 0; c < 6; ++c) {
        QCOMPARE(patrones.modo(c), KovPatrones::Nada);
        for (const char *valor : {"a", "aa", "1", "[[:digit:]]", "x", "xy"})
            QVERIFY(!patrones.coincide(c, QString::fromLatin1(valor), &revision));
    }
}

// A thousand columns of one pattern hold it once: one automaton, or one QRegExp compiled for the book.
void TestKovPatrones::onePatternCompiledOncePerBook()
{
    const int antes = KovPatrones::compilaciones();
    KovPatrones patrones(kRevisores);
    for (int i = 0; i < 1000; ++i) {
        QVERIFY(patrones.agrega(QStringLiteral("([0-9])-\\1")));
        QVERIFY(patrones.agrega(QStringLiteral("(0[1-9]|1[0-2])/[0-9]{4}")));
    }
    const double memoria = patrones.memoria();
    QVERIFY(patrones.termina());
    QCOMPARE(KovPatrones::compilaciones(), antes + 1);
    QVERIFY(patrones.memoria() < 1024 * 1024);
    QVERIFY(memoria > 0);
    KovPatrones::Revision revision;
    QVERIFY(patrones.coincide(1998, QStringLiteral("7-7"), &revision));
    QVERIFY(!patrones.coincide(1998, QStringLiteral("7-8"), &revision));
    QVERIFY(patrones.coincide(1999, QStringLiteral("12/2024"), &revision));
}

// The checkers of a book match its patterns at once, each with its own state, QRegExp's engine shared.
void TestKovPatrones::sharedByCheckersAtOnce()
{
    const QStringList fuentes{QStringLiteral("(a|b)\\1[ab]*"), QStringLiteral("(a|b)*a(a|b){20}"),
                              QStringLiteral("(?!a+$)[ab]{2,9}")};
    KovPatrones patrones(4);
    for (const QString &patron : fuentes)
        QVERIFY(patrones.agrega(patron));
    QVERIFY(patrones.termina());
    quint32 semilla = 17;
    QStringList valores;
    QVector<QVector<bool>> esperados(fuentes.size());
    for (int i = 0; i < 1500; ++i) {
        QString v;
        const int largo = 1 + int(siguienteAzar(&semilla) % 30);
        for (int k = 0; k < largo; ++k)
            v += QLatin1Char(siguienteAzar(&semilla) % 2 ? 'a' : 'b');
        valores << v;
        for (int c = 0; c < fuentes.size(); ++c)
            esperados[c].append(QRegExp(fuentes.at(c)).exactMatch(v));
    }
    QAtomicInt fallos;
    std::vector<std::thread> hilos;
    for (int h = 0; h < 4; ++h) {
        hilos.emplace_back([&] {
            KovPatrones::Revision revision;
            for (int vuelta = 0; vuelta < 2; ++vuelta) {
                for (int i = 0; i < valores.size(); ++i) {
                    for (int c = 0; c < fuentes.size(); ++c) {
                        if (patrones.coincide(c, valores.at(i), &revision) != esperados.at(c).at(i))
                            fallos.fetchAndAddRelaxed(1);
                    }
                }
            }
        });
    }
    for (std::thread &h : hilos)
        h.join();
    QCOMPARE(fallos.loadRelaxed(), 0);
}

// Every checker a book can have at once copies each QRegExp of the book, with match state of its own: the bound
// counts them all. Patterns that fit held once do not fit held by the workers and the key stage together.
void TestKovPatrones::memoryCountsEveryChecker()
{
    const int revisores = kRevisores;
    QVERIFY(revisores >= 3);
    KovPatrones uno(1);
    KovPatrones todos(revisores);
    const int cantidad = 1500;
    for (int i = 0; i < cantidad; ++i) {
        QVERIFY(uno.agrega(capturasDeQRegExp(i)));
        QVERIFY(todos.agrega(capturasDeQRegExp(i)));
    }
    const int antes = KovPatrones::compilaciones();
    QVERIFY(!todos.termina());
    QCOMPARE(KovPatrones::compilaciones(), antes);
    QVERIFY(todos.memoria() > KovPatrones::kMemoriaMaxima);
    QVERIFY(uno.termina());
    QCOMPARE(KovPatrones::compilaciones(), antes + cantidad);
    QVERIFY(uno.memoria() <= KovPatrones::kMemoriaMaxima);
    // Each automaton's scratch counts too, once per checker; the largest serves every pattern in turn.
    KovPatrones automatas(revisores);
    QVERIFY(automatas.agrega(QStringLiteral("(a|b)*a(a|b){100}")));
    const double con = automatas.memoria();
    QVERIFY(automatas.agrega(QStringLiteral("(a|b)*a(a|b){20}")));
    QVERIFY(automatas.termina());
    QVERIFY(automatas.memoria() > con);
    QVERIFY(automatas.memoria() < con + 64 * 1024);
}

QTEST_GUILESS_MAIN(TestKovPatrones)
#include "tst_kovpatrones.moc"
