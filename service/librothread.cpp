#include "librothread.h"

#include "kovcontrol.h"
#include "kovjobtable.h"
#include "kovsha1.h"
#include "kovvalidator.h"
#include "lingeringclose.h"
#include "plaindispatcher.h"
#include "platform.h"
#include "requestline.h"
#include "requestreader.h"
#include "servicelimits.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDebug>
#include <QJsonDocument>
#include <QMutexLocker>
#include <QScopeGuard>
#include <QScopedPointer>
#include <QSemaphore>
#include <QTcpSocket>
#include <QVariantMap>

#include <cerrno>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const int kWriteWaitMs = 20000;
const int kCloseWaitMs = 500;
const int kEarlyCloseWaitMs = 30000;
// Long waits are cut into slices of this length so that a shutdown never waits on an idle client.
const int kSliceMs = 100;
// A request larger than this is dispatched only once it holds a share of kRequestMemoryMiB, twice its size (the
// UTF-16 text of its argument), so that many large requests at once cannot take more than that between them.
const int kSmallRequestBytes = 1024 * 1024;
const int kRequestMemoryMiB = 128;
const QString kNoReturn = QStringLiteral("NO-RETURN");

QSemaphore &largeRequestMemory()
{
    static QSemaphore free(kRequestMemoryMiB);
    return free;
}

// One per running job; each holds descriptors for as long as it runs.
QSemaphore &jobSlots()
{
    static QSemaphore free(ServiceLimits::current().jobs);
    return free;
}

int memoryShare(int requestBytes)
{
    if (requestBytes <= kSmallRequestBytes)
        return 0;
    const qint64 mib = (2 * qint64(requestBytes) + (1 << 20) - 1) >> 20;
    return int(qMin<qint64>(mib, kRequestMemoryMiB));
}

// Hands the whole answer to the kernel, so that a slow reader of a large answer still gets its tail. It is written
// on the descriptor itself: the socket object would drop its pending bytes as soon as it noticed a peer that has
// half-closed after its request. Gives up only when the peer has gone or has taken nothing for a whole wait.
//
// Bytes the client sent after its request, left unread, would make the closing a reset, and a reset can throw away
// the answer before the client has read it. So they are read and dropped while the answer is written (a client
// still sending may read nothing until it is done); once the end of this side has told the client that the answer
// is whole, the connection goes to the closing thread, which drops them for as long as they keep coming, and the
// socket object is left to close only its own descriptor.
void writeAnswer(QTcpSocket *socket, const QString &answer, LingeringClose *lingering)
{
    const QByteArray bytes = toLatin1Wire(answer);
    const int fd = int(socket->socketDescriptor());
    if (fd < 0)
        return;
    const char *data = bytes.constData();
    size_t left = size_t(bytes.size());
    qint64 dropped = 0;
    bool peerSending = true;
    while (left > 0) {
        const ssize_t n = ::send(fd, data, left, MSG_NOSIGNAL);
        if (n > 0) {
            data += n;
            left -= size_t(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            const bool draining = peerSending && dropped <= LingeringClose::kDropLimitBytes;
            pollfd ready = {fd, short(POLLOUT | (draining ? POLLIN : 0)), 0};
            const int events = ::poll(&ready, 1, kWriteWaitMs);
            if (events == 0 || (events < 0 && errno != EINTR))
                return;
            if (events > 0 && draining && (ready.revents & POLLIN))
                peerSending = LingeringClose::dropAvailable(fd, &dropped);
        } else {
            return;
        }
    }
    if (!peerSending || ::shutdown(fd, SHUT_WR) != 0)
        return;
    const int own = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (own < 0) {
        LingeringClose::dropAvailable(fd, &dropped);
        return;
    }
    if (lingering) {
        lingering->takeOver(own, dropped);
    } else {
        LingeringClose::dropAvailable(own, &dropped);
        ::close(own);
    }
}

} // namespace

LibroThread::LibroThread(int socketDescriptor, QObject *parent)
    : QThread(parent)
    , socketDescriptor(socketDescriptor)
    , requestGiven(false)
    , givenEnd(ReadDone)
    , connectionEnded(false)
    , memoryShareMiB(0)
    , lingering(nullptr)
{
}

void LibroThread::setLingeringClose(LingeringClose *closing)
{
    lingering = closing;
}

void LibroThread::setRequest(const QByteArray &request, bool tooLong)
{
    requestGiven = true;
    givenEnd = tooLong ? ReadTooLong : ReadDone;
    givenRequest = request;
}

bool LibroThread::startServing()
{
    setEventDispatcher(new PlainDispatcher);
    start(QThread::InheritPriority);
    if (isRunning() || isFinished())
        return true;
    // A thread that never ran leaves its dispatcher to whoever set it.
    delete eventDispatcher();
    return false;
}

