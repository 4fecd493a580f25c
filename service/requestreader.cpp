#include "requestreader.h"

#include <QDebug>

#include <cerrno>

#include <sys/socket.h>

namespace {

const QByteArray kMarker = QByteArrayLiteral("#CQ#");

// Appends what the peer has sent so far, at most `most` bytes, stopping early past the request cap. False once the
// peer has closed its side or the connection is lost.
bool appendAvailable(int fd, QByteArray *buffer, int most)
{
    char block[65536];
    int taken = 0;
    while (fd >= 0 && buffer->size() <= RequestReader::kMaxBytes && taken < most) {
        const ssize_t n = ::recv(fd, block, size_t(qMin<int>(sizeof block, most - taken)), MSG_DONTWAIT);
        if (n > 0) {
            buffer->append(block, int(n));
            taken += int(n);
        } else if (n == 0) {
            return false;
        } else if (errno != EINTR) {
            return errno == EAGAIN || errno == EWOULDBLOCK;
        }
    }
    return fd >= 0;
}

} // namespace

const int RequestReader::kWaitMs;
const int RequestReader::kMaxBytes;

RequestReader::State RequestReader::attempt(int fd, int most)
{
    if (current != Reading)
        return current;
    const int before = buffer.size();
    // Once the peer has closed its side there is nothing left to take.
    if (open)
        open = appendAvailable(fd, &buffer, most);
    // Only the new bytes (and the three before them, for a marker split across pieces) need a look. A request within
    // the cap ends at its marker, whatever the same read brought after it.
    const int marker = stalled ? -1 : buffer.indexOf(kMarker, qMax(0, before - kMarker.size() + 1));
    if (buffer.size() > kMaxBytes && (marker < 0 || marker + kMarker.size() > kMaxBytes))
        return current = TooLong;
    if (buffer.isEmpty() || stalled || marker >= 0)
        return current = Complete;
    if (nul < 0)
        nul = buffer.indexOf('\0', before);
    const int length = nul < 0 ? buffer.size() : nul;
    if (length == previousLength) {
        qDebug() << "Ocurrio una excepcion a la regla de lectura de socket";
        stalled = true;
    } else {
        previousLength = length;
    }
    return current;
}

QByteArray RequestReader::takeRequest()
{
    QByteArray request;
    request.swap(buffer);
    const int end = request.indexOf('\0');
    if (end >= 0)
        request.truncate(end);
    return request;
}
