// Linux: what a file handle of CreateFileA holds, shared by the file, volume
// and reparse calls of platform/linux/.
#pragma once

#include <sys/stat.h>

// Read-only as Windows means it: a regular file that no one may write. A
// file that some may write is left to the system to allow or refuse.
inline bool IsReadOnlyFile(mode_t mode) {
    return S_ISREG(mode) && (mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

struct LinuxFileHandle {
    int descriptor; // for an entry opened as itself: an O_PATH descriptor
};
