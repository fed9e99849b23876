// ProfileSection: each operation is one private-profile call with the
// object's file and section (a listing too short for the section is made
// again, longer); a value lands in a buffer inside the object, so a read
// allocates only for the string it hands back.
#include "settings/profile_section.h"

#include "settings/bounded_string.h"
#include "platform/memory_pages.h"
#include "platform/win32.h"
#include <algorithm>
#include <cstring>
#include <vector>

ProfileSection::ProfileSection(const std::string& filePath, const std::string& sectionName)
    : filePath(filePath), sectionName(sectionName) {}

void ProfileSection::SetSection(const std::string& name) {
    sectionName = name;
}

std::string ProfileSection::GetSection() const {
    return sectionName;
}

std::string ProfileSection::ReadString(const char* key, const char* defaultValue) {
    // Terminated before the call: a platform that writes nothing at all
    // leaves the empty text, not old bytes.
    valueBuffer[0] = '\0';
    GetPrivateProfileStringA(sectionName.c_str(), key, defaultValue, valueBuffer, kValueBufferSize,
                             filePath.c_str());
    valueBuffer[kValueBufferSize - 1] = '\0';
    return std::string(valueBuffer);
}

std::uint32_t ProfileSection::ReadInt(const char* key, std::int32_t defaultValue) {
    return GetPrivateProfileIntA(sectionName.c_str(), key, defaultValue, filePath.c_str());
}

void ProfileSection::WriteString(const char* key, const char* value) {
    WritePrivateProfileStringA(sectionName.c_str(), key, value, filePath.c_str());
}

void ProfileSection::WriteInt(const char* key, std::int32_t value) {
    char text[kNumberTextSize];
    IntToText(value, text, 10);
    WriteString(key, text);
}

namespace {

// A listing ends in two NULs (one after its last line, one more), and a
// listing cut short answers the buffer's size less those two.
constexpr std::size_t kListingEnd = 2;
// A buffer one byte longer than a listing and its end tells a whole listing
// (its length + 2 below the size) from a cut one (exactly the size - 2).
constexpr std::size_t kRoomToTellACut = kListingEnd + 1;
// How much a buffer grows when the listing was cut: a section far larger
// than the first guess fits after few tries.
constexpr std::size_t kGrowth = 4;

// The file's size as the system reports it; false when it cannot tell.
bool FileSize(const std::string& filePath, std::uint64_t& size) {
    WIN32_FILE_ATTRIBUTE_DATA found;
    if (!GetFileAttributesExA(filePath.c_str(), GetFileExInfoStandard, &found))
        return false;
    size = static_cast<std::uint64_t>(found.nFileSizeHigh) << 32 | found.nFileSizeLow;
    return true;
}

// The listing ended after its first `length` bytes, in a buffer of its own
// size when the one it was made in is mostly unused (a large file with a
// small section): a listing a table keeps holds the section, not the file.
SectionListing Ended(SectionListing listing, std::size_t size, std::size_t kept) {
    listing.text[listing.length] = '\0';
    listing.text[listing.length + 1] = '\0';
    const std::size_t used = listing.length + kListingEnd;
    if (size - used > kept && size - used > used) {
        std::unique_ptr<char[]> fitted(new char[used]);
        std::memcpy(fitted.get(), listing.text.get(), used);
        listing.text = std::move(fitted);
    }
    return listing;
}

} // namespace

bool ProfileSection::FileTooLarge(const std::string& filePath) {
    std::uint64_t size = 0;
    return FileSize(filePath, size) && size > kLargestFile;
}

namespace {

// A listing that `fill` (a private-profile call given a buffer and its size,
// answering the bytes it wrote) makes. A listing is never longer than the
// file it comes from, so a buffer of the file's size (and room to tell a
// cut) takes it at the first try. A cut listing answers the buffer's size
// less its end: the buffer then grows until the listing fits with room to
// spare, never past the largest file (one that grew since its size was
// asked is cut there). The buffer is not cleared first: the listing ends
// where the platform says it does.
template <typename Fill>
SectionListing GrownListing(const std::string& filePath, std::size_t firstSize, Fill fill) {
    constexpr std::size_t kLargestListing =
        static_cast<std::size_t>(ProfileSection::kLargestFile) + kRoomToTellACut;
    std::size_t size = firstSize;
    std::uint64_t fileSize = 0;
    if (FileSize(filePath, fileSize)) {
        if (fileSize > ProfileSection::kLargestFile) {
            SectionListing none{std::unique_ptr<char[]>(new char[kListingEnd]), 0};
            return Ended(std::move(none), kListingEnd, firstSize);
        }
        if (fileSize + kRoomToTellACut > size)
            size = static_cast<std::size_t>(fileSize) + kRoomToTellACut;
    }
    for (;;) {
        SectionListing listing{std::unique_ptr<char[]>(new char[size]), 0};
        PrepareToFill(listing.text.get(), size);
        listing.length = fill(listing.text.get(), static_cast<DWORD>(size));
        if (listing.length + kListingEnd < size || size >= kLargestListing) {
            // Ended right after what the platform wrote, whatever it wrote
            // beyond: a cut or unterminated answer cannot be overrun.
            if (listing.length > size - kListingEnd)
                listing.length = size - kListingEnd;
            return Ended(std::move(listing), size, firstSize);
        }
        size = std::min(size * kGrowth, kLargestListing);
    }
}

} // namespace

SectionListing ProfileSection::ListSection() {
    return GrownListing(filePath, kSectionBufferSize, [this](char* buffer, DWORD size) {
        return GetPrivateProfileSectionA(sectionName.c_str(), buffer, size, filePath.c_str());
    });
}

SectionListing ProfileSection::ListSectionNames() {
    return GrownListing(filePath, kSectionBufferSize, [this](char* buffer, DWORD size) {
        return GetPrivateProfileStringA(nullptr, nullptr, "", buffer, size, filePath.c_str());
    });
}

const SectionEntry* ProfileSection::ReadSection() {
    const SectionListing listing = ListSection();
    ForEachLine(listing, [this](std::string_view key, std::string_view value, bool hasValue) {
        SectionEntry entry;
        if (hasValue) {
            // The key and its value are the two ends of the line.
            entry.line.assign(key.data(), key.size() + 1 + value.size());
            entry.key = key;
            entry.value = value;
        } else {
            entry.line = key;
        }
        entries.push_back(std::move(entry));
    });
    return entries.empty() ? nullptr : &entries.front();
}

const SectionEntry* ProfileSection::NextEntry() {
    if (!entries.empty())
        entries.pop_front();
    return entries.empty() ? nullptr : &entries.front();
}
