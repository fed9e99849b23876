// The coarse tick: GetTickCount64 on Windows, which reads a count the kernel
// keeps in memory shared with every process; CLOCK_MONOTONIC_COARSE on Linux,
// which the vDSO answers from the last tick without entering the kernel.
#include "coarse_clock.h"

#ifdef _WIN32
#include "win32.h"

std::uint64_t CoarseMilliseconds() {
    return GetTickCount64();
}

#else
#include <ctime>

std::uint64_t CoarseMilliseconds() {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000u +
           static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
}

#endif
