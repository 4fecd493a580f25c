#include "kovhilos.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {

struct Cuenta
{
    std::atomic<int> enCurso{0};
    std::mutex mutex;
    std::condition_variable quieta;
};

// Made once and never destroyed: work still running while the process ends must find it in place.
Cuenta &cuenta()
{
    static Cuenta *c = new Cuenta;
    return *c;
}

} // namespace

void KovHilos::empieza()
{
    cuenta().enCurso.fetch_add(1);
}

void KovHilos::acaba()
{
    Cuenta &c = cuenta();
    // Only the last piece wakes a waiter; taking the lock first means a waiter that saw work left is waiting by now.
    if (c.enCurso.fetch_sub(1) == 1) {
        std::lock_guard<std::mutex> lock(c.mutex);
        c.quieta.notify_all();
    }
}

bool KovHilos::esperaQuietud(int ms)
{
    Cuenta &c = cuenta();
    std::unique_lock<std::mutex> lock(c.mutex);
    return c.quieta.wait_for(lock, std::chrono::milliseconds(ms), [&c] { return c.enCurso.load() == 0; });
}
