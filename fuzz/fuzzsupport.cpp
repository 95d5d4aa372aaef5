#include "fuzz/fuzzsupport.h"

#include <QLoggingCategory>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <sanitizer/allocator_interface.h>

namespace {

std::atomic<bool> watching{false};
std::atomic<long long> live{0};
std::atomic<long long> highest{0};

void onMalloc(const volatile void *, std::size_t size)
{
    if (!watching.load(std::memory_order_relaxed))
        return;
    const long long now =
        live.fetch_add(static_cast<long long>(size)) + static_cast<long long>(size);
    long long seen = highest.load();
    while (now > seen && !highest.compare_exchange_weak(seen, now)) {
    }
}

void onFree(const volatile void *block)
{
    if (!block || !watching.load(std::memory_order_relaxed))
        return;
    live.fetch_sub(static_cast<long long>(__sanitizer_get_allocated_size(block)));
}

const bool hooksInstalled = __sanitizer_install_malloc_and_free_hooks(onMalloc, onFree) != 0;

} // namespace

void quietTraces()
{
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false\n*.warning=false"));
}

void expect(bool holds, const char *what)
{
    if (holds)
        return;
    std::fprintf(stderr, "==fuzz== check failed: %s\n", what);
    std::abort();
}

AllocationWatch::AllocationWatch()
{
    expect(hooksInstalled, "allocation hooks installed");
    live = 0;
    highest = 0;
    watching = true;
}

AllocationWatch::~AllocationWatch()
{
    watching = false;
}

std::size_t AllocationWatch::peak() const
{
    const long long value = highest.load();
    return value > 0 ? static_cast<std::size_t>(value) : 0;
}

std::size_t allocationAllowance(std::size_t inputSize)
{
    return 32 * inputSize + 4096;
}
