#ifndef KOVLLAVE_H
#define KOVLLAVE_H

#include <QByteArray>
#include <QString>

// A line's key as its key columns are read: the parts in column order joined with "|" (a character no field can
// hold, since it separates the fields of a line). A separator goes before every part but the first, also around
// empty parts, so ("", "B") and ("B", "") are different keys; a key whose parts are all empty has no text and is
// never stored.
class KovLlave
{
public:
    void agrega(const QString &parte);
    void limpia();
    bool conTexto() const { return llaveConTexto; }
    const QString &texto() const { return llave; }
    // The key as the index stores it.
    QByteArray bytes() const { return llave.toUtf8(); }

private:
    QString llave;
    int partes = 0;
    bool llaveConTexto = false;
};

#endif // KOVLLAVE_H
