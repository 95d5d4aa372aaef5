#include "smeltfile.h"

#include <QtEndian>

bool smeltFileKind(QByteArrayView bytes, SmeltFile::Kind &kind)
{
    if (bytes.size() < 4)
        return false;
    const quint32 magic = qFromBigEndian<quint32>(bytes.data());
    if (magic == CraftingMagic) {
        kind = SmeltFile::Crafting;
        return true;
    }
    if (magic == HelpMagic) {
        kind = SmeltFile::Help;
        return true;
    }
    return false;
}
