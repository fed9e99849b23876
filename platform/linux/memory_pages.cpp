// Linux: PrepareToFill is one madvise(MADV_POPULATE_WRITE). A kernel
// without it (before 5.14) refuses the call, and the pages come one fault at
// a time as they would without it; no test reaches that path, which changes
// only the time a load takes.
#include "platform/memory_pages.h"

#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23
#endif

namespace {

// Below this, the buffer most likely comes from memory the heap has mapped
// already, and the call would cost more than it saves.
constexpr std::size_t kWorthACall = 256 * 1024;

} // namespace

void PrepareToFill(void* start, std::size_t bytes) {
    if (bytes < kWorthACall)
        return;
    const std::uintptr_t page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const std::uintptr_t first = (reinterpret_cast<std::uintptr_t>(start) + page - 1) & ~(page - 1);
    const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(start) + bytes) & ~(page - 1);
    if (end <= first)
        return;
    // Memory the heap hands out again is mapped already, and asking for it
    // would cost a step per page all the same: only a buffer whose last
    // page is still unmapped (fresh from the system) is faulted in.
    unsigned char mapped = 0;
    if (mincore(reinterpret_cast<void*>(end - page), page, &mapped) == 0 && (mapped & 1) != 0)
        return;
    madvise(reinterpret_cast<void*>(first), end - first, MADV_POPULATE_WRITE);
}
