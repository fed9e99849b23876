// The two 16-bit text operations the reparse-point reader needs: names
// inside reparse data are UTF-16, as the platform stores them.
#pragma once

#include "settings/bounded_string.h"

// BoundedCopy with characters, capacity and count in 16-bit characters.
Status BoundedCopyWide(char16_t* destination, std::size_t capacity, const char16_t* source);
// The first occurrence of `pattern` in `text`, or null; an empty pattern is
// found at the start.
const char16_t* FindSubstringWide(const char16_t* text, const char16_t* pattern);
