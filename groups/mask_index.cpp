// The mask tiers. A literal mask's letters are folded into its key, so the
// tries find every mask whose bytes, folded, are the name's there: a
// superset of those the matcher accepts, since a match takes equal
// characters, and equal characters are equal bytes once folded. For a name
// of bytes below 128 alone (every byte a character, in every code page we
// run under) the two are the same; any other name has each candidate
// confirmed by the matcher, which alone knows the code page's characters,
// where a suffix may start and that only a one-byte letter folds.
#include "groups/mask_index.h"

#include "platform/text/ascii.h"
#include "platform/text/name_pattern.h"

#include <algorithm>
#include <iterator>
#include <cstring>

namespace {

enum class Tier { kExact, kPrefix, kSuffix, kGeneral };

// The tier of a mask by its bytes, and its literal: a run of stars is one
// star, and a '*' or '?' byte anywhere but in the leading or trailing run
// sends the mask to the matcher. A code page whose second byte could be one
// of those would only send more masks there.
Tier Classify(std::string_view mask, std::string_view& literal) {
    std::size_t lead = 0;
    while (lead < mask.size() && mask[lead] == '*')
        ++lead;
    if (lead == mask.size() && lead > 0) {
        literal = std::string_view(); // stars alone: a suffix every name ends with
        return Tier::kSuffix;
    }
    std::size_t end = mask.size();
    while (end > lead && mask[end - 1] == '*')
        --end;
    literal = mask.substr(lead, end - lead);
    if (literal.find_first_of("*?") != std::string_view::npos || (lead > 0 && end < mask.size()))
        return Tier::kGeneral;
    return lead > 0 ? Tier::kSuffix : end < mask.size() ? Tier::kPrefix : Tier::kExact;
}

// A byte as one of 64 bits, the same for a letter in either case (which
// differ in 0x20 alone): its bits 0x1F and 0x40. Bytes that share a bit only
// let the matcher run where it need not.
inline std::uint64_t ByteBit(char c) {
    const unsigned byte = static_cast<unsigned char>(c);
    return std::uint64_t{1} << ((byte & 0x1F) | (byte & 0x40) >> 1);
}

// The ByteBit of every byte of the text, in one word.
std::uint64_t BytesOf(const char* text, std::size_t length) {
    std::uint64_t bits = 0;
    for (std::size_t at = 0; at < length; ++at)
        bits |= ByteBit(text[at]);
    return bits;
}

bool AllBelow128(const char* text, std::size_t length) {
    std::size_t at = 0;
    for (; at + 8 <= length; at += 8) {
        std::uint64_t eight;
        std::memcpy(&eight, text + at, 8);
        if ((eight & 0x8080808080808080ull) != 0)
            return false;
    }
    for (; at < length; ++at)
        if (static_cast<unsigned char>(text[at]) >= 0x80)
            return false;
    return true;
}

} // namespace

bool MaskNeedsMatcher(std::string_view mask) {
    std::string_view literal;
    return Classify(mask, literal) == Tier::kGeneral;
}

void MaskIndex::Add(std::uint32_t groupPosition, const PieceList& list) {
    list.ForEachPiece([&](std::string_view mask) {
        masks.push_back(Mask{groupPosition, mask});
        return true;
    });
}

void MaskIndex::Build() {
    std::vector<Key> forwardKeys;
    std::vector<Key> backwardKeys;
    general.clear();
    for (std::uint32_t rank = 0; rank < masks.size(); ++rank) {
        std::string_view literal;
        switch (Classify(masks[rank].text, literal)) {
        case Tier::kExact:
            forwardKeys.push_back(Key{literal, rank, true});
            break;
        case Tier::kPrefix:
            forwardKeys.push_back(Key{literal, rank, false});
            break;
        case Tier::kSuffix:
            backwardKeys.push_back(Key{literal, rank, false});
            break;
        case Tier::kGeneral: {
            // Every byte of a mask but its wildcards is a byte of a
            // character that a match takes from the name.
            General entry{rank, 0};
            for (char c : masks[rank].text)
                if (c != '*' && c != '?')
                    entry.needs |= ByteBit(c);
            general.push_back(entry);
            break;
        }
        }
    }
    forward.Build(forwardKeys, false);
    backward.Build(backwardKeys, true);
    screen = Screen();
    for (const Key& key : forwardKeys) {
        if (key.literal.empty())
            screen.forwardAlways = true;
        else
            screen.firstBytes |= ByteBit(key.literal.front());
    }
    for (const Key& key : backwardKeys) {
        if (key.literal.empty())
            screen.backwardAlways = true;
        else
            screen.lastBytes |= ByteBit(key.literal.back());
    }
    screen.anyGeneral = !general.empty();
    screen.generalNeeds = general.empty() ? 0 : ~std::uint64_t{0};
    for (const General& entry : general)
        screen.generalNeeds &= entry.needs;
}

