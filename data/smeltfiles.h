#pragma once

// The program's two files as files: their names in the working folder, and loading and
// saving them whole, with the trace each operation prints.

#include "craftingfile.h"
#include "helpfile.h"

// The files' names, relative to the working folder.
QString craftingFilePath();
QString helpFilePath();

// Reads the file at `path` whole and decodes it into an empty tree or topic list. Anything
// but a whole file, or a missing one, is said in a warning line.
FileReport loadCraftingFile(const QString &path, CraftingData &data);
FileReport loadHelpTopics(const QString &path, HelpTopics &topics);

// Saves atomically (see saveAtomically()); with `keepBackup` the old file is kept as
// `path`.bak first. A save that fails says why in a warning line.
SaveResult saveCraftingFile(const QString &path, const CraftingData &data, bool keepBackup);
SaveResult saveHelpTopics(const QString &path, const HelpTopics &topics, bool keepBackup);
