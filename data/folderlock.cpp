#include "data/folderlock.h"

#include "data/filesession.h"
#include "data/smeltfiles.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <unistd.h>
#else
#include <QTemporaryFile>
#endif

namespace {

// Where a lock goes when its folder takes no new file. Without XDG_RUNTIME_DIR, Qt warns at
// each look-up and picks a folder of its own, which serves the lock as well; the warning
// would only stand among the tool's messages.
QString runtimeLockPath(const QByteArray &folder)
{
    static const QString runtime = [] {
#ifdef Q_OS_WIN
        // Windows has no runtime folder (Qt's RuntimeLocation there is the home folder): the
        // user's local application data, under the program's name, which the tool looks in too.
        const QString path = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                             QStringLiteral("/SmeltworkAdmin/locks");
        QDir().mkpath(path);
        return path;
#else
        const QtMessageHandler previous =
            qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
        const QString path = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        qInstallMessageHandler(previous);
        return path;
#endif
    }();
    return runtime + QStringLiteral("/smeltwork-%1.lock").arg(folderKey(folder));
}

QString lockName()
{
    return craftingFilePath() + QStringLiteral(".lock");
}

} // namespace

FolderLock::FolderLock()
{
#ifdef Q_OS_UNIX
    const bool folderTakesFiles = ::access(".", W_OK) == 0;
#else
    // A folder's access list, not its read-only flag, decides whether it takes a new file;
    // making one is the only sure question.
    const bool folderTakesFiles = QTemporaryFile(QStringLiteral("./.smeltwork-XXXXXX")).open();
#endif
    take(folderTakesFiles ? lockName() : runtimeLockPath(workingFolder()));
}

FolderLock::FolderLock(const QByteArray &folder)
{
    take(QFile::decodeName(folder) + u'/' + lockName());
    if (!heldElsewhere())
        take(runtimeLockPath(folder));
}

FolderLock::~FolderLock() = default;

void FolderLock::take(const QString &path)
{
    auto lock = std::make_unique<QLockFile>(path);
    // A lock is stale only when its program is gone, however long it has been held.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0) && lock->error() == QLockFile::LockFailedError)
        m_elsewhere = int(m_locks.size());
    m_locks.push_back(std::move(lock));
}

bool FolderLock::holder(qint64 *pid, QString *host, QString *application) const
{
    QString name;
    return m_locks.at(qMax(m_elsewhere, 0))
        ->getLockInfo(pid, host, application ? application : &name);
}

void FolderLock::release()
{
    for (const auto &lock : m_locks)
        lock->unlock();
}

QByteArray physicalFolderOf(const QString &path, QString *fileName)
{
    const QFileInfo info(path);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    const QFileInfo file(info.exists() ? info.canonicalFilePath()
                                       : folder + u'/' + info.fileName());
    *fileName = file.fileName();
    return folder.isEmpty() ? QByteArray() : QFile::encodeName(file.path());
}
