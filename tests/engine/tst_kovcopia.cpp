#include "archivoseguro.h"
#include "kovcopia.h"
#include "kovhilos.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

namespace {

const int kWait = 20000;
const int kBlock = 1024 * 1024;

// Holds the copying side after its first block until the test lets it go.
struct Hold
{
    QAtomicInt holding;
    QAtomicInt calls;
    QSemaphore reached;
    QSemaphore release;
};

Hold hold;

void holdAfterFirstBlock(qint64)
{
    hold.calls.fetchAndAddOrdered(1);
    if (hold.holding.testAndSetOrdered(1, 0)) {
        hold.reached.release();
        hold.release.acquire();
    }
}

QString sha1(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex());
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QStringList everything(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

} // namespace

class TestKovCopia : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void copiesAndHashesTheBytes_data();
    void copiesAndHashesTheBytes();
    void failedReadRemovesTheFile();
    void unfinishedCopyLeavesNothing_data();
    void unfinishedCopyLeavesNothing();

private:
    // Starts `copy` from `source` into a new file in the folder; false when a descriptor could not be had.
    bool start(KovCopia *copy, const QString &source);

    QTemporaryDir *dir = nullptr;
    QString target;
};

void TestKovCopia::init()
{
    for (QSemaphore *s : {&hold.reached, &hold.release})
        s->acquire(s->available());
    hold.holding.storeRelease(0);
    hold.calls.storeRelease(0);
    KovCopia::setVigia(holdAfterFirstBlock);
    dir = new QTemporaryDir;
    QVERIFY(dir->isValid());
    QVERIFY(QDir().mkpath(dir->filePath(QStringLiteral("work"))));
    target = dir->filePath(QStringLiteral("work/.copy.tmp"));
}

void TestKovCopia::cleanup()
{
    KovCopia::setVigia(nullptr);
    delete dir;
    dir = nullptr;
}

bool TestKovCopia::start(KovCopia *copy, const QString &source)
{
    const int from = abreRegularFd(source);
    if (from < 0)
        return false;
    const int to = creaNuevo(target);
    if (to < 0) {
        ::close(from);
        return false;
    }
    copy->inicia(from, to, target);
    return copy->iniciada();
}

void TestKovCopia::copiesAndHashesTheBytes_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("one byte") << 1;
    QTest::newRow("exactly one block") << kBlock;
    QTest::newRow("two blocks and a bit") << 2 * kBlock + 5;
}

void TestKovCopia::copiesAndHashesTheBytes()
{
    QFETCH(int, size);
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + i / 251) & 0xff);
    const QString source = dir->filePath(QStringLiteral("book.txt"));
    QVERIFY(writeFile(source, bytes));

    KovCopia copy;
    QVERIFY(start(&copy, source));
    QString hash;
    qint64 size64 = -1;
    QVERIFY(copy.termina(&hash, &size64));
    QVERIFY(!copy.iniciada());
    QCOMPARE(copy.archivo(), target);
    QCOMPARE(hash, sha1(bytes));
    QCOMPARE(size64, qint64(size));
    QCOMPARE(readAll(target), bytes);
    // Blocks of a mebibyte at most: memory stays the same whatever the book.
    QCOMPARE(hold.calls.loadAcquire(), (size + kBlock - 1) / kBlock);
}

// A book that cannot be read to its end gives no copy and no hash.
void TestKovCopia::failedReadRemovesTheFile()
{
    KovCopia copy;
    QVERIFY(start(&copy, QStringLiteral("/proc/self/mem")));
    QString hash = QStringLiteral("before");
    qint64 size = 7;
    QVERIFY(!copy.termina(&hash, &size));
    QCOMPARE(hash, QStringLiteral("before"));
    QCOMPARE(size, qint64(7));
    QCOMPARE(everything(dir->filePath(QStringLiteral("work"))), QStringList());
}

void TestKovCopia::unfinishedCopyLeavesNothing_data()
{
    QTest::addColumn<QString>("end");
    QTest::newRow("dropped") << "dropped";
    // An engine destroyed before it decided on its copy leaves neither the copying thread nor the file behind.
    QTest::newRow("destroyed undecided") << "destroyed";
    // Given up by the wait for it while it is still held in its block, as a copy held in a read of its book is:
    // its file is gone at once, and once let go the copying side ends without it.
    QTest::newRow("given up while held") << "given up";
}

void TestKovCopia::unfinishedCopyLeavesNothing()
{
    QFETCH(QString, end);
    const QString source = dir->filePath(QStringLiteral("book.txt"));
    QVERIFY(writeFile(source, QByteArray(3 * kBlock, 'a')));
    hold.holding.storeRelease(1);
    {
        KovCopia copy;
        QVERIFY(start(&copy, source));
        QVERIFY(hold.reached.tryAcquire(1, kWait));
        if (end == QLatin1String("given up")) {
            QString hash;
            qint64 size = 0;
            int asked = 0;
            QVERIFY(!copy.termina(&hash, &size, [&asked] { return ++asked == 2; }));
            QCOMPARE(asked, 2);
            QVERIFY(!copy.iniciada());
            QCOMPARE(everything(dir->filePath(QStringLiteral("work"))), QStringList());
            hold.release.release();
            QVERIFY(KovHilos::esperaQuietud(kWait));
        } else {
            hold.release.release();
        }
        if (end == QLatin1String("dropped")) {
            copy.descarta();
            QVERIFY(!copy.iniciada());
            QString hash;
            qint64 size = 0;
            QVERIFY(!copy.termina(&hash, &size));
            QCOMPARE(everything(dir->filePath(QStringLiteral("work"))), QStringList());
        }
    }
    QCOMPARE(everything(dir->filePath(QStringLiteral("work"))), QStringList());
}

QTEST_GUILESS_MAIN(TestKovCopia)
#include "tst_kovcopia.moc"
