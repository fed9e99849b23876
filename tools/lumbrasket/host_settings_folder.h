// The host's settings folder found from outside the host, as the host finds
// it, for `lumbrasket check` without --host-settings. On Windows, Total
// Commander's: its main settings file (COMMANDER_INI, the "/i" switch, the
// program folder, the registry, beside the program: FindHostSettingsFile)
// and the redirection of its [Configuration] (FindHostSectionFile). On
// Linux, Double Commander's: the folder beside its program when a
// doublecmd.xml lies there (a portable installation), else .config/doublecmd
// in the home folder the user database names, whatever HOME says (Double
// Commander 1.0.10 asks the database; only where it names no home does it
// take $XDG_CONFIG_HOME/doublecmd, or ~/.config/doublecmd without it).
#pragma once

#include <string>

// The default settings path the host hands the plugin (its settings folder
// and the file name it passes there), or empty when it finds no folder.
// `hostProgram` is the host's program file, or empty when unknown. Lines for
// a person on how the folder was found go to `report`, printable.
std::string FindHostSettingsPath(const std::string& hostProgram, std::string& report);

// The host's program file as this system's host installs it, for the place
// beside the host program: on Linux Double Commander's program on PATH (its
// links followed to the file the system runs); on Windows Total Commander's
// in its program folder (COMMANDER_PATH, the registry). Empty when not
// found; a line for a person goes to `report`, printable.
std::string FindHostProgram(std::string& report);

// The host's main settings file: Double Commander's doublecmd.xml in the
// folder of `hostSettingsPath`; Total Commander's wincmd.ini there when the
// path was given, else the one the host finds (FindHostSettingsFile), empty
// when it finds none.
std::string HostMainSettingsFile(const std::string& hostSettingsPath,
                                 const std::string& hostProgram, bool given);

// Double Commander's settings folder (ending in '/') from the account's home
// in the user database, else $XDG_CONFIG_HOME, else $HOME; empty when all
// three are empty.
std::string DoubleCommanderSettingsFolder(const std::string& accountHome,
                                          const std::string& configHome, const std::string& home);
