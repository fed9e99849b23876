// Directory contents: emptiness and existence tests, deleting the files of
// one directory, removing a tree from the bottom up, and finding a free
// numbered path. Removal never leaves the tree it was given: links and
// mounted folders (reparse points) are never descended into, however the
// root is spelt, and an entry whose path does not fit a path buffer is left
// alone rather than handled under a cut name.
#pragma once

#include <cstdint>

// 1 when the directory holds no entry but "." and "..", else 0 (also when it
// cannot be listed).
int IsDirectoryEmpty(const char* directory);
// 1 when the path names a directory, else 0.
int DirectoryExists(const char* path);
// Always 1; deletes the plain files of the directory, not its subdirectories.
int DeleteFilesInDirectory(const char* directory);
// 1, or the removal result when the directory was empty from the start.
// Removes the directory's empty subdirectories, and with `deleteFiles` its
// files (a link is removed as itself, never what it points to), then the
// directory once it is empty. A path naming a file, or a link to one, is left
// in place; a root that is a folder link or a mounted folder is removed as
// itself with `deleteFiles`, and never entered.
int RemoveDirectoryTree(const char* directory, int deleteFiles);
// The first character (non-zero) of the free path found in `output`, or 0
// with an empty output when the counter would pass the largest 32-bit value
// or a candidate does not fit the path buffer. The path is base + prefix +
// counter, from `start` upwards, until the path is free.
int MakeUniquePath(const char* base, const char* prefix, std::int32_t start, char* output);
