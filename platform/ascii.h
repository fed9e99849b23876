// ASCII case folding, the one rule by which names match here without regard
// to case: only A-Z and a-z are folded, every other byte is itself, whatever
// the code page.
#pragma once

inline char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
