// FNV-1a, 64 bits: a hash of bytes with no table of its own, one byte at a
// time, so that a caller may fold or skip bytes as it goes.
#pragma once

#include <cstdint>
#include <string_view>

constexpr std::uint64_t kFnvOffsetBasis = 14695981039346656037ull;
constexpr std::uint64_t kFnvPrime = 1099511628211ull;

// The hash after one more byte.
constexpr std::uint64_t FnvStep(std::uint64_t hash, unsigned char byte) {
    return (hash ^ byte) * kFnvPrime;
}

// The hash of the bytes as they are.
inline std::uint64_t FnvHash(std::string_view bytes) {
    std::uint64_t hash = kFnvOffsetBasis;
    for (char c : bytes)
        hash = FnvStep(hash, static_cast<unsigned char>(c));
    return hash;
}
