// Text search and case operations that respect the process's multibyte code
// page: in a double-byte code page the second byte of a character is never
// taken for a separator, a colon or a letter. Each is a thin layer over the C
// runtime's multibyte routine of the same job.
#pragma once

#include <cstddef>
#include <cstdint>

// The last or first occurrence of a character in the text, or null.
const char* FindLastChar(const char* text, unsigned int character);
const char* FindChar(const char* text, unsigned int character);
// The first occurrence of `sought` in the text, or null; an empty `sought` is
// found at the start.
const char* FindSubstring(const char* text, const char* sought);
// -1, 0 or 1 as a sorts before, equal to or after b with case ignored;
// kCompareError when a character cannot be mapped.
constexpr int kCompareError = 0x7FFFFFFF;
int CompareNoCase(const char* a, const char* b);
// Lower-cases the text in place and returns it, or null when a character
// cannot be mapped (the text is then emptied).
char* ToLowerInPlace(char* text);
// The same for a text in a buffer of `size` characters: a text without a
// terminator within the buffer is emptied and gives the invalid-argument
// status; otherwise the status is 0.
std::int32_t ToLowerInPlace(char* text, std::size_t size);
