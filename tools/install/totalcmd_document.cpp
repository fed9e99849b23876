// Total Commander's settings as `install` edits them: wincmd.ini and the
// files its sections are sent to by RedirectSection (FindSectionFile), each
// edited line by line as the system's profile calls would (IniLines), so
// that every line install does not touch stays as it was, in the file's own
// encoding (code page, UTF-8 or UTF-16 with its mark). The forms follow the host's published
// description where there is one: a column view's widths, headers, contents and options as the file
// system plugin interface gives them (FsContentGetDefaultView,
// https://ghisler.github.io/WFX-SDK/fscontentgetdefaultview.htm: "[=plugin.
// field]" contents and headers separated by the two characters "\n", widths
// with the name's and the extension's first, negative for right-aligned, and
// options "auto-adjust-width, or -1 | horizontal scrollbar flag"); a plugin
// archive's installation (pluginst.inf) and %COMMANDER_PATH% for the
// program's folder in the host's history and plugin guide. The host's own
// help on wincmd.ini was not at hand; the section and key names below are
// those of settings files the host wrote and users published (custom views
// as the host's wiki shows them, https://www.ghisler.ch/wiki/index.php?title=
// Uniquely_named_custom_column_configs_(more_custom_column_configs): Titles
// with "|" between the names, WidthsN, HeadersN, ContentsN, OptionsN; search
// templates and colour filters as saved files show "NAME_SearchFlags=0|..."
// in [searches] beside "ColorFilterN=>NAME" and a decimal ColorFilterNColor
// in [Colors]). No running host checked them:
//   [ContentPlugins]  N=path, numbered from 0;
//   [CustomFields]    Titles=A|B..., and for view N (from 1) WidthsN,
//                     HeadersN, ContentsN, OptionsN;
//   [searches]        NAME_SearchFor, _SearchIn, _SearchText, _SearchFlags
//                     and NAME_plugin="plugin.field" = value;
//   [Colors]          ColorFilterN=>TEMPLATE and ColorFilterNColor (0xBBGGRR),
//                     numbered from 1 without gaps.
#include "tools/install/host_settings_document.h"

#include "fsutil/path_abbreviation.h"
#include "fsutil/volume_identity.h"
#include "hostconfig/settings_redirection.h"
#include "platform/text/ascii.h"
#include "platform/text/ini_value.h"
#include "platform/text/printable_text.h"
#include "platform/win32.h"
#include "settings/bounded_string.h"
#include "settings/settings_location.h"
#include "tools/files/replaced_file.h"
#include "tools/install/ini_lines.h"

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

const char* const kPlugins = "ContentPlugins";
const char* const kViews = "CustomFields";
const char* const kSearches = "searches";
const char* const kColours = "Colors";
const char* const kSections[] = {kPlugins, kViews, kSearches, kColours};

// The plugin's name in a field reference: its file name, in lower case.
std::string FieldPlugin(const std::string& pluginName) {
    return FoldedAscii(pluginName);
}

std::string FileNameOf(const std::string& path) {
    const std::size_t separator = path.find_last_of("\\/");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

bool SameNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && SameIgnoringAsciiCase(a.data(), a.size(), b.data(), b.size());
}

// Whether a plugin entry's path names the plugin's file: by its file name,
// or, where the name is one the system shortened to 8.3 (in the file name
// or a folder's), by the long name of the file it names.
bool NamesPlugin(const std::string& path, const std::string& name) {
    const auto ours = [&name](const std::string& file) {
        const std::string fileName = FileNameOf(file);
        return SameNoCase(fileName, name + ".wdx") || SameNoCase(fileName, name + ".wdx64");
    };
    if (ours(path))
        return true;
    char file[kPathBufferSize] = {};
    const DWORD expanded = ExpandEnvironmentStringsA(path.c_str(), file, kPathBufferSize);
    if (expanded == 0 || expanded > kPathBufferSize)
        return false;
    char longName[kPathBufferSize] = {};
    const DWORD length = GetLongPathNameA(file, longName, kPathBufferSize);
    return length > 0 && length < kPathBufferSize && ours(longName);
}

