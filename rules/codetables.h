#ifndef CODETABLES_H
#define CODETABLES_H

#include <QString>
#include <QStringList>

// Fixed code lists of the voucher rules; each answers an exact, case-sensitive membership test.
bool checkHardcodeTabla11(QString serie);
bool checkCdpSerieObliga(QString tipo);
bool checkCdpNumeroOpta(QString tipo);

// A code list written as one text, codes separated by blanks, in the order the text gives them.
QStringList listaCodigos(const char *codigos);

#endif // CODETABLES_H
