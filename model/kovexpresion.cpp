#include "kovexpresion.h"

#include <QAtomicInt>
#include <QRegExp>

namespace {

QAtomicInt gCompilaciones;

} // namespace

KovExpresion::KovExpresion(const KovExpresion &otra) : patron(otra.patron)
{
}

KovExpresion &KovExpresion::operator=(const KovExpresion &otra)
{
    if (this != &otra) {
        patron = otra.patron;
        expresion.reset();
    }
    return *this;
}

KovExpresion::~KovExpresion() = default;

void KovExpresion::setPatron(const QString &patron)
{
    this->patron = patron;
    expresion.reset();
}

QString KovExpresion::getPatron() const
{
    return patron;
}

bool KovExpresion::isEmpty() const
{
    return patron.isEmpty();
}

bool KovExpresion::coincide(const QString &texto) const
{
    if (patron.isEmpty())
        return true;
    if (!expresion) {
        expresion.reset(new QRegExp(patron, Qt::CaseSensitive, QRegExp::RegExp));
        gCompilaciones.fetchAndAddRelaxed(1);
    }
    return expresion->exactMatch(texto);
}

int KovExpresion::compilaciones()
{
    return gCompilaciones.loadRelaxed();
}
