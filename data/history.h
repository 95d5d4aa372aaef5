#pragma once

// The undo history of both windows. Before each change a window hands over the tree as it
// was; that copy costs a pointer, because QList shares its data until one side writes to
// it. The change that follows writes through the path it touches only (the group list, one
// group, its process list, ...), so each kept tree owns those few lists of its own and
// shares everything else with the trees before and after it.

#include "data/editing.h"
#include "data/helpfile.h"
#include "data/records.h"

#include <QList>
#include <optional>

// What the lists a snapshot holds alone take at most: the top-level list and the lists along
// the touched path, which are the ones the change after it copied. The rest is shared.
qsizetype snapshotCost(const CraftingData &tree, const RecordPath &touched);
qsizetype snapshotCost(const HelpTopics &topics, int touched);

// How much memory the kept snapshots may hold of their own before the oldest steps are
// dropped. Each step of a 1,000-group tree takes about 50 KB, so this keeps the whole
// session; a tree of 65,535 groups takes 3 MB a step and keeps its last 80 or so.
constexpr qsizetype DefaultHistoryBudget = qsizetype(256) << 20;

// The undo and redo stacks of one window: `Tree` is the whole edited value, `Place` where a
// change happened, so the window can show that place again.
template <typename Tree, typename Place> class EditHistory
{
public:
    struct Step
    {
        Tree tree;
        Place touched;
    };

    explicit EditHistory(qsizetype budget = DefaultHistoryBudget) : m_budget(budget) {}

    // A change at `touched` has turned `before` into the current tree. Whatever was undone
    // before it can no longer be redone.
    void record(const Tree &before, const Place &touched)
    {
        for (const Entry &entry : std::as_const(m_redo))
            m_cost -= entry.cost;
        m_redo.clear();
        push(m_undo, {before, touched});
        // The newest step always stays, however large; older ones go first.
        while (m_undo.size() > 1 && m_cost > m_budget)
            m_cost -= m_undo.takeFirst().cost;
    }

    // The tree to show instead of `current`, and the place of the change being undone; the
    // current tree is kept for redo. Nothing when there is no step back.
    std::optional<Step> undo(const Tree &current) { return move(m_undo, m_redo, current); }
    std::optional<Step> redo(const Tree &current) { return move(m_redo, m_undo, current); }

    qsizetype undoCount() const { return m_undo.size(); }
    qsizetype redoCount() const { return m_redo.size(); }

    // Bytes the kept snapshots hold alone, as snapshotCost() estimates them.
    qsizetype cost() const { return m_cost; }

private:
    struct Entry
    {
        Step step;
        qsizetype cost;
    };

    void push(QList<Entry> &stack, const Step &step)
    {
        const qsizetype cost = snapshotCost(step.tree, step.touched);
        stack.append({step, cost});
        m_cost += cost;
    }

    std::optional<Step> move(QList<Entry> &from, QList<Entry> &to, const Tree &current)
    {
        if (from.isEmpty())
            return std::nullopt;
        const Entry taken = from.takeLast();
        m_cost -= taken.cost;
        push(to, {current, taken.step.touched});
        return taken.step;
    }

    qsizetype m_budget;
    qsizetype m_cost = 0;
    QList<Entry> m_undo;
    QList<Entry> m_redo;
};

using CraftingHistory = EditHistory<CraftingData, RecordPath>;
using TopicHistory = EditHistory<HelpTopics, int>;
