#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

class QIODevice;

// What reading a file found; shared by both file formats.
enum class LoadStatus {
    Loaded,
    NotOpened, // missing or unreadable: silently an empty start
    BadMagic,  // not this format, or too short to tell; nothing was read
    Damaged,   // ends early or holds impossible lengths; what was complete is kept
};

// What reading either file found. The counts are of the records held after the load: groups,
// processes and requirements of a data file, topics of a help file.
struct FileReport
{
    LoadStatus status = LoadStatus::NotOpened;
    int groups = 0;
    int procs = 0;
    int reqs = 0;
    int topics = 0;
    qint64 damagedAt = -1; // Damaged: the byte at which reading stopped
};

enum class SaveStatus {
    Saved,
    NotWritable,  // the file or its folder cannot be written; nothing was touched
    BackupFailed, // the old file could not be copied aside; it was left as it was
    WriteFailed,  // writing failed part way (a full disk, say); the old file is whole
};

// Reads the whole file at `path`. False when it cannot be opened or read; both formats
// are decoded from memory, which keeps every bounds check in one place.
bool readWholeFile(const QString &path, QByteArray &bytes);

// Replaces the file at `path` with what `write` puts into the device, or leaves the old
// file whole: the new contents go to a temporary file that is renamed over the old one
// only after every byte has reached it. `write` runs only once the file is known to be
// writable, so nothing it prints appears for a file that cannot be saved. With
// `keepBackup`, and always for an existing file that cannot be read, the old file is first
// kept as `path` + ".bak" (a second name for it where the file system allows, else a copy).
// A failed write or backup prints a warning line; a file that cannot be written does not.
// Whether the save after a load that found `status` keeps the old file as .bak first: a
// file the load refused or found damaged holds more than what replaces it.
inline bool keepsBackup(LoadStatus status)
{
    return status == LoadStatus::BadMagic || status == LoadStatus::Damaged;
}

SaveStatus saveAtomically(const QString &path, bool keepBackup,
                          const std::function<bool(QIODevice &)> &write);
