// Linux: the coarse tick is CLOCK_MONOTONIC_COARSE, which the vDSO answers
// from the last tick without entering the kernel.
#include "platform/coarse_clock.h"

#include <ctime>

std::uint64_t CoarseMilliseconds() {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000u +
           static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
}
