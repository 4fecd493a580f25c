#ifndef BOOKFIXTURE_H
#define BOOKFIXTURE_H

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>
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

    // Replaces the book with the given lines.
    bool write(const QByteArray &lines) const
    {
        QFile file(book);
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(lines) == lines.size();
    }

    // The file's bytes as they stand, or none when it cannot be read.
    static QByteArray contents(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // The files below the work folder, hidden ones too.
    QStringList workFiles() const
    {
        QStringList found;
        QDirIterator it(work, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
        while (it.hasNext())
            found << it.next();
        return found;
    }

    // A job's detail copy holds every byte of the book under its temporary name: only its closing is left.
    bool copiedWhole() const
    {
        const QStringList files = workFiles();
        return files.size() == 1 && QFileInfo(files.first()).fileName().startsWith(QLatin1String(".kov-"))
               && QFileInfo(files.first()).size() == QFileInfo(book).size();
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
