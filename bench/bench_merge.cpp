// Times `smeltwork-tool merge` on two versions of the 1M-requirement tree, each with a few
// hundred changes against the base, and prints one table.
//
//   build/bench/bench_merge [repetitions]
//
// Every figure is the median of the repetitions (default 5), as wall-clock time and as the
// process's CPU time. The merge is timed on the trees in memory and as the whole command:
// three files loaded, merged, and the result saved.

#include "data/smeltfiles.h"
#include "tool/merge.h"
#include "tool/smelttool.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace {

// Names end in their position, so that the names within one list differ, as in real data.
CraftingData makeTree(int groups, int procs, int reqs)
{
    static const QStringList multipliers = {QStringLiteral("1"), QStringLiteral("2"),
                                            QStringLiteral("0.5"), QStringLiteral("")};
    CraftingData data;
    data.reserve(groups);
    for (int g = 0; g < groups; ++g) {
        ProcGroup group{QStringLiteral("Group %1").arg(g), {}};
        group.procs.reserve(procs);
        for (int p = 0; p < procs; ++p) {
            Proc proc{QStringLiteral("Product %1-%2").arg(g).arg(p),
                      quint8(50 + p % 200),
                      quint8(1 + p % 50),
                      {}};
            proc.reqs.reserve(reqs);
            for (int k = 0; k < reqs; ++k) {
                const qint8 type = k % 3 == 2 ? 1 : 0;
                proc.reqs.append({QStringLiteral("Requirement %1").arg(k),
                                  multipliers.at((p + k) % multipliers.size()), type,
                                  type ? 0 : 100000 + g * 7 + k});
            }
            group.procs.append(std::move(proc));
        }
        data.append(std::move(group));
    }
    return data;
}

// About 300 changes on the even groups: QLs, multipliers, requirements added and deleted,
// a group added.
CraftingData oursOf(CraftingData tree)
{
    for (int i = 0; i < 100; ++i) {
        tree[(i * 14) % 1000].procs[(i * 13) % 100].maxQL += 1;
        tree[(i * 14 + 2) % 1000].procs[(i * 7) % 100].reqs[i % 10].multiplier =
            QStringLiteral("3");
    }
    for (int i = 0; i < 50; ++i) {
        tree[(i * 38 + 4) % 1000].procs[i].reqs.append(
            {QStringLiteral("Added %1").arg(i), QStringLiteral("1"), 0, 7});
        tree[(i * 38 + 6) % 1000].procs[i].reqs.removeAt(i % 10);
    }
    tree.append({QStringLiteral("Added group"), {}});
    return tree;
}

// About 300 changes on the odd groups: QLs, ids, processes added and renamed, one group's
// processes sorted the other way round.
CraftingData theirsOf(CraftingData tree)
{
    for (int i = 0; i < 100; ++i) {
        tree[(i * 14 + 1) % 1000].procs[(i * 13) % 100].minQL += 1;
        tree[(i * 14 + 3) % 1000].procs[(i * 7) % 100].reqs[(i * 3) % 10].id += 1;
    }
    for (int i = 0; i < 50; ++i) {
        tree[(i * 38 + 5) % 1000].procs.insert(i, {QStringLiteral("Added %1").arg(i), 10, 1, {}});
        tree[(i * 38 + 7) % 1000].procs[i].name += QStringLiteral(" (renamed)");
    }
    std::reverse(tree[999].procs.begin(), tree[999].procs.end());
    return tree;
}

qint64 cpuNow()
{
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void measure(const char *what, int repetitions, const std::function<void()> &once)
{
    std::vector<double> wall, cpu;
    for (int r = 0; r < repetitions; ++r) {
        QElapsedTimer timer;
        timer.start();
        const qint64 cpuStart = cpuNow();
        once();
        cpu.push_back(double(cpuNow() - cpuStart) / 1e6);
        wall.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::printf("| %s | %.1f | %.1f |\n", what, median(wall), median(cpu));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    const int repetitions = argc > 1 ? qMax(1, atoi(argv[1])) : 5;

    const CraftingData base = makeTree(1000, 100, 10);
    const CraftingData ours = oursOf(base), theirs = theirsOf(base);
    QTemporaryDir folder;
    const QString b = folder.filePath("base.dat"), o = folder.filePath("ours.dat"),
                  t = folder.filePath("theirs.dat"), out = folder.filePath("merged.dat");
    if (saveFile(b, base, false).status != SaveStatus::Saved ||
        saveFile(o, ours, false).status != SaveStatus::Saved ||
        saveFile(t, theirs, false).status != SaveStatus::Saved) {
        std::fprintf(stderr, "cannot write the trees into %s\n", qPrintable(folder.path()));
        return 1;
    }

    // Loaded back, the three trees share no lists, as in the command; copies made in memory
    // would share every list one side left alone, and compare those for free.
    SmeltFile loaded[3];
    for (int i = 0; i < 3; ++i)
        if (loadFile(i == 0   ? b
                     : i == 1 ? o
                              : t,
                     loaded[i].emplace<CraftingData>())
                .status != LoadStatus::Loaded)
            qFatal("bench: cannot load the merge inputs");

    std::printf("| Measurement (1M requirements, about 300 changes per side) | wall ms | cpu ms "
                "|\n|---|---:|---:|\n");
    qsizetype conflicts = 0, groups = 0;
    measure("merge of the loaded trees in memory", repetitions, [&] {
        const Merged<SmeltFile> merged = mergeSmeltFiles(loaded[0], loaded[1], loaded[2]);
        conflicts = merged.conflicts.size();
        groups = std::get<CraftingData>(merged.value).size();
    });
    int exitCode = -1;
    measure("`smeltwork-tool merge`: 3 files loaded, merged, saved", repetitions, [&] {
        QBuffer stdOut, stdErr, stdIn;
        stdOut.open(QIODevice::WriteOnly);
        stdErr.open(QIODevice::WriteOnly);
        stdIn.open(QIODevice::ReadOnly);
        exitCode = runSmeltworkTool({QStringLiteral("merge"), QStringLiteral("-o"), out, b, o, t},
                                    stdOut, stdErr, stdIn);
    });
    // Both sides changed different records: a conflict would mean a wrong match.
    if (conflicts != 0 || groups != 1001 || exitCode != 0) {
        std::fprintf(stderr, "unexpected result: %lld conflicts, %lld groups, exit status %d\n",
                     qlonglong(conflicts), qlonglong(groups), exitCode);
        return 1;
    }
    return 0;
}
