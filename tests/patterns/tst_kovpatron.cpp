#include "kovpatron.h"
#include "patronfixture.h"

#include <QRegExp>
#include <QtTest>

#include <thread>

namespace {

const QString kNumerico = QStringLiteral("0123456789./-,A ");
const QString kAlfanumerico = QStringLiteral("0123456789AZMaz-_ \u00d1");

QString textoAzar(const QString &alfabeto, int largoMaximo, quint32 *semilla)
{
    const int largo = int(siguienteAzar(semilla) % uint(largoMaximo + 1));
    QString t;
    for (int k = 0; k < largo; ++k)
        t += alfabeto.at(int(siguienteAzar(semilla) % uint(alfabeto.size())));
    return t;
}

// A text of the pattern's language with up to three edits: near misses, and now and then another text of the
// language.
QString muta(QString t, const QString &alfabeto, quint32 *semilla)
{
    const int cambios = int(siguienteAzar(semilla) % 4);
    for (int i = 0; i < cambios; ++i) {
        const int donde = t.isEmpty() ? 0 : int(siguienteAzar(semilla) % uint(t.size()));
        const QChar c = alfabeto.at(int(siguienteAzar(semilla) % uint(alfabeto.size())));
        switch (siguienteAzar(semilla) % 5) {
        case 0:
            if (!t.isEmpty())
                t[donde] = c;
            break;
        case 1:
            t.insert(donde, c);
            break;
        case 2:
            t.remove(donde, 1);
            break;
        case 3:
            t.insert(donde, t.mid(donde, 1 + int(siguienteAzar(semilla) % 4)));
            break;
        default:
            t.truncate(donde);
            break;
        }
    }
    return t;
}

// Every text up to `largo` characters of the alphabet, the empty one first.
QStringList todosLosTextos(const QString &alfabeto, int largo)
{
    QStringList todos{QString()};
    QStringList nivel{QString()};
    for (int l = 0; l < largo; ++l) {
        QStringList siguiente;
        for (const QString &t : nivel) {
            for (const QChar c : alfabeto)
                siguiente.append(t + c);
        }
        todos += siguiente;
        nivel = siguiente;
    }
    return todos;
}

// Patterns drawn from a grammar of QRegExp's whole syntax: characters and escapes, classes in the forms QRegExp
// reads (a "]" first, ranges either way, escapes and a "-" anywhere), groups of both kinds, alternatives with empty
// branches, every quantifier, anchors and boundaries anywhere, look-aheads anywhere and nested. No more look-aheads than
// QRegExp takes: past its thirteenth it loses the memory of every one, and a pattern that copies a look-ahead by a
// counted repetition is one way past it.
class Gramatica
{
public:
    explicit Gramatica(quint32 semilla) : semilla(semilla) {}

    QString patron()
    {
        adelantes = 0;
        QString p;
        if (entre(4) == 0)
            p += adelante(1);
        return p + expresion(0);
    }

private:
    int entre(int n) { return int(siguienteAzar(&semilla) % uint(n)); }

    QString expresion(int profundidad)
    {
        QString r;
        const int ramas = 1 + entre(3);
        for (int i = 0; i < ramas; ++i) {
            if (i)
                r += QLatin1Char('|');
            const int atomos = entre(4);
            for (int j = 0; j < atomos; ++j)
                r += atomo(profundidad);
        }
        return r;
    }

    QString clase()
    {
        static const char *const piezas[] = {"a",   "b",   "0",   "_",   "-",      "a-b",    "0-9", "\\d",
                                             "\\w", "\\s", "\\W", "\\D", "\\S",    "]",      "^",   "\\]",
                                             "\\-", "b-a", ".",   "[",   "\\x0061", "\\0141", "\\\\", "\u00e9"};
        QString r = QStringLiteral("[");
        if (entre(3) == 0)
            r += QLatin1Char('^');
        const int n = 1 + entre(3);
        for (int i = 0; i < n; ++i)
            r += QString::fromUtf8(piezas[entre(int(sizeof piezas / sizeof *piezas))]);
        return r + QLatin1Char(']');
    }

    QString cuantificador()
    {
        switch (entre(12)) {
        case 0: return QStringLiteral("*");
        case 1: return QStringLiteral("+");
        case 2: return QStringLiteral("?");
        case 3: return QStringLiteral("{%1}").arg(entre(4));
        case 4: return QStringLiteral("{%1,}").arg(entre(3));
        case 5: {
            const int a = entre(3);
            return QStringLiteral("{%1,%2}").arg(a).arg(a + entre(3));
        }
        case 6: return QStringLiteral("{,%1}").arg(entre(3));
        case 7: return QStringLiteral("{,}");
        default: return QString();
        }
    }

    QString adelante(int profundidad)
    {
        ++adelantes;
        ++dentro;
        const QString r = (entre(2) ? QStringLiteral("(?=") : QStringLiteral("(?!")) + expresion(profundidad)
                          + QLatin1Char(')');
        --dentro;
        return r;
    }

