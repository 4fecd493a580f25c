#ifndef SERVICELIMITS_H
#define SERVICELIMITS_H

#include <QtGlobal>

// How many connections the service serves at once and how many validations it runs at once. Every connection
// holds its socket and its thread's wake-up descriptor, every job its thread, its book, its key index and, at its
// end, a result file; past the open-file limit a thread could not even be made, so the bounds follow that limit.
struct ServiceLimits
{
    int connections;
    int jobs;

    static ServiceLimits forOpenFiles(qint64 openFiles);
    // For the process's open-file limit as it stands at the first call (main raises it before anything runs).
    static const ServiceLimits &current();
};

#endif // SERVICELIMITS_H
