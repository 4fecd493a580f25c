#ifndef KOVJOBTABLE_H
#define KOVJOBTABLE_H

#include "kovcontrol.h"

#include <QMap>
#include <QMutex>
#include <QString>

// The process-wide job table, from ticket to record, and the ticket counter. Both are touched only while
// gMutex is held; records go in and out as whole copies, never by reference.
extern QMap<QString, KovControl> &gMap;
extern qint64 gTicket;
extern QMutex gMutex;

// Each helper below is one short step under gMutex; none may be called while the caller holds it.

// Draws the next ticket ("1" first) and enters a fresh record under it.
QString kovNewJob();
// Copies the record out; false, and *record untouched, when the ticket is not in the table.
bool kovGetJob(const QString &ticket, KovControl *record);
// Sets the cancel flag of the record; false when the ticket is not in the table.
bool kovCancelJob(const QString &ticket);
// Takes the record out of the table; false when the ticket was not in it.
bool kovRemoveJob(const QString &ticket);

#endif // KOVJOBTABLE_H