    QString atomo(int profundidad)
    {
        static const QString letras = QStringLiteral("ab0_- \u00e9");
        // \i \c \p mean letters everywhere but inside a look-ahead, where QRegExp leaves their meaning to chance.
        static const char *const escapes[] = {"\\d", "\\w", "\\s", "\\W", "\\.", "\\-", "\\x0061", "\\n", "\\i", "\\0"};
        static const char *const anclas[] = {"^", "$", "\\b", "\\B"};
        QString r;
        switch (entre(profundidad > 3 ? 8 : 12)) {
        case 0:
        case 1:
        case 2: r = letras.at(entre(letras.size())); break;
        case 3: r = clase(); break;
        case 4: r = QStringLiteral("."); break;
        case 5: r = QString::fromLatin1(escapes[entre(dentro ? 8 : 10)]); break;
        case 6: r = QString::fromLatin1(anclas[entre(4)]); break;
        case 7: break;
        case 8:
        case 9: r = QLatin1Char('(') + expresion(profundidad + 1) + QLatin1Char(')'); break;
        case 10: r = QStringLiteral("(?:") + expresion(profundidad + 1) + QLatin1Char(')'); break;
        default:
            r = adelantes < 13 ? adelante(profundidad + 1)
                               : QLatin1Char('(') + expresion(profundidad + 1) + QLatin1Char(')');
            break;
        }
        if (r.isEmpty())
            return r;
        // A look-ahead is copied by a count, but not by * + ?.
        const bool conAdelante = r.contains(QLatin1String("(?=")) || r.contains(QLatin1String("(?!"));
        static const char *const sinCopias[] = {"", "*", "+", "?"};
        r += conAdelante ? QString::fromLatin1(sinCopias[entre(4)]) : cuantificador();
        return r;
    }

    quint32 semilla;
    int dentro = 0;
    int adelantes = 0;
};

// The verdicts on every text, or the first that differs from QRegExp's.
QString difiere(const KovPatron &automata, const QRegExp &referencia, const QStringList &textos)
{
    KovPatron::Rastro rastro;
    automata.preparaRastro(&rastro);
    for (const QString &texto : textos) {
        const bool esperado = referencia.exactMatch(texto);
        if (automata.coincide(texto, &rastro) != esperado)
            return QStringLiteral("\"%1\": QRegExp says %2").arg(texto).arg(esperado);
    }
    return QString();
}

// `n` copies of the piece, nested in counts QRegExp takes (at most 1,024 each).
QString copias(const QString &pieza, int n)
{
    if (n <= 1000)
        return QStringLiteral("(?:%1){%2}").arg(pieza).arg(n);
    return QStringLiteral("(?:(?:%1){64}){%2}(?:%1){%3}").arg(pieza).arg(n / 64).arg(n % 64);
}

// A pattern of exactly `n` positions of the family, every one of them active at once on some text; and the same
// language written plainly, which QRegExp matches fast whatever `n`.
QString deTodasActivas(int familia, int n, QString *llano)
{
    const QString hasta = n <= 1000 ? QStringLiteral("{1,%1}").arg(n) : QStringLiteral("{1,1000}.{0,%1}").arg(n - 1000);
    switch (familia) {
    case 0:
        *llano = QStringLiteral("a") + QString(hasta).replace(QLatin1Char('.'), QLatin1Char('a'));
        return copias(QStringLiteral("a?"), n - 1) + QLatin1Char('a');
    case 1:
        *llano = QStringLiteral("b+");
        return copias(QStringLiteral("b*"), n - 1) + QLatin1Char('b');
    case 2:
        *llano = QStringLiteral("[ab]") + QString(hasta).replace(QLatin1Char('.'), QStringLiteral("[ab]"));
        return copias(QStringLiteral("[ab]?"), n - 1) + QStringLiteral("[ab]");
    default: {
        *llano = QStringLiteral("a+");
        QStringList ramas;
        for (int i = 0; i < n; ++i)
            ramas << QStringLiteral("a");
        return QStringLiteral("(?:") + ramas.join(QLatin1Char('|')) + QStringLiteral(")+");
    }
    }
}

// Texts around the pattern's size: runs of one letter as long as it has positions and either side, the same with
// the other letter somewhere, and random ones.
QStringList textosDeTamano(int n, quint32 semilla)
{
    QStringList textos{QString(), QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("aa"), QStringLiteral("bb"),
                       QStringLiteral("ab"), QStringLiteral("c")};
    for (const int largo : {n - 2, n - 1, n, n + 1, n + 2, 2 * n}) {
        if (largo <= 0)
            continue;
        for (const QChar c : {QLatin1Char('a'), QLatin1Char('b')}) {
            const QString t(largo, c);
            textos << t;
            QString otra = t;
            const QChar otraLetra = c == QLatin1Char('a') ? QLatin1Char('b') : QLatin1Char('a');
            otra[int(siguienteAzar(&semilla) % uint(largo))] = otraLetra;
            textos << otra << t + QLatin1Char('c');
        }
    }
    for (int i = 0; i < 20; ++i)
        textos << textoAzar(QStringLiteral("aab"), n + 3, &semilla);
    return textos;
}

// Classes whose ranges touch the ends of the code units and the surrogates, in every way QRegExp reads a class.
QString claseDeBordes(quint32 *semilla)
{
    static const char *const piezas[] = {"\\0-\\xffff", "\\xffff-\\0", "\\x0000-\\xffff", "\\0-\\xfffe",
                                         "\\x0001-\\xffff", "\\xd800-\\xdfff", "\\xd800-\\xdbff",
                                         "\\xdc00-\\xffff", "\\xffff", "\\0", "\\xfffe", "\\xd800", "a",
                                         "-", "a-b", "\\x-\\xffff", "\\d", "\\W"};
    const int n = int(sizeof piezas / sizeof *piezas);
    QString r = QStringLiteral("[");
    if (siguienteAzar(semilla) % 3 == 0)
        r += QLatin1Char('^');
    const int cuantas = 1 + int(siguienteAzar(semilla) % 3);
    for (int i = 0; i < cuantas; ++i)
        r += QString::fromLatin1(piezas[siguienteAzar(semilla) % uint(n)]);
    return r + QLatin1Char(']');
}

QString milCodigos()
{
    QStringList codigos;
    for (int i = 0; i < 1000; ++i)
        codigos << QString::number(i).rightJustified(3, QLatin1Char('0'));
    return QLatin1Char('(') + codigos.join(QLatin1Char('|')) + QLatin1Char(')');
}

QString clasesContadas()
{
    QStringList partes;
    for (int i = 0; i < 12; ++i)
        partes << QStringLiteral("[A-Za-z0-9 .,]{1,200}");
    return partes.join(QLatin1Char('-'));
}

} // namespace