// Keys are inserted in rank order into nodes that list their children and
// the ranks ending there as chains, so each list comes out in rank order;
// then the nodes are laid out breadth first, each node's edges and ranks
// together. Linear in the keys' bytes, each step scanning one node's
// children (the root's are looked up by byte).
void MaskIndex::Trie::Build(const std::vector<Key>& keys, bool reversed) {
    nodes.clear();
    edgeBytes.clear();
    edgeNodes.clear();
    ranks.clear();
    std::fill(std::begin(rootBytes), std::end(rootBytes), 0);
    if (keys.empty())
        return; // a lookup skips a trie without nodes
    struct Building {
        std::uint32_t firstChild = kNone;
        std::uint32_t nextSibling = kNone;
        std::uint32_t ends[2] = {kNone, kNone}; // first key ending here, not exact and exact
        std::uint32_t lastEnds[2] = {kNone, kNone};
        unsigned char byte = 0;
    };
    std::vector<Building> building(1);
    std::vector<std::uint32_t> nextKey(keys.size(), kNone); // the chains of ranks
    std::fill(std::begin(rootChild), std::end(rootChild), kNone);
    for (std::uint32_t k = 0; k < keys.size(); ++k) {
        const std::string_view literal = keys[k].literal;
        std::uint32_t node = 0;
        for (std::size_t i = 0; i < literal.size(); ++i) {
            const unsigned char byte = static_cast<unsigned char>(
                FoldAscii(literal[reversed ? literal.size() - 1 - i : i]));
            std::uint32_t child = node == 0 ? rootChild[byte] : building[node].firstChild;
            while (node != 0 && child != kNone && building[child].byte != byte)
                child = building[child].nextSibling;
            if (child == kNone) {
                child = static_cast<std::uint32_t>(building.size());
                building.emplace_back();
                building[child].byte = byte;
                building[child].nextSibling = building[node].firstChild;
                building[node].firstChild = child;
                if (node == 0)
                    rootChild[byte] = child;
            }
            node = child;
        }
        const int kind = keys[k].exact ? 1 : 0;
        if (building[node].ends[kind] == kNone)
            building[node].ends[kind] = k;
        else
            nextKey[building[node].lastEnds[kind]] = k;
        building[node].lastEnds[kind] = k;
    }
    // Breadth first: `order` lists the nodes as laid out, and a node's place
    // is known once its parent is laid out.
    std::vector<std::uint32_t> order;
    std::vector<std::uint32_t> placeOf(building.size(), kNone);
    order.reserve(building.size());
    order.push_back(0);
    placeOf[0] = 0;
    nodes.resize(building.size());
    edgeBytes.reserve(building.size() - 1);
    edgeNodes.reserve(building.size() - 1);
    for (std::size_t at = 0; at < order.size(); ++at) {
        const Building& from = building[order[at]];
        Node& node = nodes[at];
        node.edgeBegin = static_cast<std::uint32_t>(edgeBytes.size());
        for (std::uint32_t child = from.firstChild; child != kNone;
             child = building[child].nextSibling) {
            placeOf[child] = static_cast<std::uint32_t>(order.size());
            order.push_back(child);
            edgeBytes.push_back(building[child].byte);
            edgeNodes.push_back(placeOf[child]);
        }
        node.edgeCount = static_cast<std::uint32_t>(edgeBytes.size()) - node.edgeBegin;
        std::uint32_t* begins[2] = {&node.endsBegin, &node.exactBegin};
        std::uint32_t* counts[2] = {&node.endsCount, &node.exactCount};
        for (int kind = 0; kind < 2; ++kind) {
            *begins[kind] = static_cast<std::uint32_t>(ranks.size());
            for (std::uint32_t k = from.ends[kind]; k != kNone; k = nextKey[k])
                ranks.push_back(keys[k].rank);
            *counts[kind] = static_cast<std::uint32_t>(ranks.size()) - *begins[kind];
        }
    }
    for (unsigned byte = 0; byte < 256; ++byte) {
        if (rootChild[byte] == kNone)
            continue;
        rootChild[byte] = placeOf[rootChild[byte]];
        rootBytes[byte >> 6] |= std::uint64_t{1} << (byte & 63);
    }
}

