// Path separators, the folder part of a path and the one spelling of a path. Windows takes '\' and
// '/' between components and names "link", "link\", "link\\" and "link\." as one entry; code that
// must recognise an entry whatever its spelling (tree removal, queries of a link as itself) reduces
// the text first, on both systems, instead of trusting each system call to do it alike.
#pragma once

#include <cstddef>

// True for every character this system takes as a path separator.
inline bool IsPathSeparator(char c) {
#ifdef _WIN32
    return c == '\\' || c == '/';
#else
    return c == '/';
#endif
}

// The folder part of a path: all of it up to and including its last
// separator (multibyte-aware, so a trail byte is never taken for '\\').
enum FolderCut {
    kFolderCut,     // the folder is in the output
    kNoFolder,      // the path holds no separator; the output is untouched
    kFolderTooLong, // the folder does not fit `capacity`; the output is empty
};
FolderCut CutToFolder(const char* path, char* output, std::size_t capacity);

// Separators collapsed to this system's own, "." components dropped, ".."
// taking the component before it (lexically, as Windows does), trailing
// separators removed; a root ("/", "\\", "C:\") keeps its own. The empty
// text stays empty and a relative path that reduces to nothing is ".".
// Multibyte-aware: a trail byte is never taken for a separator. False, with
// an empty output, when the result does not fit `capacity`.
bool ReducePathSpelling(const char* path, char* output, std::size_t capacity);