class TestKovPatron : public QObject
{
    Q_OBJECT

private slots:
    void agreesWithQRegExp_data();
    void agreesWithQRegExp();
    void randomGrammarsAgreeWithQRegExp_data();
    void randomGrammarsAgreeWithQRegExp();
    void wordSizedSetsAgreeWithQRegExp_data();
    void wordSizedSetsAgreeWithQRegExp();
    void classBoundsAgreeWithQRegExp();
    void leavesTheRestToQRegExp_data();
    void leavesTheRestToQRegExp();
    void ordinaryPatternsAreWholeDfas_data();
    void ordinaryPatternsAreWholeDfas();
    void refusedForTheirCostPerCharacter_data();
    void refusedForTheirCostPerCharacter();
    void familiesEitherSideOfTheBudget_data();
    void familiesEitherSideOfTheBudget();
    void manyProgramsEitherSideOfTheBudget();
    void sharedByThreads();
    void compilingAgainForgetsThePreviousPattern();
};

void TestKovPatron::agreesWithQRegExp_data()
{
    QTest::addColumn<QString>("patron");
    QTest::addColumn<QString>("alfabeto");
    QTest::addColumn<int>("largoMaximo");
    // Texts of the language or near it, edited into the texts tried beside the random ones.
    QTest::addColumn<QStringList>("ejemplos");

    QTest::newRow("many automaton states") << kPatronMuchosEstados << "ab" << 24
                                           << QStringList{"aaaaaaaaaa", "bbabbbbbbbbb", "abababababab"};
    const QString as = QString(41, QLatin1Char('a'));
    QTest::newRow("stepped as bit sets") << QStringLiteral("(a|b)*a(a|b){40}") << "ab" << 60
                                         << QStringList{as, QStringLiteral("b").repeated(9) + as};
    QTest::newRow("look-ahead stepped as bit sets")
        << QStringLiteral("(?!(a|b)*a(a|b){30}$)[ab]+") << "ab" << 40
        << QStringList{QString(31, QLatin1Char('b')), QString(31, QLatin1Char('a'))};
    for (const char *patron : kPatronesCompilables)
        QTest::newRow(patron) << QString::fromLatin1(patron) << alfabetoMezcla() << 8 << QStringList();
    for (const char *patron : kPatronesAnchos)
        QTest::newRow(QByteArray(QByteArray("wide ") + patron).constData())
            << QString::fromLatin1(patron) << alfabetoOtroPlano() << 5 << QStringList();

    // The shapes layouts give their columns: periods, dates, codes, series and numbers, amounts, names.
    struct Forma
    {
        const char *patron;
        QString alfabeto;
        int largoMaximo;
        QStringList ejemplos;
    };
    const Forma formas[] = {
        {"\\d{6}00", kNumerico, 10, {"20240100", "19991200"}},
        {"[0-9]{8}", kNumerico, 10, {"20240100"}},
        {"\\d{4}(0[1-9]|1[0-2])00", kNumerico, 10, {"20240100", "20241200", "20231000"}},
        {"[0-9]{11}", kNumerico, 13, {"20100066603"}},
        {"\\d{2}/\\d{2}/\\d{4}", kNumerico, 12, {"01/01/0001", "31/12/2024"}},
        {"(0[1-9]|[12][0-9]|3[01])/(0[1-9]|1[0-2])/[0-9]{4}", kNumerico, 12, {"01/01/2024", "31/12/1999", "20/10/2000"}},
        {"[0-9]{4}-[0-9]{2}-[0-9]{2}", kNumerico, 12, {"2024-01-31"}},
        {"[0-9]", kNumerico, 2, {"0", "9"}},
        {"[1-9]", kNumerico, 2, {"1", "9"}},
        {"\\d{1,2}", kNumerico, 3, {"1", "99"}},
        {"(01|03|07|08|12|14|46|50|91)", kNumerico, 3, {"01", "08", "91"}},
        {"[A-Z0-9]{4}", kAlfanumerico, 6, {"F001", "E0A1", "0000"}},
        {"E001|[A-Z]{2}[0-9]{2}", kAlfanumerico, 6, {"E001", "ZA09"}},
        {"\\d{1,8}", kNumerico, 10, {"1", "12345678"}},
        {"[A-Za-z0-9]+", kAlfanumerico, 12, {"M0001", "abcZ9"}},
        {"[A-Za-z0-9]{1,15}", kAlfanumerico, 18, {"A", "ZZZZZZZZZZZZZZZ"}},
        {"[MAC]\\d{1,9}", kAlfanumerico, 12, {"M1", "A123456789"}},
        {"[A-Z]{3}", kAlfanumerico, 4, {"PEN", "USD"}},
        {"(PEN|USD|EUR)", kAlfanumerico, 4, {"PEN", "EUR"}},
        {"\\d\\.\\d{3}", kNumerico, 6, {"1.000", "3.725"}},
        {"-?\\d{1,12}\\.\\d{2}", kNumerico, 16, {"0.00", "-123456789012.99"}},
        {"-?[0-9]{1,12}(\\.[0-9]{1,2})?", kNumerico, 16, {"5", "-12.5", "100.25"}},
        {"\\d{1,3}(,\\d{3})*\\.\\d{2}", kNumerico, 14, {"1.00", "1,234,567.89"}},
        {"[^|]{1,100}", kAlfanumerico, 12, {"PROVEEDOR SAC", "-"}},
        {"[A-Za-z\u00d1\u00f1 ]+", kAlfanumerico, 10, {"Mz Za", "\u00d1a"}},
        {"\\s*\\d+\\s*", kNumerico, 6, {"1", " 12 "}},
        {"x\\$", QStringLiteral("x$"), 3, {"x$"}},
        {"(?!0+$)[0-9]{1,15}", kNumerico, 17, {"0", "000", "0001", "123456789012345"}},
        {"^(?!0+$)[0-9]{1,15}$", kNumerico, 17, {"0", "10", "999999999999999"}},
        {"(?=.*[0-9])(?=.*[A-Z])[A-Z0-9]{4,8}", kAlfanumerico, 10, {"A1B2", "ZZZZ9"}},
        {"(?!E)[A-Z][0-9]{3}", kAlfanumerico, 6, {"F001", "E001"}},
        {"\\b[A-Z]+\\b", kAlfanumerico, 6, {"PEN", "A"}},
        // Counted classes side by side, stepped as shifts of words.
        {"[A-Z0-9]{1,200}([0-9]{4}|[A-Za-z]{1,200})_([A-Z0-9]{11}|[A-Z0-9]{4})", kAlfanumerico, 30,
         {"A1_B2C3", "AB1234_0123456789A", "Z9Zz_ABCD", QString(200, QLatin1Char('A')) + "1234_ABCD"}},
        {"[A-Za-z]{1,200}[^|]{1,200}", kAlfanumerico, 30, {"Ab", "a1", QString(200, QLatin1Char('z')) + "-"}},
    };
    for (const Forma &f : formas)
        QTest::newRow(QByteArray(QByteArray("layout ") + f.patron).constData())
            << QString::fromUtf8(f.patron) << f.alfabeto << f.largoMaximo << f.ejemplos;
}

