#ifndef RULEHELPERS_H
#define RULEHELPERS_H

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

class KovColumna;
struct LecturaMonto;

// Membership in a fixed list of codes: whole text, case-sensitive, no trimming.
bool inList(const QString &value, const QStringList &list);

// The text of the 1-based column `col`; a column outside the list (or no list) reads as the empty text.
QString getData(QList<KovColumna> *cols, int col);

// Whether a box amount was really entered: "0" and "0.00" count as entered, any other text that reads 0
// (another zero, no number, out of range, "nan", "inf") does not.
bool validarIngresoCasilla(const QString &value);
// The same test with the text's amount already read by leeMonto.
bool validarIngresoCasilla(const QString &value, const LecturaMonto &monto);

// An 11-digit taxpayer number with a correct modulo-11 check digit.
bool isValidRUC(const QString &value);

// The value and the sign (-1, 0 or 1) of a text read as an amount (leeMonto): a text that is not a number,
// one beyond double range, "nan" and "inf" read 0.
double numeroTexto(const QString &texto);
int signoNumero(const QString &texto);

// The sign of a numeral by its digits alone, exact at any length: for voucher numbers and other digit strings,
// where a long digit string is never taken for zero. Never for an amount. Any other text has the sign of its
// amount.
int signoCifras(const QString &texto);

// The integer of a text as QString::toInt reads it; a text that is not an int reads as 0.
int enteroTexto(const QString &texto);

// The integer of the characters from `desde`, `largo` of them (or to the end with -1, and never past it), when
// they are one to nine ASCII digits: the value QString::toInt gives the same piece, read without copying it or
// consulting the locale. False for any other piece, which the caller reads the usual way.
bool cifrasEnteras(const QString &texto, int desde, int largo, int *valor);

// Whether the whole text matches the regular expression (QRegExp, default syntax, case-sensitive).
bool coincide(const QString &texto, const QString &patron);

// Whether the text is one or more ASCII digits (never read as a number, so any length is fine): what the
// pattern "[0-9]+" matches whole.
bool esSoloDigitos(const QString &texto);

// The other fixed patterns the rules match whole, read character by character: a regular expression costs more to
// build than the rest of a register line and takes a lock shared by every thread.
// "-?[0-9]+": ASCII digits after an optional minus sign.
bool esCifrasConSigno(const QString &texto);
// "-[0-9]+": ASCII digits after a minus sign.
bool esCifrasNegativas(const QString &texto);
// "[A-Za-z0-9]+": one or more ASCII letters and digits.
bool esAlfanumerico(const QString &texto);

// A date field "dd/MM/yyyy" as QDate::fromString reads it in the C locale (see dateparser.h for what that
// admits); anything else, or a day that does not exist, gives an invalid QDate, whatever the locale.
QDate fechaTexto(const QString &texto);

// A period text "yyyyMMdd" read as a date the same way; an annual or monthly period, or a day that does not
// exist, gives an invalid QDate.
QDate fechaPeriodo(const QString &periodo);

// The pieces of a period text "yyyyMMdd": characters 1-4, 5-6 and 7 to the end, each read as an integer.
int anioPeriodo(const QString &periodo);
int mesPeriodo(const QString &periodo);
int diaPeriodo(const QString &periodo);

// The whole period as a number, so that periods compare in calendar order. Read as 64 bits: a period too
// long for an int must not read as 0 and so pass as earlier than any book period.
qint64 numeroPeriodo(const QString &periodo);

#endif // RULEHELPERS_H
