#include "tool/merge.h"

#include "data/jsonio.h"
#include "tool/tooltext.h"

#include <QHash>

namespace {

// A position in the merged tree, kept on the stack as the merge descends and turned into
// text only when a conflict names it: the paths of a million records that merge cleanly are
// never built.
struct Path
{
    // How a record at a path is named: its label ("group \"Smelting\"") and its name in
    // export's JSON form.
    using Naming = void (*)(const void *record, QString &label, QByteArray &name);

    Path() = default;
    Path(const Path *parent, const char *key, qsizetype index = -1)
        : parent(parent), key(key), index(index)
    {}
    Path(const Path *parent, qsizetype index, const void *record, Naming naming)
        : parent(parent), index(index), record(record), naming(naming)
    {}

    QString text() const
    {
        QString out = parent ? parent->text() : QStringLiteral("$");
        if (key)
            out += QLatin1Char('.') + QLatin1String(key);
        if (index >= 0)
            out += QLatin1Char('[') + QString::number(index) + QLatin1Char(']');
        return out;
    }

    // The records along the path, from the top: their labels joined by " › ", and their
    // names as a JSON list.
    void names(QStringList &labels, QByteArray &json) const
    {
        if (parent)
            parent->names(labels, json);
        if (!naming)
            return;
        QString label;
        QByteArray name;
        naming(record, label, name);
        labels.append(label);
        json += (json.isEmpty() ? "" : ", ") + name;
    }

    const Path *parent = nullptr;
    const char *key = nullptr;
    qsizetype index = -1;
    const void *record = nullptr; // the record at this position, in one of the versions
    Naming naming = nullptr;
};

// What makes two records of one list the same record. A null name is not the empty name,
// and an item/tool is not a skill of the same name.
struct Key
{
    QString name;
    int kind = 0;
    int occurrence = 0; // how many records of the same name and kind come before it
};

bool operator==(const Key &a, const Key &b)
{
    return a.kind == b.kind && a.occurrence == b.occurrence && a.name == b.name;
}

size_t qHash(const Key &key, size_t seed = 0)
{
    return qHashMulti(seed, key.name, key.kind, key.occurrence);
}

int nullKind(const QString &name)
{
    return name.isNull() ? 1 : 0;
}

template <typename Record> const QString &nameOf(const Record &r)
{
    return r.name;
}
const QString &nameOf(const HelpTopic &t)
{
    return t.id;
}

template <typename Record> Key keyOf(const Record &r)
{
    return {nameOf(r), nullKind(nameOf(r)), 0};
}
Key keyOf(const Req &r)
{
    return {r.name, nullKind(r.name) | (r.type == 0 ? 0 : 2), 0};
}

bool same(const QString &a, const QString &b)
{
    return sameText(a, b);
}
template <typename Number> bool same(Number a, Number b)
{
    return a == b;
}

QByteArray json(const QString &text)
{
    return jsonString(text);
}
template <typename Number> QByteArray json(Number number)
{
    return QByteArray::number(number);
}
QByteArray json(qint8 type) // the export writes types unsigned
{
    return QByteArray::number(quint8(type));
}

// A rename keeps everything but the name.
bool sameButName(const ProcGroup &a, const ProcGroup &b)
{
    return a.procs == b.procs;
}
bool sameButName(const Proc &a, const Proc &b)
{
    return a.maxQL == b.maxQL && a.minQL == b.minQL && a.reqs == b.reqs;
}
bool sameButName(const Req &a, const Req &b)
{
    return same(a.multiplier, b.multiplier) && a.type == b.type && a.id == b.id;
}
bool sameButName(const HelpTopic &a, const HelpTopic &b)
{
    return same(a.header, b.header) && same(a.body, b.body);
}

// Hashes of what sameButName() compares, so that renames pair up without comparing every
// deleted record with every added one.
size_t contentHash(const Req &r)
{
    return qHashMulti(0, r.multiplier, r.type, r.id);
}
size_t contentHash(const Proc &p)
{
    size_t hash = qHashMulti(0, p.maxQL, p.minQL);
    for (const Req &r : p.reqs)
        hash = qHashMulti(hash, r.name, contentHash(r));
    return hash;
}
size_t contentHash(const ProcGroup &g)
{
    size_t hash = 0;
    for (const Proc &p : g.procs)
        hash = qHashMulti(hash, p.name, contentHash(p));
    return hash;
}
size_t contentHash(const HelpTopic &t)
{
    return qHashMulti(0, t.header, t.body);
}

QString label(const ProcGroup &g)
{
    return SmeltworkTool::tr("group %1").arg(QString::fromUtf8(jsonString(g.name)));
}
QString label(const Proc &p)
{
    return SmeltworkTool::tr("process %1").arg(QString::fromUtf8(jsonString(p.name)));
}
QString label(const Req &r)
{
    const QString name = QString::fromUtf8(jsonString(r.name));
    return r.type == 0 ? SmeltworkTool::tr("item/tool %1").arg(name)
                       : SmeltworkTool::tr("skill %1").arg(name);
}
QString label(const HelpTopic &t)
{
    return SmeltworkTool::tr("topic %1").arg(QString::fromUtf8(jsonString(t.id)));
}

template <typename Record> QByteArray namesJson(const QList<Record> &list)
{
    QByteArray out = "[";
    for (qsizetype i = 0; i < list.size(); ++i)
        out += (i ? ", " : "") + jsonString(nameOf(list.at(i)));
    return out + ']';
}

// One record of a list as the three versions hold it: its position in each, or -1.
struct Entry
{
    int base = -1, ours = -1, theirs = -1;
};

enum class Fate : quint8 {
    Gone,           // in none of the sides, or deleted on one and unchanged on the other
    Merged,         // on all three
    Ours,           // only ours has it, or both added it alike
    Theirs,         // only theirs has it
    ChangedDeleted, // ours changed what theirs deleted: kept as ours
    DeletedChanged, // ours deleted what theirs changed: left out
    AddedTwice,     // both added it, differently: kept as ours
};

class Merger
{
public:
    QList<MergeConflict> conflicts;

