// The settings checker. The table comes from the plugin's own loader, so what
// is printed is what the plugin will use; the warnings come from the section
// listing of the same platform reader, compared with what the loader read.
#include "tools/lumbrasket/settings_check.h"

#include "platform/text/ascii.h"
#include "platform/text/fnv_hash.h"
#include "settings/bounded_string.h"
#include "tools/lumbrasket/checker_advice.h"
#include "platform/text/printable_text.h"
#include "platform/code_page.h"
#include "groups/group_catalog.h"
#include "groups/group_keys.h"
#include "platform/text/ini_value.h"
#include "groups/piece_list.h"
#include "settings/plugin_name.h"
#include "settings/profile_section.h"
#include "tools/lumbrasket/settings_file_form.h"
#include "settings/settings_location.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace {

// What control characters in a name do where the name is shown.
const char* const kShownGarbled = "which a file manager shows garbled and a terminal may act on";

// Texts compared as the reader compares key names, letters A to Z without
// regard to case: a map of a file's keys or extensions, viewed where they lie.
struct FoldedHash {
    std::size_t operator()(std::string_view text) const {
        std::uint64_t hash = kFnvOffsetBasis;
        for (char c : text)
            hash = FnvStep(hash, static_cast<unsigned char>(FoldAscii(c)));
        return static_cast<std::size_t>(hash ^ hash >> 32);
    }
};
struct FoldedEqual {
    bool operator()(std::string_view a, std::string_view b) const {
        return SameIgnoringAsciiCase(a.data(), a.size(), b.data(), b.size());
    }
};
template <typename Value>
using FoldedMap = std::unordered_map<std::string_view, Value, FoldedHash, FoldedEqual>;

// The text made printable: every text from the file or the system goes into
// the report through here.
std::string Escaped(std::string_view text) {
    return PrintableText(std::string(text));
}

std::string Quoted(std::string_view text) {
    return "\"" + Escaped(text) + "\"";
}

// An extension as the report shows it: quoted when it is empty or has a
// blank at either end, else escaped.
std::string ShownPiece(const std::string& extension) {
    if (extension.empty() || IsValueBlank(extension.front()) || IsValueBlank(extension.back()))
        return Quoted(extension);
    return Escaped(extension);
}

class Checker {
public:
    explicit Checker(const std::string& path) : path(path) {
        result.judgedFallback = kDefaultFallbackName;
    }
    // The whole check of the file.
    SettingsCheck Run();

private:
    void Warn(const std::string& text) { result.warnings.push_back(text); }
    void Note(const std::string& text) { result.notes.push_back(text); }
    void CheckSections();
    void CheckConfigurationKeys();
    void CheckNames();
    void CheckText(const std::string& what, const std::string& text, const char* controls);
    void CheckCut(const char* section, std::string_view key, std::string_view raw,
                  std::string_view read);
    // `rest` names the continuation key that would hold what is cut.
    void CheckListCut(std::string_view key, std::string_view raw, std::string_view read,
                      const std::string& rest);
    // The groups and the fallback as the plugin will use them; `none`
    // stands where there is no group.
    void ShowTable(const GroupCatalog& catalog, const std::string& fallbackName, const char* none);
    // The check, its report ended with the warnings.
    SettingsCheck Finish();
    void CheckGroupKeys();
    void CheckExtensions();
    void CheckMasks();

    std::string path;
    SettingsCheck result;
    bool reloads = false; // the loaded table's ReloadWhenChanged
    bool reloadSeen = false;
};

void Checker::CheckCut(const char* section, std::string_view key, std::string_view raw,
                       std::string_view read) {
    // What the value says, of which the reader took `read`: anything past
    // it is what the reader cut.
    const std::string_view written = UnquotedIniValue(raw);
    if (written.size() > read.size())
        Warn("[" + std::string(section) + "] " + Escaped(key) + " is " +
             std::to_string(written.size()) + " bytes long: only its first " +
             std::to_string(read.size()) + " bytes are read");
}

