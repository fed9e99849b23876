// The settings checker: reads a Lumbrasket.ini with the plugin's own loader
// and explains it to the person who wrote it: which file the plugin will use,
// the groups as the plugin sees them, and every line that will not do what
// its author probably meant.
#pragma once

#include "platform/win32.h"
#include <string>
#include <vector>

// A group's texts, unescaped, as the checker took them from the file.
struct CheckedGroup {
    std::string name;
    std::vector<std::string> extensions;
    std::vector<std::string> masks;
    bool operator==(const CheckedGroup& other) const {
        return name == other.name && extensions == other.extensions && masks == other.masks;
    }
};

// Warnings are things the file does not mean as its author meant them (the
// check exits 1); notes are worth knowing but may well be meant (exit 0).
// Every text in the report, the warnings and the notes is printable: what
// comes from the file or the system is escaped.
struct SettingsCheck {
    std::string report;                // for a person, one item per line
    std::vector<std::string> warnings; // also listed in the report
    std::vector<std::string> notes;    // also listed in the report
    // The table the report shows, as the plugin's loader loaded it.
    std::vector<CheckedGroup> shown;
    std::string shownFallback;
    // The same table from the key values that the warnings judge (for each
    // key, its first line, the value as a read gives it): the warnings speak
    // of the file the plugin reads only while this equals the loaded table.
    std::vector<CheckedGroup> judged;
    std::string judgedFallback;
};

// The path the plugin will read (the first candidate when none exists),
// with an explanation in `report` of the four places the plugin searches for
// a host settings path, in order, and which one wins. `pluginModule` names
// the plugin file for the third place and `hostProgram` the host's program
// file for the fourth; without one, that place is shown as unknown and not
// searched.
std::string ExplainSettingsLocation(HMODULE pluginModule, const std::string& hostProgram,
                                    const std::string& hostSettingsPath, std::string& report);

// The report on the file as the plugin loads it: its groups, its fallback
// and its surprises.
SettingsCheck CheckSettingsFile(const std::string& path);
