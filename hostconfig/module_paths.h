// Module paths and the extraction of an "INI" resource into a new file. The
// settings paths at the four places the plugin searches (BuildSettingsPath)
// are composed beside the search itself, in settings_location.h.
#pragma once

#include "platform/win32.h"
#include <cstdint>

// The count GetModuleFileNameA reports for the full path of a loaded module
// (none: the program) in `output`, a path buffer; 0 when the module is not
// loaded (the output is then untouched).
std::uint32_t ModuleFilePath(const char* moduleName, char* output);

// The module's folder without a trailing separator, or null when the module
// is not loaded or its name is not the final component of its path (the
// output is then left as it was).
char* ModuleDirectory(const char* moduleName, char* output);

// Non-zero when a file was created and closed, 0 when none was created:
// writes the bytes of the module's resource of type "INI" with the given
// identifier into a new file. Never touches an existing file.
std::int32_t ExtractResourceToFile(HMODULE module, std::uint16_t resourceId, const char* path);
