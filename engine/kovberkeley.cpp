#include "kovberkeley.h"

#include "archivoseguro.h"

#include <QByteArray>
#include <QtGlobal>

#include <cstdarg>
#include <cstring>

#include <db.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

struct KovBerkeley::Handle
{
    DB *db = nullptr;
    // The file the index made, once it was found under its name with its lock held.
    bool conArchivo = false;
    struct stat archivo;

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
    return S_ISREG(enRuta.st_mode) && mismoArchivo(abierto, enRuta);
}

// A file left under the name by an index no longer open goes, under its lock; a link or other non-regular entry
// planted there holds no index and is only unlinked. A live index under the name stays, and the name cannot be had.
bool liberaNombre(const QByteArray &ruta)
{
    struct stat estado;
    if (lstat(ruta.constData(), &estado) != 0)
        return errno == ENOENT;
    if (S_ISREG(estado.st_mode))
        return quitaAbandonado(AT_FDCWD, ruta.constData(), Abandono::SinCerrojo);
    return unlink(ruta.constData()) == 0 || errno == ENOENT;
}

// Only a sweep can hold a new file's lock, and only for a moment before it removes it.
void tomaCerrojo(int fd)
{
    while (flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
}

const int kIntentos = 3;

// Berkeley DB tries an open that found no descriptor free three times more, 12 s in all, before it gives up; a job's
// set-up gives up at once instead, as it does for every other failure.
int abreSinEspera(const char *ruta, int banderas, ...)
{
    mode_t modo = 0;
    if (banderas & O_CREAT) {
        va_list argumentos;
        va_start(argumentos, banderas);
        modo = mode_t(va_arg(argumentos, int));
        va_end(argumentos);
    }
    int fd;
    while ((fd = ::open(ruta, banderas | O_CLOEXEC, modo)) < 0 && errno == EINTR) {
    }
    return fd;
}

void abreSiempreSinEspera()
{
    static const bool puesta = db_env_set_func_open(&abreSinEspera) == 0;
    Q_UNUSED(puesta);
}

} // namespace

KovBerkeley::KovBerkeley() = default;

bool KovBerkeley::open(const QString &fileName)
{
    this->fileName = fileName;
    handle = std::make_shared<Handle>();
    clearKeyData();

    const QByteArray ruta = fileName.toUtf8();
    if (ruta.isEmpty())
        return false;
    abreSiempreSinEspera();
    // The name repeats across days and restarts in a folder other users share: never reuse what is there. The file
    // is locked for as long as the index is open, so that a sweep for the files of ended processes leaves it alone;
    // a sweep that took it in the moment before the lock has removed it, and the index is made again.
    for (int intento = 0; intento < kIntentos; ++intento) {
        if (!liberaNombre(ruta))
            return false;
        DB *db = nullptr;
        if (db_create(&db, nullptr, 0) != 0 || !db)
            return false;
        handle->db = db;
        // Keys of a large book arrive in no order; a cache this size keeps scattered inserts off the disk.
        db->set_cachesize(db, 0, 32 * 1024 * 1024, 1);
        int fd = -1;
        if (db->open(db, nullptr, ruta.constData(), nullptr, DB_BTREE, DB_CREATE | DB_EXCL, 0600) != 0
            || db->fd(db, &fd) != 0 || fd < 0) {
            handle->close();
            return false;
        }
        tomaCerrojo(fd);
        if (esArchivoPropio(db, ruta) && fstat(fd, &handle->archivo) == 0) {
            handle->conArchivo = true;
            return true;
        }
        handle->close();
    }
    return false;
}

void KovBerkeley::addKey(const QString &part)
{
    key.agrega(part);
}

void KovBerkeley::addData(const QString &text)
{
    data.append(text);
}

void KovBerkeley::clearKeyData()
{
    key.limpia();
    data.clear();
}

bool KovBerkeley::insert()
{
    const bool resultado = !key.conTexto() || insertKey(key.bytes(), data.toUtf8());
    clearKeyData();
    return resultado;
}

bool KovBerkeley::insertKey(const QByteArray &llave, const QByteArray &valor)
{
    if (!isOpen())
        return false;
    DBT k;
    DBT v;
    std::memset(&k, 0, sizeof k);
    std::memset(&v, 0, sizeof v);
    k.data = const_cast<char *>(llave.constData());
    k.size = u_int32_t(llave.size());
    v.data = const_cast<char *>(valor.constData());
    v.size = u_int32_t(valor.size());

    DB *db = handle->db;
    const int ret = db->put(db, nullptr, &k, &v, DB_NOOVERWRITE);
    if (ret == 0)
        return true;
    if (ret == DB_KEYEXIST)
        qWarning("Llave ya existe");
    else
        qWarning("Error al insertar la data");
    return false;
}

void KovBerkeley::close()
{
    if (handle)
        handle->close();
}

void KovBerkeley::removeFile()
{
    close();
    // Closed first, as the library writes pages back to the path as it closes. Only the file the index made goes,
    // and only while no open index holds the file under the path: the path may have passed to another job's index.
    const QByteArray ruta = fileName.toUtf8();
    if (handle && handle->conArchivo && !ruta.isEmpty())
        quitaAbandonado(AT_FDCWD, ruta.constData(), Abandono::SinCerrojo, &handle->archivo);
    if (handle)
        handle->conArchivo = false;
}

bool KovBerkeley::isOpen() const
{
    return handle && handle->db;
}

QString KovBerkeley::getKey() const
{
    return key.texto();
}

QString KovBerkeley::getFileName() const
{
    return fileName;
}
