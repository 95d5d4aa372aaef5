#pragma once

#include "fileio.h"
#include "records.h"

class QIODevice;

constexpr quint32 CraftingMagic = 0x2AE510A4;

// What a load found. Records read completely before a fault are kept; the counts say
// how many records the tree holds after the load.
struct LoadReport
{
    using Status = LoadStatus;
    static constexpr Status Loaded = LoadStatus::Loaded;
    static constexpr Status NotOpened = LoadStatus::NotOpened;
    static constexpr Status BadMagic = LoadStatus::BadMagic;
    static constexpr Status Damaged = LoadStatus::Damaged;

    Status status = NotOpened;
    int groups = 0;
    int procs = 0;
    int reqs = 0;
};

// Appends the records held in `bytes` (a whole data file) to `data`, printing the load
// trace. Prints "BAD MAGIC NUMBER!" for a foreign file and a warning line for a damaged one.
LoadReport readCraftingData(QByteArrayView bytes, CraftingData &data);

// Writes the whole tree to `device`, printing the save trace before each value.
// Returns false when the device did not take every byte.
bool writeCraftingData(QIODevice &device, const CraftingData &data);

// The data file at `path`: read whole, then decoded.
LoadReport loadCraftingFile(const QString &path, CraftingData &data);
// Saves atomically; with `keepBackup` the old file is kept as `path`.bak first.
SaveStatus saveCraftingFile(const QString &path, const CraftingData &data, bool keepBackup);

// The file name in the working folder.
QString craftingFilePath();
