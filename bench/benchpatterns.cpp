#include "benchpatterns.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "kovpatrones.h"
#include "kovtrabajadores.h"

namespace {

// `n` look-aheads `(?=[ab]*a[ab]{9})`, at most 13 at the start of each engine as QRegExp takes them, before
// `[ab]*`: each one a whole DFA of its own run over the field.
QString lookAheads(int n)
{
    QString r;
    const int here = qMin(13, n);
    for (int i = 0, rest = n - here; i < here; ++i) {
        const int share = rest / (here - i);
        rest -= share;
        r += QStringLiteral("(?=") + lookAheads(share) + QStringLiteral("[ab]*a[ab]{9})");
    }
    return r;
}

// The most of them set-up admits.
int mostLookAheads()
{
    int n = 1;
    for (;; ++n) {
        KovPatrones patrones(KovTrabajadores::maximo() + 1);
        if (!patrones.agrega(lookAheads(n + 1) + QStringLiteral("[ab]*")))
            return n;
    }
}

// A field of a's and b's that every look-ahead holds on to its end.
QString abField(int length)
{
    QString v;
    for (int i = 0; i < length; ++i)
        v += QLatin1Char(i % 3 == 1 || i + 10 == length ? 'a' : 'b');
    return v;
}

} // namespace

QList<BenchPattern> benchPatterns()
{
    const QString as(2000, QLatin1Char('a'));
    const int most = mostLookAheads();
    const QString many = lookAheads(most) + QStringLiteral("[ab]*");
    const QString manyMore = lookAheads(most + 1) + QStringLiteral("[ab]*");
    QList<BenchPattern> rows;
    for (const int length : {30, 300, 3000, 100000})
        rows.append({QStringLiteral("automaton, %1 look-aheads (the most admitted), field of %2").arg(most).arg(length),
                     many, abField(length), manyMore});
    for (const int length : {2, 30})
        rows.append({QStringLiteral("QRegExp, costliest admitted, field of %1").arg(length),
                     QStringLiteral("(a)\\1(?:a(?=a{2}))*a*"), QString(length, QLatin1Char('a')),
                     QStringLiteral("(a)\\1(?:a(?=a{3}))*a*")});
    rows.append({QStringLiteral("automaton, whole DFA, [^|]*, field of 1"), QStringLiteral("[^|]*"),
                 QStringLiteral("a"), QString()});
    return rows + QList<BenchPattern>{
        {QStringLiteral("automaton, bit sets, costliest admitted"), QStringLiteral("(a|aa|aaa|b)*a(.|..){187}"), as,
         QStringLiteral("(a|aa|aaa|b)*a(.|..){188}")},
        {QStringLiteral("automaton, bit sets stepped as shifts"), QStringLiteral(".*a(.{64}){63}"),
         QString(5000, QLatin1Char('a')),
         QStringLiteral(".*a(.{64}){64}")},
        {QStringLiteral("automaton, counted classes side by side, as shifts"),
         QStringLiteral("[A-Z0-9]{1,200}([0-9]{4}|[A-Za-z]{1,200})_([A-Z0-9]{11}|[A-Z0-9]{4})"),
         QString(200, QLatin1Char('A')) + QStringLiteral("B") + QString(199, QLatin1Char('c')) + QStringLiteral("_ABCD"),
         QString()},
        {QStringLiteral("QRegExp, costliest admitted"), QStringLiteral("(a)\\1(?:a(?=a{2}))*a*"), as,
         QStringLiteral("(a)\\1(?:a(?=a{3}))*a*")},
        {QStringLiteral("automaton, a look-ahead at every point, (?:a(?=a{3}))*a*"), QStringLiteral("(?:a(?=a{3}))*a*"),
         as, QString()},
        {QStringLiteral("automaton, a look-ahead without a bound, a(?=.*b).*"), QStringLiteral("a(?=.*b).*"),
         QStringLiteral("a") + QString(1998, QLatin1Char('c')) + QStringLiteral("b"), QString()},
        {QStringLiteral("automaton, whole DFA, [^|]*"), QStringLiteral("[^|]*"), as, QString()},
        {QStringLiteral("automaton, whole DFA, (?=.)((((((.*)))))) x580"),
         QStringLiteral("(?=.)") + QStringLiteral("((((((.*))))))").repeated(580), as, QString()},
    };
}

