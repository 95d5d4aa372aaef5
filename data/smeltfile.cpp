#include "data/smeltfile.h"

#include <QtEndian>

FileReport readSmeltFile(QByteArrayView bytes, SmeltFile &file)
{
    if (bytes.size() >= 4 && qFromBigEndian<quint32>(bytes.data()) == HelpMagic)
        return readHelpTopics(bytes, file.emplace<HelpTopics>());
    return readCraftingData(bytes, file.emplace<CraftingData>());
}

SaveResult saveSmeltFile(const QString &path, const SmeltFile &file)
{
    if (const auto *topics = std::get_if<HelpTopics>(&file))
        return saveFile(path, *topics, false);
    return saveFile(path, std::get<CraftingData>(file), false);
}
