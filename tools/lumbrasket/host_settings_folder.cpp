// The host's settings folder, by the rules of the host of this system
// (kHostSettingsInConfigHome): Total Commander's through hostconfig/, Double
// Commander's here.
#include "tools/lumbrasket/host_settings_folder.h"

#include "settings/bounded_string.h"
#include "platform/text/printable_text.h"
#include "platform/account_home.h"
#include "platform/host_policy.h"
#include "hostconfig/host_settings.h"
#include "platform/text/path_spelling.h"
#include "settings/settings_location.h"
#include "hostconfig/settings_redirection.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace {

// The names the hosts hand a content plugin for its default settings file;
// the plugin looks only at their folder.
const char* const kTotalCommanderPluginSettings = "contplug.ini";
const char* const kDoubleCommanderPluginSettings = "wdx.ini";

// The path's folder with its last separator; empty without one, or when the
// folder does not fit a path buffer.
std::string FolderOf(const std::string& path) {
    char folder[kPathBufferSize] = {};
    CutToDirectory(folder, path.c_str());
    return folder;
}

// The environment variable's value, or empty when it is not set.
std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// The default settings path Total Commander hands the plugin, or empty when
// its settings are not found. Total Commander keeps its program folder in
// COMMANDER_PATH for its own process; the tool runs outside it, so the
// program given stands in.
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

// The default settings path Double Commander hands the plugin, or empty when
// neither XDG_CONFIG_HOME nor HOME is set.
std::string DoubleCommanderPath(const std::string& hostProgram, std::string& report) {
    std::string folder;
    const std::string beside = hostProgram.empty() ? "" : FolderOf(hostProgram);
    if (!beside.empty() && PathExists((beside + "doublecmd.xml").c_str())) {
        folder = beside;
        report += "Double Commander's settings folder (portable: doublecmd.xml beside the "
                  "program): ";
    } else {
        folder = DoubleCommanderSettingsFolder(AccountHomeFolder(), Variable("XDG_CONFIG_HOME"),
                                               Variable("HOME"));
        if (folder.empty()) {
            report += "No Double Commander settings folder: the user database names no home, "
                      "and neither XDG_CONFIG_HOME nor HOME is set.\n";
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

// Double Commander's program where the shell would find it: the first
// `doublecmd` on PATH, its links followed, since the plugin sees the file
// the system runs.
std::string DoubleCommanderProgram() {
    const std::string path = Variable("PATH");
    for (std::size_t start = 0; start <= path.size();) {
        const std::size_t end = std::min(path.find(':', start), path.size());
        const std::string folder = path.substr(start, end - start);
        start = end + 1;
        if (folder.empty() || folder[0] != '/')
            continue;
        std::error_code error;
        const std::filesystem::path program =
            std::filesystem::canonical(folder + "/doublecmd", error);
        if (!error && std::filesystem::is_regular_file(program, error))
            return program.string();
    }
    return "";
}

// Total Commander's program in its folder: the 64-bit one where both are.
std::string TotalCommanderProgram() {
    char folder[kPathBufferSize] = {};
    if (FindHostProgramFolder(folder) == 0)
        return "";
    for (const char* name : {"TOTALCMD64.EXE", "TOTALCMD.EXE"})
        if (PathExists((std::string(folder) + name).c_str()))
            return std::string(folder) + name;
    return std::string(folder) + "TOTALCMD.EXE";
}

} // namespace

std::string DoubleCommanderSettingsFolder(const std::string& accountHome,
                                          const std::string& configHome, const std::string& home) {
    if (!accountHome.empty())
        return accountHome + "/.config/doublecmd/";
    if (!configHome.empty())
        return configHome + "/doublecmd/";
    return home.empty() ? "" : home + "/.config/doublecmd/";
}

std::string FindHostProgram(std::string& report) {
    const std::string program =
        kHostSettingsInConfigHome ? DoubleCommanderProgram() : TotalCommanderProgram();
    const char* where = kHostSettingsInConfigHome ? "on PATH" : "by COMMANDER_PATH or the registry";
    report += program.empty()
                  ? std::string("No host program found ") + where +
                        " (give --host-program for the place beside it).\n"
                  : "Host program: " + PrintableText(program) + " (found " + where + ")\n";
    return program;
}

std::string FindHostSettingsPath(const std::string& hostProgram, std::string& report) {
    return kHostSettingsInConfigHome ? DoubleCommanderPath(hostProgram, report)
                                     : TotalCommanderPath(hostProgram, report);
}

std::string HostMainSettingsFile(const std::string& hostSettingsPath,
                                 const std::string& hostProgram, bool given) {
    if (kHostSettingsInConfigHome || given) {
        const std::string folder = FolderOf(hostSettingsPath);
        return folder.empty()
                   ? ""
                   : folder + (kHostSettingsInConfigHome ? "doublecmd.xml" : "wincmd.ini");
    }
    char main[kPathBufferSize] = {};
    return FindHostSettingsFile(hostProgram.c_str(), main) != 0 ? main : "";
}
