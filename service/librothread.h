#ifndef LIBROTHREAD_H
#define LIBROTHREAD_H

#include <QAbstractSocket>
#include <QString>
#include <QStringList>
#include <QThread>

class LingeringClose;
class QTcpSocket;
class RequestLine;

// Serves one connection: answers its one request line, read before the thread starts or else by the thread itself;
// the server's closing thread then closes the connection, so nothing here waits for the client. A validation started
// on the connection runs on this thread to its end.
class LibroThread : public QThread
{
    Q_OBJECT

public:
    LibroThread(int socketDescriptor, QObject *parent);

    // Where answered connections go to be closed; without one a connection is closed as soon as it is answered.
    void setLingeringClose(LingeringClose *closing);
    // The request the connection brought, read by whoever held it before: the bytes of its text, or a request past
    // the cap.
    void setRequest(const QByteArray &request, bool tooLong);
    // Starts the thread without an event loop of its own, which would need a descriptor; false when the system
    // would make no thread.
    bool startServing();

    void run() override;

    // The reply to one request text; "NO-RETURN" means nothing is to be written.
    QString processRequest(QString request, QTcpSocket *socket);
    static QString formatResponse(QString status, QString code, QString payload);

    QString txn110(QStringList fields);
    QString txn120(QStringList fields);
    QString txn130(QStringList fields, QTcpSocket *socket);
    QString txn140(QStringList fields);
    QString txn150(QStringList fields);
    QString txn160(QStringList fields);
    QString txn170(QStringList fields);
    QString txn180(QStringList fields);

signals:
    void error(QAbstractSocket::SocketError socketError);
    // Once per thread, when its connection is closed: at the end of run(), or once a validation's client has
    // its ticket and the thread goes on with the job alone.
    void connectionDone();

private:
    enum ReadEnd { ReadDone, ReadTooLong, ReadInterrupted };

    QString dispatch(RequestLine *line, QTcpSocket *socket);
    void endConnection();
    // Lets other large requests be decoded; transaction 130 calls it once its job is set up.
    void releaseRequestMemory();

    ReadEnd readRequest(QTcpSocket *socket, QByteArray *request);
    // Waits up to ms for the descriptor to turn readable, in short slices so that a shutdown is noticed.
    void waitReadable(int fd, int ms);

    int socketDescriptor;
    bool requestGiven;
    ReadEnd givenEnd;
    QByteArray givenRequest;
    bool connectionEnded;
    // The share of the memory for large requests this thread's request holds, in MiB.
    int memoryShareMiB;
    LingeringClose *lingering;
};

#endif // LIBROTHREAD_H
