// Matching a file name against a pattern as Windows matches names: '*' any
// run of characters (dots included), '?' exactly one character (a
// double-byte character of the code page, a well-formed UTF-8 sequence on
// Linux), every other character itself, with only the letters A-Z and a-z
// matched without regard to case. Used by the Linux directory search and by
// the plugin's name masks.
#pragma once

#include <cstddef>

// Both texts are read as characters of the code page in effect (a byte that
// begins none is a character of its own): '*' takes whole characters only,
// and a letter A-Z matches only itself in either case, never part of a
// longer character. Linear in the two lengths, but for a part between two
// stars that holds '?' or more than 256 characters: that part is tried at
// each place the name leaves room for, at worst the product of the two.
bool MatchesNamePattern(const char* pattern, std::size_t patternLength, const char* name,
                        std::size_t nameLength);
