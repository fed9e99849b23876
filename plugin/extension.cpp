// The file name and extension cut. The file name begins after the last path
// separator, found with the multibyte-aware search so that the second byte
// of a double-byte character is never taken for '\'; the dot is then a
// plain byte search, since no trail byte is a dot. A dot in a folder name
// never counts. Nothing is copied unless the path is longer than a path
// buffer.
#include "extension.h"

#include "bounded_string.h"
#include "code_page.h"
#include "path_spelling.h"
#include "text_search.h"
#include <cstring>

namespace {

// The parts within a text of at most 259 bytes, its end at `end`.
FileNameParts PartsOf(const char* text, const char* end) {
    const char* name = text;
    const char* dot = nullptr;
    if (AsciiIsNeverATrailByte()) {
        // One pass back from the end finds the last dot and the separator
        // before it; no second byte of a character can look like either.
        for (const char* at = end; at > text; --at) {
            if (IsPathSeparator(at[-1])) {
                name = at;
                break;
            }
            if (dot == nullptr && at[-1] == '.')
                dot = at - 1;
        }
    } else {
        const char* separator = FindLastSeparator(text);
        name = separator != nullptr ? separator + 1 : text;
        dot = std::strrchr(name, '.');
    }
    FileNameParts parts;
    parts.name = name;
    parts.nameLength = static_cast<std::size_t>(end - name);
    parts.extension = dot != nullptr ? dot + 1 : end;
    parts.extensionLength = static_cast<std::size_t>(end - parts.extension);
    return parts;
}

} // namespace

FileNameParts SplitFileName(const char* path) {
    if (const void* end = std::memchr(path, '\0', kPathBufferSize))
        return PartsOf(path, static_cast<const char*>(end));
    // Longer than a path buffer: the cut text decides, as the host's own
    // buffer would have cut it; its parts lie at the same positions of the
    // path.
    char cut[kPathBufferSize];
    BoundedCopy(cut, kPathBufferSize, path);
    FileNameParts parts = PartsOf(cut, cut + std::strlen(cut));
    parts.name = path + (parts.name - cut);
    parts.extension = path + (parts.extension - cut);
    return parts;
}
