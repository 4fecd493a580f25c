#ifndef KOVSUMAS_H
#define KOVSUMAS_H

#include "kovimporte.h"
#include "kovrespuesta.h"

#include <QHash>
#include <QString>
#include <QVector>

#include <utility>
#include <vector>

class KovTotales;

// One of a batch's lists of totals summed per name, in order of first appearance, so that the merge adds each name
// once per batch instead of once per line. A name's first amount is kept apart, since a name new to the job is
// stored from it as it came. The sums are exact thousandths; a batch with an amount they cannot hold exactly, or
// with a whole-number total fed a fraction, is merged line by line instead.
class KovSumas
{
public:
    // The totals of one line; `marca` marks the names summed as whole numbers.
    void agrega(const QVector<TotalRespuesta> &entradas, const QString &marca);
    // The per-period totals of one line, each under its name and period.
    void agregaPeriodos(const QVector<TotalPeriodo> &entradas);
    bool exactas() const { return exacta; }
    int entradas() const { return cuenta; }
    void limpia();

    // Adds the sums into the job's list as merging their lines one by one would; false, with the list untouched,
    // when that is not sure to give the same texts (the list's own total of a name too large, or not whole where
    // it must be). `nuevaConMarca`: a name new to the list is stored from its first amount written with the
    // decimals its name calls for.
    bool fusionaEn(KovTotales *totales, const QString &marca, bool nuevaConMarca) const;
    bool fusionaPeriodosEn(KovTotales *totales) const;

private:
    struct Fila
    {
        QString nombre;
        // The address of the name's text, which the row's own copy keeps alive.
        const void *texto;
        QString periodo;
        bool entera;
        KovImporte primera;
        // The thousandths after the first, and the absolute thousandths of all.
        qint64 resto;
        qint64 absolutas;
        int veces;
    };

    // The row of a name and period, added when new.
    int fila(const QString &nombre, const QString &periodo, int rango, int siguiente);
    int porDireccion(const void *texto) const;
    void guardaDireccion(const void *texto, int pos);
    void suma(Fila &f, const KovImporte &importe);

    std::vector<Fila> filas;
    QHash<QString, int> indice;
    // Where each rank of the previous line's entries was found.
    std::vector<int> previas;
    // The rows of names without a period by the address of their own text.
    std::vector<std::pair<const void *, int>> direcciones;
    size_t enDirecciones = 0;
    int cuenta = 0;
    bool exacta = true;
};

#endif // KOVSUMAS_H
