// Module paths, settings paths at the four places the plugin searches, and
// the extraction of an "INI" resource into a new file.
#pragma once

#include "win32.h"
#include <cstdint>

// Composes base name + ".ini" at a place numbered as LocateSettingsFile's
// results (kSettingsBesideHostSettings: beside the reference path;
// kSettingsInHostSubfolder: in `subdirectory` there; kSettingsBesideModule;
// kSettingsBesideProgram), within the caller's capacity. Result:
// success, or the insufficient-buffer status with the text cut where it
// stopped when the folder or the whole path does not fit (never a path in
// another folder reported as success); another kind is returned as it is,
// and the output is not touched. A place without a usable folder leaves the
// output untouched as well and gives the invalid-argument status.
std::int32_t BuildSettingsPath(std::int32_t kind, HMODULE module, const char* baseName,
                               const char* referencePath, char* output, std::int32_t outputCapacity,
                               const char* subdirectory);

// The full path of a loaded module (none: the program), in a path buffer.
// Result: the count GetModuleFileNameA reports, or 0 when the module is not
// loaded (the output is then untouched).
std::uint32_t ModuleFilePath(const char* moduleName, char* output);

// The module's folder without a trailing separator, or null when the module
// is not loaded or its name is not the final component of its path (the
// output is then left as it was).
char* ModuleDirectory(const char* moduleName, char* output);

// Writes the bytes of the module's resource of type "INI" with the given
// identifier into a new file. Never touches an existing file. Result:
// non-zero when a file was created and closed, 0 when none was created.
std::int32_t ExtractResourceToFile(HMODULE module, std::uint16_t resourceId, const char* path);
