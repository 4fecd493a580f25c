#ifndef KOVJUEZPATRON_H
#define KOVJUEZPATRON_H

#include <QString>
#include <QStringList>
#include <QVector>

// Tells, for column patterns that only QRegExp can match, whether QRegExp takes them, finds them invalid, or cannot
// compile them within a bound of time and memory. QRegExp compiles with no limit of its own, under a lock that every
// thread of the process shares, so the compiling is tried first away from the service: in a short-lived child
// process started from the service's own executable, under limits the operating system enforces. Verdicts are
// remembered by pattern text, so a layout met before costs nothing.
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

    // The executable whose child mode compiles patterns: the service's own. Without one, every pattern not judged
    // before is Excesivo.
    static void setEjecutable(const QString &ruta);
    static QString ejecutable();

    // The verdicts for the patterns, in their order.
    static QVector<Veredicto> juzga(const QStringList &patrones);

    // The argument that starts the child mode, and the child's body: main() runs it when it is the only argument.
    static const char *argumentoHijo();
    static int hijo();
};

#endif // KOVJUEZPATRON_H
