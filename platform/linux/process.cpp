// Linux: the process's environment and command line as Win32 hands them out. The command line is
// one text built from the arguments, an argument holding a blank enclosed in double quotes, as
// Windows keeps it.
#include "platform/win32.h"
#include "platform/linux/system_calls.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

DWORD ExpandEnvironmentStringsA(LPCSTR source, LPSTR destination, DWORD size) {
    if (source == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // %NAME% of a set variable becomes its value; any other '%' stays, and
    // the search for a reference goes on from the next character.
    std::string result;
    for (const char* p = source; *p != '\0';) {
        if (*p == '%') {
            const char* close = std::strchr(p + 1, '%');
            if (close != nullptr) {
                std::string name(p + 1, static_cast<size_t>(close - p - 1));
                const char* value = name.empty() ? nullptr : std::getenv(name.c_str());
                if (value != nullptr) {
                    result += value;
                    p = close + 1;
                    continue;
                }
            }
        }
        result += *p++;
    }
    // Unlike Windows, which may leave a partial text, a short buffer gets the
    // text cut and terminated; the result is the size the whole text needs.
    if (destination != nullptr && size > 0) {
        size_t count = result.size() < size ? result.size() : size - 1;
        std::memcpy(destination, result.data(), count);
        destination[count] = '\0';
    }
    return static_cast<DWORD>(result.size() + 1);
}

BOOL SetEnvironmentVariableA(LPCSTR name, LPCSTR value) {
    if (name == nullptr || *name == '\0' || std::strchr(name, '=') != nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return (value != nullptr ? setenv(name, value, 1) : unsetenv(name)) == 0 ? TRUE : FALSE;
}

extern char** environ;

LPSTR GetEnvironmentStrings() {
    // An empty entry would end the block early and hide every entry after
    // it; it carries no variable, so it is left out.
    size_t size = 1;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry)
        size += std::strlen(*entry) + 1;
    char* block = static_cast<char*>(std::malloc(size));
    if (block == nullptr)
        return nullptr;
    char* at = block;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        if (**entry == '\0')
            continue;
        size_t length = std::strlen(*entry) + 1;
        std::memcpy(at, *entry, length);
        at += length;
    }
    *at = '\0';
    return block;
}

BOOL FreeEnvironmentStringsA(LPSTR block) {
    std::free(block);
    return TRUE;
}

// The process's arguments as one line, blank-separated, one that is empty or
// holds a blank quoted; empty when /proc/self/cmdline cannot be read.
static std::string BuildCommandLine() {
    std::string line;
    std::FILE* file = System().fopen("/proc/self/cmdline", "rb");
    if (file == nullptr)
        return line;
    std::string raw;
    char chunk[4096];
    size_t count;
    while ((count = std::fread(chunk, 1, sizeof(chunk), file)) > 0)
        raw.append(chunk, count);
    std::fclose(file);
    for (size_t start = 0; start < raw.size();) {
        size_t end = raw.find('\0', start);
        if (end == std::string::npos)
            end = raw.size();
        std::string argument = raw.substr(start, end - start);
        if (!line.empty())
            line += ' ';
        if (argument.empty() || argument.find_first_of(" \t") != std::string::npos)
            line += '"' + argument + '"';
        else
            line += argument;
        start = end + 1;
    }
    return line;
}

LPSTR GetCommandLineA() {
    // Built once; like the Windows text it lives as long as the process.
    static std::string commandLine = BuildCommandLine();
    return &commandLine[0];
}
