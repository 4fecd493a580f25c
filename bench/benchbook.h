#ifndef BENCHBOOK_H
#define BENCHBOOK_H

#include <QByteArray>
#include <QString>
#include <QStringList>

// The shapes of book the benchmark measures.
enum class BenchVariant { Valid, Shuffled, ErrorEveryLine, DuplicateKeys };

bool benchVariantFromName(const QString &name, BenchVariant *variant);
QString benchVariantName(BenchVariant variant);

// The layouts it generates books for: the synthetic one, checked by the engine alone, and real ones whose
// record validator checks every line.
enum class BenchLayout { Synthetic, Journal, Purchases, Sales };

bool benchLayoutFromName(const QString &name, BenchLayout *layout);
QString benchLayoutName(BenchLayout layout);
QStringList benchLayoutNames();
// Whether the layout names a record validator; the synthetic one does not.
bool benchLayoutValidates(BenchLayout layout);

// What a generated book holds: its lines, and how many records of each state (0 to 9).
struct BenchTally
{
    qint64 lines = 0;
    qint64 states[10] = {};
};

// The file name a client gives such a book.
QString benchBookName(BenchLayout layout);

// Writes a book of `lines` lines to `path`; returns its size in bytes, or -1. `tally`, when given, counts it.
qint64 benchWriteBook(const QString &path, BenchLayout layout, qint64 lines, BenchVariant variant,
                      BenchTally *tally = nullptr);

// The Base64 request that validates `bookPath` with the layout, results under `workBase`; without
// `recordValidator` the same layout names no record validator.
QString benchRequest(BenchLayout layout, const QString &bookPath, const QString &workBase, bool recordValidator);

#endif // BENCHBOOK_H
