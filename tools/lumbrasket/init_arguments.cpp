// `lumbrasket init` on the command line: its arguments checked and the file
// it writes by default found, then the command itself (tools/init/).
#include "settings/bounded_string.h"
#include "tools/lumbrasket/command_line.h"
#include "tools/lumbrasket/host_settings_folder.h"
#include "tools/init/init_command.h"
#include "platform/text/path_spelling.h"
#include "settings/plugin_name.h"
#include "platform/win32.h"

namespace {

// Lumbrasket.ini in the host's settings folder (given by --host-settings,
// else found as the host finds it), the first place the plugin looks, when
// that folder is there; empty (the current folder) when not.
std::string HostSettingsFolderFile(const Options& options) {
    std::string report;
    const std::string hostSettings = HostSettingsOf(options, report);
    char folder[kPathBufferSize] = {};
    CutToDirectory(folder, hostSettings.c_str());
    const DWORD attributes =
        folder[0] != '\0' ? GetFileAttributesA(folder) : INVALID_FILE_ATTRIBUTES;
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return std::string();
    return std::string(folder) + kPluginName + ".ini";
}

} // namespace

int RunInitCommand(const Options& options) {
    if (options.why || options.all || !options.pluginFile.empty() || !options.hostProgram.empty())
        return Refuse(options, "init takes only --output, --force and --host-settings");
    if (!options.arguments.empty())
        return Refuse(options, "init writes to --output FILE, not to " + options.arguments[0]);
    switch (
        RunInit(options.outputGiven ? options.output : HostSettingsFolderFile(options), options.force)) {
    case InitOutcome::kWritten:
        return 0;
    case InitOutcome::kOutputExists:
        return kExitOutputExists;
    default:
        return kExitCannotWrite;
    }
}
