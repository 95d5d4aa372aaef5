#pragma once

#include "data/smeltfiles.h"

#include <QByteArrayView>
#include <variant>

// Either of the two files, told apart by its magic number rather than by its name.
using SmeltFile = std::variant<CraftingData, HelpTopics>;

// Decodes a whole file of either kind into `file`, which then holds the kind its magic
// number announces; BadMagic for anything else, including a file too short to hold one.
FileReport readSmeltFile(QByteArrayView bytes, SmeltFile &file);

// Saves either kind atomically, without a backup.
SaveResult saveSmeltFile(const QString &path, const SmeltFile &file);
