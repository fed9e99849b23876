// Linux: what the file, volume and reparse calls of platform/linux/ share:
// what a file handle of CreateFileA holds, Windows' read-only rule, and the
// folder test that a path written with a trailing separator asks for.
#pragma once

#include "platform/linux/system_calls.h"
#include "platform/win32.h"
#include <cstdint>
#include <cstring>
#include <sys/stat.h>

// Read-only as Windows means it: a regular file that no one may write. A
// file that some may write is left to the system to allow or refuse.
inline bool IsReadOnlyFile(mode_t mode) {
    return S_ISREG(mode) && (mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

// Whether a path's text ends in a separator. Windows keeps such a separator
// through its own reduction of the spelling and then finds only a folder
// there, so ours, which drops it, must ask again (EndsInSeparator and
// NamesFolder below) wherever a file would otherwise answer.
inline bool EndsInSeparator(const char* path) {
    const std::size_t length = std::strlen(path);
    return length > 0 && path[length - 1] == '/';
}

// Whether the entry at a reduced path is a folder or a link to one.
inline bool NamesFolder(const char* path) {
    struct stat target;
    return System().stat(path, &target) == 0 && S_ISDIR(target.st_mode);
}

// A file handle of CreateFileA carries its descriptor (for an entry opened
// as itself, an O_PATH one) in its value, one above it so that descriptor 0
// is no null handle: opening a file allocates nothing, and the plugin's
// watch opens its settings file at every look, within a value request.
inline HANDLE HandleOfDescriptor(int descriptor) {
    return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(descriptor) + 1);
}
inline int DescriptorOf(HANDLE handle) {
    return static_cast<int>(reinterpret_cast<std::intptr_t>(handle) - 1);
}
