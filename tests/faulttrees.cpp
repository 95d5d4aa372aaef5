#include "faulttrees.h"

#include <QBuffer>

namespace {

// Only the bytes are wanted where a test works out what a file should hold, not the trace
// of the save that makes them.
class Quiet
{
public:
    Quiet() : m_previous(qInstallMessageHandler(discard)) {}
    ~Quiet() { qInstallMessageHandler(m_previous); }
    Quiet(const Quiet &) = delete;
    Quiet &operator=(const Quiet &) = delete;

private:
    static void discard(QtMsgType, const QMessageLogContext &, const QString &) {}
    QtMessageHandler m_previous;
};

CraftingData oldTree()
{
    return {ProcGroup{QStringLiteral("Old"), {}}};
}

CraftingData newTree()
{
    return {ProcGroup{QStringLiteral("New"), {Proc{QStringLiteral("Ingot"), 100, 1, {}}}}};
}

HelpTopics oldTopics()
{
    return {HelpTopic{QStringLiteral("1"), QStringLiteral("Old"), QString()}};
}

HelpTopics newTopics()
{
    return {HelpTopic{QStringLiteral("2"), QStringLiteral("New"), QStringLiteral("<b>x</b>")}};
}

CraftingData bigTree(int variant)
{
    const QString tag = QStringLiteral("v%1 ").arg(variant);
    CraftingData tree;
    for (int g = 0; g < 60; ++g) {
        ProcGroup group{tag + QStringLiteral("group %1").arg(g), {}};
        for (int p = 0; p < 40; ++p) {
            Proc proc{tag + QStringLiteral("process %1").arg(p), quint8(p + variant), 1, {}};
            for (int r = 0; r < 12; ++r)
                proc.reqs.append(Req{tag + QStringLiteral("requirement %1").arg(r),
                                     QString::number(r + variant), qint8(r % 2), g * 1000 + r});
            group.procs.append(proc);
        }
        tree.append(group);
    }
    return tree;
}

HelpTopics bigTopics(int variant)
{
    const QString body = QStringLiteral("<b>Variant %1</b> ").arg(variant).repeated(400);
    HelpTopics topics;
    for (int i = 0; i < 100; ++i)
        topics.append(HelpTopic{QString::number(i + 1), QStringLiteral("Topic %1").arg(i), body});
    return topics;
}

QByteArray encoded(const CraftingData &tree)
{
    const Quiet quiet;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    writeCraftingData(buffer, tree);
    return bytes;
}

QByteArray encoded(const HelpTopics &topics)
{
    const Quiet quiet;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    writeHelpTopics(buffer, topics);
    return bytes;
}

bool partlyRead(LoadStatus status)
{
    return status == LoadStatus::BadMagic || status == LoadStatus::Damaged;
}

} // namespace

QString faultFileName(FaultFile file)
{
    return file == FaultFile::Data ? QStringLiteral("Smeltwork.dat")
                                   : QStringLiteral("Smeltwork.hlp");
}

QByteArray oldFileBytes(FaultFile file)
{
    return file == FaultFile::Data ? encoded(oldTree()) : encoded(oldTopics());
}

QByteArray newFileBytes(FaultFile file)
{
    return file == FaultFile::Data ? encoded(newTree()) : encoded(newTopics());
}

SaveStatus saveNewRecordsLikeTheProgram(FaultFile file)
{
    if (file == FaultFile::Data) {
        CraftingData loaded;
        const LoadReport report = loadCraftingFile(craftingFilePath(), loaded);
        return saveCraftingFile(craftingFilePath(), newTree(), partlyRead(report.status));
    }
    HelpTopics loaded;
    const HelpLoadReport report = loadHelpTopics(helpFilePath(), loaded);
    return saveHelpTopics(helpFilePath(), newTopics(), partlyRead(report.status));
}

QByteArray bigFileBytes(FaultFile file, int variant)
{
    return file == FaultFile::Data ? encoded(bigTree(variant)) : encoded(bigTopics(variant));
}

SaveStatus saveBigRecords(FaultFile file, int variant)
{
    // Built once per variant: the helper saves them over and over.
    static const CraftingData trees[2] = {bigTree(0), bigTree(1)};
    static const HelpTopics topics[2] = {bigTopics(0), bigTopics(1)};
    return file == FaultFile::Data ? saveCraftingFile(craftingFilePath(), trees[variant], false)
                                   : saveHelpTopics(helpFilePath(), topics[variant], false);
}

const char *saveStatusName(SaveStatus status)
{
    switch (status) {
    case SaveStatus::Saved:
        return "Saved";
    case SaveStatus::NotWritable:
        return "NotWritable";
    case SaveStatus::BackupFailed:
        return "BackupFailed";
    case SaveStatus::WriteFailed:
        return "WriteFailed";
    }
    return "?";
}
