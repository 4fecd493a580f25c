#ifndef FIRSTUSE_H
#define FIRSTUSE_H

#include <QAtomicInt>
#include <QList>
#include <QSemaphore>
#include <QThread>

#include <functional>

// Runs `prueba` on several threads released at the same instant, so that they race on the first use of
// whatever it touches; true when every thread ended and every run held.
inline bool todosLosHilos(const std::function<bool()> &prueba, int hilos = 8)
{
    QSemaphore salida;
    QAtomicInt fallos;
    QList<QThread *> corriendo;
    for (int i = 0; i < hilos; ++i) {
        corriendo << QThread::create([&salida, &fallos, &prueba] {
            salida.acquire();
            if (!prueba())
                fallos.ref();
        });
        corriendo.last()->start();
    }
    salida.release(hilos);
    bool terminaron = true;
    for (QThread *hilo : corriendo) {
        terminaron = hilo->wait(60000) && terminaron;
        delete hilo;
    }
    return terminaron && fallos.loadRelaxed() == 0;
}

#endif // FIRSTUSE_H
