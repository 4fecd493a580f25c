#include "kovcolumnaext.h"

KovColumnaExt::KovColumnaExt()
    : patron(QStringLiteral("[^\\x007C\\x002F\\x005C]*"), Qt::CaseSensitive, QRegExp::RegExp)
{
    longitud.setPatronLongitud(QStringLiteral("&200"));
}

void KovColumnaExt::setData(const QString &data)
{
    this->data = data;
}

QString KovColumnaExt::getData() const
{
    return data;
}

bool KovColumnaExt::checkPatron() const
{
    return patron.exactMatch(data);
}

bool KovColumnaExt::checkLongitud() const
{
    return longitud.checkLongitud(data);
}
