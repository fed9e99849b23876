// The plugin's name: its settings file is NAME.ini, in the places that
// settings_location.h lists, and the checker names the same file.
#pragma once

constexpr const char* kPluginName = "Lumbrasket";
