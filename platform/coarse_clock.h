// A monotonic clock in milliseconds that costs a value request next to
// nothing: the system's tick count, which runs at the scheduler's rate
// (a few to about 16 ms a step) and never goes back when the wall clock is
// set.
#pragma once

#include <cstdint>

// Milliseconds since some fixed point in the past (on both systems, the
// start of the machine).
std::uint64_t CoarseMilliseconds();
