#include "data/editing.h"

#include "data/trace.h"

#include <QSet>
#include <QStringMatcher>
#include <algorithm>
#include <set>
#include <type_traits>

quint8 qlOfText(const QString &text)
{
    constexpr int HighestStoredQl = 255;
    return quint8(std::clamp(text.toInt(nullptr, 10), 0, HighestStoredQl));
}

QString idText(qint32 id)
{
    return QStringLiteral("%1").arg(quint32(id));
}

qint32 idOfText(const QString &text)
{
    bool ok = false;
    const qint32 id = text.toInt(&ok, 10);
    if (ok)
        return id;
    // What idText() shows for a negative id reads back as that id.
    const quint32 bits = text.toUInt(&ok, 10);
    return ok ? qint32(bits) : 0;
}

bool reqNameBefore(const QString &a, const QString &b)
{
    return a.localeAwareCompare(b) < 0;
}

namespace {

// A line edit never hands back a null text, so an empty one keeps a null text null.
QString keptText(const QString &typed, const QString &old)
{
    return typed.isEmpty() && old.isEmpty() ? old : typed;
}

void readQls(const ProcFields &fields, Proc &proc)
{
    if (fields.special) {
        proc.minQL = qlOfText(fields.minQl);
        proc.maxQL = proc.minQL;
    } else {
        proc.maxQL = qlOfText(fields.maxQl);
        proc.minQL = qlOfText(fields.minQl);
    }
}

QString multiplierOf(const ReqFields &fields, const QString &old)
{
    return fields.fixed ? QStringLiteral("0") : keptText(fields.multiplier, old);
}

} // namespace

ProcGroup newGroup(const QString &name)
{
    ProcGroup group{QStringLiteral(""), {}};
    editGroup(group, name);
    return group;
}

Proc newProc(const ProcFields &fields)
{
    Proc proc{QStringLiteral(""), 0, 0, {}};
    editProc(proc, fields);
    return proc;
}

Req newReq(const ReqFields &fields, bool skill)
{
    Req req{QStringLiteral(""), QStringLiteral(""), qint8(skill ? 1 : 0), 0};
    editReq(req, fields);
    return req;
}

void editGroup(ProcGroup &group, const QString &name)
{
    group.name = keptText(name, group.name);
}

void editProc(Proc &proc, const ProcFields &fields)
{
    proc.name = keptText(fields.name, proc.name);
    readQls(fields, proc);
}

void editReq(Req &req, const ReqFields &fields)
{
    req.name = keptText(fields.name, req.name);
    req.multiplier = multiplierOf(fields, req.multiplier);
    if (req.type == 0)
        req.id = idOfText(fields.id);
}

HelpTopic newTopic(const TopicFields &fields)
{
    HelpTopic topic{QStringLiteral(""), QStringLiteral(""), QString()};
    editTopic(topic, fields);
    return topic;
}

void editTopic(HelpTopic &topic, const TopicFields &fields)
{
    topic.id = keptText(fields.id, topic.id);
    topic.header = keptText(fields.header, topic.header);
}

namespace {

bool isLineEnd(QChar c)
{
    return c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator || c == QChar(0xFDD0) ||
           c == QChar(0xFDD1);
}

// The body as shown, with where each of its characters (and its end) stands in `body`.
QString shownWithPositions(const QString &body, QList<qsizetype> *positions)
{
    QString shown;
    shown.reserve(body.size());
    for (qsizetype i = 0; i < body.size(); ++i) {
        if (positions)
            positions->append(i);
        const QChar c = body.at(i);
        if (!isLineEnd(c)) {
            shown.append(c);
            continue;
        }
        shown.append(u'\n');
        if (c == u'\r' && i + 1 < body.size() && body.at(i + 1) == u'\n')
            ++i;
    }
    if (positions)
        positions->append(body.size());
    return shown;
}

// The line end a body uses first; LF for a body of one line.
QString lineEndOf(const QString &body)
{
    for (qsizetype i = 0; i < body.size(); ++i) {
        if (body.at(i) == u'\r')
            return i + 1 < body.size() && body.at(i + 1) == u'\n' ? QStringLiteral("\r\n")
                                                                  : QStringLiteral("\r");
        if (isLineEnd(body.at(i)))
            return QString(body.at(i));
    }
    return QStringLiteral("\n");
}

} // namespace

