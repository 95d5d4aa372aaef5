#include "smeltfiles.h"

#include "trace.h"

#include <QDir>

namespace {

// What tells the two files apart; everything else about loading and saving them is shared.
template <typename Content> struct Format;

template <> struct Format<CraftingData>
{
    static constexpr auto read = readCraftingData;
    static constexpr auto write = writeCraftingData;
    static constexpr const char *saved = "Finished saving data file";
};

template <> struct Format<HelpTopics>
{
    static constexpr auto read = readHelpTopics;
    static constexpr auto write = writeHelpTopics;
    static constexpr const char *saved = "Finished saving help file";
};

template <typename Content> FileReport load(const QString &path, Content &content)
{
    QByteArray bytes;
    if (!readWholeFile(path, bytes))
        return {};
    return Format<Content>::read(bytes, content);
}

template <typename Content>
SaveStatus save(const QString &path, const Content &content, bool keepBackup)
{
    const SaveStatus status = saveAtomically(path, keepBackup, [&content](QIODevice &device) {
        return Format<Content>::write(device, content);
    });
    if (status == SaveStatus::Saved && traceEnabled())
        qDebug("%s", Format<Content>::saved);
    return status;
}

} // namespace

QString craftingFilePath()
{
    return QDir::currentPath() + QStringLiteral("/Smeltwork.dat");
}

QString helpFilePath()
{
    return QDir::currentPath() + QStringLiteral("/Smeltwork.hlp");
}

FileReport loadCraftingFile(const QString &path, CraftingData &data)
{
    return load(path, data);
}

FileReport loadHelpTopics(const QString &path, HelpTopics &topics)
{
    return load(path, topics);
}

SaveStatus saveCraftingFile(const QString &path, const CraftingData &data, bool keepBackup)
{
    return save(path, data, keepBackup);
}

SaveStatus saveHelpTopics(const QString &path, const HelpTopics &topics, bool keepBackup)
{
    return save(path, topics, keepBackup);
}