// The number a key's name starts with at `at`, in the one spelling the
// host's "N" gives (no leading zero), with `at` moved past it; -1 for none.
int NumberAt(const std::string& text, std::size_t& at) {
    std::size_t end = at;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9')
        ++end;
    const std::size_t digits = end - at;
    if (digits == 0 || digits > 9 || (digits > 1 && text[at] == '0'))
        return -1;
    const int number = std::stoi(text.substr(at, digits));
    at = end;
    return number;
}

// The number of colour filter N's keys (ColorFilterN, ColorFilterNColor,
// ...) with what follows it in `suffix`; 0 for any other key.
int ColourNumber(const std::string& key, std::string& suffix) {
    const std::string prefix = "ColorFilter";
    if (key.size() <= prefix.size() || !SameNoCase(key.substr(0, prefix.size()), prefix))
        return 0;
    std::size_t at = prefix.size();
    const int number = NumberAt(key, at);
    suffix = key.substr(at);
    return number > 0 ? number : 0;
}

// The host's program folder as the host gives it to the programs it starts;
// the tool sets it from the program it finds (the system's environment,
// which the C library's copy does not follow).
// The host's program folder as the host sets it for the programs it starts,
// in the code page with '?' for each character the code page lacks: read as
// characters and converted without look-alike letters, so that a folder
// outside the code page is seen (and refused) rather than taken for
// another folder whose name differs by a letter.
std::string CommanderPath() {
    wchar_t wide[kPathBufferSize] = {};
    const DWORD length = GetEnvironmentVariableW(L"COMMANDER_PATH", wide, kPathBufferSize);
    if (length == 0 || length >= kPathBufferSize)
        return std::string();
    char value[kPathBufferSize * 2] = {};
    const int size =
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, static_cast<int>(length), value,
                            sizeof value - 1, nullptr, nullptr);
    return size > 0 && size < static_cast<int>(kPathBufferSize) ? std::string(value, size)
                                                                : std::string();
}

// Text between the system's code page, which install's names are in, and
// UTF-8, in which a file in a Unicode encoding is edited.
std::string Converted(const std::string& text, UINT from, UINT to) {
    if (text.empty())
        return text;
    const int wide =
        MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring units(wide, L'\0');
    MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), &units[0], wide);
    const int size = WideCharToMultiByte(to, 0, units.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string out(size, '\0');
    WideCharToMultiByte(to, 0, units.data(), wide, &out[0], size, nullptr, nullptr);
    return out;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    if (text.empty())
        return parts;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1)
        parts.push_back(text.substr(start, at - start));
    parts.push_back(text.substr(start));
    return parts;
}

// A value as the host reads it back: the system's reader takes away one
// pair of quotes around a whole value, so such a value gets one more.
std::string Protected(const std::string& value) {
    return IsQuotedIniValue(value) ? "\"" + value + "\"" : value;
}

} // namespace

struct HostSettingsDocument::Parsed {
    struct File {
        std::string path;
        std::string before;
        IniLines lines;
    };
    std::vector<File> files;
    // Which of the files holds each section.
    std::size_t sectionFile[sizeof kSections / sizeof kSections[0]] = {};

    File& Of(const char* section) { return files[SectionIndex(section)]; }
    const File& Of(const char* section) const { return files[SectionIndex(section)]; }
    // By the name's text: the same literal may sit at two addresses (a
    // function the compiler emits on its own keeps its own copy), so the
    // address of kColours in one place need not be the one in kSections.
    std::size_t SectionIndex(const char* section) const {
        for (std::size_t i = 0; i < sizeof kSections / sizeof kSections[0]; ++i)
            if (std::strcmp(kSections[i], section) == 0)
                return sectionFile[i];
        return 0;
    }

