#ifndef SERVICELIMITS_H
#define SERVICELIMITS_H

#include <QtGlobal>

// How many connections the service serves at once, how many answered ones it may hold while their clients are
// still sending, how many it holds while their requests are still coming, and how many validations it runs at once.
// A connection being served holds its socket and, for a moment, a file or socket of its transaction's; an answered
// one its socket in the closing list, one still coming its socket; every job its thread, its book, its key index,
// the two ends of its detail copy and the locks of its temporary files. Past the open-file limit a connection could
// not even be accepted, so the bounds follow that limit.
struct ServiceLimits
{
    int connections;
    int jobs;
    int closing;
    int waiting;

    static ServiceLimits forOpenFiles(qint64 openFiles);
    // For the process's open-file limit as it stands at the first call (main raises it before anything runs).
    static const ServiceLimits &current();
};

#endif // SERVICELIMITS_H