// For an extension or mask list that the reader cuts: which piece is cut
// and which are lost.
void Checker::CheckListCut(std::string_view key, std::string_view raw, std::string_view read,
                           const std::string& rest) {
    const std::string_view whole = UnquotedIniValue(raw);
    const std::size_t cutAt = read.size();
    if (whole.size() <= cutAt)
        return;
    const std::size_t separator = read.rfind('|');
    const std::size_t pieceStart = separator == std::string_view::npos ? 0 : separator + 1;
    const std::size_t pieceEnd = std::min(whole.find('|', pieceStart), whole.size());
    // The pieces after the cut one are lost, and the cut one too when
    // nothing of it is read.
    std::string lost;
    for (std::size_t start = pieceStart < cutAt ? pieceEnd + 1 : pieceStart;
         start <= whole.size();) {
        const std::size_t end = std::min(whole.find('|', start), whole.size());
        if (end > start)
            lost += (lost.empty() ? "" : " ") + Escaped(whole.substr(start, end - start));
        start = end + 1;
    }
    std::string text = "[Groups] " + Escaped(key) + " is " + std::to_string(whole.size()) +
                       " bytes long: only its first " + std::to_string(cutAt) + " bytes are read";
    if (pieceStart < cutAt && pieceEnd > cutAt)
        text += "; " + Quoted(whole.substr(pieceStart, pieceEnd - pieceStart)) + " is cut to " +
                Quoted(whole.substr(pieceStart, cutAt - pieceStart));
    if (!lost.empty())
        text += "; lost: " + lost;
    Warn(text + "; write the rest in " + rest + " (a continuation of the list)");
}

// Control characters and an encoding the system does not show; `controls`
// says what control characters do there.
void Checker::CheckText(const std::string& what, const std::string& text, const char* controls) {
    if (HasControlCharacters(text))
        Warn(what + " " + Quoted(text) + " holds control characters (shown escaped here), " +
             controls);
    if (!HasNonAscii(text))
        return;
    if (MultibyteCodePage() == kUtf8CodePage) {
        if (!IsValidUtf8(text))
            Warn(what + " " + Quoted(text) + " is not valid UTF-8, which names here are: " +
                 "save the file as UTF-8 (or UTF-16)");
    } else if (IsValidUtf8(text)) {
        Warn(what + " " + Quoted(text) + " looks like UTF-8 (the file was saved as UTF-8), " +
             "but names here are in the system's ANSI code page, where it reads garbled (a u " +
             "with umlaut becomes two characters): save the file as ANSI or UTF-16");
    }
}

void Checker::CheckNames() {
    for (std::size_t number = 0; number < result.shown.size(); ++number) {
        const std::string text = std::to_string(number);
        const std::string& name = result.shown[number].name;
        if (name.empty())
            Note("group " + text + " has no name (" + text +
                 "_name is missing or empty): " + "its files show an empty name, as folders do");
        CheckText("the name of group " + text, name, kShownGarbled);
    }
    if (result.shownFallback.empty())
        Note("UnknownGroupPlaceHolder is empty: files of no group show an empty name, as "
             "folders do");
    CheckText("the fallback name", result.shownFallback, kShownGarbled);
}

void Checker::CheckSections() {
    const SectionListing names = ProfileSection(path, "").ListSectionNames();
    for (const char* name = names.text.get(); *name != '\0'; name += std::strlen(name) + 1) {
        const std::string section = name;
        if (FoldedAscii(section) == "groups" || FoldedAscii(section) == "configuration")
            continue;
        const std::string nearest = NearestName(section, {"Groups", "Configuration"});
        Warn("section [" + Escaped(section) + "] is never read" +
             (nearest.empty() ? std::string(": the plugin reads [Groups] and [Configuration]")
                              : "; did you mean [" + nearest + "]?"));
    }
}

// The value of the key's line as written: the texts a listing hands over
// point into it, and a key's line is the key, its '=' and its value.
std::string_view RawValue(std::string_view key) {
    const char* value = key.data() + key.size() + 1;
    return std::string_view(value, std::strlen(value));
}

void Checker::CheckConfigurationKeys() {
    ProfileSection configuration(path, "Configuration");
    const SectionListing listing = configuration.ListSection();
    bool fallbackSeen = false;
    ProfileSection::ForEachKey(
        listing, [&](std::string_view key, std::string_view value, bool hasValue) {
            // Only a number 1 turns it on: a word that looks like yes leaves
            // it off.
            if (FoldedAscii(std::string(key)) == FoldedAscii(kReloadWhenChangedKey)) {
                if (!reloadSeen && !reloads && !value.empty() && value != "0")
                    Warn("[Configuration] " + Escaped(key) + "=" + Escaped(value) +
                         " leaves it off: only 1 turns it on");
                reloadSeen = true;
                return;
            }
            if (FoldedAscii(std::string(key)) == "unknowngroupplaceholder") {
                // A read finds the first line of the key; one without '=' gives
                // the default.
                if (!fallbackSeen && hasValue) {
                    result.judgedFallback = std::string(value);
                    CheckCut("Configuration", key, RawValue(key), value);
                }
                fallbackSeen = true;
                return;
            }
            const std::string nearest =
                NearestName(std::string(key), {"UnknownGroupPlaceHolder", kReloadWhenChangedKey});
            Warn("[Configuration] " + Escaped(key) + " is never read" +
                 (nearest.empty() ? std::string(": the keys there are UnknownGroupPlaceHolder, " +
                                                std::string(kReloadWhenChangedKey))
                                  : "; did you mean " + nearest + "?"));
        });
}

