#ifndef REQUESTLINE_H
#define REQUESTLINE_H

#include <QByteArray>
#include <QLatin1String>
#include <QString>

// One request as the bytes its connection brought, with its fields found in those bytes. Only the field a
// transaction reads is decoded: the whole text in UTF-16 and split into fields would hold a large request three
// times over. A "|" byte never lies inside a UTF-8 sequence, so the fields decode as the text would split, once a
// field inside the text keeps the byte-order mark that decoding drops only at the start of the whole text.
class RequestLine
{
public:
    enum Length { Blank, Short, Long };

    // The bytes are the request's text as it stands, without a NUL that ends it.
    explicit RequestLine(const QByteArray &bytes);

    int size() const { return bytes.size(); }

    // The text trimmed of white space is empty, has one or two characters, or more.
    Length trimmedLength() const;
    // Field 0 is exactly the given code.
    bool codeIs(QLatin1String code) const;
    // The text holds a "|", so it has a field 1.
    bool hasArgument() const { return firstBar >= 0; }
    // Field 1 as text, blanks kept.
    QString argument() const;
    // Lets the bytes go once the decoded field is all that is needed.
    void clear();

private:
    QByteArray bytes;
    int firstBar;
    int secondBar;
    // How many printable ASCII bytes there are, counted up to 3: each one decodes to itself and is no white space.
    int graphic;
};

#endif // REQUESTLINE_H
