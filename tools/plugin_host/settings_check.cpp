// The settings checker. The table comes from the plugin's own loader, so what
// is printed is what the plugin will use; the warnings come from the section
// listing of the same platform reader, compared with what the loader read.
#include "settings_check.h"

#include "ascii.h"
#include "bounded_string.h"
#include "check_helpers.h"
#include "code_page.h"
#include "group_catalog.h"
#include "profile_section.h"
#include "settings_location.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>

namespace {

const char* const kPluginName = "Lumbrasket";

std::string Lower(std::string text) {
    for (char& c : text)
        c = FoldAscii(c);
    return text;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The number a key names when it is written as the loader writes numbers:
// digits only, no sign, no leading zero; -1 otherwise.
long long CanonicalNumber(const std::string& text) {
    if (text.empty() || text.size() > 10 || (text.size() > 1 && text[0] == '0'))
        return -1;
    long long number = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return -1;
        number = number * 10 + (c - '0');
    }
    return number <= 2147483647 ? number : -1;
}

// A value as the reader hands it back: without a pair of enclosing quotes.
std::string Unquoted(const std::string& value) {
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
        return value.substr(1, value.size() - 2);
    return value;
}

std::string Shown(const std::string& extension) {
    if (extension.empty() || IsBlank(extension.front()) || IsBlank(extension.back()))
        return "\"" + extension + "\"";
    return extension;
}

std::string ListText(const std::vector<std::string>& extensions) {
    std::string text;
    for (const std::string& extension : extensions)
        text += (text.empty() ? "" : " ") + Shown(extension);
    return text;
}

// What stands at the path, told without opening it: a FIFO or a device is
// never opened, as the plugin's reader never opens one. Empty when it is a
// regular file that can be read; `bytes` then holds its text.
std::string FileProblem(const std::string& path, std::string& bytes) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (status.type() == fs::file_type::not_found)
        return "does not exist";
    if (error)
        return "cannot be read (" + error.message() + ")";
    if (status.type() == fs::file_type::directory)
        return "is a folder, not a file";
    if (status.type() != fs::file_type::regular)
        return "is not a regular file (a pipe, a device or the like), and the plugin never "
               "reads one";
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return "cannot be read (" + std::string(std::strerror(errno)) + ")";
    char chunk[4096];
    std::size_t count;
    while ((count = std::fread(chunk, 1, sizeof(chunk), file)) > 0)
        bytes.append(chunk, count);
    std::fclose(file);
    return "";
}

// The lines of the text that hold a NUL byte, as the reader lists them: the
// part before the NUL, trimmed.
std::vector<std::string> LinesWithNul(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = bytes.size();
        const std::size_t nul = bytes.find('\0', start);
        if (nul < end) {
            std::string before = bytes.substr(start, nul - start);
            const std::size_t first = before.find_first_not_of(" \t");
            const std::size_t last = before.find_last_not_of(" \t");
            lines.push_back(first == std::string::npos ? ""
                                                       : before.substr(first, last - first + 1));
        }
        start = end + 1;
    }
    return lines;
}

class Checker {
public:
    explicit Checker(const std::string& path) : path(path) {}
    SettingsCheck Run();

private:
    void Warn(const std::string& text) { result.warnings.push_back(text); }
    void Note(const std::string& text) { result.notes.push_back(text); }
    void CheckSections();
    void CheckConfigurationKeys();
    void CheckNames(const std::vector<FileGroup>& groups, const std::string& fallbackName);
    void CheckEncoding(const std::string& what, const std::string& text);
    void CheckListCut(const std::string& key, const std::string& value);
    // The groups and the fallback as the plugin will use them.
    void ShowTable(const std::vector<FileGroup>& groups, const std::string& fallbackName);
    // Ends the report with the warnings.
    SettingsCheck Finish();
    void CheckGroupKeys(std::size_t groupCount);
    void CheckCut(const char* section, const std::string& key, const std::string& value);
    void CheckExtensions(const std::vector<FileGroup>& groups);

    std::string path;
    SettingsCheck result;
};

