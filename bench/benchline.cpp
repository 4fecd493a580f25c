#include "benchline.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

BenchLine::BenchLine(char *buf, size_t size)
    : buf(buf), size(size), used(0), overflow(false)
{
}

void BenchLine::text(const char *value)
{
    const size_t n = std::strlen(value);
    if (used + n + 1 >= size) {
        overflow = true;
        return;
    }
    std::memcpy(buf + used, value, n);
    used += n;
    buf[used++] = '|';
}

void BenchLine::format(const char *pattern, ...)
{
    char field[256];
    va_list args;
    va_start(args, pattern);
    const int n = std::vsnprintf(field, sizeof field, pattern, args);
    va_end(args);
    if (n < 0 || n >= int(sizeof field)) {
        overflow = true;
        return;
    }
    text(field);
}

void BenchLine::empty()
{
    text("");
}

void BenchLine::amount(qint64 cents)
{
    const qint64 magnitude = cents < 0 ? -cents : cents;
    format("%s%lld.%02lld", cents < 0 ? "-" : "", magnitude / 100, magnitude % 100);
}

void BenchLine::date(const QDate &day)
{
    format("%02d/%02d/%04d", day.day(), day.month(), day.year());
}

void BenchLine::period(const QDate &month)
{
    format("%04d%02d00", month.year(), month.month());
}

int BenchLine::finish()
{
    if (overflow || used + 1 >= size)
        return -1;
    buf[used++] = '\n';
    return int(used);
}
