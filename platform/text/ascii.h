// ASCII case folding, the one rule by which names match here without regard
// to case: only A-Z and a-z are folded, every other byte is itself, whatever
// the code page.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

inline char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The text with A-Z folded, for the tools that compare or sort by it.
inline std::string FoldedAscii(std::string text) {
    for (char& c : text)
        c = FoldAscii(c);
    return text;
}

inline bool SameIgnoringAsciiCase(const char* a, std::size_t aLength, const char* b,
                                  std::size_t bLength) {
    if (aLength != bLength)
        return false;
    for (std::size_t i = 0; i < aLength; ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    return true;
}

// The same rule for eight bytes at once, each byte of the word on its own:
// a byte is folded when its seven low bits lie in A-Z and its high bit is
// clear. No sum below carries out of its byte (at most 0x7F + 0x3F).
inline std::uint64_t FoldAsciiWord(std::uint64_t word) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    const std::uint64_t low = word & (0x7F * kOnes);
    const std::uint64_t atLeastA = low + (0x80 - 'A') * kOnes;
    const std::uint64_t aboveZ = low + (0x80 - 'Z' - 1) * kOnes;
    const std::uint64_t upper = atLeastA & ~aboveZ & ~word & (0x80 * kOnes);
    return word | upper >> 2;
}