void Checker::CheckCut(const char* section, const std::string& key, const std::string& value) {
    const std::size_t length = Unquoted(value).size();
    if (length > kPathBufferSize - 1)
        Warn("[" + std::string(section) + "] " + key + " is " + std::to_string(length) +
             " bytes long: only its first 259 bytes are read");
}

// For an extension or mask list longer than 259 bytes: which pieces are cut
// and which are lost.
void Checker::CheckListCut(const std::string& key, const std::string& value) {
    const std::string whole = Unquoted(value);
    const std::size_t cutAt = kPathBufferSize - 1;
    if (whole.size() <= cutAt)
        return;
    const std::size_t separator = whole.rfind('|', cutAt - 1);
    const std::size_t pieceStart = separator == std::string::npos ? 0 : separator + 1;
    const std::size_t pieceEnd = std::min(whole.find('|', pieceStart), whole.size());
    std::string lost;
    for (std::size_t at = pieceEnd; at < whole.size();) {
        const std::size_t next = std::min(whole.find('|', at + 1), whole.size());
        const std::string piece = whole.substr(at + 1, next - at - 1);
        if (!piece.empty())
            lost += (lost.empty() ? "" : " ") + piece;
        at = next;
    }
    std::string text = "[Groups] " + key + " is " + std::to_string(whole.size()) +
                       " bytes long: only its first 259 bytes are read";
    if (pieceEnd > cutAt)
        text += "; \"" + whole.substr(pieceStart, pieceEnd - pieceStart) + "\" is cut to \"" +
                whole.substr(pieceStart, cutAt - pieceStart) + "\"";
    if (!lost.empty())
        text += "; lost: " + lost;
    Warn(text);
}

void Checker::CheckEncoding(const std::string& what, const std::string& text) {
    if (!HasNonAscii(text))
        return;
    if (MultibyteCodePage() == kUtf8CodePage) {
        if (!IsValidUtf8(text))
            Warn(what + " \"" + text + "\" is not valid UTF-8, which the host shows: save the " +
                 "file as UTF-8 (or UTF-16)");
    } else if (IsValidUtf8(text)) {
        Warn(what + " \"" + text + "\" looks like UTF-8 (the file was saved as UTF-8), but the " +
             "host shows names in the system's ANSI code page, where it reads garbled (a u " +
             "with umlaut becomes two characters): save the file as ANSI or UTF-16");
    }
}

void Checker::CheckNames(const std::vector<FileGroup>& groups, const std::string& fallbackName) {
    for (const FileGroup& group : groups) {
        const std::string number = std::to_string(group.number);
        if (group.name.empty())
            Note("group " + number + " has no name (" + number +
                 "_name is missing or empty): " + "its files show an empty name, as folders do");
        CheckEncoding("the name of group " + number, std::string(group.name));
    }
    if (fallbackName.empty())
        Note("UnknownGroupPlaceHolder is empty: files of no group show an empty name, as "
             "folders do");
    CheckEncoding("the fallback name", fallbackName);
}

void Checker::CheckSections() {
    std::vector<char> names(1 << 16);
    while (GetPrivateProfileStringA(nullptr, nullptr, "", names.data(),
                                    static_cast<DWORD>(names.size()), path.c_str()) +
               2 >=
           names.size())
        names.assign(names.size() * 4, '\0');
    for (const char* name = names.data(); *name != '\0'; name += std::strlen(name) + 1) {
        const std::string section = name;
        if (Lower(section) == "groups" || Lower(section) == "configuration")
            continue;
        const std::string nearest = NearestName(section, {"Groups", "Configuration"});
        Warn("section [" + section + "] is never read" +
             (nearest.empty() ? std::string(": the plugin reads [Groups] and [Configuration]")
                              : "; did you mean [" + nearest + "]?"));
    }
}

void Checker::CheckConfigurationKeys() {
    ProfileSection configuration(path, "Configuration");
    for (const SectionEntry* entry = configuration.ReadSection(); entry;
         entry = configuration.NextEntry()) {
        const std::string& key = entry->key.empty() ? entry->line : entry->key;
        if (Lower(key) == "unknowngroupplaceholder") {
            CheckCut("Configuration", entry->key, entry->value);
            continue;
        }
        const std::string nearest = NearestName(key, {"UnknownGroupPlaceHolder"});
        Warn("[Configuration] " + key + " is never read" +
             (nearest.empty() ? std::string(": the only key there is UnknownGroupPlaceHolder")
                              : "; did you mean " + nearest + "?"));
    }
}

