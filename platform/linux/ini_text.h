// Linux: INI text as the private-profile functions take it (the rules are
// listed at the top of private_profile.cpp): lines, section headers, key
// lines, and a parsed file whose sections and keys are found by name at once.
#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

struct IniKey {
    std::string name;
    bool hasValue = false;
    std::string value;
};

struct IniSection {
    std::string name;
    std::vector<IniKey> keys;
    // Folded name to the first key of that name, built by the first search
    // of a section too long to search from its start (a listing needs none).
    mutable std::unordered_map<std::string, std::size_t> keyIndex;
    std::unique_ptr<std::once_flag> indexed = std::make_unique<std::once_flag>();
};

struct IniFile {
    // The nameless section of the lines before any header comes first.
    std::vector<IniSection> sections;
    // Folded name to the first section of that name.
    std::unordered_map<std::string, std::size_t> sectionIndex;
};

std::string Trim(const std::string& text);
bool SameName(const std::string& a, const std::string& b);
// Whether a trimmed line opens a section; if so, its name.
bool SectionHeader(const std::string& line, std::string& name);
// A trimmed key line: name=value split at the first '=', or a name alone.
IniKey KeyLine(const std::string& line);
IniFile ParseIni(const std::string& text);
// The first section of the name; a read trims the name sought, a listing
// takes it as written.
const IniSection* FindSection(const IniFile& file, const char* name, bool trimmed);
const IniKey* FindKey(const IniSection& section, const char* name);
// Reads the descriptor to its end; false on a read error.
bool ReadAll(int descriptor, std::string& text);
