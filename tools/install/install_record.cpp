// The install record's lines: "item KIND NAME FINGERPRINT" and "file PATH
// HASH", after a first line that says what the file is.
#include "tools/install/install_record.h"

#include <cstdlib>

namespace {

const char* const kFirstLine =
    "# lumbrasket install: what it added to the host's settings, for lumbrasket uninstall";

// Kinds as the record spells them; stable across versions.
struct KindWord {
    ItemKind kind;
    const char* word;
    const char* text;
};
constexpr KindWord kKindWords[] = {
    {ItemKind::kPlugin, "plugin", "content plugin"},
    {ItemKind::kColumnView, "view", "column view"},
    {ItemKind::kSearchTemplate, "template", "search template"},
    {ItemKind::kFileColour, "colour", "file-type colour"},
};

// Tabs, line ends and backslashes as "\t", "\n", "\r" and "\\".
std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string Unescaped(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[++i];
        out += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    }
    return out;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
        fields.push_back(Unescaped(line.substr(start, tab - start)));
    fields.push_back(Unescaped(line.substr(start)));
    return fields;
}

} // namespace

const char* ItemKindText(ItemKind kind) {
    for (const KindWord& word : kKindWords)
        if (word.kind == kind)
            return word.text;
    return "item";
}

std::string RecordText(const InstallRecord& record) {
    std::string text = std::string(kFirstLine) + "\n";
    for (const RecordedItem& recorded : record.items)
        for (const KindWord& word : kKindWords)
            if (word.kind == recorded.item.kind)
                text += std::string("item\t") + word.word + "\t" + Escaped(recorded.item.name) +
                        "\t" + Escaped(recorded.fingerprint) + "\n";
    for (const RecordedFile& file : record.files)
        text += "file\t" + Escaped(file.path) + "\t" + std::to_string(file.hash) + "\n";
    return text;
}

bool ParseRecord(const std::string& text, InstallRecord& record) {
    if (text.compare(0, std::string(kFirstLine).size(), kFirstLine) != 0)
        return false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::vector<std::string> fields = Fields(text.substr(start, end - start));
        start = end + 1;
        if (fields.size() == 4 && fields[0] == "item") {
            for (const KindWord& word : kKindWords)
                if (fields[1] == word.word)
                    record.items.push_back({{word.kind, fields[2]}, fields[3]});
        } else if (fields.size() == 3 && fields[0] == "file") {
            record.files.push_back({fields[1], std::strtoull(fields[2].c_str(), nullptr, 10)});
        }
    }
    return true;
}