inline std::uint32_t MaskIndex::Trie::Child(std::uint32_t node, unsigned char byte) const {
    if (node == 0)
        return (rootBytes[byte >> 6] >> (byte & 63) & 1) != 0 ? rootChild[byte] : kNone;
    const Node& from = nodes[node];
    const unsigned char* bytes = edgeBytes.data() + from.edgeBegin;
    for (std::uint32_t edge = 0; edge < from.edgeCount; ++edge)
        if (bytes[edge] == byte)
            return edgeNodes[from.edgeBegin + edge];
    return kNone;
}

std::uint32_t MaskIndex::FirstMatch(const std::uint32_t* ranks, std::uint32_t count,
                                    std::uint32_t best, const char* name, std::size_t length,
                                    int& ascii) const {
    for (std::uint32_t i = 0; i < count && ranks[i] < best; ++i) {
        if (ascii < 0)
            ascii = AllBelow128(name, length) ? 1 : 0;
        const std::string_view mask = masks[ranks[i]].text;
        if (ascii == 1 || MatchesNamePattern(mask.data(), mask.size(), name, length))
            return ranks[i];
    }
    return best;
}

std::uint32_t MaskIndex::Walk(const Trie& trie, bool fromEnd, const char* name, std::size_t length,
                              std::uint32_t best, int& ascii) const {
    if (trie.nodes.empty())
        return best;
    std::uint32_t node = 0;
    for (std::size_t depth = 0;; ++depth) {
        const Node& at = trie.nodes[node];
        if (at.endsCount != 0)
            best = FirstMatch(trie.ranks.data() + at.endsBegin, at.endsCount, best, name, length,
                              ascii);
        if (depth == length) // whole names: only the forward trie holds any
            return FirstMatch(trie.ranks.data() + at.exactBegin, at.exactCount, best, name, length,
                              ascii);
        const char byte = name[fromEnd ? length - 1 - depth : depth];
        node = trie.Child(node, static_cast<unsigned char>(FoldAscii(byte)));
        if (node == kNone)
            return best;
    }
}

std::uint32_t MaskIndex::Find(const char* name, std::size_t length) const {
    int ascii = -1; // whether the name is bytes below 128 alone, once asked
    std::uint32_t best = kNone;
    // A trie is walked only when the name's first (or last) byte may lead
    // into it; ByteBit takes a letter in either case alike, as the tries
    // read them folded.
    if (screen.forwardAlways || (length > 0 && (screen.firstBytes & ByteBit(name[0])) != 0))
        best = Walk(forward, false, name, length, best, ascii);
    if (screen.backwardAlways ||
        (length > 0 && (screen.lastBytes & ByteBit(name[length - 1])) != 0))
        best = Walk(backward, true, name, length, best, ascii);
    if (!screen.anyGeneral)
        return best;
    // Only masks of a lower rank than the best found can still decide, and
    // only those whose bytes the name holds run the matcher.
    const std::uint64_t holds = BytesOf(name, length);
    if ((screen.generalNeeds & ~holds) != 0)
        return best;
    for (const General& entry : general) {
        if (entry.rank >= best)
            break;
        if ((entry.needs & ~holds) != 0)
            continue;
        const std::string_view mask = masks[entry.rank].text;
        if (MatchesNamePattern(mask.data(), mask.size(), name, length))
            return entry.rank;
    }
    return best;
}
