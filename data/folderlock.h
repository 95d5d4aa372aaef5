#pragma once

#include <QString>
#include <memory>

class QLockFile;

// Keeps a second program from editing the working folder's data file while this one has it
// open. The lock lives beside the file (Smeltwork.dat.lock), or where the folder takes no new
// file, in the user's runtime folder under a name made from the folder's path. A lock left
// by a program that died is taken over.
class FolderLock
{
public:
    FolderLock();
    ~FolderLock();

    // Whether another program holds the lock; one that cannot be made for another reason
    // stops nobody.
    bool heldElsewhere() const { return m_elsewhere; }
    // Who holds it: its process id and host.
    bool holder(qint64 *pid, QString *host) const;
    // Lets the folder go before the program ends.
    void release();

private:
    std::unique_ptr<QLockFile> m_lock;
    bool m_elsewhere = false;
};
