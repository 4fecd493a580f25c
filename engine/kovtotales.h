#ifndef KOVTOTALES_H
#define KOVTOTALES_H

#include "kovimporte.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>
#include <QVector>

// The names whose sums are written as whole numbers: in the summary, and in the aggregates and the boxes.
inline QString marcaEnteraResumen()
{
    return QStringLiteral("cnt_reg");
}
inline QString marcaEnteraAgregado()
{
    return QStringLiteral("cdp_cnt");
}

// One of a job's lists of totals while the book is read: one entry per name in order of first appearance, its
// amount held as a KovImporte. The amounts change on nearly every line and sit apart from the names, which only
// grow, so a copy of the list shares both and the first change after it copies the amounts alone.
class KovTotales
{
public:
    int size() const { return importes.size(); }
    bool isEmpty() const { return importes.isEmpty(); }

    // The entry's name, its "atrib".
    const QString &nombre(int i) const { return nombres.at(i).clave; }
    // Whether the name carries the list's marker, so that its sums are written without decimals.
    bool entera(int i) const { return nombres.at(i).entera; }
    const KovImporte &importe(int i) const { return importes.at(i); }

    // The position of the name, looked up at `sugerida` and then at `otra` first; -1 when no entry has it.
    int posicion(const QString &nombre, int sugerida, int otra = -1) const
    {
        if (esta(nombre, sugerida))
            return sugerida;
        if (otra != sugerida && esta(nombre, otra))
            return otra;
        return busca(nombre);
    }
    // The same for an entry named by its name and period, whose key is name + "__" + period: at `sugerida`,
    // the entry that was added from that very name and period.
    int posicion(const QString &nombre, const QString &periodo, int sugerida) const;

    // Appends an entry under a name no entry has, and returns its position.
    int agrega(const QString &clave, bool entera, const KovImporte &importe);
    // The same for a name and period; the key is written here.
    int agrega(const QString &nombre, const QString &periodo, const KovImporte &importe);
    void cambia(int i, const KovImporte &importe);

    // The entries as the job's list shows them: {"atrib", "valor"} maps in order.
    QList<QVariant> lista() const;
    void clear();

    // Names a record gives from one fixed table are the entry's own text, shared: told apart by the pointer alone,
    // without touching a text that another thread wrote.
    static bool mismo(const QString &a, const QString &b)
    {
        // data_ptr() only hands out the pointer; Qt 5 offers it on a non-const string alone.
        return const_cast<QString &>(a).data_ptr() == const_cast<QString &>(b).data_ptr() || a == b;
    }

private:
    bool esta(const QString &nombre, int i) const
    {
        return i >= 0 && i < nombres.size() && mismo(nombres.at(i).clave, nombre);
    }
    int busca(const QString &nombre) const;

    struct Nombre
    {
        QString clave;
        // The name and period a per-period key was made from; empty otherwise.
        QString nombre;
        QString periodo;
        bool entera;
    };

    QVector<Nombre> nombres;
    QVector<KovImporte> importes;
    QHash<QString, int> indice;
};

#endif // KOVTOTALES_H
