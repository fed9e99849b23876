// The grammar of group keys and the taking of their texts from a listing.
#include "group_keys.h"

#include "ascii.h"
#include "piece_list.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <limits>
#include <memory>

namespace {

// The suffixes by GroupKeyKind; a continuation's may end in its K.
const char* const kSuffixes[] = {"", "_name", "_masks", "_more", "_masks_more"};
constexpr std::size_t kFirstContinuation = 3;

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
    if (value > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
        return false;
    number = static_cast<std::uint32_t>(value);
    return true;
}

} // namespace

bool GroupKey(std::string_view name, GroupKeyName& key) {
    std::size_t digits = 0;
    while (digits < name.size() && name[digits] >= '0' && name[digits] <= '9')
        ++digits;
    if (!KeyNumber(name.substr(0, digits), key.number))
        return false;
    const std::string_view suffix = name.substr(digits);
    for (std::size_t each = 0; each < std::size(kSuffixes); ++each) {
        const std::size_t length = std::strlen(kSuffixes[each]);
        if (suffix.size() < length ||
            !SameIgnoringAsciiCase(suffix.data(), length, kSuffixes[each], length))
            continue;
        // Nothing may follow but a continuation's K, from 2 on; the first
        // continuation has none.
        const std::string_view rest = suffix.substr(length);
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
    : base(listing.text.get()), unreachable(listing.length / kShortestGroupLine + 1) {
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
        OrderContinuations();
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
    if (name.kind == GroupKeyKind::kListMore || name.kind == GroupKeyKind::kMasksMore) {
        const GroupKeyKind continued =
            name.kind == GroupKeyKind::kListMore ? GroupKeyKind::kList : GroupKeyKind::kMasks;
        more.push_back(
            More{std::uint64_t{SlotOf(continued, name.number)} << 32 | name.part, PlaceOf(value)});
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

// Sorts the continuations by their 16 bits of `order` from `shift` into
// `sorted`, keeping the order of equal ones: one count and one move each,
// linear in the continuations. `counts` has room for a count per key and
// one more.
void GroupKeys::SortMore(unsigned shift, std::uint32_t* counts, More* sorted) {
    constexpr std::size_t kKeys = 0x10000;
    std::memset(counts, 0, (kKeys + 1) * sizeof(std::uint32_t));
    for (const More& each : more)
        ++counts[(each.order >> shift & 0xFFFFu) + 1];
    for (std::size_t at = 0; at < kKeys; ++at)
        counts[at + 1] += counts[at];
    for (const More& each : more)
        sorted[counts[each.order >> shift & 0xFFFFu]++] = each;
    std::memcpy(more.data(), sorted, more.size() * sizeof(More));
}

// Sorted by slot and K, 16 bits a round from the lowest, the rounds whose
// bits are all zero left out: each round keeps the order of the one before,
// so the lines of one name stay in the listing's order and the first comes
// first. Then where each slot's continuations begin.
void GroupKeys::OrderContinuations() {
    const std::size_t slots = groupCount * 2;
    std::size_t kept = 0;
    std::uint64_t bits = 0;
    for (const More& each : more) {
        if (each.Slot() >= slots)
            continue; // of a number past the table: no group to continue
        more[kept++] = each;
        bits |= each.order;
    }
    more.resize(kept);
    std::unique_ptr<More[]> sorted(new More[kept]);
    std::unique_ptr<std::uint32_t[]> counts(new std::uint32_t[0x10001]);
    for (unsigned shift = 0; shift < 64; shift += 16)
        if ((bits >> shift & 0xFFFFu) != 0)
            SortMore(shift, counts.get(), sorted.get());
    moreBegin.assign(slots + 1, 0);
    for (const More& each : more)
        ++moreBegin[each.Slot() + 1];
    for (std::size_t slot = 0; slot < slots; ++slot)
        moreBegin[slot + 1] += moreBegin[slot];
}

bool GroupKeys::Continued(GroupKeyKind kind, std::size_t number) const {
    if (moreBegin.empty() || number >= groupCount)
        return false;
    const std::size_t slot = SlotOf(kind, number);
    return moreBegin[slot + 1] > moreBegin[slot];
}

std::string_view GroupKeys::Text(GroupKeyKind kind, std::size_t number) const {
    const std::vector<Place>& byNumber = places[static_cast<int>(kind)];
    if (number >= byNumber.size() || byNumber[number].length == kNotTaken)
        return std::string_view();
    return std::string_view(base + byNumber[number].offset, byNumber[number].length);
}

std::string_view GroupKeys::MoreText(std::size_t at) const {
    if (at > 0 && more[at].order == more[at - 1].order)
        return std::string_view();
    return std::string_view(base + more[at].place.offset, more[at].place.length);
}

std::size_t GroupKeys::Join(GroupKeyKind kind, std::size_t number, char* into) const {
    std::size_t size = 0;
    const auto append = [&](std::string_view text) {
        if (text.empty())
            return;
        if (into != nullptr)
            std::memcpy(into + size, text.data(), text.size());
        size += text.size();
        if (text.back() == '|')
            return;
        if (into != nullptr)
            into[size] = '|';
        ++size;
    };
    append(Text(kind, number));
    if (Continued(kind, number)) {
        const std::size_t slot = SlotOf(kind, number);
        for (std::size_t at = moreBegin[slot]; at < moreBegin[slot + 1]; ++at)
            append(MoreText(at));
    }
    return size;
}
