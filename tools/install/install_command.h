// `lumbrasket install` and `lumbrasket uninstall`: the plugin, a column view
// of its kinds and (on request) a colour per kind made part of the host's
// settings, and taken out again, item by item, as the host itself would
// have saved them.
#pragma once

#include <string>

struct InstallRequest {
    bool colours = false;
    bool dryRun = false;
    // The host's main settings file, and the default settings path the
    // host hands the plugin (the table in use is found from it).
    std::string mainSettingsFile;
    std::string hostSettingsPath;
    // The host's program file, for the place beside it; may be empty.
    std::string hostProgram;
    // The plugin file to install, and the sample settings beside it.
    std::string sourcePlugin;
};

enum class InstallOutcome {
    kDone,               // done, or nothing to do
    kNotAPlugin,         // the plugin file to install does not load
    kCannotWrite,        // a file or folder cannot be written, or may not be
    kHostRunning,        // the host runs for this user
    kNoHostSettings,     // the host has not written its settings yet
    kUntestedHost,       // the settings come from a host version not tested
    kUnreadableSettings, // the settings cannot be read or parsed
};

// Both print what they change (with `dryRun`: what they would change) and
// why they refuse; the host's files are untouched on any refusal.
InstallOutcome RunInstall(const InstallRequest& request);
InstallOutcome RunUninstall(const InstallRequest& request);
