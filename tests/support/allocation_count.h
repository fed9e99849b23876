// Counting the heap allocations a loaded plugin makes, for the test and the
// benchmark that hold a value request to none. On Linux the program's own
// malloc family stands in front of the C library's
// (allocation_count_linux.cpp); on Windows the plugin's imports of the C
// runtime's allocation functions are pointed at counting ones
// (allocation_count_windows.cpp). Linked into measuring programs only,
// never into the plugin.
#pragma once

#include "platform/win32.h"
#include <atomic>
#include <cstdint>

// Starts counting the allocations of the plugin module (on Linux: of the
// whole process). False when it cannot be counted.
bool CountAllocationsOf(HMODULE plugin);
std::uint64_t AllocationsCounted();

// For the per-system halves: whether allocations are counted now, and the
// count of one.
extern std::atomic<bool> allocationCounting;
void CountAllocation();
