#ifndef PATRONFIXTURE_H
#define PATRONFIXTURE_H

// The column patterns that both the automaton's own test and the line reader's test hold against QRegExp, and the
// values they try them on.

#include <QString>
#include <QStringList>

// Patterns the own automaton takes: every form of the syntax but back references.
static const char *const kPatronesCompilables[] = {
    "[0-9]+", "[0-9]{2}/[0-9]{2}/[0-9]{4}", "-?[0-9]+\\.[0-9]{2}", "(0[1-9]|[12][0-9]|3[01])/(0[1-9]|1[0-2])",
    "[A-Z0-9]{4}", "(01|03|07|08)", "[^/\\\\]*", "[^a-z]+", "\\d{1,3}(,\\d{3})*", "\\w+", "\\s?x", "a|ab|abc",
    "(a|ab)(c|bcd)(d*)", ".*", ".{2,5}", "x{0}y", "(ab)?c", "((a|b)c?){2,3}", "[-a]+", "[a-]+", "[0-9.]+",
    "^[0-9]+$", "[A-Za-z ]+", "([0-9]{1,3}|[0-9]{1,3}\\.[0-9]{1,2})", "[\\d.]+", "a{2,}", "\\D\\S\\W",
    "(a*)*b", "0?[0-9]", "[0-9]{1,12}(\\.[0-9]{1,2})?", "[0-9]{0,2}\\.?", "(\\d|\\.)+", "\\.", "\\-?\\d+",
    // Empty alternatives, open counts, classes as QRegExp reads them, escapes, groups that do not capture.
    "(a|)b", "a{,2}", "a{,}", "[]a]", "[b-a]+", "[a-\\d]+", "\\x0041", "\\0101\\x2d", "(?:ab)+", "\\n|\\t|\\i",
    "[^\\x007C\\x002F\\x005C]*",
    // Anchors anywhere: a "$" before a character or a "^" after one never holds.
    "ab$c", "a^b", "(^a|b)c", "a$|b", "(a|$)+", "x(^|y)", "\\ba", "a\\b", "a\\B", "\\b\\w+\\b( \\b\\w+\\b)*",
    "(\\b[A-Z][a-z]{1,30}\\b ?){1,20}", "a*\\B.?",
    // Look-aheads at the start, each run over the whole text.
    "(?!0+$)[0-9]{1,15}", "^(?!0+$)[0-9]{1,15}$", "(?=.)(.*)", "(?=a)a", "(?!b)a", "(?=[a-z]+$)\\w{2,}",
    "(?!(?=a)a)", "(?=a){2}\\w", "(?=a)?b", "((?=a)a)",
    // Look-aheads anywhere, each decided for every point of the text.
    "a(?=b)b", "a(?!c)[a-z]", "(?:a|b)*(?=a)(?:a|b)", "x(?=a)", "(?:(?=a))a", "a|(?=a)", "(x(?=a))",
    "((?=0)|(?=1))[0-9]{1,12}", "a(?=.*b).*", "[0-9]+(?!\\.)", "(\\w+(?=-)-)+\\w+", "(a(?=b|$))+b?",
    "(?:.(?!\\b))+", "(?:\\b(?=\\w)\\w+\\b(?=\\W|$)\\W?)*", "(?=.*(?=0)0)[0-9]*",
    "a(?=a(?=b))[ab]*", "(?:a(?!b(?=a)))*",
};

// Patterns that only QRegExp matches exactly (back references, also inside a look-ahead), and ones it finds
// invalid, which match no text.
static const char *const kPatronesDeQRegExp[] = {
    "(a)\\1", "(a|b)\\1", "([0-9])-\\1", "(a)\\1(?!b)[a-z]", "[[:digit:]]+", "a**", "(a", "a{3,2}",
};

// Patterns whose verdict turns on characters outside the BMP, which are two QChars to QRegExp, and on combining
// marks, which are word characters.
static const char *const kPatronesAnchos[] = {".", ".{2}", "[^a]{2}", "\\W+", "\\w+", "a\\w", "(.|a_)+"};

// A pattern whose automaton has more sets of states than the run keeps at once.
static const char *const kPatronMuchosEstados = "(a|b)*a(a|b){9}";

inline QString alfabetoMezcla()
{
    return QStringLiteral("0129aAbcdxz.-/,\\_\u00e9\u0663 ");
}

inline QString alfabetoOtroPlano()
{
    return QStringLiteral("a_\u00e9\u0301-") + QString::fromUtf8("\xF0\x9F\x98\x80");
}

// The next number of a fixed sequence, so that every run tries the same texts.
inline quint32 siguienteAzar(quint32 *semilla)
{
    *semilla = *semilla * 1103515245u + 12345u;
    return *semilla >> 16;
}

// A few values of the usual shapes, then `cantidad` texts of 1 to `largoMaximo` characters drawn from the
// alphabet, as a field holds them (runs of white space collapsed, both ends trimmed, never empty).
inline QStringList valoresDePrueba(const QString &alfabeto, int largoMaximo, int cantidad = 900,
                                   quint32 semilla = 12345)
{
    QStringList valores{QStringLiteral("1"), QStringLiteral("12/05/2024"), QStringLiteral("-12.50"),
                        QStringLiteral("1,234,567"), QStringLiteral("abcd"), QStringLiteral("aab"),
                        QStringLiteral("acac"), QStringLiteral("12.5"), QStringLiteral("\u0663\u0663")};
    for (int i = 0; i < cantidad; ++i) {
        const int largo = 1 + int(siguienteAzar(&semilla) % uint(largoMaximo));
        QString v;
        for (int k = 0; k < largo; ++k)
            v += alfabeto.at(int(siguienteAzar(&semilla) % uint(alfabeto.size())));
        v = v.simplified();
        if (!v.isEmpty())
            valores.append(v);
    }
    return valores;
}

// A class of that many ranges, "a" the first of them.
inline QString claseDeRangos(int rangos)
{
    QString clase = QStringLiteral("[a-a");
    for (int i = 1; i < rangos; ++i) {
        const int desde = 0x100 + 4 * i;
        clase += QStringLiteral("\\x%1-\\x%2")
                     .arg(desde, 4, 16, QLatin1Char('0'))
                     .arg(desde + 1, 4, 16, QLatin1Char('0'));
    }
    return clase + QLatin1Char(']');
}

// `n` look-aheads `(?=[ab]*a[ab]{9})` before `[ab]*`, at most 13 at the start of each engine as QRegExp takes them:
// each look-ahead opens with its share of the rest.
inline QString adelantesAnidados(int n)
{
    QString r;
    const int aqui = qMin(13, n);
    int resto = n - aqui;
    for (int i = 0; i < aqui; ++i) {
        const int suyos = resto / (aqui - i);
        resto -= suyos;
        r += QStringLiteral("(?=") + adelantesAnidados(suyos) + QStringLiteral("[ab]*a[ab]{9})");
    }
    return r;
}

#endif // PATRONFIXTURE_H
