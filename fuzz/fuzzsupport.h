#pragma once

#include "data/fileio.h"

#include <QBuffer>
#include <QByteArray>
#include <QByteArrayView>
#include <cstddef>

// Switches the load and save traces off: formatting a line per record would cost more than
// the loading that is being fuzzed, and libFuzzer's own output is what matters here.
void quietTraces();

// Stops the run with `what` on standard error when `holds` is false; libFuzzer then keeps
// the input as a crash artifact.
void expect(bool holds, const char *what);

// Tracks the bytes held by allocations made while it lives and remembers the highest sum.
// Frees of blocks allocated before it started are counted too, so the figure can only be
// too low, never too high; the loaders free nothing they did not allocate themselves.
class AllocationWatch
{
public:
    AllocationWatch();
    ~AllocationWatch();
    AllocationWatch(const AllocationWatch &) = delete;
    AllocationWatch &operator=(const AllocationWatch &) = delete;

    std::size_t peak() const;
};

// What a loader may hold for `inputSize` bytes of file. A record in memory is up to eight
// times its smallest encoding (a group: 48 bytes for 6), a list grows by doubling and holds
// old and new storage while it moves, and the data file loader reserves room for as many
// records as the rest of the file could hold at each of its three levels. All that stays
// well below 32 times the input; a loader that trusts a count goes far beyond it.
std::size_t allocationAllowance(std::size_t inputSize);

// The checks every loader must pass on any input: `read` stays inside the bytes and holds
// memory in proportion to them; `countsMatch` agrees with what it kept; a foreign file
// yields nothing; what was kept saves with `write` and loads back unchanged and complete;
// and a file that loaded completely saves back to its own bytes (trailing bytes aside),
// since the encoding has one form per tree.
template <class Records, class Report, class Read, class Write, class CountsMatch>
int checkLoader(QByteArrayView input, Read read, Write write, CountsMatch countsMatch)
{
    Records records;
    Report report;
    {
        const AllocationWatch watch;
        report = read(input, records);
        expect(watch.peak() <= allocationAllowance(std::size_t(input.size())),
               "the loader holds memory in proportion to the file");
    }
    expect(report.status != LoadStatus::NotOpened, "bytes in memory are always opened");
    expect(countsMatch(report, records), "the report counts the records kept");
    if (report.status == LoadStatus::BadMagic)
        expect(records.isEmpty(), "a foreign file yields no records");

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    expect(write(buffer, records, false), "the writer takes whatever was loaded");
    if (report.status == LoadStatus::Loaded) {
        expect(input.startsWith(bytes), "a complete file saves back to its own bytes");
        expect(report.trailing == input.size() - bytes.size(),
               "the report counts the bytes after the last record");
    }
    if (report.status == LoadStatus::Damaged)
        expect(report.damagedAt >= 4 && report.damagedAt <= input.size(),
               "a damaged file stops inside its bytes");

    Records reloaded;
    expect(read(bytes, reloaded).status == LoadStatus::Loaded, "what was saved loads completely");
    expect(reloaded == records, "what was saved loads back unchanged");
    return 0;
}
