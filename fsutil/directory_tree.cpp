// Directory enumeration and removal over the platform's directory search
// with the pattern "<dir><separator>*.*", which matches every name.
#include "directory_tree.h"

#include "bounded_string.h"
#include "settings_location.h"
#include "win32.h"

#include <cstring>
#include <limits>

namespace {

// The search pattern for a directory; false when it does not fit, since a
// cut pattern could name another directory, and for the empty text, whose
// pattern would list the root of the file system.
bool BuildPattern(const char* directory, char* pattern) {
    return directory[0] != '\0' &&
           BoundedCopy(pattern, kPathBufferSize, directory) == kStatusSuccess &&
           BoundedAppend(pattern, kPathBufferSize, kPathSeparatorText) == kStatusSuccess &&
           BoundedAppend(pattern, kPathBufferSize, "*.*") == kStatusSuccess;
}

// An entry's full path; false when it does not fit.
bool BuildEntryPath(const char* directory, const char* name, char* path) {
    return BoundedCopy(path, kPathBufferSize, directory) == kStatusSuccess &&
           BoundedAppend(path, kPathBufferSize, kPathSeparatorText) == kStatusSuccess &&
           BoundedAppend(path, kPathBufferSize, name) == kStatusSuccess;
}

bool IsDotEntry(const char* name) {
    return CompareExact(name, ".") == 0 || CompareExact(name, "..") == 0;
}

HANDLE OpenSearch(const char* directory, WIN32_FIND_DATAA& found) {
    char pattern[kPathBufferSize];
    std::memset(&found, 0, sizeof(found));
    if (!BuildPattern(directory, pattern))
        return INVALID_HANDLE_VALUE;
    return FindFirstFileA(pattern, &found);
}

// A link is removed as itself: a directory link with RemoveDirectoryA, a
// file link with DeleteFileA; neither touches what the link points to.
void RemoveLink(const char* path, DWORD attributes) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveDirectoryA(path);
    else
        DeleteFileA(path);
}

} // namespace

int CompareExact(const char* a, const char* b) {
    return std::strcmp(a, b);
}

std::int32_t IntToText(std::int32_t value, char* output, int radix) {
    const std::size_t size = 20;
    if (radix < 2 || radix > 36) {
        output[0] = '\0';
        return kStatusInvalidArgument;
    }
    char digits[40];
    std::size_t count = 0;
    const bool negative = radix == 10 && value < 0;
    std::uint32_t rest =
        negative ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
    do {
        const unsigned digit = rest % static_cast<unsigned>(radix);
        digits[count++] = static_cast<char>(digit < 10 ? '0' + digit : 'a' + digit - 10);
        rest /= static_cast<unsigned>(radix);
    } while (rest != 0);
    if (count + (negative ? 1 : 0) + 1 > size) {
        output[0] = '\0';
        return kStatusInsufficientBuffer;
    }
    std::size_t at = 0;
    if (negative)
        output[at++] = '-';
    while (count > 0)
        output[at++] = digits[--count];
    output[at] = '\0';
    return kStatusSuccess;
}

int IsDirectoryEmpty(const char* directory) {
    WIN32_FIND_DATAA found;
    HANDLE search = OpenSearch(directory, found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    int empty = 1;
    do {
        if (!IsDotEntry(found.cFileName))
            empty = 0;
    } while (empty == 1 && FindNextFileA(search, &found));
    FindClose(search);
    return empty;
}

int DirectoryExists(const char* path) {
    WIN32_FIND_DATAA found;
    if (!FindPathEntry(path, found))
        return 0;
    return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
}

int DeleteFilesInDirectory(const char* directory) {
    WIN32_FIND_DATAA found;
    HANDLE search = OpenSearch(directory, found);
    if (search == INVALID_HANDLE_VALUE)
        return 1;
    do {
        char path[kPathBufferSize];
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
            BuildEntryPath(directory, found.cFileName, path))
            DeleteFileA(path);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return 1;
}

int RemoveDirectoryTree(const char* directory, int deleteFiles) {
    // A tree given as a link is handled as a link entry would be: never
    // entered, and removed as itself only when files are to go.
    const DWORD own = GetFileAttributesA(directory);
    if (own != INVALID_FILE_ATTRIBUTES && (own & FILE_ATTRIBUTE_REPARSE_POINT)) {
        if (deleteFiles)
            RemoveLink(directory, own);
        return 1;
    }
    if (IsDirectoryEmpty(directory))
        return RemoveDirectoryA(directory);

    WIN32_FIND_DATAA found;
    HANDLE search = OpenSearch(directory, found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            char path[kPathBufferSize];
            // An entry whose path does not fit is skipped: a cut path would
            // name something else.
            if (IsDotEntry(found.cFileName) || !BuildEntryPath(directory, found.cFileName, path))
                continue;
            const DWORD attributes = found.dwFileAttributes;
            if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                if (deleteFiles)
                    RemoveLink(path, attributes);
            } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveDirectoryTree(path, deleteFiles);
            } else if (deleteFiles) {
                DeleteFileA(path);
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    if (IsDirectoryEmpty(directory))
        RemoveDirectoryA(directory);
    return 1;
}

int MakeUniquePath(const char* base, const char* prefix, std::int32_t start, char* output) {
    for (std::int64_t counter = start;; ++counter) {
        char number[20] = {};
        if (counter > std::numeric_limits<std::int32_t>::max())
            break;
        IntToText(static_cast<std::int32_t>(counter), number, 10);
        // A candidate that had to be cut would be the same cut text for
        // every further counter: the search ends there.
        if (BoundedCopy(output, kPathBufferSize, base) != kStatusSuccess ||
            BoundedAppend(output, kPathBufferSize, prefix) != kStatusSuccess ||
            BoundedAppend(output, kPathBufferSize, number) != kStatusSuccess)
            break;
        if (!PathExists(output))
            return static_cast<signed char>(output[0]);
    }
    output[0] = '\0';
    return 0;
}
