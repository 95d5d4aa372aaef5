#include "bench/synthetictree.h"

#include <QStringList>

namespace {

// Name stems; a few carry Latin-1 letters, one a character outside Latin-1, so the trace's
// conversion takes all of its paths. Every name ends in its position, so the names within
// one list differ, as they do in real data.
const QStringList &stems()
{
    static const QStringList list = {
        QStringLiteral("Hammer"),        QStringLiteral("Iron Ingot"),
        QStringLiteral("Smithing"),      QStringLiteral("Stählerne Äxte"),
        QStringLiteral("Oak Plank"),     QStringLiteral("Leatherworking"),
        QStringLiteral("Copper Wire"),   QStringLiteral("Tongs"),
        QStringLiteral("Bronze Rivets"), QStringLiteral("Glass Bead"),
        QStringLiteral("Mithril Ore ☆"), QStringLiteral("Alchemy"),
    };
    return list;
}

QString makeName(int pick, const char *kind, int position)
{
    return stems().at(pick % stems().size()) + QLatin1String(kind) + QString::number(position);
}

Req makeReq(int g, int p, int k)
{
    static const QStringList multipliers = {QStringLiteral("1"),   QStringLiteral("2"),
                                            QStringLiteral("0.5"), QStringLiteral("10"),
                                            QStringLiteral("x"),   QStringLiteral("")};
    Req r;
    r.name = makeName(g * 31 + p * 7 + k, " ", k);
    r.multiplier = multipliers.at((p + k) % multipliers.size());
    r.type = k % 3 == 2 ? 1 : 0;
    r.id = r.type == 0 ? 100000 + g * 7 + k : 0;
    return r;
}

Proc makeProc(int g, int p, int reqCount)
{
    Proc proc;
    proc.name = makeName(g + p * 3, " Product ", p);
    proc.maxQL = quint8(50 + p % 200);
    proc.minQL = quint8(1 + p % 50);
    proc.reqs.reserve(reqCount);
    for (int k = 0; k < reqCount; ++k)
        proc.reqs.append(makeReq(g, p, k));
    return proc;
}

} // namespace

QString groupName(int g)
{
    return makeName(g, " Group ", g);
}

CraftingData makeUniformTree(int groups, int procs, int reqs)
{
    CraftingData data;
    data.reserve(groups);
    for (int g = 0; g < groups; ++g) {
        ProcGroup group;
        group.name = groupName(g);
        group.procs.reserve(procs);
        for (int p = 0; p < procs; ++p)
            group.procs.append(makeProc(g, p, reqs));
        data.append(std::move(group));
    }
    return data;
}

CraftingData makeWideTree()
{
    CraftingData data;
    data.reserve(MaxListSize);
    for (int g = 0; g < MaxListSize; ++g) {
        ProcGroup group;
        group.name = groupName(g);
        if (g == 0) {
            group.procs.reserve(MaxListSize);
            group.procs.append(makeProc(0, 0, MaxListSize));
            for (int p = 1; p < MaxListSize; ++p)
                group.procs.append(makeProc(0, p, 0));
        } else {
            group.procs.append(makeProc(g, 0, 2));
        }
        data.append(std::move(group));
    }
    return data;
}
