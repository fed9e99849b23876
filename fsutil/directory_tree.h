// Directory contents: emptiness and existence tests, deleting the files of
// one directory, removing a tree from the bottom up, and finding a free
// numbered path. Removal never leaves the tree it was given: links and
// mounted folders (reparse points) are never descended into, however the
// root is spelt, and an entry whose path does not fit a path buffer is left
// alone rather than handled under a cut name.
#pragma once

#include <cstdint>

int IsDirectoryEmpty(const char* directory);
int DirectoryExists(const char* path);
// Deletes the plain files of the directory, not its subdirectories. Always 1.
int DeleteFilesInDirectory(const char* directory);
// Removes the directory's empty subdirectories, and with `deleteFiles` its
// files (a link is removed as itself, never what it points to), then the
// directory once it is empty. 1, or the removal result when the directory
// was empty from the start. A path naming a file, or a link to one, is left
// in place; a root that is a folder link or a mounted folder is removed as
// itself with `deleteFiles`, and never entered.
int RemoveDirectoryTree(const char* directory, int deleteFiles);
// base + prefix + counter, from `start` upwards, until the path is free.
// Result: the path's first character (non-zero), or 0 with an empty output
// when the counter would pass the largest 32-bit value or a candidate does
// not fit the path buffer.
int MakeUniquePath(const char* base, const char* prefix, std::int32_t start, char* output);