    std::string Get(const char* section, const std::string& key) const {
        const File& file = Of(section);
        return Decoded(file, file.lines.Get(section, Encoded(file, key)));
    }
    void Put(const char* section, const std::string& key, const std::string& value) {
        File& file = Of(section);
        file.lines.Put(section, Encoded(file, key), Encoded(file, value));
    }
    void Drop(const char* section, const std::string& key) {
        File& file = Of(section);
        file.lines.Drop(section, Encoded(file, key));
    }
    static std::string Encoded(const File& file, const std::string& text) {
        return file.lines.Unicode() ? Converted(text, CP_ACP, CP_UTF8) : text;
    }
    static std::string Decoded(const File& file, const std::string& text) {
        return file.lines.Unicode() ? Converted(text, CP_UTF8, CP_ACP) : text;
    }
    // The keys of the section, in one pass over the file that holds it.
    std::vector<IniLines::SectionKey> SectionKeys(const char* section) const {
        return Of(section).lines.Keys(section);
    }
    // The section's values by their keys' names in ASCII lower case, the
    // first of a name counting, in one pass; ValueOf looks one up.
    std::map<std::string, std::string> Values(const char* section) const {
        std::map<std::string, std::string> values;
        for (const IniLines::SectionKey& key : SectionKeys(section))
            values.emplace(FoldedAscii(key.name), key.value);
        return values;
    }
    std::string ValueOf(const std::map<std::string, std::string>& values, const char* section,
                        const std::string& key) const {
        const auto found = values.find(FoldedAscii(Encoded(Of(section), key)));
        return found == values.end() ? std::string() : Decoded(Of(section), found->second);
    }

    // The index of the file at `path`, read once whatever the spelling that
    // names it: sections sent to one file by two spellings (or to the main
    // file itself) are edited in one text, or the file's last write would
    // drop the others' edits. -1, with the reason, when it cannot be read.
    int Open(const std::string& path, std::string& problem) {
        for (std::size_t i = 0; i < files.size(); ++i)
            if (IsOneFile(files[i].path.c_str(), path.c_str()) != 0)
                return static_cast<int>(i);
        std::string before;
        std::string reason;
        if (!ReadWholeFile(path, before, reason)) {
            problem = "cannot read " + path + ": " + reason;
            return -1;
        }
        files.push_back({path, before, IniLines(before)});
        return static_cast<int>(files.size()) - 1;
    }

