#ifndef BENCHBOOK_H
#define BENCHBOOK_H

#include <QByteArray>
#include <QString>

// The shapes of book the benchmark measures.
enum class BenchVariant { Valid, Shuffled, ErrorEveryLine, DuplicateKeys };

bool benchVariantFromName(const QString &name, BenchVariant *variant);
QString benchVariantName(BenchVariant variant);

// Writes a purchase-register-like book of `lines` lines of 30 fields to `path`; returns its size in bytes, or -1.
qint64 benchWriteBook(const QString &path, qint64 lines, BenchVariant variant);

// The Base64 request that validates `bookPath` with the benchmark's layout, results under `workBase`.
QString benchRequest(const QString &bookPath, const QString &workBase);

#endif // BENCHBOOK_H
