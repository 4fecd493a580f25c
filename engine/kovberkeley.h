#ifndef KOVBERKELEY_H
#define KOVBERKELEY_H

#include <QString>

#include <memory>

// The book's key index: a Berkeley DB B-tree file holding the key of every line read so far, so that a line
// repeating an earlier line's key is refused.
//
// A key is built from its parts in column order, joined with "|" (a character no field can hold, since it
// separates the fields of a line), and stored as its UTF-8 bytes, whatever its length. A separator goes before
// every part but the first, also around empty parts, so ("", "B") and ("B", "") are different keys; a key whose
// parts are all empty is accepted without being stored.
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
    QString key;
    QString fileName;
    int partes;
    bool llaveConTexto;
};

#endif // KOVBERKELEY_H
