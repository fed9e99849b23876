// Finding, from inside the host's process, the host's main settings file
// ("Wincmd.ini" by default). Five sources in a fixed order, stopping at the
// first that names an existing file: the COMMANDER_INI environment variable,
// the "/i" switch of the command line, the UseIniInProgramDir flag of the
// file in the host's program directory, the registry (user, then machine),
// and the default name beside `basePath`.
#pragma once

#include "platform/win32.h"

// 1 and the path in `output` (a path buffer) when a source names an existing
// file; 0 and the empty text otherwise.
int FindHostSettingsFile(const char* basePath, char* output);

// The value of the command line's "/i" switch, lower-cased, in `output`:
// 1 when a non-empty value was found.
int ReadIniSwitch(char* output);

// `baseDirectory` followed by the file name of the registry value
// "IniFileName" under `root`: 1 when that path exists.
int ReadRegistryIniName(char* output, HKEY root, const char* baseDirectory);

// The host's program folder as a program outside the host finds it: the
// COMMANDER_PATH environment variable (the host sets it for the programs it
// starts), else the registry value "InstallDir" (user, then machine). 1 and
// the folder with a trailing separator in `output` (a path buffer) when one
// names an existing folder; 0 and the empty text otherwise.
int FindHostProgramFolder(char* output);
