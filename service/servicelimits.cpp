#include "servicelimits.h"

#include "platform.h"

namespace {

// The display connection, the event loop, the listening socket and whatever the libraries keep open.
const qint64 kReservedFiles = 64;
// Twice what each was seen to hold: a connection its socket and its thread's wake-up descriptor (and, for a moment,
// those of the thread it follows); a job its thread's, its book, its key index and at its end a result file.
const qint64 kFilesPerConnection = 4;
const qint64 kFilesPerJob = 8;
// Enough for a desktop's clients many times over; more would only be more threads waiting on idle peers.
const int kMaxConnections = 256;
const int kMaxJobs = 64;

int bounded(qint64 files, qint64 each, int most)
{
    return int(qBound<qint64>(1, files / each, most));
}

} // namespace

ServiceLimits ServiceLimits::forOpenFiles(qint64 openFiles)
{
    // Half the descriptors for the connections, half for the jobs.
    const qint64 files = openFiles - kReservedFiles;
    return ServiceLimits{bounded(files / 2, kFilesPerConnection, kMaxConnections),
                         bounded(files / 2, kFilesPerJob, kMaxJobs)};
}

const ServiceLimits &ServiceLimits::current()
{
    static const ServiceLimits limits = forOpenFiles(openFileLimit());
    return limits;
}
