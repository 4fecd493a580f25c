#ifndef LIBROSERVER_H
#define LIBROSERVER_H

#include "lingeringclose.h"

#include <QTcpServer>

// Accepts the clients' connections and serves each on a connection thread of its own, a bounded number at once:
// while all are taken, further clients wait in the system's listen queue until one ends. A thread that goes on
// to run a validation leaves the bound once its client has the ticket, and an answered connection leaves it at
// once: its closing is left to one thread of the server's own, whatever the client does next.
class LibroServer : public QTcpServer
{
public:
    explicit LibroServer(QObject *parent = nullptr);
    // Stops in order (see shutDown), so that no connection thread is destroyed while it runs.
    ~LibroServer() override;

    // Stops listening, closes the answered connections, stops the running jobs and lets every connection thread
    // end, waiting at most waitMs; a thread stuck past that ends the process with status 0 rather than aborting it.
    // A job stops at once, however long its lines take to check: the wait is for the jobs' own ends, which wait for
    // no line. When the application's event loop ends (the service is told to stop) this runs with a wait of 2 s.
    void shutDown(int waitMs = 30000);

    // How many connections are served at once; the open-file limit sets it unless a caller does.
    void setMaxConnections(int count);
    int connectionCount() const { return connections; }

protected:
    void incomingConnection(qintptr socketDescriptor) override;

private:
    void connectionEnded();
    // Accepts while there is room and stops while there is none.
    void acceptIfRoom();

    int maxConnections;
    int connections;
    LingeringClose lingering;
};

#endif // LIBROSERVER_H
