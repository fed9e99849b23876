// Linux: reading an open file whole, for the private-profile calls that
// read a settings file at once.
#pragma once

#include <cstddef>
#include <string>

// Reads the descriptor to its end onto the text, its buffer sized from
// `expectedSize` (the file size, when known); false on a read error.
bool ReadAll(int descriptor, std::string& text, std::size_t expectedSize = 0);
