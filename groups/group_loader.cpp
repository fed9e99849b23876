// Loading the group table from the settings file. The format:
//   [Groups]         N=ext|ext|...   N_name=Group name     for N = 0, 1, 2, ...
//                    N_masks=pattern|pattern|...  (optional) name patterns
//   [Configuration]  UnknownGroupPlaceHolder=name of the fallback group
//                    ReloadWhenChanged=1  edits apply while the host runs
// Reading stops at the first N that has neither an extension list nor a mask
// list, so a gap in the numbering ends the table. Nothing is ever written
// back.
#include "group_catalog.h"

#include "ascii.h"
#include "memory_pages.h"
#include "profile_section.h"
#include <cstring>
#include <limits>
#include <string_view>

namespace {

const char* const kGroupsSection = "Groups";
const char* const kConfigurationSection = "Configuration";
const char* const kFallbackKey = "UnknownGroupPlaceHolder";
const char* const kSuffixes[] = {"", "_name", "_masks"}; // by GroupKeyKind

} // namespace

bool GroupKey(std::string_view name, std::uint32_t& number, GroupKeyKind& kind) {
    std::size_t digits = 0;
    std::uint64_t value = 0;
    for (; digits < name.size() && name[digits] >= '0' && name[digits] <= '9'; ++digits)
        value = value * 10 + static_cast<std::uint64_t>(name[digits] - '0');
    if (digits == 0 || digits > 10 || (digits > 1 && name[0] == '0') ||
        value > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
        return false;
    const std::string_view suffix = name.substr(digits);
    for (GroupKeyKind each : {GroupKeyKind::kList, GroupKeyKind::kName, GroupKeyKind::kMasks}) {
        const char* known = kSuffixes[static_cast<int>(each)];
        if (SameIgnoringAsciiCase(suffix.data(), suffix.size(), known, std::strlen(known))) {
            number = static_cast<std::uint32_t>(value);
            kind = each;
            return true;
        }
    }
    return false;
}

namespace {

// The extension list, name and masks of each group number, the first key of
// each name winning, as reads of the keys one by one would give them. The
// texts lie in the section listing they were taken from.
class GroupKeys {
public:
    // The table ends at the first number without a list or masks, and each
    // group before it takes a line of at least kShortestGroupLine bytes ("0=x"
    // and its NUL): a number at or past that share of the listing's bytes is
    // never reached, and none is kept, however large a number a file writes.
    // Room is made for a group per kTypicalGroupBytes of listing, about what a
    // group's two lines take, so that the places are seldom copied as they
    // grow. (The + 1 of each: a listing shorter than a line still counts.)
    static constexpr std::size_t kShortestGroupLine = 4;
    static constexpr std::size_t kTypicalGroupBytes = 32;
    explicit GroupKeys(const SectionListing& listing)
        : base(listing.text.get()), unreachable(listing.length / kShortestGroupLine + 1) {
        for (std::vector<Place>& byNumber : places)
            byNumber.reserve(listing.length / kTypicalGroupBytes + 1);
    }

    // A key without a value takes its name's place all the same: a read of
    // that name finds it first and gives the empty default.
    void Take(std::string_view key, std::string_view value) {
        std::uint32_t number;
        GroupKeyKind kind;
        if (!GroupKey(key, number, kind) || number >= unreachable)
            return;
        std::vector<Place>& byNumber = places[static_cast<int>(kind)];
        if (number == byNumber.size())
            byNumber.emplace_back(); // the next number, as a table in order has it
        else if (number > byNumber.size())
            byNumber.resize(number + 1);
        Place& place = byNumber[number];
        if (place.length != kNotTaken)
            return;
        place = value.empty() ? Place{0, 0}
                              : Place{static_cast<std::uint32_t>(value.data() - base),
                                      static_cast<std::uint32_t>(value.size())};
        // Counted while the line is at hand, not read again later.
        if (kind == GroupKeyKind::kList)
            pieces += PieceList(value).size();
    }

    // The extensions the lists taken hold, the table's own among them (a
    // list past the table's end counts too): room enough for its index.
    std::size_t Pieces() const { return pieces; }

    // The text of one kind for a group number, empty when no key gave it.
    std::string_view Text(GroupKeyKind kind, std::size_t number) const {
        const std::vector<Place>& byNumber = places[static_cast<int>(kind)];
        if (number >= byNumber.size() || byNumber[number].length == kNotTaken)
            return std::string_view();
        return std::string_view(base + byNumber[number].offset, byNumber[number].length);
    }

private:
    // Where a text lies in the listing, in half the room of a view: a
    // listing's size is a 32-bit count.
    struct Place {
        std::uint32_t offset = 0;
        std::uint32_t length = kNotTaken;
    };
    static constexpr std::uint32_t kNotTaken = 0xFFFFFFFFu;

    const char* base;
    std::size_t unreachable;
    std::size_t pieces = 0;
    std::vector<Place> places[3];
};

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
        ProfileSection::ForEachKey(listing, [&keys](std::string_view key, std::string_view value,
                                                    bool) { keys.Take(key, value); });
        std::size_t groupCount = 0;
        while (!keys.Text(GroupKeyKind::kList, groupCount).empty() ||
               !keys.Text(GroupKeyKind::kMasks, groupCount).empty())
            ++groupCount;
        pieces = keys.Pieces();
        ReserveToFill(groups, groupCount);
        for (std::size_t number = 0; number < groupCount; ++number)
            AppendGroup(static_cast<std::int32_t>(number), keys.Text(GroupKeyKind::kName, number),
                        PieceList(keys.Text(GroupKeyKind::kList, number)),
                        PieceList(keys.Text(GroupKeyKind::kMasks, number)));
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
