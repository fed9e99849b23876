// Linux: the private-profile (INI file) functions of Windows. The lexical
// rules follow what the Windows build gets from the system (the shared INI
// test table runs on both builds and holds them):
// - a UTF-8 byte-order mark is skipped, a file in UTF-16 with its mark is
//   read as its UTF-8 text (ini_encoding.cpp);
// - lines, section headers, key lines and their trimming are those of
//   ini_text.h; lines before the first section belong to a section with the
//   empty name; a line without '=' is a key without a value, which reads as
//   missing;
// - section and key names match without regard to ASCII case; only the first
//   section of a name is searched, and the first key of a name wins;
// - ';' and '#' start no comment for a read, but ';' lines are left out of a
//   section listing, and a key listing names only keys with a value;
// - a read trims the section name sought, a listing takes it as written;
// - a list cut by its buffer ends at size - 2 (a section's lines with two
//   NULs, names with one), exactly as the system cuts it;
// - a value enclosed in a pair of equal quotes (" or ') is read without them
//   (ini_value.h).
// A parsed file is kept while it stays unchanged (ini_cache.cpp); writes are
// in ini_write.cpp.
#include "platform/text/ini_value.h"
#include "platform/win32.h"
#include "platform/linux/ini_cache.h"
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

// The count of characters written: copies text into a buffer of the given
// size, cut to size - 1 and always terminated.
DWORD CopyCut(std::string_view text, LPSTR buffer, DWORD size) {
    size_t count = text.size() < size ? text.size() : size - 1;
    std::memcpy(buffer, text.data(), count);
    buffer[count] = '\0';
    return static_cast<DWORD>(count);
}

// How a list is cut, as the system cuts each: a section's lines end in two
// NULs, an empty list included; a listing of names ends in one.
enum class ListEnd { kTwoNuls, kOneNul };

// A list of texts under construction: each text and its NUL.
void AddItem(std::string& flat, std::string_view item) {
    flat.append(item);
    flat += '\0';
}

// The characters written before the closing NUL, or size - 2 for a cut
// list: writes a list of texts (`flat`: each ended by NUL), and a closing
// NUL. A list that does not fit with room to spare (all of it and two more
// bytes) is cut to size - 2 bytes and terminated there.
DWORD CopyList(const std::string& flat, LPSTR buffer, DWORD size, ListEnd end) {
    if (size < 2) {
        if (size == 1)
            buffer[0] = '\0';
        return 0;
    }
    if (flat.size() + 2 <= size) {
        std::memcpy(buffer, flat.data(), flat.size());
        buffer[flat.size()] = '\0';
        if (flat.empty() && end == ListEnd::kTwoNuls)
            buffer[1] = '\0';
        return static_cast<DWORD>(flat.size());
    }
    const DWORD cut = size - 2;
    std::memcpy(buffer, flat.data(), cut);
    buffer[cut] = '\0';
    if (end == ListEnd::kTwoNuls)
        buffer[cut + 1] = '\0';
    return cut;
}

std::string DefaultWithoutTrailingBlanks(LPCSTR defaultValue) {
    std::string text = defaultValue != nullptr ? defaultValue : "";
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

} // namespace

DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer,
                               DWORD size, LPCSTR fileName) {
    if (buffer == nullptr || size == 0)
        return 0;
    const std::shared_ptr<const IniFile> file = LoadIniFile(fileName);
    const IniFile empty;
    const IniFile& ini = file != nullptr ? *file : empty;

    if (section == nullptr) {
        std::string names;
        // A section without a name ("[]", or the lines before any header) is
        // not listed.
        for (const IniSection& each : ini.sections)
            if (!each.name.empty())
                AddItem(names, each.name);
        return CopyList(names, buffer, size, ListEnd::kOneNul);
    }
    const IniSection* found = FindSection(ini, section, key != nullptr);
    if (key == nullptr) {
        // The keys that have a value; comment lines are none.
        std::string names;
        if (found != nullptr)
            for (const IniKey& entry : found->Keys())
                if (entry.hasValue && (entry.name.empty() || entry.name[0] != ';'))
                    AddItem(names, entry.name);
        // A list whose first name is empty begins with its end: the system
        // answers it as the empty list.
        if (!names.empty() && names[0] == '\0')
            names.clear();
        return CopyList(names, buffer, size, ListEnd::kOneNul);
    }
    const IniKey* entry = found != nullptr ? FindKey(*found, key) : nullptr;
    if (entry != nullptr && entry->hasValue)
        return CopyCut(IniValueAsRead(entry->value, size), buffer, size);
    return CopyCut(DefaultWithoutTrailingBlanks(defaultValue), buffer, size);
}

UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue, LPCSTR fileName) {
    char text[32];
    if (GetPrivateProfileStringA(section, key, "", text, sizeof(text), fileName) == 0)
        return static_cast<UINT>(defaultValue);
    // As the system's reader: blanks, a sign, then digits in base 10 or, after
    // 0x, 0o or 0b, in base 16, 8 or 2, up to the first character that is none.
    const char* p = text;
    while (*p == ' ' || *p == '\t')
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    unsigned int base = 10;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        base = 16;
        p += 2;
    } else if (p[0] == '0' && (p[1] == 'o' || p[1] == 'O')) {
        base = 8;
        p += 2;
    } else if (p[0] == '0' && (p[1] == 'b' || p[1] == 'B')) {
        base = 2;
        p += 2;
    }
    UINT value = 0;
    for (;; ++p) {
        unsigned int digit;
        if (*p >= '0' && *p <= '9')
            digit = static_cast<unsigned int>(*p - '0');
        else if (*p >= 'a' && *p <= 'z')
            digit = static_cast<unsigned int>(*p - 'a' + 10);
        else if (*p >= 'A' && *p <= 'Z')
            digit = static_cast<unsigned int>(*p - 'A' + 10);
        else
            break;
        if (digit >= base)
            break;
        value = value * base + digit;
    }
    return negative ? 0u - value : value;
}

namespace {

// The count of bytes all the section's lines take, written or not: writes
// them ("name=value", or the name of a line without '='), each ended by NUL,
// from `out` on, as far as they fit in `room` bytes. One pass writes a
// listing that fits and measures one that does not.
std::size_t SectionLines(const IniSection& section, char* out, std::size_t room) {
    std::size_t used = 0;
    auto put = [&](const char* text, std::size_t length) {
        if (used + length <= room)
            std::memcpy(out + used, text, length);
        used += length;
    };
    // Straight from the section's lines: a listing stores no key.
    ForEachKeyLine(section.body, [&](const IniKey& key) {
        // Comment lines are not listed, nor lines that hold nothing before a
        // NUL byte: an empty line would end the list there.
        if ((!key.name.empty() && key.name[0] == ';') || (key.name.empty() && !key.hasValue))
            return;
        put(key.name.data(), key.name.size());
        if (key.hasValue) {
            put("=", 1);
            put(key.value.data(), key.value.size());
        }
        put("", 1);
    });
    return used;
}

} // namespace

DWORD GetPrivateProfileSectionA(LPCSTR section, LPSTR buffer, DWORD size, LPCSTR fileName) {
    if (buffer == nullptr || size == 0)
        return 0;
    const std::shared_ptr<const IniFile> file =
        section != nullptr ? LoadIniFile(fileName) : nullptr;
    const IniSection* found = file != nullptr ? FindSection(*file, section, false) : nullptr;
    if (found == nullptr)
        return CopyList(std::string(), buffer, size, ListEnd::kTwoNuls);
    // A listing that fits is written in place; only one to be cut is put
    // together first.
    const std::size_t total = SectionLines(*found, buffer, size >= 2 ? size - 2 : 0);
    if (total > 0 && total + 2 <= size) {
        buffer[total] = '\0';
        return static_cast<DWORD>(total);
    }
    std::string lines(total, '\0');
    SectionLines(*found, &lines[0], total);
    return CopyList(lines, buffer, size, ListEnd::kTwoNuls);
}
