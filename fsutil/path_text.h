// Operations on path texts that touch no file system: a colon test, the
// directory part, the extension, the kind of a path by its first characters,
// and the cutting of a path into pieces after each separator. Searches are
// multibyte-aware, so a trail byte is never taken for '\', '.' or ':'.
#pragma once

#include "fsutil/path_piece_list.h"

// The kinds ClassifyPath tells apart. The settings redirection relies on
// these exact values.
enum PathKind : int {
    kPathRelative = 0,    // no text, or a separator but none of the forms below
    kPathAbsolute = 1,    // "%..." (environment) or "X:..." (drive letter)
    kPathRooted = 2,      // begins with a separator (network or current-drive root)
    kPathDotRelative = 3, // begins with '.'
    kPathBareName = 4,    // holds no separator at all (tested first)
};

// Whether the text holds a ':' (a drive or a stream).
bool HasColon(const char* text);
// `output` (a path buffer, may be null), filled with the path up to and
// including its last separator; without a separator the output is untouched,
// and a folder longer than a path buffer leaves it empty.
char* DirectoryPart(const char* path, char* output);
// The position after the last '.' anywhere in the path, or null.
const char* ExtensionOf(const char* path);
// The text's PathKind.
int ClassifyPath(const char* text);
// Appends the path's pieces to the list: each component with its trailing
// separator, the last without one; together they are the path.
void SplitPathPieces(const char* path, PathPieceList& list);
