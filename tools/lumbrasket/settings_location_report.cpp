// The four places the plugin looks for its settings file, explained to a
// person: each candidate, whether it exists, and which one the plugin reads.
#include "tools/lumbrasket/settings_check.h"

#include "settings/bounded_string.h"
#include "settings/plugin_name.h"
#include "platform/text/printable_text.h"
#include "settings/settings_location.h"

#include <cstring>

std::string ExplainSettingsLocation(HMODULE pluginModule, const std::string& hostProgram,
                                    const std::string& hostSettingsPath, std::string& report) {
    report += "Host settings file: " + PrintableText(hostSettingsPath) + "\n";
    report += "Places searched, in order:\n";
    std::string chosen;
    std::string first;
    // The host program's folder is not this checker's: the place beside it
    // is composed from the program given.
    WalkSettingsPlaces(
        pluginModule, kPluginName, hostSettingsPath.c_str(), hostProgram.c_str(),
        [&](const SettingsCandidate& candidate) {
            const int place = candidate.location;
            std::string line =
                "  " + std::to_string(place) + ". " + SettingsPlaceText(place) + ": ";
            if (place == kSettingsBesideModule && pluginModule == nullptr) {
                report += line + "(unknown: give --plugin)\n";
                return true;
            }
            if (place == kSettingsBesideProgram && hostProgram.empty()) {
                report += line + "(unknown: give --host-program)\n";
                return true;
            }
            if (!candidate.composed) {
                // A longer path than a path buffer holds is cut, and the
                // cut one names no settings file.
                report +=
                    line + (candidate.cut ? "(cut: the path is longer than the plugin's " +
                                                std::to_string(kPathBufferSize - 1) + " bytes)\n"
                                          : std::string("(no folder to look in)\n"));
                return true;
            }
            if (place == kSettingsBesideHostSettings)
                first = candidate.path;
            const char* status = "  (missing)";
            if (candidate.exists)
                status = chosen.empty() ? "  <- in effect" : "  (exists, not used)";
            if (candidate.exists && chosen.empty())
                chosen = candidate.path;
            report += line + PrintableText(candidate.path) + status + "\n";
            return true;
        });
    if (chosen.empty())
        report += "No settings file exists; the plugin reads the first place and uses defaults.\n";
    return chosen.empty() ? first : chosen;
}
