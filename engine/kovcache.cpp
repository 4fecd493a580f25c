#include "kovcache.h"

#include <QStringList>

KovCache::KovCache()
{
}

void KovCache::insert(const QString &codigo, const QString &valor)
{
    // Several elements with the same code add up to the union of their values.
    QSet<QString> &tabla = tablas[codigo];
    const QStringList partes = valor.split(QLatin1Char(','), Qt::KeepEmptyParts);
    for (const QString &parte : partes)
        tabla.insert(parte);
}

bool KovCache::contains(const QString &codigo, const QString &valor) const
{
    const auto tabla = tablas.constFind(codigo);
    return tabla != tablas.constEnd() && tabla->contains(valor);
}
