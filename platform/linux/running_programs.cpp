// Linux: the processes are /proc's numbered folders, each owned by the user
// the process runs for, with its command name in "comm" (the program's file
// name, cut to 15 bytes, which the names asked about fit in) and its
// arguments in "cmdline", each ended by a zero byte.
#include "platform/running_programs.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsProcessFolder(const char* name) {
    if (name[0] == '\0')
        return false;
    for (const char* at = name; *at != '\0'; ++at)
        if (!std::isdigit(static_cast<unsigned char>(*at)))
            return false;
    return true;
}

// The process's command name, without its closing line break; empty when it
// cannot be read.
std::string CommandName(const std::string& folder) {
    std::FILE* file = std::fopen((folder + "/comm").c_str(), "r");
    if (file == nullptr)
        return std::string();
    char line[64] = {};
    const bool read = std::fgets(line, sizeof line, file) != nullptr;
    std::fclose(file);
    if (!read)
        return std::string();
    line[std::strcspn(line, "\n")] = '\0';
    return line;
}

std::vector<std::string> Arguments(const std::string& folder) {
    std::vector<std::string> arguments;
    std::FILE* file = std::fopen((folder + "/cmdline").c_str(), "rb");
    if (file == nullptr)
        return arguments;
    std::string argument;
    for (int c; (c = std::fgetc(file)) != EOF;) {
        if (c != '\0') {
            argument += static_cast<char>(c);
            continue;
        }
        arguments.push_back(argument);
        argument.clear();
    }
    std::fclose(file);
    return arguments;
}

} // namespace

std::vector<std::vector<std::string>> RunningProgramArguments(const char* programName) {
    std::vector<std::vector<std::string>> found;
    DIR* processes = opendir("/proc");
    if (processes == nullptr)
        return found;
    const uid_t user = getuid();
    while (const dirent* entry = readdir(processes)) {
        if (!IsProcessFolder(entry->d_name))
            continue;
        const std::string folder = std::string("/proc/") + entry->d_name;
        struct stat status {};
        if (stat(folder.c_str(), &status) != 0 || status.st_uid != user ||
            CommandName(folder) != programName)
            continue;
        // A process that has ended but is not yet reaped keeps its name and
        // loses its arguments.
        std::vector<std::string> arguments = Arguments(folder);
        if (!arguments.empty())
            found.push_back(std::move(arguments));
    }
    closedir(processes);
    return found;
}
