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

    // Removes whatever sits at the path (a stale index, a planted file or link) and creates a new index there
    // exclusively; false when that fails or the file at the path is not the one just created.
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
    // Closes the index and deletes its file (a missing file is no error).
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
