#include "kovberkeley.h"

#include <QByteArray>
#include <QtGlobal>

#include <cstring>

#include <db.h>
#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

struct KovBerkeley::Handle
{
    DB *db = nullptr;

    void close()
    {
        if (db) {
            // The index is deleted once the job ends, so writing its pages back would be wasted work.
            db->close(db, DB_NOSYNC);
            db = nullptr;
        }
    }

    ~Handle() { close(); }
};

namespace {

// The index only counts as ours when the path names a regular file, not a link, and that file is the one the
// handle has open.
bool esArchivoPropio(DB *db, const QByteArray &ruta)
{
    int fd = -1;
    if (db->fd(db, &fd) != 0 || fd < 0)
        return false;
    struct stat abierto;
    struct stat enRuta;
    if (fstat(fd, &abierto) != 0 || lstat(ruta.constData(), &enRuta) != 0)
        return false;
    return S_ISREG(enRuta.st_mode) && abierto.st_dev == enRuta.st_dev && abierto.st_ino == enRuta.st_ino;
}

} // namespace

KovBerkeley::KovBerkeley()
    : partes(0), llaveConTexto(false)
{
}

bool KovBerkeley::open(const QString &fileName)
{
    this->fileName = fileName;
    handle = std::make_shared<Handle>();
    clearKeyData();

    const QByteArray ruta = fileName.toUtf8();
    if (ruta.isEmpty())
        return false;
    // The name repeats across days and restarts in a folder other users share: never reuse what is there.
    if (unlink(ruta.constData()) != 0 && errno != ENOENT)
        return false;

    DB *db = nullptr;
    if (db_create(&db, nullptr, 0) != 0 || !db)
        return false;
    handle->db = db;
    // Keys of a large book arrive in no order; a cache this size keeps scattered inserts off the disk.
    db->set_cachesize(db, 0, 32 * 1024 * 1024, 1);
    if (db->open(db, nullptr, ruta.constData(), nullptr, DB_BTREE, DB_CREATE | DB_EXCL, 0600) != 0
        || !esArchivoPropio(db, ruta)) {
        handle->close();
        return false;
    }
    return true;
}

void KovBerkeley::addKey(const QString &part)
{
    if (partes > 0)
        key.append(QLatin1Char('|'));
    key.append(part);
    ++partes;
    if (!part.isEmpty())
        llaveConTexto = true;
}

void KovBerkeley::addData(const QString &text)
{
    data.append(text);
}

void KovBerkeley::clearKeyData()
{
    key.clear();
    data.clear();
    partes = 0;
    llaveConTexto = false;
}

bool KovBerkeley::insert()
{
    if (!llaveConTexto) {
        clearKeyData();
        return true;
    }

    bool resultado = false;
    if (isOpen()) {
        QByteArray bytesLlave = key.toUtf8();
        QByteArray bytesData = data.toUtf8();
        DBT llave;
        DBT valor;
        std::memset(&llave, 0, sizeof llave);
        std::memset(&valor, 0, sizeof valor);
        llave.data = bytesLlave.data();
        llave.size = u_int32_t(bytesLlave.size());
        valor.data = bytesData.data();
        valor.size = u_int32_t(bytesData.size());

        DB *db = handle->db;
        const int ret = db->put(db, nullptr, &llave, &valor, DB_NOOVERWRITE);
        if (ret == 0)
            resultado = true;
        else if (ret == DB_KEYEXIST)
            qWarning("Llave ya existe");
        else
            qWarning("Error al insertar la data");
    }
    clearKeyData();
    return resultado;
}

void KovBerkeley::close()
{
    if (handle)
        handle->close();
}

void KovBerkeley::removeFile()
{
    close();
    const QByteArray ruta = fileName.toUtf8();
    if (!ruta.isEmpty())
        unlink(ruta.constData());
}

bool KovBerkeley::isOpen() const
{
    return handle && handle->db;
}

QString KovBerkeley::getKey() const
{
    return key;
}

QString KovBerkeley::getFileName() const
{
    return fileName;
}