// One automaton answers a long run of texts, as a column does over a book: the verdict on every text is
// QRegExp's, whatever the run met before it.
void TestKovPatron::agreesWithQRegExp()
{
    QFETCH(QString, patron);
    QFETCH(QString, alfabeto);
    QFETCH(int, largoMaximo);
    QFETCH(QStringList, ejemplos);

    const QRegExp referencia(patron);
    QStringList textos = valoresDePrueba(alfabeto, largoMaximo, 2000, 424242);
    textos.append(QString());
    textos += ejemplos;
    quint32 semilla = 20240131;
    for (int i = 0; i < 3000; ++i)
        textos.append(textoAzar(alfabeto, largoMaximo, &semilla));
    for (int i = 0; !ejemplos.isEmpty() && i < 3000; ++i)
        textos.append(muta(ejemplos.at(i % ejemplos.size()), alfabeto, &semilla));

    KovPatron automata;
    QCOMPARE(automata.compila(patron), KovPatron::Compilado);
    const QString fallo = difiere(automata, referencia, textos);
    QVERIFY2(fallo.isEmpty(), qPrintable(fallo));
}

void TestKovPatron::randomGrammarsAgreeWithQRegExp_data()
{
    QTest::addColumn<quint32>("semilla");
    for (quint32 semilla : {1u, 2u, 3u, 4u, 5u, 6u})
        QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(semilla))) << semilla;
}

