#ifndef HELDJOBS_H
#define HELDJOBS_H

#include "kovjobtable.h"
#include "kovrespuesta.h"
#include "kovrules.h"

#include <QMutex>
#include <QMutexLocker>
#include <QWaitCondition>

// A record validator that holds every job at its second line until the test lets the jobs go, or until a job is
// cancelled: a job is then known to be running, whatever the speed of the build, and a cancel still ends it.
// Request it with BookFixture::request(HeldJobs::name()).
class HeldJobs
{
public:
    static const char *name() { return "tstRetenido"; }

    static void hold()
    {
        KovRules::registrarFuncionRegistroPrueba(QString::fromLatin1(name()), &validator, 1);
        QMutexLocker lock(&state().mutex);
        state().open = false;
    }
    static void release()
    {
        QMutexLocker lock(&state().mutex);
        state().open = true;
        state().changed.wakeAll();
    }
    // How many jobs wait at their held line now.
    static int waiting()
    {
        QMutexLocker lock(&state().mutex);
        return state().waiting;
    }

private:
    struct State
    {
        QMutex mutex;
        QWaitCondition changed;
        bool open = true;
        int waiting = 0;
    };
    static State &state()
    {
        static State s;
        return s;
    }

    static bool anyCancelled()
    {
        QMutexLocker lock(&gMutex);
        for (auto it = gMap.constBegin(); it != gMap.constEnd(); ++it) {
            if (it.value().status.isCancel())
                return true;
        }
        return false;
    }

    // Every job runs on a thread of its own, so the line count is the thread's.
    static KovRespuesta validator(QList<KovColumna> *, ParametrosRegistro *)
    {
        thread_local int line = 0;
        if (++line < 2)
            return KovRespuesta();
        State &s = state();
        QMutexLocker lock(&s.mutex);
        ++s.waiting;
        // The table lock is not this one: a cancel is looked for between short waits, never under both locks.
        while (!s.open) {
            lock.unlock();
            const bool cancelled = anyCancelled();
            lock.relock();
            if (cancelled)
                break;
            s.changed.wait(&s.mutex, 20);
        }
        --s.waiting;
        return KovRespuesta();
    }
};

#endif // HELDJOBS_H