void LibroThread::run()
{
    // After the socket has gone, so that the next connection finds its descriptor free.
    const auto ended = qScopeGuard([this] { endConnection(); });
    QTcpSocket socket;
    if (!socket.setSocketDescriptor(socketDescriptor)) {
        // Nobody else owns the accepted descriptor; leaving it open would leak it for the life of the process.
        if (socketDescriptor >= 0)
            ::close(socketDescriptor);
        emit error(socket.error());
        return;
    }

    QByteArray request;
    request.swap(givenRequest);
    QString reply;
    switch (requestGiven ? givenEnd : readRequest(&socket, &request)) {
    case ReadDone: {
        RequestLine line(request);
        request = QByteArray();
        reply = dispatch(&line, &socket);
        break;
    }
    case ReadTooLong:
        reply = formatResponse(QStringLiteral("96"), QString(), QString());
        break;
    case ReadInterrupted:
        return;
    }
    if (reply == kNoReturn)
        return;

    writeAnswer(&socket, reply, lingering);
    socket.disconnectFromHost();
    if (socket.state() == QAbstractSocket::ConnectedState)
        socket.waitForDisconnected(kCloseWaitMs);
}

LibroThread::ReadEnd LibroThread::readRequest(QTcpSocket *socket, QByteArray *request)
{
    // The request is read on the descriptor itself: the socket object closes the descriptor as soon as it reads
    // the peer's end of data, and a client that half-closes after its request would never get its answer.
    const int fd = int(socket->socketDescriptor());
    RequestReader reader;
    while (reader.state() == RequestReader::Reading) {
        if (reader.peerOpen())
            waitReadable(fd, RequestReader::kWaitMs);
        if (reader.attempt(fd) == RequestReader::Reading && isInterruptionRequested())
            return ReadInterrupted;
    }
    if (reader.state() == RequestReader::TooLong)
        return ReadTooLong;
    *request = reader.takeRequest();
    return ReadDone;
}

void LibroThread::waitReadable(int fd, int ms)
{
    QDeadlineTimer deadline(ms);
    while (fd >= 0 && !isInterruptionRequested()) {
        const qint64 left = deadline.remainingTime();
        if (left <= 0)
            return;
        pollfd readable = {fd, POLLIN, 0};
        const int ready = ::poll(&readable, 1, int(qMin<qint64>(left, kSliceMs)));
        if (ready > 0 || (ready < 0 && errno != EINTR))
            return;
    }
}

QString LibroThread::processRequest(QString request, QTcpSocket *socket)
{
    // The bytes that decode to the text: a mark that begins it would otherwise be read as the one decoding drops.
    QByteArray bytes = request.toUtf8();
    if (request.startsWith(QChar(0xFEFF)))
        bytes.prepend("\xEF\xBB\xBF");
    RequestLine line(bytes);
    request.clear();
    return dispatch(&line, socket);
}

QString LibroThread::dispatch(RequestLine *line, QTcpSocket *socket)
{
    const int share = memoryShare(line->size());
    while (!largeRequestMemory().tryAcquire(share, kSliceMs)) {
        if (isInterruptionRequested())
            return kNoReturn;
    }
    memoryShareMiB = share;
    const auto released = qScopeGuard([this] { releaseRequestMemory(); });

    switch (line->trimmedLength()) {
    case RequestLine::Blank:
        return kNoReturn;
    case RequestLine::Short:
        return formatResponse(QStringLiteral("96"), QString(), QString());
    case RequestLine::Long:
        break;
    }

    typedef QString (LibroThread::*Transaction)(QStringList);
    // No transaction reads past field 1, and 110 and 170 read only field 0: the rest is never split off.
    static const struct {
        const char *code;
        Transaction transaction;
        bool argument;
    } transactions[] = {
        {"110", &LibroThread::txn110, false},
        {"120", &LibroThread::txn120, true},
        {"130", nullptr, true},
        {"140", &LibroThread::txn140, true},
        {"150", &LibroThread::txn150, true},
        {"160", &LibroThread::txn160, true},
        {"170", &LibroThread::txn170, false},
        {"180", &LibroThread::txn180, true},
    };
    for (const auto &entry : transactions) {
        if (!line->codeIs(QLatin1String(entry.code)))
            continue;
        QStringList fields(QString::fromLatin1(entry.code));
        if (entry.argument && line->hasArgument())
            fields.append(line->argument());
        line->clear();
        // The one transaction that answers on its own and keeps the thread for the whole validation.
        if (!entry.transaction)
            return txn130(fields, socket);
        return (this->*entry.transaction)(fields);
    }
    return formatResponse(QStringLiteral("96"), QString(), QString());
}

void LibroThread::endConnection()
{
    if (connectionEnded)
        return;
    connectionEnded = true;
    emit connectionDone();
}

void LibroThread::releaseRequestMemory()
{
    largeRequestMemory().release(memoryShareMiB);
    memoryShareMiB = 0;
}

QString LibroThread::formatResponse(QString status, QString code, QString payload)
{
    QString answer = status.trimmed();
    if (!code.isEmpty()) {
        answer += QLatin1Char('|') + code.trimmed();
        if (!payload.isEmpty())
            answer += QLatin1Char('|') + payload.trimmed();
    }
    return answer;
}

