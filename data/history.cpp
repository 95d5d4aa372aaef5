#include "data/history.h"

#include "data/find.h"

qsizetype snapshotCost(const CraftingData &tree, const RecordPath &touched)
{
    const RecordsAt at = recordsAt(tree, touched);
    qsizetype bytes = tree.size() * qsizetype(sizeof(ProcGroup));
    if (at.group)
        bytes += at.group->procs.size() * qsizetype(sizeof(Proc));
    if (at.proc)
        bytes += at.proc->reqs.size() * qsizetype(sizeof(Req));
    return bytes;
}

qsizetype snapshotCost(const HelpTopics &topics, int touched)
{
    qsizetype bytes = topics.size() * qsizetype(sizeof(HelpTopic));
    // A body can be long, and the edit that replaced it left the old text to the snapshot.
    if (touched >= 0 && touched < topics.size()) {
        const HelpTopic &topic = topics.at(touched);
        bytes +=
            (topic.id.size() + topic.header.size() + topic.body.size()) * qsizetype(sizeof(QChar));
    }
    return bytes;
}
