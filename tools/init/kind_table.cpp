// The kind table of `lumbrasket init`: the rules that take a type to the
// kind people recognise, and the order in which the kinds are numbered.
#include "tools/init/kind_table.h"

#include "platform/text/name_pattern.h"

#include <algorithm>
#include <cstring>
#include <iterator>

// Source code comes first: the database gives most languages no generic
// icon, or the plain text one, and their media type alone would make them
// Text; so would web pages, whose own type has no icon, and build files.
// Disk images carry the archive icon, which would make them Archives. Shell
// and the other interpreted languages whose types carry the script icon stay
// Scripts, by that icon.
const KindRule kKindRules[] = {
    {KindKey::kMediaType, "text/x-*src", "Source code"},
    {KindKey::kMediaType, "text/x-*source", "Source code"},
    {KindKey::kMediaType, "text/x-*hdr", "Source code"},
    {KindKey::kMediaType, "text/x-c", "Source code"},
    {KindKey::kMediaType, "text/x-c++", "Source code"},
    {KindKey::kMediaType, "text/x-java", "Source code"},
    {KindKey::kMediaType, "text/x-python", "Source code"},
    {KindKey::kMediaType, "text/x-python3", "Source code"},
    {KindKey::kMediaType, "text/x-go", "Source code"},
    {KindKey::kMediaType, "text/rust", "Source code"},
    {KindKey::kMediaType, "text/x-rust", "Source code"},
    {KindKey::kMediaType, "text/x-csharp", "Source code"},
    {KindKey::kMediaType, "text/x-kotlin", "Source code"},
    {KindKey::kMediaType, "text/x-scala", "Source code"},
    {KindKey::kMediaType, "text/x-dart", "Source code"},
    {KindKey::kMediaType, "text/x-*haskell", "Source code"},
    {KindKey::kMediaType, "text/x-ocaml", "Source code"},
    {KindKey::kMediaType, "text/x-erlang", "Source code"},
    {KindKey::kMediaType, "text/x-elixir", "Source code"},
    {KindKey::kMediaType, "text/x-crystal", "Source code"},
    {KindKey::kMediaType, "text/x-vala", "Source code"},
    {KindKey::kMediaType, "text/x-genie", "Source code"},
    {KindKey::kMediaType, "text/x-lua", "Source code"},
    {KindKey::kMediaType, "text/x-pascal", "Source code"},
    {KindKey::kMediaType, "text/x-fortran", "Source code"},
    {KindKey::kMediaType, "text/x-cobol", "Source code"},
    {KindKey::kMediaType, "text/x-eiffel", "Source code"},
    {KindKey::kMediaType, "text/x-*lisp", "Source code"},
    {KindKey::kMediaType, "text/x-scheme", "Source code"},
    {KindKey::kMediaType, "text/x-vhdl", "Source code"},
    {KindKey::kMediaType, "text/x-verilog", "Source code"},
    {KindKey::kMediaType, "text/x-matlab", "Source code"},
    {KindKey::kMediaType, "text/x-modelica", "Source code"},
    {KindKey::kMediaType, "text/x-idl", "Source code"},
    {KindKey::kMediaType, "text/x-qml", "Source code"},
    {KindKey::kMediaType, "text/x-moc", "Source code"},
    {KindKey::kMediaType, "text/x-makefile", "Build files"},
    {KindKey::kMediaType, "text/x-cmake", "Build files"},
    {KindKey::kMediaType, "text/x-meson", "Build files"},
    {KindKey::kMediaType, "text/x-scons", "Build files"},
    {KindKey::kMediaType, "application/x-cd-image", "Disk images"},
    {KindKey::kMediaType, "application/x-*disk-image*", "Disk images"},
    {KindKey::kMediaType, "application/x-apple-diskimage", "Disk images"},
    {KindKey::kMediaType, "application/x-qemu-disk", "Disk images"},
    {KindKey::kMediaType, "application/x-*-disk", "Disk images"},
    {KindKey::kMediaType, "text/html", "Web pages"},
    {KindKey::kGenericIcon, "x-office-document", "Documents"},
    {KindKey::kGenericIcon, "x-office-spreadsheet", "Spreadsheets"},
    {KindKey::kGenericIcon, "x-office-presentation", "Presentations"},
    {KindKey::kGenericIcon, "x-office-calendar", "Documents"},
    {KindKey::kGenericIcon, "x-office-address-book", "Contacts"},
    {KindKey::kGenericIcon, "image-x-generic", "Images"},
    {KindKey::kGenericIcon, "audio-x-generic", "Audio"},
    {KindKey::kGenericIcon, "video-x-generic", "Video"},
    {KindKey::kGenericIcon, "package-x-generic", "Archives"},
    {KindKey::kGenericIcon, "font-x-generic", "Fonts"},
    {KindKey::kGenericIcon, "application-x-executable", "Programs"},
    {KindKey::kGenericIcon, "text-x-script", "Scripts"},
    {KindKey::kGenericIcon, "text-html", "Web pages"},
    {KindKey::kGenericIcon, "text-x-generic", "Text"},
    {KindKey::kGenericIcon, "text-x-generic-template", "Text"},
    {KindKey::kMediaType, "image/*", "Images"},
    {KindKey::kMediaType, "audio/*", "Audio"},
    {KindKey::kMediaType, "video/*", "Video"},
    {KindKey::kMediaType, "font/*", "Fonts"},
    {KindKey::kMediaType, "text/*", "Text"},
    {KindKey::kPerceivedType, "document", "Documents"},
    {KindKey::kPerceivedType, "image", "Images"},
    {KindKey::kPerceivedType, "audio", "Audio"},
    {KindKey::kPerceivedType, "video", "Video"},
    {KindKey::kPerceivedType, "compressed", "Archives"},
    {KindKey::kPerceivedType, "text", "Text"},
    {KindKey::kPerceivedType, "application", "Programs"},
    {KindKey::kPerceivedType, "system", "System files"},
    {KindKey::kPerceivedType, "contacts", "Contacts"},
};
const std::size_t kKindRuleCount = std::size(kKindRules);

