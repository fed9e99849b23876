// A content plugin loaded the way a file manager loads it: by the path of its
// file, with its exports looked up by name. Used by the host stand-in and by
// the tests that drive the built plugin.
#pragma once

#include "plugin/content_interface.h"
#include <string>

class LoadedPlugin {
public:
    explicit LoadedPlugin(const std::string& path);
    ~LoadedPlugin();
    LoadedPlugin(const LoadedPlugin&) = delete;
    LoadedPlugin& operator=(const LoadedPlugin&) = delete;

    // Empty when the file loaded and has all four exports; otherwise what is
    // wrong, in words for a person.
    const std::string& Problem() const { return problem; }

    // Hands the plugin a default settings path as a host does; the plugin's
    // answer says where it found its own settings file.
    int SetDefaultParams(const std::string& hostSettingsPath);

    HMODULE Module() const { return module; }

    ContentGetSupportedFieldProc getSupportedField = nullptr;
    ContentGetValueProc getValue = nullptr;
    ContentSetDefaultParamsProc setDefaultParams = nullptr;
    ContentShowConfigDialogProc showConfigDialog = nullptr;

private:
    HMODULE module = nullptr;
    std::string problem;
};
