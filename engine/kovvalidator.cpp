#include "kovvalidator.h"

#include "kovcontrol.h"
#include "kovjobtable.h"

#include <QDeadlineTimer>
#include <QDebug>
#include <QMutex>
#include <QMutexLocker>
#include <QThread>

#include <atomic>
#include <memory>

namespace {

// A cancel waits this long for the line in progress to be checked and merged, as it always takes effect after it;
// only a line whose checks take longer is left to end by itself.
const qint64 kCancelGraceMs = 1000;
// What a detail copy still under way is given once the service is ending, well inside the 2 s the service waits
// for its jobs: a copy runs beside the reading, so it is mostly done by then.
const qint64 kQuitCopyMs = 1000;

std::atomic<bool> gEveryLine{false};
std::atomic<void (*)(const KovControl &, qint64)> gWatcher{nullptr};

bool threadAskedToEnd()
{
    return QThread::currentThread()->isInterruptionRequested();
}

// Asked while a detail copy is waited for: true once the service has been ending for longer than copies are given.
std::function<bool()> quitOutlastsCopy()
{
    auto since = std::make_shared<QDeadlineTimer>(QDeadlineTimer::Forever);
    return [since] {
        if (!threadAskedToEnd())
            return false;
        if (since->isForever())
            *since = QDeadlineTimer(kQuitCopyMs);
        return since->hasExpired();
    };
}

} // namespace

KovValidator::KovValidator(const QString &ticket, const QString &request)
    : QObject(nullptr), ticket(ticket), request(request), progress(0), total(0), done(0), ready(false), takings(0),
      merged(0)
{
}

KovValidator::~KovValidator() = default;

bool KovValidator::init(const std::function<bool()> &turno)
{
    book.setTicket(ticket);
    ready = book.parse(request, turno);
    if (ready)
        return true;
    initError = book.getParseError();
    return false;
}

QString KovValidator::getInitError() const
{
    return initError;
}

void KovValidator::setProgress(int n)
{
    step(n);
}

int KovValidator::getProgress() const
{
    return progress;
}

void KovValidator::step(qint64 n)
{
    done += n + 1;
    // An empty book never reaches here (set-up refuses it), but a zero size must not divide.
    const double r = total > 0 ? double(done) / double(total) : 1.0;
    progress = r < 1.0 ? int(r * 98.0) : 98;
}

qint64 KovValidator::getTableTakings() const
{
    return takings;
}

void KovValidator::setPublishEveryLine(bool everyLine)
{
    gEveryLine.store(everyLine);
}

void KovValidator::setPublishWatcher(void (*watcher)(const KovControl &, qint64))
{
    gWatcher.store(watcher);
}

bool KovValidator::cancelPending() const
{
    return cancel && cancel->load(std::memory_order_relaxed);
}

// The job's own cancel, or the end of the service, which asks the job's thread to end.
bool KovValidator::stopRequested() const
{
    return quitting() || cancelPending();
}

bool KovValidator::quitting()
{
    return threadAskedToEnd();
}

void KovValidator::publish(QMutex *mutex, KovControl *control, bool last)
{
    QMutexLocker lock(mutex);
    ++takings;
    const auto it = gMap.find(ticket);
    if (it == gMap.end()) {
        gMap.insert(ticket, *control);
    } else {
        // A cancel set since the last read must survive this write, or the request would be lost.
        if (it.value().status.isCancel())
            control->status.setCancel(true);
        it.value() = *control;
    }
    if (cancel)
        cancel->store(control->status.isCancel(), std::memory_order_relaxed);
    if (void (*watcher)(const KovControl &, qint64) = gWatcher.load())
        watcher(*control, merged);
    if (last)
        kovLeaveCancelFlag(ticket, cancel);
}

void KovValidator::run(QMutex *mutex)
{
    if (!ready)
        return;
    if (!mutex)
        mutex = &gMutex;

    KovControl control;
    {
        QMutexLocker lock(mutex);
        ++takings;
        control = gMap.value(ticket);
        control.status.setRunning(true);
        gMap.insert(ticket, control);
        cancel = kovEnterCancelFlag(ticket, control.status.isCancel());
    }
    book.setControl(&control);
    total = book.getFileSize();
    step(0);

    bool cancelled = false;
    if (book.isFilePDF()) {
        step(1);
        control.status.setAvance(progress);
        control.status.setRegistros(1);
        control.status.setNerrores(0);
        control.status.setNestado7(0);
        publish(mutex, &control);
        progress = 100;
        book.setNumLinea(1);
        book.completaInfoPdf();
        book.copyDetail(quitOutlastsCopy());
        book.closeHandles();
    } else {
        // Copied beside the reading; the copy is kept below only for a book without errors.
        book.iniciaCopia();
        // Lines are checked ahead of the merge: a stop is looked for while the merge waits for them too, so that it
        // never waits long for a line whose checks take long, nor for a read of the book that does not return. The
        // service's end is met at once.
        book.setInterrupcion([this](qint64 waitedMs) {
            return quitting() || (waitedMs >= kCancelGraceMs && cancelPending());
        });
        const bool everyLine = gEveryLine.load();
        for (;;) {
            const int n = book.readLine();
            if (n == 0) {
                cancelled = book.isInterrumpida();
                break;
            }
            if (stopRequested()) {
                cancelled = true;
                break;
            }
            step(n);
            ++merged;
            control.status.setAvance(progress);
            control.status.setRegistros(book.getNumLinea());
            control.status.setNerrores(book.getNumErrores());
            control.status.setNestado7(book.getNumEstado7());
            // The lines in hand are merged in a moment: a poll meanwhile sees the record as it stood before them,
            // as it would have between two lines.
            if (everyLine || !book.siguienteEnMano())
                publish(mutex, &control);
        }
        book.setInterrupcion(nullptr);
        // A copy not kept is not waited for: it may be long, or held in a read of the book. One kept is given a
        // moment once the service is ending, and dropped whole past it.
        if (book.getNumErrores() < 1)
            book.copyDetail(quitOutlastsCopy());
        else
            book.abandonaCopia();
        book.closeHandles();
    }

    if (cancelled) {
        // The copy made before the stop is the only file a cancelled job leaves.
        book.publicaArchivos();
        qDebug() << "Se cancelo el proceso";
        book.setControl(nullptr);
        QMutexLocker lock(mutex);
        ++takings;
        gMap.remove(ticket);
        kovLeaveCancelFlag(ticket, cancel);
        return;
    }

    if (progress < 98)
        book.addError(44, 0, 0);
    book.generaResumen();

    control.status.setAvance(100);
    control.status.setRegistros(book.getNumLinea());
    control.status.setNerrores(book.getNumErrores());
    control.status.setNameFileDetail(book.getNameFileDetail());
    control.status.setNameFileResumen(book.getNameFileResumen());
    control.status.setNameFileAgregado(book.getNameFileAgregado());
    control.status.setNameFileCasillas(book.getNameFileCasillas());
    control.status.setPathWork(book.getPathWork());
    control.status.setRunning(false);
    // The engine must not keep a pointer to a record that dies with this call.
    book.setControl(nullptr);
    publish(mutex, &control, true);
}
