// Linux: splitting INI text into sections and keys, and finding them by
// name through an index built once per parse, so that a file of many keys
// is not searched from its start for each one.
#ifndef _WIN32
#include "ini_text.h"

#include "../ascii.h"
#include <cerrno>
#include <cstring>
#include <string_view>
#include <unistd.h>

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

// A name or value ends at a NUL byte, as the system's reader takes it; what
// is left is then trimmed.
std::string_view UpToNul(std::string_view text) {
    const size_t nul = text.find('\0');
    return nul == std::string_view::npos ? text : text.substr(0, nul);
}

std::string_view TrimView(std::string_view text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

bool HeaderView(std::string_view line, std::string& name) {
    if (line.empty() || line[0] != '[')
        return false;
    size_t close = line.rfind(']');
    if (close == std::string_view::npos || close == 0)
        return false;
    name = std::string(TrimView(UpToNul(line.substr(1, close - 1))));
    return true;
}

IniKey KeyView(std::string_view line) {
    IniKey key;
    size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        key.name = TrimView(UpToNul(line));
        return key;
    }
    key.name = TrimView(UpToNul(line.substr(0, equals)));
    key.value = TrimView(UpToNul(line.substr(equals + 1)));
    key.hasValue = true;
    return key;
}

// A section this short is searched from its start: an index would cost more.
constexpr size_t kShortSection = 16;

void AddSection(IniFile& file, const std::string& name) {
    file.sections.emplace_back();
    file.sections.back().name = name;
    file.sectionIndex.emplace(Folded(name), file.sections.size() - 1);
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

std::string Trim(const std::string& text) {
    return std::string(TrimView(text));
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    return true;
}

bool SectionHeader(const std::string& line, std::string& name) {
    return HeaderView(line, name);
}

IniKey KeyLine(const std::string& line) {
    return KeyView(line);
}

std::shared_ptr<const IniFile> ParseIni(std::string text) {
    const std::shared_ptr<IniFile> parsed = std::make_shared<IniFile>();
    IniFile& file = *parsed;
    file.text = std::move(text);
    // Room for a key per 32 bytes, about what a line of a settings file
    // takes; a file of shorter lines grows the vector as it goes.
    file.keys.reserve(file.text.size() / 32 + 16);
    AddSection(file, "");
    const std::string_view all(file.text);
    // '\r' and '\n' each end a line; a UTF-8 byte-order mark is skipped.
    size_t start = all.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (start < all.size()) {
        const size_t end = LineEnd(all, start);
        const std::string_view line = TrimView(all.substr(start, end - start));
        start = end + 1;
        if (line.empty())
            continue;
        std::string name;
        if (HeaderView(line, name)) {
            AddSection(file, name);
            continue;
        }
        IniKey key = KeyView(line);
        IniSection& section = file.sections.back();
        // Consecutive lines with an empty name keep only the first.
        if (key.name.empty() && section.keys.count > 0 && file.keys.back().name.empty())
            continue;
        file.keys.push_back(key);
        ++section.keys.count;
    }
    // The keys stay where they are from here on; the sections' runs follow
    // each other in file order.
    const IniKey* next = file.keys.data();
    for (IniSection& section : file.sections) {
        section.keys.first = next;
        next += section.keys.count;
    }
    return parsed;
}

const IniSection* FindSection(const IniFile& file, const char* name, bool trimmed) {
    const auto found = file.sectionIndex.find(Folded(trimmed ? Trim(name) : std::string(name)));
    return found != file.sectionIndex.end() ? &file.sections[found->second] : nullptr;
}

const IniKey* FindKey(const IniSection& section, const char* name) {
    const std::string sought = Trim(name);
    if (section.keys.size() <= kShortSection) {
        for (const IniKey& key : section.keys)
            if (SameName(key.name, sought))
                return &key;
        return nullptr;
    }
    // Indexed once, with the size known: no table grows key by key. The
    // first key of a name keeps its place.
    std::call_once(*section.indexed, [&section] {
        section.keyIndex.reserve(section.keys.size());
        for (size_t i = 0; i < section.keys.size(); ++i)
            section.keyIndex.emplace(Folded(section.keys[i].name), i);
    });
    const auto found = section.keyIndex.find(Folded(sought));
    return found != section.keyIndex.end() ? &section.keys[found->second] : nullptr;
}

bool ReadAll(int descriptor, std::string& text, std::size_t expectedSize) {
    // Read straight into the text, sized for what the file's status says
    // (and one byte more, to see the end at once); a file that grew since
    // makes it grow.
    std::size_t used = text.size();
    text.resize(used + (expectedSize > 0 ? expectedSize + 1 : 65536));
    for (;;) {
        if (used == text.size())
            text.resize(text.size() * 2);
        const ssize_t count = read(descriptor, &text[used], text.size() - used);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0) {
            text.resize(used);
            return count == 0;
        }
        used += static_cast<std::size_t>(count);
    }
}
#endif
