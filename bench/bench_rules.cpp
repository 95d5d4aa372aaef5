// Times the checks and the replace-everywhere rule on trees of 1,000,000 requirements, and
// prints one table: the median of the runs (default 5), as wall-clock and CPU time.
//
//   build/bench/bench_rules [runs]
//
// - check, consistent ids: 1,000 groups x 100 processes x 10 requirements, each item/tool
//   name with one id of its own and every multiplier "1", so that every check runs over
//   everything and nothing is reported;
// - check, ids spread: the same with every 50th item/tool given another id (14,000
//   problems, each with its path and text made);
// - replace everywhere: 20,000 requirements named "Crucible" scattered over the tree,
//   replaced by "Crucible Pot" (any case, in every name), with an undo copy of the tree held,
//   so that every list on the way to a change is copied.

#include "bench/synthetictree.h"
#include "data/checks.h"
#include "data/editing.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace {

double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// `prepare` runs untimed before each run of `timed`.
void measure(const char *what, int runs, const std::function<void()> &prepare,
             const std::function<void()> &timed)
{
    std::vector<double> wall, cpu;
    for (int i = 0; i < runs; ++i) {
        prepare();
        QElapsedTimer timer;
        const double start = cpuMs();
        timer.start();
        timed();
        wall.push_back(timer.nsecsElapsed() / 1e6);
        cpu.push_back(cpuMs() - start);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    std::printf("| %s | %.1f | %.1f |\n", what, wall[wall.size() / 2], cpu[cpu.size() / 2]);
}

// Every item/tool's id follows from its name, or with `spread` every spread-th one not.
CraftingData idTree(int spread)
{
    CraftingData tree = makeUniformTree(1000, 100, 10);
    int n = 0;
    for (ProcGroup &g : tree)
        for (Proc &p : g.procs)
            for (Req &r : p.reqs)
                if (r.multiplier = QStringLiteral("1"); r.type == 0)
                    r.id = int(qHash(r.name) % 1000000) + 1 + (spread && ++n % spread == 0);
    return tree;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    std::printf("| Measurement | wall ms | cpu ms |\n|---|---:|---:|\n");

    qsizetype problems = 0;
    for (const int spread : {0, 50}) {
        const CraftingData tree = idTree(spread);
        measure(
            spread ? "check, ids spread" : "check, consistent ids", runs, [] {},
            [&] { problems = checkData(tree).size(); });
        std::fprintf(stderr, "%lld problems\n", qlonglong(problems));
    }

    CraftingData base = makeUniformTree(1000, 100, 10);
    for (int i = 0; i < 20000; ++i)
        base[i % 1000].procs[i / 1000 * 5].reqs[i % 10].name = QStringLiteral("Crucible");
    CraftingData tree, undo;
    int changed = 0;
    measure(
        "replace everywhere, 20,000 names", runs,
        [&] {
            tree = base;
            tree.detach(); // the tree a window holds, its own list
            undo = tree;
        },
        [&] {
            changed = replaceInNames(tree, QStringLiteral("crucible"),
                                     QStringLiteral("Crucible Pot"), false);
        });
    std::fprintf(stderr, "%d names changed\n", changed);
    return 0;
}
