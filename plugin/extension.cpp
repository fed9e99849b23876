// The extension cut: a plain byte search from the end. It is deliberately not
// multibyte-aware and does not stop at a path separator: a dot in a folder
// name counts when the file name has none, and such an "extension" (with a
// separator in it) matches no group.
#include "extension.h"

#include "bounded_string.h"
#include <cstring>

void ExtractExtension(const char* path, char* extension) {
    char local[kPathBufferSize];
    BoundedCopy(local, kPathBufferSize, path);
    const char* dot = std::strrchr(local, '.');
    if (dot != nullptr && dot[1] != '\0')
        BoundedCopy(extension, kPathBufferSize, dot + 1);
}
