#include "fileio.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

bool readWholeFile(const QString &path, QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    bytes = file.readAll();
    return file.error() == QFileDevice::NoError;
}

static bool copyAside(const QString &path)
{
    const QString backup = path + QStringLiteral(".bak");
    if (QFile::exists(backup) && !QFile::remove(backup))
        return false;
    if (!QFile::copy(path, backup))
        return false;
    qWarning("Kept the old file as %s", QFile::encodeName(QFileInfo(backup).fileName()).constData());
    return true;
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

    if (keepBackup && existing.exists() && !copyAside(path)) {
        file.cancelWriting();
        qWarning("Unable to keep a copy of %s; the file was not replaced",
                 QFile::encodeName(existing.fileName()).constData());
        return SaveStatus::BackupFailed;
    }

    // QSaveFile::commit() can report success after a failed write (a full disk, for one)
    // and then replace the old file with a short one; check every step before committing.
    if (!write(file) || !file.flush() || file.error() != QFileDevice::NoError) {
        file.cancelWriting();
        file.commit();
        return SaveStatus::WriteFailed;
    }
    if (!file.commit())
        return SaveStatus::WriteFailed;
    return SaveStatus::Saved;
}