// Generated patterns and texts: every pattern the automaton takes is one QRegExp finds valid and gives every text
// QRegExp's verdict; what the reading finds an error is what QRegExp finds one.
void TestKovPatron::randomGrammarsAgreeWithQRegExp()
{
    QFETCH(quint32, semilla);
    Gramatica gramatica(semilla);
    QStringList textos = todosLosTextos(QStringLiteral("a0_ -\u00e9"), 4);
    quint32 azar = semilla;
    for (int i = 0; i < 150; ++i)
        textos.append(textoAzar(QStringLiteral("ab0_- .\u00e9"), 9, &azar));
    int compilados = 0;
    for (int i = 0; i < 250; ++i) {
        const QString patron = gramatica.patron();
        const QRegExp referencia(patron);
        KovArbolPatron arbol;
        const bool leido = arbol.lee(patron) == KovArbolPatron::Leido;
        QVERIFY2(leido == referencia.isValid(), qPrintable(patron));
        KovPatron automata;
        if (automata.compila(patron) != KovPatron::Compilado)
            continue;
        ++compilados;
        const QString fallo = difiere(automata, referencia, textos);
        QVERIFY2(fallo.isEmpty(), qPrintable(patron + QStringLiteral(" on ") + fallo));
    }
    // The grammar reaches the automaton well, not only QRegExp's errors and its look-aheads.
    QVERIFY(compilados > 80);
}

void TestKovPatron::wordSizedSetsAgreeWithQRegExp_data()
{
    QTest::addColumn<int>("familia");
    QTest::newRow("(a?){n-1}a") << 0;
    QTest::newRow("(b*){n-1}b") << 1;
    QTest::newRow("([ab]?){n-1}[ab]") << 2;
    QTest::newRow("(a|...|a)+ of n") << 3;
}

// Patterns of as many positions as the sets' words hold and either side of it, every position active at once, up to
// where the whole DFA no longer fits: the DFA and the bit sets give every text QRegExp's verdict, on the pattern
// itself where QRegExp matches it fast and on its language written plainly everywhere. A DFA state of every
// position is a state like any other, not the start.
void TestKovPatron::wordSizedSetsAgreeWithQRegExp()
{
    QFETCH(int, familia);
    bool sinDfa = false;
    for (int palabras = 1; !sinDfa && palabras <= KovPatron::kMaxPosiciones / 64; palabras *= 2) {
        for (const int n : {64 * palabras - 1, 64 * palabras, 64 * palabras + 1}) {
            QString llano;
            const QString patron = deTodasActivas(familia, n, &llano);
            KovArbolPatron arbol;
            QCOMPARE(arbol.lee(patron), KovArbolPatron::Leido);
            const QStringList textos = textosDeTamano(n, uint(n));
            KovPatron::Presupuesto presupuesto;
            KovPatron dfa;
            const KovPatron::Resultado r = dfa.compila(arbol, &presupuesto);
            if (r == KovPatron::Excesivo) {
                sinDfa = true;
                continue;
            }
            QCOMPARE(r, KovPatron::Compilado);
            sinDfa = sinDfa || !dfa.completo();
            // The bit sets, stepped position by position and as shifts.
            std::vector<KovPatron> bits(2);
            std::vector<bool> conBits(2);
            for (int forma = 0; forma < 2; ++forma) {
                KovPatron::Presupuesto soloBits;
                soloBits.dfa = false;
                soloBits.desplazamientos = forma == 1;
                conBits[size_t(forma)] = bits[size_t(forma)].compila(arbol, &soloBits) == KovPatron::Compilado;
                QVERIFY(!conBits[size_t(forma)] || !bits[size_t(forma)].completo());
            }
            QList<QRegExp> referencias{QRegExp(llano)};
            if (n < 200)
                referencias << QRegExp(patron);
            for (const QRegExp &referencia : referencias) {
                QString fallo = difiere(dfa, referencia, textos);
                QVERIFY2(fallo.isEmpty(), qPrintable(patron.left(60) + QStringLiteral(" on ") + fallo.left(80)));
                for (int forma = 0; forma < 2; ++forma) {
                    fallo = conBits[size_t(forma)] ? difiere(bits[size_t(forma)], referencia, textos) : QString();
                    QVERIFY2(fallo.isEmpty(), qPrintable(patron.left(60) + QStringLiteral(" as bit sets (%1) on ")
                                                                                  .arg(forma) + fallo.left(80)));
                }
            }
        }
    }
    // The sweep went past where the whole DFA fits, or up to the most positions there are.
    QVERIFY(sinDfa);
}

