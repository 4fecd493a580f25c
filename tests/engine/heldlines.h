#ifndef HELDLINES_H
#define HELDLINES_H

#include "kovrespuesta.h"
#include "kovrules.h"
#include "kovtypes.h"

#include <QDeadlineTimer>
#include <QMutex>
#include <QMutexLocker>
#include <QString>
#include <QWaitCondition>

// A column function that holds the check of every field of one value inside its line, on whichever thread checks
// it, until the test lets it go: a job is then known to be in the middle of a batch whatever the speed of the
// build. It counts the fields it checked, and those it began once the held ones were let go. A layout names it as a
// column's "funcion".
class HeldLines
{
public:
    static const char *name() { return "tstLineaRetenida"; }

    // Holds the fields equal to `value` from now on; the counts start again.
    static void hold(const QString &value)
    {
        KovRules::registrarFuncionColumnaPrueba(QString::fromLatin1(name()), &check);
        State &s = state();
        QMutexLocker lock(&s.mutex);
        s.value = value;
        s.open = false;
        s.checked = 0;
        s.late = 0;
    }
    // Lets the held fields and every later one go.
    static void release()
    {
        State &s = state();
        QMutexLocker lock(&s.mutex);
        s.open = true;
        s.changed.wakeAll();
    }
    // Waits, up to ms, until `count` fields are held at once.
    static bool waitHeld(int count, int ms)
    {
        State &s = state();
        const QDeadlineTimer deadline(ms);
        QMutexLocker lock(&s.mutex);
        while (s.waiting < count) {
            if (!s.changed.wait(&s.mutex, deadline))
                return s.waiting >= count;
        }
        return true;
    }
    static int waiting() { return read(&State::waiting); }
    static int checked() { return read(&State::checked); }
    // Fields whose check began after release().
    static int late() { return read(&State::late); }

private:
    struct State
    {
        QMutex mutex;
        QWaitCondition changed;
        QString value;
        bool open = true;
        int waiting = 0;
        int checked = 0;
        int late = 0;
    };
    static State &state()
    {
        static State s;
        return s;
    }
    static int read(int State::*count)
    {
        State &s = state();
        QMutexLocker lock(&s.mutex);
        return s.*count;
    }

    static KovRespuesta check(ParametrosColumna *parametros)
    {
        const QString data = parametros->value(QStringLiteral("data")).toString();
        State &s = state();
        QMutexLocker lock(&s.mutex);
        ++s.checked;
        if (s.open) {
            ++s.late;
        } else if (data == s.value) {
            ++s.waiting;
            s.changed.wakeAll();
            while (!s.open)
                s.changed.wait(&s.mutex);
            --s.waiting;
        }
        return KovRespuesta();
    }
};

#endif // HELDLINES_H
