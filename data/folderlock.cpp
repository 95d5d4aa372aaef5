#include "data/folderlock.h"

#include "data/filesession.h"
#include "data/smeltfiles.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

QString lockPath()
{
#ifdef Q_OS_UNIX
    const bool folderTakesFiles = ::access(".", W_OK) == 0;
#else
    const bool folderTakesFiles = QFileInfo(QStringLiteral(".")).isWritable();
#endif
    if (folderTakesFiles)
        return craftingFilePath() + QStringLiteral(".lock");
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) +
           QStringLiteral("/smeltwork-%1.lock").arg(folderKey(workingFolder()));
}

} // namespace

FolderLock::FolderLock() : m_lock(std::make_unique<QLockFile>(lockPath()))
{
    // A lock is stale only when its program is gone, however long it has been held.
    m_lock->setStaleLockTime(0);
    m_elsewhere = !m_lock->tryLock(0) && m_lock->error() == QLockFile::LockFailedError;
}

FolderLock::~FolderLock() = default;

bool FolderLock::holder(qint64 *pid, QString *host) const
{
    QString application;
    return m_lock->getLockInfo(pid, host, &application);
}

void FolderLock::release()
{
    m_lock->unlock();
}
