#ifndef REQUESTREADER_H
#define REQUESTREADER_H

#include <QByteArray>

// The reading of one request from its connection, one attempt at a time, with no waiting of its own: whoever holds
// the connection waits (up to kWaitMs) for it to turn readable, or for the peer to go, before each attempt. Reading
// ends with the first attempt that leaves nothing read, with the first one whose bytes hold the marker, one attempt
// after an attempt that brought nothing new to the text, or past the request cap.
class RequestReader
{
public:
    enum State { Reading, Complete, TooLong };

    static const int kWaitMs = 120000;
    // A request line is a few kilobytes of Base64 at most; past this the peer is not a client of ours.
    static const int kMaxBytes = 64 * 1024 * 1024;

    // Takes what the peer has sent so far, at most `most` bytes (all of it when that is more), and applies the
    // rules of reading to it.
    State attempt(int fd, int most = kMaxBytes + 1);
    State state() const { return current; }
    // False once the peer has closed its side or the connection is lost: the next attempt waits for nothing.
    bool peerOpen() const { return open; }
    int size() const { return buffer.size(); }
    // The request's text as bytes, those before its first NUL; the reader holds nothing afterwards.
    QByteArray takeRequest();

private:
    QByteArray buffer;
    State current = Reading;
    bool open = true;
    bool stalled = false;
    // Where the first NUL stands once one has come, and how long the text was after the attempt before.
    int nul = -1;
    int previousLength = 0;
};

#endif // REQUESTREADER_H
