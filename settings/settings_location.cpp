// The plugin settings file search: beside the host's settings file, in a
// folder named after the plugin there, beside the plugin module, beside the
// host program. Nothing is created or opened; when no candidate exists the
// first one is left in the output and reading it later gives the defaults.
#include "settings/settings_location.h"

#include "settings/bounded_string.h"
#include "platform/text/path_spelling.h"
#include <cstring>

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

std::int32_t BuildSettingsPath(std::int32_t kind, HMODULE module, const char* baseName,
                               const char* referencePath, char* output, std::int32_t outputCapacity,
                               const char* subdirectory) {
    if (kind < kSettingsBesideHostSettings || kind > kSettingsBesideProgram)
        return kind;
    const std::size_t capacity =
        static_cast<std::size_t>(static_cast<std::uint32_t>(outputCapacity));
    char modulePath[kPathBufferSize] = {};
    const char* source = referencePath;
    if (kind == kSettingsBesideModule || kind == kSettingsBesideProgram) {
        // A module the platform cannot name, or names only cut, has no
        // folder worth composing in.
        DWORD length = GetModuleFileNameA(kind == kSettingsBesideModule ? module : nullptr,
                                          modulePath, kPathBufferSize);
        if (length == 0 || length >= kPathBufferSize)
            modulePath[0] = '\0';
        source = modulePath;
    }
    if (capacity == 0 || capacity > kMaxCapacity)
        return kStatusInvalidArgument;
    // Without a separator there is no folder to put the file in: the output
    // stays as it was rather than holding a bare name, which the platform
    // would resolve against some unrelated folder.
    const FolderCut folder = CutToFolder(source, output, capacity);
    if (folder == kNoFolder)
        return kStatusInvalidArgument;
    Status status = folder == kFolderCut ? kStatusSuccess : kStatusInsufficientBuffer;
    if (status == kStatusSuccess && kind == kSettingsInHostSubfolder) {
        status = BoundedAppend(output, capacity, subdirectory);
        if (status == kStatusSuccess)
            status = BoundedAppend(output, capacity, kPathSeparatorText);
    }
    if (status == kStatusSuccess)
        status = BoundedAppend(output, capacity, baseName);
    if (status == kStatusSuccess)
        status = BoundedAppend(output, capacity, ".ini");
    // The first step that did not fit decides: a cut path is never reported
    // as a path.
    return status;
}

SettingsCandidate ComposeSettingsCandidate(SettingsLocation location, HMODULE module,
                                           const char* pluginName, const char* hostSettingsPath,
                                           const char* programPath) {
    SettingsCandidate candidate;
    candidate.location = location;
    candidate.path[0] = '\0';
    // A program named from outside the host stands where the process's own
    // would: its folder is composed as the host settings file's is.
    const bool givenProgram = location == kSettingsBesideProgram && programPath != nullptr;
    const std::int32_t status = BuildSettingsPath(
        givenProgram ? kSettingsBesideHostSettings : location, module, pluginName,
        givenProgram ? programPath : hostSettingsPath, candidate.path, kPathBufferSize, pluginName);
    // A candidate cut at the buffer's end would name another file: only a
    // whole one is tried.
    candidate.composed = status == kStatusSuccess;
    candidate.cut = status == kStatusInsufficientBuffer;
    candidate.exists = candidate.composed && PathExists(candidate.path) != 0;
    return candidate;
}

int LocateSettingsFile(HMODULE module, const char* pluginName, const char* hostSettingsPath,
                       char* output, int outputCapacity) {
    const std::size_t capacity = static_cast<std::size_t>(static_cast<unsigned>(outputCapacity));
    // The first candidate stays in the output when none exists; without a
    // usable host directory the output is left empty instead. The walk over
    // the places (WalkSettingsPlaces), written over their numbers: the
    // plugin's file then carries no words for a person.
    for (int place = kSettingsBesideHostSettings; place <= kSettingsBesideProgram; ++place) {
        const SettingsCandidate candidate = ComposeSettingsCandidate(
            static_cast<SettingsLocation>(place), module, pluginName, hostSettingsPath, nullptr);
        if (place == kSettingsBesideHostSettings)
            BoundedCopy(output, capacity, candidate.composed ? candidate.path : "");
        if (candidate.exists) {
            BoundedCopy(output, capacity, candidate.path);
            return place;
        }
    }
    return kSettingsNotFound;
}
