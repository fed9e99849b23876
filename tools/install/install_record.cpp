// The install record's lines: "item KIND NAME FINGERPRINT" and "file PATH
// HASH", after a first line that says what the file is.
#include "tools/install/install_record.h"

#include "tools/files/tab_fields.h"

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
                text += std::string("item\t") + word.word + "\t" +
                        EscapedField(recorded.item.name) + "\t" +
                        EscapedField(recorded.fingerprint) + "\n";
    for (const RecordedFile& file : record.files)
        text += "file\t" + EscapedField(file.path) + "\t" + std::to_string(file.hash) + "\n";
    return text;
}

bool ParseRecord(const std::string& text, InstallRecord& record) {
    if (text.compare(0, std::string(kFirstLine).size(), kFirstLine) != 0)
        return false;
    for (const std::string& line : LinesOf(text)) {
        const std::vector<std::string> fields = FieldsOf(line);
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
