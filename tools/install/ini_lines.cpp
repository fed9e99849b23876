// The lines of an INI file as the editor of install sees them: cut and
// named by the reader's own rules, so that a line edited here is the line
// the host reads.
#include "tools/install/ini_lines.h"

#include "platform/text/ini_text.h"
#include "platform/text/ini_value.h"

IniLines::IniLines(const std::string& bytes) {
    const std::string text = DecodeIniTextExactly(bytes, encoding, tail);
    std::size_t start = 0;
    if (encoding == IniEncoding::kUtf8) {
        mark = text.substr(0, 3);
        start = mark.size();
    }
    while (start < text.size()) {
        const std::size_t end = LineEnd(text, start);
        const std::size_t next = NextLineStart(text, end);
        lines.push_back({text.substr(start, end - start), text.substr(end, next - end)});
        start = next;
    }
    if (!lines.empty() && !lines.front().end.empty())
        lineEnd = lines.front().end;
}

std::string IniLines::AsRead(const std::string& name) const {
    return IsUtf16(encoding) ? LoneSurrogatesAsRead(name) : name;
}

bool IniLines::IsHeader(int line) const {
    std::string name;
    return SectionHeader(TrimLine(lines[line].text), name);
}

int IniLines::Section(const std::string& section) const {
    std::string name;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (SectionHeader(TrimLine(lines[i].text), name) && SameName(AsRead(name), section))
            return static_cast<int>(i);
    return -1;
}

// The first line of the name, with '=' or without: a reader that finds a
// name alone first reads the key as missing, so that line is the key's.
int IniLines::Key(int section, const std::string& key) const {
    if (section < 0)
        return -1;
    for (int i = section + 1; i < static_cast<int>(lines.size()) && !IsHeader(i); ++i) {
        const std::string_view line = TrimLine(lines[i].text);
        if (!line.empty() && SameName(AsRead(std::string(KeyLine(line).name)), key))
            return i;
    }
    return -1;
}

int IniLines::SectionEnd(int section) const {
    int end = section + 1;
    for (int i = section + 1; i < static_cast<int>(lines.size()) && !IsHeader(i); ++i)
        if (!TrimLine(lines[i].text).empty())
            end = i + 1;
    return end;
}

bool IniLines::IsKeyLine(int line) const {
    return !TrimLine(lines[line].text).empty();
}

std::vector<IniLines::SectionKey> IniLines::Keys(const std::string& section) const {
    std::vector<SectionKey> keys;
    const int header = Section(section);
    for (int i = header + 1; header >= 0 && i < static_cast<int>(lines.size()) && !IsHeader(i); ++i)
        if (IsKeyLine(i)) {
            const auto key = KeyLine(TrimLine(lines[i].text));
            keys.push_back(
                {AsRead(std::string(key.name)), AsRead(std::string(UnquotedIniValue(key.value)))});
        }
    return keys;
}

void IniLines::RenameKeys(const std::string& section, const std::vector<std::string>& names) {
    const int header = Section(section);
    if (header < 0)
        return;
    std::vector<Line> kept(lines.begin(), lines.begin() + header + 1);
    std::size_t key = 0;
    int i = header + 1;
    for (; i < static_cast<int>(lines.size()) && !IsHeader(i); ++i) {
        if (!IsKeyLine(i) || key >= names.size()) {
            kept.push_back(lines[i]);
            continue;
        }
        const std::string& name = names[key++];
        if (name.empty())
            continue;
        Line line = lines[i];
        if (AsRead(std::string(KeyLine(TrimLine(line.text)).name)) == name) {
            kept.push_back(line); // its bytes stay
            continue;
        }
        const std::size_t equals = line.text.find('=');
        line.text = name + (equals == std::string::npos ? std::string() : line.text.substr(equals));
        kept.push_back(line);
    }
    kept.insert(kept.end(), lines.begin() + i, lines.end());
    lines.swap(kept);
}

std::string IniLines::Get(const std::string& section, const std::string& key) const {
    const int line = Key(Section(section), key);
    if (line < 0)
        return std::string();
    return AsRead(std::string(UnquotedIniValue(KeyLine(TrimLine(lines[line].text)).value)));
}

void IniLines::Put(const std::string& section, const std::string& key, const std::string& value) {
    int header = Section(section);
    const int line = Key(header, key);
    if (line >= 0) {
        // The name keeps its spelling and the blanks around it.
        std::string& text = lines[line].text;
        const std::size_t equals = text.find('=');
        text =
            equals == std::string::npos ? text + "=" + value : text.substr(0, equals + 1) + value;
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
void IniLines::EndLastLine() {
    if (!lines.empty() && lines.back().end.empty())
        lines.back().end = lineEnd;
}

void IniLines::Drop(const std::string& section, const std::string& key) {
    const int line = Key(Section(section), key);
    if (line >= 0)
        lines.erase(lines.begin() + line);
}

std::string IniLines::Text() const {
    std::string text = mark;
    for (const Line& line : lines)
        text += line.text + line.end;
    return EncodeIniText(text, encoding) + tail;
}
