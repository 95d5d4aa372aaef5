#include "tool/checks.h"

#include "data/helpfile.h"
#include "tool/dumptext.h"
#include "tool/tooltext.h"

#include <QHash>
#include <QSet>

namespace {

QString quoted(const QString &text)
{
    return QString::fromUtf8(dumpQuoted(text));
}

// Remembers the first path of each name among siblings and reports each later one.
class SiblingNames
{
public:
    void add(const QString &name, const QString &path, QStringList &problems)
    {
        if (name.isEmpty())
            return; // reported as an empty name already
        const auto first = m_seen.constFind(name);
        if (first == m_seen.constEnd()) {
            m_seen.insert(name, path);
            return;
        }
        problems << SmeltworkTool::tr("%1: name %2 repeats %3").arg(path, quoted(name), *first);
    }

private:
    QHash<QString, QString> m_seen;
};

void checkName(const QString &name, const QString &path, QStringList &problems)
{
    if (name.isEmpty())
        problems << SmeltworkTool::tr("%1: empty name").arg(path);
}

void checkReq(const Req &r, const QString &path, QStringList &problems)
{
    checkName(r.name, path + QStringLiteral(".name"), problems);
    if (r.type != 0 && r.type != 1)
        problems << SmeltworkTool::tr("%1.type: type %2 is neither item/tool (0) nor skill (1)")
                        .arg(path)
                        .arg(quint8(r.type));
    if (r.type == 1 && r.id != 0)
        problems
            << SmeltworkTool::tr("%1.id: skill with id %2 (skills carry 0)").arg(path).arg(r.id);
    if (r.type == 0 && r.id == 0)
        problems << SmeltworkTool::tr("%1.id: item/tool with id 0").arg(path);
    bool number = false;
    r.multiplier.toDouble(&number);
    if (isFixed(r) && !number && !r.multiplier.trimmed().isEmpty())
        problems << SmeltworkTool::tr("%1.multiplier: %2 is not a number, so the requirement "
                                      "counts as fixed")
                        .arg(path, quoted(r.multiplier));
}

void check(const CraftingData &groups, QStringList &problems)
{
    SiblingNames groupNames;
    for (qsizetype i = 0; i < groups.size(); ++i) {
        const ProcGroup &g = groups.at(i);
        const QString gPath = QStringLiteral("$.groups[%1]").arg(i);
        checkName(g.name, gPath + QStringLiteral(".name"), problems);
        groupNames.add(g.name, gPath + QStringLiteral(".name"), problems);
        SiblingNames procNames;
        for (qsizetype j = 0; j < g.procs.size(); ++j) {
            const Proc &p = g.procs.at(j);
            const QString pPath = gPath + QStringLiteral(".procs[%1]").arg(j);
            checkName(p.name, pPath + QStringLiteral(".name"), problems);
            procNames.add(p.name, pPath + QStringLiteral(".name"), problems);
            if (p.minQL > p.maxQL)
                problems << SmeltworkTool::tr("%1: minimum QL %2 is above maximum QL %3")
                                .arg(pPath)
                                .arg(p.minQL)
                                .arg(p.maxQL);
            SiblingNames reqNames;
            for (qsizetype k = 0; k < p.reqs.size(); ++k) {
                const QString rPath = pPath + QStringLiteral(".reqs[%1]").arg(k);
                checkReq(p.reqs.at(k), rPath, problems);
                reqNames.add(p.reqs.at(k).name, rPath + QStringLiteral(".name"), problems);
            }
        }
    }
}

void check(const HelpTopics &topics, QStringList &problems)
{
    QHash<QString, QString> ids;
    bool haveTopLevel = false;
    for (qsizetype i = 0; i < topics.size(); ++i) {
        const HelpTopic &t = topics.at(i);
        const QString path = QStringLiteral("$.topics[%1]").arg(i);
        const QString idPath = path + QStringLiteral(".id");
        // Null and empty ids look the same everywhere but in the file.
        const QString id = t.id.isNull() ? QStringLiteral("") : t.id;
        const auto first = ids.constFind(id);
        if (first != ids.constEnd())
            problems << SmeltworkTool::tr("%1: id %2 repeats %3").arg(idPath, quoted(t.id), *first);
        else
            ids.insert(id, idPath);

        // The help window hangs a topic with a positive fraction below the nearest top-level
        // topic before it; before the first one there is none.
        const double fraction = splitTopicId(t.id).fraction;
        if (fraction > 0 && !haveTopLevel)
            problems << SmeltworkTool::tr("%1: sub-topic %2 comes before any top-level topic, "
                                          "so it has no parent")
                            .arg(idPath, quoted(t.id));
        else if (!(fraction > 0))
            haveTopLevel = true;

        for (const QString &problem : bodyTagProblems(t.body))
            problems << path + QStringLiteral(".body: ") + problem;
    }
}

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
        return SmeltworkTool::tr("line %1, column %2").arg(line).arg(at - lineStart + 1);
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
                problems << SmeltworkTool::tr("%1: tag <%2%3 has no closing \">\"")
                                .arg(where(start), closing ? QStringLiteral("/") : QString(), name);
                break;
            }
            const bool selfClosing = body.at(close - 1) == u'/';
            if (closing) {
                qsizetype match = open.size() - 1;
                while (match >= 0 && open.at(match).name != name)
                    --match;
                if (match < 0) {
                    problems << SmeltworkTool::tr("%1: </%2> closes no open <%2>")
                                    .arg(where(start), name);
                } else {
                    for (qsizetype k = open.size() - 1; k > match; --k)
                        problems << SmeltworkTool::tr("%1: <%2> is not closed before </%3> at %4")
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
        problems << SmeltworkTool::tr("%1: <%2> is never closed").arg(tag.where, tag.name);
    return problems;
}

QStringList checkFile(const SmeltFile &file)
{
    QStringList problems;
    std::visit([&problems](const auto &content) { check(content, problems); }, file);
    return problems;
}
