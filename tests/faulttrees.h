#pragma once

#include "craftingfile.h"
#include "helpfile.h"

#include <QByteArray>

// What the fault tests save and what they find afterwards, shared with the helper process
// (faulthelper.cpp) that does the saving where a test needs a process of its own. Each
// function takes the file it is about: the data file or the help file.
enum class FaultFile { Data, Help };

QString faultFileName(FaultFile file);

// A folder's file before a save: one group or topic named "Old".
QByteArray oldFileBytes(FaultFile file);
// What a save writes over it: a group "New" with one process, or one topic "New".
QByteArray newFileBytes(FaultFile file);
// Loads whatever is in the working folder as the program does, then saves the new records
// over it, keeping a copy of a file it could not read completely.
SaveStatus saveNewRecordsLikeTheProgram(FaultFile file);

// About 1.5 MiB once encoded, so a save takes a while; the two variants differ in every
// record, so a file mixed from both cannot pass for either.
QByteArray bigFileBytes(FaultFile file, int variant);
SaveStatus saveBigRecords(FaultFile file, int variant);

const char *saveStatusName(SaveStatus status);

// How the helper process (faulthelper.cpp) ends when it cannot do its work.
enum HelperExit { HelperDone = 0, HelperUsage = 2, HelperNoFolder = 3, HelperNoUser = 4 };
