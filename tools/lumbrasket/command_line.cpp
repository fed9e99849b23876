// The command line of lumbrasket: its usage texts, its parsing, and what
// every command does alike.
#include "tools/lumbrasket/command_line.h"

#include "settings/bounded_string.h"
#include "platform/text/printable_text.h"
#include "platform/console_text.h"
#include "platform/text/full_path.h"
#include "tools/lumbrasket/command_word.h"
#include "tools/lumbrasket/host_settings_folder.h"
#include "platform/text/path_spelling.h"
#include "settings/settings_location.h"

#include <cstring>

namespace {

const char* const kTableUsage =
    "usage: lumbrasket [--plugin FILE] [--host-settings PATH] [--host-program PATH]\n"
    "                  [--why] [--all] [--] FOLDER_OR_FILE...\n"
    "       lumbrasket check [--help] ...\n"
    "       lumbrasket init [--help] ...\n"
    "       lumbrasket install [--help] ...\n"
    "       lumbrasket uninstall [--help] ...\n"
    "       lumbrasket --version | --help\n"
    "\n"
    "  Loads the plugin as a file manager does and prints its fields for every\n"
    "  file of each FOLDER (in the file managers' order: by name, whatever the\n"
    "  case of its letters) or for each FILE. Every argument after the options\n"
    "  is a file or folder; after `--`, even one that begins with '-'.\n"
    "  --plugin FILE         the plugin file (default: the one beside this program)\n"
    "  --host-settings PATH  the host's default settings file handed to the plugin\n"
    "                        (default: the host's own, found as the file manager\n"
    "                        finds it); the plugin looks for its settings beside it\n"
    "  --host-program PATH   the file manager's program, from which its settings\n"
    "                        are found (a portable one keeps them beside it)\n"
    "  --why                 says for each file which mask or extension of which\n"
    "                        group decided, or that none did\n"
    "  --all                 shows hidden entries too, which file managers hide\n"
    "\n"
    "  `check`, `init`, `install` and `uninstall` are commands wherever they are\n"
    "  the first argument that is not an option or an option's path (write\n"
    "  ./check for a file of that name). Exits 2 when the command line is not\n"
    "  understood, 3 when the plugin does not load, 4 when a file or folder to\n"
    "  show does not exist.\n";

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
    "usage: lumbrasket init [--output FILE|-] [--force] [--host-settings PATH]\n"
    "\n"
    "  Writes a settings file of every file type this system knows (the shared\n"
    "  MIME-info database on Linux; on Windows the registry's extension keys,\n"
    "  with the sample's groups where it knows nothing), grouped into kinds, to\n"
    "  Lumbrasket.ini in the host's settings folder where the file manager will\n"
    "  look first (the folder of --host-settings PATH when given; in the current\n"
    "  folder when none is found), to FILE, or with\n"
    "  - to the standard output. It replaces an existing file only with --force:\n"
    "  without, it exits 5; it exits 6 when the file cannot be written.\n";

const char* const kInstallUsage =
    "usage: lumbrasket install [--colors] [--dry-run] [--plugin FILE]\n"
    "                          [--host-settings PATH] [--host-program PATH]\n"
    "\n"
    "  Makes the plugin part of the file manager's settings, which it finds as\n"
    "  check does: lists it as a content plugin unless it is listed (copied\n"
    "  into a plugin folder of your own: under $XDG_DATA_HOME on Linux, the\n"
    "  host's own on Windows), and adds a column view named Lumbrasket (name,\n"
    "  extension, Group name, size, date); with --colors also a colour for each\n"
    "  of the first 24 kinds of the table in use, through a search template on\n"
    "  \"Group name\" and a file-type colour. Items already there are left as\n"
    "  they are; each file's first state is kept beside it\n"
    "  (NAME.before-lumbrasket), and what was added is listed in\n"
    "  Lumbrasket.installed for uninstall. --dry-run says what would change and\n"
    "  writes nothing. Exits 3 when the plugin does not load, 6 when a file\n"
    "  cannot be written (or other users could write the plugin folder), 7\n"
    "  while the file manager runs, 8 when it has not written its settings yet,\n"
    "  9 for settings of a version not tested (Double Commander 1.0.10 is), 10\n"
    "  when the settings cannot be read.\n";

const char* const kUninstallUsage =
    "usage: lumbrasket uninstall [--dry-run] [--host-settings PATH]\n"
    "                            [--host-program PATH]\n"
    "\n"
    "  Takes out of the file manager's settings what install added, by its\n"
    "  record: an item or a file changed since is left in place and named.\n"
    "  Exits as install does.\n";

} // namespace

const char* Usage(const Options& options) {
    return options.check       ? kCheckUsage
           : options.init      ? kInitUsage
           : options.install   ? kInstallUsage
           : options.uninstall ? kUninstallUsage
                               : kTableUsage;
}

int Refuse(const Options& options, const std::string& problem) {
    // One line, and where the usage is: the whole usage would bury it.
    const char* command = options.check       ? " check"
                          : options.init      ? " init"
                          : options.install   ? " install"
                          : options.uninstall ? " uninstall"
                                              : "";
    PrintLine(stderr,
              "lumbrasket: " + problem + " (lumbrasket" + command + " --help shows the usage)");
    return kExitUsage;
}

void PrintLine(std::FILE* stream, const std::string& text) {
    WriteConsoleText(stream, PrintableText(text) + "\n");
}

std::string PluginBesideTool() {
    char program[kPathBufferSize] = {};
    GetModuleFileNameA(nullptr, program, kPathBufferSize);
    char folder[kPathBufferSize] = {};
    CutToDirectory(folder, program);
    return std::string(folder) + LUMBRASKET_PLUGIN_FILE_NAME;
}

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

bool ParseArguments(int argc, char** argv, Options& options) {
    bool optionsEnd = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (optionsEnd || argument.size() < 2 || argument[0] != '-') {
            bool* command = argument == "check"       ? &options.check
                            : argument == "init"      ? &options.init
                            : argument == "install"   ? &options.install
                            : argument == "uninstall" ? &options.uninstall
                                                      : nullptr;
            const bool commandPlace = !optionsEnd && !options.check && !options.init &&
                                      !options.install && !options.uninstall &&
                                      options.arguments.empty();
            if (commandPlace && command != nullptr) {
                *command = true;
                continue;
            }
            // A file of the name, if there is one, is what was meant.
            if (commandPlace && !PathExists(FullPath(argument).c_str())) {
                if (argument == "help") {
                    options.help = true;
                    continue;
                }
                if (const char* meant = NearestCommand(argument)) {
                    Refuse(options,
                           "unknown command '" + argument + "'; did you mean '" + meant + "'?");
                    return false;
                }
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
                     : argument == "--colors"  ? &options.colours
                     : argument == "--dry-run" ? &options.dryRun
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

std::string GivenHostProgram(const Options& options) {
    return options.hostProgram.empty() ? std::string() : FullPath(options.hostProgram);
}

std::string HostSettingsOf(const Options& options, std::string& report) {
    return options.hostSettings.empty() ? FindHostSettingsPath(GivenHostProgram(options), report)
                                        : FullPath(options.hostSettings);
}
