// One scenario against a fresh instance of the built plugin: the plugin file
// is copied into a scratch folder of its own and loaded from there, so every
// scenario starts with an unloaded catalog and its own folder beside the
// module, and calls go through the exports exactly as a host makes them.
#pragma once

#include "tools/lumbrasket/loaded_plugin.h"
#include "tests/support/scratch_folder.h"

#include <cstdint>
#include <memory>
#include <string>

struct FieldValue {
    int result;
    std::int32_t number; // when result is 1
    std::string text;    // when result is 8
    bool untouched;      // the host buffer still holds only its fill bytes
};

class PluginScenario {
public:
    PluginScenario();

    ScratchFolder folder;
    // Where the plugin copy lives; settings put here are "beside the module".
    std::string pluginFolder;
    std::unique_ptr<LoadedPlugin> plugin;

    // The default settings path a host would hand over: host/wdx.ini here.
    std::string HostSettingsPath() const { return folder.Path("host/wdx.ini"); }
    int SetDefaultParams() { return plugin->SetDefaultParams(HostSettingsPath()); }
    int FieldType(int index);
    FieldValue Value(const std::string& path, int fieldIndex, int maxlen = 2048);
};
