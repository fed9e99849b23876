// ProfileSection: one INI-format file and one current section, read and
// written through the platform's private-profile functions. The plugin reads
// its group table through it; it does no parsing of its own, so the file's
// lexical rules are the platform's.
#pragma once

#include "platform/text/ini_value.h"
#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// One line of a section listing, split at its first '='. A line without '='
// has an empty key and value.
struct SectionEntry {
    std::string line;
    std::string key;
    std::string value;
};

// A section listing in a buffer of its own that a reader may keep.
struct SectionListing {
    std::unique_ptr<char[]> text; // the lines, each ended by NUL, then an empty line
    std::size_t length = 0;       // the bytes of the lines, their NULs included
};

class ProfileSection {
public:
    ProfileSection(const std::string& filePath, const std::string& sectionName);

    void SetSection(const std::string& sectionName);
    std::string GetSection() const;

    // The key's value, cut to 259 bytes, or the default when the file, the
    // section or the key is missing. A key present with an empty value gives
    // the empty text.
    std::string ReadString(const char* key, const char* defaultValue);
    // The key's value as the platform's integer read gives it, or the default.
    std::uint32_t ReadInt(const char* key, std::int32_t defaultValue);
    void WriteString(const char* key, const char* value);
    void WriteInt(const char* key, std::int32_t value);

    // Hands every line of a listing of the section (ListSection), in file
    // order, to `take` split at its first '=': the key and the value as the
    // file writes it, which point into the listing. A line without '=' comes
    // whole as the key, with `hasValue` false.
    template <typename Take> static void ForEachLine(const SectionListing& listing, Take take) {
        for (const char* line = listing.text.get(); *line != '\0';) {
            const std::size_t length = std::strlen(line);
            const char* equals = static_cast<const char*>(std::memchr(line, '=', length));
            if (equals == nullptr)
                take(std::string_view(line, length), std::string_view(), false);
            else
                take(std::string_view(line, static_cast<std::size_t>(equals - line)),
                     std::string_view(equals + 1, length - (equals + 1 - line)), true);
            line += length + 1;
        }
    }

    // ForEachLine with the value ReadString would give for the key (a matched
    // pair of quotes dropped, cut to 259 bytes): one pass over the file
    // however many keys are taken. A name may come more than once (a read
    // finds the first, its case aside); a read of a line without '=' gives
    // the default.
    template <typename Take> static void ForEachKey(const SectionListing& listing, Take take) {
        ForEachLine(listing, [&take](std::string_view key, std::string_view value, bool hasValue) {
            take(key, IniValueAsRead(value, kValueBufferSize), hasValue);
        });
    }

    // The largest file a listing is made from: far above any real table
    // (20,000 groups with 60,000 masks take 1.5 MB), and small enough that
    // a file of gigabytes can neither fill the host's memory nor stall its
    // requests while it is read.
    static constexpr std::uint64_t kLargestFile = std::uint64_t(64) << 20;
    // Whether the file is larger than kLargestFile, told by its size alone;
    // a file that is missing or cannot be asked is not.
    static bool FileTooLarge(const std::string& filePath);

    // The whole section listing, in a buffer no larger than the listing
    // needs by much; empty for a file larger than kLargestFile, which is not
    // read at all.
    SectionListing ListSection();
    // The names of the file's sections, in the same form and by the same
    // growth rule: a name per line, the listing ended by an empty one.
    SectionListing ListSectionNames();

    // The first entry of the section (ReadSection, which queues its lines) or
    // the next (NextEntry, which drops the front one); null at the end.
    const SectionEntry* ReadSection();
    const SectionEntry* NextEntry();

private:
    static constexpr unsigned kValueBufferSize = 260;
    // The first size a section listing is tried with; it grows until the
    // whole section fits.
    static constexpr unsigned kSectionBufferSize = 0x7FFF;

    std::string filePath;
    std::string sectionName;
    char valueBuffer[kValueBufferSize];
    std::deque<SectionEntry> entries;
};
