#include "kovsha1.h"

#include <QCryptographicHash>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace {

QString qtHex(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex());
}

QByteArray randomBytes(QRandomGenerator *random, int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char(random->bounded(256));
    return bytes;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

} // namespace

class TestKovSha1 : public QObject
{
    Q_OBJECT

private slots:
    void sameTextAsQtWhateverTheChunks();
    void file_data();
    void file();
    void fileThatCannotBeHashed_data();
    void fileThatCannotBeHashed();
};

// Sizes around SHA-1's 64-byte block and its 56-byte padding limit, around the file reads' 8192 bytes, and random
// ones, each fed in random pieces (empty ones included).
void TestKovSha1::sameTextAsQtWhateverTheChunks()
{
    QRandomGenerator random(20240117);
    QList<int> sizes{0, 1, 3, 55, 56, 57, 63, 64, 65, 119, 120, 127, 128, 129, 8191, 8192, 8193, 100000};
    for (int i = 0; i < 300; ++i)
        sizes << random.bounded(5000);
    for (const int size : sizes) {
        const QByteArray bytes = randomBytes(&random, size);
        KovSha1 whole;
        whole.agrega(bytes.constData(), bytes.size());
        QCOMPARE(whole.hex(), qtHex(bytes));

        KovSha1 pieces;
        int at = 0;
        while (at < size) {
            const int piece = qMin(size - at, int(random.bounded(200)));
            pieces.agrega(bytes.constData() + at, piece);
            at += piece;
        }
        pieces.agrega(bytes.constData(), 0);
        QCOMPARE(pieces.hex(), qtHex(bytes));
    }
}

void TestKovSha1::file_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("empty") << 0;
    QTest::newRow("one read") << 100;
    QTest::newRow("exactly one read") << 8192;
    QTest::newRow("several reads") << 3 * 8192 + 17;
}

void TestKovSha1::file()
{
    QFETCH(int, size);
    QTemporaryDir dir;
    QRandomGenerator random(quint32(size) + 1);
    const QByteArray bytes = randomBytes(&random, size);
    // Paths are UTF-8 text whatever the locale.
    const QString path = dir.filePath(QString::fromUtf8("libr\xC3\xB3.txt"));
    QVERIFY(writeFile(path, bytes));
    QString hash;
    qint64 tam = -1;
    QVERIFY(KovSha1::archivo(path, &hash, &tam));
    QCOMPARE(hash, qtHex(bytes));
    QCOMPARE(tam, qint64(size));
}

void TestKovSha1::fileThatCannotBeHashed_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("empty path") << "";
    QTest::newRow("missing") << "missing";
    QTest::newRow("folder") << "folder";
    QTest::newRow("fifo") << "fifo";
    QTest::newRow("endless device") << "/dev/zero";
    // A regular file whose first read fails.
    QTest::newRow("read error") << "/proc/self/mem";
}

// Nothing stands for a file that was not read to its end: the hash and the size are left as they were.
void TestKovSha1::fileThatCannotBeHashed()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    QString path = kind;
    if (kind == QLatin1String("missing")) {
        path = dir.filePath(QStringLiteral("missing.txt"));
    } else if (kind == QLatin1String("folder")) {
        path = dir.path();
    } else if (kind == QLatin1String("fifo")) {
        path = dir.filePath(QStringLiteral("fifo"));
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    }
    QString hash = QStringLiteral("before");
    qint64 tam = 7;
    QVERIFY(!KovSha1::archivo(path, &hash, &tam));
    QCOMPARE(hash, QStringLiteral("before"));
    QCOMPARE(tam, qint64(7));
}

QTEST_GUILESS_MAIN(TestKovSha1)
#include "tst_kovsha1.moc"