// Generated patterns of classes at the ends of the code units (U+0000, U+FFFF) and at the surrogates: the automaton
// reads a range over every code unit as every character, and QRegExp, given the text it is to be given, reads it so
// too. Any other class is given to QRegExp as written.
void TestKovPatron::classBoundsAgreeWithQRegExp()
{
    const QString alfabeto = QString(QChar(0)) + QChar(1) + QChar(0xd800) + QChar(0xdbff) + QChar(0xdc00)
                             + QChar(0xdfff) + QChar(0xfffe) + QChar(0xffff) + QStringLiteral("a-_1");
    QStringList textos = todosLosTextos(alfabeto, 2);
    quint32 semilla = 64;
    for (int i = 0; i < 200; ++i)
        textos.append(textoAzar(alfabeto, 6, &semilla));
    int enteras = 0;
    for (int i = 0; i < 400; ++i) {
        QString patron = claseDeBordes(&semilla);
        switch (siguienteAzar(&semilla) % 4) {
        case 0: patron += QLatin1Char('*'); break;
        case 1: patron += QStringLiteral("{1,3}") + claseDeBordes(&semilla); break;
        case 2:
            patron = QStringLiteral("(?!") + patron + QStringLiteral(")") + claseDeBordes(&semilla) + QLatin1Char('+');
            break;
        default: patron += QLatin1Char('|') + claseDeBordes(&semilla); break;
        }
        KovArbolPatron arbol;
        QCOMPARE(arbol.lee(patron), KovArbolPatron::Leido);
        const QString paraQt = arbol.paraQRegExp();
        bool entera = false;
        for (int n = 0; n < arbol.nodosLeidos(); ++n) {
            if (arbol.nodo(n).tipo == KovArbolPatron::Nodo::Caracter) {
                for (const auto &r : arbol.clase(arbol.nodo(n).valor).rangos)
                    entera = entera || (r.first == 0 && r.second == 0xffff);
            }
        }
        QCOMPARE(paraQt != patron, entera);
        enteras += entera ? 1 : 0;
        const QRegExp referencia(paraQt);
        QVERIFY2(referencia.isValid(), qPrintable(paraQt));
        KovPatron automata;
        QCOMPARE(automata.compila(patron), KovPatron::Compilado);
        const QString fallo = difiere(automata, referencia, textos);
        QVERIFY2(fallo.isEmpty(), qPrintable(patron + QStringLiteral(" on ") + fallo));
    }
    QVERIFY(enteras > 50);
    // What the text given to QRegExp means: every character, and none.
    for (const char *patron : {"[\\0-\\xffff]", "[^\\0-\\xffff]", "[\\0-\\xffff-a]+"}) {
        KovArbolPatron arbol;
        QCOMPARE(arbol.lee(QString::fromLatin1(patron)), KovArbolPatron::Leido);
        const QRegExp qt(arbol.paraQRegExp());
        const bool negada = patron[1] == '^';
        for (const QChar c : alfabeto)
            QCOMPARE(qt.exactMatch(QString(c)), !negada);
    }
}

void TestKovPatron::leavesTheRestToQRegExp_data()
{
    QTest::addColumn<QString>("patron");
    QTest::addColumn<int>("resultado");

    for (const char *patron : kPatronesDeQRegExp)
        QTest::newRow(patron) << QString::fromLatin1(patron) << int(KovPatron::Ajeno);
    // Back references, anywhere, and what QRegExp finds an error (it then refuses every value).
    static const char *const otros[] = {
        "\\1", "(a)\\1", "x(?=(a)\\1)", "(?=a)(?!(a)\\1)", "(a", "a)", "[a", "a{2", "a{3,2}", "*a",
        "a|*", "[]", "\\", "a{1025}", "]", "}", "(?<a)", "(?x)", "[\\b]", "[a\\1]", "\\0777",
        "(?=a)(?=a)(?=a)(?=a)(?=a)(?=a)(?=a)(?=a)(?=a)(?=a)(?=a)(?=a)(?=a)(?=a)",
        // Three automata testing look-aheads at every point would keep six bytes per character of the field.
        "a(?=a(?=a(?=a)))a*", "[ab]*(?!a(?=b(?!a)))",
    };
    for (const char *patron : otros)
        QTest::newRow(patron) << QString::fromLatin1(patron) << int(KovPatron::Ajeno);
}

void TestKovPatron::leavesTheRestToQRegExp()
{
    QFETCH(QString, patron);
    QFETCH(int, resultado);
    KovPatron automata;
    QCOMPARE(int(automata.compila(patron)), resultado);
    QVERIFY(!automata.coincide(QString()));
}

void TestKovPatron::ordinaryPatternsAreWholeDfas_data()
{
    QTest::addColumn<QString>("patron");
    QTest::addColumn<QStringList>("ejemplos");

    QTest::newRow("period") << QStringLiteral("[0-9]{4}(0[1-9]|1[0-2])00") << QStringList{"20240100", "20241300"};
    QTest::newRow("date") << QStringLiteral("(0[1-9]|[12][0-9]|3[01])/(0[1-9]|1[0-2])/[0-9]{4}")
                          << QStringList{"31/12/2024", "32/12/2024"};
    QTest::newRow("amount") << QStringLiteral("-?[0-9]{1,12}\\.[0-9]{2}") << QStringList{"-1.00", "1.0"};
    QTest::newRow("golden books") << QStringLiteral("[0-9]{8}") << QStringList{"20240101", "2024010"};
    QTest::newRow("extended fields") << QStringLiteral("[^\\x007C\\x002F\\x005C]*") << QStringList{"ab", "a/b", "a\\b"};
    QTest::newRow("a thousand codes") << milCodigos() << QStringList{"000", "999", "1000", "09"};
    QTest::newRow("counted classes side by side")
        << clasesContadas() << QStringList{"a-b-c-d-e-f-g-h-i-j-k-l", "a-b", QStringLiteral("x").repeated(200) + "-"};
    QTest::newRow("no zeros") << QStringLiteral("(?!0+$)[0-9]{1,15}") << QStringList{"0", "00", "10", "01"};
    QTest::newRow("any text up to 999")
        << QStringLiteral(".{0,999}") << QStringList{"", QString(999, QLatin1Char('x')), QString(1000, QLatin1Char('x'))};
    QTest::newRow("words in a counted group") << QStringLiteral("(\\b[A-Z][a-z]{1,30}\\b ?){1,20}")
                                              << QStringList{"Lima Peru", "Lima  Peru", "LimaPeru", "Lima "};
}

