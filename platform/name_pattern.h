// Matching a file name against a pattern as Windows matches names: '*' any
// run of characters (dots included), '?' exactly one character (a
// double-byte character of the code page, a UTF-8 sequence on Linux), every
// other character itself, with only the letters A-Z and a-z matched without
// regard to case. Used by the Linux directory search and by the plugin's
// name masks.
#pragma once

#include <cstddef>

// Linear in the name's length for every pattern without a run of literal
// characters after its first '*' that keeps almost matching; at worst the
// product of the two lengths, never more (no backtracking over stars).
bool MatchesNamePattern(const char* pattern, std::size_t patternLength, const char* name,
                        std::size_t nameLength);
