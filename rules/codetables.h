#ifndef CODETABLES_H
#define CODETABLES_H

#include <QString>

// Fixed code lists of the voucher rules; each answers an exact, case-sensitive membership test.
bool checkHardcodeTabla11(QString serie);
bool checkCdpSerieObliga(QString tipo);
bool checkCdpNumeroOpta(QString tipo);

#endif // CODETABLES_H
