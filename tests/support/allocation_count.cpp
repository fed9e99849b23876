// The allocation counter of allocation_count.h: the count itself; the
// replacement of the allocation functions is per system
// (allocation_count_windows.cpp, allocation_count_linux.cpp).
#include "tests/support/allocation_count.h"

namespace {
std::atomic<std::uint64_t> counted{0};
} // namespace

std::atomic<bool> allocationCounting{false};

void CountAllocation() {
    if (allocationCounting.load(std::memory_order_relaxed))
        counted.fetch_add(1, std::memory_order_relaxed);
}

std::uint64_t AllocationsCounted() {
    return counted.load();
}
