#ifndef KOVVALIDATOR_H
#define KOVVALIDATOR_H

#include "kovjobtable.h"
#include "kovlibro.h"

#include <QObject>
#include <QString>

#include <functional>

class QMutex;
class KovControl;

// One validation job, from set-up to the final status, run on the thread of the connection that started it.
// It publishes its record into the job table under the mutex handed to run(), and never holds that mutex while
// a line is validated or a file is written. It reads its cancel after every line without that mutex, and publishes
// its progress once the lines in hand are merged: at the end of each batch, and after every line that was read or
// checked on its own thread. A cancel, or a request that the thread end (the service is ending), stops it at once,
// whatever its lines still being checked; at the service's end its detail copy is given a second to finish.
class KovValidator : public QObject
{
    Q_OBJECT

public:
    KovValidator(const QString &ticket, const QString &request);
    ~KovValidator() override;

    // Sets the book up; on false getInitError() holds the code ("900" to "910") and run() must not be called.
    // `turno` is asked as KovLibro::parse() asks it: only once the request would otherwise start.
    bool init(const std::function<bool()> &turno = std::function<bool()>());
    QString getInitError() const;

    // Runs the job to its end or to its cancellation. Does nothing unless init() succeeded.
    void run(QMutex *mutex);

    // One progress step for a line of n bytes (its line end included).
    void setProgress(int n);
    int getProgress() const;

    // How many times the job has taken the table's mutex.
    qint64 getTableTakings() const;
    // For tests: every merged line is published, the plain way the publication per batch is held to; and a
    // function called, under the table's mutex, with each record as it is published and how many lines the job
    // had merged by then.
    static void setPublishEveryLine(bool everyLine);
    static void setPublishWatcher(void (*watcher)(const KovControl &published, qint64 lines));

private:
    void step(qint64 n);
    bool cancelPending() const;
    bool stopRequested() const;
    // The service is ending: the thread that runs the job was asked to end.
    static bool quitting();
    // The last publication also takes the job's cancel out of those read without the table's mutex.
    void publish(QMutex *mutex, KovControl *control, bool last = false);

    QString ticket;
    QString request;
    QString initError;
    KovLibro book;
    int progress;
    qint64 total;
    qint64 done;
    // run() is only meaningful on a book that set-up opened.
    bool ready;
    KovCancelFlag cancel;
    qint64 takings;
    qint64 merged;
};

#endif // KOVVALIDATOR_H
