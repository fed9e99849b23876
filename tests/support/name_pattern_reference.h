// A plain matcher of names against patterns, for tests and the fuzz target
// to hold the real one to: both texts are cut into characters first, then
// matched over the two character arrays by dynamic programming. Slow (the
// product of the two lengths in time and memory) and written to be plainly
// right rather than fast.
#pragma once

#include "platform/text/ascii.h"
#include "platform/code_page.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

// A text's characters. Under UTF-8: a sequence whose lead byte announces its
// length, followed by that many continuation bytes, that decodes to a code
// point of that length's range (so not overlong), not a surrogate and not
// above U+10FFFF; any other byte stands alone. Under another code page:
// what NextCharacter takes, cut at the text's end, and at least one byte.
inline std::vector<std::string> ReferenceCharacters(const std::string& text) {
    std::vector<std::string> characters;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t length = 1;
        if (MultibyteCodePage() == kUtf8CodePage) {
            const unsigned char lead = static_cast<unsigned char>(text[at]);
            const std::size_t size = lead >= 0xF8   ? 1
                                     : lead >= 0xF0 ? 4
                                     : lead >= 0xE0 ? 3
                                     : lead >= 0xC0 ? 2
                                                    : 1;
            const unsigned long least[] = {0, 0, 0x80, 0x800, 0x10000};
            if (size > 1 && at + size <= text.size()) {
                unsigned long codePoint = lead & (0x7Fu >> size);
                bool continued = true;
                for (std::size_t i = 1; i < size; ++i) {
                    const unsigned char byte = static_cast<unsigned char>(text[at + i]);
                    continued = continued && (byte & 0xC0) == 0x80;
                    codePoint = codePoint << 6 | (byte & 0x3F);
                }
                const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
                if (continued && codePoint >= least[size] && codePoint <= 0x10FFFF && !surrogate)
                    length = size;
            }
        } else {
            const char* start = text.c_str() + at;
            const std::size_t taken = static_cast<std::size_t>(NextCharacter(start) - start);
            length = std::max<std::size_t>(1, std::min(taken, text.size() - at));
        }
        characters.push_back(text.substr(at, length));
        at += length;
    }
    return characters;
}

// '*' takes any run of whole characters, '?' one character, and any other
// character matches only itself, or a letter A-Z in the other case.
inline bool ReferenceMatches(const std::string& pattern, const std::string& name) {
    const std::vector<std::string> p = ReferenceCharacters(pattern);
    const std::vector<std::string> n = ReferenceCharacters(name);
    auto same = [](const std::string& a, const std::string& b) {
        return a.size() == 1 && b.size() == 1 ? FoldAscii(a[0]) == FoldAscii(b[0]) : a == b;
    };
    // rest[i][j]: whether the pattern from its character i matches the name
    // from its character j.
    std::vector<std::vector<char>> rest(p.size() + 1, std::vector<char>(n.size() + 1, 0));
    rest[p.size()][n.size()] = 1;
    for (std::size_t i = p.size(); i-- > 0;) {
        for (std::size_t j = n.size() + 1; j-- > 0;) {
            if (p[i] == "*")
                rest[i][j] = rest[i + 1][j] || (j < n.size() && rest[i][j + 1]);
            else
                rest[i][j] =
                    j < n.size() && (p[i] == "?" || same(p[i], n[j])) && rest[i + 1][j + 1];
        }
    }
    return rest[0][0] != 0;
}
