// Fuzzes the data file loader: whatever the bytes, readCraftingData must stay inside them,
// hold memory in proportion to them, report counts that match the tree it built, and the
// tree must save and load back unchanged. A file that loads completely saves back to the
// very bytes it was read from (bytes after the last group aside): the encoding has one
// form per tree.
#include "craftingfile.h"
#include "fuzzsupport.h"

#include <QBuffer>
#include <cstdint>

namespace {

QByteArray saved(const CraftingData &tree)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    expect(writeCraftingData(buffer, tree), "the writer takes every loaded tree");
    return bytes;
}

void expectCountsMatch(const LoadReport &report, const CraftingData &tree)
{
    int procs = 0;
    int reqs = 0;
    for (const ProcGroup &group : tree) {
        procs += int(group.procs.size());
        for (const Proc &proc : group.procs)
            reqs += int(proc.reqs.size());
    }
    expect(report.groups == tree.size() && report.procs == procs && report.reqs == reqs,
           "the report counts the records the tree holds");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    quietTraces();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView input(data, qsizetype(size));
    CraftingData tree;
    LoadReport report;
    {
        const AllocationWatch watch;
        report = readCraftingData(input, tree);
        expect(watch.peak() <= allocationAllowance(size),
               "the loader holds memory in proportion to the file");
    }
    expect(report.status != LoadReport::NotOpened, "bytes in memory are always opened");
    expectCountsMatch(report, tree);
    if (report.status == LoadReport::BadMagic)
        expect(tree.isEmpty(), "a foreign file yields no records");

    const QByteArray bytes = saved(tree);
    if (report.status == LoadReport::Loaded)
        expect(input.startsWith(bytes), "a complete file saves back to its own bytes");

    CraftingData reloaded;
    const LoadReport again = readCraftingData(bytes, reloaded);
    expect(again.status == LoadReport::Loaded, "a saved tree loads completely");
    expect(reloaded == tree, "a saved tree loads back unchanged");
    return 0;
}
