#include "fileio.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

FileReport notRead(LoadStatus status, const QString &reason)
{
    FileReport report;
    report.status = status;
    report.reason = reason;
    return report;
}

#ifdef Q_OS_UNIX
// What a path that is not a regular file is, in the words a box can show.
QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    if (S_ISFIFO(mode))
        return QStringLiteral("a named pipe");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("a device");
    return QStringLiteral("not a regular file");
}
#endif

} // namespace

FileReport readWholeFile(const QString &path, QByteArray &bytes)
{
    QFile file(path);
#ifdef Q_OS_UNIX
    // Opened without waiting, so that a pipe cannot stop the program before its kind is known.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return errno == ENOENT
                   ? FileReport{}
                   : notRead(LoadStatus::Unreadable, QString::fromLocal8Bit(strerror(errno)));
    }
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const QString kind = kindOf(info.st_mode);
        ::close(fd);
        return notRead(LoadStatus::NotAFile, kind);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return notRead(LoadStatus::Unreadable, file.errorString());
    }
#else
    if (!QFileInfo::exists(path))
        return {};
    if (!QFileInfo(path).isFile())
        return notRead(LoadStatus::NotAFile, QStringLiteral("not a regular file"));
    if (!file.open(QIODevice::ReadOnly))
        return notRead(LoadStatus::Unreadable, file.errorString());
#endif
    bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return notRead(LoadStatus::Unreadable, file.errorString());
    FileReport report;
    report.status = LoadStatus::Loaded;
    return report;
}

// A hard link keeps the old bytes without reading them or taking space, so even a file that
// cannot be read, or one on a full disk, is kept; the save then renames the new file over
// the old name and leaves the link alone. Where links are not to be had, a copy does.
static bool keepAside(const QString &path)
{
    const QString backup = path + QStringLiteral(".bak");
    if (QFile::exists(backup) && !QFile::remove(backup))
        return false;
#ifdef Q_OS_UNIX
    // The save replaces what a symbolic link points to, so that is what is linked.
    const bool kept = ::linkat(AT_FDCWD, QFile::encodeName(path).constData(), AT_FDCWD,
                               QFile::encodeName(backup).constData(), AT_SYMLINK_FOLLOW) == 0 ||
                      QFile::copy(path, backup);
#else
    const bool kept = QFile::copy(path, backup);
#endif
    if (!kept)
        return false;
    qWarning("Kept the old file as %s",
             QFile::encodeName(QFileInfo(backup).fileName()).constData());
    return true;
}

// The run's records are lost at this point; say so, since the save ran after the window
// closed and nothing else would tell.
static SaveStatus writeFailed(const QFileInfo &file, const QString &reason)
{
    qWarning("Unable to write %s: %s; the old file was kept",
             QFile::encodeName(file.fileName()).constData(), reason.toLocal8Bit().constData());
    return SaveStatus::WriteFailed;
}

SaveStatus saveAtomically(const QString &path, bool keepBackup,
                          const std::function<bool(QIODevice &)> &write)
{
    const QFileInfo existing(path);
    // Renaming over a read-only file would succeed; writing in place would not. The file's
    // own protection wins.
    if (existing.exists() && !existing.isWritable())
        return SaveStatus::NotWritable;

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return SaveStatus::NotWritable;

    // A file that cannot be read was never loaded, so nothing of it is in what replaces it.
    const bool unread = existing.exists() && !existing.isReadable();
    if ((keepBackup || unread) && existing.exists() && !keepAside(path)) {
        file.cancelWriting();
        qWarning("Unable to keep a copy of %s; the file was not replaced",
                 QFile::encodeName(existing.fileName()).constData());
        return SaveStatus::BackupFailed;
    }

    // QSaveFile::commit() can report success after a failed write (a full disk, for one)
    // and then replace the old file with a short one; check every step before committing.
    if (!write(file) || !file.flush() || file.error() != QFileDevice::NoError)
        return writeFailed(existing, file.errorString()); // the uncommitted file is discarded
    if (!file.commit())
        return writeFailed(existing, file.errorString());
    return SaveStatus::Saved;
}
