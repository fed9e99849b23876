// The host's settings folder, by the rules of the host of this system
// (kHostSettingsInConfigHome): Total Commander's through hostconfig/, Double
// Commander's here.
#include "host_settings_folder.h"

#include "bounded_string.h"
#include "check_helpers.h"
#include "host_settings.h"
#include "path_spelling.h"
#include "settings_location.h"
#include "settings_redirection.h"

#include <cstdlib>

namespace {

// The names the hosts hand a content plugin for its default settings file;
// the plugin looks only at their folder.
const char* const kTotalCommanderPluginSettings = "contplug.ini";
const char* const kDoubleCommanderPluginSettings = "wdx.ini";

std::string FolderOf(const std::string& path) {
    char folder[kPathBufferSize] = {};
    CutToDirectory(folder, path.c_str());
    return folder;
}

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// Total Commander keeps its program folder in COMMANDER_PATH for its own
// process; the tool runs outside it, so the program given stands in.
std::string TotalCommanderPath(const std::string& hostProgram, std::string& report) {
    if (!hostProgram.empty() && Variable("COMMANDER_PATH").empty()) {
        std::string folder = FolderOf(hostProgram);
        if (!folder.empty())
            folder.pop_back();
        SetEnvironmentVariableA("COMMANDER_PATH", folder.c_str());
    }
    char main[kPathBufferSize] = {};
    if (FindHostSettingsFile(hostProgram.c_str(), main) == 0) {
        report += "No Total Commander settings file found (COMMANDER_INI, the /i switch, "
                  "the program folder, the registry";
        report += hostProgram.empty() ? "; give --host-program for the others).\n" : ").\n";
        return "";
    }
    report += "Total Commander's settings file: " + PrintableText(main) + "\n";
    char section[kPathBufferSize] = {};
    const int exists = FindHostSectionFile(hostProgram.c_str(), "Configuration", section);
    if (FolderOf(section) != FolderOf(main))
        report += "  its [Configuration] is redirected to " + PrintableText(section) +
                  (exists ? "\n" : " (missing)\n");
    const std::string folder = FolderOf(section);
    return folder.empty() ? "" : folder + kTotalCommanderPluginSettings;
}

std::string DoubleCommanderPath(const std::string& hostProgram, std::string& report) {
    std::string folder;
    const std::string beside = hostProgram.empty() ? "" : FolderOf(hostProgram);
    if (!beside.empty() && PathExists((beside + "doublecmd.xml").c_str())) {
        folder = beside;
        report += "Double Commander's settings folder (portable: doublecmd.xml beside the "
                  "program): ";
    } else {
        const std::string configHome = Variable("XDG_CONFIG_HOME");
        const std::string home = Variable("HOME");
        if (!configHome.empty())
            folder = configHome + "/doublecmd/";
        else if (!home.empty())
            folder = home + "/.config/doublecmd/";
        else {
            report += "No Double Commander settings folder: neither XDG_CONFIG_HOME nor HOME is "
                      "set.\n";
            return "";
        }
        report += "Double Commander's settings folder: ";
    }
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    const bool exists =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    report += PrintableText(folder) + (exists ? "\n" : " (missing)\n");
    return folder + kDoubleCommanderPluginSettings;
}

} // namespace

std::string FindHostSettingsPath(const std::string& hostProgram, std::string& report) {
    return kHostSettingsInConfigHome ? DoubleCommanderPath(hostProgram, report)
                                     : TotalCommanderPath(hostProgram, report);
}
