// Linux: volumes, file identity and reparse data. A volume is a mount point
// (the longest one of /proc/self/mountinfo that contains the path), its
// serial number the device number of that mount point; a file's 64-bit index
// is its inode. FSCTL_GET_REPARSE_POINT answers a symbolic link with the
// symbolic-link tag and a mount point with the mount-point tag and a volume
// name without ':'; anything else is no reparse point.
#ifndef _WIN32
#include "../win32.h"
#include "file_handle.h"
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

// The path made absolute and free of links as far as it exists; the part
// that does not exist is kept as written.
std::string ResolvedPath(const std::string& path) {
    std::string existing = path;
    std::string rest;
    while (!existing.empty()) {
        char resolved[PATH_MAX];
        if (realpath(existing.c_str(), resolved) != nullptr) {
            std::string result = resolved;
            if (!rest.empty())
                result += (result == "/" ? "" : "/") + rest;
            return result;
        }
        size_t cut = existing.find_last_of('/');
        if (cut == std::string::npos) {
            rest = existing + (rest.empty() ? "" : "/" + rest);
            existing = ".";
            continue;
        }
        rest = existing.substr(cut + 1) + (rest.empty() ? "" : "/" + rest);
        existing = cut == 0 ? "/" : existing.substr(0, cut);
    }
    return path;
}

// mountinfo escapes blanks and a few other characters as \ooo.
std::string Unescaped(const char* text) {
    std::string result;
    for (const char* p = text; *p != '\0'; ++p) {
        if (p[0] == '\\' && p[1] >= '0' && p[1] <= '7' && p[2] >= '0' && p[2] <= '7' &&
            p[3] >= '0' && p[3] <= '7') {
            result += static_cast<char>((p[1] - '0') * 64 + (p[2] - '0') * 8 + (p[3] - '0'));
            p += 3;
        } else {
            result += *p;
        }
    }
    return result;
}

bool Contains(const std::string& mountPoint, const std::string& path) {
    if (mountPoint == "/")
        return true;
    return path.compare(0, mountPoint.size(), mountPoint) == 0 &&
           (path.size() == mountPoint.size() || path[mountPoint.size()] == '/');
}

std::string MountPointOf(const std::string& path) {
    std::string best = "/";
    std::FILE* table = std::fopen("/proc/self/mountinfo", "r");
    if (table == nullptr)
        return best;
    char line[4096];
    while (std::fgets(line, sizeof(line), table) != nullptr) {
        char point[4096];
        if (std::sscanf(line, "%*s %*s %*s %*s %4095s", point) != 1)
            continue;
        std::string mountPoint = Unescaped(point);
        if (Contains(mountPoint, path) && mountPoint.size() > best.size())
            best = mountPoint;
    }
    std::fclose(table);
    return best;
}

bool IsMountPoint(const std::string& path) {
    std::string resolved = ResolvedPath(path);
    return MountPointOf(resolved) == resolved;
}

void PutUtf16(unsigned char* at, const std::string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        at[2 * i] = static_cast<unsigned char>(text[i]);
        at[2 * i + 1] = 0;
    }
}

void Put16(unsigned char* at, unsigned value) {
    at[0] = static_cast<unsigned char>(value);
    at[1] = static_cast<unsigned char>(value >> 8);
}

void Put32(unsigned char* at, DWORD value) {
    Put16(at, value & 0xFFFF);
    Put16(at + 2, value >> 16);
}

} // namespace

