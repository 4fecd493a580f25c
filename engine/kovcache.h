#ifndef KOVCACHE_H
#define KOVCACHE_H

#include <QMap>
#include <QSet>
#include <QString>

// The request's parameter tables: for each table code, the value texts a column naming that table accepts.
class KovCache
{
public:
    KovCache();

    // Adds every comma-separated part of valor (untrimmed, empty parts kept) to table codigo.
    void insert(const QString &codigo, const QString &valor);
    bool contains(const QString &codigo, const QString &valor) const;

private:
    QMap<QString, QSet<QString>> tablas;
};

#endif // KOVCACHE_H
