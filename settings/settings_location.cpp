// The plugin settings file search: beside the host's settings file, in a
// folder named after the plugin there, beside the plugin module, beside the
// host program. Nothing is created or opened; when no candidate exists the
// first one is left in the output and reading it later gives the defaults.
#include "settings_location.h"

#include "bounded_string.h"
#include <cstring>

namespace {

// The directory of a module file with its trailing separator, or the empty
// text when the platform cannot name the module or names it only cut (a cut
// path leads nowhere useful).
void ModuleFolderWithSeparator(HMODULE module, char* directory) {
    char moduleFile[kPathBufferSize] = {};
    DWORD length = GetModuleFileNameA(module, moduleFile, kPathBufferSize);
    if (length == 0 || length >= kPathBufferSize) {
        directory[0] = '\0';
        return;
    }
    CutToDirectory(directory, moduleFile);
}

} // namespace

const char* SettingsPlaceText(int location) {
    for (const SettingsPlace& place : kSettingsPlaces)
        if (place.location == location)
            return place.description;
    return "nowhere (defaults in effect)";
}

bool FindPathEntry(const char* path, WIN32_FIND_DATAA& found) {
    std::memset(&found, 0, sizeof(found));
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
    return true;
}

int PathExists(const char* path) {
    WIN32_FIND_DATAA found;
    return path != nullptr && FindPathEntry(path, found) ? 1 : 0;
}

bool SettingsCandidate(int place, HMODULE module, const char* pluginName,
                       const char* hostSettingsPath, char* candidate) {
    // A candidate without a directory would be a bare file name, which the
    // platform resolves against some unrelated folder: such a place is skipped.
    if (place == kSettingsBesideHostSettings || place == kSettingsInHostSubfolder)
        CutToDirectory(candidate, hostSettingsPath);
    else if (place == kSettingsBesideModule)
        ModuleFolderWithSeparator(module, candidate);
    else if (place == kSettingsBesideProgram)
        ModuleFolderWithSeparator(nullptr, candidate);
    else
        candidate[0] = '\0';
    if (candidate[0] == '\0')
        return false;
    // A candidate cut at the buffer's end would name another file.
    bool fits = true;
    if (place == kSettingsInHostSubfolder)
        fits = BoundedAppend(candidate, kPathBufferSize, pluginName) == kStatusSuccess &&
               BoundedAppend(candidate, kPathBufferSize, kPathSeparatorText) == kStatusSuccess;
    fits = fits && BoundedAppend(candidate, kPathBufferSize, pluginName) == kStatusSuccess &&
           BoundedAppend(candidate, kPathBufferSize, ".ini") == kStatusSuccess;
    if (!fits)
        candidate[0] = '\0';
    return fits;
}

int LocateSettingsFile(HMODULE module, const char* pluginName, const char* hostSettingsPath,
                       char* output, int outputCapacity) {
    const std::size_t capacity = static_cast<std::size_t>(static_cast<unsigned>(outputCapacity));
    char candidate[kPathBufferSize] = {};
    // The first candidate stays in the output when none exists; without a
    // usable host directory the output is left empty instead.
    if (!SettingsCandidate(kSettingsBesideHostSettings, module, pluginName, hostSettingsPath,
                           candidate))
        candidate[0] = '\0';
    BoundedCopy(output, capacity, candidate);
    for (int place = kSettingsBesideHostSettings; place <= kSettingsBesideProgram; ++place) {
        if (SettingsCandidate(place, module, pluginName, hostSettingsPath, candidate) &&
            PathExists(candidate)) {
            BoundedCopy(output, capacity, candidate);
            return place;
        }
    }
    return kSettingsNotFound;
}
