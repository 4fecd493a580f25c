#ifndef BENCHLINE_H
#define BENCHLINE_H

#include <QDate>

#include <cstddef>

// Appends the fields of one line, each followed by "|".
class BenchLine
{
public:
    BenchLine(char *buf, size_t size);
    void text(const char *value);
    void format(const char *pattern, ...) __attribute__((format(printf, 2, 3)));
    void empty();
    // An amount written with two decimals, signed.
    void amount(qint64 cents);
    void date(const QDate &day);
    // The period "yyyyMM00" of a month.
    void period(const QDate &month);
    // Ends the line; its length, or -1 when it overflowed.
    int finish();

private:
    char *buf;
    size_t size;
    size_t used;
    bool overflow;
};

#endif // BENCHLINE_H
