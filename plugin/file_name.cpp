// The file name and extension cut: one pass back from the end of the path
// reads the extension, and the rest of the file name only when it is asked
// for. A dot in a folder name never counts, and the second byte of a
// double-byte character is never taken for '\\'. Nothing is copied unless
// the path is longer than a path buffer.
#include "plugin/file_name.h"

#include "settings/bounded_string.h"
#include "platform/code_page.h"
#include "platform/text/path_spelling.h"
#include <cstring>

namespace {

// The parts within a text of at most 259 bytes, its end at `end`. Read back
// from the end, a dot is always a dot and '/' always a separator (no second
// byte of a character is either); only a '\\' may be the second byte of a
// double-byte character, so the code page is asked only when one is met,
// and under a double-byte code page the multibyte-aware search decides.
FileNameParts PartsOf(const char* text, const char* end, bool wholeName) {
    const char* name = end;
    while (name > text && name[-1] != '.' && !IsPathSeparator(name[-1]))
        --name;
    const char* dot = nullptr;
    if (name > text && name[-1] == '.') {
        dot = --name;
        if (!wholeName)
            return FileNameParts{nullptr, 0, dot + 1, static_cast<std::size_t>(end - dot - 1)};
        while (name > text && !IsPathSeparator(name[-1]))
            --name;
    }
    if (name > text && name[-1] != '/' && !AsciiIsNeverATrailByte()) {
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

FileNameParts SplitFileName(const char* path, bool wholeName) {
    if (const void* end = std::memchr(path, '\0', kPathBufferSize))
        return PartsOf(path, static_cast<const char*>(end), wholeName);
    // Longer than a path buffer: the cut text decides, as the host's own
    // buffer would have cut it; its parts lie at the same positions of the
    // path.
    char cut[kPathBufferSize];
    BoundedCopy(cut, kPathBufferSize, path);
    FileNameParts parts = PartsOf(cut, cut + std::strlen(cut), wholeName);
    if (parts.name != nullptr)
        parts.name = path + (parts.name - cut);
    parts.extension = path + (parts.extension - cut);
    return parts;
}