void Checker::CheckGroupKeys(std::size_t groupCount) {
    ProfileSection listing(path, "Groups");
    std::map<std::string, int> seen;
    for (const SectionEntry* entry = listing.ReadSection(); entry; entry = listing.NextEntry()) {
        if (entry->key.empty() && entry->line.find('=') == std::string::npos) {
            Warn("[Groups] line \"" + entry->line + "\" has no '=' and is ignored");
            continue;
        }
        const std::string& key = entry->key;
        const int occurrence = ++seen[Lower(key)];
        if (occurrence == 2)
            Warn("[Groups] " + key + " appears more than once: only the first is read");
        if (occurrence > 1)
            continue;
        const bool isName = key.size() > 5 && Lower(key.substr(key.size() - 5)) == "_name";
        const bool isMasks = key.size() > 6 && Lower(key.substr(key.size() - 6)) == "_masks";
        const std::size_t suffix = isName ? 5 : isMasks ? 6 : 0;
        const long long number = CanonicalNumber(key.substr(0, key.size() - suffix));
        const long long count = static_cast<long long>(groupCount);
        if (number < 0) {
            // "1_nmae": a number and a misspelt suffix.
            const std::size_t digits = key.find_first_not_of("0123456789");
            const bool numbered = digits != 0 && digits != std::string::npos &&
                                  CanonicalNumber(key.substr(0, digits)) >= 0;
            const std::string nearest =
                numbered ? NearestName(key.substr(digits), {"_name", "_masks"}) : std::string();
            Warn("[Groups] " + key + " is never read" +
                 (nearest.empty()
                      ? std::string(": group keys are the numbers 0, 1, 2, ... written without "
                                    "sign or leading zeros, their names N_name and their name "
                                    "masks N_masks")
                      : "; did you mean " + key.substr(0, digits) + nearest + "?"));
        } else if (number < count) {
            if (isName)
                CheckCut("Groups", key, entry->value);
            else
                CheckListCut(key, entry->value);
        } else if (isName) {
            Warn("[Groups] " + key + " names a group without an extension list or masks (" +
                 key.substr(0, key.size() - 5) + " is missing or empty): it is never used");
        } else if (number > count) {
            Warn("[Groups] " + key + " is never read: the numbering stops at a gap, " +
                 std::to_string(count) + " has no extension list and no masks");
        }
    }
}

void Checker::CheckExtensions(const std::vector<FileGroup>& groups) {
    std::map<std::string, std::int32_t> firstGroup;
    for (const FileGroup& group : groups) {
        const std::string label = "group " + std::to_string(group.number);
        for (const std::string& extension : group.extensions.Texts()) {
            if (extension.find_first_of("*?;,") != std::string::npos) {
                const std::string number = std::to_string(group.number);
                const std::string bare = BareExtensions(extension);
                Warn(label + ": \"" + extension + "\" is written as a pattern, but the " +
                     "extension list takes bare extensions separated by '|'" +
                     (bare.empty() ? "" : ": write " + number + "=" + bare) + ", or for name " +
                     "masks " + number + "_masks=" + AsMasks(extension));
                continue;
            }
            if (extension.empty())
                Note(label + " has an empty piece in its list: it catches every file without " +
                     "an extension (and names that end in a dot)");
            else if (extension.find('.') != std::string::npos)
                Warn(label + ": \"" + extension + "\" holds a dot and never matches; write " +
                     "extensions without dots");
            if (!extension.empty() && (IsBlank(extension.front()) || IsBlank(extension.back())))
                Warn(label + ": \"" + extension + "\" has blanks beside a separator, which " +
                     "are part of the extension: it matches no ordinary file");
            auto found = firstGroup.emplace(Lower(extension), group.number);
            if (!found.second && found.first->second != group.number)
                Warn(label + ": " + Shown(extension) + " is also listed by group " +
                     std::to_string(found.first->second) + ", which wins");
        }
    }
}

