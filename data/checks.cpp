#include "data/checks.h"

#include "data/dumptext.h"

#include <QCoreApplication>
#include <QDebug>
#include <QHash>
#include <QSet>

namespace {

// Translation context of the problems, which both the tool and the windows show.
class SmeltworkChecks
{
    Q_DECLARE_TR_FUNCTIONS(SmeltworkChecks)
};

QString quoted(const QString &text)
{
    return QString::fromUtf8(dumpQuoted(text));
}

// A record's JSON path, made only for the records a problem names: the paths of a million
// sound records are never built.
QString pathOf(const RecordPath &at)
{
    QString path = QStringLiteral("$.groups[%1]").arg(at.group);
    if (at.proc >= 0)
        path += QStringLiteral(".procs[%1]").arg(at.proc);
    if (at.req >= 0)
        path += QStringLiteral(".reqs[%1]").arg(at.req);
    return path;
}

// Remembers where each name first stands among siblings.
class SiblingNames
{
public:
    // Where the first sibling of the same name stands, or null for the first.
    const RecordPath *add(const QString &name, const RecordPath &at)
    {
        if (name.isEmpty())
            return nullptr; // reported as an empty name already
        const auto first = m_first.constFind(name);
        if (first != m_first.constEnd())
            return &*first;
        m_first.insert(name, at);
        return nullptr;
    }

private:
    QHash<QString, RecordPath> m_first;
};

// Each item/tool name with the ids it is used with, and each id with its names, counted over
// the whole tree: where most places agree, the few that differ were most likely mistyped.
// Empty names and id 0 are reported on their own and are not counted.
class NamesAndIds
{
public:
    explicit NamesAndIds(const CraftingData &groups)
    {
        QHash<QString, int> names;
        QHash<quint64, int> uses;
        for (const ProcGroup &g : groups) {
            for (const Proc &p : g.procs) {
                for (const Req &r : p.reqs) {
                    if (!counted(r))
                        continue;
                    auto name = names.find(r.name);
                    if (name == names.end()) {
                        name = names.insert(r.name, int(m_names.size()));
                        m_names.append({r.name, -1, 0});
                    }
                    const quint64 key = quint64(*name) << 32 | quint32(r.id);
                    auto use = uses.find(key);
                    if (use == uses.end()) {
                        use = uses.insert(key, int(m_uses.size()));
                        m_uses.append({*name, r.id, 0});
                        ++m_names[*name].spread;
                        ++m_ids[r.id].spread;
                    }
                    ++m_uses[*use].count;
                    m_useOf.append(*use);
                }
            }
        }
        // Uses are in the order first met, so the first of equal counts stays on top.
        for (qsizetype u = 0; u < m_uses.size(); ++u) {
            for (int *top : {&m_names[m_uses.at(u).name].top, &m_ids[m_uses.at(u).id].top}) {
                if (*top < 0 || m_uses.at(u).count > m_uses.at(*top).count)
                    *top = int(u);
            }
        }
    }

    static bool counted(const Req &r) { return r.type == 0 && !r.name.isEmpty() && r.id != 0; }

    // The problems of the next counted requirement, in the order the tree was walked.
    void check(const RecordPath &at, QList<CheckProblem> &problems)
    {
        const int u = m_useOf.at(m_next++);
        const Use &use = m_uses.at(u);
        const Spread &name = m_names.at(use.name), &id = m_ids.value(use.id);
        if (name.spread > 1 && name.top != u)
            problems.append({pathOf(at) + QStringLiteral(".id"), at, -1,
                             SmeltworkChecks::tr("item/tool %1 has id %2 here and %3 in %n "
                                                 "other place(s)",
                                                 nullptr, m_uses.at(name.top).count)
                                 .arg(quoted(name.text), QString::number(use.id),
                                      QString::number(m_uses.at(name.top).id))});
        if (id.spread > 1 && id.top != u)
            problems.append({pathOf(at) + QStringLiteral(".name"), at, -1,
                             SmeltworkChecks::tr("id %1 is %2 here and %3 in %n other place(s)",
                                                 nullptr, m_uses.at(id.top).count)
                                 .arg(QString::number(use.id), quoted(name.text),
                                      quoted(m_names.at(m_uses.at(id.top).name).text))});
    }

private:
    struct Use // one name with one id
    {
        int name;
        qint32 id;
        int count;
    };
    struct Spread // of a name over ids, or of an id over names
    {
        QString text; // a name's
        int top = -1; // the use met most often
        int spread = 0;
    };
    QList<Use> m_uses;
    QList<Spread> m_names;
    QHash<qint32, Spread> m_ids;
    QList<int> m_useOf; // the use of each counted requirement, in tree order
    qsizetype m_next = 0;
};

class DataChecks
{
public:
    QList<CheckProblem> problems;

