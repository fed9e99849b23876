// Counting the heap allocations a loaded plugin makes, for the benchmark
// that holds a value request to none. On Linux the program's own malloc
// family stands in front of the C library's; on Windows the plugin's imports
// of the C runtime's allocation functions are pointed at counting ones.
// Linked into measuring programs only, never into the plugin.
#pragma once

#include "win32.h"
#include <cstdint>

// Starts counting the allocations of the plugin module (on Linux: of the
// whole process). False when it cannot be counted.
bool CountAllocationsOf(HMODULE plugin);
std::uint64_t AllocationsCounted();
