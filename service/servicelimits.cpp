#include "servicelimits.h"

#include "platform.h"

namespace {

// The display connection, the event loop, the listening socket and whatever the libraries keep open.
const qint64 kReservedFiles = 64;
// A connection holds its socket and its thread's wake-up descriptor (and, for a moment, those of the thread it
// follows), and once answered its socket in the closing list, which holds as many as there are connections: four
// each is a third more than that. A job holds at most six: its book, its key index, the copy's two ends and the
// lock of its temporary while it reads, the locks of its four temporaries and the file it writes at its end.
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
    // Half the descriptors for the connections, those being served and those being closed, half for the jobs.
    const qint64 files = openFiles - kReservedFiles;
    const int connections = bounded(files / 2, kFilesPerConnection, kMaxConnections);
    return ServiceLimits{connections, bounded(files / 2, kFilesPerJob, kMaxJobs), connections};
}

const ServiceLimits &ServiceLimits::current()
{
    static const ServiceLimits limits = forOpenFiles(openFileLimit());
    return limits;
}
