// Splitting INI text into lines, sections and keys, and finding them by
// name, by the rules of the system's profile reader (ini_text.h). A parse
// finds the sections only, where a '[' opens a line; a section's keys are
// cut when a read first needs them, and a long section's are then indexed
// once, so that a file of many keys is not searched from its start for
// each one.
#include "platform/text/ini_text.h"

#include "platform/text/ascii.h"
#include <cstring>
#include <string_view>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n' || c == '\x1a';
}

std::string Folded(std::string_view name) {
    std::string folded(name);
    for (char& c : folded)
        c = FoldAscii(c);
    return folded;
}

// The text before its first NUL byte: a name or value ends there, as the
// system's reader takes it; what is left is then trimmed.
std::string_view UpToNul(std::string_view text) {
    const size_t nul = text.find('\0');
    return nul == std::string_view::npos ? text : text.substr(0, nul);
}

// A section this short is searched from its start: an index would cost more.
constexpr size_t kShortSection = 16;

void AddSection(IniFile& file, std::string name, std::string_view body) {
    file.sectionIndex.emplace(Folded(name), file.sections.size());
    file.sections.emplace_back(std::move(name), body);
}

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

} // namespace

// Two fast byte searches, not one search of a set per byte.
size_t LineEnd(std::string_view text, size_t start) {
    const char* from = text.data() + start;
    const size_t rest = text.size() - start;
    const void* newline = std::memchr(from, '\n', rest);
    const size_t length =
        newline != nullptr ? static_cast<size_t>(static_cast<const char*>(newline) - from) : rest;
    const void* carriageReturn = std::memchr(from, '\r', length);
    return start + (carriageReturn != nullptr
                        ? static_cast<size_t>(static_cast<const char*>(carriageReturn) - from)
                        : length);
}

std::string_view TrimLine(std::string_view text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

bool SectionHeader(std::string_view line, std::string& name) {
    if (line.empty() || line[0] != '[')
        return false;
    size_t close = line.rfind(']');
    if (close == std::string_view::npos || close == 0)
        return false;
    name = std::string(TrimLine(UpToNul(line.substr(1, close - 1))));
    return true;
}

IniKey KeyLine(std::string_view line) {
    IniKey key;
    size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        key.name = TrimLine(UpToNul(line));
        return key;
    }
    key.name = TrimLine(UpToNul(line.substr(0, equals)));
    key.value = TrimLine(UpToNul(line.substr(equals + 1)));
    key.hasValue = true;
    return key;
}

std::string Trim(const std::string& text) {
    return std::string(TrimLine(text));
}

bool SameName(std::string_view a, std::string_view b) {
    return SameIgnoringAsciiCase(a.data(), a.size(), b.data(), b.size());
}

std::shared_ptr<const IniFile> ParseIni(std::string text) {
    const std::shared_ptr<IniFile> parsed = std::make_shared<IniFile>();
    IniFile& file = *parsed;
    file.text = std::move(text);
    const std::string_view all(file.text);
    // '\r' and '\n' each end a line; a UTF-8 byte-order mark is skipped.
    const size_t first = all.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    // A header is a line whose first character past the blanks is '[': each
    // '[' is found by a fast byte search, and its line is looked at only
    // when blanks alone stand before it. The rest of a line holds no
    // header, so every byte is looked at about once.
    std::string name;
    std::string pendingName;
    size_t bodyStart = first;
    size_t from = first;
    while (from < all.size()) {
        const void* found = std::memchr(all.data() + from, '[', all.size() - from);
        if (found == nullptr)
            break;
        const size_t bracket = static_cast<size_t>(static_cast<const char*>(found) - all.data());
        size_t lineStart = bracket;
        while (lineStart > first && IsBlank(all[lineStart - 1]) && !IsLineEnd(all[lineStart - 1]))
            --lineStart;
        const size_t end = LineEnd(all, bracket);
        from = end + 1;
        if (lineStart > first && !IsLineEnd(all[lineStart - 1]))
            continue;
        if (!SectionHeader(TrimLine(all.substr(lineStart, end - lineStart)), name))
            continue;
        AddSection(file, std::move(pendingName), all.substr(bodyStart, lineStart - bodyStart));
        pendingName = std::move(name);
        bodyStart = end < all.size() ? end + 1 : end;
    }
    AddSection(file, std::move(pendingName), all.substr(bodyStart));
    return parsed;
}

const std::vector<IniKey>& IniSection::Keys() const {
    // Cut once, and a long section indexed at the same time, with its size
    // known: no table grows key by key. The first key of a name keeps its
    // place.
    std::call_once(*cut, [this] {
        ForEachKeyLine(body, [this](const IniKey& key) { keys.push_back(key); });
        if (keys.size() <= kShortSection)
            return;
        keyIndex.reserve(keys.size());
        for (size_t i = 0; i < keys.size(); ++i)
            keyIndex.emplace(Folded(keys[i].name), i);
    });
    return keys;
}

const std::unordered_map<std::string, std::size_t>& IniSection::KeyIndex() const {
    Keys();
    return keyIndex;
}

const IniSection* FindSection(const IniFile& file, const char* name, bool trimmed) {
    const auto found = file.sectionIndex.find(Folded(trimmed ? Trim(name) : std::string(name)));
    return found != file.sectionIndex.end() ? &file.sections[found->second] : nullptr;
}

const IniKey* FindKey(const IniSection& section, const char* name) {
    const std::string sought = Trim(name);
    const std::vector<IniKey>& keys = section.Keys();
    if (keys.size() <= kShortSection) {
        for (const IniKey& key : keys)
            if (SameName(key.name, sought))
                return &key;
        return nullptr;
    }
    const auto& index = section.KeyIndex();
    const auto found = index.find(Folded(sought));
    return found != index.end() ? &keys[found->second] : nullptr;
}
