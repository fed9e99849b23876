// Linux: volumes, file identity and reparse data. A volume is a mount point
// (the longest one of /proc/self/mountinfo that contains the path), its
// serial number the device number of that mount point. A file's identity is
// its own device number as the serial and its inode as the 64-bit index: on
// overlay and btrfs file systems a file's device is not its mount point's. FSCTL_GET_REPARSE_POINT
// answers a symbolic link with the symbolic-link tag and a mount point with the mount-point tag and
// a volume name without ':'; anything else is no reparse point.
#include "platform/win32.h"
#include "platform/linux/file_handle.h"
#include "platform/linux/file_time.h"
#include "platform/linux/mounts.h"
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include "platform/linux/system_calls.h"

namespace {

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
    // A current system; the paths for older ones (fsutil/volume_identity.cpp)
    // are reached by SystemCallTest.OldSystemComparesDriveParts.
    info->dwMajorVersion = System().majorVersion();
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
    if (root == nullptr || System().stat(root, &entry) != 0) {
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
        System().fstat(DescriptorOf(file), &entry) != 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::memset(info, 0, sizeof(*info));
    const int descriptor = DescriptorOf(file);
    // The same attributes the path's query reports: links and mounted
    // folders are reparse points.
    info->dwFileAttributes =
        S_ISLNK(entry.st_mode)          ? FILE_ATTRIBUTE_REPARSE_POINT
        : S_ISDIR(entry.st_mode)        ? (IsMountPointHandle(descriptor)
                                               ? FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT
                                               : FILE_ATTRIBUTE_DIRECTORY)
        : IsReadOnlyFile(entry.st_mode) ? FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY
                                        : FILE_ATTRIBUTE_ARCHIVE;
    info->dwVolumeSerialNumber =
        static_cast<DWORD>(major(entry.st_dev) << 20 | minor(entry.st_dev));
    // The last write in Windows' units, so that a stamp read twice compares
    // as the system keeps it.
    info->ftLastWriteTime = FileTimeOf(entry.st_mtim);
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
    // The opened entry itself is described, not whatever the path names now.
    const int descriptor = DescriptorOf(device);
    unsigned char* record = static_cast<unsigned char*>(output);
    struct stat entry;
    if (System().fstat(descriptor, &entry) != 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    // The record's layout, as Windows writes it: the tag, the length of what
    // follows the header, then the offsets and lengths (in bytes) of the
    // substitute and the print name, a flags word for a link alone, and the
    // names in UTF-16 where the name area begins.
    constexpr size_t kTagAt = 0;
    constexpr size_t kDataLengthAt = 4;
    constexpr size_t kHeaderBytes = 8;
    constexpr size_t kSubstituteOffsetAt = 8;
    constexpr size_t kSubstituteLengthAt = 10;
    constexpr size_t kPrintOffsetAt = 12;
    constexpr size_t kPrintLengthAt = 14;
    constexpr size_t kLinkNameArea = 20;  // after the link's flags word
    constexpr size_t kMountNameArea = 16; // a mount point has none
    constexpr size_t kNameEnd = 2;        // the UTF-16 terminator after each name
    std::string substitute;
    DWORD tag;
    size_t nameArea;
    if (S_ISLNK(entry.st_mode)) {
        char target[PATH_MAX];
        ssize_t length = System().readlinkat(descriptor, "", target, sizeof(target) - 1);
        substitute.assign(target, length > 0 ? static_cast<size_t>(length) : 0);
        tag = IO_REPARSE_TAG_SYMLINK;
        nameArea = kLinkNameArea;
    } else if (S_ISDIR(entry.st_mode) && IsMountPointHandle(descriptor)) {
        char volume[64];
        std::snprintf(volume, sizeof(volume), "\\??\\Volume{%08x-%08x}\\", major(entry.st_dev),
                      minor(entry.st_dev));
        substitute = volume;
        tag = IO_REPARSE_TAG_MOUNT_POINT;
        nameArea = kMountNameArea;
    } else {
        SetLastError(ERROR_NOT_A_REPARSE_POINT);
        return FALSE;
    }
    // The print name repeats the substitute name. A length is a 16-bit
    // field: a name past what it can hold is refused.
    constexpr size_t kLongestNameBytes = 0x7FF0;
    const size_t nameBytes = substitute.size() * 2;
    const size_t total = nameArea + 2 * (nameBytes + kNameEnd);
    if (total > outputSize || nameBytes > kLongestNameBytes) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memset(record, 0, total);
    Put32(record + kTagAt, tag);
    Put16(record + kDataLengthAt, static_cast<unsigned>(total - kHeaderBytes));
    Put16(record + kSubstituteOffsetAt, 0);
    Put16(record + kSubstituteLengthAt, static_cast<unsigned>(nameBytes));
    Put16(record + kPrintOffsetAt, static_cast<unsigned>(nameBytes + kNameEnd));
    Put16(record + kPrintLengthAt, static_cast<unsigned>(nameBytes));
    PutUtf16(record + nameArea, substitute);
    PutUtf16(record + nameArea + nameBytes + kNameEnd, substitute);
    if (returned != nullptr)
        *returned = static_cast<DWORD>(total);
    return TRUE;
}
