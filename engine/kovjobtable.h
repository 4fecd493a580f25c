#ifndef KOVJOBTABLE_H
#define KOVJOBTABLE_H

#include "kovcontrol.h"

#include <QMap>
#include <QMutex>
#include <QString>

#include <atomic>
#include <memory>

// The process-wide job table, from ticket to record, and the ticket counter. Both are touched only while
// gMutex is held; records go in and out as whole copies, never by reference.
extern QMap<QString, KovControl> &gMap;
extern qint64 gTicket;
extern QMutex gMutex;

// Each helper below is one short step under gMutex; none may be called while the caller holds it, but for the two
// that a job calls within its own steps.

// Draws the next ticket ("1" first) and enters a fresh record under it.
QString kovNewJob();
// Copies the record out; false, and *record untouched, when the ticket is not in the table.
bool kovGetJob(const QString &ticket, KovControl *record);
// Sets the cancel flag of the record; false when the ticket is not in the table.
bool kovCancelJob(const QString &ticket);
// Takes the record out of the table; false when the ticket was not in it.
bool kovRemoveJob(const QString &ticket);

// Whether the record of a running job carries a cancel, as its job reads it after every line without the table's
// lock: kovCancelJob sets it and kovRemoveJob clears it with the record, and the job sets it to what each of its
// write-backs leaves in the table. The job enters it, with its record's flag, and takes it out, while it holds
// gMutex for its own steps.
using KovCancelFlag = std::shared_ptr<std::atomic<bool>>;
KovCancelFlag kovEnterCancelFlag(const QString &ticket, bool cancel);
void kovLeaveCancelFlag(const QString &ticket, const KovCancelFlag &flag);

#endif // KOVJOBTABLE_H