void Checker::CheckGroupKeys() {
    ProfileSection section(path, "Groups");
    const SectionListing listing = section.ListSection();
    // The groups as the values read from their keys make them. A line
    // without '=' takes its key's place all the same: a read finds it first
    // and gives the empty default.
    GroupKeys keys(listing);
    keys.TakeAll(listing);
    const std::size_t count = keys.GroupCount();
    const auto pieces = [&keys](GroupKeyKind kind, std::size_t number) {
        return PieceList(keys.List(kind, number)).Texts();
    };
    for (std::size_t number = 0; number < count; ++number)
        result.judged.push_back(CheckedGroup{std::string(keys.Text(GroupKeyKind::kName, number)),
                                             pieces(GroupKeyKind::kList, number),
                                             pieces(GroupKeyKind::kMasks, number)});
    // The continuations each group of the table has, by kind, so that a cut
    // list can name a free one for its rest.
    std::unordered_set<std::string> continuations;
    ProfileSection::ForEachKey(listing, [&](std::string_view key, std::string_view, bool) {
        GroupKeyName name;
        if (GroupKey(key, name) && name.part != 0)
            continuations.insert(GroupKeyText(GroupKeyName{name.number, name.kind, name.part}));
    });
    const auto freeContinuation = [&](const GroupKeyName& cut) {
        const GroupKeyKind kind =
            cut.kind == GroupKeyKind::kList || cut.kind == GroupKeyKind::kListMore
                ? GroupKeyKind::kListMore
                : GroupKeyKind::kMasksMore;
        std::uint32_t part = cut.part + 1;
        while (continuations.count(GroupKeyText(GroupKeyName{cut.number, kind, part})) != 0)
            ++part;
        return GroupKeyText(GroupKeyName{cut.number, kind, part});
    };

    FoldedMap<int> seen;
    // A key's line and its NUL take about this many bytes at the least.
    constexpr std::size_t kShortKeyLineBytes = 8;
    seen.reserve(listing.length / kShortKeyLineBytes);
    ProfileSection::ForEachKey(listing, [&](std::string_view key, std::string_view value,
                                            bool hasValue) {
        const int occurrence = ++seen[key];
        if (!hasValue) {
            Warn("[Groups] line " + Quoted(key) + " has no '=' and is ignored");
            return;
        }
        if (occurrence == 2)
            Warn("[Groups] " + Escaped(key) + " appears more than once: only the first is read");
        if (occurrence > 1)
            return;
        GroupKeyName name;
        const bool isKey = GroupKey(key, name);
        const std::uint32_t number = name.number;
        const GroupKeyKind kind = name.kind;
        const bool continuation = name.part != 0;
        if (!isKey) {
            // "1_nmae": a number and a misspelt suffix, the number being a
            // group's list key of its own.
            const std::size_t digits = key.find_first_not_of("0123456789");
            const bool numbered = digits != 0 && digits != std::string_view::npos &&
                                  GroupKey(key.substr(0, digits), name);
            std::string nearest;
            if (numbered)
                nearest = NearestName(std::string(key.substr(digits)),
                                      {"_name", "_masks", "_more", "_masks_more"});
            std::string advice = ": group keys are the numbers 0, 1, 2, ... written without "
                                 "sign or leading zeros, their names N_name, their name "
                                 "masks N_masks, and the continuations of a list N_more, "
                                 "N_more2, ... and of masks N_masks_more, N_masks_more2, ...";
            if (!nearest.empty())
                advice = "; did you mean " + Escaped(key.substr(0, digits)) + nearest + "?";
            Warn("[Groups] " + Escaped(key) + " is never read" + advice);
        } else if (number < count) {
            if (kind == GroupKeyKind::kName)
                CheckCut("Groups", key, RawValue(key), value);
            else
                CheckListCut(key, RawValue(key), value, freeContinuation(name));
        } else if (continuation && number == count) {
            Warn("[Groups] " + Escaped(key) + " continues group " + std::to_string(number) +
                 ", which has no extension list and no masks (" + std::to_string(number) + " and " +
                 std::to_string(number) +
                 "_masks are missing or empty): a continuation makes no group, and it is never "
                 "read");
        } else if (kind == GroupKeyKind::kName) {
            Warn("[Groups] " + Escaped(key) +
                 " names a group without an extension list or masks (" + std::to_string(number) +
                 " is missing or empty): it is never used");
        } else if (number > count) {
            Warn("[Groups] " + Escaped(key) + " is never read: the numbering stops at a gap, " +
                 std::to_string(count) + " has no extension list and no masks");
        }
    });
}

