// Linux: a file's time stamp in Windows' units, as every record of the
// Win32 subset reports it.
#pragma once

#include "platform/win32.h"

#include <ctime>

// 100-nanosecond steps since 1601-01-01, the Windows epoch.
inline FILETIME FileTimeOf(const struct timespec& time) {
    constexpr unsigned long long kEpochOffsetSeconds = 11644473600ULL;
    constexpr unsigned long long kStepsPerSecond = 10000000ULL;
    constexpr unsigned long long kNanosecondsPerStep = 100ULL;
    const unsigned long long ticks =
        (static_cast<unsigned long long>(time.tv_sec) + kEpochOffsetSeconds) * kStepsPerSecond +
        static_cast<unsigned long long>(time.tv_nsec) / kNanosecondsPerStep;
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}
