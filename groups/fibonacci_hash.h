// The multiplier of Fibonacci hashing: 2^64 divided by the golden ratio. A
// product with it carries every bit of a word into its high bits, which a
// table of 2^k slots takes as the slot.
#pragma once

#include <cstdint>

constexpr std::uint64_t kFibonacciMultiplier = 0x9E3779B97F4A7C15ull;
