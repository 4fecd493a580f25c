#ifndef KOVCOLUMNAEXT_H
#define KOVCOLUMNAEXT_H

#include "kovlongitud.h"

#include <QRegExp>
#include <QString>

// The tester of a line's extended fields: at most 200 characters, none of them "|", "/" or "\".
class KovColumnaExt
{
public:
    KovColumnaExt();

    void setData(const QString &data);
    QString getData() const;
    bool checkPatron() const;
    bool checkLongitud() const;

private:
    KovLongitud longitud;
    QString data;
    QRegExp patron;
};

#endif // KOVCOLUMNAEXT_H
