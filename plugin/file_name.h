// Cutting the file name and its extension from the path the host names.
#pragma once

#include <cstddef>

struct FileNameParts {
    const char* name; // the path's last component
    std::size_t nameLength;
    const char* extension; // after the name's last '.', without it
    std::size_t extensionLength;
};

// The parts as positions in the path; the extension is empty for a name
// without a dot or ending in one, and keeps its case. Only the path's first
// 259 bytes count, as a path buffer holds them. Without `wholeName` the name
// may be left null and empty, which saves reading it back to its start when
// only the extension is looked up (a table without masks).
FileNameParts SplitFileName(const char* path, bool wholeName = true);
