#include "requestline.h"

#include <QTextCodec>

#include <cstring>

namespace {

const char kMarca[] = "\xEF\xBB\xBF";
const int kLargoMarca = 3;
const int kUtf8 = 106;

bool empiezaConMarca(const char *p, int largo)
{
    return largo >= kLargoMarca && std::memcmp(p, kMarca, kLargoMarca) == 0;
}

} // namespace

RequestLine::RequestLine(const QByteArray &bytes)
    : bytes(bytes)
    , firstBar(bytes.indexOf('|'))
    , secondBar(firstBar < 0 ? -1 : bytes.indexOf('|', firstBar + 1))
    , graphic(0)
{
    for (const char c : bytes) {
        if (c > ' ' && c < 0x7F && ++graphic == 3)
            break;
    }
}

RequestLine::Length RequestLine::trimmedLength() const
{
    // Three characters that are no white space keep at least three after trimming, wherever they stand; only a
    // text of white space and other scripts needs decoding to tell.
    if (graphic >= 3)
        return Long;
    const int length = QString::fromUtf8(bytes.constData(), bytes.size()).trimmed().size();
    return length == 0 ? Blank : length <= 2 ? Short : Long;
}

bool RequestLine::codeIs(QLatin1String code) const
{
    // A code is ASCII, and only its own bytes decode to it, after the one byte-order mark that decoding drops at
    // the start of the text.
    const int end = firstBar < 0 ? bytes.size() : firstBar;
    const int start = empiezaConMarca(bytes.constData(), end) ? kLargoMarca : 0;
    return end - start == code.size()
           && std::memcmp(bytes.constData() + start, code.data(), size_t(end - start)) == 0;
}

QString RequestLine::argument() const
{
    if (firstBar < 0)
        return QString();
    const int end = secondBar < 0 ? bytes.size() : secondBar;
    // Inside the text a byte-order mark is a character like any other, and a sequence cut short by the "|" or by
    // the end is one replacement character a byte, as decoding the whole text gives them.
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    QString field = QTextCodec::codecForMib(kUtf8)->toUnicode(bytes.constData() + firstBar + 1, end - firstBar - 1,
                                                               &state);
    for (int i = 0; i < state.remainingChars; ++i)
        field.append(QChar(QChar::ReplacementCharacter));
    return field;
}

void RequestLine::clear()
{
    bytes = QByteArray();
    firstBar = secondBar = -1;
    graphic = 0;
}
