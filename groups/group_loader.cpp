// Loading the group table from the settings file. The format:
//   [Groups]         N=ext|ext|...   N_name=Group name     for N = 0, 1, 2, ...
//                    N_masks=pattern|pattern|...  (optional) name patterns
//   [Configuration]  UnknownGroupPlaceHolder=name of the fallback group
//                    ReloadWhenChanged=1  edits apply while the host runs
// Reading stops at the first N that has neither an extension list nor a mask
// list, so a gap in the numbering ends the table. Nothing is ever written
// back.
#include "groups/group_catalog.h"

#include "groups/group_keys.h"
#include "platform/memory_pages.h"
#include "settings/profile_section.h"
#include <string_view>

namespace {

const char* const kGroupsSection = "Groups";
const char* const kConfigurationSection = "Configuration";
const char* const kFallbackKey = "UnknownGroupPlaceHolder";

const PieceList& ExtensionsOf(const FileGroup& group) {
    return group.extensions;
}

} // namespace

void GroupCatalog::LoadGroups(std::string settingsPath) {
    // No settings file at all: the defaults, without asking the platform
    // about an empty file name (which Windows may take for win.ini). A file
    // too large to be a settings file is never read: the same defaults.
    if (settingsPath.empty() || ProfileSection::FileTooLarge(settingsPath)) {
        fallbackName = kDefaultFallbackName;
        loaded = true;
        return;
    }
    // One listing of [Groups] gives every key as its own read would: the
    // whole load is one pass over the file, whatever the number of groups.
    ProfileSection settings(settingsPath, kGroupsSection);
    SectionListing listing = settings.ListSection();
    std::size_t pieces = 0;
    {
        GroupKeys keys(listing);
        keys.TakeAll(listing);
        const std::size_t groupCount = keys.GroupCount();
        pieces = keys.Pieces();
        ReserveToFill(groups, groupCount);
        // A continued list is one list to the index, the masks and the
        // tools, so that a group keeps one list of each kind and the value
        // path reads groups as it always did.
        for (std::size_t number = 0; number < groupCount; ++number)
            AppendGroup(static_cast<std::int32_t>(number), keys.Text(GroupKeyKind::kName, number),
                        PieceList(keys.List(GroupKeyKind::kList, number)),
                        PieceList(keys.List(GroupKeyKind::kMasks, number)));
        continuedTexts = keys.TakeJoined();
    } // the keys' places freed before the index takes its memory
    // The groups' texts stay where the listing has them.
    groupTexts.Adopt(std::move(listing.text));
    index.Reserve(pieces);
    index.InsertGroups(groups, 0, ExtensionsOf);
    masks.Build();
    settings.SetSection(kConfigurationSection);
    fallbackName = settings.ReadString(kFallbackKey, kDefaultFallbackName);
    // On only for a value that reads as the number 1: a word such as "yes"
    // reads as 0 and keeps the table of the loaded file as it was.
    reloadWhenChanged = settings.ReadInt(kReloadWhenChangedKey, 0) == 1;
    loaded = true;
}

void GroupCatalog::AddGroup(std::int32_t number, std::string_view name,
                            std::string_view extensionList, std::string_view maskList) {
    AppendGroup(number, groupTexts.Keep(name), PieceList(groupTexts.Keep(extensionList)),
                PieceList(groupTexts.Keep(maskList)));
    index.InsertGroups(groups, groups.size() - 1, ExtensionsOf);
    if (!maskList.empty())
        masks.Build();
}

void GroupCatalog::AppendGroup(std::int32_t number, std::string_view name, PieceList extensions,
                               PieceList maskList) {
    masks.Add(static_cast<std::uint32_t>(groups.size()), maskList);
    // A missing name is the empty text at a real address: the value path
    // copies names with the C library, which must never get a null source,
    // not even for no bytes.
    groups.emplace_back(number, name.empty() ? std::string_view("", 0) : name, extensions,
                        maskList);
}