    explicit DataChecks(const CraftingData &groups) : m_ids(groups)
    {
        SiblingNames groupNames;
        for (int i = 0; i < groups.size(); ++i) {
            const ProcGroup &g = groups.at(i);
            name(g.name, {i}, groupNames);
            SiblingNames procNames;
            for (int j = 0; j < g.procs.size(); ++j) {
                const Proc &p = g.procs.at(j);
                name(p.name, {i, j}, procNames);
                if (p.minQL > p.maxQL)
                    add({i, j}, nullptr,
                        SmeltworkChecks::tr("minimum QL %1 is above maximum QL %2")
                            .arg(p.minQL)
                            .arg(p.maxQL));
                SiblingNames reqNames;
                for (int k = 0; k < p.reqs.size(); ++k)
                    req(p.reqs.at(k), {i, j, k}, reqNames);
            }
        }
    }

private:
    void add(const RecordPath &at, const char *field, const QString &what)
    {
        const QString path = pathOf(at);
        problems.append({field ? path + u'.' + QLatin1String(field) : path, at, -1, what});
    }

    void name(const QString &name, const RecordPath &at, SiblingNames &siblings)
    {
        if (name.isEmpty())
            add(at, "name", SmeltworkChecks::tr("empty name"));
        repeated(name, at, siblings);
    }

    void repeated(const QString &name, const RecordPath &at, SiblingNames &siblings)
    {
        if (const RecordPath *first = siblings.add(name, at))
            add(at, "name",
                SmeltworkChecks::tr("name %1 repeats %2")
                    .arg(quoted(name), pathOf(*first) + QStringLiteral(".name")));
    }

    void req(const Req &r, const RecordPath &at, SiblingNames &siblings)
    {
        if (r.name.isEmpty())
            add(at, "name", SmeltworkChecks::tr("empty name"));
        if (r.type != 0 && r.type != 1)
            add(at, "type",
                SmeltworkChecks::tr("type %1 is neither item/tool (0) nor skill (1)")
                    .arg(quint8(r.type)));
        if (r.type == 1 && r.id != 0)
            add(at, "id", SmeltworkChecks::tr("skill with id %1 (skills carry 0)").arg(r.id));
        if (r.type == 0 && r.id == 0)
            add(at, "id", SmeltworkChecks::tr("item/tool with id 0"));
        // A multiplier that is no number reads as 0, which makes the requirement fixed (one
        // too large for a double reads as infinite instead). Read once: isFixed() reads too.
        bool number = false;
        const bool fixed = r.multiplier.toDouble(&number) == 0.0;
        if (fixed && !number && !r.multiplier.trimmed().isEmpty())
            add(at, "multiplier",
                SmeltworkChecks::tr("%1 is not a number, so the requirement counts as fixed")
                    .arg(quoted(r.multiplier)));
        repeated(r.name, at, siblings);
        if (NamesAndIds::counted(r))
            m_ids.check(at, problems);
    }

    NamesAndIds m_ids;
};

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// Elements that have no closing tag in HTML.
bool isVoidElement(const QString &name)
{
    static const QSet<QString> names = {
        QStringLiteral("br"),    QStringLiteral("hr"),    QStringLiteral("img"),
        QStringLiteral("input"), QStringLiteral("meta"),  QStringLiteral("link"),
        QStringLiteral("area"),  QStringLiteral("base"),  QStringLiteral("col"),
        QStringLiteral("embed"), QStringLiteral("param"), QStringLiteral("source"),
        QStringLiteral("track"), QStringLiteral("wbr"),
    };
    return names.contains(name);
}

struct OpenTag
{
    QString name;
    QString where;
};

} // namespace