    // The plugin entries the host's reader sees (the first key of each
    // number, with a value), by number, in one pass: those after a gap in
    // the numbering too, which a host reading up to the gap passes over but
    // which still list the plugin (a second entry for it would be met once
    // the gap is filled).
    struct PluginList {
        std::vector<std::pair<int, std::string>> entries;
        std::set<int> numbers;
    };
    PluginList Plugins() const {
        PluginList list;
        std::set<int> seen;
        for (const IniLines::SectionKey& key : SectionKeys(kPlugins)) {
            std::size_t at = 0;
            const int number = NumberAt(key.name, at);
            if (number < 0 || at != key.name.size() || !seen.insert(number).second ||
                key.value.empty())
                continue;
            list.entries.push_back({number, Decoded(Of(kPlugins), key.value)});
            list.numbers.insert(number);
        }
        return list;
    }
    // The number of the plugin entry whose file is the plugin's, or -1.
    int PluginEntry(const std::string& name) const {
        for (const auto& entry : Plugins().entries)
            if (NamesPlugin(entry.second, name))
                return entry.first;
        return -1;
    }
    // The first number missing, where the host reads a new entry.
    int FreePluginEntry() const {
        const std::set<int> numbers = Plugins().numbers;
        int number = 0;
        while (numbers.count(number) != 0)
            ++number;
        return number;
    }
    // The highest number listed, or -1.
    int LastPluginEntry() const {
        const std::set<int> numbers = Plugins().numbers;
        return numbers.empty() ? -1 : *numbers.rbegin();
    }
    // The views' titles, and the number (from 1) of the one of that name, or 0.
    std::vector<std::string> Titles() const { return Split(Get(kViews, "Titles"), '|'); }
    int View(const std::string& name) const {
        const std::vector<std::string> titles = Titles();
        for (std::size_t i = 0; i < titles.size(); ++i)
            if (titles[i] == name)
                return static_cast<int>(i) + 1;
        return 0;
    }
    // The colour filters the host reads, in one pass over their section:
    // ColorFilterN's value (the first key of the name) for N from 1 up to
    // the first number missing, N - 1 its index.
    std::vector<std::string> ColourFilters(const std::vector<IniLines::SectionKey>& keys) const {
        // A number past the count of keys cannot come before a gap.
        std::vector<const std::string*> values(keys.size(), nullptr);
        for (const IniLines::SectionKey& key : keys) {
            std::string suffix;
            const int number = ColourNumber(key.name, suffix);
            if (number > 0 && suffix.empty() && static_cast<std::size_t>(number) <= keys.size() &&
                values[number - 1] == nullptr)
                values[number - 1] = &key.value;
        }
        std::vector<std::string> filters;
        for (const std::string* value : values) {
            if (value == nullptr || value->empty())
                break;
            filters.push_back(Decoded(Of(kColours), *value));
        }
        return filters;
    }
    // The colour filters' count, and the number (from 1) of the one that
    // names the template, or 0.
    int Colours() const { return static_cast<int>(ColourFilters(SectionKeys(kColours)).size()); }
    static int Colour(const std::vector<std::string>& filters, const std::string& name) {
        for (std::size_t i = 0; i < filters.size(); ++i)
            if (filters[i] == ">" + name)
                return static_cast<int>(i) + 1;
        return 0;
    }
    int Colour(const std::string& name) const {
        return Colour(ColourFilters(SectionKeys(kColours)), name);
    }
};

HostSettingsDocument::HostSettingsDocument() : parsed(new Parsed) {}
HostSettingsDocument::~HostSettingsDocument() = default;

bool HostSettingsDocument::Load(const std::string& mainFile, std::string& problem) {
    // The section search reads the file through the system's profile
    // calls, which may keep what they read of it before it was replaced:
    // a write of nothing at all lets that go.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, mainFile.c_str());
    if (parsed->Open(mainFile, problem) < 0)
        return false;
    if (!parsed->files[0].lines.HasSection("Configuration")) {
        problem = "cannot read " + mainFile +
                  " as Total Commander's settings: it has no [Configuration] section";
        return false;
    }
    for (std::size_t i = 0; i < sizeof kSections / sizeof kSections[0]; ++i) {
        char file[kPathBufferSize] = {};
        const int exists = FindSectionFile(mainFile.c_str(), kSections[i], file);
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, file);
        if (exists == 0) {
            problem = "the section [" + std::string(kSections[i]) + "] of " + mainFile +
                      " is sent to " + file + ", which Total Commander has not written yet";
            return false;
        }
        const int opened = parsed->Open(file, problem);
        if (opened < 0)
            return false;
        parsed->sectionFile[i] = static_cast<std::size_t>(opened);
    }
    return true;
}

void HostSettingsDocument::LoadEmpty() {
    parsed->files.push_back({std::string(), std::string(), IniLines(std::string())});
    for (std::size_t& file : parsed->sectionFile)
        file = parsed->files.size() - 1;
}

// The host writes no version into its settings.
std::string HostSettingsDocument::HostVersion() const {
    return std::string();
}

std::string HostSettingsDocument::RegisteredPluginPath(const std::string& name) const {
    const int number = parsed->PluginEntry(name);
    return number < 0 ? std::string() : parsed->Get(kPlugins, std::to_string(number));
}

