// Sorting of the process groups, and of the processes of one group, by name.

#include "adminwindow.h"

#include "trace.h"

#include <QComboBox>
#include <set>

namespace {

// Puts `list` in ascending order of names, stable, with QString::compare (UTF-16 code
// units, so capitals come first). The trace tells for every record, in list order, where
// it was inserted into the growing sorted list: before the first record whose name is
// strictly greater, or at the end. That working list is a search tree of positions, so
// each insertion point is found by a binary search instead of a walk, and the records
// themselves are moved only once, into their final places.
template <typename Record> void sortByName(QList<Record> &list)
{
    const Tracer trace;
    auto nameBefore = [&list](qsizetype a, qsizetype b) {
        return list.at(a).name.compare(list.at(b).name) < 0;
    };
    std::multiset<qsizetype, decltype(nameBefore)> working(nameBefore);

    for (qsizetype i = 0; i < list.size(); ++i) {
        // The first record with a greater name; records with equal names stay before it,
        // so the new one goes behind them and the sort is stable.
        const auto next = working.upper_bound(i);
        if (trace.on()) {
            const QString &name = list.at(i).name;
            if (next == working.end())
                trace.line(name, " appended.");
            else
                trace.line(name, " comes before ", list.at(*next).name, " (r = ", 1, ")");
        }
        working.emplace_hint(next, i);
    }

    traceLine("List sorted, saving...");
    QList<Record> sorted;
    sorted.reserve(list.size());
    for (const qsizetype i : working)
        sorted.append(std::move(list[i]));
    list = std::move(sorted);
}

} // namespace

void SmeltworkAdminDialogBase::sortProcGrpList()
{
    traceLine("Sorting ProcGroupList:");
    sortByName(groups);
    fillGroupList();
    traceLine("Sorting Complete!");
}

void SmeltworkAdminDialogBase::sortProcList()
{
    const int g = currentGroup();
    if (g < 0)
        return; // no group, nothing to sort
    if (traceEnabled())
        traceLine("Sorting ProcessList (%s):", traceText(groups.at(g).name).constData());
    sortByName(groups[g].procs);
    fillProcessList();
    traceLine("Sorting Complete!");
}
