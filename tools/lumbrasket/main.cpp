// lumbrasket: a stand-in for a file manager. It loads a built plugin
// file as a host does, hands it a default settings path, lists its fields and
// prints, for each file of a folder (or each path given), the value of every
// field. Run the Windows build under Wine against Lumbrasket.wdx64, the Linux
// build against Lumbrasket.wdx; the tables are meant to be identical.
// Its `check` command explains a settings file to the person who wrote it;
// its `init` command writes one from the system's own file types.
#include "bounded_string.h"
#include "check_helpers.h"
#include "console_text.h"
#include "display_width.h"
#include "file_name.h"
#include "group_catalog.h"
#include "host_settings_folder.h"
#include "init_command.h"
#include "loaded_plugin.h"
#include "path_spelling.h"
#include "plugin_name.h"
#include "settings_location.h"
#include "settings_check.h"
#include "system_error_text.h"
#include "version.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

// Exit codes: the check's 0 and 1 (no warning, a warning), and the errors.
constexpr int kExitUsage = 2;        // the command line is not understood
constexpr int kExitNotAPlugin = 3;   // the plugin file does not load or lacks exports
constexpr int kExitMissingPath = 4;  // a folder or file to show does not exist
constexpr int kExitOutputExists = 5; // init: the file to write exists, and no --force
constexpr int kExitCannotWrite = 6;  // init: the file cannot be written

const char* const kTableUsage =
    "usage: lumbrasket [--plugin FILE] [--host-settings PATH] [--host-program PATH]\n"
    "                  [--why] [--all] [--] FOLDER_OR_FILE...\n"
    "       lumbrasket check [--help] ...\n"
    "       lumbrasket init [--help] ...\n"
    "       lumbrasket --version\n"
    "\n"
    "  Loads the plugin as a file manager does and prints its fields for every\n"
    "  file of each FOLDER (sorted by name) or for each FILE. Every argument after\n"
    "  the options is a file or folder; after `--`, even one that begins with '-'.\n"
    "  --plugin FILE         the plugin file (default: the one beside this program)\n"
    "  --host-settings PATH  the host's default settings file handed to the plugin\n"
    "                        (default: the host's own, found as the file manager\n"
    "                        finds it); the plugin looks for its settings beside it\n"
    "  --host-program PATH   the file manager's program, for the place beside it\n"
    "                        (default: found where the host installs it)\n"
    "  --why                 says for each file which mask or extension of which\n"
    "                        group decided, or that none did\n"
    "  --all                 shows hidden entries too, which file managers hide\n"
    "\n"
    "  `check` and `init` are commands wherever they are the first argument that\n"
    "  is not an option or an option's path (write ./check for a file of that\n"
    "  name). Exits 2 when the command line is not understood, 3 when the plugin\n"
    "  does not load, 4 when a file or folder to show does not exist.\n";

const char* const kCheckUsage =
    "usage: lumbrasket check [--host-settings PATH] [--plugin FILE]\n"
    "                        [--host-program PATH] [SETTINGS_FILE]\n"
    "\n"
    "  Shows which Lumbrasket.ini the plugin uses for the host settings path and\n"
    "  each of the four places it looks in (the plugin file beside this program\n"
    "  and the host's program where it is installed, unless given), or reads\n"
    "  SETTINGS_FILE; with neither, for the host's settings folder, found as the\n"
    "  file manager finds it (Total Commander on Windows, Double Commander on\n"
    "  Linux). It prints the groups as the plugin will use them, a warning for\n"
    "  every line that does not mean what it seems to, and notes on what is\n"
    "  worth knowing. Exits 1 when there is a warning, 0 when there is none.\n";

const char* const kInitUsage =
    "usage: lumbrasket init [--output FILE|-] [--force]\n"
    "\n"
    "  Writes a settings file of every file type this system knows (the shared\n"
    "  MIME-info database on Linux; on Windows the registry's extension keys,\n"
    "  with the sample's groups where it knows nothing), grouped into kinds, to\n"
    "  Lumbrasket.ini in the host's settings folder where the file manager will\n"
    "  look first (in the current folder when none is found), to FILE, or with\n"
    "  - to the standard output. It replaces an existing file only with --force:\n"
    "  without, it exits 5; it exits 6 when the file cannot be written.\n";

