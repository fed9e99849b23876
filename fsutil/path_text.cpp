// Path text operations over the multibyte-aware searches of the settings
// layer; a separator is any of this system's ('\' and '/' on Windows).
#include "fsutil/path_text.h"

#include "platform/code_page.h"
#include "platform/text/path_spelling.h"
#include "settings/text_search.h"
#include "platform/win32.h"
#include <cstring>

bool HasColon(const char* text) {
    return FindChar(text, ':') != nullptr;
}

char* DirectoryPart(const char* path, char* output) {
    if (output != nullptr)
        CutToFolder(path, output, kPathBufferSize);
    return output;
}

const char* ExtensionOf(const char* path) {
    const char* dot = FindLastChar(path, '.');
    return dot != nullptr ? dot + 1 : nullptr;
}

int ClassifyPath(const char* text) {
    if (text == nullptr)
        return kPathRelative;
    if (FindSeparator(text) == nullptr)
        return kPathBareName;
    if (text[0] == '%')
        return kPathAbsolute;
    if (text[0] == '.')
        return kPathDotRelative;
    if (IsPathSeparator(text[0]))
        return kPathRooted;
    if (text[1] == ':')
        return kPathAbsolute;
    return kPathRelative;
}

void SplitPathPieces(const char* path, PathPieceList& list) {
    const std::size_t total = std::strlen(path);
    std::size_t consumed = 0;
    const char* separator = FindSeparator(path);
    const char* cut = separator != nullptr ? separator + 1 : nullptr;
    while (cut != nullptr) {
        char piece[kPathBufferSize];
        BoundedCopyN(piece, kPathBufferSize, path + consumed,
                     static_cast<std::size_t>(cut - (path + consumed)));
        list.Append(piece);
        consumed += std::strlen(piece);
        // A separator right after a cut begins the next piece; the search
        // goes on from the character after it, which may be a double-byte one.
        if (*cut == '\0' || consumed >= total) {
            cut = nullptr;
        } else {
            separator = FindSeparator(NextCharacter(cut));
            cut = separator != nullptr ? separator + 1 : nullptr;
        }
    }
    if (consumed < total) {
        char piece[kPathBufferSize];
        BoundedCopy(piece, kPathBufferSize, path + consumed);
        list.Append(piece);
    }
}
