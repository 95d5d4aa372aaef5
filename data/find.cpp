#include "data/find.h"

#include <string>

namespace {

// A case-insensitive substring test with the query folded once. Names are mostly ASCII, so
// their characters are folded by a table first; QString::contains() folds both sides of
// every comparison through the Unicode tables.
class NameMatcher
{
public:
    NameMatcher(QStringView query, bool whole) : m_whole(whole)
    {
        m_query.reserve(query.size());
        for (const QChar c : query)
            m_query.push_back(fold(c.unicode()));
    }

    bool matches(const QString &name) const
    {
        const qsizetype length = m_query.size();
        const qsizetype last = name.size() - length;
        if (m_whole && last != 0)
            return false;
        const char16_t *text = reinterpret_cast<const char16_t *>(name.constData());
        const char16_t first = m_query.front();
        for (qsizetype at = 0; at <= last; ++at) {
            if (fold(text[at]) != first)
                continue;
            qsizetype i = 1;
            while (i < length && fold(text[at + i]) == m_query[i])
                ++i;
            if (i == length)
                return true;
        }
        return false;
    }

private:
    static char16_t fold(char16_t c)
    {
        if (c < 0x80)
            return c >= 'A' && c <= 'Z' ? char16_t(c + ('a' - 'A')) : c;
        // A surrogate folds with its pair in full Unicode; one by one it stays itself,
        // which still finds a query that holds the same pair.
        return QChar::toCaseFolded(c);
    }

    std::u16string m_query;
    bool m_whole;
};

} // namespace

FindResult findRecords(const CraftingData &data, QStringView query, qsizetype maxListed,
                       const std::function<bool()> &stopped, bool wholeName)
{
    FindResult result;
    if (query.isEmpty())
        return result;
    const NameMatcher matcher(query, wholeName);
    const auto found = [&](int g, int p, int k) {
        if (result.total++ < maxListed)
            result.listed.append({g, p, k});
    };
    for (int g = 0; g < data.size(); ++g) {
        const ProcGroup &group = data.at(g);
        if (matcher.matches(group.name))
            found(g, -1, -1);
        for (int p = 0; p < group.procs.size(); ++p) {
            if (stopped && stopped())
                return result;
            const Proc &proc = group.procs.at(p);
            if (matcher.matches(proc.name))
                found(g, p, -1);
            for (int k = 0; k < proc.reqs.size(); ++k) {
                if (matcher.matches(proc.reqs.at(k).name))
                    found(g, p, k);
            }
        }
    }
    return result;
}

qsizetype nameCount(const CraftingData &data)
{
    qsizetype names = data.size();
    for (const ProcGroup &group : data) {
        names += group.procs.size();
        for (const Proc &proc : group.procs)
            names += proc.reqs.size();
    }
    return names;
}

RecordsAt recordsAt(const CraftingData &data, const RecordPath &path)
{
    RecordsAt at;
    if (path.group < 0 || path.group >= data.size())
        return at;
    at.group = &data.at(path.group);
    if (path.proc < 0 || path.proc >= at.group->procs.size())
        return at;
    at.proc = &at.group->procs.at(path.proc);
    if (path.req >= 0 && path.req < at.proc->reqs.size())
        at.req = &at.proc->reqs.at(path.req);
    return at;
}
