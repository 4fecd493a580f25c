#ifndef LIBROSERVER_H
#define LIBROSERVER_H

#include "lingeringclose.h"
#include "waitingconnections.h"

#include <QHostAddress>
#include <QTcpServer>

class QSocketNotifier;

// Accepts the clients' connections and holds them, a descriptor each and no thread, until their requests have come;
// each request is then served on a connection thread of its own, a bounded number at once: while all are taken,
// the requests that have come wait for one to end. A thread that goes on to run a validation leaves the bound once
// its client has the ticket, and an answered connection leaves it at once: its closing is left to one thread of the
// server's own, whatever the client does next.
class LibroServer : public QTcpServer
{
public:
    explicit LibroServer(QObject *parent = nullptr);
    // Stops in order (see shutDown), so that no connection thread is destroyed while it runs.
    ~LibroServer() override;

    // Listens as QTcpServer does, and then accepts on its own: once Qt has met an accept that only said "try again"
    // it takes every later failure for one, and with no descriptor left it spins on a queue it cannot accept from.
    bool listen(const QHostAddress &address = QHostAddress::Any, quint16 port = 0);

    // Stops listening, closes the connections still waiting for their requests and the answered ones, stops the
    // running jobs and lets every connection thread end, waiting at most waitMs; a thread stuck past that ends the
    // process with status 0 rather than aborting it. A job stops at once, however long its lines take to check: the
    // wait is for the jobs' own ends, which wait for no line. When the application's event loop ends (the service
    // is told to stop) this runs with a wait of 2 s.
    void shutDown(int waitMs = 30000);

    // How many connections are served at once, and how many are held while their requests come; the open-file
    // limit sets them unless a caller does.
    void setMaxConnections(int count);
    void setMaxWaiting(int count);
    int connectionCount() const { return connections; }
    int waitingCount() const { return waiting.held(); }

protected:
    void incomingConnection(qintptr socketDescriptor) override;

private:
    void connectionEnded();
    // Serves the requests that have come while there are connection threads to spare.
    void serveReady();
    // Accepts while a connection can be held and stops while none can.
    void acceptIfRoom();
    void acceptPending();
    // Closes the clients queued, with the reserve descriptor to accept them; false when none could be.
    bool dropQueued();

    int maxConnections;
    int connections;
    // A descriptor kept for the moment when none is left, so that the clients queued then are closed, not kept.
    int reserve;
    QSocketNotifier *acceptor = nullptr;
    LingeringClose lingering;
    WaitingConnections waiting;
};

#endif // LIBROSERVER_H
