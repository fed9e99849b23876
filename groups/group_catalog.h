// The group table: file groups read from the settings file, each with a
// number, a name and the extensions it lists, and the lookup that names the
// group of an extension. Extensions that no group lists fall into the
// fallback group, numbered one above the highest configured group.
#pragma once

#include "groups/extension_index.h"
#include "groups/mask_index.h"
#include "groups/piece_list.h"
#include "groups/text_arena.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The fallback group's name when the settings file gives none.
constexpr const char* kDefaultFallbackName = "Unknown";
// The key of [Configuration] that, set to 1, has edits apply while the host
// runs.
constexpr const char* kReloadWhenChangedKey = "ReloadWhenChanged";

// The answer of a lookup: the group's number and name, which live as long
// as the catalog.
struct GroupMatch {
    std::int32_t number;
    std::string_view name;
};

// A group as loaded. Its texts point into the catalog that holds it.
struct FileGroup {
    // Built in its place in the table: a copy assembled on the stack would
    // be read back in larger pieces than it was stored in, which stalls.
    FileGroup(std::int32_t number, std::string_view name, PieceList extensions, PieceList masks)
        : number(number), name(name), extensions(extensions), masks(masks) {}
    std::int32_t number;
    std::string_view name;
    PieceList extensions; // without dots, as configured
    PieceList masks;      // name patterns, as configured
};

// Why a lookup gave its group: a mask of the group matched the file name, an
// extension it lists matched, or nothing did (the fallback group).
struct GroupReason {
    enum Kind { kMask, kExtension, kFallback } kind;
    std::string_view text; // the mask or extension that matched, else empty
};

// A catalog moves but is never copied: its groups point into its own arena.
class GroupCatalog {
public:
    bool IsLoaded() const { return loaded; }

    // The first group, in load order, that lists the extension (ASCII
    // letters compared without regard to case), else the fallback group.
    // Reads the catalog only: once loaded, any number of threads may look up
    // at once.
    GroupMatch FindGroup(const char* extension) const;
    GroupMatch FindGroup(const char* extension, std::size_t length) const;
    // For a file: the first group in number order with a mask that matches
    // its name, before any extension; else the group of its extension.
    GroupMatch FindGroupOfFile(const char* name, std::size_t nameLength, const char* extension,
                               std::size_t extensionLength, GroupReason* reason = nullptr) const;

    // Whether any group has name masks: without them a lookup reads only
    // the extension.
    bool HasMasks() const { return !masks.Empty(); }

    // Whether the settings file asks for its edits to apply while the host
    // runs ([Configuration] ReloadWhenChanged=1); without that, a table is
    // loaded once for the life of the process.
    bool ReloadsWhenChanged() const { return reloadWhenChanged; }

    // The table as loaded, for tools that explain it to a person.
    const std::vector<FileGroup>& Groups() const { return groups; }
    const std::string& FallbackName() const { return fallbackName; }

    // Group numbers a lookup can give: the configured groups and the fallback.
    std::uint64_t GroupCountWithFallback() const;

    // Reads the group table and the fallback name from a settings file and
    // marks the catalog loaded, whatever it found (group_loader.cpp).
    void LoadGroups(std::string settingsPath);
    // Appends the group with a copy of its name and its extension and mask
    // lists, and indexes the extensions cut at '|' (group_loader.cpp).
    void AddGroup(std::int32_t number, std::string_view name, std::string_view extensionList,
                  std::string_view maskList = std::string_view());

private:
    // Appends the group, whose texts the arena holds, without indexing its
    // extensions.
    void AppendGroup(std::int32_t number, std::string_view name, PieceList extensions,
                     PieceList maskList);

    // The groups' names and lists, where their pieces and the index point.
    TextArena groupTexts;
    // The lists of groups with continuation keys, each joined in one text.
    std::unique_ptr<char[]> continuedTexts;
    std::vector<FileGroup> groups;
    // The groups' masks in number order, in their tiers.
    MaskIndex masks;
    ExtensionIndex index;
    bool loaded = false;
    bool reloadWhenChanged = false;
    std::string fallbackName;
};
