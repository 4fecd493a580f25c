#ifndef DATEPARSER_H
#define DATEPARSER_H

#include <QDate>
#include <QString>

// The two fixed date forms of the books, read exactly as QDate::fromString reads them in the C locale but
// built straight from the numbers: Qt's date-time parser consults the locale for every digit and the time
// zone (a stat of the zone file) on every call, which costs more than the rest of a register line.
//
// Each field has its full width and holds ASCII digits only, except that its first character may be "+"
// (Qt reads a field as an unsigned number, and that admits a plus sign): "+1/01/2024" is 1 January 2024 and
// "01/01/+200" is 1 January of the year 200. Blanks, other signs, other digits, one-digit fields, other
// separators, leading or trailing characters, year 0000 and days that do not exist give an invalid QDate,
// whatever the machine's locale.

// "dd/MM/yyyy": exactly ten characters, "/" at the third and the sixth.
QDate leeFechaDiaMesAnio(const QString &texto);

// The same reading as numbers, from which leeFechaDiaMesAnio builds its QDate: rules that compare a date as the
// number yyyyMMdd take it from here, without turning the QDate's day count back into a year, month and day.
struct PartesFecha
{
    int anio = 0;
    int mes = 0;
    int dia = 0;
    bool valida = false;
};

PartesFecha lePartesDiaMesAnio(const QString &texto);

// "yyyyMMdd": exactly eight characters.
QDate leeFechaAnioMesDia(const QString &texto);

#endif // DATEPARSER_H
