// Copying, loading and calling the built plugin for one scenario.
#include "tests/plugin/plugin_scenario.h"

#include <gtest/gtest.h>
#include <cstring>

PluginScenario::PluginScenario() {
    pluginFolder = folder.MakeFolder("plugin");
    std::string copy = pluginFolder + kPathSeparatorText + LUMBRASKET_PLUGIN_FILE_NAME;
    std::string built = ProgramFolder() + kPathSeparatorText + LUMBRASKET_PLUGIN_FILE_NAME;
    EXPECT_TRUE(CopyFileTo(built, copy)) << "cannot copy the built plugin " << built;
    folder.MakeFolder("host");
    plugin = std::make_unique<LoadedPlugin>(copy);
    EXPECT_EQ("", plugin->Problem());
}

int PluginScenario::FieldType(int index) {
    char name[260];
    char units[260];
    return plugin->getSupportedField(index, name, units, sizeof(name));
}

FieldValue PluginScenario::Value(const std::string& path, int fieldIndex, int maxlen) {
    char buffer[4096];
    std::memset(buffer, '#', sizeof(buffer));
    FieldValue value{};
    value.result =
        plugin->getValue(const_cast<char*>(path.c_str()), fieldIndex, 0, buffer, maxlen, 0);
    if (value.result == kFieldNumeric32)
        std::memcpy(&value.number, buffer, sizeof(value.number));
    if (value.result == kFieldString && std::memchr(buffer, '\0', sizeof(buffer)) != nullptr)
        value.text = buffer;
    value.untouched = true;
    for (char c : buffer)
        value.untouched = value.untouched && c == '#';
    return value;
}
