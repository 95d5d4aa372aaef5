#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <vector>

class QLockFile;

// Keeps two programs from editing a folder's data and help files at once. A window locks its
// working folder while it is open: the lock lives beside the data file (Smeltwork.dat.lock),
// or where the folder takes no new file, in the user's runtime folder under a name made from
// the folder's path (folderKey()). A lock left by a program that died is taken over.
class FolderLock
{
public:
    // The working folder's lock, in the one place a window keeps it.
    FolderLock();
    // The lock of the folder whose physical path's bytes are `folder`, in both places a
    // window may keep it, whichever it chose: for a program that writes the folder's files
    // while it holds the lock.
    explicit FolderLock(const QByteArray &folder);
    ~FolderLock();

    // Whether another program holds the lock; one that cannot be made for another reason
    // stops nobody.
    bool heldElsewhere() const { return m_elsewhere >= 0; }
    // Who holds it: its process id, host and program name.
    bool holder(qint64 *pid, QString *host, QString *application = nullptr) const;
    // Lets the folder go before the program ends.
    void release();

private:
    void take(const QString &path);

    std::vector<std::unique_ptr<QLockFile>> m_locks;
    int m_elsewhere = -1; // the one another program holds
};

// The folder that saving `path` writes into, as the bytes of its physical path (every
// symbolic link resolved, as getcwd() gives the working folder), with the file's name there
// in `fileName`. A save through a link replaces the file the link names, so a link is
// followed. Empty when the folder does not exist.
QByteArray physicalFolderOf(const QString &path, QString *fileName);
