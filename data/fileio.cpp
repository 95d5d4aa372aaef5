#include "fileio.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

bool readWholeFile(const QString &path, QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    bytes = file.readAll();
    return file.error() == QFileDevice::NoError;
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
