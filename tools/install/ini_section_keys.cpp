// A section's keys over a file's text, in one pass.
#include "tools/install/ini_section_keys.h"

#include "platform/text/ascii.h"

namespace {

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A line without its end: "\n", or "\r\n"; a '\r' not before a line feed
// belongs to the line.
std::string Content(const std::string& line) {
    if (line.empty() || line.back() != '\n')
        return line;
    const std::size_t end = line.size() >= 2 && line[line.size() - 2] == '\r' ? 2 : 1;
    return line.substr(0, line.size() - end);
}

// The name of a header line, or nothing (and false) for any other line.
bool Header(const std::string& content, std::string& name) {
    const std::string text = Trimmed(content);
    if (text.empty() || text.front() != '[')
        return false;
    const std::size_t end = text.find(']');
    name = Trimmed(text.substr(1, end == std::string::npos ? std::string::npos : end - 1));
    return true;
}

} // namespace

IniSectionKeys::IniSectionKeys(const std::string& text, const std::string& section) {
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find('\n', start);
        const std::size_t next = end == std::string::npos ? text.size() : end + 1;
        lines.push_back(text.substr(start, next - start));
        start = next;
    }
    bool inside = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string content = Content(lines[i]);
        std::string name;
        if (Header(content, name)) {
            if (inside)
                break;
            inside =
                SameIgnoringAsciiCase(name.data(), name.size(), section.data(), section.size());
            continue;
        }
        const std::size_t equals = content.find('=');
        if (!inside || equals == std::string::npos)
            continue;
        std::string value = Trimmed(content.substr(equals + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        keys.push_back({Trimmed(content.substr(0, equals)), value});
        keyLines.push_back(i);
    }
    erased.assign(keys.size(), false);
}

void IniSectionKeys::Rename(std::size_t key, const std::string& name) {
    std::string& line = lines[keyLines[key]];
    line = name + line.substr(line.find('='));
    keys[key].name = name;
}

void IniSectionKeys::Erase(std::size_t key) {
    erased[key] = true;
}

std::string IniSectionKeys::Text() const {
    std::vector<bool> gone(lines.size(), false);
    for (std::size_t key = 0; key < keys.size(); ++key)
        gone[keyLines[key]] = erased[key];
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (!gone[i])
            text += lines[i];
    return text;
}
