// Writing a path in its shortest form with a leading environment variable:
// where a variable's value (an existing file or folder) is the leading part
// of the path, that part becomes "%NAME%". The reverse of expanding.
#pragma once

#include <cstdint>

// The shortest such form of `path`, or the path itself, in `output` (a path
// buffer). Result: the status of the final copy.
std::int32_t UnexpandPath(const char* path, char* output);
