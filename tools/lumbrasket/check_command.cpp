// `lumbrasket check`: which settings file the plugin uses in the host's
// settings folder, and what the plugin makes of it.
#include "tools/lumbrasket/command_line.h"
#include "platform/console_text.h"
#include "platform/text/full_path.h"
#include "tools/lumbrasket/host_settings_folder.h"
#include "tools/lumbrasket/settings_check.h"

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
    const std::string hostSettings = arguments.empty() || !options.hostSettings.empty()
                                         ? HostSettingsOf(options, report)
                                         : std::string();
    if (!hostSettings.empty()) {
        const std::string givenProgram = GivenHostProgram(options);
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
