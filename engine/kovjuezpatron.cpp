#include "kovjuezpatron.h"

#include <QMutex>
#include <QMutexLocker>
#include <QRegExp>

// A stand-in until the child process is built: it judges in this process.

namespace {

QMutex gMutex;
QString gEjecutable;

} // namespace

void KovJuezPatron::setEjecutable(const QString &ruta)
{
    QMutexLocker lock(&gMutex);
    gEjecutable = ruta;
}

QString KovJuezPatron::ejecutable()
{
    QMutexLocker lock(&gMutex);
    return gEjecutable;
}

QVector<KovJuezPatron::Veredicto> KovJuezPatron::juzga(const QStringList &patrones)
{
    QVector<Veredicto> veredictos;
    for (const QString &patron : patrones)
        veredictos.append(QRegExp(patron).isValid() ? Valido : Invalido);
    return veredictos;
}

const char *KovJuezPatron::argumentoHijo()
{
    return "--kov-juez-patron";
}

int KovJuezPatron::hijo()
{
    return 0;
}
