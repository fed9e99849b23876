// ASCII case folding, the one rule by which names match here without regard
// to case: only A-Z and a-z are folded, every other byte is itself, whatever
// the code page.
#pragma once

#include <cstddef>

inline char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
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
