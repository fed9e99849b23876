// The table: the plugin loaded as a file manager loads it, its fields for
// each file of a folder (hidden ones as a file manager hides them) or each
// file given, padded to the width the terminal shows, and with --why what
// decided each file's group.
#include "settings/bounded_string.h"
#include "platform/text/printable_text.h"
#include "tools/lumbrasket/command_line.h"
#include "platform/console_text.h"
#include "platform/text/display_width.h"
#include "plugin/file_name.h"
#include "platform/text/full_path.h"
#include "groups/group_catalog.h"
#include "tools/lumbrasket/host_settings_folder.h"
#include "settings/plugin_name.h"
#include "settings/settings_location.h"
#include "platform/system_error_text.h"
#include "plugin/version.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Field {
    int index;
    std::string name;
    int type;
};

// True when `left` comes before `right` in a file manager's list: by name
// with capitals and small letters alike, so that "a.txt", "B.txt" and
// "c.txt" read as they do there; names alike but for case in byte order, so
// that the order does not depend on the order the system listed them in.
bool ListedBefore(const std::string& left, const std::string& right) {
    const auto folded = [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a')
                                    : static_cast<unsigned char>(c);
    };
    const auto before = [&](char a, char b) { return folded(a) < folded(b); };
    if (std::lexicographical_compare(left.begin(), left.end(), right.begin(), right.end(), before))
        return true;
    if (std::lexicographical_compare(right.begin(), right.end(), left.begin(), left.end(), before))
        return false;
    return left < right;
}

// The entries of a folder in a file manager's order; hidden ones (as the
// system marks them, a name that begins with a dot on Linux) only when `all`
// asks, as file managers hide them by default.
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
    std::sort(names.begin(), names.end(), ListedBefore);
    return names;
}

// The field's value for the file as the table shows it: "-" for none.
std::string ValueText(LoadedPlugin& plugin, const std::string& path, const Field& field) {
    // Larger than any value the plugin gives (it cuts at 260), so a value
    // that ran past its bound would show.
    constexpr std::size_t kValueBytes = 2048;
    char value[kValueBytes] = {};
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
        // The hosts' field-name buffers hold 256 bytes.
        constexpr std::size_t kFieldNameBytes = 256;
        char name[kFieldNameBytes] = {};
        char units[kFieldNameBytes] = {};
        int type = plugin.getSupportedField(index, name, units, sizeof(name));
        if (type == kFieldNoMoreFields)
            break;
        fields.push_back(Field{index, name, type});
    }
    return fields;
}

// The fields in one line: each index, name and type.
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

} // namespace

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
    std::string hostSettings = HostSettingsOf(options, report);
    // No host settings folder at all: a path in the current folder, which
    // leaves the plugin its other places.
    if (hostSettings.empty())
        hostSettings = FullPath("wdx.ini");
    const int location = plugin.SetDefaultParams(hostSettings);
    // The settings file the plugin took, found by the plugin's own search
    // from inside this process, as the plugin itself searched.
    char settings[kPathBufferSize] = {};
    LocateSettingsFile(plugin.Module(), kPluginName, hostSettings.c_str(), settings,
                       static_cast<int>(kPathBufferSize));
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
