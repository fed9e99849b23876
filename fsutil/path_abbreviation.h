// Writing a path in its shortest form with a leading environment variable:
// where a variable's value (an existing file or folder) is the leading part
// of the path, that part becomes "%NAME%". The reverse of expanding.
#pragma once

#include <cstdint>

// The status of the final copy into `output` (a path buffer), which gets
// the shortest such form of `path`, or the path itself.
std::int32_t UnexpandPath(const char* path, char* output);