namespace {

// The group numbers follow this order, the sample's own: of two name masks
// that match a file, the lower group number wins, and a table written by
// init numbers the sample's kinds as the sample does.
const char* const kKindOrder[] = {
    "Documents", "Spreadsheets", "Presentations", "Images",        "Audio",
    "Video",     "Archives",     "Disk images",   "Fonts",         "Source code",
    "Scripts",   "Build files",  "Settings",      "Documentation", "Web pages",
    "Text",      "Programs",     "System files",  "Contacts",
};

bool Matches(const KindRule& rule, const std::string& text) {
    return MatchesNamePattern(rule.pattern, std::strlen(rule.pattern), text.data(), text.size());
}

} // namespace

std::string KindOfMediaType(const std::string& mediaType, const std::string& genericIcon) {
    for (const KindRule& rule : kKindRules) {
        if (rule.key == KindKey::kMediaType && !mediaType.empty() && Matches(rule, mediaType))
            return rule.kind;
        if (rule.key == KindKey::kGenericIcon && !genericIcon.empty() && Matches(rule, genericIcon))
            return rule.kind;
    }
    return std::string();
}

std::string KindOfPerceivedType(const std::string& perceivedType) {
    for (const KindRule& rule : kKindRules)
        if (rule.key == KindKey::kPerceivedType && !perceivedType.empty() &&
            Matches(rule, perceivedType))
            return rule.kind;
    return std::string();
}

std::size_t KindRank(const std::string& kind) {
    for (std::size_t rank = 0; rank < std::size(kKindOrder); ++rank)
        if (kind == kKindOrder[rank])
            return rank;
    return std::size(kKindOrder);
}

std::string KindTableComment() {
    static const char* const kKeyNames[] = {"media type", "generic icon", "PerceivedType"};
    std::string text;
    for (const KindRule& rule : kKindRules) {
        std::string line =
            std::string(";   ") + kKeyNames[static_cast<int>(rule.key)] + " " + rule.pattern;
        line.resize(std::max<std::size_t>(line.size() + 1, 44), ' ');
        text += line + rule.kind + "\n";
    }
    return text;
}
