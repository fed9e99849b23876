// Cutting the extension from the path the host names.
#pragma once

#include <cstddef>

// The text after the last '.' of the file name (the path's last component),
// without the dot and without any change of case, as a position in the path
// and a length; the empty text for a name without a dot or ending in one.
// Only the path's first 259 bytes count, as a path buffer holds them.
const char* ExtensionOf(const char* path, std::size_t& length);
