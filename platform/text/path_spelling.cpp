// The separator search, the folder cut and the reduction of a path's
// spelling, character by character through the C runtime's multibyte
// routines, so a double-byte character whose second byte is 0x5C stays
// whole.
#include "platform/text/path_spelling.h"

#include "platform/code_page.h"
#include "platform/win32.h"
#include <cstring>

namespace {

// The output under construction: bytes written so far, and the root's
// length, which ".." never takes away.
struct Spelling {
    char* text;
    std::size_t capacity;
    std::size_t length = 0;
    std::size_t rootLength = 0;

    // False when the bytes and a terminator do not fit.
    bool Put(const char* bytes, std::size_t count) {
        if (length + count >= capacity)
            return false;
        std::memcpy(text + length, bytes, count);
        length += count;
        return true;
    }

    // Start of the last component after the root, and of the separator
    // before it (or the root's end when there is none).
    void LastComponent(std::size_t& start, std::size_t& cut) const {
        start = cut = rootLength;
        text[length] = '\0';
        for (const char* at = text + rootLength; *at != '\0'; at = NextCharacter(at)) {
            if (IsPathSeparator(*at)) {
                cut = static_cast<std::size_t>(at - text);
                start = cut + 1;
            }
        }
    }

    // Adds a component, "." and ".." applied; false when it does not fit.
    bool Add(const char* component, std::size_t count) {
        const bool dot = count == 1 && component[0] == '.';
        const bool dotDot = count == 2 && component[0] == '.' && component[1] == '.';
        if (dot)
            return true;
        if (dotDot) {
            std::size_t start, cut;
            LastComponent(start, cut);
            const bool lastIsDotDot =
                length - start == 2 && text[start] == '.' && text[start + 1] == '.';
            if (length > rootLength && !lastIsDotDot) {
                length = cut;
                return true;
            }
            // Nothing left to take: a root stays itself, a relative path
            // keeps climbing.
            if (rootLength > 0)
                return true;
        }
        if (length > rootLength && !Put(&kPathSeparator, 1))
            return false;
        return Put(component, count);
    }
};

// Where the path's components begin, after its root ("/", "\\" or "C:\",
// "C:") is copied.
const char* PutRoot(const char* path, Spelling& out, bool& fits) {
    const char* at = path;
    if (IsPathSeparator(at[0])) {
        // Two leading separators name a network path on Windows; more are kept as two.
        const std::size_t count = IsPathSeparator(at[1]) ? 2 : 1;
        const char separators[2] = {kPathSeparator, kPathSeparator};
        fits = out.Put(separators, count);
        while (IsPathSeparator(*at))
            ++at;
    } else if (kPathsHaveDriveLetters && at[0] != '\0' && at[1] == ':' &&
               ((at[0] >= 'A' && at[0] <= 'Z') || (at[0] >= 'a' && at[0] <= 'z'))) {
        fits = out.Put(at, 2);
        at += 2;
        if (IsPathSeparator(*at)) {
            fits = fits && out.Put(&kPathSeparator, 1);
            while (IsPathSeparator(*at))
                ++at;
        }
    }
    out.rootLength = out.length;
    return at;
}

} // namespace

const char* FindSeparator(const char* text) {
    const char* first = nullptr;
    for (const char* separator = kPathSeparators; *separator != '\0'; ++separator) {
        const char* found = reinterpret_cast<const char*>(_mbschr(
            reinterpret_cast<const unsigned char*>(text), static_cast<unsigned char>(*separator)));
        if (found != nullptr && (first == nullptr || found < first))
            first = found;
    }
    return first;
}

const char* FindLastSeparator(const char* text) {
    const char* last = nullptr;
    for (const char* separator = kPathSeparators; *separator != '\0'; ++separator) {
        const char* found = reinterpret_cast<const char*>(_mbsrchr(
            reinterpret_cast<const unsigned char*>(text), static_cast<unsigned char>(*separator)));
        if (found != nullptr && (last == nullptr || found > last))
            last = found;
    }
    return last;
}

FolderCut CutToFolder(const char* path, char* output, std::size_t capacity) {
    const char* separator = nullptr;
    for (const char* at = path; *at != '\0'; at = NextCharacter(at))
        if (IsPathSeparator(*at))
            separator = at;
    if (separator == nullptr)
        return kNoFolder;
    const std::size_t length = static_cast<std::size_t>(separator - path) + 1;
    if (length >= capacity) {
        // A cut folder would name another one, further up.
        if (capacity > 0)
            output[0] = '\0';
        return kFolderTooLong;
    }
    // The path may be the output's own text: its start stays in place.
    std::memmove(output, path, length);
    output[length] = '\0';
    return kFolderCut;
}

void CutToDirectory(char* destination, const char* source) {
    if (CutToFolder(source, destination, MAX_PATH) != kFolderCut)
        destination[0] = '\0';
}

bool ReducePathSpelling(const char* path, char* output, std::size_t capacity) {
    if (capacity == 0)
        return false;
    Spelling out{output, capacity};
    bool fits = true;
    const char* at = PutRoot(path, out, fits);
    while (fits && *at != '\0') {
        const char* start = at;
        while (*at != '\0' && !IsPathSeparator(*at))
            at = NextCharacter(at);
        fits = out.Add(start, static_cast<std::size_t>(at - start));
        while (IsPathSeparator(*at))
            ++at;
    }
    if (fits && out.length == 0 && path[0] != '\0')
        fits = out.Put(".", 1);
    if (!fits) {
        output[0] = '\0';
        return false;
    }
    output[out.length] = '\0';
    return true;
}
