// Fuzzed settings through the plugin's loader and lookup: the table loaded
// from one listing equals the table read key by key, and every lookup
// answers the first group that lists the extension, as a plain walk of the
// table in order finds it. The file name and extension come from the
// plugin's own cut of a path, which must agree with a plain cut.
#include "ascii.h"
#include "bounded_string.h"
#include "file_name.h"
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
    return SameIgnoringAsciiCase(a.data(), a.size(), b.data(), b.size());
}

// The table as reads of "0", "0_name", "0_masks", "1", ... one by one give it.
GroupCatalog ReadKeyByKey(const std::string& path) {
    GroupCatalog catalog;
    ProfileSection settings(path, "Groups");
    for (std::int32_t number = 0;; ++number) {
        const std::string key = std::to_string(number);
        const std::string list = settings.ReadString(key.c_str(), "");
        const std::string masks = settings.ReadString((key + "_masks").c_str(), "");
        if (list.empty() && masks.empty())
            break;
        catalog.AddGroup(number, settings.ReadString((key + "_name").c_str(), ""), list, masks);
    }
    return catalog;
}

// The group a walk of the table in order finds for a file name: masks first
// (a plain recursive match, '?' taking one UTF-8 character as the Linux
// build does), then the extension; or the fallback number.
bool Matches(const char* mask, const char* name) {
    if (*mask == '\0')
        return *name == '\0';
    if (*mask == '*')
        return Matches(mask + 1, name) || (*name != '\0' && Matches(mask, name + 1));
    if (*name == '\0')
        return false;
    if (*mask == '?') {
        // One character: a UTF-8 sequence's continuation bytes go with it.
        const char* next = name + 1;
        while ((static_cast<unsigned char>(*next) & 0xC0) == 0x80)
            ++next;
        return Matches(mask + 1, next);
    }
    const char one[2] = {*mask, '\0'};
    const char other[2] = {*name, '\0'};
    return SameFolded(one, other) && Matches(mask + 1, name + 1);
}

std::int32_t Walk(const GroupCatalog& catalog, const std::string& name) {
    for (const FileGroup& group : catalog.Groups())
        for (const std::string& mask : group.masks.Texts())
            if (mask.find('\0') == std::string::npos && Matches(mask.c_str(), name.c_str()))
                return group.number;
    const std::size_t dot = name.rfind('.');
    const std::string extension = dot == std::string::npos ? std::string() : name.substr(dot + 1);
    for (const FileGroup& group : catalog.Groups())
        for (const std::string& stored : group.extensions.Texts())
            if (SameFolded(stored, extension))
                return group.number;
    return static_cast<std::int32_t>(catalog.Groups().size());
}

// The plugin's cut of a path against a plain one: the last component of the
// path's first 259 bytes, and what follows its last dot.
FileNameParts CheckedCut(const std::string& path) {
    const std::string kept = path.substr(0, kPathBufferSize - 1);
    const std::string name = kept.substr(kept.rfind('/') + 1);
    const std::size_t dot = name.rfind('.');
    const std::string extension = dot == std::string::npos ? std::string() : name.substr(dot + 1);
    const FileNameParts parts = SplitFileName(path.c_str());
    Check(parts.name >= path.c_str() && parts.name + parts.nameLength <= path.c_str() + path.size(),
          "a cut name outside its path");
    Check(std::string(parts.name, parts.nameLength) == name &&
              std::string(parts.extension, parts.extensionLength) == extension,
          "a file name or extension that differs from the plain cut");
    const FileNameParts quick = SplitFileName(path.c_str(), false);
    Check(quick.extension == parts.extension && quick.extensionLength == parts.extensionLength,
          "an extension that depends on whether the name is asked for");
    return parts;
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
        Check(a.number == b.number && a.name == b.name && a.extensions == b.extensions &&
                  a.masks == b.masks,
              "a group loaded from the listing differs from its key-by-key read");
        Check(a.extensions.size() == a.extensions.Texts().size() &&
                  a.masks.size() == a.masks.Texts().size(),
              "a list's count of pieces differs from the pieces it gives");
    }

    // Probes: the fuzzer's names, and a file named after each extension.
    for (const FileGroup& group : loaded.Groups())
        for (const std::string& extension : group.extensions.Texts())
            probes.push_back("file." + extension);
    for (const std::string& probe : probes) {
        if (probe.find('\0') != std::string::npos || probe.size() > 40)
            continue;
        // In a folder with a dot, and past a long folder, where only the
        // path's first 259 bytes count.
        CheckedCut(std::string(250, 'f') + "/" + probe);
        const std::string path = "dir.d/" + probe;
        const FileNameParts parts = CheckedCut(path);
        const GroupMatch match = loaded.FindGroupOfFile(parts.name, parts.nameLength,
                                                        parts.extension, parts.extensionLength);
        const std::int32_t expected = Walk(loaded, std::string(parts.name, parts.nameLength));
        Check(match.number == expected, "a lookup that is not the first group it should be");
        const std::string_view name = expected < static_cast<std::int32_t>(loaded.Groups().size())
                                          ? loaded.Groups()[static_cast<std::size_t>(expected)].name
                                          : loaded.FallbackName();
        Check(match.name == name, "a lookup with another group's name");
    }
    return 0;
}
