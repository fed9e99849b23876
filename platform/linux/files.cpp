// Linux: file attributes and the first-match/next-match directory search of
// Windows. A pattern whose last component holds '*' or '?' lists a directory
// ("." and ".." included, names matched without regard to ASCII case, "*.*"
// matching every name); any other pattern finds the one entry of that path.
// As on Windows, a pattern that ends in a separator finds nothing, a path is
// taken in its one spelling ("link/." is the link), and links and mounted
// folders are reparse points. Also the deletion and renaming of entries.
#include "platform/text/name_pattern.h"
#include "platform/text/path_spelling.h"
#include "platform/win32.h"
#include "platform/linux/file_handle.h"
#include "platform/linux/file_time.h"
#include "platform/linux/mounts.h"
#include <climits>
#include <cstring>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>
#include "platform/linux/system_calls.h"

namespace {

struct Search {
    DIR* directory = nullptr; // none for a single-entry search
    std::string folder;       // with its trailing separator
    std::string pattern;
};
// The handle of every single-entry search: it has no next entry, and is
// shared, never changed and never freed.
Search singleEntry;

// FILE_ATTRIBUTE_HIDDEN for a name that begins with a dot, else 0: such a
// name is hidden on Linux, as file managers and `ls` treat it; Windows says
// so by an attribute, which this layer gives it.
DWORD HiddenAttribute(const char* path) {
    const char* separator = std::strrchr(path, '/');
    const char* name = separator != nullptr ? separator + 1 : path;
    const bool dotted =
        name[0] == '.' && std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0;
    return dotted ? FILE_ATTRIBUTE_HIDDEN : 0;
}

// The attributes that the entry's kind and permissions give it.
DWORD KindAttributes(const char* path, struct stat& entry) {
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

// The attributes of the entry at this path, its own status (a link's, not
// its target's) in `entry`.
DWORD AttributesOf(const char* path, struct stat& entry) {
    const DWORD attributes = KindAttributes(path, entry);
    return attributes == INVALID_FILE_ATTRIBUTES ? attributes : attributes | HiddenAttribute(path);
}

// The attributes, times and size of an entry, as the system's find and
// attribute records hold them (a folder has no size).
template <typename Record>
void PutStatus(DWORD attributes, const struct stat& entry, Record& record) {
    record.dwFileAttributes = attributes;
    record.ftCreationTime = FileTimeOf(entry.st_ctim);
    record.ftLastAccessTime = FileTimeOf(entry.st_atim);
    record.ftLastWriteTime = FileTimeOf(entry.st_mtim);
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        const unsigned long long size = static_cast<unsigned long long>(entry.st_size);
        record.nFileSizeHigh = static_cast<DWORD>(size >> 32);
        record.nFileSizeLow = static_cast<DWORD>(size);
    }
}

// The record of the entry at `path`, whose last component is `name`; false
// when the name is too long for it or the entry cannot be queried.
bool FillFindData(const char* path, const char* name, LPWIN32_FIND_DATAA data) {
    size_t nameLength = std::strlen(name);
    if (nameLength >= MAX_PATH)
        return false;
    struct stat entry;
    const DWORD attributes = AttributesOf(path, entry);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    std::memset(data, 0, sizeof(*data));
    PutStatus(attributes, entry, *data);
    std::memcpy(data->cFileName, name, nameLength + 1);
    return true;
}

// The record of the search's next entry that matches its pattern; false
// when there is none.
bool NextMatch(Search* search, LPWIN32_FIND_DATAA data) {
    while (dirent* entry = System().readdir(search->directory)) {
        if (MatchesNamePattern(search->pattern.data(), search->pattern.size(), entry->d_name,
                               std::strlen(entry->d_name)) &&
            FillFindData((search->folder + entry->d_name).c_str(), entry->d_name, data))
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

// Whether a path may be queried as it is written: no "." or ".." component
// and no trailing separator. Doubled separators pass: the system takes them
// as one, as the reduction does, so they never change the entry a query
// names. A byte test suffices here, where '/' is the only separator and
// neither it nor '.' is ever the second byte of a character; the C
// library's fast search looks for the pair that can begin such a
// component.
bool IsReducedSpelling(const char* path) {
    if (IsDotComponent(path))
        return false;
    for (const char* at = std::strstr(path, "/."); at != nullptr; at = std::strstr(at + 2, "/.")) {
        if (IsDotComponent(at + 1))
            return false;
    }
    const std::size_t length = std::strlen(path);
    return path[length - 1] != '/' || length == 1;
}

// Why a query of an entry failed, in Windows' words: a person told that a
// file "does not exist" when it cannot be reached or its name is too long
// looks for the wrong fault.
DWORD QueryError(int error) {
    switch (error) {
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
        return ERROR_ACCESS_DENIED;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case ELOOP:
        return ERROR_CANT_RESOLVE_FILENAME;
    default:
        return ERROR_FILE_NOT_FOUND;
    }
}

// The attributes of the entry a path names in any of its spellings, its
// own status in `entry`; INVALID_FILE_ATTRIBUTES, with the last error set,
// when there is none. A link written "link/" or "link/." is still the link,
// as on Windows; a file written with a trailing separator is not found.
DWORD EntryAttributes(LPCSTR path, struct stat& entry) {
    if (path == nullptr || *path == '\0') {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    char reduced[PATH_MAX];
    const char* spelled = path;
    if (!IsReducedSpelling(path)) {
        if (!ReducePathSpelling(path, reduced, sizeof(reduced))) {
            SetLastError(ERROR_PATH_NOT_FOUND);
            return INVALID_FILE_ATTRIBUTES;
        }
        spelled = reduced;
    }
    const DWORD attributes = AttributesOf(spelled, entry);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        SetLastError(QueryError(errno));
        return INVALID_FILE_ATTRIBUTES;
    }
    // Only the reduced spelling can have lost a trailing separator, so the
    // query as written pays nothing for this test.
    if (spelled != path && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && EndsInSeparator(path)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    return attributes;
}

} // namespace

void GetSystemTimeAsFileTime(LPFILETIME now) {
    // The wall clock, on the scale of a file's stamps, so the two compare.
    struct timespec time {};
    System().clock_gettime(CLOCK_REALTIME, &time);
    *now = FileTimeOf(time);
}

DWORD GetFileAttributesA(LPCSTR path) {
    struct stat entry;
    return EntryAttributes(path, entry);
}

BOOL GetFileAttributesExA(LPCSTR path, GET_FILEEX_INFO_LEVELS, LPVOID information) {
    struct stat entry;
    const DWORD attributes = EntryAttributes(path, entry);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return FALSE;
    auto* data = static_cast<WIN32_FILE_ATTRIBUTE_DATA*>(information);
    *data = WIN32_FILE_ATTRIBUTE_DATA{};
    PutStatus(attributes, entry, *data);
    return TRUE;
}

HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data) {
    size_t length = pattern != nullptr ? std::strlen(pattern) : 0;
    if (length == 0 || pattern[length - 1] == '/') {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    const char* separator = std::strrchr(pattern, '/');
    const char* name = separator != nullptr ? separator + 1 : pattern;
    // A name without wildcards names one entry: the search holds nothing
    // more and allocates nothing (a value request's look at the settings
    // places comes here).
    if (std::strpbrk(name, "*?") == nullptr) {
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0 ||
            !FillFindData(pattern, name, data)) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return INVALID_HANDLE_VALUE;
        }
        return &singleEntry;
    }
    const std::string folder(pattern, static_cast<size_t>(name - pattern));
    Search* search = new Search;
    search->folder = folder;
    search->pattern = std::strcmp(name, "*.*") == 0 ? std::string("*") : std::string(name);
    search->directory = System().opendir(folder.empty() ? "." : folder.c_str());
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
    if (search == &singleEntry)
        return TRUE;
    if (search->directory != nullptr)
        System().closedir(search->directory);
    delete search;
    return TRUE;
}
namespace {

// The entry a name stands for, in its one spelling, and its state (a link
// as itself); false, with the error set, when there is none. A name with a
// trailing separator stands only for a folder or a link to one: "file.txt/"
// must never remove "file.txt".
bool FindEntry(LPCSTR name, char (&path)[PATH_MAX], struct stat& entry) {
    if (name == nullptr || !ReducePathSpelling(name, path, sizeof(path)) ||
        System().lstat(path, &entry) != 0) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return false;
    }
    if (EndsInSeparator(name) && !NamesFolder(path)) {
        SetLastError(ERROR_INVALID_NAME);
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
    if (System().unlink(path) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return TRUE;
}

BOOL SetFileAttributesA(LPCSTR name, DWORD attributes) {
    char path[PATH_MAX];
    struct stat entry;
    if (!FindEntry(name, path, entry))
        return FALSE;
    if (S_ISLNK(entry.st_mode) && System().stat(path, &entry) != 0) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    const mode_t mode = (attributes & FILE_ATTRIBUTE_READONLY) != 0
                            ? entry.st_mode & ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH)
                            : entry.st_mode | S_IWUSR;
    if (chmod(path, mode & 07777) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return TRUE;
}

BOOL MoveFileExA(LPCSTR from, LPCSTR to, DWORD flags) {
    char source[PATH_MAX];
    char target[PATH_MAX];
    struct stat entry;
    if (!FindEntry(from, source, entry))
        return FALSE;
    if (to == nullptr || !ReducePathSpelling(to, target, sizeof(target))) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    // Without leave to replace, the check and the move are one step, so an
    // entry made meanwhile is never lost.
    const int moved =
        (flags & MOVEFILE_REPLACE_EXISTING) != 0
            ? System().rename(source, target)
            : System().renameat2(AT_FDCWD, source, AT_FDCWD, target, RENAME_NOREPLACE);
    if (moved != 0) {
        SetLastError(errno == EEXIST                       ? ERROR_ALREADY_EXISTS
                     : errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND
                                                           : ERROR_ACCESS_DENIED);
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
        return System().unlink(path) == 0 ? TRUE : FALSE;
    }
    if (System().rmdir(path) != 0) {
        SetLastError(errno == ENOTEMPTY || errno == EEXIST ? ERROR_DIR_NOT_EMPTY
                     : errno == ENOTDIR                    ? ERROR_DIRECTORY
                                                           : ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return TRUE;
}
