// Directory enumeration and removal over the platform's directory search
// with the pattern "<dir><separator>*.*", which matches every name.
#include "fsutil/directory_tree.h"

#include "settings/bounded_string.h"
#include "platform/text/path_spelling.h"
#include "fsutil/reparse_point.h"
#include "settings/settings_location.h"
#include "platform/win32.h"

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

// 0 exactly when the texts are equal, character for character.
int CompareExact(const char* a, const char* b) {
    return std::strcmp(a, b);
}

bool IsDotEntry(const char* name) {
    return CompareExact(name, ".") == 0 || CompareExact(name, "..") == 0;
}

// The search of the directory's entries, the first in `found`;
// INVALID_HANDLE_VALUE when its pattern does not fit or nothing is found.
HANDLE OpenSearch(const char* directory, WIN32_FIND_DATAA& found) {
    char pattern[kPathBufferSize];
    std::memset(&found, 0, sizeof(found));
    if (!BuildPattern(directory, pattern))
        return INVALID_HANDLE_VALUE;
    return FindFirstFileA(pattern, &found);
}

// The identity of what the path opens, as itself or through a link; false
// when it does not open.
bool OpenIdentity(const char* path, DWORD flags, BY_HANDLE_FILE_INFORMATION& info) {
    HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool known = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    return known;
}

// Whether the system addresses the folder link as itself, apart from the
// folder it points to. Wine, for one, opens and removes the target instead:
// a removal of the "link" there would remove an empty folder outside.
bool AddressesLinkItself(const char* path) {
    BY_HANDLE_FILE_INFORMATION link = {};
    BY_HANDLE_FILE_INFORMATION target = {};
    if (!OpenIdentity(path, FILE_FLAG_OPEN_REPARSE_POINT, link))
        return false;
    if (!OpenIdentity(path, 0, target))
        return true;
    return link.dwVolumeSerialNumber != target.dwVolumeSerialNumber ||
           link.nFileIndexHigh != target.nFileIndexHigh ||
           link.nFileIndexLow != target.nFileIndexLow;
}

// A link is removed as itself: a file link with DeleteFileA, a folder link
// with RemoveDirectoryA once it is sure to be the link that goes; neither
// touches what the link points to. A mounted folder stays mounted.
void RemoveLink(const char* path, DWORD attributes) {
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        DeleteFileA(path);
        return;
    }
    if (GetReparseKind(path) != kReparseVolumeMount && AddressesLinkItself(path))
        RemoveDirectoryA(path);
}

} // namespace

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

namespace {

// RemoveDirectoryTree's result, for a tree whose root text is already in its
// one spelling.
int RemoveTree(const char* directory, int deleteFiles) {
    // A tree that is a link or a mounted folder is handled as such an entry
    // would be: never entered, and removed as itself only when files are to
    // go. A file, or a link to one, is no tree and stays.
    const DWORD own = GetFileAttributesA(directory);
    if (own != INVALID_FILE_ATTRIBUTES && (own & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return 1;
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
                RemoveTree(path, deleteFiles);
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

} // namespace

int RemoveDirectoryTree(const char* directory, int deleteFiles) {
    // Every spelling of the root ("link", "link/", "link//", "link/.", "a//link")
    // is reduced to one before anything is tested, so a link or a mounted
    // folder is recognised as one whatever the system makes of the others.
    char root[kPathBufferSize];
    if (!ReducePathSpelling(directory, root, kPathBufferSize) || root[0] == '\0')
        return 1;
    return RemoveTree(root, deleteFiles);
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
