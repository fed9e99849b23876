// The file name and extension cut. The file name begins after the last path
// separator, found with the multibyte-aware search so that the second byte
// of a double-byte character is never taken for '\'; the dot is then a
// plain byte search, since no trail byte is a dot. A dot in a folder name
// never counts. Nothing is copied unless the path is longer than a path
// buffer.
#include "extension.h"

#include "bounded_string.h"
#include "text_search.h"
#include <cstring>

namespace {

// The parts within a text of at most 259 bytes.
FileNameParts PartsOf(const char* text) {
    const char* separator = FindLastSeparator(text);
    FileNameParts parts;
    parts.name = separator != nullptr ? separator + 1 : text;
    parts.nameLength = std::strlen(parts.name);
    const char* dot = std::strrchr(parts.name, '.');
    parts.extension = dot != nullptr ? dot + 1 : parts.name + parts.nameLength;
    parts.extensionLength =
        static_cast<std::size_t>(parts.name + parts.nameLength - parts.extension);
    return parts;
}

} // namespace

FileNameParts SplitFileName(const char* path) {
    if (std::memchr(path, '\0', kPathBufferSize) != nullptr)
        return PartsOf(path);
    // Longer than a path buffer: the cut text decides, as the host's own
    // buffer would have cut it; its parts lie at the same positions of the
    // path.
    char cut[kPathBufferSize];
    BoundedCopy(cut, kPathBufferSize, path);
    FileNameParts parts = PartsOf(cut);
    parts.name = path + (parts.name - cut);
    parts.extension = path + (parts.extension - cut);
    return parts;
}
