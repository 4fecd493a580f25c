#ifndef KOVCONTROL_H
#define KOVCONTROL_H

#include "kovstatus.h"

#include <QList>
#include <QString>
#include <QVariant>

// The whole record of one job: its progress and the lists the book engine fills. A plain value type whose lists
// are implicitly shared, so copying it into the job table after every line stays cheap.
class KovControl
{
public:
    KovControl();

    KovStatus getStatus() const;
    void setStatus(const KovStatus &value);

    QList<QVariant> getErrores() const;
    QList<QVariant> getResumen() const;
    QList<QVariant> getAgregado() const;
    QList<QVariant> getCasillas() const;
    QList<QVariant> getAuxResumen() const;

    // The full result text; the aggregates and per-period totals stay out of it.
    QString toJson() const;

    KovStatus status;
    // Open to the book engine, which appends and rewrites entries in place through its pointer to the job's copy.
    QList<QVariant> errores;
    QList<QVariant> resumen;
    QList<QVariant> agregado;
    QList<QVariant> casillas;
    QList<QVariant> auxResumen;
};

#endif // KOVCONTROL_H
