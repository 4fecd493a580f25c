#include "kovsha1.h"

#include "archivoseguro.h"

#include <openssl/evp.h>

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace {

const int kBloqueHash = 8192;

} // namespace

KovSha1::KovSha1()
    : contexto(EVP_MD_CTX_new())
{
    ok = contexto && EVP_DigestInit_ex(contexto, EVP_sha1(), nullptr) == 1;
}

KovSha1::~KovSha1()
{
    EVP_MD_CTX_free(contexto);
}

void KovSha1::agrega(const char *datos, qint64 largo)
{
    if (ok && largo > 0)
        ok = EVP_DigestUpdate(contexto, datos, size_t(largo)) == 1;
}

QString KovSha1::hex()
{
    unsigned char digesto[EVP_MAX_MD_SIZE];
    unsigned int largo = 0;
    ok = ok && EVP_DigestFinal_ex(contexto, digesto, &largo) == 1 && largo == 20;
    if (!ok)
        return QString();
    ok = false;
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(digesto), int(largo)).toHex());
}

bool KovSha1::archivo(const QString &ruta, QString *hash, qint64 *tam)
{
    const int fd = abreRegularFd(ruta);
    if (fd < 0)
        return false;
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    KovSha1 sha1;
    char bloque[kBloqueHash];
    qint64 total = 0;
    bool leido = true;
    for (;;) {
        const ssize_t n = ::read(fd, bloque, sizeof bloque);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            leido = n == 0;
            break;
        }
        sha1.agrega(bloque, n);
        total += n;
    }
    ::close(fd);
    const QString texto = leido ? sha1.hex() : QString();
    if (texto.isEmpty())
        return false;
    *hash = texto;
    if (tam)
        *tam = total;
    return true;
}
