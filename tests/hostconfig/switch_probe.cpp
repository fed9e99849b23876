// switch_probe [ARGUMENTS...]: prints what the "/i" switch of its own command
// line gives, whether the process's own command-line text stayed as it was,
// and which file the host settings search then finds for the base path in
// SWITCH_PROBE_BASE. Run by run_switch_case.cmake with each case's arguments.
#include "settings/bounded_string.h"
#include "hostconfig/host_settings.h"
#include "settings/text_search.h"

#include <cstdio>
#include <cstring>
#include <string>

int main() {
    const std::string before = GetCommandLineA();
    char value[kPathBufferSize] = {};
    const int found = ReadIniSwitch(value);
    std::printf("switch %d [%s]\n", found, value);
    std::printf("command line kept %d\n", before == GetCommandLineA() ? 1 : 0);
    char base[kPathBufferSize] = {};
    ExpandEnvironmentStringsA("%SWITCH_PROBE_BASE%", base, kPathBufferSize);
    char output[kPathBufferSize] = {};
    const int result = FindHostSettingsFile(base, output);
    const char* name = FindLastChar(output, static_cast<unsigned char>(kPathSeparator));
    std::printf("settings %d [%s]\n", result, name != nullptr ? name + 1 : output);
    return 0;
}
