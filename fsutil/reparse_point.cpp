// Reading a path's reparse data through the platform and classifying it by
// the published REPARSE_DATA_BUFFER layout: the tag at byte 0; for the
// mount-point variant the substitute name's offset and length at bytes 8
// and 10, relative to the name area that starts at byte 16.
#include "fsutil/reparse_point.h"

#include "platform/text/path_spelling.h"
#include "fsutil/wide_text.h"
#include "platform/win32.h"

namespace {

constexpr std::size_t kRecordSize = 17000;
constexpr std::size_t kNameCapacity = 1024;
constexpr std::size_t kMountPointNames = 16;
constexpr std::size_t kSubstituteOffsetAt = 8;
constexpr std::size_t kSubstituteLengthAt = 10;

// The little-endian 32-bit number at `at`.
std::uint32_t Read32(const unsigned char* at) {
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

// The little-endian 16-bit number at `at`.
std::size_t Read16(const unsigned char* at) {
    return static_cast<std::size_t>(at[0]) | static_cast<std::size_t>(at[1]) << 8;
}

} // namespace

int ClassifyReparseData(const unsigned char* record, std::size_t returnedBytes) {
    if (returnedBytes < 4)
        return kReparseNone;
    const std::uint32_t tag = Read32(record);
    if ((tag & 0x80000000u) == 0)
        return kReparseNone;
    if (tag == IO_REPARSE_TAG_SYMLINK)
        return kReparseSymbolicLink;
    if (tag != IO_REPARSE_TAG_MOUNT_POINT || returnedBytes < kMountPointNames)
        return kReparseNone;
    const std::size_t offset = Read16(record + kSubstituteOffsetAt);
    const std::size_t length = Read16(record + kSubstituteLengthAt);
    if (kMountPointNames + offset + length > returnedBytes)
        return kReparseNone;
    // The name is copied by its count, a UTF-16 unit from two bytes, since it
    // need not be terminated inside the record.
    char16_t name[kNameCapacity];
    std::size_t units = length / 2;
    if (units > kNameCapacity - 1)
        units = kNameCapacity - 1;
    const unsigned char* at = record + kMountPointNames + offset;
    for (std::size_t i = 0; i < units; ++i)
        name[i] = static_cast<char16_t>(at[2 * i] | at[2 * i + 1] << 8);
    name[units] = u'\0';
    return FindSubstringWide(name, u":") != nullptr ? kReparseJunction : kReparseVolumeMount;
}

int GetReparseKind(const char* path) {
    // "link\\" or "link\\." would name what the link points to; the entry
    // itself is asked about, whatever its spelling.
    char entry[kPathBufferSize];
    if (!ReducePathSpelling(path, entry, kPathBufferSize) || entry[0] == '\0')
        return kReparseNone;
    HANDLE file = CreateFileA(entry, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return kReparseNone;
    unsigned char record[kRecordSize];
    DWORD returned = 0;
    int kind = kReparseNone;
    if (DeviceIoControl(file, FSCTL_GET_REPARSE_POINT, nullptr, 0, record, kRecordSize, &returned,
                        nullptr))
        kind = ClassifyReparseData(record, returned < kRecordSize ? returned : kRecordSize);
    CloseHandle(file);
    return kind;
}

Status MakeLongPath(const char* path, char* output, std::uint32_t capacity) {
    if (path[0] == '\\') {
        BoundedCopy(output, capacity, "\\\\?\\UNC\\");
        // Drop the leading pair of backslashes, never past the end of a text
        // that holds only one.
        path += path[1] != '\0' ? 2 : 1;
    } else {
        BoundedCopy(output, capacity, "\\\\?\\");
    }
    return BoundedAppend(output, capacity, path);
}
