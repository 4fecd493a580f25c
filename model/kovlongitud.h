#ifndef KOVLONGITUD_H
#define KOVLONGITUD_H

#include <QString>

// A column's length pattern ("0", "12", "&40", "&12.2", "8-11", ...) and the check of a value against it.
class KovLongitud
{
public:
    KovLongitud();

    bool setPatronLongitud(const QString &patron);
    bool checkLongitud(const QString &valor) const;

    QString getPatronLongitud() const;
    int getTipo() const;
    int getEnteros() const;
    int getDecimales() const;
    int getMinimo() const;
    int getMaximo() const;

private:
    QString patronLongitud;
    qint32 tipo;
    qint32 enteros;
    qint32 decimales;
    qint32 minimo;
    qint32 maximo;
};

#endif // KOVLONGITUD_H