    template <typename Record>
    QList<Record> list(const QList<Record> &base, const QList<Record> &ours,
                       const QList<Record> &theirs, const Path &path)
    {
        if (ours == theirs || theirs == base)
            return ours;
        if (ours == base)
            return theirs;
        return mergeList(base, ours, theirs, path);
    }

private:
    void conflict(const Path &path, const QString &summary, const QByteArray &base,
                  const QByteArray &ours, const QByteArray &theirs)
    {
        QStringList labels;
        QByteArray names;
        path.names(labels, names);
        conflicts.append(MergeConflict{path.text(), labels.join(QStringLiteral(" \u203A ")),
                                       '[' + names + ']', summary, base, ours, theirs});
    }

    // The path of the record that the merged list holds at `index`, named as `named` is.
    template <typename Record>
    static Path recordPath(const Path &list, qsizetype index, const Record &named)
    {
        return Path(&list, index, &named, [](const void *record, QString &label, QByteArray &name) {
            label = ::label(*static_cast<const Record *>(record));
            name = jsonString(nameOf(*static_cast<const Record *>(record)));
        });
    }

    template <typename Value>
    Value field(const Value &base, const Value &ours, const Value &theirs, const Path &record,
                const char *key)
    {
        if (same(ours, theirs) || same(theirs, base))
            return ours;
        if (same(ours, base))
            return theirs;
        const QByteArray b = json(base), o = json(ours), t = json(theirs);
        conflict(Path(&record, key),
                 SmeltworkTool::tr("base %1, ours %2, theirs %3")
                     .arg(QString::fromUtf8(b), QString::fromUtf8(o), QString::fromUtf8(t)),
                 b, o, t);
        return ours;
    }

    template <typename Record>
    Record record(const Record &base, const Record &ours, const Record &theirs, const Path &path)
    {
        if (ours == theirs || theirs == base)
            return ours;
        if (ours == base)
            return theirs;
        return fields(base, ours, theirs, path);
    }

