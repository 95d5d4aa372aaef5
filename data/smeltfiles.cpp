#include "data/smeltfiles.h"

#include "data/trace.h"

#include <QFile>
#include <QFileInfo>

namespace {

// What tells the two files apart; everything else about loading and saving them is shared.
template <typename Content> struct Format;

template <> struct Format<CraftingData>
{
    static constexpr auto read = readCraftingData;
    static constexpr auto write = writeCraftingData;
    static constexpr const char *saved = "Finished saving data file";

    static void warnDamaged(const FileReport &report)
    {
        qWarning("Data file damaged at byte %lld: kept %d groups, %d processes, %d requirements",
                 report.damagedAt, report.groups, report.procs, report.reqs);
    }
};

template <> struct Format<HelpTopics>
{
    static constexpr auto read = readHelpTopics;
    static constexpr auto write = writeHelpTopics;
    static constexpr const char *saved = "Finished saving help file";

    static void warnDamaged(const FileReport &report)
    {
        qWarning("Help file damaged at byte %lld: kept %d topics", report.damagedAt, report.topics);
    }
};

template <typename Content> FileReport load(const QString &path, Content &content, QByteArray *read)
{
    QByteArray bytes;
    FileReport report = readWholeFile(path, bytes);
    if (report.status == LoadStatus::Loaded)
        report = Format<Content>::read(bytes, content);
    if (read)
        *read = bytes;

    const QByteArray name = QFile::encodeName(QFileInfo(path).fileName());
    switch (report.status) {
    case LoadStatus::Loaded:
        if (report.trailing > 0)
            qWarning("%lld bytes follow the last record of %s; the file will be kept as %s.bak "
                     "when it is saved",
                     report.trailing, name.constData(), name.constData());
        break;
    case LoadStatus::NotOpened:
        break;
    case LoadStatus::Unreadable:
        qWarning("Unable to read %s: %s", name.constData(), qPrintable(report.reason));
        break;
    case LoadStatus::NotAFile:
        qWarning("%s is %s, not a file; it was not read", name.constData(),
                 qPrintable(report.reason));
        break;
    case LoadStatus::BadMagic:
        qWarning("BAD MAGIC NUMBER!");
        break;
    case LoadStatus::Damaged:
        Format<Content>::warnDamaged(report);
        break;
    }
    return report;
}

template <typename Content>
SaveResult save(const QString &path, const Content &content, bool keepBackup)
{
    const SaveResult result = saveAtomically(path, keepBackup, [&content](QIODevice &device) {
        return Format<Content>::write(device, content, true);
    });
    if (result.status != SaveStatus::Saved)
        qWarning("Unable to save %s: %s", QFile::encodeName(QFileInfo(path).fileName()).constData(),
                 qPrintable(result.reason));
    else
        traceLine("%s", Format<Content>::saved);
    return result;
}

} // namespace

// By their names alone: the system finds them in the working folder, whatever bytes the
// folder's own name holds.
QString craftingFilePath()
{
    return QStringLiteral("Smeltwork.dat");
}

QString helpFilePath()
{
    return QStringLiteral("Smeltwork.hlp");
}

FileReport loadFile(const QString &path, CraftingData &data, QByteArray *bytes)
{
    return load(path, data, bytes);
}

FileReport loadFile(const QString &path, HelpTopics &topics, QByteArray *bytes)
{
    return load(path, topics, bytes);
}

SaveResult saveFile(const QString &path, const CraftingData &data, bool keepBackup)
{
    return save(path, data, keepBackup);
}

SaveResult saveFile(const QString &path, const HelpTopics &topics, bool keepBackup)
{
    return save(path, topics, keepBackup);
}
