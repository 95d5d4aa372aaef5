#pragma once

// Finding records by name in the crafting tree. The search reads the tree in place and
// keeps only the positions of what it found, so a window can ask again at every keystroke.

#include "data/editing.h"
#include "data/records.h"

#include <QList>
#include <QStringView>
#include <functional>

// A window lists no more matches than this; a longer list helps nobody find a record.
constexpr qsizetype MaxListedMatches = 1000;

struct FindResult
{
    QList<RecordPath> listed; // the first matches in tree order
    qsizetype total = 0;      // every match, listed or not
};

// Every group, process and requirement whose name contains `query` (with `wholeName`: is
// `query`), ignoring case, in tree order: a group, then each of its processes followed by that
// process's requirements. An empty query finds nothing. `stopped`, when given, is asked
// before each process: a search that is no longer wanted ends there, with what it found so far.
FindResult findRecords(const CraftingData &data, QStringView query,
                       qsizetype maxListed = MaxListedMatches,
                       const std::function<bool()> &stopped = {}, bool wholeName = false);

// The names a search reads: one per group, process and requirement.
qsizetype nameCount(const CraftingData &data);

// The records along a path, without detaching the tree; null where the path stops or runs
// past the tree.
struct RecordsAt
{
    const ProcGroup *group = nullptr;
    const Proc *proc = nullptr;
    const Req *req = nullptr;
};
RecordsAt recordsAt(const CraftingData &data, const RecordPath &path);
