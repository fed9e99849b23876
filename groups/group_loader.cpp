// Loading the group table from the settings file. The format:
//   [Groups]         N=ext|ext|...   N_name=Group name     for N = 0, 1, 2, ...
//   [Configuration]  UnknownGroupPlaceHolder=name of the fallback group
// Reading stops at the first N whose extension list is empty or missing, so
// a gap in the numbering ends the table. Nothing is ever written back.
#include "group_catalog.h"

#include "bounded_string.h"
#include "profile_section.h"
#include <limits>
#include <unordered_map>

namespace {

const char* const kGroupsSection = "Groups";
const char* const kConfigurationSection = "Configuration";
const char* const kFallbackKey = "UnknownGroupPlaceHolder";

std::string KeyText(std::int32_t number) {
    char text[kNumberTextSize];
    IntToText(number, text, 10);
    return text;
}

} // namespace

void GroupCatalog::LoadGroups(std::string settingsPath) {
    // One listing of [Groups] gives every key as its own read would: the
    // whole load is one pass over the file, whatever the number of groups.
    ProfileSection settings(settingsPath, kGroupsSection);
    const std::unordered_map<std::string, std::string> keys = settings.ReadKeys();
    const std::string none;
    auto valueOf = [&](const std::string& key) -> const std::string& {
        const auto found = keys.find(key);
        return found != keys.end() ? found->second : none;
    };
    for (std::int32_t number = 0; number < std::numeric_limits<std::int32_t>::max(); ++number) {
        const std::string key = KeyText(number);
        const std::string& extensionList = valueOf(key);
        if (extensionList.empty())
            break;
        AddGroup(number, valueOf(key + "_name"), extensionList);
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
    const std::uint32_t position = static_cast<std::uint32_t>(groups.size());
    for (const std::string& extension : group.extensions)
        index.Insert(extension, position);
    groups.push_back(std::move(group));
}
