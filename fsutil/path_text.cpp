// Path text operations over the multibyte-aware searches of the settings
// layer; "separator" is this system's path separator.
#include "path_text.h"

#include "text_search.h"
#include "win32.h"
#include <cstring>

namespace {
const unsigned int kSeparator = static_cast<unsigned char>(kPathSeparator);
}

int HasNoColon(const char* text) {
    return FindChar(text, ':') == nullptr ? 1 : 0;
}

char* DirectoryPart(const char* path, char* output) {
    const char* separator = FindLastChar(path, kSeparator);
    if (separator != nullptr && output != nullptr)
        BoundedCopyN(output, kPathBufferSize, path, static_cast<std::size_t>(separator - path) + 1);
    return output;
}

const char* ExtensionOf(const char* path) {
    const char* dot = FindLastChar(path, '.');
    return dot != nullptr ? dot + 1 : nullptr;
}

int ClassifyPath(const char* text) {
    if (text == nullptr)
        return kPathRelative;
    if (FindChar(text, kSeparator) == nullptr)
        return kPathBareName;
    if (text[0] == '%')
        return kPathAbsolute;
    if (text[0] == '.')
        return kPathDotRelative;
    if (text[0] == kPathSeparator)
        return kPathRooted;
    if (text[1] == ':')
        return kPathAbsolute;
    return kPathRelative;
}

void SplitPathPieces(const char* path, PathPieceList& list) {
    const std::size_t total = std::strlen(path);
    std::size_t consumed = 0;
    const char* separator = FindChar(path, kSeparator);
    const char* cut = separator != nullptr ? separator + 1 : nullptr;
    while (cut != nullptr) {
        char piece[kPathBufferSize];
        BoundedCopyN(piece, kPathBufferSize, path + consumed,
                     static_cast<std::size_t>(cut - (path + consumed)));
        list.Append(piece);
        consumed += std::strlen(piece);
        // A separator right after a cut begins the next piece.
        if (*cut == '\0' || consumed >= total) {
            cut = nullptr;
        } else {
            separator = FindChar(cut + 1, kSeparator);
            cut = separator != nullptr ? separator + 1 : nullptr;
        }
    }
    if (consumed < total) {
        char piece[kPathBufferSize];
        BoundedCopy(piece, kPathBufferSize, path + consumed);
        list.Append(piece);
    }
}
