#ifndef SERVICELIMITS_H
#define SERVICELIMITS_H

#include <QtGlobal>

// How many connections the service serves at once, how many answered ones it may hold while their clients are
// still sending, and how many validations it runs at once. Every connection holds its socket and its thread's
// wake-up descriptor, an answered one its socket, every job its thread, its book, its key index, the two ends of
// its detail copy and the locks of its temporary files; past the open-file limit a thread could not even be made,
// so the bounds follow that limit.
struct ServiceLimits
{
    int connections;
    int jobs;
    int closing;

    static ServiceLimits forOpenFiles(qint64 openFiles);
    // For the process's open-file limit as it stands at the first call (main raises it before anything runs).
    static const ServiceLimits &current();
};

#endif // SERVICELIMITS_H
