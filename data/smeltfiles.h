#pragma once

// The program's two files as files: their names in the working folder, and loading and
// saving them whole, with the trace each operation prints.

#include "data/craftingfile.h"
#include "data/helpfile.h"

// The files' names, relative to the working folder.
QString craftingFilePath();
QString helpFilePath();

// Reads the file at `path` whole and decodes it into an empty tree or topic list; `bytes`,
// when given, receives what was read. Anything but a whole file, or a missing one, is said
// in a warning line.
FileReport loadFile(const QString &path, CraftingData &data, QByteArray *bytes = nullptr);
FileReport loadFile(const QString &path, HelpTopics &topics, QByteArray *bytes = nullptr);

// Saves atomically (see saveAtomically()); with `keepBackup` the old file is kept as
// `path`.bak first. A save that fails says why in a warning line.
SaveResult saveFile(const QString &path, const CraftingData &data, bool keepBackup);
SaveResult saveFile(const QString &path, const HelpTopics &topics, bool keepBackup);
