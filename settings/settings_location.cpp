// The plugin settings file search: beside the host's settings file, in a
// folder named after the plugin there, beside the plugin module, beside the
// host program. Nothing is created or opened; when no candidate exists the
// first one is left in the output and reading it later gives the defaults.
#include "settings_location.h"

#include "bounded_string.h"
#include <cstring>

namespace {

// The directory of a module file, or the empty text when the platform cannot
// name the module or names it only cut (a cut path leads nowhere useful).
void ModuleDirectory(HMODULE module, char* directory) {
    char moduleFile[kPathBufferSize] = {};
    DWORD length = GetModuleFileNameA(module, moduleFile, kPathBufferSize);
    if (length == 0 || length >= kPathBufferSize) {
        directory[0] = '\0';
        return;
    }
    CutToDirectory(directory, moduleFile);
}

bool TryCandidate(const char* candidate, char* output, int outputCapacity) {
    if (!PathExists(candidate))
        return false;
    BoundedCopy(output, static_cast<std::size_t>(static_cast<unsigned>(outputCapacity)), candidate);
    return true;
}

} // namespace

int PathExists(const char* path) {
    if (path == nullptr)
        return 0;
    WIN32_FIND_DATAA found;
    std::memset(&found, 0, sizeof(found));
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    FindClose(search);
    return 1;
}

int LocateSettingsFile(HMODULE module, const char* pluginName, const char* hostSettingsPath,
                       char* output, int outputCapacity) {
    const std::size_t capacity = static_cast<std::size_t>(static_cast<unsigned>(outputCapacity));
    char fileName[kPathBufferSize] = {};
    char candidate[kPathBufferSize] = {};
    BoundedCopy(fileName, kPathBufferSize, pluginName);
    BoundedAppend(fileName, kPathBufferSize, ".ini");

    // A candidate without a directory would be a bare file name, which the
    // platform resolves against some unrelated folder: such candidates are
    // skipped, and the output stays empty when the host's path has none.
    CutToDirectory(candidate, hostSettingsPath);
    const bool hostDirectoryUsable = candidate[0] != '\0';
    if (hostDirectoryUsable) {
        BoundedAppend(candidate, kPathBufferSize, fileName);
        BoundedCopy(output, capacity, candidate);
        if (PathExists(candidate))
            return kSettingsBesideHost;

        CutToDirectory(candidate, hostSettingsPath);
        BoundedAppend(candidate, kPathBufferSize, pluginName);
        BoundedAppend(candidate, kPathBufferSize, kPathSeparatorText);
        BoundedAppend(candidate, kPathBufferSize, pluginName);
        BoundedAppend(candidate, kPathBufferSize, ".ini");
        if (TryCandidate(candidate, output, outputCapacity))
            return kSettingsInHostSubfolder;
    } else {
        BoundedCopy(output, capacity, "");
    }

    ModuleDirectory(module, candidate);
    if (candidate[0] != '\0') {
        BoundedAppend(candidate, kPathBufferSize, fileName);
        if (TryCandidate(candidate, output, outputCapacity))
            return kSettingsBesideModule;
    }

    ModuleDirectory(nullptr, candidate);
    if (candidate[0] != '\0') {
        BoundedAppend(candidate, kPathBufferSize, fileName);
        if (TryCandidate(candidate, output, outputCapacity))
            return kSettingsBesideProgram;
    }
    return kSettingsNotFound;
}
