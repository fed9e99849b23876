// Loading the group table from the settings file. The format:
//   [Groups]         N=ext|ext|...   N_name=Group name     for N = 0, 1, 2, ...
//   [Configuration]  UnknownGroupPlaceHolder=name of the fallback group
// Reading stops at the first N whose extension list is empty or missing, so
// a gap in the numbering ends the table. Nothing is ever written back.
#include "group_catalog.h"

#include "ascii.h"
#include "profile_section.h"
#include <algorithm>
#include <cstring>
#include <limits>
#include <string_view>

namespace {

const char* const kGroupsSection = "Groups";
const char* const kConfigurationSection = "Configuration";
const char* const kFallbackKey = "UnknownGroupPlaceHolder";
const char* const kNameSuffix = "_name";

// What a key name of [Groups] names: the extension list (N) or the name
// (N_name) of group N, where N is written as the loader writes numbers (no
// sign, no leading zero) and the suffix in any case, as a read of that key
// would match it. False for every other name.
bool GroupKey(std::string_view name, std::uint32_t& number, bool& isName) {
    const std::size_t suffix = std::strlen(kNameSuffix);
    isName = name.size() > suffix;
    for (std::size_t i = 0; isName && i < suffix; ++i)
        isName = FoldAscii(name[name.size() - suffix + i]) == kNameSuffix[i];
    if (isName)
        name.remove_suffix(suffix);
    if (name.empty() || name.size() > 10 || (name.size() > 1 && name[0] == '0'))
        return false;
    std::uint64_t value = 0;
    for (char c : name) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (value > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
        return false;
    number = static_cast<std::uint32_t>(value);
    return true;
}

// The extension list and name of each group number, the first key of each
// name winning, as reads of the keys one by one would give them.
class GroupKeys {
public:
    // A key without a value takes its name's place all the same: a read of
    // that name finds it first and gives the empty default.
    void Take(std::string_view key, std::string_view value) {
        Entry entry;
        if (GroupKey(key, entry.number, entry.isName)) {
            entry.value.assign(value.data(), value.size());
            listCount += entry.isName ? 0 : 1;
            entries.push_back(std::move(entry));
        }
    }

    // Fills `lists` and `names` by group number. The table ends at the first
    // number without a list, so no number beyond the count of lists is ever
    // reached: none is kept, however large a number a file writes.
    void Sort(std::vector<std::string>& lists, std::vector<std::string>& names) {
        lists.assign(listCount, std::string());
        names.assign(listCount, std::string());
        std::vector<unsigned char> seen(listCount, 0);
        for (Entry& entry : entries) {
            const unsigned char bit = entry.isName ? 2 : 1;
            if (entry.number >= listCount || (seen[entry.number] & bit) != 0)
                continue;
            seen[entry.number] |= bit;
            (entry.isName ? names : lists)[entry.number] = std::move(entry.value);
        }
    }

private:
    struct Entry {
        std::uint32_t number = 0;
        bool isName = false;
        std::string value;
    };
    std::vector<Entry> entries;
    std::size_t listCount = 0;
};

} // namespace

void GroupCatalog::LoadGroups(std::string settingsPath) {
    // One listing of [Groups] gives every key as its own read would: the
    // whole load is one pass over the file, whatever the number of groups.
    ProfileSection settings(settingsPath, kGroupsSection);
    GroupKeys keys;
    settings.ForEachKey(
        [&keys](std::string_view key, std::string_view value, bool) { keys.Take(key, value); });
    std::vector<std::string> lists;
    std::vector<std::string> names;
    keys.Sort(lists, names);
    std::size_t groupCount = 0;
    std::size_t pieces = 0;
    for (; groupCount < lists.size() && !lists[groupCount].empty(); ++groupCount)
        pieces += static_cast<std::size_t>(
                      std::count(lists[groupCount].begin(), lists[groupCount].end(), '|')) +
                  1;
    groups.reserve(groupCount);
    index.Reserve(pieces);
    for (std::size_t number = 0; number < lists.size() && !lists[number].empty(); ++number)
        AddGroup(static_cast<std::int32_t>(number), std::move(names[number]),
                 std::move(lists[number]));
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
