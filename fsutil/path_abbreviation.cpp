// UnexpandPath walks the process's environment block in its own order; of
// equally short forms the earlier variable's stays. The value must match the
// path's leading characters without regard to case; it need not end at a
// separator. Entries whose name or value exceed the platform's 32767
// characters are outside what a variable can be, and are skipped.
#include "fsutil/path_abbreviation.h"

#include "settings/bounded_string.h"
#include "settings/settings_location.h"
#include "settings/text_search.h"
#include "platform/win32.h"

#include <cstring>

namespace {

constexpr std::size_t kWorkSize = 32768;

} // namespace

std::int32_t UnexpandPath(const char* path, char* output) {
    char best[kPathBufferSize] = {};
    BoundedCopy(best, kPathBufferSize, path);
    char* block = GetEnvironmentStrings();
    if (block == nullptr)
        return BoundedCopy(output, kPathBufferSize, path);

    // Fixed comparison buffers, as large as a variable can be; no heap
    // memory. The path is lower-cased once, each value in its turn.
    char lowerPath[kWorkSize];
    char lowerValue[kWorkSize];
    const std::size_t pathLength = std::strlen(path);
    BoundedCopy(lowerPath, kWorkSize, path);
    ToLowerInPlace(lowerPath, kWorkSize);
    for (const char* entry = block; *entry != '\0'; entry += std::strlen(entry) + 1) {
        const char* equals = std::strchr(entry + 1, '=');
        const char* name = entry;
        std::size_t nameLength;
        const char* value;
        if (entry[0] == '=') {
            nameLength = 0;
            value = entry + 1;
        } else if (equals == nullptr) {
            nameLength = std::strlen(entry);
            value = entry + nameLength;
        } else {
            nameLength = static_cast<std::size_t>(equals - entry);
            value = equals + 1;
        }
        const std::size_t valueLength = std::strlen(value);
        if (nameLength >= kWorkSize || valueLength >= kWorkSize)
            continue;

        if (!PathExists(value))
            continue;
        BoundedCopy(lowerValue, kWorkSize, value);
        ToLowerInPlace(lowerValue, kWorkSize);
        const char* found = FindSubstring(lowerPath, lowerValue);
        if (found == nullptr || CompareNoCase(found, path) != 0)
            continue;

        char candidate[kPathBufferSize] = {};
        char nameText[kPathBufferSize] = {};
        BoundedCopyN(nameText, kPathBufferSize, name, nameLength);
        BoundedCopy(candidate, kPathBufferSize, "%");
        BoundedAppend(candidate, kPathBufferSize, nameText);
        BoundedAppend(candidate, kPathBufferSize, "%");
        if (valueLength <= pathLength)
            BoundedAppendN(candidate, kPathBufferSize, path + valueLength,
                           pathLength - valueLength);
        if (std::strlen(candidate) < std::strlen(best))
            BoundedCopy(best, kPathBufferSize, candidate);
    }
    FreeEnvironmentStringsA(block);
    return BoundedCopy(output, kPathBufferSize, best);
}