    ProcGroup fields(const ProcGroup &b, const ProcGroup &o, const ProcGroup &t, const Path &at)
    {
        return {field(b.name, o.name, t.name, at, "name"),
                list(b.procs, o.procs, t.procs, Path(&at, "procs"))};
    }
    Proc fields(const Proc &b, const Proc &o, const Proc &t, const Path &at)
    {
        return {field(b.name, o.name, t.name, at, "name"),
                field(b.maxQL, o.maxQL, t.maxQL, at, "maxQL"),
                field(b.minQL, o.minQL, t.minQL, at, "minQL"),
                list(b.reqs, o.reqs, t.reqs, Path(&at, "reqs"))};
    }
    Req fields(const Req &b, const Req &o, const Req &t, const Path &at)
    {
        return {field(b.name, o.name, t.name, at, "name"),
                field(b.multiplier, o.multiplier, t.multiplier, at, "multiplier"),
                field(b.type, o.type, t.type, at, "type"), field(b.id, o.id, t.id, at, "id")};
    }
    HelpTopic fields(const HelpTopic &b, const HelpTopic &o, const HelpTopic &t, const Path &at)
    {
        return {field(b.id, o.id, t.id, at, "id"),
                field(b.header, o.header, t.header, at, "header"),
                field(b.body, o.body, t.body, at, "body")};
    }

    // Gives each record of `list` its entry, a new one for a name the lists before had not.
    template <typename Record>
    static void match(const QList<Record> &list, int Entry::*side, QHash<Key, int> &index,
                      QList<Entry> &entries, QList<int> &entryAt)
    {
        QHash<Key, int> seen; // name and kind -> how often so far
        entryAt.resize(list.size());
        for (qsizetype i = 0; i < list.size(); ++i) {
            Key key = keyOf(list.at(i));
            int &count = seen[key];
            key.occurrence = count++;
            int &slot = index[key]; // entry + 1, so that a new slot reads 0
            if (!slot) {
                entries.append(Entry());
                slot = int(entries.size());
            }
            entries[slot - 1].*side = int(i);
            entryAt[i] = slot - 1;
        }
    }

    // A base record that one side no longer has, and a record of a new name that the same
    // side added with equal content otherwise, are one record renamed: the added one moves
    // into the base record's entry. The n-th such added record pairs with the n-th such
    // base record.
    template <typename Record>
    static void pairRenames(const QList<Record> &base, const QList<int> &baseEntries,
                            const QList<Record> &side, int Entry::*which, QList<Entry> &entries,
                            QList<int> &sideEntries)
    {
        QHash<size_t, QList<int>> missing; // content hash -> entries, in base order
        for (qsizetype i = 0; i < base.size(); ++i) {
            const int e = baseEntries.at(i);
            if (entries.at(e).*which < 0)
                missing[contentHash(base.at(i))].append(e);
        }
        if (missing.isEmpty())
            return;
        for (qsizetype i = 0; i < side.size(); ++i) {
            const int added = sideEntries.at(i);
            if (entries.at(added).base >= 0)
                continue;
            const auto bucket = missing.find(contentHash(side.at(i)));
            if (bucket == missing.end())
                continue;
            for (qsizetype k = 0; k < bucket->size(); ++k) {
                const int gone = bucket->at(k);
                if (sameButName(base.at(entries.at(gone).base), side.at(i))) {
                    entries[gone].*which = int(i);
                    entries[added].*which = -1;
                    sideEntries[i] = gone;
                    bucket->removeAt(k);
                    break;
                }
            }
        }
    }

    // The three versions of one list.
    template <typename Record> struct Sides
    {
        const QList<Record> &base, &ours, &theirs;
    };

    // Each record of the three lists with its entry: one for each record, holding where it
    // stands on each side.
    struct Matching
    {
        QList<Entry> entries;
        QList<int> inBase, inOurs, inTheirs; // the entry of each position
    };

    template <typename Record> static Matching matchRecords(const Sides<Record> &sides)
    {
        Matching m;
        {
            QHash<Key, int> index;
            index.reserve(qMax(sides.base.size(), sides.ours.size()));
            match(sides.base, &Entry::base, index, m.entries, m.inBase);
            match(sides.ours, &Entry::ours, index, m.entries, m.inOurs);
            match(sides.theirs, &Entry::theirs, index, m.entries, m.inTheirs);
        }
        pairRenames(sides.base, m.inBase, sides.ours, &Entry::ours, m.entries, m.inOurs);
        pairRenames(sides.base, m.inBase, sides.theirs, &Entry::theirs, m.entries, m.inTheirs);
        return m;
    }

