#ifndef CODETABLES_H
#define CODETABLES_H

#include <QString>
#include <QStringList>

// Fixed code lists of the voucher rules; each answers an exact, case-sensitive membership test.
bool checkHardcodeTabla11(const QString &serie);
bool checkCdpSerieObliga(const QString &tipo);
bool checkCdpNumeroOpta(const QString &tipo);

// A code list written as one text, codes separated by blanks, in the order the text gives them.
QStringList listaCodigos(const char *codigos);

#endif // CODETABLES_H