// The patterns layouts use are matched in one table step per character, and keep their meaning exactly.
void TestKovPatron::ordinaryPatternsAreWholeDfas()
{
    QFETCH(QString, patron);
    QFETCH(QStringList, ejemplos);
    KovPatron automata;
    QCOMPARE(automata.compila(patron), KovPatron::Compilado);
    QVERIFY(automata.completo());
    // The run of each of its automata (two at most here) and one table step.
    QVERIFY(automata.costoPorCaracter() < 60);
    QStringList textos = ejemplos + valoresDePrueba(kAlfanumerico, 14, 900, 777);
    const QString fallo = difiere(automata, QRegExp(patron), textos);
    QVERIFY2(fallo.isEmpty(), qPrintable(fallo));
}

void TestKovPatron::refusedForTheirCostPerCharacter_data()
{
    QTest::addColumn<QString>("patron");

    QTest::newRow("(a|aa|aaa|b)*a(.|..){188}") << QStringLiteral("(a|aa|aaa|b)*a(.|..){188}");
    QTest::newRow("a look-ahead past the budget") << QStringLiteral("(?!(a|aa|aaa|b)*a(.|..){200})a*");
    QTest::newRow("two look-aheads past it together")
        << QStringLiteral("(?!(a|aa|aaa|b)*a(.|..){100})(?!(a|aa|aaa|b)*b(.|..){100})a*");
    QTest::newRow("more positions than the automaton holds") << QStringLiteral("[0-9]{1000}").repeated(5);
}

// A pattern the automaton would step at a cost past the budget is refused: nothing is left compiled.
void TestKovPatron::refusedForTheirCostPerCharacter()
{
    QFETCH(QString, patron);
    KovPatron automata;
    QCOMPARE(automata.compila(patron), KovPatron::Excesivo);
    QCOMPARE(automata.memoria(), qint64(0));
    QVERIFY(!automata.coincide(QStringLiteral("a")));
}

void TestKovPatron::familiesEitherSideOfTheBudget_data()
{
    QTest::addColumn<QString>("forma");
    QTest::addColumn<QString>("alfabeto");
    QTest::addColumn<QList<int>>("tamanos");

    // Swept up to past the most positions an automaton holds, or past the budget per character.
    QTest::newRow("(a|b)*a((a|b){64}){k}") << "(a|b)*a((a|b){64}){%1}" << "ab"
                                          << QList<int>{1, 2, 4, 8, 16, 31, 32, 40};
    QTest::newRow(".*a(.{64}){k}") << ".*a(.{64}){%1}" << "ab" << QList<int>{1, 4, 16, 32, 63, 64};
    QTest::newRow("(a|aa|aaa|b)*a(.|..){k}") << "(a|aa|aaa|b)*a(.|..){%1}" << "ab"
                                             << QList<int>{2, 5, 20, 50, 100, 150, 187, 188, 300};
    QTest::newRow("(a|b)*a((a|b){50}){k}") << "(a|b)*a((a|b){50}){%1}" << "ab" << QList<int>{1, 2, 3, 4, 8, 13, 41};
    QTest::newRow("class of 600 ranges, .*a([...]{k}){4}")
        << QStringLiteral(".*a(") + claseDeRangos(600) + QStringLiteral("{%1}){4}")
        << QStringLiteral("a\u0100\u0104b") << QList<int>{1, 2, 8, 30, 1024};
    QTest::newRow("(?!(a|b)*a((a|b){64}){k})[ab]*") << "(?!(a|b)*a((a|b){64}){%1})[ab]*" << "ab"
                                                    << QList<int>{1, 2, 8, 31, 32};
}

// Families of patterns swept in size: small ones are taken at a cost within the budget and match as QRegExp does,
// and from some size on every one is refused.
void TestKovPatron::familiesEitherSideOfTheBudget()
{
    QFETCH(QString, forma);
    QFETCH(QString, alfabeto);
    QFETCH(QList<int>, tamanos);

    bool rechazado = false;
    QString ultimoAdmitido;
    for (const int k : tamanos) {
        const QString patron = forma.arg(k);
        KovPatron automata;
        const KovPatron::Resultado r = automata.compila(patron);
        QVERIFY2(r != KovPatron::Ajeno, qPrintable(patron));
        if (r == KovPatron::Excesivo) {
            rechazado = true;
            continue;
        }
        QVERIFY2(!rechazado, qPrintable(patron + QStringLiteral(" taken after a smaller one was refused")));
        QVERIFY(automata.costoPorCaracter() <= KovPatron::kCostoMaximo);
        if (ultimoAdmitido.isEmpty()) {
            quint32 semilla = uint(k);
            QStringList textos = todosLosTextos(alfabeto, 6);
            for (int i = 0; i < 300; ++i)
                textos.append(textoAzar(alfabeto, 3 * k + 4, &semilla));
            const QString fallo = difiere(automata, QRegExp(patron), textos);
            QVERIFY2(fallo.isEmpty(), qPrintable(patron + QStringLiteral(" on ") + fallo));
        }
        ultimoAdmitido = patron;
    }
    QVERIFY2(!ultimoAdmitido.isEmpty(), qPrintable(forma));
    QVERIFY2(rechazado, qPrintable(forma));
    // The largest taken still matches as QRegExp does, on texts long enough to reach its far positions.
    KovPatron automata;
    QCOMPARE(automata.compila(ultimoAdmitido), KovPatron::Compilado);
    quint32 semilla = 99;
    QStringList textos;
    for (int i = 0; i < 40; ++i)
        textos.append(textoAzar(alfabeto, 600, &semilla));
    const QString fallo = difiere(automata, QRegExp(ultimoAdmitido), textos);
    QVERIFY2(fallo.isEmpty(), qPrintable(ultimoAdmitido + QStringLiteral(" on ") + fallo));
}

