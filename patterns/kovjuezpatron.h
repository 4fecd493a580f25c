#ifndef KOVJUEZPATRON_H
#define KOVJUEZPATRON_H

#include <QString>
#include <QStringList>
#include <QVector>

// Tells, for column patterns that only QRegExp can match, whether QRegExp takes them, finds them invalid, or cannot
// compile them within a bound of time and memory, and what compiling each one it takes cost. QRegExp compiles with no
// limit of its own, under a lock that every thread of the process shares, so the compiling is tried first away from
// the service: in a short-lived child process started from the service's own executable, under limits the operating
// system enforces. Verdicts are remembered by pattern text, with what their compiling cost, so a layout met before
// costs nothing.
//
// One call starts at most one child for all the patterns it has not judged before. The child limits itself before
// it reads them: a second of processor time for them all, 100 MB of address space beyond what it has mapped at its
// start, no core dump. Only those limits, or a child that breaks the exchange, make a pattern Excesivo: the caller
// waits for the child as long as a client waits for its request (120 s), and for a turn as long again, since a
// loaded machine slows the child without making its patterns costlier; a thread asked to end (a quit) gives way at
// once. The caller reads no more than a short line per pattern from the child, and starts no more children at once
// than the machine has cores. A pattern the child did not report, for whatever reason (no executable, a child that
// could not start, died, was killed or said something else), is Excesivo for that call only; a verdict the child
// reported is remembered.
class KovJuezPatron
{
public:
    enum Veredicto {
        // QRegExp compiled it within the bound: the service may compile it too.
        Valido,
        // QRegExp finds it invalid: it matches no text, and the service need not compile it at all.
        Invalido,
        // It could not be compiled within the bound, or not judged at all: a column that cannot be built.
        Excesivo,
    };

    // A verdict and, for a pattern QRegExp takes, what compiling it took the child: the processor time, in
    // microseconds, and the memory its compiled engine holds, in bytes.
    struct Juicio
    {
        Veredicto veredicto = Excesivo;
        qint64 procesadorUs = 0;
        qint64 memoria = 0;
    };

    // The processor time a child may spend on one call's patterns, in microseconds.
    static const qint64 kProcesadorHijoUs = 1000000;

    // The executable whose child mode compiles patterns: the service's own. Without one, every pattern not judged
    // before is Excesivo.
    static void setEjecutable(const QString &ruta);
    static QString ejecutable();

    // The verdicts for the patterns, in their order. The empty pattern needs no compiling and is Valido at no cost.
    static QVector<Juicio> juzga(const QStringList &patrones);

    // How many children this process has started, for the tests that hold a layout met before to starting none.
    static int hijosIniciados();

    // The argument that starts the child mode, and the child's body: main() runs it when it is the only argument.
    // It reads the patterns on its standard input and writes its verdicts on its standard output, each with what it
    // cost, and it ends the process itself.
    static const char *argumentoHijo();
    static int hijo();
};

#endif // KOVJUEZPATRON_H
