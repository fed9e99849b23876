// Finding the plugin's own settings file from the host's default settings
// path, and the existence test that the search (and the support layer) uses.
#pragma once

#include "settings/bounded_string.h"
#include "platform/win32.h"
#include <cstdint>

// Where LocateSettingsFile found the file.
enum SettingsLocation : int {
    kSettingsNotFound = 0,           // the first candidate is left in the output
    kSettingsBesideHostSettings = 1, // host settings folder + NAME.ini
    kSettingsInHostSubfolder = 2,    // host settings folder + NAME/NAME.ini
    kSettingsBesideModule = 3,       // plugin module directory + NAME.ini
    kSettingsBesideProgram = 4,      // host executable directory + NAME.ini
};

// The four places in the order they are tried, with the words that name
// each for a person (the host stand-in and the checker show them).
struct SettingsPlace {
    SettingsLocation location;
    const char* description;
};
constexpr SettingsPlace kSettingsPlaces[] = {
    {kSettingsBesideHostSettings, "beside the host settings file"},
    {kSettingsInHostSubfolder, "in a folder named after the plugin beside the host settings file"},
    {kSettingsBesideModule, "beside the plugin file"},
    {kSettingsBesideProgram, "beside the host program"},
};

// The words for a location: one of the places, or none found.
const char* SettingsPlaceText(int location);

// The candidate of one place, as the search composes and tests it.
struct SettingsCandidate {
    SettingsLocation location;
    // A whole path was composed; otherwise `cut` tells whether the place had a
    // folder whose path did not fit, or had none.
    bool composed = false;
    bool cut = false;
    bool exists = false;
    char path[kPathBufferSize];
};

// The candidate at a place, composed as BuildSettingsPath composes it, with
// the host program at `programPath` when that is given and not this
// process's own, and whether an entry exists there.
SettingsCandidate ComposeSettingsCandidate(SettingsLocation location, HMODULE module,
                                           const char* pluginName, const char* hostSettingsPath,
                                           const char* programPath);

// The one walk over the four places: each candidate in order to `visit`,
// until `visit` answers false. The search stops at the first that exists;
// an explanation lists them all.
template <typename Visit>
void WalkSettingsPlaces(HMODULE module, const char* pluginName, const char* hostSettingsPath,
                        const char* programPath, Visit visit) {
    for (const SettingsPlace& place : kSettingsPlaces)
        if (!visit(ComposeSettingsCandidate(place.location, module, pluginName, hostSettingsPath,
                                            programPath)))
            return;
}

// The place where the file was found, or kSettingsNotFound: tries the four
// places in order and leaves the chosen path in `output`. When none exists,
// the first candidate is left there.
int LocateSettingsFile(HMODULE module, const char* pluginName, const char* hostSettingsPath,
                       char* output, int outputCapacity);

// Success, or the insufficient-buffer status with the text cut where it
// stopped when the folder or the whole path does not fit (never a path in
// another folder reported as success), for base name + ".ini" composed at a
// place numbered as LocateSettingsFile's results (kSettingsBesideHostSettings:
// beside the reference path; kSettingsInHostSubfolder: in `subdirectory`
// there; kSettingsBesideModule; kSettingsBesideProgram), within the caller's
// capacity. Another kind is returned as it is, and the output is not
// touched. A place without a usable folder (no separator in the reference
// path, a module the platform cannot name) leaves the output untouched as
// well and gives the invalid-argument status. LocateSettingsFile tries the
// paths it composes and skips a place it gives no whole path for.
std::int32_t BuildSettingsPath(std::int32_t kind, HMODULE module, const char* baseName,
                               const char* referencePath, char* output, std::int32_t outputCapacity,
                               const char* subdirectory);

// The first entry the platform's directory search finds for the path, in
// `found`; false when it finds none. The search is closed again.
bool FindPathEntry(const char* path, WIN32_FIND_DATAA& found);

// 1 when the platform's directory search finds an entry of that path
// (directories count), else 0; 0 for no path.
int PathExists(const char* path);
