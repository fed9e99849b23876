// The host settings search. Only the file name of a command-line or registry
// value is used, placed in the directory of `basePath`: the value's own
// directory part is dropped.
#include "hostconfig/host_settings.h"

#include "settings/bounded_string.h"
#include "platform/host_policy.h"
#include "platform/text/path_spelling.h"
#include "hostconfig/profile_binding.h"
#include "settings/settings_location.h"
#include "settings/text_search.h"

#include <cstring>
#include <string>

namespace {

const char* const kRegistryKey = "Software\\Quendel\\Total Commander";
// The bits of UseIniInProgramDir that say the host keeps its settings in
// its program's folder (1: for the settings, 4: for the settings of users).
constexpr std::int32_t kUseIniInProgramDir = 1 | 4;
// The text after the last separator, or the whole text without one.
const char* FileNamePart(const char* path) {
    const char* separator = FindLastSeparator(path);
    return separator != nullptr ? separator + 1 : path;
}

// A command line's words are divided by spaces and tabs.
bool DividesWords(char c) {
    return c == ' ' || c == '\t';
}

// Whether a switch at `at` starts a word of the line other than its first,
// the program's own path, a quoted word included.
bool StartsLaterWord(const char* line, const char* at) {
    if (at > line && DividesWords(at[-1]))
        return true;
    return at - 1 > line && at[-1] == '"' && DividesWords(at[-2]);
}

// The "/i" switch in the lower-cased command line, or null. Where a switch
// can stand only at a word start, a "/i" inside a path ("/home/ian"), the
// program's path ("/install/doublecmd") and a path argument ("/images/a.jpg")
// are none, and the search goes on to the next.
const char* FindIniSwitch(const char* line) {
    const char* sw = FindSubstring(line, "/i");
    if (!kSwitchOnlyAtWordStart)
        return sw != line ? sw : nullptr;
    while (sw != nullptr && !(StartsLaterWord(line, sw) && EndsSwitchName(sw[2])))
        sw = FindSubstring(sw + 1, "/i");
    return sw;
}

} // namespace

int ReadIniSwitch(char* output) {
    output[0] = '\0';
    // Lower-case a copy: a library must not change its host's own text.
    std::string commandLine = GetCommandLineA();
    char* line = &commandLine[0];
    if (ToLowerInPlace(line) == nullptr)
        return 0;
    const char* sw = FindIniSwitch(line);
    if (sw == nullptr)
        return 0;
    // The switch's two characters and one separator character, whatever it is.
    const char* value = sw + 2;
    if (*value != '\0')
        ++value;
    const char* end = nullptr;
    if (sw != line && sw[-1] == '"') {
        end = FindChar(value, '"');
        if (end == nullptr)
            return 0;
    } else if (*value == '"') {
        ++value;
        end = FindChar(value, '"');
        if (end == nullptr)
            return 0;
    } else {
        end = FindChar(value, ' ');
        if (end == nullptr)
            end = value + std::strlen(value);
    }
    BoundedCopyN(output, kPathBufferSize, value, static_cast<std::size_t>(end - value));
    return output[0] != '\0' ? 1 : 0;
}

int ReadRegistryIniName(char* output, HKEY root, const char* baseDirectory) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, kRegistryKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return 0;
    // One byte more than the value may fill: a value of exactly 260 bytes, or
    // of a type without a terminator, is still read as terminated text.
    char value[kPathBufferSize + 1] = {};
    DWORD size = kPathBufferSize;
    int result = 0;
    if (RegQueryValueExA(key, "IniFileName", nullptr, nullptr, reinterpret_cast<LPBYTE>(value),
                         &size) == ERROR_SUCCESS) {
        BoundedCopy(output, kPathBufferSize, baseDirectory);
        BoundedAppend(output, kPathBufferSize, FileNamePart(value));
        result = PathExists(output);
    }
    RegCloseKey(key);
    return result;
}

int FindHostSettingsFile(const char* basePath, char* output) {
    ExpandEnvironmentStringsA("%COMMANDER_INI%", output, kPathBufferSize);
    output[kPathBufferSize - 1] = '\0';
    if (PathExists(output))
        return 1;
    if (basePath == nullptr || basePath[0] == '\0') {
        output[0] = '\0';
        return 0;
    }

    char baseDirectory[kPathBufferSize] = {};
    CutToFolder(basePath, baseDirectory, kPathBufferSize);

    char switchValue[kPathBufferSize] = {};
    if (ReadIniSwitch(switchValue)) {
        BoundedCopy(output, kPathBufferSize, baseDirectory);
        BoundedAppend(output, kPathBufferSize, FileNamePart(switchValue));
        if (PathExists(output))
            return 1;
    }

    char programFile[kPathBufferSize] = {};
    ExpandEnvironmentStringsA("%COMMANDER_PATH%", programFile, kPathBufferSize);
    programFile[kPathBufferSize - 1] = '\0';
    BoundedAppend(programFile, kPathBufferSize, kPathSeparatorText);
    BoundedAppend(programFile, kPathBufferSize, "Wincmd.ini");
    if (PathExists(programFile)) {
        ProfileBinding binding(programFile, "Configuration");
        if ((binding.GetInt("UseIniInProgramDir", 0) & kUseIniInProgramDir) != 0) {
            BoundedCopy(output, kPathBufferSize, programFile);
            if (PathExists(output))
                return 1;
        }
    }

    if (ReadRegistryIniName(output, HKEY_CURRENT_USER, baseDirectory) ||
        ReadRegistryIniName(output, HKEY_LOCAL_MACHINE, baseDirectory))
        return 1;

    BoundedCopy(output, kPathBufferSize, baseDirectory);
    BoundedAppend(output, kPathBufferSize, "Wincmd.ini");
    if (PathExists(output))
        return 1;
    output[0] = '\0';
    return 0;
}

namespace {

// 1 and the folder `path` names, with a trailing separator, in `output`; 0
// and the empty text when it names none.
int ExistingFolder(const char* path, char* output) {
    BoundedCopy(output, kPathBufferSize, path);
    const std::size_t length = std::strlen(output);
    if (length > 0 && FindLastSeparator(output) != output + length - 1)
        BoundedAppend(output, kPathBufferSize, kPathSeparatorText);
    const DWORD attributes = length > 0 ? GetFileAttributesA(output) : INVALID_FILE_ATTRIBUTES;
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        output[0] = '\0';
        return 0;
    }
    return 1;
}

// 1 and the folder of the value "InstallDir" under `root` in `output` (as
// ExistingFolder gives it), else 0.
int ReadRegistryInstallDir(char* output, HKEY root) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, kRegistryKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return 0;
    char value[kPathBufferSize + 1] = {};
    DWORD size = kPathBufferSize;
    const bool read = RegQueryValueExA(key, "InstallDir", nullptr, nullptr,
                                       reinterpret_cast<LPBYTE>(value), &size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return read ? ExistingFolder(value, output) : 0;
}

} // namespace

int FindHostProgramFolder(char* output) {
    output[0] = '\0';
    char expanded[kPathBufferSize] = {};
    const DWORD length = ExpandEnvironmentStringsA("%COMMANDER_PATH%", expanded, kPathBufferSize);
    // An unset variable stays as written.
    if (length > 0 && length <= kPathBufferSize && expanded[0] != '%' &&
        ExistingFolder(expanded, output))
        return 1;
    return ReadRegistryInstallDir(output, HKEY_CURRENT_USER) ||
           ReadRegistryInstallDir(output, HKEY_LOCAL_MACHINE);
}
