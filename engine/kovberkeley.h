#ifndef KOVBERKELEY_H
#define KOVBERKELEY_H

#include "kovllave.h"

#include <QByteArray>
#include <QString>

#include <memory>

// The book's key index: a Berkeley DB B-tree file holding the key of every line read so far, so that a line
// repeating an earlier line's key is refused.
//
// A key is built from its parts as a KovLlave and stored as its UTF-8 bytes, whatever its length.
class KovBerkeley
{
public:
    KovBerkeley();

    // Removes what an earlier index or anyone else left at the path (a stale index no longer open, a planted file
    // or link) and creates a new index there exclusively; false when that fails, when an index open elsewhere holds
    // the path, or when the file at the path is not the one just created. The file stays locked (flock) while the
    // index is open, which tells a sweep for the files of ended processes that it is in use.
    bool open(const QString &fileName);
    void addKey(const QString &part);
    void addData(const QString &text);
    void clearKeyData();
    // Stores the pending key; false when it is already in the index or the index fails. Always empties the
    // pending key and data.
    bool insert();
    // Stores the bytes of a key with text composed elsewhere (KovLlave::bytes()); the same answers as insert().
    bool insertKey(const QByteArray &llave, const QByteArray &valor = QByteArray());
    // Closing twice, or closing an index never opened, does nothing.
    void close();
    // Closes the index and deletes its file, if the path still names the file the index made.
    void removeFile();

    bool isOpen() const;
    QString getKey() const;
    QString getFileName() const;

private:
    struct Handle;
    // Copies share the handle: closing through one closes it for all, and the last one closes it when destroyed.
    std::shared_ptr<Handle> handle;
    QString data;
    KovLlave key;
    QString fileName;
};

#endif // KOVBERKELEY_H
