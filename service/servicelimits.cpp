#include "servicelimits.h"

#include "platform.h"

namespace {

// The display connection, the event loop, the listening socket, the threads that wait on the connections and
// whatever the libraries keep open.
const qint64 kReservedFiles = 64;
// A connection being served holds its socket and, for a moment, one more, and once answered its socket in the
// closing list, which holds as many as there are connections: three each, and the connections' half is counted at
// four, a third more. A job holds at most six: its book, its key index, the copy's two ends and the lock of its
// temporary while it reads, the locks of its four temporaries and the file it writes at its end.
const qint64 kFilesPerConnection = 4;
const qint64 kHeldPerConnection = 3;
const qint64 kFilesPerJob = 8;
// Enough for a desktop's clients many times over; more would only be more threads sharing the same cores.
const int kMaxConnections = 256;
const int kMaxJobs = 64;
// Thousands of clients still sending their requests, each holding a descriptor and, most of them, a small buffer.
const int kMaxWaiting = 8192;

int bounded(qint64 files, qint64 each, int most)
{
    return int(qBound<qint64>(1, files / each, most));
}

} // namespace

ServiceLimits ServiceLimits::forOpenFiles(qint64 openFiles)
{
    // Half the descriptors for the connections, those being served and those being closed, half for the jobs; the
    // connections whose requests are still coming have what those leave, one each.
    const qint64 files = openFiles - kReservedFiles;
    const int connections = bounded(files / 2, kFilesPerConnection, kMaxConnections);
    const int jobs = bounded(files / 2, kFilesPerJob, kMaxJobs);
    const qint64 left = files - kHeldPerConnection * connections - kFilesPerJob * jobs;
    return ServiceLimits{connections, jobs, connections, bounded(left, 1, kMaxWaiting)};
}

const ServiceLimits &ServiceLimits::current()
{
    static const ServiceLimits limits = forOpenFiles(openFileLimit());
    return limits;
}