    // What becomes of each entry, from the sides that hold it and whether they changed it.
    template <typename Record>
    static QList<Fate> decideFates(const Sides<Record> &sides, const Matching &m)
    {
        const auto &[base, ours, theirs] = sides;
        QList<Fate> fates(m.entries.size(), Fate::Gone);
        for (qsizetype e = 0; e < m.entries.size(); ++e) {
            const Entry &x = m.entries.at(e);
            Fate &fate = fates[e];
            if (x.base >= 0 && x.ours >= 0 && x.theirs >= 0)
                fate = Fate::Merged;
            else if (x.base >= 0 && x.ours >= 0)
                fate = ours.at(x.ours) == base.at(x.base) ? Fate::Gone : Fate::ChangedDeleted;
            else if (x.base >= 0 && x.theirs >= 0)
                fate = theirs.at(x.theirs) == base.at(x.base) ? Fate::Gone : Fate::DeletedChanged;
            else if (x.base < 0 && x.ours >= 0 && x.theirs >= 0)
                fate = ours.at(x.ours) == theirs.at(x.theirs) ? Fate::Ours : Fate::AddedTwice;
            else if (x.ours >= 0)
                fate = Fate::Ours;
            else if (x.theirs >= 0)
                fate = Fate::Theirs;
        }
        return fates;
    }

    // Whether the merged list takes theirs' order: only when theirs alone reordered it. The
    // order of the records all three hold tells; additions and deletions do not count. Both
    // sides reordering differently is a conflict, and ours' order stays.
    template <typename Record>
    bool theirsOrderLeads(const Sides<Record> &sides, const Matching &m, const QList<Fate> &fates,
                          const Path &path)
    {
        const auto kept = [&fates](const QList<int> &order) {
            QList<int> common;
            for (const int e : order) {
                if (fates.at(e) == Fate::Merged)
                    common.append(e);
            }
            return common;
        };
        const QList<int> baseOrder = kept(m.inBase), oursOrder = kept(m.inOurs),
                         theirsOrder = kept(m.inTheirs);
        const bool oursMoved = oursOrder != baseOrder, theirsMoved = theirsOrder != baseOrder;
        if (oursMoved && theirsMoved && oursOrder != theirsOrder) {
            const QByteArray b = namesJson(sides.base), o = namesJson(sides.ours),
                             t = namesJson(sides.theirs);
            conflict(path, SmeltworkTool::tr("both sides changed the order differently; ours kept"),
                     b, o, t);
        }
        return theirsMoved && !oursMoved;
    }

    // Appends what the entry `e` leaves in the merged list, and reports its conflict.
    template <typename Record>
    void take(const Sides<Record> &sides, const Entry &x, Fate fate, const Path &path,
              QList<Record> &merged)
    {
        const auto &[base, ours, theirs] = sides;
        // A record is named as the merged file names it, or as the side that holds it.
        const auto at = [&](const Record &named) { return recordPath(path, merged.size(), named); };
        switch (fate) {
        case Fate::Gone:
            break;
        case Fate::Merged: {
            const Record &b = base.at(x.base), &o = ours.at(x.ours), &t = theirs.at(x.theirs);
            const bool theirName = !same(nameOf(o), nameOf(t)) && same(nameOf(o), nameOf(b));
            merged.append(record(b, o, t, at(theirName ? t : o)));
            break;
        }
        case Fate::Ours:
            merged.append(ours.at(x.ours));
            break;
        case Fate::Theirs:
            merged.append(theirs.at(x.theirs));
            break;
        case Fate::ChangedDeleted:
        case Fate::DeletedChanged:
        case Fate::AddedTwice: {
            static const char *const summaries[] = {
                // in Fate's order
                QT_TRANSLATE_NOOP("SmeltworkTool",
                                  "%1 changed by ours, deleted by theirs; ours kept"),
                QT_TRANSLATE_NOOP("SmeltworkTool",
                                  "%1 deleted by ours, changed by theirs; left out as in ours"),
                QT_TRANSLATE_NOOP("SmeltworkTool",
                                  "%1 added by both sides, differently; ours kept")};
            // A record ours deleted stays out; the version a side lacks is null.
            const bool keptOurs = fate != Fate::DeletedChanged;
            const Record &kept = keptOurs ? ours.at(x.ours) : theirs.at(x.theirs);
            const auto version = [](const QList<Record> &side, int at) {
                return at >= 0 ? jsonRecord(side.at(at)) : QByteArray("null");
            };
            conflict(at(kept),
                     SmeltworkTool::tr(summaries[int(fate) - int(Fate::ChangedDeleted)])
                         .arg(label(kept)),
                     version(base, x.base), version(ours, x.ours), version(theirs, x.theirs));
            if (keptOurs)
                merged.append(kept);
            break;
        }
        }
    }

