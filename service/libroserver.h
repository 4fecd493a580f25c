#ifndef LIBROSERVER_H
#define LIBROSERVER_H

#include <QTcpServer>

// Accepts the clients' connections and serves each on a connection thread of its own.
class LibroServer : public QTcpServer
{
public:
    explicit LibroServer(QObject *parent = nullptr);
    // Stops in order (see shutDown), so that no connection thread is destroyed while it runs.
    ~LibroServer() override;

    // Stops listening, cancels the running jobs and lets every connection thread end, waiting at most
    // waitMs; a thread stuck past that ends the process with status 0 rather than aborting it.
    void shutDown(int waitMs = 30000);

protected:
    void incomingConnection(qintptr socketDescriptor) override;
};

#endif // LIBROSERVER_H