// What the command line asks for.
struct Options {
    bool check = false;
    bool init = false;
    bool why = false;
    bool all = false;
    bool force = false;
    bool help = false;
    bool version = false;
    bool outputGiven = false;
    std::string output;
    std::string hostSettings;
    std::string pluginFile;
    std::string hostProgram;
    std::vector<std::string> arguments;
    // How many of the arguments came before `--`: only those may be taken
    // for something other than a file to show.
    std::size_t beforeEnd = 0;
};

// A line of text from anywhere (a path, a name the plugin gives, a system
// message), shown escaped so that it can neither act on the terminal nor
// split the line.
void PrintLine(std::FILE* stream, const std::string& text) {
    WriteConsoleText(stream, PrintableText(text) + "\n");
}

const char* Usage(const Options& options) {
    return options.check ? kCheckUsage : options.init ? kInitUsage : kTableUsage;
}

int Refuse(const Options& options, const std::string& problem) {
    PrintLine(stderr, "lumbrasket: " + problem);
    WriteConsoleText(stderr, std::string("\n") + Usage(options));
    return kExitUsage;
}

// Paths are handed to the plugin whole and in this system's own form, as a
// host hands them.
std::string FullPath(const std::string& path) {
    std::error_code error;
    std::filesystem::path full = std::filesystem::absolute(path, error);
    if (error)
        return path;
    return full.lexically_normal().make_preferred().string();
}

struct Field {
    int index;
    std::string name;
    int type;
};

