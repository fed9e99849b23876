// The tool's command line: what it asks for, the exit codes every command
// shares, and the few things each command does alike (refusing the line,
// printing a line of foreign text, the plugin file it loads).
#pragma once

#include "tools/lumbrasket/loaded_plugin.h"

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

// Exit codes: the check's 0 and 1 (no warning, a warning), and the errors.
constexpr int kExitUsage = 2;               // the command line is not understood
constexpr int kExitNotAPlugin = 3;          // the plugin file does not load or lacks exports
constexpr int kExitMissingPath = 4;         // a folder or file to show does not exist
constexpr int kExitOutputExists = 5;        // init: the file to write exists, and no --force
constexpr int kExitCannotWrite = 6;         // init, install: a file cannot be written
constexpr int kExitHostRunning = 7;         // install: the host runs for this user
constexpr int kExitNoHostSettings = 8;      // install: the host has not written its settings
constexpr int kExitUntestedHost = 9;        // install: settings of an untested host version
constexpr int kExitUnreadableSettings = 10; // install: the host's settings cannot be read

// What the command line asks for.
struct Options {
    bool check = false;
    bool init = false;
    bool install = false;
    bool uninstall = false;
    bool colours = false;
    bool dryRun = false;
    bool why = false;
    bool all = false;
    bool force = false;
    bool help = false;
    bool version = false;
    bool outputGiven = false;
    std::string output;
    std::string hostSettings;
    std::string pluginFile;
    std::string hostProgram;
    std::vector<std::string> arguments;
    // How many of the arguments came before `--`: only those may be taken
    // for something other than a file to show.
    std::size_t beforeEnd = 0;
};

// False, with a message, when an option is unknown, lacks its path or is
// given another option for it, or when the command word is mistyped (one
// that names no file and is near a command); else true, with the command line split into
// options and the rest. The command word is the first argument that is
// neither an option nor an option's path.
bool ParseArguments(int argc, char** argv, Options& options);

// The usage of the command the options name.
const char* Usage(const Options& options);
// The usage exit code, after saying in one line what is wrong with the
// command line and how to see the command's usage.
int Refuse(const Options& options, const std::string& problem);

// A line of text from anywhere (a path, a name the plugin gives, a system
// message), shown escaped so that it can neither act on the terminal nor
// split the line.
void PrintLine(std::FILE* stream, const std::string& text);

// The plugin file beside this program, where both archives put it.
std::string PluginBesideTool();
// The plugin named by --plugin, else the one beside this program; null, with
// the reason printed, when it does not load. For `check` (`required` false)
// a missing one beside the tool is no error: check then says what it could
// not know, and gets a plugin without a module.
std::unique_ptr<LoadedPlugin> LoadPlugin(const Options& options, bool required);

// The host program given by --host-program, in full, or empty.
std::string GivenHostProgram(const Options& options);
// The host settings path given by --host-settings, in full; else the one the
// host would hand the plugin, found as the host finds it (lines on how go to
// `report`); empty when there is none.
std::string HostSettingsOf(const Options& options, std::string& report);

// The commands' exit codes; each command is in a file of its own.
int RunTable(const Options& options);
int RunCheck(const Options& options);
int RunInitCommand(const Options& options);
int RunInstallCommand(const Options& options);
