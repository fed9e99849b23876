// The continuation keys of a listing: their order and their joined lists.
// Only a table that has continuations runs this, once per load: compiled
// for size (groups/CMakeLists.txt), it keeps the plugin file within its
// bound.
#include "groups/group_keys.h"

#include <cstddef>
#include <cstring>

void GroupKeys::TakeContinuation(const GroupKeyName& name, std::string_view value) {
    const Place place = PlaceOf(value);
    const std::uint64_t slot =
        std::uint64_t{name.number} * 2 + (name.kind == GroupKeyKind::kMasksMore ? 1 : 0);
    more.push_back(More{slot << 32 | name.part, place.offset, place.length});
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
// first. Then each slot's texts are joined in one walk of the sorted
// continuations, a slot's own key's text before its first.
void GroupKeys::JoinContinuations() {
    const std::size_t slots = groupCount * 2;
    std::uint64_t bits = 0;
    for (const More& each : more)
        bits |= each.order;
    std::unique_ptr<More[]> sorted(new More[more.size()]);
    std::unique_ptr<std::uint32_t[]> counts(new std::uint32_t[0x10001]);
    for (unsigned shift = 0; bits != 0; shift += 16, bits >>= 16)
        if ((bits & 0xFFFFu) != 0)
            SortMore(shift, counts.get(), sorted.get());
    // The joined texts are lines of the listing, each once, with at most a
    // '|' apiece: a slot's own key's text and its continuations'.
    joined.reset(new char[listingLength + 2 * more.size()]);
    joinedPlaces.reset(new Place[slots]);
    std::size_t size = 0;
    const auto append = [&](std::string_view text) {
        if (text.empty())
            return;
        std::memcpy(joined.get() + size, text.data(), text.size());
        size += text.size();
        if (text.back() != '|')
            joined[size++] = '|';
    };
    for (std::size_t at = 0; at < more.size(); ++at) {
        const std::uint32_t slot = more[at].Slot();
        if (slot >= slots)
            break; // of a number past the table, as are all after it
        Place& place = joinedPlaces[slot];
        if (at == 0 || more[at - 1].Slot() != slot) {
            place.offset = static_cast<std::uint32_t>(size);
            append(Text(SlotKind(slot), slot / 2));
        } else if (more[at - 1].order == more[at].order) {
            continue; // a later line of a name already given
        }
        append(std::string_view(base + more[at].offset, more[at].length));
        place.length = static_cast<std::uint32_t>(size - place.offset);
    }
}

std::string_view GroupKeys::List(GroupKeyKind kind, std::size_t number) const {
    if (joinedPlaces != nullptr && number < groupCount) {
        const Place& place = joinedPlaces[SlotOf(kind, number)];
        if (place.length != kNotTaken)
            return std::string_view(joined.get() + place.offset, place.length);
    }
    return Text(kind, number);
}