// The entries of a folder by name; hidden ones (as the system marks them, a
// name that begins with a dot on Linux) only when `all` asks, as file
// managers hide them by default.
std::vector<std::string> FolderEntries(const std::string& folder, bool all) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    std::string pattern = folder + kPathSeparatorText + "*";
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const bool hidden = (found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0;
        if (std::strcmp(found.cFileName, ".") != 0 && std::strcmp(found.cFileName, "..") != 0 &&
            (all || !hidden))
            names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

std::string ValueText(LoadedPlugin& plugin, const std::string& path, const Field& field) {
    char value[2048] = {};
    int result =
        plugin.getValue(const_cast<char*>(path.c_str()), field.index, 0, value, sizeof(value), 0);
    if (result == kFieldNumeric32) {
        std::int32_t number;
        std::memcpy(&number, value, sizeof(number));
        return std::to_string(number);
    }
    if (result == kFieldString)
        return value;
    if (result == kFieldEmpty)
        return "-";
    return "(result " + std::to_string(result) + ")";
}

// The cells are printable already, so that the widths count what is shown.
void PrintRow(const std::vector<std::string>& cells, const std::vector<size_t>& widths) {
    std::string line;
    for (size_t i = 0; i < cells.size(); ++i) {
        line += cells[i];
        if (i + 1 < cells.size())
            line += std::string(widths[i] - DisplayWidth(cells[i]) + 2, ' ');
    }
    WriteConsoleText(stdout, line + "\n");
}

// Lumbrasket.ini in the host's settings folder, the first place the plugin
// looks, when that folder is there; empty (the current folder) when not.
std::string HostSettingsFolderFile() {
    std::string report;
    const std::string hostSettings = FindHostSettingsPath(std::string(), report);
    char folder[kPathBufferSize] = {};
    CutToDirectory(folder, hostSettings.c_str());
    const DWORD attributes =
        folder[0] != '\0' ? GetFileAttributesA(folder) : INVALID_FILE_ATTRIBUTES;
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return std::string();
    return std::string(folder) + kPluginName + ".ini";
}

int RunInitCommand(const Options& options) {
    if (options.why || options.all || !options.hostSettings.empty() ||
        !options.pluginFile.empty() || !options.hostProgram.empty())
        return Refuse(options, "init takes only --output and --force");
    if (!options.arguments.empty())
        return Refuse(options, "init writes to --output FILE, not to " + options.arguments[0]);
    switch (
        RunInit(options.outputGiven ? options.output : HostSettingsFolderFile(), options.force)) {
    case InitOutcome::kWritten:
        return 0;
    case InitOutcome::kOutputExists:
        return kExitOutputExists;
    default:
        return kExitCannotWrite;
    }
}

// The plugin file beside this program, where both archives put it.
std::string PluginBesideTool() {
    char program[kPathBufferSize] = {};
    GetModuleFileNameA(nullptr, program, kPathBufferSize);
    char folder[kPathBufferSize] = {};
    CutToDirectory(folder, program);
    return std::string(folder) + LUMBRASKET_PLUGIN_FILE_NAME;
}

// The plugin named by --plugin, else the one beside this program; null, with
// the reason printed, when it does not load. For `check` (`required` false)
// a missing one beside the tool is no error: check then says what it could
// not know.
std::unique_ptr<LoadedPlugin> LoadPlugin(const Options& options, bool required) {
    const bool named = !options.pluginFile.empty();
    const std::string file = named ? FullPath(options.pluginFile) : PluginBesideTool();
    if (!named && !required && !PathExists(file.c_str()))
        return std::make_unique<LoadedPlugin>(std::string());
    auto plugin = std::make_unique<LoadedPlugin>(file);
    if (!plugin->Problem().empty()) {
        PrintLine(stderr, "lumbrasket: " + plugin->Problem() +
                              (named ? "" : " (name the plugin file with --plugin FILE)"));
        return nullptr;
    }
    return plugin;
}

int RunCheck(const Options& options) {
    const std::vector<std::string>& arguments = options.arguments;
    if (options.why || options.all)
        return Refuse(options, "--why and --all belong to the table, not to check");
    if (arguments.size() > 1)
        return Refuse(options, "check reads one settings file; more were given");
    std::unique_ptr<LoadedPlugin> plugin = LoadPlugin(options, false);
    if (plugin == nullptr)
        return kExitNotAPlugin;
    std::string report;
    std::string settingsFile;
    // Neither a file nor the host's settings given: the host's own folder.
    std::string hostSettings =
        options.hostSettings.empty() ? std::string() : FullPath(options.hostSettings);
    const std::string givenProgram =
        options.hostProgram.empty() ? std::string() : FullPath(options.hostProgram);
    if (arguments.empty() && hostSettings.empty())
        hostSettings = FindHostSettingsPath(givenProgram, report);
    if (!hostSettings.empty()) {
        const std::string hostProgram =
            givenProgram.empty() ? FindHostProgram(report) : givenProgram;
        settingsFile = ExplainSettingsLocation(plugin->Module(), hostProgram, hostSettings, report);
    }
    if (!arguments.empty())
        settingsFile = FullPath(arguments[0]);
    SettingsCheck check = CheckSettingsFile(settingsFile);
    // Both are printable already: their foreign texts are escaped, their
    // line ends are their own.
    WriteConsoleText(stdout, report + check.report);
    return check.warnings.empty() ? 0 : 1;
}

// Why a file got its group, in words; the catalog is the settings file the
// plugin read, loaded again here.
std::string WhyText(const GroupCatalog& catalog, const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return "could not be read: " + SystemErrorText(GetLastError());
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return "a folder: no value";
    const FileNameParts parts = SplitFileName(path.c_str());
    GroupReason reason{GroupReason::kFallback, std::string_view()};
    const GroupMatch match = catalog.FindGroupOfFile(parts.name, parts.nameLength, parts.extension,
                                                     parts.extensionLength, &reason);
    const std::string group = "group " + std::to_string(match.number);
    switch (reason.kind) {
    case GroupReason::kMask:
        return "mask " + std::string(reason.text) + " of " + group;
    case GroupReason::kExtension:
        return "extension \"" + std::string(reason.text) + "\" of " + group;
    default:
        return "no mask or extension of a group matched: the fallback " + group;
    }
}

// The plugin's fields, as it lists them until it says there are no more.
std::vector<Field> PluginFields(LoadedPlugin& plugin) {
    std::vector<Field> fields;
    for (int index = 0;; ++index) {
        char name[256] = {};
        char units[256] = {};
        int type = plugin.getSupportedField(index, name, units, sizeof(name));
        if (type == kFieldNoMoreFields)
            break;
        fields.push_back(Field{index, name, type});
    }
    return fields;
}

std::string FieldListText(const std::vector<Field>& fields) {
    std::string text = "fields:";
    for (const Field& field : fields)
        text += " [" + std::to_string(field.index) + "] " + field.name + " (" +
                (field.type == kFieldNumeric32 ? "integer" : "text") + ")";
    return text;
}

// The header, then a row per file: each file of a folder, or the file given,
// with the value of every field and, when asked, why.
std::vector<std::vector<std::string>> TableRows(LoadedPlugin& plugin,
                                                const std::vector<Field>& fields,
                                                const std::vector<std::string>& paths,
                                                const GroupCatalog* why, bool all) {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> header{"Name"};
    for (const Field& field : fields)
        header.push_back(field.name);
    if (why != nullptr)
        header.push_back("Why");
    rows.push_back(header);
    for (const std::string& argument : paths) {
        std::string path = FullPath(argument);
        DWORD attributes = GetFileAttributesA(path.c_str());
        std::vector<std::pair<std::string, std::string>> items; // shown name, full path
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            for (const std::string& name : FolderEntries(path, all))
                items.emplace_back(name, path + kPathSeparatorText + name);
        else
            items.emplace_back(argument, path);
        for (const auto& item : items) {
            std::vector<std::string> row{item.first};
            for (const Field& field : fields)
                row.push_back(ValueText(plugin, item.second, field));
            if (why != nullptr)
                row.push_back(WhyText(*why, item.second));
            rows.push_back(row);
        }
    }
    return rows;
}

// The rows in columns as wide as their widest cell on screen, each cell
// escaped first so that the widths count what is shown.
void PrintTable(std::vector<std::vector<std::string>>& rows) {
    std::vector<size_t> widths(rows.front().size(), 0);
    for (auto& row : rows) {
        for (size_t i = 0; i < row.size(); ++i) {
            row[i] = PrintableText(row[i]);
            widths[i] = std::max(widths[i], DisplayWidth(row[i]));
        }
    }
    for (const auto& row : rows)
        PrintRow(row, widths);
}

// True when the arguments look like the table's old form, the plugin file
// first and then what to show.
bool OldTableForm(const Options& options) {
    const std::string suffix = std::strrchr(LUMBRASKET_PLUGIN_FILE_NAME, '.');
    const std::string& first = options.arguments.front();
    return options.beforeEnd >= 2 && first.size() > suffix.size() &&
           first.compare(first.size() - suffix.size(), suffix.size(), suffix) == 0;
}

int RunTable(const Options& options) {
    const std::vector<std::string>& paths = options.arguments;
    if (paths.empty())
        return Refuse(options, "no folder or file to show");
    if (OldTableForm(options))
        return Refuse(options, paths[0] + " looks like a plugin file: name it with --plugin " +
                                   paths[0] +
                                   " (every argument after the options is a file "
                                   "or folder to show; after --, even one like this)");
    for (const std::string& path : paths) {
        if (GetFileAttributesA(FullPath(path).c_str()) == INVALID_FILE_ATTRIBUTES) {
            const DWORD error = GetLastError();
            const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
            PrintLine(stderr, "lumbrasket: " + path + ": " +
                                  (missing ? "no such file or folder"
                                           : "cannot be read: " + SystemErrorText(error)));
            return kExitMissingPath;
        }
    }

    std::unique_ptr<LoadedPlugin> loaded = LoadPlugin(options, true);
    if (loaded == nullptr)
        return kExitNotAPlugin;
    LoadedPlugin& plugin = *loaded;
    std::string report;
    std::string hostSettings =
        options.hostSettings.empty() ? std::string() : FullPath(options.hostSettings);
    if (hostSettings.empty())
        hostSettings = FindHostSettingsPath(
            options.hostProgram.empty() ? std::string() : FullPath(options.hostProgram), report);
    // No host settings folder at all: a path in the current folder, which
    // leaves the plugin its other places.
    if (hostSettings.empty())
        hostSettings = FullPath("wdx.ini");
    const int location = plugin.SetDefaultParams(hostSettings);
    // The settings file the plugin took; found nowhere, the plugin keeps
    // the first place, which holds no file.
    char settings[kPathBufferSize] = {};
    if (BuildSettingsPath(location != kSettingsNotFound ? location : kSettingsBesideHostSettings,
                          plugin.Module(), kPluginName, hostSettings.c_str(), settings,
                          kPathBufferSize, kPluginName) != kStatusSuccess)
        settings[0] = '\0';
    WriteConsoleText(stdout, report);
    PrintLine(stdout,
              std::string("lumbrasket ") + LUMBRASKET_VERSION_TEXT + ": plugin " +
                  (options.pluginFile.empty() ? PluginBesideTool() : FullPath(options.pluginFile)));
    PrintLine(stdout, std::string("settings file: ") + SettingsPlaceText(location) +
                          (location != kSettingsNotFound ? std::string(", ") + settings
                                                         : std::string(": the defaults")));

    const std::vector<Field> fields = PluginFields(plugin);
    PrintLine(stdout, FieldListText(fields));
    WriteConsoleText(stdout, "\n");

    // The settings file the plugin took, loaded again to say why.
    GroupCatalog catalog;
    if (options.why)
        catalog.LoadGroups(location != kSettingsNotFound ? settings : "");
    std::vector<std::vector<std::string>> rows =
        TableRows(plugin, fields, paths, options.why ? &catalog : nullptr, options.all);
    PrintTable(rows);
    return 0;
}

// The command line, split into options and the rest; the command word is
// the first argument that is neither an option nor an option's path. False,
// with a message, when an option is unknown, lacks its path or is given
// another option for it.
bool ParseArguments(int argc, char** argv, Options& options) {
    bool optionsEnd = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (optionsEnd || argument.size() < 2 || argument[0] != '-') {
            if (!optionsEnd && !options.check && !options.init && options.arguments.empty() &&
                (argument == "check" || argument == "init")) {
                (argument == "check" ? options.check : options.init) = true;
                continue;
            }
            options.arguments.push_back(argument);
            options.beforeEnd += optionsEnd ? 0 : 1;
            continue;
        }
        if (argument == "--") {
            optionsEnd = true;
            continue;
        }
        bool* flag = argument == "--why"       ? &options.why
                     : argument == "--all"     ? &options.all
                     : argument == "--help"    ? &options.help
                     : argument == "-h"        ? &options.help
                     : argument == "--version" ? &options.version
                                               : nullptr;
        if (flag != nullptr) {
            *flag = true;
            continue;
        }
        if (argument == "--force") {
            options.force = true;
            continue;
        }
        std::string* value = argument == "--host-settings"  ? &options.hostSettings
                             : argument == "--plugin"       ? &options.pluginFile
                             : argument == "--host-program" ? &options.hostProgram
                             : argument == "--output"       ? &options.output
                                                            : nullptr;
        if (value == nullptr) {
            Refuse(options, "unknown option " + argument);
            return false;
        }
        if (i + 1 >= argc || std::strncmp(argv[i + 1], "--", 2) == 0) {
            Refuse(options, argument + " needs a path after it");
            return false;
        }
        *value = argv[++i];
        options.outputGiven = options.outputGiven || value == &options.output;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseArguments(argc, argv, options))
        return kExitUsage;
    if (options.version) {
        WriteConsoleText(stdout, std::string("lumbrasket ") + LUMBRASKET_VERSION_TEXT + "\n");
        return 0;
    }
    if (options.help) {
        WriteConsoleText(stdout, Usage(options));
        return 0;
    }
    if (options.init)
        return RunInitCommand(options);
    if (options.outputGiven || options.force)
        return Refuse(options, "--output and --force belong to init");
    return options.check ? RunCheck(options) : RunTable(options);
}