QString bodyAsShown(const QString &body)
{
    return shownWithPositions(body, nullptr);
}

QString editedBody(const QString &body, const QString &edited)
{
    QList<qsizetype> at;
    const QString shown = shownWithPositions(body, &at);
    if (edited == shown)
        return body;
    qsizetype prefix = 0;
    const qsizetype shorter = std::min(shown.size(), edited.size());
    while (prefix < shorter && shown.at(prefix) == edited.at(prefix))
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < shorter - prefix &&
           shown.at(shown.size() - 1 - suffix) == edited.at(edited.size() - 1 - suffix))
        ++suffix;
    QString typed = edited.mid(prefix, edited.size() - prefix - suffix);
    if (const QString lineEnd = lineEndOf(body); lineEnd != QLatin1String("\n"))
        typed.replace(u'\n', lineEnd);
    return body.left(at.at(prefix)) + typed + body.mid(at.at(shown.size() - suffix));
}

bool operator==(const RecordPath &a, const RecordPath &b)
{
    return a.group == b.group && a.proc == b.proc && a.req == b.req;
}

ProcGroup *groupAt(CraftingData &data, int g)
{
    return g >= 0 && g < data.size() ? &data[g] : nullptr;
}

Proc *procAt(CraftingData &data, int g, int p)
{
    ProcGroup *group = groupAt(data, g);
    return group && p >= 0 && p < group->procs.size() ? &group->procs[p] : nullptr;
}

Req *reqAt(CraftingData &data, int g, int p, int k)
{
    Proc *proc = procAt(data, g, p);
    return proc && k >= 0 && k < proc->reqs.size() ? &proc->reqs[k] : nullptr;
}

namespace {

// Each makes the texts of a requirement, or of a list of them, the pool's strings; true when one
// of them was another string. A list is written to only where a record changed: a write
// detaches it from the lists the undo history shares.
bool share(QString &text, TextPool &texts)
{
    QString pooled = texts.shared(text);
    if (pooled.constData() == text.constData())
        return false;
    text = std::move(pooled);
    return true;
}

bool share(Req &req, TextPool &texts)
{
    const bool name = share(req.name, texts);
    return share(req.multiplier, texts) || name;
}

template <typename Record> bool share(QList<Record> &list, TextPool &texts)
{
    bool changed = false;
    for (qsizetype i = 0; i < list.size(); ++i) {
        Record record = list.at(i);
        if (share(record, texts))
            list[i] = std::move(record), changed = true;
    }
    return changed;
}

} // namespace

void shareNewTexts(CraftingData &data, const CraftingData &before, TextPool &texts)
{
    if (data.isSharedWith(before))
        return;
    // A list the change did not write is still the one `before` holds: in its place, or moved
    // by a sort, which moves records and not their lists. Its texts are the pool's already.
    QSet<const Proc *> movedProcs;
    const auto keptProcs = [&](qsizetype g, const QList<Proc> &procs) {
        if (g < before.size() && procs.isSharedWith(before.at(g).procs))
            return true;
        if (movedProcs.isEmpty()) {
            for (const ProcGroup &group : before)
                movedProcs.insert(group.procs.constData());
        }
        return movedProcs.contains(procs.constData());
    };
    for (qsizetype g = 0; g < data.size(); ++g) {
        ProcGroup group = std::as_const(data).at(g);
        const bool samePlace =
            g < before.size() && before.at(g).name.constData() == group.name.constData();
        bool changed = !samePlace && share(group.name, texts);
        if (!keptProcs(g, group.procs)) {
            QSet<const Req *> keptReqs;
            for (const Proc &proc : before.value(g).procs)
                keptReqs.insert(proc.reqs.constData());
            for (qsizetype p = 0; p < group.procs.size(); ++p) {
                Proc proc = std::as_const(group.procs).at(p);
                bool procChanged = share(proc.name, texts);
                if (!keptReqs.contains(proc.reqs.constData()))
                    procChanged = share(proc.reqs, texts) || procChanged;
                if (procChanged)
                    group.procs[p] = std::move(proc), changed = true;
            }
        }
        if (changed)
            data[g] = std::move(group);
    }
}

