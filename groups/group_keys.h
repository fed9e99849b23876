// The keys of [Groups] as one rule reads them, for the plugin's loader and
// for every tool that explains a settings file: which names are group keys,
// and, over one listing of the section, the text each group number takes
// from its keys, the first line of each name winning as a read of that name
// would find it.
#pragma once

#include "settings/profile_section.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// What a key of [Groups] holds for its group N: the extension list (N), the
// name (N_name), the masks (N_masks), or the continuation of the extension
// list (N_more, N_more2, N_more3, ...) or of the masks (N_masks_more,
// N_masks_more2, ...), for a kind whose patterns pass what one value holds.
enum class GroupKeyKind { kList = 0, kName = 1, kMasks = 2, kListMore = 3, kMasksMore = 4 };

// A group key's name, read.
struct GroupKeyName {
    std::uint32_t number = 0;
    GroupKeyKind kind = GroupKeyKind::kList;
    // Of a continuation, its place among its group's others: 1 for N_more,
    // K for N_moreK; 0 for every other key.
    std::uint32_t part = 0;
};
// What a key name of [Groups] names, N (and a continuation's K, from 2 on)
// written as the loader writes numbers (no sign, no leading zero, at most
// 2^31 - 1) and the suffix in any case, as a read of that key would match
// it; false for every other name.
bool GroupKey(std::string_view name, GroupKeyName& key);

// The name of the key that GroupKey reads as `key`: N, N_name, N_masks,
// N_more or N_moreK, N_masks_more or N_masks_moreK.
std::string GroupKeyText(const GroupKeyName& key);

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

    // Takes every key of the listing, in its order, and then orders the
    // continuations of the table's groups. One pass over the listing and
    // linear in it, continuations included, whatever numbers they write.
    void TakeAll(const SectionListing& listing);

    // The groups of the table: the numbers before the first one that has
    // neither an extension list nor masks.
    std::size_t GroupCount() const { return groupCount; }
    // The extensions the lists taken hold, the table's own among them (a
    // list past the table's end counts too): room enough for its index.
    std::size_t Pieces() const { return pieces; }
    // The text of one kind for a group number, empty when no key gave it.
    std::string_view Text(GroupKeyKind kind, std::size_t number) const;
    // A group's list (kList) or masks (kMasks) with its continuations:
    // its own key's text, then each continuation's in the order of K, the
    // first line of each name, joined in one text that has the pieces of
    // each in turn (a text that does not end in '|' gets one, which keeps
    // its last piece as it was alone; the '|' that ends the whole has no
    // piece after it). Without continuations, its own key's text.
    std::string_view List(GroupKeyKind kind, std::size_t number) const;
    // The block that holds the joined texts, for the one who keeps them;
    // null when no group has continuations.
    std::unique_ptr<char[]> TakeJoined() { return std::move(joined); }

private:
    // Where a text lies in the listing, in half the room of a view: a
    // listing's size is a 32-bit count.
    struct Place {
        std::uint32_t offset = 0;
        std::uint32_t length = kNotTaken;
    };
    static constexpr std::uint32_t kNotTaken = 0xFFFFFFFFu;

    // A continuation key as taken, in the listing's order until ordered.
    // Plain data, so that room for many costs no initialising.
    struct More {
        std::uint64_t order; // its slot (its group's number, twice, and 1 for masks), then K
        std::uint32_t offset;
        std::uint32_t length;
        std::uint32_t Slot() const { return static_cast<std::uint32_t>(order >> 32); }
    };

    // A key without a value takes its name's place all the same: a read of
    // that name finds it first and gives the empty default.
    void Take(std::string_view key, std::string_view value);
    // Where the value lies in the listing.
    Place PlaceOf(std::string_view value) const;
    // Keeps a continuation for its ordering, apart from Take: the rare case
    // stays out of the way of the one every line takes.
    void TakeContinuation(const GroupKeyName& name, std::string_view value);
    // Sorts the continuations by group, kind and K, a line of one name
    // before its later ones, and joins the continued lists of the table's
    // groups (those past its end come last and are left).
    void JoinContinuations();
    // Sorts the continuations by 16 bits of their slot and K, from `shift`.
    void SortMore(unsigned shift, std::uint32_t* counts, More* sorted);
    // The slot of a group's list or masks: two to a number, the list first.
    static std::size_t SlotOf(GroupKeyKind kind, std::size_t number) {
        return number * 2 + (kind == GroupKeyKind::kList ? 0 : 1);
    }
    // The kind a slot holds, kList or kMasks.
    static GroupKeyKind SlotKind(std::size_t slot) {
        return slot % 2 == 0 ? GroupKeyKind::kList : GroupKeyKind::kMasks;
    }

    const char* base;
    std::size_t listingLength;
    std::size_t unreachable;
    std::size_t pieces = 0;
    std::size_t groupCount = 0;
    std::vector<Place> places[3];
    std::vector<More> more;
    // The joined lists, and where each slot's lies in them (not taken for a
    // slot without continuations); none while a table has none.
    std::unique_ptr<char[]> joined;
    std::unique_ptr<Place[]> joinedPlaces;
};