void Checker::ShowTable(const std::vector<FileGroup>& groups, const std::string& fallbackName) {
    std::string& out = result.report;
    out += "Groups:\n";
    if (groups.empty())
        out += "  (none)\n";
    for (const FileGroup& group : groups)
        out += "  " + std::to_string(group.number) + "  " +
               (group.name.empty() ? std::string("(no name)") : std::string(group.name)) + ": " +
               ListText(group.extensions.Texts()) +
               (group.masks.empty()        ? ""
                : group.extensions.empty() ? "masks " + ListText(group.masks.Texts())
                                           : "; masks " + ListText(group.masks.Texts())) +
               "\n";
    out += "Fallback group:\n  " + std::to_string(groups.size()) + "  " +
           (fallbackName.empty() ? "(no name)" : fallbackName) + "\n";
}

SettingsCheck Checker::Run() {
    std::string& out = result.report;
    out += "Settings file: " + path + "\n";
    std::string bytes;
    const std::string problem = FileProblem(path, bytes);
    GroupCatalog catalog;
    // Only a regular file that reads is loaded; anything else gives what a
    // missing file gives.
    if (problem.empty())
        catalog.LoadGroups(path);
    const std::vector<FileGroup>& groups = catalog.Groups();
    ShowTable(groups, problem.empty() ? catalog.FallbackName() : kDefaultFallbackName);
    if (!problem.empty()) {
        Warn("the file " + problem + ": every file gets the fallback group");
        return Finish();
    }
    if (bytes.empty()) {
        Warn("the file is empty: every file gets the fallback group");
        return Finish();
    }
    for (const std::string& line : LinesWithNul(bytes))
        Warn("a line that begins \"" + line + "\" holds a NUL byte: the reader ends the line " +
             "there and ignores the rest of it");
    if (groups.empty())
        Warn("no group is defined ([Groups] 0 is missing or empty): every file gets the "
             "fallback group");
    CheckGroupKeys(groups.size());
    CheckSections();
    CheckConfigurationKeys();
    CheckExtensions(groups);
    CheckNames(groups, catalog.FallbackName());
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

std::string ExplainSettingsLocation(HMODULE pluginModule, const std::string& hostProgram,
                                    const std::string& hostSettingsPath, std::string& report) {
    report += "Host settings file: " + hostSettingsPath + "\n";
    report += "Places searched, in order:\n";
    std::string chosen;
    std::string first;
    for (const SettingsPlace& each : kSettingsPlaces) {
        const int place = each.location;
        char candidate[kPathBufferSize] = {};
        std::string line = "  " + std::to_string(place) + ". " + each.description + ": ";
        if (place == kSettingsBesideModule && pluginModule == nullptr) {
            report += line + "(unknown: give --plugin)\n";
            continue;
        }
        if (place == kSettingsBesideProgram && hostProgram.empty()) {
            report += line + "(unknown: give --host-program)\n";
            continue;
        }
        // The host program's folder is not this checker's: the place beside
        // it is composed from the path given, as the one beside the host
        // settings file is.
        const bool placed = place == kSettingsBesideProgram
                                ? SettingsCandidate(kSettingsBesideHost, nullptr, kPluginName,
                                                    hostProgram.c_str(), candidate)
                                : SettingsCandidate(place, pluginModule, kPluginName,
                                                    hostSettingsPath.c_str(), candidate);
        if (!placed) {
            report += line + "(no folder to look in)\n";
            continue;
        }
        if (place == kSettingsBesideHost)
            first = candidate;
        const bool exists = PathExists(candidate) != 0;
        // A path buffer holds 259 bytes: a longer path is cut, and the cut
        // one names no settings file.
        const bool cut = std::strlen(candidate) >= kPathBufferSize - 1;
        line += std::string(candidate) +
                (exists ? (chosen.empty() ? "  <- in effect" : "  (exists, not used)")
                 : cut  ? "  (cut: the path is longer than the plugin's 259 bytes)"
                        : "  (missing)");
        if (exists && chosen.empty())
            chosen = candidate;
        report += line + "\n";
    }
    if (chosen.empty())
        report += "No settings file exists; the plugin reads the first place and uses defaults.\n";
    return chosen.empty() ? first : chosen;
}

SettingsCheck CheckSettingsFile(const std::string& path) {
    return Checker(path).Run();
}