QList<BenchSetup> benchSetupFamilies()
{
    // A character of its own for each column, so that no two patterns are alike.
    const auto propio = [](int i) { return QString(QChar(ushort(0x100 + i))); };
    return {
        {QStringLiteral("[ab]*a[ab]{12}X, a DFA too large tried and given up"), 6000,
         [=](int i) { return QStringLiteral("[ab]*a[ab]{12}") + propio(i); }},
        {QStringLiteral("(a|b)*a(a|b){10}X, a DFA of 2,048 rows"), 6000,
         [=](int i) { return QStringLiteral("(a|b)*a(a|b){10}") + propio(i); }},
        {QStringLiteral("[ab]*a[ab]{100}X, bit sets"), 6000,
         [=](int i) { return QStringLiteral("[ab]*a[ab]{100}") + propio(i); }},
        {QStringLiteral("[0-9]{1000}X, 1,001 positions"), 6000,
         [=](int i) { return QStringLiteral("[0-9]{1000}") + propio(i); }},
        {QStringLiteral("X, one character"), 6000, propio},
        {QStringLiteral("a class of 2,000 characters"), 6000,
         [](int i) {
             QString clase = QStringLiteral("[");
             for (int k = 0; k < 2000; ++k)
                 clase += QChar(ushort(0x100 + (i * 7 + k) % 4000));
             return clase + QLatin1Char(']');
         }},
        {QStringLiteral("(?=[ab]*a[ab]{9})X, a look-ahead"), 6000,
         [=](int i) { return QStringLiteral("(?=[ab]*a[ab]{9})") + propio(i); }},
        {QStringLiteral("((?:(?:){1000}){1000}){1000}\\1X, a count of nothing (QRegExp)"), 6000,
         [=](int i) { return QStringLiteral("((?:(?:){1000}){1000}){1000}\\1") + propio(i); }},
        {QStringLiteral("(a)\\1X, QRegExp"), 6000, [=](int i) { return QStringLiteral("(a)\\1") + propio(i); }},
        {QStringLiteral("a? x1,000 X, a chain of optional letters"), 6000,
         [=](int i) { return QStringLiteral("a?").repeated(1000) + propio(i); }},
        {QStringLiteral("(a|b)* x1,000 X, a chain of loops"), 6000,
         [=](int i) { return QStringLiteral("(a|b)*").repeated(1000) + propio(i); }},
        {QStringLiteral("(?:a|\\b) x1,000 X, a chain of letters or boundaries"), 6000,
         [=](int i) { return QStringLiteral("(?:a|\\b)").repeated(1000) + propio(i); }},
    };
}

qint64 benchWritePatternBook(const QString &path, const BenchPattern &pattern, qint64 lines)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return -1;
    const QByteArray line = pattern.valor.toUtf8() + "|\n";
    for (qint64 i = 0; i < lines; ++i) {
        if (file.write(line) != line.size())
            return -1;
    }
    file.close();
    return file.size();
}

QString benchPatternRequest(const BenchPattern &pattern, const QString &bookPath, const QString &workBase)
{
    QJsonObject columna;
    columna.insert(QStringLiteral("longitud"), QStringLiteral("0"));
    columna.insert(QStringLiteral("obligatorio"), true);
    columna.insert(QStringLiteral("patron"), pattern.patron);
    columna.insert(QStringLiteral("descripcion"), QStringLiteral("valor"));
    QJsonObject request;
    request.insert(QStringLiteral("generateDetail"), 1);
    request.insert(QStringLiteral("pathHacolKov"), workBase);
    request.insert(QStringLiteral("codigo"), QStringLiteral("990100"));
    request.insert(QStringLiteral("ruc"), QStringLiteral("20100066603"));
    request.insert(QStringLiteral("periodo"), QStringLiteral("20240100"));
    request.insert(QStringLiteral("path"), bookPath);
    request.insert(QStringLiteral("ncolumnas"), 1);
    request.insert(QStringLiteral("nextendidas"), 1);
    request.insert(QStringLiteral("columnas"), QJsonArray{columna});
    return QString::fromLatin1(QJsonDocument(request).toJson(QJsonDocument::Compact).toBase64());
}
