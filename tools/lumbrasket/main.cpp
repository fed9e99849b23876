// lumbrasket: a stand-in for a file manager. It loads a built plugin
// file as a host does, hands it a default settings path, lists its fields and
// prints, for each file of a folder (or each path given), the value of every
// field. Run the Windows build under Wine against Lumbrasket.wdx64, the Linux
// build against Lumbrasket.wdx; the tables are meant to be identical.
// Its `check` command explains a settings file to the person who wrote it;
// its `init` command writes one from the system's own file types.
#include "bounded_string.h"
#include "check_helpers.h"
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

const char* const kUsage =
    "usage: lumbrasket [--host-settings PATH] [--why] [PLUGIN_FILE] FOLDER_OR_FILE...\n"
    "       lumbrasket check [--host-settings PATH] [--plugin PLUGIN_FILE]\n"
    "                        [--host-program PATH] [SETTINGS_FILE]\n"
    "       lumbrasket init [--output FILE|-] [--force]\n"
    "\n"
    "  `check` and `init` are commands wherever they are the first argument that\n"
    "  is not an option or an option's path (write ./check for a file of that\n"
    "  name); after `--`, every argument is a path.\n"
    "\n"
    "  Loads the plugin as a file manager does (PLUGIN_FILE, or the plugin file\n"
    "  beside this program) and prints its fields for every file of each FOLDER\n"
    "  (sorted by name) or for each FILE.\n"
    "  --host-settings PATH  the host's default settings file handed to the plugin\n"
    "                        (default: wdx.ini in the current folder); the plugin\n"
    "                        looks for its own settings beside it first.\n"
    "  --why                 says for each file which mask or extension of which\n"
    "                        group decided, or that none did.\n"
    "\n"
    "  check: shows which Lumbrasket.ini the plugin uses for the host settings\n"
    "  path (with --plugin, the place beside the plugin file is searched too; with\n"
    "  --host-program, the place beside the file manager's program), or reads\n"
    "  SETTINGS_FILE; with neither, for the host's settings folder, found as the\n"
    "  file manager finds it (Total Commander on Windows, Double Commander on\n"
    "  Linux). It prints the groups as the plugin will use them, a warning\n"
    "  for every line that does not mean what it seems to, and notes on what is\n"
    "  worth knowing. Exits 1 when there is a warning, 0 when there is none.\n"
    "\n"
    "  init: writes a settings file of every file type this system knows (the\n"
    "  shared MIME-info database on Linux; on Windows the registry's extension\n"
    "  keys, with the sample's groups where it knows nothing), grouped into kinds,\n"
    "  to Lumbrasket.ini in the current folder, to FILE, or with - to the\n"
    "  standard output. It replaces an existing file only with --force: without,\n"
    "  it exits 5; it exits 6 when the file cannot be written.\n";

// What the command line asks for.
struct Options {
    bool check = false;
    bool init = false;
    bool why = false;
    bool force = false;
    bool outputGiven = false;
    std::string output;
    std::string hostSettings;
    std::string pluginFile;
    std::string hostProgram;
    std::vector<std::string> arguments;
};

// A line of text from anywhere (a path, a name the plugin gives, a system
// message), shown escaped so that it can neither act on the terminal nor
// split the line.
void PrintLine(std::FILE* stream, const std::string& text) {
    std::fprintf(stream, "%s\n", PrintableText(text).c_str());
}

int Refuse(const std::string& problem) {
    PrintLine(stderr, "lumbrasket: " + problem);
    std::fprintf(stderr, "\n%s", kUsage);
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

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    std::string pattern = folder + kPathSeparatorText + "*";
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (std::strcmp(found.cFileName, ".") != 0 && std::strcmp(found.cFileName, "..") != 0)
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
            line += std::string(widths[i] - cells[i].size() + 2, ' ');
    }
    std::printf("%s\n", line.c_str());
}

int RunInitCommand(const Options& options) {
    if (options.why || !options.hostSettings.empty() || !options.pluginFile.empty() ||
        !options.hostProgram.empty())
        return Refuse("init takes only --output and --force");
    if (!options.arguments.empty())
        return Refuse("init writes to --output FILE, not to " + options.arguments[0]);
    switch (RunInit(options.output, options.force)) {
    case InitOutcome::kWritten:
        return 0;
    case InitOutcome::kOutputExists:
        return kExitOutputExists;
    default:
        return kExitCannotWrite;
    }
}