QString LibroThread::txn110(QStringList fields)
{
    bool read = false;
    const QList<InterfaceInfo> interfaces = hostInterfaces(&read);
    // "MAC-NOTFOUND" would be a wrong answer: out of descriptors the connection is closed unanswered instead.
    if (!read)
        return kNoReturn;
    const ChosenInterface chosen = chooseInterface(interfaces);
    QVariantMap handshake;
    handshake.insert(QStringLiteral("version"), QStringLiteral("Win-4.0.0"));
    handshake.insert(QStringLiteral("macAddress"), chosen.macAddress);
    handshake.insert(QStringLiteral("ipAddress"), chosen.ipAddress);
    const QString json = QString::fromUtf8(QJsonDocument::fromVariant(handshake).toJson());
    return formatResponse(QStringLiteral("00"), fields.at(0), json);
}

QString LibroThread::txn120(QStringList fields)
{
    if (fields.size() < 2)
        return formatResponse(QStringLiteral("95"), fields.at(0), QString());
    if (!kovCancelJob(fields.at(1)))
        return formatResponse(QStringLiteral("98"), fields.at(0), QString());
    return formatResponse(QStringLiteral("00"), fields.at(0), QString());
}

QString LibroThread::txn130(QStringList fields, QTcpSocket *socket)
{
    if (fields.size() < 2)
        return formatResponse(QStringLiteral("95"), fields.at(0), QString());
    const QString ticket = kovNewJob();
    // Let go once the job is gone, with the descriptors it held.
    bool slot = false;
    const auto slotReleased = qScopeGuard([&slot] {
        if (slot)
            jobSlots().release();
    });
    QScopedPointer<KovValidator> job(new KovValidator(ticket, fields.at(1)));
    // The request's own faults are answered first, whatever the bound: a job takes its place among the running
    // ones only once it would otherwise start (past the bound it is answered as one that could not open its
    // files), and its set-up, the judge of its patterns included, holds none.
    const bool ready = job->init([&slot] {
        slot = jobSlots().tryAcquire();
        return slot;
    });
    // The job keeps what it needs of the request; its decoding is over.
    releaseRequestMemory();
    if (!ready) {
        kovRemoveJob(ticket);
        return formatResponse(QStringLiteral("94"), fields.at(0), job->getInitError());
    }
    // The client learns its ticket at once and follows the job on new connections; whether it is still there, or
    // still sending, does not matter to the job: the closing thread waits for it, if anything does.
    if (socket) {
        writeAnswer(socket, formatResponse(QStringLiteral("00"), fields.at(0), ticket), lingering);
        socket->disconnectFromHost();
        // The answer was written past the socket object, so its disconnection completes at once; in slices all the
        // same, so that a quit meanwhile is never kept waiting.
        const QDeadlineTimer closing(kEarlyCloseWaitMs);
        while (socket->state() != QAbstractSocket::UnconnectedState && !closing.hasExpired()
               && !isInterruptionRequested())
            socket->waitForDisconnected(int(qMin<qint64>(closing.remainingTime(), kSliceMs)));
    }
    endConnection();
    job->run(&gMutex);
    return kNoReturn;
}

QString LibroThread::txn140(QStringList fields)
{
    if (fields.size() < 2)
        return formatResponse(QStringLiteral("95"), fields.at(0), QString());
    // The status is small: it is copied and rendered in the same hold as the lookup.
    QString json;
    bool known = false;
    {
        QMutexLocker lock(&gMutex);
        const auto it = gMap.constFind(fields.at(1));
        known = it != gMap.constEnd();
        if (known)
            json = it.value().getStatus().toJson();
    }
    if (!known)
        return formatResponse(QStringLiteral("98"), fields.at(0), QString());
    return formatResponse(QStringLiteral("00"), fields.at(0), json);
}

QString LibroThread::txn150(QStringList fields)
{
    if (fields.size() < 2)
        return formatResponse(QStringLiteral("95"), fields.at(0), QString());
    KovControl record;
    if (!kovGetJob(fields.at(1), &record))
        return formatResponse(QStringLiteral("98"), fields.at(0), QString());
    return formatResponse(QStringLiteral("00"), fields.at(0), record.toJson());
}

QString LibroThread::txn160(QStringList fields)
{
    if (fields.size() < 2)
        return formatResponse(QStringLiteral("95"), fields.at(0), QString());
    if (!kovRemoveJob(fields.at(1)))
        return formatResponse(QStringLiteral("98"), fields.at(0), QString());
    return formatResponse(QStringLiteral("00"), fields.at(0), QString());
}

QString LibroThread::txn170(QStringList fields)
{
    // The event loop belongs to the main thread; it is asked to stop there, never from this thread.
    if (QCoreApplication *app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, "quit", Qt::QueuedConnection);
    return formatResponse(QStringLiteral("00"), fields.at(0), QString());
}

QString LibroThread::txn180(QStringList fields)
{
    if (fields.size() < 2)
        return formatResponse(QStringLiteral("95"), fields.at(0), QString());
    // Only a regular file is hashed: a FIFO or a device would block or never end.
    QString hash;
    if (!KovSha1::archivo(fields.at(1), &hash, nullptr))
        return formatResponse(QStringLiteral("94"), fields.at(0), QString());
    return formatResponse(QStringLiteral("00"), fields.at(0), hash);
}
