// Linux: the private-profile (INI file) functions of Windows. The lexical
// rules follow what the Windows build gets from the system (the shared INI
// test table runs on both builds and holds them):
// - a UTF-8 byte-order mark is skipped; '\r' and '\n' each end a line;
// - blanks, tabs and Ctrl-Z around a line, a name and a value are dropped;
// - "[name]" opens a section (the name runs to the last ']'), lines before
//   the first section belong to a section with the empty name;
// - a key line is name=value split at the first '='; a line without '=' is a
//   key without a value, which reads as missing;
// - section and key names match without regard to ASCII case; only the first
//   section of a name is searched, and the first key of a name wins;
// - ';' and '#' start no comment for a read, but ';' lines are left out of a
//   section listing;
// - a value enclosed in a pair of equal quotes (" or ') is read without them.
// Writes rewrite the file through a temporary file renamed into place, so an
// interrupted write never loses the file's other lines.
#ifndef _WIN32
#include "../win32.h"
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

struct IniKey {
    std::string name;
    bool hasValue = false;
    std::string value;
};

struct IniSection {
    std::string name;
    std::vector<IniKey> keys;
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n' || c == '\x1a';
}

std::string Trim(const std::string& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

bool ReadAll(int descriptor, std::string& text) {
    char chunk[65536];
    for (;;) {
        const ssize_t count = read(descriptor, chunk, sizeof(chunk));
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return false;
        if (count == 0)
            return true;
        text.append(chunk, static_cast<size_t>(count));
    }
}

// A name or value ends at a NUL byte, as the system's reader takes it.
std::string UpToNul(const std::string& text) {
    const size_t nul = text.find('\0');
    return nul == std::string::npos ? text : text.substr(0, nul);
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
        char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] - 'A' + 'a') : b[i];
        if (x != y)
            return false;
    }
    return true;
}

