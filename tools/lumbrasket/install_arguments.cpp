// `lumbrasket install` and `uninstall` on the command line: their arguments
// checked, the host's settings and the plugin found as the other commands
// find them, then the command itself (tools/install/).
#include "tools/install/install_command.h"
#include "tools/lumbrasket/command_line.h"
#include "tools/lumbrasket/host_settings_folder.h"
#include "platform/text/full_path.h"

int RunInstallCommand(const Options& options) {
    if (options.why || options.all)
        return Refuse(options, "--why and --all belong to the table");
    if (options.uninstall && (options.colours || !options.pluginFile.empty()))
        return Refuse(options, "uninstall takes out what install's record lists: it takes no "
                               "--colors or --plugin");
    if (!options.arguments.empty())
        return Refuse(options, "unexpected argument " + options.arguments[0]);
    InstallRequest request;
    request.colours = options.colours;
    request.dryRun = options.dryRun;
    std::string report;
    request.hostSettingsPath = HostSettingsOf(options, report);
    const std::string givenProgram = GivenHostProgram(options);
    request.hostProgram = givenProgram.empty() ? FindHostProgram(report) : givenProgram;
    request.mainSettingsFile = HostMainSettingsFile(
        request.hostSettingsPath, request.hostProgram, !options.hostSettings.empty());
    request.sourcePlugin =
        options.pluginFile.empty() ? PluginBesideTool() : FullPath(options.pluginFile);
    const InstallOutcome outcome = options.install ? RunInstall(request) : RunUninstall(request);
    switch (outcome) {
    case InstallOutcome::kDone:
        return 0;
    case InstallOutcome::kNotAPlugin:
        return kExitNotAPlugin;
    case InstallOutcome::kCannotWrite:
        return kExitCannotWrite;
    case InstallOutcome::kHostRunning:
        return kExitHostRunning;
    case InstallOutcome::kNoHostSettings:
        return kExitNoHostSettings;
    case InstallOutcome::kUntestedHost:
        return kExitUntestedHost;
    case InstallOutcome::kUnreadableSettings:
        return kExitUnreadableSettings;
    }
    return kExitCannotWrite;
}
