#pragma once

#include "data/fileio.h"
#include "data/records.h"

class QIODevice;

constexpr quint32 CraftingMagic = 0x2AE510A4;

// Appends the records held in `bytes` (a whole data file) to `data`, printing the load
// trace; the report says whether the file was whole, and what was kept.
FileReport readCraftingData(QByteArrayView bytes, CraftingData &data);

// Writes the whole tree to `device`, printing the save trace before each value unless
// `traced` is false.
// Returns false when the device did not take every byte.
bool writeCraftingData(QIODevice &device, const CraftingData &data, bool traced = true);
