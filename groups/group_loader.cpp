// Loading the group table from the settings file. The format:
//   [Groups]         N=ext|ext|...   N_name=Group name     for N = 0, 1, 2, ...
//   [Configuration]  UnknownGroupPlaceHolder=name of the fallback group
// Reading stops at the first N whose extension list is empty or missing, so
// a gap in the numbering ends the table. Nothing is ever written back.
#include "group_catalog.h"

#include "profile_section.h"
#include <cstdio>

namespace {

const char* const kGroupsSection = "Groups";
const char* const kConfigurationSection = "Configuration";
const char* const kFallbackKey = "UnknownGroupPlaceHolder";
const char* const kDefaultFallbackName = "Unknown";

std::string KeyText(std::int32_t number) {
    char text[260] = {};
    std::snprintf(text, sizeof(text), "%ld", static_cast<long>(number));
    return text;
}

} // namespace

void GroupCatalog::LoadGroups(std::string settingsPath) {
    ProfileSection settings(settingsPath, kGroupsSection);
    std::int32_t number = 0;
    std::string key = KeyText(number);
    std::string extensionList = settings.ReadString(key.c_str(), "");
    std::string name = settings.ReadString((key + "_name").c_str(), "");
    while (!extensionList.empty()) {
        AddGroup(number, name, extensionList);
        ++number;
        key = KeyText(number);
        extensionList = settings.ReadString(key.c_str(), "");
        name = settings.ReadString((key + "_name").c_str(), "");
    }
    settings.SetSection(kConfigurationSection);
    fallbackName = settings.ReadString(kFallbackKey, kDefaultFallbackName);
    loaded = true;
}

void GroupCatalog::AddGroup(std::int32_t number, std::string name, std::string extensionList) {
    FileGroup group{number, std::move(name), {}};
    // Every piece before a '|' is kept, even an empty one (it then catches
    // files without an extension); an empty piece after the last '|' is not.
    std::size_t start = 0;
    std::size_t separator = extensionList.find('|', start);
    while (separator != std::string::npos) {
        group.extensions.push_back(extensionList.substr(start, separator - start));
        start = separator + 1;
        separator = extensionList.find('|', start);
    }
    if (start < extensionList.size())
        group.extensions.push_back(extensionList.substr(start));
    groups.push_back(std::move(group));
}
