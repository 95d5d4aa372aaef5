#pragma once

#include "data/editing.h"
#include "data/smeltfile.h"

#include <QList>
#include <QString>
#include <QStringList>

class QDebug;

// One thing that is legal in a file but most likely a mistake, where it is and what it is.
struct CheckProblem
{
    QString path;      // JSON path, as export writes it, of the record or of its field
    RecordPath record; // in a data file: the record's positions, -1 below its level
    int topic = -1;    // in a help file: the topic's position
    QString what;      // "minimum QL 200 is above maximum QL 100"
};
bool operator==(const CheckProblem &a, const CheckProblem &b);
inline bool operator!=(const CheckProblem &a, const CheckProblem &b)
{
    return !(a == b);
}
QDebug operator<<(QDebug dbg, const CheckProblem &problem);

// The problem as one line, its path first: "$.groups[0].procs[2]: minimum QL 200 is above
// maximum QL 100".
QString problemLine(const CheckProblem &problem);

// What the checks find, in file order. In a data file: a minimum QL above the maximum, empty
// names, names that repeat among siblings, types other than 0 and 1, skills with an id,
// items/tools with id 0, multipliers that count as fixed only because they are not numbers,
// and an item/tool name used with more than one id or an id under more than one name (told
// at each requirement that differs from what most of them hold). In a help file: ids that
// repeat, sub-topics before any top-level topic, and tags left open in bodies.
[[nodiscard]] QList<CheckProblem> checkData(const CraftingData &groups);
[[nodiscard]] QList<CheckProblem> checkTopics(const HelpTopics &topics);
[[nodiscard]] QList<CheckProblem> checkFile(const SmeltFile &file);

// The tag problems of one help body: tags opened and never closed, closing tags that
// close nothing, and tags closed across another one. Positions are line:column in the body.
[[nodiscard]] QStringList bodyTagProblems(const QString &body);