std::string HostSettingsDocument::Fingerprint(const ItemRef& item) const {
    switch (item.kind) {
    case ItemKind::kPlugin: {
        const int number = parsed->PluginEntry(item.name);
        return number < 0 ? std::string() : parsed->Get(kPlugins, std::to_string(number));
    }
    case ItemKind::kColumnView: {
        const int view = parsed->View(item.name);
        const std::string n = std::to_string(view);
        return view == 0 ? std::string()
                         : parsed->Get(kViews, "Headers" + n) + "\n" +
                               parsed->Get(kViews, "Contents" + n);
    }
    case ItemKind::kSearchTemplate: {
        const std::string found = parsed->Get(kSearches, item.name + "_SearchFor");
        return found.empty() ? std::string()
                             : found + "\n" + parsed->Get(kSearches, item.name + "_plugin");
    }
    case ItemKind::kFileColour: {
        const int number = parsed->Colour(item.name);
        return number == 0
                   ? std::string()
                   : ">" + item.name + "\n" +
                         parsed->Get(kColours, "ColorFilter" + std::to_string(number) + "Color");
    }
    }
    return std::string();
}

// The colours name their templates, which the file lists under no heading
// of their own: a template of the plugin's is found through its colour.
std::vector<ItemRef> HostSettingsDocument::ItemsNamedAfter(const std::string& pluginName) const {
    std::vector<ItemRef> items;
    if (parsed->PluginEntry(pluginName) >= 0)
        items.push_back({ItemKind::kPlugin, pluginName});
    const std::string prefix = pluginName + ": ";
    for (const std::string& title : parsed->Titles())
        if (title == pluginName || title.compare(0, prefix.size(), prefix) == 0)
            items.push_back({ItemKind::kColumnView, title});
    const std::map<std::string, std::string> searches = parsed->Values(kSearches);
    for (const std::string& masks : parsed->ColourFilters(parsed->SectionKeys(kColours))) {
        if (masks.compare(0, prefix.size() + 1, ">" + prefix) != 0 ||
            masks.find(';') != std::string::npos)
            continue;
        const std::string name = masks.substr(1);
        items.push_back({ItemKind::kFileColour, name});
        if (!parsed->ValueOf(searches, kSearches, name + "_SearchFor").empty())
            items.push_back({ItemKind::kSearchTemplate, name});
    }
    return items;
}

// A colour is known by the template its masks name alone (">NAME"); one
// with other masks beside it goes by its masks.
std::vector<ItemUse> HostSettingsDocument::Uses(const std::string& pluginName) const {
    std::vector<ItemUse> uses;
    const ItemRef plugin{ItemKind::kPlugin, pluginName};
    const std::string field = "[=" + FieldPlugin(pluginName) + ".";
    const std::vector<std::string> titles = parsed->Titles();
    for (std::size_t i = 0; i < titles.size(); ++i)
        if (parsed->Get(kViews, "Contents" + std::to_string(i + 1)).find(field) !=
            std::string::npos)
            uses.push_back({{ItemKind::kColumnView, titles[i]}, plugin});
    const std::string condition = "\"" + FieldPlugin(pluginName) + ".";
    const std::map<std::string, std::string> searches = parsed->Values(kSearches);
    for (const std::string& masks : parsed->ColourFilters(parsed->SectionKeys(kColours))) {
        const bool alone =
            !masks.empty() && masks[0] == '>' && masks.find(';') == std::string::npos;
        for (const std::string& mask : Split(masks, ';')) {
            if (mask.empty() || mask[0] != '>')
                continue;
            const std::string name = mask.substr(1);
            uses.push_back(
                {{ItemKind::kFileColour, alone ? name : masks}, {ItemKind::kSearchTemplate, name}});
            if (parsed->ValueOf(searches, kSearches, name + "_plugin").find(condition) !=
                std::string::npos)
                uses.push_back({{ItemKind::kSearchTemplate, name}, plugin});
        }
    }
    return uses;
}

