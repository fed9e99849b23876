// Fuzzed settings through the plugin's loader and lookup: the table loaded
// from one listing equals the table read key by key (each group's list and
// masks followed by those of its continuation keys, in the order of K), and every lookup
// answers the first group that lists the extension, as a plain walk of the
// table in order finds it. The file name and extension come from the
// plugin's own cut of a path, which must agree with a plain cut.
#include "platform/text/ascii.h"
#include "settings/bounded_string.h"
#include "plugin/file_name.h"
#include "tests/fuzz/fuzz_input.h"
#include "groups/group_catalog.h"
#include "settings/profile_section.h"
#include "tests/support/scratch_folder.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <tuple>
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

// A continuation key of [Groups], told from its name alone: N_more, N_moreK,
// N_masks_more or N_masks_moreK, N and K written without a leading zero, K
// from 2, both at most 2^31 - 1.
struct Continuation {
    std::uint64_t number;
    bool masks;
    std::uint64_t part;
    std::string key;
    bool operator<(const Continuation& other) const {
        return std::tie(number, masks, part) < std::tie(other.number, other.masks, other.part);
    }
};

bool Number(const std::string& text, std::uint64_t& value) {
    if (text.empty() || text.size() > 10 || (text.size() > 1 && text[0] == '0') ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    value = std::stoull(text);
    return value <= 2147483647u;
}

bool ReadContinuation(const std::string& key, Continuation& found) {
    std::string folded = key;
    for (char& c : folded)
        c = FoldAscii(c);
    const std::size_t at = folded.find('_');
    if (at == std::string::npos || !Number(folded.substr(0, at), found.number))
        return false;
    std::string rest = folded.substr(at);
    found.masks = rest.compare(0, 6, "_masks") == 0;
    if (found.masks)
        rest = rest.substr(6);
    if (rest.compare(0, 5, "_more") != 0)
        return false;
    rest = rest.substr(5);
    found.part = 1;
    if (!rest.empty() && (!Number(rest, found.part) || found.part < 2))
        return false;
    found.key = folded;
    return true;
}

// The continuation keys of the section, one of each name, in their order.
// Their names come from the section's listing (a listing of key names alone
// ends at a line without one), their values from reads key by key.
std::vector<Continuation> Continuations(const std::string& path) {
    ProfileSection section(path, "Groups");
    const SectionListing listing = section.ListSection();
    std::vector<Continuation> found;
    ProfileSection::ForEachKey(listing, [&](std::string_view key, std::string_view, bool) {
        Continuation each;
        if (ReadContinuation(std::string(key), each) &&
            std::none_of(found.begin(), found.end(),
                         [&](const Continuation& seen) { return seen.key == each.key; }))
            found.push_back(each);
    });
    std::sort(found.begin(), found.end());
    return found;
}

// The pieces of a list followed by those of its continuations.
std::vector<std::string> Continued(std::vector<std::string> pieces, ProfileSection& settings,
                                   const std::vector<Continuation>& continuations,
                                   std::uint64_t number, bool masks) {
    for (const Continuation& each : continuations)
        if (each.number == number && each.masks == masks)
            for (std::string& piece : PieceList(settings.ReadString(each.key.c_str(), "")).Texts())
                pieces.push_back(piece);
    return pieces;
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
    const std::vector<Continuation> continuations = Continuations(path);
    ProfileSection settings(path, "Groups");
    Check(loaded.Groups().size() == reference.Groups().size(), "group counts differ");
    for (std::size_t i = 0; i < loaded.Groups().size(); ++i) {
        const FileGroup& a = loaded.Groups()[i];
        const FileGroup& b = reference.Groups()[i];
        Check(a.number == b.number && a.name == b.name &&
                  a.extensions.Texts() ==
                      Continued(b.extensions.Texts(), settings, continuations, i, false) &&
                  a.masks.Texts() == Continued(b.masks.Texts(), settings, continuations, i, true),
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
