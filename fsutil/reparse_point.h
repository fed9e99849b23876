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

int GetReparseKind(const char* path);

// The kind a reparse record tells, reading only its first `returnedBytes`
// bytes: a substitute name that does not lie within them gives none.
int ClassifyReparseData(const unsigned char* record, std::size_t returnedBytes);

Status MakeLongPath(const char* path, char* output, std::uint32_t capacity);
