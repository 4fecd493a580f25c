#ifndef NOMBREFIJO_H
#define NOMBREFIJO_H

#include <QString>

// A name that every record hands out (a total, a box, an aggregate), made once when its table is built. Its
// characters are laid out as QStringLiteral lays out a literal's: never freed and carrying no reference count, so
// the copies that records take on several threads at once write no memory they share (a counted name's one count
// would bounce between their cores). Equal names are made once and share their characters, which lets the book
// engine match a record's name with its own by address. A name compares and hashes as any text of the same
// characters, and changing a copy makes the copy a text of its own.
class NombreFijo
{
public:
    // Written as the tables write names, so a table keeps its rows as they read.
    NombreFijo(const char *nombre);
    explicit NombreFijo(const QString &nombre);

    const QString &texto() const { return fijo; }

private:
    QString fijo;
};

#endif // NOMBREFIJO_H