    // The merged list in the leading side's order, the records only the other side holds
    // following the record they follow there.
    template <typename Record>
    QList<Record> weave(const Sides<Record> &sides, const Matching &m, const QList<Fate> &fates,
                        bool theirsLead, const Path &path)
    {
        const QList<int> &lead = theirsLead ? m.inTheirs : m.inOurs;
        const QList<int> &follow = theirsLead ? m.inOurs : m.inTheirs;
        int Entry::*leadSide = theirsLead ? &Entry::theirs : &Entry::ours;
        int Entry::*followSide = theirsLead ? &Entry::ours : &Entry::theirs;

        QList<Record> merged;
        merged.reserve(qMax(sides.ours.size(), sides.theirs.size()));
        const auto takeRun = [&](qsizetype from) {
            for (qsizetype i = from; i < follow.size() && m.entries.at(follow.at(i)).*leadSide < 0;
                 ++i)
                take(sides, m.entries.at(follow.at(i)), fates.at(follow.at(i)), path, merged);
        };
        takeRun(0);
        for (const int e : lead) {
            take(sides, m.entries.at(e), fates.at(e), path, merged);
            if (const int there = m.entries.at(e).*followSide; there >= 0)
                takeRun(there + 1);
        }
        return merged;
    }

    template <typename Record>
    QList<Record> mergeList(const QList<Record> &base, const QList<Record> &ours,
                            const QList<Record> &theirs, const Path &path)
    {
        const Sides<Record> sides{base, ours, theirs};
        const Matching matching = matchRecords(sides);
        const QList<Fate> fates = decideFates(sides, matching);
        const bool theirsLead = theirsOrderLeads(sides, matching, fates, path);
        return weave(sides, matching, fates, theirsLead, path);
    }
};

} // namespace

namespace {

const char *listKey(const CraftingData &)
{
    return "groups";
}
const char *listKey(const HelpTopics &)
{
    return "topics";
}

} // namespace

Merged<SmeltFile> mergeSmeltFiles(const SmeltFile &base, const SmeltFile &ours,
                                  const SmeltFile &theirs)
{
    Merger merger;
    const Path root;
    SmeltFile merged = std::visit(
        [&](const auto &o) -> SmeltFile {
            using List = std::decay_t<decltype(o)>;
            return merger.list(std::get<List>(base), o, std::get<List>(theirs),
                               Path(&root, listKey(o)));
        },
        ours);
    return {std::move(merged), std::move(merger.conflicts)};
}

QString overfullList(const SmeltFile &file, qsizetype &size)
{
    const auto over = [&size](qsizetype count, qsizetype most) {
        size = count;
        return count > most;
    };
    if (const auto *topics = std::get_if<HelpTopics>(&file))
        return over(topics->size(), MaxHelpTopics) ? QStringLiteral("$.topics") : QString();
    const CraftingData &groups = std::get<CraftingData>(file);
    if (over(groups.size(), MaxListSize))
        return QStringLiteral("$.groups");
    for (qsizetype i = 0; i < groups.size(); ++i) {
        const QList<Proc> &procs = groups.at(i).procs;
        if (over(procs.size(), MaxListSize))
            return QStringLiteral("$.groups[%1].procs").arg(i);
        for (qsizetype j = 0; j < procs.size(); ++j) {
            if (over(procs.at(j).reqs.size(), MaxListSize))
                return QStringLiteral("$.groups[%1].procs[%2].reqs").arg(i).arg(j);
        }
    }
    size = 0;
    return QString();
}

QByteArray conflictsJson(const QList<MergeConflict> &conflicts)
{
    JsonWriter json;
    json.open('{');
    json.open('[', "conflicts");
    for (const MergeConflict &c : conflicts) {
        json.open('{');
        json.value("path", jsonString(c.path));
        json.value("names", c.names);
        json.value("base", c.base);
        json.value("ours", c.ours);
        json.value("theirs", c.theirs);
        json.close();
    }
    return json.finish();
}

QString conflictLine(const MergeConflict &conflict)
{
    const QString where = conflict.where.isEmpty() ? QString() : " (" + conflict.where + u')';
    return conflict.path + where + QStringLiteral(": ") + conflict.summary;
}
