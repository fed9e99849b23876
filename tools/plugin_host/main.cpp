// lumbrasket-host: a stand-in for a file manager. It loads a built plugin
// file as a host does, hands it a default settings path, lists its fields and
// prints, for each file of a folder (or each path given), the value of every
// field. Run the Windows build under Wine against Lumbrasket.wdx64, the Linux
// build against Lumbrasket.wdx; the tables are meant to be identical.
// Its `check` command explains a settings file to the person who wrote it.
#include "loaded_plugin.h"
#include "settings_check.h"
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
constexpr int kExitUsage = 2;       // the command line is not understood
constexpr int kExitNotAPlugin = 3;  // the plugin file does not load or lacks exports
constexpr int kExitMissingPath = 4; // a folder or file to show does not exist

const char* const kUsage =
    "usage: lumbrasket-host [--host-settings PATH] PLUGIN_FILE FOLDER_OR_FILE...\n"
    "       lumbrasket-host check [--host-settings PATH] [--plugin PLUGIN_FILE] [SETTINGS_FILE]\n"
    "\n"
    "  Loads PLUGIN_FILE as a file manager does and prints its fields for every\n"
    "  file of each FOLDER (sorted by name) or for each FILE.\n"
    "  --host-settings PATH  the host's default settings file handed to the plugin\n"
    "                        (default: wdx.ini in the current folder); the plugin\n"
    "                        looks for its own settings beside it first.\n"
    "\n"
    "  check: shows which Lumbrasket.ini the plugin uses for the host settings\n"
    "  path (with --plugin, the place beside the plugin file is searched too), or\n"
    "  reads SETTINGS_FILE, and prints its groups as the plugin will use them and\n"
    "  a warning for every line that will surprise. Exits 1 when there is a\n"
    "  warning, 0 when there is none.\n";

const char* LocationText(int location) {
    switch (location) {
    case 1:
        return "beside the host settings file";
    case 2:
        return "in the plugin's folder beside the host settings file";
    case 3:
        return "beside the plugin file";
    case 4:
        return "beside the host program";
    default:
        return "nowhere (defaults in effect)";
    }
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

void PrintRow(const std::vector<std::string>& cells, const std::vector<size_t>& widths) {
    std::string line;
    for (size_t i = 0; i < cells.size(); ++i) {
        line += cells[i];
        if (i + 1 < cells.size())
            line += std::string(widths[i] - cells[i].size() + 2, ' ');
    }
    std::printf("%s\n", line.c_str());
}

int RunCheck(const std::string& hostSettings, const std::string& pluginFile,
             const std::vector<std::string>& arguments) {
    if (arguments.size() > 1 || (arguments.empty() && hostSettings.empty())) {
        std::fprintf(stderr, "%s", kUsage);
        return kExitUsage;
    }
    std::unique_ptr<LoadedPlugin> plugin;
    if (!pluginFile.empty()) {
        plugin = std::make_unique<LoadedPlugin>(FullPath(pluginFile));
        if (plugin->Module() == nullptr) {
            std::fprintf(stderr, "lumbrasket-host: %s\n", plugin->Problem().c_str());
            return kExitNotAPlugin;
        }
    }
    std::string report;
    std::string settingsFile;
    if (!hostSettings.empty())
        settingsFile = ExplainSettingsLocation(plugin ? plugin->Module() : nullptr,
                                               FullPath(hostSettings), report);
    if (!arguments.empty())
        settingsFile = FullPath(arguments[0]);
    SettingsCheck check = CheckSettingsFile(settingsFile);
    std::printf("%s%s", report.c_str(), check.report.c_str());
    return check.warnings.empty() ? 0 : 1;
}

int RunTable(const std::string& hostSettings, const std::vector<std::string>& arguments) {
    if (arguments.size() < 2) {
        std::fprintf(stderr, "%s", kUsage);
        return kExitUsage;
    }
    for (size_t a = 1; a < arguments.size(); ++a) {
        if (GetFileAttributesA(FullPath(arguments[a]).c_str()) == INVALID_FILE_ATTRIBUTES) {
            std::fprintf(stderr, "lumbrasket-host: %s: no such file or folder\n",
                         arguments[a].c_str());
            return kExitMissingPath;
        }
    }

    LoadedPlugin plugin(FullPath(arguments[0]));
    if (!plugin.Problem().empty()) {
        std::fprintf(stderr, "lumbrasket-host: %s\n", plugin.Problem().c_str());
        return kExitNotAPlugin;
    }
    int location = plugin.SetDefaultParams(FullPath(hostSettings));
    std::printf("lumbrasket-host %s: plugin %s\n", LUMBRASKET_VERSION_TEXT,
                FullPath(arguments[0]).c_str());
    std::printf("settings file: %s\n", LocationText(location));

    std::vector<Field> fields;
    for (int index = 0;; ++index) {
        char name[256] = {};
        char units[256] = {};
        int type = plugin.getSupportedField(index, name, units, sizeof(name));
        if (type == kFieldNoMoreFields)
            break;
        fields.push_back(Field{index, name, type});
    }
    std::printf("fields:");
    for (const Field& field : fields)
        std::printf(" [%d] %s (%s)", field.index, field.name.c_str(),
                    field.type == kFieldNumeric32 ? "integer" : "text");
    std::printf("\n\n");

    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> header{"Name"};
    for (const Field& field : fields)
        header.push_back(field.name);
    rows.push_back(header);
    for (size_t a = 1; a < arguments.size(); ++a) {
        std::string path = FullPath(arguments[a]);
        DWORD attributes = GetFileAttributesA(path.c_str());
        std::vector<std::pair<std::string, std::string>> items; // shown name, full path
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            for (const std::string& name : FolderEntries(path))
                items.emplace_back(name, path + kPathSeparatorText + name);
        else
            items.emplace_back(arguments[a], path);
        for (const auto& item : items) {
            std::vector<std::string> row{item.first};
            for (const Field& field : fields)
                row.push_back(ValueText(plugin, item.second, field));
            rows.push_back(row);
        }
    }
    std::vector<size_t> widths(header.size(), 0);
    for (const auto& row : rows)
        for (size_t i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], row[i].size());
    for (const auto& row : rows)
        PrintRow(row, widths);
    return 0;
}

// The command line, split into options and the rest. False, with a message,
// when an option lacks its value or a value is another option.
bool ParseArguments(int argc, char** argv, bool check, std::string& hostSettings,
                    std::string& pluginFile, std::vector<std::string>& arguments) {
    for (int i = check ? 2 : 1; i < argc; ++i) {
        const std::string argument = argv[i];
        std::string* value = argument == "--host-settings"     ? &hostSettings
                             : check && argument == "--plugin" ? &pluginFile
                                                               : nullptr;
        if (value == nullptr) {
            arguments.push_back(argument);
            continue;
        }
        if (i + 1 >= argc || std::strncmp(argv[i + 1], "--", 2) == 0) {
            std::fprintf(stderr, "lumbrasket-host: %s needs a path after it\n\n%s",
                         argument.c_str(), kUsage);
            return false;
        }
        *value = argv[++i];
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const bool check = argc > 1 && std::strcmp(argv[1], "check") == 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf("%s", kUsage);
            return 0;
        }
    }
    std::string hostSettings;
    std::string pluginFile;
    std::vector<std::string> arguments;
    if (!ParseArguments(argc, argv, check, hostSettings, pluginFile, arguments))
        return kExitUsage;
    if (check)
        return RunCheck(hostSettings, pluginFile, arguments);
    return RunTable(hostSettings.empty() ? std::string("wdx.ini") : hostSettings, arguments);
}
