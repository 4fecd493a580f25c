#ifndef TEXTOSPRUEBA_H
#define TEXTOSPRUEBA_H

// Texts for the tests that hold a fast reader beside the slow way it replaces: every short text of an alphabet.

#include <QString>
#include <QStringList>

// Every text of up to `largo` characters of the alphabet, the empty one first.
inline QStringList todosLosTextos(const QString &alfabeto, int largo)
{
    QStringList textos = {QString()};
    QStringList anteriores = textos;
    for (int n = 1; n <= largo; ++n) {
        QStringList nuevos;
        for (const QString &inicio : qAsConst(anteriores)) {
            for (const QChar c : alfabeto)
                nuevos << inicio + c;
        }
        textos << nuevos;
        anteriores = nuevos;
    }
    return textos;
}

#endif // TEXTOSPRUEBA_H