// Only a regular file is read, opened without blocking: a FIFO, a device or
// a link to one is no settings file and reads as a missing one, as it must
// not hold up the caller (a host's first field request) for ever.
bool ReadWholeFile(const char* fileName, std::string& text) {
    if (fileName == nullptr || *fileName == '\0')
        return false;
    const int descriptor = open(fileName, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    struct stat entry;
    bool ok = fstat(descriptor, &entry) == 0 && S_ISREG(entry.st_mode);
    if (ok)
        ok = ReadAll(descriptor, text);
    close(descriptor);
    return ok;
}

// The lines of a file's text, without their line ends, BOM skipped.
std::vector<std::string> SplitLines(const std::string& text) {
    size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    std::vector<std::string> lines;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// Whether a trimmed line opens a section; if so, its name.
bool SectionHeader(const std::string& line, std::string& name) {
    if (line.empty() || line[0] != '[')
        return false;
    size_t close = line.rfind(']');
    if (close == std::string::npos || close == 0)
        return false;
    name = UpToNul(Trim(line.substr(1, close - 1)));
    return true;
}

IniKey KeyLine(const std::string& line) {
    IniKey key;
    size_t equals = line.find('=');
    if (equals == std::string::npos) {
        key.name = UpToNul(line);
        return key;
    }
    key.name = UpToNul(Trim(line.substr(0, equals)));
    key.value = UpToNul(Trim(line.substr(equals + 1)));
    key.hasValue = true;
    return key;
}

std::vector<IniSection> Parse(const std::string& text) {
    std::vector<IniSection> sections(1); // the nameless section before any header
    for (const std::string& raw : SplitLines(text)) {
        std::string line = Trim(raw);
        if (line.empty())
            continue;
        std::string name;
        if (SectionHeader(line, name)) {
            sections.push_back(IniSection{name, {}});
            continue;
        }
        IniKey key = KeyLine(line);
        std::vector<IniKey>& keys = sections.back().keys;
        // Consecutive lines with an empty name keep only the first.
        if (key.name.empty() && !keys.empty() && keys.back().name.empty())
            continue;
        keys.push_back(key);
    }
    return sections;
}

const IniSection* FindSection(const std::vector<IniSection>& sections, const char* name) {
    std::string sought = Trim(name);
    for (const IniSection& section : sections)
        if (SameName(section.name, sought))
            return &section;
    return nullptr;
}

const IniKey* FindKey(const IniSection& section, const char* name) {
    std::string sought = Trim(name);
    for (const IniKey& key : section.keys)
        if (SameName(key.name, sought))
            return &key;
    return nullptr;
}

// Copies text into a buffer of the given size, cut to size - 1 and always
// terminated; the result is the count of characters written.
DWORD CopyCut(const std::string& text, LPSTR buffer, DWORD size) {
    size_t count = text.size() < size ? text.size() : size - 1;
    std::memcpy(buffer, text.data(), count);
    buffer[count] = '\0';
    return static_cast<DWORD>(count);
}

// A value in a pair of equal quotes is read without them. The closing quote is
// dropped as the last character of what fits, exactly as the Windows build's
// reader does it, so a quoted value cut by the buffer reads the same there.
DWORD CopyValue(const std::string& value, LPSTR buffer, DWORD size) {
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') &&
        value[value.size() - 1] == value[0]) {
        std::string rest = value.substr(1);
        DWORD count = CopyCut(rest, buffer, size);
        if (size >= rest.size() && count > 0) {
            buffer[count - 1] = '\0';
            --count;
        }
        return count;
    }
    return CopyCut(value, buffer, size);
}

// How a list is cut, as the system cuts each: a section's lines end in two
// NULs, an empty list included; a listing of names ends in one.
enum class ListEnd { kTwoNuls, kOneNul };

// Writes a list of texts, each ended by NUL, and a closing NUL. A list that
// does not fit with room to spare (all of it and two more bytes) is cut to
// size - 2 bytes and terminated there, and the result is then size - 2;
// otherwise the characters written before the closing NUL.
DWORD CopyList(const std::vector<std::string>& items, LPSTR buffer, DWORD size, ListEnd end) {
    std::string flat;
    for (const std::string& item : items) {
        flat += item;
        flat += '\0';
    }
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

bool WriteFileReplacing(const char* fileName, const std::string& text) {
    // A read-only file stays as it is, as on Windows (root included).
    struct stat current;
    if (stat(fileName, &current) == 0 && (current.st_mode & S_IWUSR) == 0)
        return false;
    std::string temporary = std::string(fileName) + ".XXXXXX";
    int descriptor = mkstemp(&temporary[0]);
    if (descriptor < 0)
        return false;
    struct stat existing;
    fchmod(descriptor, stat(fileName, &existing) == 0 ? (existing.st_mode & 07777) : 0644);
    size_t written = 0;
    while (written < text.size()) {
        ssize_t count = write(descriptor, text.data() + written, text.size() - written);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            break;
        written += static_cast<size_t>(count);
    }
    bool ok = written == text.size() && fsync(descriptor) == 0;
    ok = close(descriptor) == 0 && ok;
    if (ok && rename(temporary.c_str(), fileName) == 0)
        return true;
    unlink(temporary.c_str());
    return false;
}

// A file as written lines: a write changes only the lines it must and keeps
// the byte-order mark and the line end the file already uses.
struct RawFile {
    bool byteOrderMark = false;
    std::string lineEnd = "\n";
    std::vector<std::string> lines;
};

RawFile SplitRaw(const std::string& text) {
    RawFile file;
    size_t start = 0;
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        file.byteOrderMark = true;
        start = 3;
    }
    if (text.find("\r\n") != std::string::npos)
        file.lineEnd = "\r\n";
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        file.lines.push_back(text.substr(start, end - start));
        start = (text.compare(end, 2, "\r\n") == 0) ? end + 2 : end + 1;
    }
    return file;
}

std::string Join(const RawFile& file) {
    std::string text = file.byteOrderMark ? "\xEF\xBB\xBF" : "";
    for (const std::string& line : file.lines)
        text += line + file.lineEnd;
    return text;
}

// Finds the section a read would use: the first of that name, or for the
// empty name the lines before any header. `first` is where the section
// starts (its header), [bodyBegin, bodyEnd) its lines.
bool FindSectionSpan(const std::vector<std::string>& lines, const std::string& name, size_t& first,
                     size_t& bodyBegin, size_t& bodyEnd) {
    bool found = name.empty();
    first = bodyBegin = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string header;
        if (!SectionHeader(Trim(lines[i]), header))
            continue;
        if (found) {
            bodyEnd = i;
            return true;
        }
        if (SameName(header, name)) {
            found = true;
            first = i;
            bodyBegin = i + 1;
        }
    }
    bodyEnd = lines.size();
    return found;
}

} // namespace

DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer,
                               DWORD size, LPCSTR fileName) {
    if (buffer == nullptr || size == 0)
        return 0;
    std::string text;
    std::vector<IniSection> sections;
    if (ReadWholeFile(fileName, text))
        sections = Parse(text);

    if (section == nullptr) {
        std::vector<std::string> names;
        // A section without a name ("[]", or the lines before any header) is
        // not listed.
        for (const IniSection& each : sections)
            if (!each.name.empty())
                names.push_back(each.name);
        return CopyList(names, buffer, size, ListEnd::kOneNul);
    }
    const IniSection* found = FindSection(sections, section);
    if (key == nullptr) {
        // The keys that have a value; comment lines are none.
        std::vector<std::string> names;
        if (found != nullptr)
            for (const IniKey& entry : found->keys)
                if (entry.hasValue && (entry.name.empty() || entry.name[0] != ';'))
                    names.push_back(entry.name);
        // A list whose first name is empty begins with its end: the system
        // answers it as the empty list.
        if (!names.empty() && names[0].empty())
            names.clear();
        return CopyList(names, buffer, size, ListEnd::kOneNul);
    }
    const IniKey* entry = found != nullptr ? FindKey(*found, key) : nullptr;
    if (entry != nullptr && entry->hasValue)
        return CopyValue(entry->value, buffer, size);
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

DWORD GetPrivateProfileSectionA(LPCSTR section, LPSTR buffer, DWORD size, LPCSTR fileName) {
    if (buffer == nullptr || size == 0)
        return 0;
    std::string text;
    std::vector<std::string> lines;
    if (section != nullptr && ReadWholeFile(fileName, text)) {
        std::vector<IniSection> sections = Parse(text);
        if (const IniSection* found = FindSection(sections, section)) {
            for (const IniKey& key : found->keys) {
                if (!key.name.empty() && key.name[0] == ';')
                    continue;
                lines.push_back(key.hasValue ? key.name + "=" + key.value : key.name);
            }
        }
    }
    return CopyList(lines, buffer, size, ListEnd::kTwoNuls);
}

BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName) {
    if (section == nullptr || fileName == nullptr || *fileName == '\0')
        return FALSE;
    std::string text;
    ReadWholeFile(fileName, text);
    RawFile file = SplitRaw(text);
    std::vector<std::string>& lines = file.lines;
    std::string sectionName = Trim(section);

    size_t first = 0; // the section's header line, or its first line when it has none
    size_t bodyBegin = 0;
    size_t bodyEnd = 0;
    if (!FindSectionSpan(lines, sectionName, first, bodyBegin, bodyEnd)) {
        if (key == nullptr || value == nullptr)
            return TRUE; // nothing to delete
        while (!lines.empty() && Trim(lines.back()).empty())
            lines.pop_back();
        lines.push_back("[" + sectionName + "]");
        lines.push_back(Trim(key) + "=" + value);
        return WriteFileReplacing(fileName, Join(file)) ? TRUE : FALSE;
    }
    if (key == nullptr) {
        lines.erase(lines.begin() + static_cast<long>(first),
                    lines.begin() + static_cast<long>(bodyEnd));
        return WriteFileReplacing(fileName, Join(file)) ? TRUE : FALSE;
    }

    std::string keyName = Trim(key);
    size_t keyLine = std::string::npos;
    size_t insertAt = bodyBegin;
    for (size_t i = bodyBegin; i < bodyEnd; ++i) {
        std::string line = Trim(lines[i]);
        if (line.empty())
            continue;
        insertAt = i + 1;
        if (keyLine == std::string::npos && SameName(KeyLine(line).name, keyName))
            keyLine = i;
    }
    if (keyLine != std::string::npos && value == nullptr)
        lines.erase(lines.begin() + static_cast<long>(keyLine));
    else if (keyLine != std::string::npos)
        lines[keyLine] = keyName + "=" + value;
    else if (value != nullptr)
        lines.insert(lines.begin() + static_cast<long>(insertAt), keyName + "=" + value);
    else
        return TRUE; // no such key: nothing to delete
    return WriteFileReplacing(fileName, Join(file)) ? TRUE : FALSE;
}
#endif
