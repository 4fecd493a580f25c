#ifndef PATRONHOSTILFIXTURE_H
#define PATRONHOSTILFIXTURE_H

// Column patterns that take QRegExp's compiling seconds and gigabytes, or end the process, which the judge of
// patterns and a layout's set-up must refuse. Each family is given at sizes well past the point where it passes a second
// or 100 MB (figures measured on an 8-core machine), so that no machine brings one back within the bound.

#include <QPair>
#include <QStringList>
#include <QString>
#include <QVector>

// Lookaheads nested `niveles` deep around a piece that makes each of them fail: the engine that holds a failed
// lookahead reads its text again itself, so the work doubles with every level or two.
inline QString adelantesFallidos(int niveles, const QString &falla = QStringLiteral("[a\\b]"))
{
    return QStringLiteral("(?=x").repeated(niveles) + falla + QStringLiteral(")").repeated(niveles);
}

// `pares` alternations of two anchors, each anchor of conditions of its own, between two copies of `lado`: the
// engine joins them by distributing one alternation over the other, for every pair of states it links.
inline QString entreAnclas(const QString &lado, int pares)
{
    QString anclas = QStringLiteral("(^|$)(\\b|\\B)");
    for (int i = 1; i < 14 && (i + 1) / 2 + 2 <= pares; i += 2)
        anclas += QStringLiteral("(\\%1|\\%2)").arg(i).arg(i + 1);
    for (int i = 9; i < pares; ++i)
        anclas += QStringLiteral("((?=x)|(?=y))");
    return lado + anclas + lado;
}

// An alternation of `n` single letters.
inline QString alternativas(int n)
{
    QStringList letras;
    for (int i = 0; i < n; ++i)
        letras << QString(QChar(0x100 + i));
    return QLatin1Char('(') + letras.join(QLatin1Char('|')) + QLatin1Char(')');
}

inline QVector<QPair<QString, QString>> patronesHostiles()
{
    return {
        {QStringLiteral("failed lookaheads 31 deep, 160 characters (44 s, 5.6 GB)"), adelantesFallidos(31)},
        {QStringLiteral("failed lookaheads 20 deep"), adelantesFallidos(20)},
        {QStringLiteral("failed lookaheads broken by a count"), adelantesFallidos(20, QStringLiteral("a{2,1}"))},
        {QStringLiteral("failed lookaheads broken by a reference"), adelantesFallidos(20, QStringLiteral("\\15"))},
        {QStringLiteral("broken lookaheads read again (2.5 s, 500 MB)"),
         QStringLiteral("(?=").repeated(25) + QStringLiteral("a]")},
        {QStringLiteral("anchor alternations between optional counts, 162 characters (226 s, 4.1 GB)"),
         entreAnclas(QStringLiteral("(a?){335}"), 15)},
        {QStringLiteral("anchor alternations between 80-way alternations, 466 characters (60 s, 3 GB)"),
         entreAnclas(alternativas(80), 15)},
        {QStringLiteral("13 anchor alternations between 50 optional letters (2.2 s, 260 MB)"),
         entreAnclas(QStringLiteral("(a?){50}"), 13)},
        {QStringLiteral("12 anchor alternations between 100 optional letters (4.7 s, 515 MB)"),
         entreAnclas(QStringLiteral("(a?){100}"), 12)},
        {QStringLiteral("nested counted (4 s, 640 MB)"), QStringLiteral("((a|b){1,999}){1,999}")},
        {QStringLiteral("nested optional counted (16 s, 2.5 GB)"), QStringLiteral("((a?){1,100}){1,100}")},
        {QStringLiteral("100 KB of groups (the process aborts)"), QStringLiteral("(a|b)").repeated(20000)},
    };
}

#endif // PATRONHOSTILFIXTURE_H
