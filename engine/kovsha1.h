#ifndef KOVSHA1_H
#define KOVSHA1_H

#include <QByteArray>
#include <QString>

struct evp_md_ctx_st;

// A SHA-1 digest through libcrypto, whose code for this processor is several times faster than a portable one.
// Its text is the one every result and answer carries: 40 lower-case hexadecimal digits.
class KovSha1
{
public:
    KovSha1();
    ~KovSha1();
    KovSha1(const KovSha1 &) = delete;
    KovSha1 &operator=(const KovSha1 &) = delete;

    void agrega(const char *datos, qint64 largo);
    // Ends the digest. Empty when libcrypto failed at some step: no text then stands for bytes not hashed.
    QString hex();

    // The hash of a regular file read to its end, and its size when `tam` is given. False, leaving both alone, when
    // the file cannot be opened or a read fails.
    static bool archivo(const QString &ruta, QString *hash, qint64 *tam);

private:
    evp_md_ctx_st *contexto;
    bool ok;
};

#endif // KOVSHA1_H
