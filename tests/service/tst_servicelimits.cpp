#include "servicelimits.h"

#include <QtTest>

class TestServiceLimits : public QObject
{
    Q_OBJECT

private slots:
    void bounds_data();
    void bounds();
};

void TestServiceLimits::bounds_data()
{
    QTest::addColumn<qint64>("openFiles");
    QTest::addColumn<int>("connections");
    QTest::addColumn<int>("jobs");
    QTest::addColumn<int>("waiting");

    // A limit too small for the service still lets one of each through.
    QTest::newRow("nothing to spare") << qint64(16) << 1 << 1 << 1;
    QTest::newRow("256") << qint64(256) << 24 << 12 << 24;
    QTest::newRow("1024") << qint64(1024) << 120 << 60 << 120;
    QTest::newRow("4096") << qint64(4096) << 256 << 64 << 2752;
    QTest::newRow("20000") << qint64(20000) << 256 << 64 << 8192;
    QTest::newRow("unlimited") << std::numeric_limits<qint64>::max() << 256 << 64 << 8192;
}

// What the bounds let run at once, at the descriptors each holds at most (a connection 2, an answered one in the
// closing list 1, one whose request is still coming 1, a job 6, the rest of the process some 20), stays within the
// limit.
void TestServiceLimits::bounds()
{
    QFETCH(qint64, openFiles);
    QFETCH(int, connections);
    QFETCH(int, jobs);
    QFETCH(int, waiting);
    const ServiceLimits limits = ServiceLimits::forOpenFiles(openFiles);
    QCOMPARE(limits.connections, connections);
    QCOMPARE(limits.jobs, jobs);
    QCOMPARE(limits.waiting, waiting);
    if (openFiles >= 256)
        QVERIFY(20 + 2 * qint64(limits.connections) + qint64(limits.closing) + qint64(limits.waiting)
                    + 6 * qint64(limits.jobs)
                < openFiles);
}

QTEST_GUILESS_MAIN(TestServiceLimits)
#include "tst_servicelimits.moc"
