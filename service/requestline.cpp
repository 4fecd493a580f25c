#include "requestline.h"

#include <cstring>

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
    // A code is ASCII, and only its own bytes decode to it.
    const int end = firstBar < 0 ? bytes.size() : firstBar;
    return end == code.size() && std::memcmp(bytes.constData(), code.data(), size_t(end)) == 0;
}

QString RequestLine::argument() const
{
    if (firstBar < 0)
        return QString();
    const int end = secondBar < 0 ? bytes.size() : secondBar;
    return QString::fromUtf8(bytes.constData() + firstBar + 1, end - firstBar - 1);
}

void RequestLine::clear()
{
    bytes = QByteArray();
    firstBar = secondBar = -1;
    graphic = 0;
}
