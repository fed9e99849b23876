// UTF-8 as the standard defines it: no overlong form, no surrogate, nothing
// above U+10FFFF. A byte that starts no such sequence is a character of its
// own, as names on Linux may hold any bytes.
#pragma once

#include <cstdint>

// What a byte that starts no well-formed sequence decodes to.
constexpr std::uint32_t kNoCharacter = 0xFFFD;

// The end of the character at `at`, never past `end` (which lies past `at`).
const char* Utf8CharacterEnd(const char* at, const char* end);
// The character at `at`, or kNoCharacter for a byte that starts none.
std::uint32_t Utf8Character(const char* at, const char* end);