QStringList bodyTagProblems(const QString &body)
{
    QStringList problems;
    QList<OpenTag> open;
    int line = 1;
    qsizetype lineStart = 0;
    const auto where = [&](qsizetype at) {
        return SmeltworkChecks::tr("line %1, column %2").arg(line).arg(at - lineStart + 1);
    };
    for (qsizetype i = 0; i < body.size(); ++i) {
        if (body.at(i) == u'\n') {
            ++line;
            lineStart = i + 1;
            continue;
        }
        if (body.at(i) != u'<')
            continue;
        const qsizetype start = i;
        qsizetype at = i + 1;
        if (body.mid(at, 3) == QLatin1String("!--")) { // a comment holds no tags
            const qsizetype close = body.indexOf(QLatin1String("-->"), at + 3);
            at = close < 0 ? body.size() : close + 2;
        } else if (at < body.size() && body.at(at) == u'!') { // <!DOCTYPE ...>
            const qsizetype close = body.indexOf(u'>', at);
            at = close < 0 ? body.size() : close;
        } else {
            const bool closing = at < body.size() && body.at(at) == u'/';
            if (closing)
                ++at;
            if (at >= body.size() || !isAsciiLetter(body.at(at)))
                continue; // a "<" in text, as in "QL < 100"
            qsizetype nameEnd = at;
            while (nameEnd < body.size() &&
                   (isAsciiLetter(body.at(nameEnd)) || body.at(nameEnd).isDigit()))
                ++nameEnd;
            const QString name = body.mid(at, nameEnd - at).toLower();
            const qsizetype close = body.indexOf(u'>', nameEnd);
            if (close < 0) {
                problems << SmeltworkChecks::tr("%1: tag <%2%3 has no closing \">\"")
                                .arg(where(start), closing ? QStringLiteral("/") : QString(), name);
                break;
            }
            const bool selfClosing = body.at(close - 1) == u'/';
            if (closing) {
                qsizetype match = open.size() - 1;
                while (match >= 0 && open.at(match).name != name)
                    --match;
                if (match < 0) {
                    problems << SmeltworkChecks::tr("%1: </%2> closes no open <%2>")
                                    .arg(where(start), name);
                } else {
                    for (qsizetype k = open.size() - 1; k > match; --k)
                        problems << SmeltworkChecks::tr("%1: <%2> is not closed before </%3> at %4")
                                        .arg(open.at(k).where, open.at(k).name, name, where(start));
                    open.resize(match);
                }
            } else if (!selfClosing && !isVoidElement(name)) {
                open.append({name, where(start)});
            }
            at = close;
        }
        // Tags and comments may span lines.
        for (qsizetype k = start + 1; k < at && k < body.size(); ++k) {
            if (body.at(k) == u'\n') {
                ++line;
                lineStart = k + 1;
            }
        }
        i = at;
    }
    for (const OpenTag &tag : open)
        problems << SmeltworkChecks::tr("%1: <%2> is never closed").arg(tag.where, tag.name);
    return problems;
}

QList<CheckProblem> checkTopics(const HelpTopics &topics)
{
    QList<CheckProblem> problems;
    const auto add = [&problems](int topic, const char *field, const QString &what) {
        problems.append(
            {QStringLiteral("$.topics[%1].").arg(topic) + QLatin1String(field), {}, topic, what});
    };
    QHash<QString, int> ids;
    bool haveTopLevel = false;
    for (int i = 0; i < topics.size(); ++i) {
        const HelpTopic &t = topics.at(i);
        // Null and empty ids look the same everywhere but in the file.
        const QString id = t.id.isNull() ? QStringLiteral("") : t.id;
        const auto first = ids.constFind(id);
        if (first != ids.constEnd())
            add(i, "id",
                SmeltworkChecks::tr("id %1 repeats %2")
                    .arg(quoted(t.id), QStringLiteral("$.topics[%1].id").arg(*first)));
        else
            ids.insert(id, i);

        // The help window hangs a topic with a positive fraction below the nearest top-level
        // topic before it; before the first one there is none.
        const double fraction = splitTopicId(t.id).fraction;
        if (fraction > 0 && !haveTopLevel)
            add(i, "id",
                SmeltworkChecks::tr("sub-topic %1 comes before any top-level topic, so it has "
                                    "no parent")
                    .arg(quoted(t.id)));
        else if (!(fraction > 0))
            haveTopLevel = true;

        for (const QString &problem : bodyTagProblems(t.body))
            add(i, "body", problem);
    }
    return problems;
}

bool operator==(const CheckProblem &a, const CheckProblem &b)
{
    return a.path == b.path && a.record == b.record && a.topic == b.topic && a.what == b.what;
}

QDebug operator<<(QDebug dbg, const CheckProblem &problem)
{
    QDebugStateSaver saver(dbg);
    dbg.nospace().noquote() << "CheckProblem(" << problemLine(problem) << ')';
    return dbg;
}

QString problemLine(const CheckProblem &problem)
{
    return problem.path + QStringLiteral(": ") + problem.what;
}

QList<CheckProblem> checkData(const CraftingData &groups)
{
    return DataChecks(groups).problems;
}

QList<CheckProblem> checkFile(const SmeltFile &file)
{
    if (const auto *topics = std::get_if<HelpTopics>(&file))
        return checkTopics(*topics);
    return checkData(std::get<CraftingData>(file));
}
