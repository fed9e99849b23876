// The lines of an INI file as the editor of install sees them.
#include "tools/install/ini_lines.h"

#include "platform/text/ascii.h"

namespace {

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && SameIgnoringAsciiCase(a.data(), a.size(), b.data(), b.size());
}

bool IsHeader(const std::string& line) {
    const std::string text = Trimmed(line);
    return !text.empty() && text.front() == '[';
}

// A header's name: what stands between '[' and ']'.
std::string HeaderName(const std::string& line) {
    const std::string text = Trimmed(line);
    const std::size_t end = text.find(']');
    return Trimmed(text.substr(1, end == std::string::npos ? std::string::npos : end - 1));
}

} // namespace

IniLines::IniLines(const std::string& text) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        Line line;
        if (end == std::string::npos) {
            line.text = text.substr(start);
            end = text.size();
        } else {
            line.text = text.substr(start, end - start);
            line.end = "\n";
        }
        if (!line.text.empty() && line.text.back() == '\r' && !line.end.empty()) {
            line.text.pop_back();
            line.end = "\r\n";
        }
        lines.push_back(line);
        start = end + 1;
    }
    if (!lines.empty() && !lines.front().end.empty())
        lineEnd = lines.front().end;
}

int IniLines::Section(const std::string& section) const {
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (IsHeader(lines[i].text) && SameName(HeaderName(lines[i].text), section))
            return static_cast<int>(i);
    return -1;
}

int IniLines::Key(int section, const std::string& key) const {
    if (section < 0)
        return -1;
    for (std::size_t i = section + 1; i < lines.size() && !IsHeader(lines[i].text); ++i) {
        const std::size_t equals = lines[i].text.find('=');
        if (equals != std::string::npos && SameName(Trimmed(lines[i].text.substr(0, equals)), key))
            return static_cast<int>(i);
    }
    return -1;
}

int IniLines::SectionEnd(int section) const {
    int end = section + 1;
    for (std::size_t i = section + 1; i < lines.size() && !IsHeader(lines[i].text); ++i)
        if (!Trimmed(lines[i].text).empty())
            end = static_cast<int>(i) + 1;
    return end;
}

std::string IniLines::Get(const std::string& section, const std::string& key) const {
    const int line = Key(Section(section), key);
    if (line < 0)
        return std::string();
    const std::string& text = lines[line].text;
    std::string value = Trimmed(text.substr(text.find('=') + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    return value;
}

void IniLines::Put(const std::string& section, const std::string& key, const std::string& value) {
    int header = Section(section);
    const int line = Key(header, key);
    if (line >= 0) {
        std::string& text = lines[line].text;
        text = text.substr(0, text.find('=') + 1) + value;
        return;
    }
    if (header < 0) {
        EndLastLine();
        lines.push_back({"[" + section + "]", lineEnd});
        header = static_cast<int>(lines.size()) - 1;
    }
    const int at = SectionEnd(header);
    if (at == static_cast<int>(lines.size()))
        EndLastLine();
    lines.insert(lines.begin() + at, Line{key + "=" + value, lineEnd});
}

// A line added after the file's last line, which has no end, gives it one.
// A '\r' that line ends with stays its own: a "\n" after it would make the
// two one line end, and the line read back another.
void IniLines::EndLastLine() {
    if (lines.empty() || !lines.back().end.empty())
        return;
    const std::string& text = lines.back().text;
    lines.back().end = !text.empty() && text.back() == '\r' ? "\r\n" : lineEnd;
}

void IniLines::Drop(const std::string& section, const std::string& key) {
    const int line = Key(Section(section), key);
    if (line >= 0)
        lines.erase(lines.begin() + line);
}

std::string IniLines::Text() const {
    std::string text;
    for (const Line& line : lines)
        text += line.text + line.end;
    return text;
}
