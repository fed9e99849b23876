// Path separators, the search for them, the folder part of a path and the one spelling of a path.
// Windows takes '\' and '/' between components and names "link", "link\", "link\\" and "link\." as
// one entry; code that must recognise an entry whatever its spelling (tree removal, queries of a
// link as itself) reduces the text first, on both systems, instead of trusting each system call to
// do it alike. What differs between the systems comes from win32.h's constants.
#pragma once

#include "platform/win32.h"
#include <cstddef>

// True for every character this system takes as a path separator: '/' on
// both, and the system's own one.
inline bool IsPathSeparator(char c) {
    return c == '/' || c == kPathSeparator;
}

// The first or last path separator in the text, or null (multibyte-aware:
// in a double-byte code page a trail byte is never taken for '\').
const char* FindSeparator(const char* text);
const char* FindLastSeparator(const char* text);

// The folder part of a path: all of it up to and including its last
// separator (multibyte-aware, so a trail byte is never taken for '\\').
enum FolderCut {
    kFolderCut,     // the folder is in the output
    kNoFolder,      // the path holds no separator; the output is untouched
    kFolderTooLong, // the folder does not fit `capacity`; the output is empty
};
FolderCut CutToFolder(const char* path, char* output, std::size_t capacity);

// Fills a path buffer (MAX_PATH bytes) with the directory part of `source`,
// up to and including its last path separator. A path without a separator,
// or whose folder is longer than a path buffer holds, has no directory part:
// the buffer is left holding the empty text.
void CutToDirectory(char* destination, const char* source);

// False, with an empty output, when the path's one spelling does not fit
// `capacity`; else true, with it in `output`. Separators collapsed to this
// system's own, "." components dropped, ".." taking the component before it
// (lexically, as Windows does), trailing separators removed; a root ("/",
// "\\", "C:\") keeps its own. The empty text stays empty and a relative path
// that reduces to nothing is ".". Multibyte-aware: a trail byte is never
// taken for a separator.
bool ReducePathSpelling(const char* path, char* output, std::size_t capacity);
