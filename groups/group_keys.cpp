// The grammar of group keys and the taking of their texts from a listing.
#include "groups/group_keys.h"

#include "platform/text/ascii.h"
#include "groups/piece_list.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <memory>

namespace {

// The suffixes by GroupKeyKind; a continuation's may end in its K.
constexpr std::string_view kSuffixes[] = {"", "_name", "_masks", "_more", "_masks_more"};
constexpr std::size_t kFirstContinuation = 3;
constexpr std::uint64_t kLargestNumber = std::numeric_limits<std::int32_t>::max();

// A number as group keys write it: digits without a leading zero, at most
// 2^31 - 1; false for anything else, the empty text included.
bool KeyNumber(std::string_view text, std::uint32_t& number) {
    if (text.empty() || text.size() > 10 || (text.size() > 1 && text[0] == '0'))
        return false;
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    number = static_cast<std::uint32_t>(value);
    return value <= kLargestNumber;
}

} // namespace

// The number is read as it is found, and a list key (no suffix, the most
// frequent) is told at once: a load reads every line through here.
bool GroupKey(std::string_view name, GroupKeyName& key) {
    std::size_t digits = 0;
    std::uint64_t value = 0;
    for (; digits < name.size() && name[digits] >= '0' && name[digits] <= '9'; ++digits)
        value = value * 10 + static_cast<std::uint64_t>(name[digits] - '0');
    if (digits == 0 || digits > 10 || (digits > 1 && name[0] == '0') || value > kLargestNumber)
        return false;
    key.number = static_cast<std::uint32_t>(value);
    key.kind = GroupKeyKind::kList;
    key.part = 0;
    const std::string_view suffix = name.substr(digits);
    if (suffix.empty())
        return true;
    for (std::size_t each = 1; each < std::size(kSuffixes); ++each) {
        const std::string_view known = kSuffixes[each];
        if (suffix.size() < known.size() ||
            !SameIgnoringAsciiCase(suffix.data(), known.size(), known.data(), known.size()))
            continue;
        // Nothing may follow but a continuation's K, from 2 on; the first
        // continuation has none.
        const std::string_view rest = suffix.substr(known.size());
        key.kind = static_cast<GroupKeyKind>(each);
        key.part = each < kFirstContinuation ? 0 : 1;
        if (rest.empty())
            return true;
        if (each >= kFirstContinuation && KeyNumber(rest, key.part) && key.part >= 2)
            return true;
    }
    return false;
}

GroupKeys::GroupKeys(const SectionListing& listing)
    : base(listing.text.get()), listingLength(listing.length),
      unreachable(listing.length / kShortestGroupLine + 1) {
    for (std::vector<Place>& byNumber : places)
        byNumber.reserve(listing.length / kTypicalGroupBytes + 1);
}

void GroupKeys::TakeAll(const SectionListing& listing) {
    ProfileSection::ForEachKey(
        listing, [this](std::string_view key, std::string_view value, bool) { Take(key, value); });
    while (!Text(GroupKeyKind::kList, groupCount).empty() ||
           !Text(GroupKeyKind::kMasks, groupCount).empty())
        ++groupCount;
    if (!more.empty())
        JoinContinuations();
}

GroupKeys::Place GroupKeys::PlaceOf(std::string_view value) const {
    return value.empty() ? Place{0, 0}
                         : Place{static_cast<std::uint32_t>(value.data() - base),
                                 static_cast<std::uint32_t>(value.size())};
}

void GroupKeys::Take(std::string_view key, std::string_view value) {
    GroupKeyName name;
    if (!GroupKey(key, name) || name.number >= unreachable)
        return;
    // Counted while the line is at hand, not read again later.
    if (name.kind == GroupKeyKind::kList || name.kind == GroupKeyKind::kListMore)
        pieces += PieceList(value).size();
    if (name.part != 0) {
        TakeContinuation(name, value);
        return;
    }
    std::vector<Place>& byNumber = places[static_cast<int>(name.kind)];
    if (name.number == byNumber.size())
        byNumber.emplace_back(); // the next number, as a table in order has it
    else if (name.number > byNumber.size())
        byNumber.resize(name.number + 1);
    Place& place = byNumber[name.number];
    if (place.length == kNotTaken)
        place = PlaceOf(value);
}

std::string_view GroupKeys::Text(GroupKeyKind kind, std::size_t number) const {
    const std::vector<Place>& byNumber = places[static_cast<int>(kind)];
    if (number >= byNumber.size() || byNumber[number].length == kNotTaken)
        return std::string_view();
    return std::string_view(base + byNumber[number].offset, byNumber[number].length);
}

std::string GroupKeyText(const GroupKeyName& key) {
    const std::string_view suffix = kSuffixes[static_cast<std::size_t>(key.kind)];
    return std::to_string(key.number) + std::string(suffix) +
           (key.part > 1 ? std::to_string(key.part) : std::string());
}