int RunCheck(const Options& options) {
    const std::vector<std::string>& arguments = options.arguments;
    if (options.why)
        return Refuse("--why belongs to the table, not to check");
    if (arguments.size() > 1)
        return Refuse("check reads one settings file; more were given");
    std::unique_ptr<LoadedPlugin> plugin;
    if (!options.pluginFile.empty()) {
        plugin = std::make_unique<LoadedPlugin>(FullPath(options.pluginFile));
        if (plugin->Module() == nullptr) {
            PrintLine(stderr, "lumbrasket: " + plugin->Problem());
            return kExitNotAPlugin;
        }
    }
    std::string report;
    std::string settingsFile;
    const std::string hostProgram =
        options.hostProgram.empty() ? std::string() : FullPath(options.hostProgram);
    // Neither a file nor the host's settings given: the host's own folder.
    std::string hostSettings =
        options.hostSettings.empty() ? std::string() : FullPath(options.hostSettings);
    if (arguments.empty() && hostSettings.empty())
        hostSettings = FindHostSettingsPath(hostProgram, report);
    if (!hostSettings.empty())
        settingsFile = ExplainSettingsLocation(plugin ? plugin->Module() : nullptr, hostProgram,
                                               hostSettings, report);
    if (!arguments.empty())
        settingsFile = FullPath(arguments[0]);
    SettingsCheck check = CheckSettingsFile(settingsFile);
    // Both are printable already: their foreign texts are escaped, their
    // line ends are their own.
    std::printf("%s%s", report.c_str(), check.report.c_str());
    return check.warnings.empty() ? 0 : 1;
}

// The plugin file a table is made with: the first of several arguments, or
// one that names a plugin file by its suffix; else the plugin beside this
// program (as the archive has it).
std::string TablePlugin(std::vector<std::string>& arguments) {
    const std::string suffix = std::strrchr(LUMBRASKET_PLUGIN_FILE_NAME, '.');
    const bool named =
        !arguments.empty() && arguments[0].size() > suffix.size() &&
        arguments[0].compare(arguments[0].size() - suffix.size(), suffix.size(), suffix) == 0;
    if (arguments.size() >= 2 || named) {
        const std::string plugin = arguments[0];
        arguments.erase(arguments.begin());
        return plugin;
    }
    char program[kPathBufferSize] = {};
    GetModuleFileNameA(nullptr, program, kPathBufferSize);
    char folder[kPathBufferSize] = {};
    CutToDirectory(folder, program);
    return std::string(folder) + LUMBRASKET_PLUGIN_FILE_NAME;
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
                                                const GroupCatalog* why) {
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
            for (const std::string& name : FolderEntries(path))
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

// The rows in columns as wide as their widest cell, each cell escaped first
// so that the widths count what is shown.
void PrintTable(std::vector<std::vector<std::string>>& rows) {
    std::vector<size_t> widths(rows.front().size(), 0);
    for (auto& row : rows) {
        for (size_t i = 0; i < row.size(); ++i) {
            row[i] = PrintableText(row[i]);
            widths[i] = std::max(widths[i], row[i].size());
        }
    }
    for (const auto& row : rows)
        PrintRow(row, widths);
}

int RunTable(Options options) {
    if (!options.pluginFile.empty() || !options.hostProgram.empty())
        return Refuse("--plugin and --host-program belong to check; the table takes the plugin "
                      "file as its first argument");
    const std::string pluginFile = FullPath(TablePlugin(options.arguments));
    const std::vector<std::string>& paths = options.arguments;
    if (paths.empty())
        return Refuse("no folder or file to show");
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

    LoadedPlugin plugin(pluginFile);
    if (!plugin.Problem().empty()) {
        PrintLine(stderr, "lumbrasket: " + plugin.Problem());
        return kExitNotAPlugin;
    }
    const std::string hostSettings =
        FullPath(options.hostSettings.empty() ? std::string("wdx.ini") : options.hostSettings);
    int location = plugin.SetDefaultParams(hostSettings);
    PrintLine(stdout,
              std::string("lumbrasket ") + LUMBRASKET_VERSION_TEXT + ": plugin " + pluginFile);
    PrintLine(stdout, std::string("settings file: ") + SettingsPlaceText(location));

    const std::vector<Field> fields = PluginFields(plugin);
    PrintLine(stdout, FieldListText(fields));
    std::printf("\n");

    // The settings file the plugin took, loaded again to say why.
    GroupCatalog catalog;
    if (options.why) {
        // Found nowhere, the plugin keeps the first place, which holds no file.
        char settings[kPathBufferSize] = {};
        if (BuildSettingsPath(location != kSettingsNotFound ? location
                                                            : kSettingsBesideHostSettings,
                              plugin.Module(), kPluginName, hostSettings.c_str(), settings,
                              kPathBufferSize, kPluginName) != kStatusSuccess)
            settings[0] = '\0';
        catalog.LoadGroups(settings);
    }
    std::vector<std::vector<std::string>> rows =
        TableRows(plugin, fields, paths, options.why ? &catalog : nullptr);
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
            continue;
        }
        if (argument == "--") {
            optionsEnd = true;
            continue;
        }
        if (argument == "--why") {
            options.why = true;
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
            Refuse("unknown option " + argument);
            return false;
        }
        if (i + 1 >= argc || std::strncmp(argv[i + 1], "--", 2) == 0) {
            Refuse(argument + " needs a path after it");
            return false;
        }
        *value = argv[++i];
        options.outputGiven = options.outputGiven || value == &options.output;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf("%s", kUsage);
            return 0;
        }
    }
    Options options;
    if (!ParseArguments(argc, argv, options))
        return kExitUsage;
    if (options.init)
        return RunInitCommand(options);
    if (options.outputGiven || options.force)
        return Refuse("--output and --force belong to init");
    return options.check ? RunCheck(options) : RunTable(options);
}
