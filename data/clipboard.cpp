#include "data/clipboard.h"

#include "data/jsonio.h"

#include <QCoreApplication>
#include <QDebug>

namespace {

class SmeltworkClipboard
{
    Q_DECLARE_TR_FUNCTIONS(SmeltworkClipboard)
};

// Where records pasted after position `current` of a list of `size` go: at the end where
// none of the list is current.
int after(int current, qsizetype size)
{
    return current >= 0 && current < size ? current + 1 : int(size);
}

template <typename Record>
PasteResult paste(CraftingData &data, const RecordPath &at, const QList<Record> &records)
{
    const EditResult result = insertRecords(data, at, records);
    return {result, result == EditResult::Done ? at : RecordPath(),
            result == EditResult::Done ? int(records.size()) : 0, QString()};
}

} // namespace

QByteArray copyRecordJson(const CraftingData &data, const RecordPath &path)
{
    if (path.group < 0 || path.group >= data.size())
        return {};
    const ProcGroup &group = data.at(path.group);
    if (path.proc < 0)
        return jsonDocument(group);
    if (path.proc >= group.procs.size())
        return {};
    const Proc &proc = group.procs.at(path.proc);
    if (path.req < 0)
        return jsonDocument(proc);
    return path.req < proc.reqs.size() ? jsonDocument(proc.reqs.at(path.req)) : QByteArray();
}

PasteResult pasteJson(CraftingData &data, const RecordPath &current, const QByteArray &json)
{
    JsonRecords records;
    QString error;
    if (!readJsonRecords(json, records, error)) {
        const QString text = SmeltworkClipboard::tr("The text holds no Smeltwork records.");
        return {EditResult::NotRecords,
                {},
                0,
                error.isEmpty() ? text : text + QStringLiteral(" (") + error + u')'};
    }
    const CraftingData &tree = data;
    if (!records.groups.isEmpty())
        return paste(data, {after(current.group, tree.size())}, records.groups);
    const int g = current.group;
    if (g < 0 || g >= tree.size())
        return {EditResult::NoRecord, {}, 0, QString()};
    const QList<Proc> &procs = tree.at(g).procs;
    if (!records.procs.isEmpty())
        return paste(data, {g, after(current.proc, procs.size())}, records.procs);
    const int p = current.proc;
    if (p < 0 || p >= procs.size())
        return {EditResult::NoRecord, {}, 0, QString()};
    return paste(data, {g, p, after(current.req, procs.at(p).reqs.size())}, records.reqs);
}

bool operator==(const PasteResult &a, const PasteResult &b)
{
    return a.result == b.result && a.first == b.first && a.count == b.count &&
           a.message == b.message;
}

QDebug operator<<(QDebug dbg, const PasteResult &result)
{
    QDebugStateSaver saver(dbg);
    dbg.nospace() << "PasteResult(" << int(result.result) << ", at " << result.first.group << '/'
                  << result.first.proc << '/' << result.first.req << ", " << result.count;
    if (!result.message.isEmpty())
        dbg << ", " << result.message;
    return dbg << ')';
}
