#include "kovpatron.h"
#include "patronfixture.h"

#include <QRegExp>
#include <QtTest>

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

} // namespace

class TestKovPatron : public QObject
{
    Q_OBJECT

private slots:
    void agreesWithQRegExp_data();
    void agreesWithQRegExp();
    void leavesTheRestToQRegExp_data();
    void leavesTheRestToQRegExp();
    void compilingAgainForgetsThePreviousPattern();
};

void TestKovPatron::agreesWithQRegExp_data()
{
    QTest::addColumn<QString>("patron");
    QTest::addColumn<QString>("alfabeto");
    QTest::addColumn<int>("largoMaximo");
    // Texts of the language, edited into the texts tried beside the random ones.
    QTest::addColumn<QStringList>("ejemplos");

    QTest::newRow("many automaton states") << kPatronMuchosEstados << "ab" << 24
                                           << QStringList{"aaaaaaaaaa", "bbabbbbbbbbb", "abababababab"};
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
    for (const QString &ejemplo : ejemplos)
        QVERIFY2(referencia.exactMatch(ejemplo), qPrintable(ejemplo));

    QStringList textos = valoresDePrueba(alfabeto, largoMaximo, 2000, 424242);
    textos.append(QString());
    textos += ejemplos;
    quint32 semilla = 20240131;
    for (int i = 0; i < 3000; ++i)
        textos.append(textoAzar(alfabeto, largoMaximo, &semilla));
    for (int i = 0; !ejemplos.isEmpty() && i < 3000; ++i)
        textos.append(muta(ejemplos.at(i % ejemplos.size()), alfabeto, &semilla));

    KovPatron automata;
    QVERIFY(automata.compila(patron));
    for (const QString &texto : textos) {
        if (automata.coincide(texto) != referencia.exactMatch(texto))
            QFAIL(qPrintable(QStringLiteral("\"%1\": QRegExp says %2").arg(texto).arg(referencia.exactMatch(texto))));
    }
}

void TestKovPatron::leavesTheRestToQRegExp_data()
{
    QTest::addColumn<QString>("patron");

    for (const char *patron : kPatronesDeQRegExp)
        QTest::newRow(patron) << QString::fromLatin1(patron);
    // Look-arounds, boundaries, classes and escapes of letters, repetitions and automata beyond the limits, and
    // texts that are no pattern at all (QRegExp then refuses every value).
    static const char *const otros[] = {
        "(?=a)a", "(?!b)a", "\\ba", "a\\B", "[[:alpha:]]+", "\\n", "\\t", "[^\\x007C\\x002F\\x005C]*", "a{101}",
        "(a{100}){100}", "a^b", "(a", "a)", "[a", "a{2", "a{3,2}", "[b-a]", "*a", "a|*", "[]", "\\",
    };
    for (const char *patron : otros)
        QTest::newRow(patron) << QString::fromLatin1(patron);
}

void TestKovPatron::leavesTheRestToQRegExp()
{
    QFETCH(QString, patron);
    KovPatron automata;
    QVERIFY(!automata.compila(patron));
}

void TestKovPatron::compilingAgainForgetsThePreviousPattern()
{
    KovPatron automata;
    QVERIFY(automata.compila(QStringLiteral("a+")));
    QVERIFY(automata.coincide(QStringLiteral("aaa")));
    QVERIFY(!automata.coincide(QStringLiteral("b")));
    QVERIFY(automata.compila(QStringLiteral("b+")));
    QVERIFY(!automata.coincide(QStringLiteral("aaa")));
    QVERIFY(automata.coincide(QStringLiteral("bb")));
}

QTEST_APPLESS_MAIN(TestKovPatron)
#include "tst_kovpatron.moc"