const char* HostSettingsDocument::KeptBecause(const ItemRef& item) const {
    // Plugins and views are known by their numbers elsewhere (the 64-bit
    // host's list of plugins, a panel's view): only the last one goes.
    if (item.kind == ItemKind::kPlugin &&
        parsed->PluginEntry(item.name) != parsed->LastPluginEntry())
        return "not the last content plugin, and taking it out would renumber the ones after it";
    if (item.kind == ItemKind::kColumnView &&
        parsed->View(item.name) != static_cast<int>(parsed->Titles().size()))
        return "not the last column view, and taking it out would renumber the ones after it";
    return nullptr;
}

void HostSettingsDocument::AddPlugin(const PluginEntry& plugin) {
    parsed->Put(kPlugins, std::to_string(parsed->FreePluginEntry()), plugin.path);
}

void HostSettingsDocument::AddColumnView(const std::string& name, const std::string& pluginName) {
    std::vector<std::string> titles = parsed->Titles();
    std::string joined;
    for (const std::string& title : titles)
        joined += title + "|";
    parsed->Put(kViews, "Titles", joined + name);
    const std::string n = std::to_string(titles.size() + 1);
    // Name and extension first, the group beside them; the size and the
    // date right-aligned.
    parsed->Put(kViews, "Widths" + n, "220,45,120,-80,-110");
    parsed->Put(kViews, "Headers" + n, "Group name\\nSize\\nDate");
    parsed->Put(kViews, "Contents" + n,
                "[=" + FieldPlugin(pluginName) + ".Group name]\\n[=tc.size]\\n[=tc.writedate]");
    parsed->Put(kViews, "Options" + n, "-1|0");
}

void HostSettingsDocument::AddKindColour(const std::string& name, const std::string& pluginName,
                                         const std::string& kind, PaletteColour colour) {
    parsed->Put(kSearches, name + "_SearchFor", "*");
    parsed->Put(kSearches, name + "_SearchIn", "");
    parsed->Put(kSearches, name + "_SearchText", "");
    // The flags of a search for files by name alone, as the host saves one
    // whose only other condition is on a plugin's field.
    parsed->Put(kSearches, name + "_SearchFlags", "0|002002000020|||||||||0000|||");
    const std::string value = kind.find(' ') != std::string::npos ? "\"" + kind + "\"" : kind;
    parsed->Put(kSearches, name + "_plugin",
                Protected("\"" + FieldPlugin(pluginName) + ".Group name\" = " + value));
    const std::string n = std::to_string(parsed->Colours() + 1);
    parsed->Put(kColours, "ColorFilter" + n, ">" + name);
    const long bgr = colour.red | colour.green << 8 | colour.blue << 16;
    parsed->Put(kColours, "ColorFilter" + n + "Color", std::to_string(bgr));
}

void HostSettingsDocument::Remove(const ItemRef& item) {
    switch (item.kind) {
    case ItemKind::kPlugin: {
        const std::string n = std::to_string(parsed->PluginEntry(item.name));
        for (const char* suffix : {"", "_detect", "_date", "_flags"})
            parsed->Drop(kPlugins, n + suffix);
        break;
    }
    case ItemKind::kColumnView: {
        std::vector<std::string> titles = parsed->Titles();
        const std::string n = std::to_string(parsed->View(item.name));
        titles.pop_back();
        std::string joined;
        for (const std::string& title : titles)
            joined += (joined.empty() ? "" : "|") + title;
        if (titles.empty())
            parsed->Drop(kViews, "Titles");
        else
            parsed->Put(kViews, "Titles", joined);
        for (const char* key : {"Widths", "Headers", "Contents", "Options"})
            parsed->Drop(kViews, key + n);
        break;
    }
    case ItemKind::kSearchTemplate:
        for (const char* suffix :
             {"_SearchFor", "_SearchIn", "_SearchText", "_SearchFlags", "_plugin"})
            parsed->Drop(kSearches, item.name + suffix);
        break;
    case ItemKind::kFileColour: {
        // The filters after it move up one, with all their keys, in one
        // pass over the section: the host reads them until the first number
        // missing.
        Parsed::File& file = parsed->Of(kColours);
        const std::vector<IniLines::SectionKey> keys = file.lines.Keys(kColours);
        const std::vector<std::string> filters = parsed->ColourFilters(keys);
        const int gone = Parsed::Colour(filters, item.name);
        if (gone == 0)
            break;
        std::vector<std::string> names;
        for (const IniLines::SectionKey& key : keys) {
            std::string suffix;
            const int number = ColourNumber(key.name, suffix);
            names.push_back(number == gone ? std::string()
                            : number > gone && number <= static_cast<int>(filters.size())
                                ? "ColorFilter" + std::to_string(number - 1) + suffix
                                : key.name);
        }
        file.lines.RenameKeys(kColours, names);
        break;
    }
    }
}

