#ifndef KOVEXPRESION_H
#define KOVEXPRESION_H

#include <QString>

#include <memory>

class QRegExp;

// A column's regular expression in the syntax of QRegExp::RegExp, case-sensitive, tested against whole texts.
// QRegExp compiles a pattern as soon as it is copied, under a lock that every thread of the process shares, and
// each copy keeps match state of its own; so the pattern is held as its text, compiled only when this object first
// matches, and a copy starts uncompiled. Each object is used by one thread at a time.
class KovExpresion
{
public:
    KovExpresion() = default;
    KovExpresion(const KovExpresion &otra);
    KovExpresion &operator=(const KovExpresion &otra);
    ~KovExpresion();

    void setPatron(const QString &patron);
    QString getPatron() const;
    bool isEmpty() const;

    // True when the pattern is empty or matches the whole text.
    bool coincide(const QString &texto) const;

    // How many patterns objects of this class have compiled in this process, for the tests that hold a refused
    // pattern to never having been compiled here.
    static int compilaciones();

private:
    QString patron;
    mutable std::unique_ptr<QRegExp> expresion;
};

#endif // KOVEXPRESION_H
