#pragma once

#include "data/smeltfile.h"

#include <QByteArray>
#include <QList>
#include <QString>

// Three-way merge of two versions of a file against their common base, record by record.
//
// Records match by name: groups among the groups, processes within their group,
// requirements by name and kind (item/tool for type 0, skill for any other type) within
// their process, help topics by id. A null name and an empty one are different names. When a
// name repeats in a list, its n-th record matches the n-th of that name on the other side.
// A record whose name is gone on one side while a record of a new name there holds the same
// content otherwise was renamed, and merges as the same record.
//
// A field takes the side that changed it; a list the order of the side that reordered it,
// with the records the other side added placed after the record they followed there (first
// when they were first). Where the sides disagree the merge keeps ours and records a
// conflict: a field changed to two values, a record deleted on one side and changed on the
// other (a record ours deleted stays out), a record added on both sides with different
// contents, a list reordered differently on both sides.

struct MergeConflict
{
    QString path;     // JSON path, as export writes it, into the merged value; a record
                      // left out has the position it would take
    QString where;    // the records along the path by kind and name, "group \"Smithing\" ›
                      // process \"Iron Ingot\"" (a topic by its id); empty for the top list
    QByteArray names; // their names in export's JSON form, as a JSON list
    QString summary;  // the rest of its one-line report, after the path
    // The three versions in export's JSON form: a field's value, a whole record (null where
    // the record is missing), or for an order the list of names in that order.
    QByteArray base, ours, theirs;
};

template <typename T> struct Merged
{
    T value;
    QList<MergeConflict> conflicts;
};

// All three must be of the same kind.
Merged<SmeltFile> mergeSmeltFiles(const SmeltFile &base, const SmeltFile &ours,
                                  const SmeltFile &theirs);

// The path of the first list holding more records than the file can count ("$.groups[2].procs"),
// with its size in `size`; an empty string when every list fits. Each version fits, but both
// sides' additions together may not.
QString overfullList(const SmeltFile &file, qsizetype &size);

// The conflict's line: "$.groups[1].procs[0].maxQL (group "Smithing" › process "Iron Ingot"):
// base 200, ours 120, theirs 150".
QString conflictLine(const MergeConflict &conflict);

// The conflicts as written beside the merged file:
// {"conflicts": [{"path": ..., "names": [...], "base": ..., "ours": ..., "theirs": ...}, ...]}
QByteArray conflictsJson(const QList<MergeConflict> &conflicts);
