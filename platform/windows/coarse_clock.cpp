// Windows: the coarse tick is GetTickCount64, which reads a count the kernel
// keeps in memory shared with every process.
#include "platform/coarse_clock.h"

#include "platform/win32.h"

std::uint64_t CoarseMilliseconds() {
    return GetTickCount64();
}
