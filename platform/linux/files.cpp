// Linux: file attributes and the first-match/next-match directory search of
// Windows. A pattern whose last component holds '*' or '?' lists a directory
// ("." and ".." included, names matched without regard to ASCII case, "*.*"
// matching every name); any other pattern finds the one entry of that path.
// As on Windows, a pattern that ends in a separator finds nothing, a path is
// taken in its one spelling ("link/." is the link), and links and mounted
// folders are reparse points.
#ifndef _WIN32
#include "../name_pattern.h"
#include "../path_spelling.h"
#include "../win32.h"
#include "file_handle.h"
#include "mounts.h"
#include <climits>
#include <cstring>
#include <dirent.h>
#include <string>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>
#include "system_calls.h"

namespace {

struct Search {
    DIR* directory = nullptr; // none for a single-entry search
    std::string folder;       // with its trailing separator
    std::string pattern;
};

DWORD AttributesOf(const char* path) {
    struct stat entry;
    if (System().lstat(path, &entry) != 0)
        return INVALID_FILE_ATTRIBUTES;
    if (S_ISLNK(entry.st_mode)) {
        // A link is reported as itself, as a Windows symbolic link is; it
        // carries the directory bit when it points at a directory.
        struct stat target;
        DWORD attributes = FILE_ATTRIBUTE_REPARSE_POINT;
        if (System().stat(path, &target) == 0 && S_ISDIR(target.st_mode))
            attributes |= FILE_ATTRIBUTE_DIRECTORY;
        return attributes;
    }
    if (S_ISDIR(entry.st_mode)) {
        // A mounted folder is a reparse point, as on Windows, so that no
        // walk of a tree enters another file system's tree.
        return IsMountPoint(path) ? FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT
                                  : FILE_ATTRIBUTE_DIRECTORY;
    }
    DWORD attributes = FILE_ATTRIBUTE_ARCHIVE;
    if (IsReadOnlyFile(entry.st_mode))
        attributes |= FILE_ATTRIBUTE_READONLY;
    return attributes;
}

FILETIME FileTimeOf(const struct timespec& time) {
    // 100-nanosecond steps since 1601-01-01, the Windows epoch.
    const unsigned long long epochOffset = 11644473600ULL;
    unsigned long long ticks =
        (static_cast<unsigned long long>(time.tv_sec) + epochOffset) * 10000000ULL +
        static_cast<unsigned long long>(time.tv_nsec) / 100ULL;
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

bool FillFindData(const std::string& folder, const char* name, LPWIN32_FIND_DATAA data) {
    std::string path = folder + name;
    size_t nameLength = std::strlen(name);
    if (nameLength >= MAX_PATH)
        return false;
    DWORD attributes = AttributesOf(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    std::memset(data, 0, sizeof(*data));
    data->dwFileAttributes = attributes;
    struct stat entry;
    if (System().lstat(path.c_str(), &entry) == 0) {
        data->ftCreationTime = FileTimeOf(entry.st_ctim);
        data->ftLastAccessTime = FileTimeOf(entry.st_atim);
        data->ftLastWriteTime = FileTimeOf(entry.st_mtim);
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            unsigned long long size = static_cast<unsigned long long>(entry.st_size);
            data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
            data->nFileSizeLow = static_cast<DWORD>(size);
        }
    }
    std::memcpy(data->cFileName, name, nameLength + 1);
    return true;
}

bool NextMatch(Search* search, LPWIN32_FIND_DATAA data) {
    while (dirent* entry = readdir(search->directory)) {
        if (MatchesNamePattern(search->pattern.data(), search->pattern.size(), entry->d_name,
                               std::strlen(entry->d_name)) &&
            FillFindData(search->folder, entry->d_name, data))
            return true;
    }
    return false;
}

// Whether a component starting at `at` is "." or "..".
bool IsDotComponent(const char* at) {
    if (at[0] != '.')
        return false;
    const char after = at[1] == '.' ? at[2] : at[1];
    return after == '/' || after == '\0';
}

// Whether a path is in its one spelling already: no empty, "." or ".."
// component and no trailing separator. A byte test suffices here, where '/'
// is the only separator and neither it nor '.' is ever the second byte of
// a character; the C library's fast searches look for the two pairs that
// can begin such a component.
bool IsReducedSpelling(const char* path) {
    if (IsDotComponent(path) || std::strstr(path, "//") != nullptr)
        return false;
    for (const char* at = std::strstr(path, "/."); at != nullptr; at = std::strstr(at + 2, "/.")) {
        if (IsDotComponent(at + 1))
            return false;
    }
    const std::size_t length = std::strlen(path);
    return path[length - 1] != '/' || length == 1;
}

} // namespace

DWORD GetFileAttributesA(LPCSTR path) {
    // Every spelling of an entry names the entry itself, as on Windows: a
    // link written "link/" or "link/." is still reported as the link, not as
    // its target. A file written with a trailing separator is not found.
    if (path == nullptr || *path == '\0') {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    if (IsReducedSpelling(path)) {
        const DWORD attributes = AttributesOf(path);
        if (attributes == INVALID_FILE_ATTRIBUTES)
            SetLastError(ERROR_FILE_NOT_FOUND);
        return attributes;
    }
    char entry[PATH_MAX];
    if (!ReducePathSpelling(path, entry, sizeof(entry))) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    DWORD attributes = AttributesOf(entry);
    if (path[std::strlen(path) - 1] == '/' && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        attributes = INVALID_FILE_ATTRIBUTES;
    if (attributes == INVALID_FILE_ATTRIBUTES)
        SetLastError(ERROR_FILE_NOT_FOUND);
    return attributes;
}

BOOL GetFileAttributesExA(LPCSTR path, GET_FILEEX_INFO_LEVELS, LPVOID information) {
    // The entry as GetFileAttributesA names it: a link is described as
    // itself, not as its target.
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return FALSE;
    char entry[PATH_MAX];
    struct stat status;
    if (!ReducePathSpelling(path, entry, sizeof(entry)) || System().lstat(entry, &status) != 0) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    auto* data = static_cast<WIN32_FILE_ATTRIBUTE_DATA*>(information);
    *data = WIN32_FILE_ATTRIBUTE_DATA{attributes,
                                      FileTimeOf(status.st_ctim),
                                      FileTimeOf(status.st_atim),
                                      FileTimeOf(status.st_mtim),
                                      0,
                                      0};
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        const unsigned long long size = static_cast<unsigned long long>(status.st_size);
        data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
        data->nFileSizeLow = static_cast<DWORD>(size);
    }
    return TRUE;
}

HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data) {
    size_t length = pattern != nullptr ? std::strlen(pattern) : 0;
    if (length == 0 || pattern[length - 1] == '/') {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    std::string text(pattern, length);
    size_t cut = text.rfind('/');
    std::string folder = cut == std::string::npos ? std::string() : text.substr(0, cut + 1);
    std::string name = cut == std::string::npos ? text : text.substr(cut + 1);

    Search* search = new Search;
    search->folder = folder;
    if (name.find_first_of("*?") == std::string::npos) {
        if (name == "." || name == ".." || !FillFindData(folder, name.c_str(), data)) {
            delete search;
            SetLastError(ERROR_FILE_NOT_FOUND);
            return INVALID_HANDLE_VALUE;
        }
        return search;
    }
    search->pattern = (name == "*.*") ? std::string("*") : name;
    search->directory = opendir(folder.empty() ? "." : folder.c_str());
    if (search->directory == nullptr || !NextMatch(search, data)) {
        FindClose(search);
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    return search;
}

BOOL FindNextFileA(HANDLE handle, LPWIN32_FIND_DATAA data) {
    Search* search = static_cast<Search*>(handle);
    if (search == nullptr || handle == INVALID_HANDLE_VALUE) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (search->directory == nullptr || !NextMatch(search, data)) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    return TRUE;
}

BOOL FindClose(HANDLE handle) {
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    Search* search = static_cast<Search*>(handle);
    if (search->directory != nullptr)
        closedir(search->directory);
    delete search;
    return TRUE;
}
namespace {

// The entry a name stands for, in its one spelling, and its state (a link
// as itself); false, with the error set, when there is none.
bool FindEntry(LPCSTR name, char (&path)[PATH_MAX], struct stat& entry) {
    if (name == nullptr || !ReducePathSpelling(name, path, sizeof(path)) ||
        System().lstat(path, &entry) != 0) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return false;
    }
    return true;
}

} // namespace

BOOL DeleteFileA(LPCSTR name) {
    char path[PATH_MAX];
    struct stat entry;
    if (!FindEntry(name, path, entry))
        return FALSE;
    if (S_ISDIR(entry.st_mode) || IsReadOnlyFile(entry.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (unlink(path) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return TRUE;
}

BOOL RemoveDirectoryA(LPCSTR name) {
    // "dir/" and "dir/." are the directory itself; "link/" is the link, as
    // on Windows. A mount point is never unmounted: rmdir refuses it.
    char path[PATH_MAX];
    struct stat entry;
    if (!FindEntry(name, path, entry))
        return FALSE;
    if (S_ISLNK(entry.st_mode)) {
        struct stat target;
        if (System().stat(path, &target) != 0 || !S_ISDIR(target.st_mode)) {
            SetLastError(ERROR_DIRECTORY);
            return FALSE;
        }
        return unlink(path) == 0 ? TRUE : FALSE;
    }
    if (rmdir(path) != 0) {
        SetLastError(errno == ENOTEMPTY || errno == EEXIST ? ERROR_DIR_NOT_EMPTY
                     : errno == ENOTDIR                    ? ERROR_DIRECTORY
                                                           : ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return TRUE;
}
#endif
