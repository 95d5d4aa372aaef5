#pragma once

#include "smeltfiles.h"
#include "records.h"

#include <QByteArrayView>

// Either of the two files, told apart by its magic number rather than by its name.
struct SmeltFile
{
    enum Kind { Crafting, Help };

    Kind kind = Crafting;
    CraftingData groups; // when kind is Crafting
    HelpTopics topics;   // when kind is Help
};

// The kind a file's first four bytes announce; false for anything else, including a file
// too short to hold a magic number.
bool smeltFileKind(QByteArrayView bytes, SmeltFile::Kind &kind);
