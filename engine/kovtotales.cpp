#include "kovtotales.h"

#include <QVariantMap>

int KovTotales::busca(const QString &nombre) const
{
    return indice.value(nombre, -1);
}

int KovTotales::posicion(const QString &nombre, const QString &periodo, int sugerida) const
{
    if (sugerida >= 0 && sugerida < nombres.size()) {
        const Nombre &n = nombres.at(sugerida);
        if (mismo(n.nombre, nombre) && mismo(n.periodo, periodo))
            return sugerida;
    }
    // Another split of the same key is the same entry.
    return indice.value(nombre + QStringLiteral("__") + periodo, -1);
}

int KovTotales::agrega(const QString &clave, bool entera, const KovImporte &importe)
{
    const int pos = importes.size();
    nombres.append(Nombre{clave, QString(), QString(), entera});
    importes.append(importe);
    indice.insert(clave, pos);
    return pos;
}

int KovTotales::agrega(const QString &nombre, const QString &periodo, const KovImporte &importe)
{
    const int pos = agrega(nombre + QStringLiteral("__") + periodo, false, importe);
    nombres[pos].nombre = nombre;
    nombres[pos].periodo = periodo;
    return pos;
}

void KovTotales::cambia(int i, const KovImporte &importe)
{
    // An unchanged amount leaves a shared copy shared.
    if (importes.at(i) != importe)
        importes[i] = importe;
}

QList<QVariant> KovTotales::lista() const
{
    QList<QVariant> l;
    l.reserve(importes.size());
    for (int i = 0; i < importes.size(); ++i) {
        QVariantMap m;
        m.insert(QStringLiteral("atrib"), nombres.at(i).clave);
        m.insert(QStringLiteral("valor"), importes.at(i).texto());
        l.append(m);
    }
    return l;
}

void KovTotales::clear()
{
    nombres.clear();
    importes.clear();
    indice.clear();
}
