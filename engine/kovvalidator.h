#ifndef KOVVALIDATOR_H
#define KOVVALIDATOR_H

#include "kovlibro.h"

#include <QObject>
#include <QString>

class QMutex;
class KovControl;

// One validation job, from set-up to the final status, run on the thread of the connection that started it.
// It publishes its record into the job table under the mutex handed to run(), and never holds that mutex while
// a line is validated or a file is written. A cancel, or a request that the thread end (the service is ending),
// stops it at once, whatever its lines still being checked; at the service's end its detail copy is given a second
// to finish.
class KovValidator : public QObject
{
    Q_OBJECT

public:
    KovValidator(const QString &ticket, const QString &request);
    ~KovValidator() override;

    // Sets the book up; on false getInitError() holds the code ("900" to "910") and run() must not be called.
    bool init();
    QString getInitError() const;

    // Runs the job to its end or to its cancellation. Does nothing unless init() succeeded.
    void run(QMutex *mutex);

    // One progress step for a line of n bytes (its line end included).
    void setProgress(int n);
    int getProgress() const;

private:
    void step(qint64 n);
    bool readCancel(QMutex *mutex) const;
    bool stopRequested(QMutex *mutex) const;
    // The service is ending: the thread that runs the job was asked to end.
    static bool quitting();
    void publish(QMutex *mutex, KovControl *control) const;

    QString ticket;
    QString request;
    QString initError;
    KovLibro book;
    int progress;
    qint64 total;
    qint64 done;
    // run() is only meaningful on a book that set-up opened.
    bool ready;
};

#endif // KOVVALIDATOR_H
