// ProfileSection: each operation is one private-profile call with the
// object's file and section (a listing too short for the section is made
// again, longer); a value lands in a buffer inside the object, so a read
// allocates only for the string it hands back.
#include "profile_section.h"

#include "bounded_string.h"
#include "win32.h"
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

std::vector<char> ProfileSection::ListSection() {
    // A listing is never longer than the file it comes from, so a buffer of
    // the file's size (and two bytes more) takes it at the first try. A cut
    // listing answers the buffer's size less two: the buffer then grows
    // until the section fits with room to spare.
    std::size_t size = kSectionBufferSize;
    WIN32_FILE_ATTRIBUTE_DATA found;
    if (GetFileAttributesExA(filePath.c_str(), GetFileExInfoStandard, &found)) {
        const std::uint64_t fileSize =
            static_cast<std::uint64_t>(found.nFileSizeHigh) << 32 | found.nFileSizeLow;
        if (fileSize + 3 > size && fileSize < kLargestListing)
            size = static_cast<std::size_t>(fileSize) + 3;
    }
    std::vector<char> listing(size);
    for (;;) {
        const DWORD size = static_cast<DWORD>(listing.size());
        const DWORD used =
            GetPrivateProfileSectionA(sectionName.c_str(), listing.data(), size, filePath.c_str());
        if (used + 2 < size || listing.size() >= kLargestListing)
            break;
        listing.assign(listing.size() * 4, '\0');
    }
    // A platform answer without its final terminators cannot be overrun.
    listing[listing.size() - 2] = '\0';
    listing[listing.size() - 1] = '\0';
    return listing;
}

const SectionEntry* ProfileSection::ReadSection() {
    const std::vector<char> listing = ListSection();
    for (const char* position = listing.data(); *position != '\0';) {
        SectionEntry entry;
        entry.line = position;
        std::size_t equals = entry.line.find('=');
        if (equals != std::string::npos) {
            entry.key = entry.line.substr(0, equals);
            entry.value = entry.line.substr(equals + 1);
        }
        position += entry.line.size() + 1;
        entries.push_back(std::move(entry));
    }
    return entries.empty() ? nullptr : &entries.front();
}

const SectionEntry* ProfileSection::NextEntry() {
    if (!entries.empty())
        entries.pop_front();
    return entries.empty() ? nullptr : &entries.front();
}

// In a matched pair of quotes the value goes without them, and the closing
// quote is dropped as the last character of what fits, as the system's reader
// does it.
std::string_view ProfileSection::ValueAsRead(std::string_view value) {
    const std::size_t room = kPathBufferSize - 1;
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0]) {
        const std::string_view rest = value.substr(1);
        std::string_view cut = rest.substr(0, room);
        if (kPathBufferSize >= rest.size() && !cut.empty())
            cut.remove_suffix(1);
        return cut;
    }
    return value.substr(0, room);
}
