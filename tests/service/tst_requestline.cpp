// The request read in its bytes must give every transaction what decoding the whole text and splitting it would.
#include "requestline.h"

#include <QtTest>

class TestRequestLine : public QObject
{
    Q_OBJECT

private slots:
    void trimmedLength_data();
    void trimmedLength();
    void fieldsAsTheTextSplits_data();
    void fieldsAsTheTextSplits();
    void everyShortByteString();
};

Q_DECLARE_METATYPE(RequestLine::Length)

void TestRequestLine::trimmedLength_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<RequestLine::Length>("expected");

    const QByteArray blanks(2 * 1024 * 1024, ' ');
    QTest::newRow("empty") << QByteArray() << RequestLine::Blank;
    QTest::newRow("white space") << QByteArray(" \t\r\n ") << RequestLine::Blank;
    QTest::newRow("ideographic space") << QByteArray("\xE3\x80\x80 \xE3\x80\x80") << RequestLine::Blank;
    QTest::newRow("one character") << QByteArray("7") << RequestLine::Short;
    QTest::newRow("two inside white space") << QByteArray("  9 \n") << RequestLine::Short;
    QTest::newRow("two characters, three bytes") << QByteArray("a\xC3\xB1") << RequestLine::Short;
    QTest::newRow("two apart") << QByteArray("a    b") << RequestLine::Long;
    QTest::newRow("three letters outside ASCII") << QByteArray("\xC3\xB1\xC3\xB1\xC3\xB1") << RequestLine::Long;
    QTest::newRow("three broken bytes") << QByteArray("\x80\x80\x80") << RequestLine::Long;
    QTest::newRow("one broken sequence") << QByteArray("\xE2\x82") << RequestLine::Short;
    QTest::newRow("code") << QByteArray("110|#CQ#") << RequestLine::Long;
    QTest::newRow("large blank") << blanks << RequestLine::Blank;
    QTest::newRow("large, two characters") << blanks + "ab" + blanks << RequestLine::Short;
}

void TestRequestLine::trimmedLength()
{
    QFETCH(QByteArray, bytes);
    QFETCH(RequestLine::Length, expected);
    QCOMPARE(RequestLine(bytes).trimmedLength(), expected);
}

void TestRequestLine::fieldsAsTheTextSplits_data()
{
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("request") << QByteArray("140|17|#CQ#");
    QTest::newRow("no separator") << QByteArray("140");
    QTest::newRow("empty argument") << QByteArray("140||#CQ#");
    QTest::newRow("argument to the end") << QByteArray("180|/tmp/libro.txt");
    QTest::newRow("separators only") << QByteArray("||");
    QTest::newRow("broken sequence before a separator") << QByteArray("140|\xE2\x82|#CQ#");
    QTest::newRow("lead byte ending the code") << QByteArray("140\xE2|x|");
    QTest::newRow("continuation after a separator") << QByteArray("1\xC3|\xA9|");
    QTest::newRow("four-byte letter cut by separators") << QByteArray("\xF0\x9F|\x98\x80|");
    QTest::newRow("letters outside ASCII") << QByteArray("180|/tmp/libr\xC3\xB3 \xE2\x82\xAC.txt|#CQ#");
    QTest::newRow("mark before the code") << QByteArray("\xEF\xBB\xBF" "140|7|#CQ#");
    QTest::newRow("two marks before the code") << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF" "140|7|#CQ#");
    QTest::newRow("mark before the argument") << QByteArray("180|\xEF\xBB\xBF/tmp/libro.txt|#CQ#");
    QTest::newRow("two marks before the argument") << QByteArray("140|\xEF\xBB\xBF\xEF\xBB\xBF" "1|#CQ#");
    QTest::newRow("mark alone as the argument") << QByteArray("140|\xEF\xBB\xBF");
    QTest::newRow("mark inside the argument") << QByteArray("180|/tmp/\xEF\xBB\xBFlibro.txt|#CQ#");
    QTest::newRow("mark before the marker") << QByteArray("140|1|\xEF\xBB\xBF#CQ#");
    QTest::newRow("cut mark before a separator") << QByteArray("140|\xEF\xBB|#CQ#");
    QTest::newRow("four-byte letter cut by the end") << QByteArray("180|a\xF0\x9F\x98");
    QTest::newRow("invalid bytes beside separators") << QByteArray("\xFF" "140|\xC0\xAF|\xED\xA0\x80|");
    QTest::newRow("letters beside separators") << QByteArray("140|\xC3\xB3|\xE2\x82\xAC|");
}

void TestRequestLine::fieldsAsTheTextSplits()
{
    QFETCH(QByteArray, bytes);
    const QStringList fields = QString::fromUtf8(bytes.constData(), bytes.size()).split(QLatin1Char('|'));
    const RequestLine line(bytes);
    QCOMPARE(line.hasArgument(), fields.size() > 1);
    QCOMPARE(line.argument(), fields.value(1));
    QCOMPARE(line.codeIs(QLatin1String("140")), fields.at(0) == QLatin1String("140"));
    QCOMPARE(line.codeIs(QLatin1String("180")), fields.at(0) == QLatin1String("180"));
}

// Every string of up to four symbols drawn from ASCII, the separator, continuation bytes, lead bytes of every length
// and bytes that never occur in UTF-8: fields and trimmed length match the decoded text's.
void TestRequestLine::everyShortByteString()
{
    // The last symbol is a whole byte-order mark, so that marks stand at the start, inside and after fields.
    QList<QByteArray> alphabet;
    for (const char c : QByteArray("1 |\x80\xBB\xBF\xC0\xC3\xE0\xE2\xED\xEF\xF0\xF4\xF5\xFF"))
        alphabet << QByteArray(1, c);
    alphabet << QByteArray("\xEF\xBB\xBF");
    const int n = alphabet.size();
    for (int length = 0; length <= 4; ++length) {
        int combinations = 1;
        for (int i = 0; i < length; ++i)
            combinations *= n;
        for (int c = 0; c < combinations; ++c) {
            QByteArray bytes;
            for (int i = 0, rest = c; i < length; ++i, rest /= n)
                bytes.append(alphabet.at(rest % n));
            const QString text = QString::fromUtf8(bytes.constData(), bytes.size());
            const QStringList fields = text.split(QLatin1Char('|'));
            const int trimmed = text.trimmed().size();
            const RequestLine line(bytes);
            const RequestLine::Length expected = trimmed == 0 ? RequestLine::Blank
                                                 : trimmed <= 2 ? RequestLine::Short
                                                                : RequestLine::Long;
            if (line.trimmedLength() != expected || line.hasArgument() != (fields.size() > 1)
                || line.argument() != fields.value(1) || line.codeIs(QLatin1String("1")) != (fields.at(0) == "1"))
                QFAIL(bytes.toHex().constData());
        }
    }
}

QTEST_GUILESS_MAIN(TestRequestLine)
#include "tst_requestline.moc"
