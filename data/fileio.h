#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <functional>
#include <memory>

class QIODevice;
class TextPool;

// What reading a file found; shared by both file formats.
enum class LoadStatus {
    Loaded,     // every record read; `trailing` counts any bytes after the last one
    NotOpened,  // there is no such file: silently an empty start
    Unreadable, // it exists but cannot be read (permission, I/O error); see `reason`
    NotAFile,   // a folder, pipe, device or socket, which is never read or replaced
    BadMagic,   // not this format, or too short to tell; nothing was read
    Damaged,    // ends early or holds impossible lengths; what was complete is kept
};

// What reading either file found. The counts are of the records held after the load: groups,
// processes and requirements of a data file, topics of a help file.
struct [[nodiscard]] FileReport
{
    LoadStatus status = LoadStatus::NotOpened;
    int groups = 0;
    int procs = 0;
    int reqs = 0;
    int topics = 0;
    qint64 damagedAt = -1; // Damaged: the byte at which reading stopped
    qint64 trailing = 0;   // Loaded: bytes after the last record, which the format never reads
    QString reason;        // Unreadable: the system's reason; NotAFile: what the path is
    // A data file's distinct names and multipliers, each the string the records share, for
    // the edits to share them too.
    std::shared_ptr<TextPool> texts;
};

enum class SaveStatus {
    Saved,
    NotWritable,  // the file or its folder cannot be written (or is gone); nothing was touched
    NotAFile,     // the path is a folder, pipe or device, which is never replaced
    BackupFailed, // the old file could not be kept aside; it was left as it was
    WriteFailed,  // writing failed part way (a full disk, say); the old file is whole
};

// What a save did; when it failed, the system's reason ("No space left on device").
struct [[nodiscard]] SaveResult
{
    SaveStatus status = SaveStatus::Saved;
    QString reason;
    // Saved over a file that another program had changed: where that version was kept.
    QString otherVersion;
};

// Backups beside a file: the newest is `path`.bak, older ones .bak.1 to .bak.9.
constexpr int OlderBackups = 9;

// Reads the whole file at `path` into `bytes`; both formats are decoded from memory, which
// keeps every bounds check in one place. The report says Loaded, or why nothing was read.
// Only a regular file (or a link to one) is read: a pipe would never end.
FileReport readWholeFile(const QString &path, QByteArray &bytes);
// The same a piece at a time, for a caller that needs no more of a large file at once: each
// piece of `piece` bytes (the last may be shorter) goes to `take`.
FileReport readInPieces(const QString &path, qsizetype piece,
                        const std::function<void(QByteArrayView)> &take);

// What `path` is, in words a box can show ("a named pipe"), when it exists and is not a
// regular file or a link to one; an empty text otherwise.
QString whatIsNotAFile(const QString &path);

// Whether the folder that holds `path` has been removed: a name in the working folder
// counts the working folder, which the program may still stand in after it was removed.
bool folderIsGone(const QString &path);

// Whether the save after a load that found `report` keeps the old file as .bak first: a
// file the load refused, could not read, found damaged or did not read to its end holds
// more than what replaces it.
inline bool keepsBackup(const FileReport &report)
{
    return report.status == LoadStatus::BadMagic || report.status == LoadStatus::Damaged ||
           report.status == LoadStatus::Unreadable || report.trailing > 0;
}

// Replaces the file at `path` with what `write` puts into the device, or leaves the old
// file whole: the new contents go to a temporary file that is renamed over the old one
// only after every byte has reached it. Where the folder takes no temporary file, the file
// is written in place instead. `write` runs only once the file is known to be writable, so
// nothing it prints appears for a file that cannot be saved. With `keepBackup` the old file
// is first kept as `path`.bak (a second name for it where the file system allows, else a
// copy), older backups moving one place down; whether to keep one is the caller's decision.
// A failed backup prints a warning line; every failure returns its reason.
SaveResult saveAtomically(const QString &path, bool keepBackup,
                          const std::function<bool(QIODevice &)> &write);
