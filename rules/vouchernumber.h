#ifndef VOUCHERNUMBER_H
#define VOUCHERNUMBER_H

#include <QString>

// The checks of a voucher number that depend on the voucher type alone, the same in every voucher rule: most
// types take a number of digits above zero, "10", "22" and "46" digits of any value, and "12" to "15", "21",
// "24", "26", "91", "97" and "98" an integer above zero or any text that is not an integer. Returns the error
// code the number earns at its column (3: not digits, 5: a value the type refuses), or 0 when it passes.
// Values are judged by the exact sign of their digits, so a number too long for a double gets the right verdict.
int errorNumeroComprobante(const QString &tipo, const QString &numero);

#endif // VOUCHERNUMBER_H
