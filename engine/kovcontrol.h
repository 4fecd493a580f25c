#ifndef KOVCONTROL_H
#define KOVCONTROL_H

#include "kovstatus.h"
#include "kovtotales.h"

#include <QList>
#include <QString>
#include <QVariant>

// The whole record of one job: its progress and the lists the book engine fills. A plain value type whose lists
// are implicitly shared, so copying it into the job table after every line stays cheap. While the book is read the
// merged totals are held compact; the getters and toJson() show them as the lists they stand for.
class KovControl
{
public:
    KovControl();

    KovStatus getStatus() const;
    void setStatus(const KovStatus &value);

    QList<QVariant> getErrores() const;
    // Each list: its compact totals, then the entries of the plain list.
    QList<QVariant> getResumen() const;
    QList<QVariant> getAgregado() const;
    QList<QVariant> getCasillas() const;
    QList<QVariant> getAuxResumen() const;

    // Turns the compact totals into the head of the plain lists, for the summary to go on with.
    void cierraTotales();

    // The full result text; the aggregates and per-period totals stay out of it.
    QString toJson() const;

    KovStatus status;
    // Open to the book engine, which appends and rewrites entries in place through its pointer to the job's copy.
    QList<QVariant> errores;
    QList<QVariant> resumen;
    QList<QVariant> agregado;
    QList<QVariant> casillas;
    QList<QVariant> auxResumen;
    // The totals the book engine merges line by line, in order of first appearance.
    KovTotales totalesResumen;
    KovTotales totalesAgregado;
    KovTotales totalesCasillas;
    KovTotales totalesAuxResumen;
};

#endif // KOVCONTROL_H