EditResult roomFor(qsizetype size)
{
    return size < MaxListSize ? EditResult::Done : EditResult::ListFull;
}

namespace {

template <typename Record> EditResult appendTo(QList<Record> *list, const Record &record)
{
    if (!list)
        return EditResult::NoRecord;
    const EditResult room = roomFor(list->size());
    if (room == EditResult::Done)
        list->append(record);
    return room;
}

template <typename Record> EditResult removeFrom(QList<Record> *list, int at)
{
    if (!list || at < 0 || at >= list->size())
        return EditResult::NoRecord;
    list->removeAt(at);
    return EditResult::Done;
}

} // namespace

EditResult appendGroup(CraftingData &data, const ProcGroup &group)
{
    return appendTo(&data, group);
}

EditResult appendProc(CraftingData &data, int g, const Proc &proc)
{
    ProcGroup *group = groupAt(data, g);
    return appendTo(group ? &group->procs : nullptr, proc);
}

EditResult appendReq(CraftingData &data, int g, int p, const Req &req)
{
    Proc *proc = procAt(data, g, p);
    return appendTo(proc ? &proc->reqs : nullptr, req);
}

EditResult appendTopic(HelpTopics &topics, const HelpTopic &topic)
{
    return appendTo(&topics, topic);
}

EditResult removeRecord(CraftingData &data, const RecordPath &path)
{
    if (path.proc < 0)
        return removeFrom(&data, path.group);
    if (path.req < 0) {
        ProcGroup *group = groupAt(data, path.group);
        return removeFrom(group ? &group->procs : nullptr, path.proc);
    }
    Proc *proc = procAt(data, path.group, path.proc);
    return removeFrom(proc ? &proc->reqs : nullptr, path.req);
}

namespace {

template <typename Record>
EditResult insertInto(QList<Record> *list, int at, const QList<Record> &records)
{
    if (!list || at < 0 || at > list->size())
        return EditResult::NoRecord;
    if (list->size() + records.size() > MaxListSize)
        return EditResult::ListFull;
    list->insert(at, records.size(), Record());
    std::copy(records.cbegin(), records.cend(), list->begin() + at);
    return EditResult::Done;
}

template <typename Record>
EditResult duplicate(CraftingData &data, const Record *record, const RecordPath &next)
{
    return record ? insertRecords(data, next, QList<Record>{*record}) : EditResult::NoRecord;
}

// Applies `change` to each group, process and requirement for which `changes` says so, in tree
// order, and counts them. Reading goes through a const view, and only the lists on the way
// to a changed record are detached.
template <typename Changes, typename Change>
int changeRecords(CraftingData &data, Changes changes, Change change)
{
    int changed = 0;
    const CraftingData &tree = data;
    for (qsizetype g = 0; g < tree.size(); ++g) {
        if (changes(tree.at(g)))
            change(data[g]), ++changed;
        for (qsizetype p = 0; p < tree.at(g).procs.size(); ++p) {
            if (changes(tree.at(g).procs.at(p)))
                change(data[g].procs[p]), ++changed;
            for (qsizetype k = 0; k < tree.at(g).procs.at(p).reqs.size(); ++k) {
                if (changes(tree.at(g).procs.at(p).reqs.at(k)))
                    change(data[g].procs[p].reqs[k]), ++changed;
            }
        }
    }
    return changed;
}

template <typename Record> constexpr bool isReq = std::is_same_v<std::decay_t<Record>, Req>;

} // namespace

EditResult insertRecords(CraftingData &data, const RecordPath &at, const QList<ProcGroup> &records)
{
    return insertInto(&data, at.group, records);
}

EditResult insertRecords(CraftingData &data, const RecordPath &at, const QList<Proc> &records)
{
    ProcGroup *group = groupAt(data, at.group);
    return insertInto(group ? &group->procs : nullptr, at.proc, records);
}

