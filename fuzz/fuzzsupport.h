#pragma once

#include <QByteArray>
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
