// lumbrasket: a stand-in for a file manager. It loads a built plugin file as
// a host does, hands it a default settings path and prints, for each file of
// a folder (or each path given), the value of every field; `check` explains
// a settings file to the person who wrote it; `init` writes one from the
// system's own file types. This file reads the command line and hands it to
// the command it names.
#include "tools/lumbrasket/command_line.h"
#include "platform/console_text.h"
#include "plugin/version.h"

#include <string>

int main(int argc, char** argv) {
    Options options;
    if (!ParseArguments(argc, argv, options))
        return kExitUsage;
    if (options.version) {
        WriteConsoleText(stdout, std::string("lumbrasket ") + LUMBRASKET_VERSION_TEXT + "\n");
        return 0;
    }
    if (options.help) {
        WriteConsoleText(stdout, Usage(options));
        return 0;
    }
    if (options.init)
        return RunInitCommand(options);
    if (options.outputGiven || options.force)
        return Refuse(options, "--output and --force belong to init");
    if (options.install || options.uninstall)
        return RunInstallCommand(options);
    if (options.colours || options.dryRun)
        return Refuse(options, "--colors and --dry-run belong to install and uninstall");
    return options.check ? RunCheck(options) : RunTable(options);
}
