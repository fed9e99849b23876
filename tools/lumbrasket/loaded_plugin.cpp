// Loading a plugin file and looking up its four exports.
#include "tools/lumbrasket/loaded_plugin.h"

#include "platform/system_error_text.h"
#include <cstring>

namespace {

// The version of the content-plugin interface this stand-in speaks, as
// hosts hand it over: 2.10.
constexpr DWORD kInterfaceVersionHigh = 2;
constexpr DWORD kInterfaceVersionLow = 10;

// Whether the module exports the name; `proc` gets the export, or null.
template <typename Proc> bool Lookup(HMODULE module, const char* name, Proc& proc) {
    proc = reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return proc != nullptr;
}

} // namespace

LoadedPlugin::LoadedPlugin(const std::string& path) {
    if (path.empty()) {
        problem = "no plugin file";
        return;
    }
    module = LoadLibraryA(path.c_str());
    if (module == nullptr) {
        problem = "cannot load plugin file " + path + ": " + SystemErrorText(GetLastError());
        return;
    }
    std::string missing;
    if (!Lookup(module, "ContentGetSupportedField", getSupportedField))
        missing += " ContentGetSupportedField";
    if (!Lookup(module, "ContentGetValue", getValue))
        missing += " ContentGetValue";
    if (!Lookup(module, "ContentSetDefaultParams", setDefaultParams))
        missing += " ContentSetDefaultParams";
    if (!Lookup(module, "ContentShowConfigDialog", showConfigDialog))
        missing += " ContentShowConfigDialog";
    if (!missing.empty())
        problem = "plugin file " + path + " lacks the export(s):" + missing;
}

LoadedPlugin::~LoadedPlugin() {
    if (module != nullptr)
        FreeLibrary(module);
}

int LoadedPlugin::SetDefaultParams(const std::string& hostSettingsPath) {
    ContentDefaultParams params;
    std::memset(&params, 0, sizeof(params));
    params.size = sizeof(params);
    params.pluginInterfaceVersionLow = kInterfaceVersionLow;
    params.pluginInterfaceVersionHigh = kInterfaceVersionHigh;
    std::strncpy(params.defaultIniName, hostSettingsPath.c_str(), MAX_PATH - 1);
    return setDefaultParams(&params);
}
