#ifndef BOOKFIXTURE_H
#define BOOKFIXTURE_H

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

// A fixture book copied into a folder of its own, with a work folder beside it, and the transaction 130
// request that validates it (the request template of the README).
class BookFixture
{
public:
    static QString dataFile(const QString &name) { return QStringLiteral(TESTS_DATA_DIR "/") + name; }

    BookFixture()
    {
        book = dir.filePath(QStringLiteral("LE20100066603202401000501000011111.txt"));
        work = dir.filePath(QStringLiteral("work"));
        QDir().mkpath(work);
        QFile::copy(dataFile(QStringLiteral("LE20100066603202401000501000011111.txt")), book);
    }

    // Replaces the book with one of `lines` clean lines, for jobs that must still be running a while later.
    bool makeLong(int lines)
    {
        QFile file(book);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        QByteArray text;
        for (int i = 1; i <= lines; ++i) {
            text += "20240100|M" + QByteArray::number(i) + "|2024-01-05|Asiento de prueba|10.00|1|\n";
            if (text.size() > (1 << 20)) {
                file.write(text);
                text.clear();
            }
        }
        return file.write(text) == text.size();
    }

    // The request names the record validator given, or none.
    QByteArray request(const QByteArray &funcion = QByteArray()) const
    {
        QFile file(dataFile(QStringLiteral("request.json")));
        if (!file.open(QIODevice::ReadOnly))
            return QByteArray();
        QByteArray json = file.readAll();
        json.replace("@BOOK@", book.toUtf8()).replace("@WORK@", work.toUtf8());
        json.replace("\"funcion\": \"\"", "\"funcion\": \"" + funcion + "\"");
        return "130|" + json.toBase64() + "|#CQ#";
    }

    QTemporaryDir dir;
    QString book;
    QString work;
};

#endif // BOOKFIXTURE_H
