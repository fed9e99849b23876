// Linux: INI text as the private-profile functions take it (the rules are
// listed at the top of private_profile.cpp): lines, section headers, key
// lines, and a parsed file whose sections and keys are found by name at once.
#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// A key line's name and value, trimmed: views into the text they were cut
// from (a parsed file's own text).
struct IniKey {
    std::string_view name;
    std::string_view value;
    bool hasValue = false;
};

// The keys of one section: a run of its file's keys.
struct IniKeyRange {
    const IniKey* first = nullptr;
    std::size_t count = 0;
    const IniKey* begin() const { return first; }
    const IniKey* end() const { return first + count; }
    std::size_t size() const { return count; }
    bool empty() const { return count == 0; }
    const IniKey& operator[](std::size_t at) const { return first[at]; }
};

struct IniSection {
    std::string name;
    IniKeyRange keys;
    // Folded name to the first key of that name, built by the first search
    // of a section too long to search from its start (a listing needs none).
    mutable std::unordered_map<std::string, std::size_t> keyIndex;
    std::unique_ptr<std::once_flag> indexed = std::make_unique<std::once_flag>();
};

struct IniFile {
    IniFile() = default;
    // Its keys point into its text, which must stay where it is.
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    std::string text; // UTF-8
    // Every section's keys, in file order, in one vector: a file of many
    // keys is not copied again and again as each section's list grows.
    std::vector<IniKey> keys;
    // The nameless section of the lines before any header comes first.
    std::vector<IniSection> sections;
    // Folded name to the first section of that name.
    std::unordered_map<std::string, std::size_t> sectionIndex;
};

// Where the line from `start` ends: at its first '\r' or '\n', or at the
// text's end.
size_t LineEnd(std::string_view text, size_t start);
std::string Trim(const std::string& text);
bool SameName(std::string_view a, std::string_view b);
// Whether a trimmed line opens a section; if so, its name.
bool SectionHeader(const std::string& line, std::string& name);
// A trimmed key line: name=value split at the first '=', or a name alone.
IniKey KeyLine(const std::string& line);
// Parses UTF-8 text, which the parsed file keeps.
std::shared_ptr<const IniFile> ParseIni(std::string text);
// The first section of the name; a read trims the name sought, a listing
// takes it as written.
const IniSection* FindSection(const IniFile& file, const char* name, bool trimmed);
const IniKey* FindKey(const IniSection& section, const char* name);
// Reads the descriptor to its end onto the text, its buffer sized from
// `expectedSize` (the file size, when known); false on a read error.
bool ReadAll(int descriptor, std::string& text, std::size_t expectedSize = 0);
