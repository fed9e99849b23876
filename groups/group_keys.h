// The keys of [Groups] as one rule reads them, for the plugin's loader and
// for every tool that explains a settings file: which names are group keys,
// and, over one listing of the section, the text each group number takes
// from its keys, the first line of each name winning as a read of that name
// would find it.
#pragma once

#include "profile_section.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// What a key of [Groups] holds for its group N: the extension list (N), the
// name (N_name) or the masks (N_masks).
enum class GroupKeyKind { kList = 0, kName = 1, kMasks = 2 };

// A group key's name, read.
struct GroupKeyName {
    std::uint32_t number = 0;
    GroupKeyKind kind = GroupKeyKind::kList;
};
// What a key name of [Groups] names, N written as the loader writes numbers
// (no sign, no leading zero, at most 2^31 - 1) and the suffix in any case,
// as a read of that key would match it; false for every other name.
bool GroupKey(std::string_view name, GroupKeyName& key);

// The texts of the group keys of one listing, which they point into.
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
    explicit GroupKeys(const SectionListing& listing);

    // Takes every key of the listing, in its order: one pass over the
    // listing.
    void TakeAll(const SectionListing& listing);

    // The groups of the table: the numbers before the first one that has
    // neither an extension list nor masks.
    std::size_t GroupCount() const { return groupCount; }
    // The extensions the lists taken hold, the table's own among them (a
    // list past the table's end counts too): room enough for its index.
    std::size_t Pieces() const { return pieces; }
    // The text of one kind for a group number, empty when no key gave it.
    std::string_view Text(GroupKeyKind kind, std::size_t number) const;

private:
    // Where a text lies in the listing, in half the room of a view: a
    // listing's size is a 32-bit count.
    struct Place {
        std::uint32_t offset = 0;
        std::uint32_t length = kNotTaken;
    };
    static constexpr std::uint32_t kNotTaken = 0xFFFFFFFFu;

    // A key without a value takes its name's place all the same: a read of
    // that name finds it first and gives the empty default.
    void Take(std::string_view key, std::string_view value);
    Place PlaceOf(std::string_view value) const;
    const char* base;
    std::size_t unreachable;
    std::size_t pieces = 0;
    std::size_t groupCount = 0;
    std::vector<Place> places[3];
};
