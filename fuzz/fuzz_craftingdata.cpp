// Fuzzes the data file loader: whatever the bytes, readCraftingData must stay inside them,
// hold memory in proportion to them, report counts that match the tree it built, and the
// tree must save and load back unchanged. A file that loads completely saves back to the
// very bytes it was read from (bytes after the last group aside): the encoding has one
// form per tree.
#include "data/craftingfile.h"
#include "fuzz/fuzzsupport.h"

#include <cstdint>

namespace {

bool countsMatch(const FileReport &report, const CraftingData &tree)
{
    int procs = 0;
    int reqs = 0;
    for (const ProcGroup &group : tree) {
        procs += int(group.procs.size());
        for (const Proc &proc : group.procs)
            reqs += int(proc.reqs.size());
    }
    return report.groups == tree.size() && report.procs == procs && report.reqs == reqs;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    quietTraces();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    return checkLoader<CraftingData, FileReport>(QByteArrayView(data, qsizetype(size)),
                                                 readCraftingData, writeCraftingData, countsMatch);
}