void Checker::CheckExtensions() {
    FoldedMap<std::size_t> firstGroup;
    std::size_t extensions = 0;
    for (const CheckedGroup& group : result.shown)
        extensions += group.extensions.size();
    firstGroup.reserve(extensions);
    for (std::size_t number = 0; number < result.shown.size(); ++number) {
        const std::string label = "group " + std::to_string(number);
        for (const std::string& extension : result.shown[number].extensions) {
            if (extension.find_first_of("*?;,") != std::string::npos) {
                const std::string text = std::to_string(number);
                const std::string bare = BareExtensions(extension);
                Warn(label + ": " + Quoted(extension) + " is written as a pattern, but the " +
                     "extension list takes bare extensions separated by '|'" +
                     (bare.empty() ? "" : ": write " + text + "=" + Escaped(bare)) +
                     ", or for name " + "masks " + text + "_masks=" + Escaped(AsMasks(extension)));
                continue;
            }
            if (extension.empty())
                Note(label + " has an empty piece in its list: it catches every file without " +
                     "an extension (and names that end in a dot)");
            else if (extension.find('.') != std::string::npos)
                Warn(label + ": " + Quoted(extension) + " holds a dot and never matches; write " +
                     "extensions without dots");
            // The extension is cut from the name after its folder, so it holds
            // no separator; Linux names may hold a '\', but a list that does
            // was most likely meant for Windows, or written as an escape.
            const std::size_t separator = extension.find_first_of("/\\");
            if (separator != std::string::npos)
                Warn(label + ": " + Quoted(extension) + " holds '" + extension[separator] + "', " +
                     (std::strchr(kPathSeparators, extension[separator]) != nullptr
                          ? "which separates folders: it never matches, as an extension is "
                            "cut from the file name"
                          : "which names here seldom hold and Windows names never do"));
            if (!extension.empty() &&
                (IsValueBlank(extension.front()) || IsValueBlank(extension.back())))
                Warn(label + ": " + Quoted(extension) + " has blanks beside a separator, which " +
                     "are part of the extension: it matches no ordinary file");
            if (HasControlCharacters(extension))
                Warn(label + ": " + Quoted(extension) + " holds control characters (shown " +
                     "escaped here), which file names seldom hold");
            auto found = firstGroup.emplace(extension, number);
            if (!found.second && found.first->second != number)
                Warn(label + ": " + ShownPiece(extension) + " is also listed by group " +
                     std::to_string(found.first->second) + ", which wins");
        }
    }
}

void Checker::CheckMasks() {
    std::size_t forMatcher = 0;
    for (std::size_t number = 0; number < result.shown.size(); ++number) {
        const std::string label = "group " + std::to_string(number) + ": mask";
        for (const std::string& mask : result.shown[number].masks) {
            // A mask is matched against the name alone, never its folder.
            const std::size_t separator = mask.find_first_of(kPathSeparators);
            if (separator != std::string::npos)
                Warn(label + " " + Quoted(mask) + " holds '" + mask[separator] + "', which no " +
                     "file name holds (a mask matches the name without its folder): it never " +
                     "matches");
            CheckText(label, mask, "which file names seldom hold");
            forMatcher += MaskNeedsMatcher(mask) ? 1 : 0;
        }
    }
    // Past this many, trying each on every file costs enough to mention.
    constexpr std::size_t kMatcherMasksWorthANote = 50;
    if (forMatcher > kMatcherMasksWorthANote)
        Note(std::to_string(forMatcher) + " masks are neither a plain name, a *suffix nor a " +
             "prefix*: the matcher tries each of them on every file, one match apiece");
}

