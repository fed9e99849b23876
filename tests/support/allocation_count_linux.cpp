// The allocation counter on Linux: the program's own malloc family, in front
// of the C library's for every module of the process, so the whole process's
// allocations count.
#include "tests/support/allocation_count.h"

#include <cstddef>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);

// The program's definitions come before the C library's for every module of
// the process, the plugin included.
void* malloc(std::size_t size) {
    CountAllocation();
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) {
    CountAllocation();
    return __libc_calloc(count, size);
}
void* realloc(void* block, std::size_t size) {
    CountAllocation();
    return __libc_realloc(block, size);
}
}

bool CountAllocationsOf(HMODULE) {
    allocationCounting = true;
    return true;
}