BOOL GetVersionExA(LPOSVERSIONINFOA info) {
    if (info == nullptr || info->dwOSVersionInfoSize < sizeof(OSVERSIONINFOA)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memset(reinterpret_cast<char*>(info) + sizeof(DWORD), 0, sizeof(*info) - sizeof(DWORD));
    info->dwMajorVersion = 10;
    info->dwPlatformId = 2;
    return TRUE;
}

BOOL GetVolumePathNameA(LPCSTR path, LPSTR volumePath, DWORD size) {
    if (path == nullptr || *path == '\0' || volumePath == nullptr || size == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string mountPoint = MountPointOf(ResolvedPath(path));
    if (mountPoint.back() != '/')
        mountPoint += '/';
    if (mountPoint.size() >= size) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(volumePath, mountPoint.c_str(), mountPoint.size() + 1);
    return TRUE;
}

BOOL GetVolumeInformationA(LPCSTR root, LPSTR name, DWORD nameSize, LPDWORD serial,
                           LPDWORD maxComponent, LPDWORD flags, LPSTR fileSystem,
                           DWORD fileSystemSize) {
    struct stat entry;
    if (root == nullptr || stat(root, &entry) != 0) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (name != nullptr && nameSize > 0)
        name[0] = '\0';
    if (fileSystem != nullptr && fileSystemSize > 0)
        fileSystem[0] = '\0';
    if (serial != nullptr)
        *serial = static_cast<DWORD>(major(entry.st_dev) << 20 | minor(entry.st_dev));
    if (maxComponent != nullptr)
        *maxComponent = 255;
    if (flags != nullptr)
        *flags = 0;
    return TRUE;
}

BOOL GetFileInformationByHandle(HANDLE file, LPBY_HANDLE_FILE_INFORMATION info) {
    struct stat entry;
    if (file == nullptr || file == INVALID_HANDLE_VALUE || info == nullptr ||
        fstat(static_cast<LinuxFileHandle*>(file)->descriptor, &entry) != 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::memset(info, 0, sizeof(*info));
    info->dwFileAttributes =
        S_ISDIR(entry.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    info->dwVolumeSerialNumber =
        static_cast<DWORD>(major(entry.st_dev) << 20 | minor(entry.st_dev));
    const unsigned long long size = static_cast<unsigned long long>(entry.st_size);
    info->nFileSizeHigh = static_cast<DWORD>(size >> 32);
    info->nFileSizeLow = static_cast<DWORD>(size);
    info->nNumberOfLinks = static_cast<DWORD>(entry.st_nlink);
    const unsigned long long index = static_cast<unsigned long long>(entry.st_ino);
    info->nFileIndexHigh = static_cast<DWORD>(index >> 32);
    info->nFileIndexLow = static_cast<DWORD>(index);
    return TRUE;
}

BOOL DeviceIoControl(HANDLE device, DWORD code, LPVOID, DWORD, LPVOID output, DWORD outputSize,
                     LPDWORD returned, LPOVERLAPPED) {
    if (returned != nullptr)
        *returned = 0;
    if (device == nullptr || device == INVALID_HANDLE_VALUE || code != FSCTL_GET_REPARSE_POINT ||
        output == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::string& path = static_cast<LinuxFileHandle*>(device)->path;
    unsigned char* record = static_cast<unsigned char*>(output);
    struct stat entry;
    std::string substitute;
    DWORD tag;
    size_t nameArea;
    if (lstat(path.c_str(), &entry) == 0 && S_ISLNK(entry.st_mode)) {
        char target[PATH_MAX];
        ssize_t length = readlink(path.c_str(), target, sizeof(target) - 1);
        substitute.assign(target, length > 0 ? static_cast<size_t>(length) : 0);
        tag = IO_REPARSE_TAG_SYMLINK;
        nameArea = 20;
    } else if (S_ISDIR(entry.st_mode) && IsMountPoint(path)) {
        char volume[64];
        std::snprintf(volume, sizeof(volume), "\\??\\Volume{%08x-%08x}\\", major(entry.st_dev),
                      minor(entry.st_dev));
        substitute = volume;
        tag = IO_REPARSE_TAG_MOUNT_POINT;
        nameArea = 16;
    } else {
        SetLastError(ERROR_NOT_A_REPARSE_POINT);
        return FALSE;
    }
    // The record: tag, data length, then substitute and print name offsets
    // and lengths in bytes (the print name repeats the substitute name), a
    // flags word for links, and the names themselves in UTF-16.
    const size_t nameBytes = substitute.size() * 2;
    const size_t total = nameArea + 2 * (nameBytes + 2);
    if (total > outputSize || nameBytes > 0x7FF0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memset(record, 0, total);
    Put32(record, tag);
    Put16(record + 4, static_cast<unsigned>(total - 8));
    Put16(record + 8, 0);
    Put16(record + 10, static_cast<unsigned>(nameBytes));
    Put16(record + 12, static_cast<unsigned>(nameBytes + 2));
    Put16(record + 14, static_cast<unsigned>(nameBytes));
    PutUtf16(record + nameArea, substitute);
    PutUtf16(record + nameArea + nameBytes + 2, substitute);
    if (returned != nullptr)
        *returned = static_cast<DWORD>(total);
    return TRUE;
}
#endif
