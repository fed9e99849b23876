// INI text as the system's private-profile functions take it: lines,
// section headers, key lines, and a parsed file whose sections and keys are
// found by name at once. The Linux profile calls read by these rules and
// install's editor of the host's settings edits by them, so both find the
// lines the Windows reader finds:
// - '\r' and '\n' each end a line ("\r\n" is one end for a writer; for a
//   reader the empty line between is blank);
// - blanks, tabs, vertical tabs, form feeds and Ctrl-Z around a line, a name
//   and a value are dropped; a NUL byte ends a name or value;
// - a line whose first character is '[' and that holds a ']' after it opens
//   a section named by what stands up to the last ']'; a '[' line without
//   one is a key line;
// - a key line is name=value split at the first '=', or a name alone;
// - a value in a pair of equal quotes reads without them (ini_value.h).
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

struct IniSection {
    IniSection(std::string name, std::string_view body) : name(std::move(name)), body(body) {}

    std::string name;
    // Its lines, from the one after its header up to the next header: a
    // listing walks them as they stand (ForEachKeyLine).
    std::string_view body;

    // Its keys in file order, cut from its lines by the first read that
    // asks for them: a file is parsed only as far as its sections, and the
    // keys of a section that is only listed are never stored.
    const std::vector<IniKey>& Keys() const;
    // Folded name to the first key of that name, for a section too long to
    // search from its start (empty for a short one), built with the keys.
    const std::unordered_map<std::string, std::size_t>& KeyIndex() const;

private:
    mutable std::vector<IniKey> keys;
    mutable std::unordered_map<std::string, std::size_t> keyIndex;
    std::unique_ptr<std::once_flag> cut = std::make_unique<std::once_flag>();
};

struct IniFile {
    IniFile() = default;
    // Its sections point into its text, which must stay where it is.
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    // The file's bytes as they stand, or a UTF-16 file's text as UTF-8.
    std::string text;
    // The nameless section of the lines before any header comes first.
    std::vector<IniSection> sections;
    // Folded name to the first section of that name.
    std::unordered_map<std::string, std::size_t> sectionIndex;
};

// Where the line from `start` ends: at its first '\r' or '\n', or at the
// text's end.
size_t LineEnd(std::string_view text, size_t start);
// Where the next line starts after a line that ends at `end`: past "\r\n",
// or past the one '\r' or '\n' there.
inline size_t NextLineStart(std::string_view text, size_t end) {
    if (end >= text.size())
        return end;
    return text.compare(end, 2, "\r\n") == 0 ? end + 2 : end + 1;
}
std::string Trim(const std::string& text);
// A line without the blanks, tabs, vertical tabs, form feeds and Ctrl-Z
// around it.
std::string_view TrimLine(std::string_view line);
// Whether two names are one, ASCII letters compared without regard to case.
bool SameName(std::string_view a, std::string_view b);
// Whether a trimmed line opens a section; if so, its name.
bool SectionHeader(std::string_view line, std::string& name);
// A trimmed key line: name=value split at the first '=', or a name alone.
IniKey KeyLine(std::string_view line);
// Hands `take` each key line of a section's lines, in order, as a read
// takes them: blank lines skipped, and of consecutive lines with an empty
// name only the first.
template <typename Take> void ForEachKeyLine(std::string_view body, Take take);
// The parsed file of the text, which it keeps, cut into its sections.
std::shared_ptr<const IniFile> ParseIni(std::string text);
// The first section of the name, or null; a read trims the name sought, a
// listing takes it as written.
const IniSection* FindSection(const IniFile& file, const char* name, bool trimmed);
// The section's first key of the name, trimmed, or null.
const IniKey* FindKey(const IniSection& section, const char* name);

template <typename Take> void ForEachKeyLine(std::string_view body, Take take) {
    bool lastNameEmpty = false;
    size_t start = 0;
    while (start < body.size()) {
        const size_t end = LineEnd(body, start);
        const std::string_view line = TrimLine(body.substr(start, end - start));
        start = end + 1;
        if (line.empty())
            continue;
        const IniKey key = KeyLine(line);
        if (key.name.empty() && lastNameEmpty)
            continue;
        lastNameEmpty = key.name.empty();
        take(key);
    }
}
