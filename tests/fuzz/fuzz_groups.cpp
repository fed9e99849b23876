// Fuzzed settings through the plugin's loader and lookup: the table loaded
// from one listing equals the table read key by key, and every lookup
// answers the first group that lists the extension, as a plain walk of the
// table in order finds it.
#include "fuzz_input.h"
#include "group_catalog.h"
#include "profile_section.h"
#include "scratch_folder.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "finding: %s\n", what);
        std::abort();
    }
}

bool SameFolded(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        if (fold(a[i]) != fold(b[i]))
            return false;
    }
    return true;
}

// The table as reads of "0", "0_name", "1", ... one by one give it.
GroupCatalog ReadKeyByKey(const std::string& path) {
    GroupCatalog catalog;
    ProfileSection settings(path, "Groups");
    for (std::int32_t number = 0;; ++number) {
        const std::string key = std::to_string(number);
        const std::string list = settings.ReadString(key.c_str(), "");
        if (list.empty())
            break;
        catalog.AddGroup(number, settings.ReadString((key + "_name").c_str(), ""), list);
    }
    return catalog;
}

// The group a walk of the table in order finds, or the fallback number.
std::int32_t Walk(const GroupCatalog& catalog, const std::string& extension) {
    for (const FileGroup& group : catalog.Groups())
        for (const std::string& stored : group.extensions)
            if (SameFolded(stored, extension))
                return group.number;
    return static_cast<std::int32_t>(catalog.Groups().size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static ScratchFolder folder;
    FuzzInput input(data, size);
    std::vector<std::string> probes;
    for (int i = 0; i < 4; ++i)
        probes.push_back(input.Text(12));
    const std::string path = folder.Write("Lumbrasket.ini", input.Rest());

    GroupCatalog loaded;
    loaded.LoadGroups(path);
    const GroupCatalog reference = ReadKeyByKey(path);
    Check(loaded.Groups().size() == reference.Groups().size(), "group counts differ");
    for (std::size_t i = 0; i < loaded.Groups().size(); ++i) {
        const FileGroup& a = loaded.Groups()[i];
        const FileGroup& b = reference.Groups()[i];
        Check(a.number == b.number && a.name == b.name && a.extensions == b.extensions,
              "a group loaded from the listing differs from its key-by-key read");
    }

    for (const FileGroup& group : loaded.Groups())
        for (const std::string& extension : group.extensions)
            probes.push_back(extension);
    for (const std::string& probe : probes) {
        const GroupMatch match = loaded.FindGroup(probe.c_str(), probe.size());
        const std::int32_t expected = Walk(loaded, probe);
        Check(match.number == expected, "a lookup that is not the first group listing it");
        const std::string& name = expected < static_cast<std::int32_t>(loaded.Groups().size())
                                      ? loaded.Groups()[static_cast<std::size_t>(expected)].name
                                      : loaded.FallbackName();
        Check(match.name == name, "a lookup with another group's name");
    }
    return 0;
}
