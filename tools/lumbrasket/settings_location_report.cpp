// The four places the plugin looks for its settings file, explained to a
// person: each candidate, whether it exists, and which one the plugin reads.
#include "settings_check.h"

#include "bounded_string.h"
#include "plugin_name.h"
#include "printable_text.h"
#include "settings_location.h"

#include <cstring>

std::string ExplainSettingsLocation(HMODULE pluginModule, const std::string& hostProgram,
                                    const std::string& hostSettingsPath, std::string& report) {
    report += "Host settings file: " + PrintableText(hostSettingsPath) + "\n";
    report += "Places searched, in order:\n";
    std::string chosen;
    std::string first;
    for (const SettingsPlace& each : kSettingsPlaces) {
        const int place = each.location;
        char candidate[kPathBufferSize] = {};
        std::string line = "  " + std::to_string(place) + ". " + each.description + ": ";
        if (place == kSettingsBesideModule && pluginModule == nullptr) {
            report += line + "(unknown: give --plugin)\n";
            continue;
        }
        if (place == kSettingsBesideProgram && hostProgram.empty()) {
            report += line + "(unknown: give --host-program)\n";
            continue;
        }
        // The host program's folder is not this checker's: the place beside
        // it is composed from the path given, as the one beside the host
        // settings file is.
        const bool besideProgram = place == kSettingsBesideProgram;
        const bool placed =
            BuildSettingsPath(besideProgram ? kSettingsBesideHostSettings : place, pluginModule,
                              kPluginName, (besideProgram ? hostProgram : hostSettingsPath).c_str(),
                              candidate, kPathBufferSize, kPluginName) == kStatusSuccess;
        if (!placed) {
            report += line + "(no folder to look in)\n";
            continue;
        }
        if (place == kSettingsBesideHostSettings)
            first = candidate;
        const bool exists = PathExists(candidate) != 0;
        // A path buffer holds 259 bytes: a longer path is cut, and the cut
        // one names no settings file.
        const bool cut = std::strlen(candidate) >= kPathBufferSize - 1;
        const char* status = "  (missing)";
        if (exists)
            status = chosen.empty() ? "  <- in effect" : "  (exists, not used)";
        else if (cut)
            status = "  (cut: the path is longer than the plugin's 259 bytes)";
        line += PrintableText(candidate) + status;
        if (exists && chosen.empty())
            chosen = candidate;
        report += line + "\n";
    }
    if (chosen.empty())
        report += "No settings file exists; the plugin reads the first place and uses defaults.\n";
    return chosen.empty() ? first : chosen;
}