void Checker::ShowTable(const GroupCatalog& catalog, const std::string& fallbackName,
                        const char* none) {
    for (const FileGroup& group : catalog.Groups())
        result.shown.push_back(
            CheckedGroup{std::string(group.name), group.extensions.Texts(), group.masks.Texts()});
    result.shownFallback = fallbackName;
    std::string& out = result.report;
    out += "Groups:\n";
    if (result.shown.empty())
        out += std::string("  ") + none + "\n";
    for (std::size_t number = 0; number < result.shown.size(); ++number) {
        const CheckedGroup& group = result.shown[number];
        std::string masks;
        for (const std::string& mask : group.masks)
            masks += (masks.empty() ? "masks " : " ") + ShownPiece(mask);
        std::string extensions;
        for (const std::string& extension : group.extensions)
            extensions += (extensions.empty() ? "" : " ") + ShownPiece(extension);
        out += "  " + std::to_string(number) + "  " +
               (group.name.empty() ? std::string("(no name)") : Escaped(group.name)) + ": " +
               extensions + (!masks.empty() && !extensions.empty() ? "; " : "") + masks + "\n";
    }
    out += "Fallback group:\n  " + std::to_string(result.shown.size()) + "  " +
           (fallbackName.empty() ? "(no name)" : Escaped(fallbackName)) + "\n";
}

SettingsCheck Checker::Run() {
    std::string& out = result.report;
    out += "Settings file: " + Escaped(path) + "\n";
    std::string bytes;
    const std::string problem = FileProblem(path, bytes);
    GroupCatalog catalog;
    // Only a regular file that reads is loaded; anything else gives what a
    // missing file gives.
    if (problem.empty())
        catalog.LoadGroups(path);
    reloads = catalog.ReloadsWhenChanged();
    // UTF-16 without a byte-order mark is read as 8-bit text, in which
    // every line ends at its first NUL: told once, in plain words.
    const TextForm form = FormOf(bytes);
    const bool unmarked = form.unmarked && catalog.Groups().empty();
    ShowTable(catalog, problem.empty() ? catalog.FallbackName() : kDefaultFallbackName,
              unmarked ? "(none: the file looks like UTF-16 without a byte-order mark, which "
                         "the plugin reads as 8-bit text)"
                       : "(none)");
    // A file the plugin cannot load says nothing of the key: what a running
    // plugin does then depends on the table it has.
    const bool loadable = problem.empty() && !bytes.empty();
    if (!loadable)
        out += "A running plugin that watches this file (ReloadWhenChanged=1 when it started) "
               "keeps the table it has until a file it can load is here; a file manager that "
               "starts now gives every file the fallback group.\n";
    else
        out += reloads ? "Edits apply while the file manager runs (ReloadWhenChanged=1).\n"
                       : "Edits apply when the file manager starts again (ReloadWhenChanged is "
                         "not 1; a file manager that started with it on keeps reloading until "
                         "then).\n";
    if (!problem.empty()) {
        Warn("the file " + problem +
             ": a file manager that starts now gives every file the "
             "fallback group");
        return Finish();
    }
    if (bytes.empty()) {
        Warn("the file is empty: a file manager that starts now gives every file the fallback "
             "group");
        return Finish();
    }
    if (unmarked)
        Warn("the file looks like UTF-16 (Notepad's \"Unicode\") but has no byte-order mark: "
             "the plugin reads it as 8-bit text and finds no groups; save it again as UTF-16 "
             "with a byte-order mark, or as ANSI or UTF-8");
    else
        for (const std::string& line : LinesWithNul(bytes, form))
            Warn("a line that begins " + Quoted(line) + " holds a NUL byte: the reader ends " +
                 "the line there and ignores the rest of it");
    if (result.shown.empty() && !unmarked)
        Warn("no group is defined ([Groups] 0 is missing or empty): every file gets the "
             "fallback group");
    CheckGroupKeys();
    CheckSections();
    CheckConfigurationKeys();
    CheckExtensions();
    CheckMasks();
    CheckNames();
    return Finish();
}

SettingsCheck Checker::Finish() {
    std::string& out = result.report;
    if (result.warnings.empty()) {
        out += "No warnings.\n";
    } else {
        out += "Warnings:\n";
        for (const std::string& warning : result.warnings)
            out += "  - " + warning + "\n";
    }
    if (!result.notes.empty()) {
        out += "Notes:\n";
        for (const std::string& note : result.notes)
            out += "  - " + note + "\n";
    }
    return result;
}

} // namespace

SettingsCheck CheckSettingsFile(const std::string& path) {
    return Checker(path).Run();
}
