// The extension cut. The file name begins after the last path separator,
// found with the multibyte-aware search so that the second byte of a
// double-byte character is never taken for '\'; the dot is then a plain
// byte search, since no trail byte is a dot. A dot in a folder name never
// counts. Nothing is copied unless the path is longer than a path buffer.
#include "extension.h"

#include "bounded_string.h"
#include "text_search.h"
#include <cstring>

namespace {

// The extension within a text of at most 259 bytes, as a position in it.
const char* ExtensionIn(const char* text, std::size_t& length) {
    const char* separator = FindLastSeparator(text);
    const char* name = separator != nullptr ? separator + 1 : text;
    const char* dot = std::strrchr(name, '.');
    if (dot == nullptr) {
        length = 0;
        return name + std::strlen(name);
    }
    length = std::strlen(dot + 1);
    return dot + 1;
}

} // namespace

const char* ExtensionOf(const char* path, std::size_t& length) {
    if (std::memchr(path, '\0', kPathBufferSize) != nullptr)
        return ExtensionIn(path, length);
    // Longer than a path buffer: the cut text decides, as the host's own
    // buffer would have cut it. Its extension lies within the first 259 bytes
    // of the path, at the same position.
    char cut[kPathBufferSize];
    BoundedCopy(cut, kPathBufferSize, path);
    const char* extension = ExtensionIn(cut, length);
    return path + (extension - cut);
}
