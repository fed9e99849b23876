// Reparse-point kinds (directory junction, volume mount point, symbolic
// link) and the long-path form of a path ("\\?\" or "\\?\UNC\").
#pragma once

#include "settings/bounded_string.h"
#include <cstdint>

enum ReparseKind : int {
    kReparseNone = 0,
    kReparseJunction = 1,     // mount-point tag, substitute name with ':' (a drive path)
    kReparseVolumeMount = 2,  // mount-point tag, substitute name without ':'
    kReparseSymbolicLink = 3, // symbolic-link tag
};

// The ReparseKind of the entry the path names, asked of the entry itself
// whatever its spelling: kReparseNone for none, or for one that does not open.
int GetReparseKind(const char* path);

// The kind a reparse record tells, reading only its first `returnedBytes`
// bytes: a substitute name that does not lie within them gives none.
int ClassifyReparseData(const unsigned char* record, std::size_t returnedBytes);

// The status of the copy: `output` gets the path's long form, "\\?\UNC\"
// for a path that begins with '\' (its leading pair dropped), else "\\?\".
Status MakeLongPath(const char* path, char* output, std::uint32_t capacity);