// Look-aheads that each run an automaton of their own over the field, swept in number: what the pattern costs is
// what its automata cost together, each one's run counted and their tables held as one working set; the most
// that fit are taken, and past them every count is refused.
void TestKovPatron::manyProgramsEitherSideOfTheBudget()
{
    bool rechazado = false;
    int mayor = 0;
    double anterior = 0;
    for (const int n : {1, 2, 4, 6, 7, 8, 9, 10, 13, 20, 40, 100, 332}) {
        const QString patron = adelantesAnidados(n) + QStringLiteral("[ab]*");
        KovPatron automata;
        const KovPatron::Resultado r = automata.compila(patron);
        QVERIFY2(r != KovPatron::Ajeno, qPrintable(QString::number(n)));
        if (r == KovPatron::Excesivo) {
            rechazado = true;
            continue;
        }
        QVERIFY2(!rechazado, qPrintable(QStringLiteral("%1 taken after fewer were refused").arg(n)));
        QVERIFY(automata.completo());
        // Each one more costs at least its run.
        QVERIFY(automata.costoPorCaracter() >= anterior + (n - mayor));
        QVERIFY(automata.costoPorCaracter() <= KovPatron::kCostoMaximo);
        anterior = automata.costoPorCaracter();
        mayor = n;
        if (n <= 13) {
            quint32 semilla = uint(n);
            QStringList textos = todosLosTextos(QStringLiteral("ab"), 11);
            for (int i = 0; i < 200; ++i)
                textos.append(textoAzar(QStringLiteral("ab"), 40, &semilla));
            const QString fallo = difiere(automata, QRegExp(patron), textos);
            QVERIFY2(fallo.isEmpty(), qPrintable(patron.left(40) + QStringLiteral(" on ") + fallo));
        }
    }
    QVERIFY(mayor >= 4);
    QVERIFY(rechazado);
}

// One compiled pattern serves several threads at once, each with a scratch of its own.
void TestKovPatron::sharedByThreads()
{
    for (const QString &patron : {QStringLiteral("(a|b)*a(a|b){20}"), QStringLiteral("(?!a+$)[ab]{2,9}")}) {
        KovPatron automata;
        QCOMPARE(automata.compila(patron), KovPatron::Compilado);
        const QRegExp referencia(patron);
        quint32 semilla = 5;
        QStringList textos;
        QVector<bool> esperados;
        for (int i = 0; i < 3000; ++i) {
            textos.append(textoAzar(QStringLiteral("ab"), 40, &semilla));
            esperados.append(referencia.exactMatch(textos.last()));
        }
        QAtomicInt fallos;
        std::vector<std::thread> hilos;
        for (int h = 0; h < 4; ++h) {
            hilos.emplace_back([&] {
                KovPatron::Rastro rastro;
                automata.preparaRastro(&rastro);
                for (int vuelta = 0; vuelta < 3; ++vuelta) {
                    for (int i = 0; i < textos.size(); ++i) {
                        if (automata.coincide(textos.at(i), &rastro) != esperados.at(i))
                            fallos.fetchAndAddRelaxed(1);
                    }
                }
            });
        }
        for (std::thread &h : hilos)
            h.join();
        QCOMPARE(fallos.loadRelaxed(), 0);
    }
}

void TestKovPatron::compilingAgainForgetsThePreviousPattern()
{
    KovPatron automata;
    QCOMPARE(automata.compila(QStringLiteral("a+")), KovPatron::Compilado);
    QVERIFY(automata.coincide(QStringLiteral("aaa")));
    QVERIFY(!automata.coincide(QStringLiteral("b")));
    QCOMPARE(automata.compila(QStringLiteral("b+")), KovPatron::Compilado);
    QVERIFY(!automata.coincide(QStringLiteral("aaa")));
    QVERIFY(automata.coincide(QStringLiteral("bb")));
    QCOMPARE(automata.compila(QStringLiteral("(a)\\1")), KovPatron::Ajeno);
    QVERIFY(!automata.coincide(QStringLiteral("bb")));
}

QTEST_APPLESS_MAIN(TestKovPatron)
#include "tst_kovpatron.moc"
