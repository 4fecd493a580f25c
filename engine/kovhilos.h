#ifndef KOVHILOS_H
#define KOVHILOS_H

// The engine's work that may go on after the job it served has ended: a worker finishing the line in hand of a
// stopped job, a reading or a copy waiting in a read of the book. Such work holds what it uses of its job itself,
// but not the process's own statics: the process ends in order only once none is left.
class KovHilos
{
public:
    // A piece of work begins, or ends; the one who hands work to a thread counts it before the thread can start.
    static void empieza();
    static void acaba();
    // Waits up to ms for every piece of work to end; true once none is left.
    static bool esperaQuietud(int ms);

    KovHilos() = delete;
};

#endif // KOVHILOS_H