EditResult insertRecords(CraftingData &data, const RecordPath &at, const QList<Req> &records)
{
    Proc *proc = procAt(data, at.group, at.proc);
    return insertInto(proc ? &proc->reqs : nullptr, at.req, records);
}

EditResult duplicateRecord(CraftingData &data, const RecordPath &path)
{
    if (path.proc < 0)
        return duplicate(data, groupAt(data, path.group), {path.group + 1});
    if (path.req < 0)
        return duplicate(data, procAt(data, path.group, path.proc), {path.group, path.proc + 1});
    return duplicate(data, reqAt(data, path.group, path.proc, path.req),
                     {path.group, path.proc, path.req + 1});
}

int replaceInNames(CraftingData &data, const QString &text, const QString &replacement,
                   bool wholeName)
{
    if (text.isEmpty())
        return 0;
    const QStringMatcher matcher(text, Qt::CaseInsensitive);
    const auto matches = [&](const QString &name) {
        return wholeName ? name.size() == text.size() && !name.compare(text, Qt::CaseInsensitive)
                         : matcher.indexIn(name) >= 0;
    };
    // Names that come out equal share one string, as a loaded tree's do.
    TextPool texts;
    const auto replaced = [&](const QString &name) {
        return wholeName
                   ? replacement
                   : texts.shared(QString(name).replace(text, replacement, Qt::CaseInsensitive));
    };
    // A replacement that gives the same name ("ore" for "Ore" in "Ore") changes nothing.
    return changeRecords(
        data, [&](const auto &r) { return matches(r.name) && !sameText(replaced(r.name), r.name); },
        [&](auto &r) { r.name = replaced(r.name); });
}

int countItemsWithId(const CraftingData &data, const QString &name, qint32 id,
                     const RecordPath &except)
{
    int count = 0;
    for (int g = 0; g < data.size(); ++g) {
        for (int p = 0; p < data.at(g).procs.size(); ++p) {
            const QList<Req> &reqs = data.at(g).procs.at(p).reqs;
            for (int k = 0; k < reqs.size(); ++k) {
                const Req &r = reqs.at(k);
                count +=
                    r.type == 0 && r.id == id && r.name == name && !(except == RecordPath{g, p, k});
            }
        }
    }
    return count;
}

int changeItemIds(CraftingData &data, const QString &name, qint32 oldId, qint32 newId)
{
    if (oldId == newId)
        return 0;
    return changeRecords(
        data,
        [&](const auto &r) {
            if constexpr (isReq<decltype(r)>)
                return r.type == 0 && r.id == oldId && r.name == name;
            return false;
        },
        [&](auto &r) {
            if constexpr (isReq<decltype(r)>)
                r.id = newId;
        });
}

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

void sortGroups(CraftingData &data)
{
    traceLine("Sorting ProcGroupList:");
    sortByName(data);
}

EditResult sortProcs(CraftingData &data, int g)
{
    ProcGroup *group = groupAt(data, g);
    if (!group)
        return EditResult::NoRecord;
    if (traceEnabled())
        traceLine("Sorting ProcessList (%s):", traceText(group->name).constData());
    sortByName(group->procs);
    return EditResult::Done;
}

QList<int> topicParents(const HelpTopics &topics, bool traced)
{
    const bool trace = traced && traceEnabled();
    QList<int> parents;
    parents.reserve(topics.size());
    int parent = -1;
    for (int i = 0; i < topics.size(); ++i) {
        const TopicIdNumber number = splitTopicId(topics.at(i).id);
        if (trace)
            traceLine("IDTest: %.2f - %d = %.2f", number.value, number.whole, number.fraction);
        if (number.fraction > 0 && parent >= 0) {
            parents.append(parent);
            continue;
        }
        // A sub-topic before every whole-number topic has no parent to go under; it stands
        // at the top level, but sub-topics after it do not go under it.
        parents.append(-1);
        if (number.fraction <= 0)
            parent = i;
    }
    return parents;
}