std::vector<SettingsFile> HostSettingsDocument::Files() const {
    std::vector<SettingsFile> files;
    for (const Parsed::File& file : parsed->files)
        files.push_back({file.path, file.before, file.lines.Text()});
    return files;
}

const char* HostSettingsDocument::HostName() {
    return "Total Commander";
}
const char* HostSettingsDocument::FileName() {
    return "wincmd.ini";
}
const char* HostSettingsDocument::TestedVersion() {
    return "";
}
std::vector<const char*> HostSettingsDocument::ProgramNames() {
    return {"TOTALCMD.EXE", "TOTALCMD64.EXE"};
}
bool HostSettingsDocument::MayWriteFolder(const std::vector<std::string>&, const std::string&) {
    return true;
}

// A template's name is a key's start: '=' ends a key, ';' splits the masks
// of a colour, '|' and '"' are the condition's own.
const char* HostSettingsDocument::UnfitName(const std::string& name) {
    if (HasControlCharacters(name))
        return "a control character, which would break the line it is written on";
    return name.find_first_of("=;|\"") != std::string::npos
               ? "one of = ; | \", which the host's templates cannot name"
               : nullptr;
}

// The host's own plugin folder, below its program's.
std::string HostSettingsDocument::PluginFolder(const std::string& hostProgram,
                                               std::string& problem) {
    std::string folder = CommanderPath();
    if (folder.empty() && !hostProgram.empty())
        folder = hostProgram.substr(0, hostProgram.find_last_of("\\/"));
    if (folder.empty()) {
        problem = "Total Commander's program folder is not known (give --host-program)";
        return std::string();
    }
    if (folder.back() != '\\' && folder.back() != '/')
        folder += '\\';
    return folder + "plugins\\wdx\\Lumbrasket\\";
}

// The 32-bit file's name, which the 64-bit host reads with "64" added, and
// the program's folder written as the host writes it.
std::string HostSettingsDocument::PathForHost(const std::string& file) {
    std::string path = file;
    if (path.size() > 2 && path.compare(path.size() - 2, 2, "64") == 0)
        path.resize(path.size() - 2);
    const std::string folder = CommanderPath();
    if (!folder.empty() && path.size() > folder.size() &&
        SameNoCase(path.substr(0, folder.size()), folder) &&
        (path[folder.size()] == '\\' || path[folder.size()] == '/'))
        return "%COMMANDER_PATH%" + path.substr(folder.size());
    char shortest[kPathBufferSize] = {};
    UnexpandPath(path.c_str(), shortest);
    return shortest;
}

std::string HostSettingsDocument::FileOfHostPath(const std::string& hostPath) {
    char file[kPathBufferSize] = {};
    ExpandEnvironmentStringsA(hostPath.c_str(), file, kPathBufferSize);
    std::string path = file;
    const bool wide = sizeof(void*) == 8;
    if (wide && path.size() > 4 && SameNoCase(path.substr(path.size() - 4), ".wdx"))
        path += "64";
    return path;
}
