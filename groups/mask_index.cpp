// The mask tiers. A literal mask's letters are folded into its key, so the
// tries find every mask whose bytes, folded, are the name's there: a
// superset of those the matcher accepts, since a match takes equal
// characters, and equal characters are equal bytes once folded. For a name
// of bytes below 128 alone (every byte a character, in every code page we
// run under) the two are the same; any other name has each candidate
// confirmed by the matcher, which alone knows the code page's characters,
// where a suffix may start and that only a one-byte letter folds.
#include "mask_index.h"

#include "ascii.h"
#include "name_pattern.h"

#include <algorithm>
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

std::string Folded(std::string_view text, bool reversed) {
    std::string folded(text.size(), '\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        folded[reversed ? text.size() - 1 - i : i] = FoldAscii(text[i]);
    return folded;
}

// A byte as one of 64 bits, the same for a letter in either case (which
// differ in 0x20 alone): its bits 0x1F and 0x40. Bytes that share a bit only
// let the matcher run where it need not.
inline std::uint64_t ByteBit(char c) {
    const unsigned byte = static_cast<unsigned char>(c);
    return std::uint64_t{1} << ((byte & 0x1F) | (byte & 0x40) >> 1);
}

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
            forwardKeys.push_back(Key{Folded(literal, false), rank, true});
            break;
        case Tier::kPrefix:
            forwardKeys.push_back(Key{Folded(literal, false), rank, false});
            break;
        case Tier::kSuffix:
            backwardKeys.push_back(Key{Folded(literal, true), rank, false});
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
    forward.Build(forwardKeys);
    backward.Build(backwardKeys);
}

void MaskIndex::Trie::Build(std::vector<Key>& keys) {
    nodes.clear();
    edgeBytes.clear();
    edgeNodes.clear();
    ranks.clear();
    std::fill(std::begin(rootBytes), std::end(rootBytes), 0);
    if (keys.empty())
        return; // a lookup skips a trie without nodes
    // Sorted, the keys below a node are one run, those ending there first
    // and each byte's after them; equal keys stay in rank order.
    std::sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) {
        return a.folded != b.folded ? a.folded < b.folded : a.rank < b.rank;
    });
    BuildNode(keys, 0, keys.size(), 0);
    std::fill(std::begin(rootChild), std::end(rootChild), kNone);
    for (std::uint32_t edge = 0; edge < nodes[0].edgeCount; ++edge) {
        const unsigned char byte = edgeBytes[nodes[0].edgeBegin + edge];
        rootChild[byte] = edgeNodes[nodes[0].edgeBegin + edge];
        rootBytes[byte >> 6] |= std::uint64_t{1} << (byte & 63);
    }
}

std::uint32_t MaskIndex::Trie::BuildNode(const std::vector<Key>& keys, std::size_t low,
                                         std::size_t high, std::size_t depth) {
    const std::uint32_t node = static_cast<std::uint32_t>(nodes.size());
    nodes.emplace_back();
    std::size_t at = low;
    while (at < high && keys[at].folded.size() == depth)
        ++at;
    nodes[node].endsBegin = static_cast<std::uint32_t>(ranks.size());
    for (std::size_t i = low; i < at; ++i)
        if (!keys[i].exact)
            ranks.push_back(keys[i].rank);
    nodes[node].exactBegin = static_cast<std::uint32_t>(ranks.size());
    nodes[node].endsCount = nodes[node].exactBegin - nodes[node].endsBegin;
    for (std::size_t i = low; i < at; ++i)
        if (keys[i].exact)
            ranks.push_back(keys[i].rank);
    nodes[node].exactCount = static_cast<std::uint32_t>(ranks.size()) - nodes[node].exactBegin;
    // The children's edges lie together, taken before any child adds its own.
    std::uint32_t children = 0;
    for (std::size_t i = at; i < high; ++i)
        if (i == at || keys[i].folded[depth] != keys[i - 1].folded[depth])
            ++children;
    const std::uint32_t edgeBegin = static_cast<std::uint32_t>(edgeBytes.size());
    nodes[node].edgeBegin = edgeBegin;
    nodes[node].edgeCount = children;
    edgeBytes.resize(edgeBegin + children);
    edgeNodes.resize(edgeBegin + children);
    for (std::uint32_t edge = edgeBegin; at < high; ++edge) {
        const char byte = keys[at].folded[depth];
        std::size_t end = at + 1;
        while (end < high && keys[end].folded[depth] == byte)
            ++end;
        edgeBytes[edge] = static_cast<unsigned char>(byte);
        const std::uint32_t child = BuildNode(keys, at, end, depth + 1);
        edgeNodes[edge] = child;
        at = end;
    }
    return node;
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

std::uint32_t MaskIndex::Find(const char* name, std::size_t length) const {
    std::uint32_t best = kNone;
    int ascii = -1; // whether the name is bytes below 128 alone, once asked
    if (!forward.nodes.empty()) {
        std::uint32_t node = 0;
        for (std::size_t depth = 0;; ++depth) {
            const Node& at = forward.nodes[node];
            if (at.endsCount != 0)
                best = FirstMatch(forward.ranks.data() + at.endsBegin, at.endsCount, best, name,
                                  length, ascii);
            if (depth == length) {
                best = FirstMatch(forward.ranks.data() + at.exactBegin, at.exactCount, best, name,
                                  length, ascii);
                break;
            }
            node = forward.Child(node, static_cast<unsigned char>(FoldAscii(name[depth])));
            if (node == kNone)
                break;
        }
    }
    if (!backward.nodes.empty()) {
        std::uint32_t node = 0;
        for (std::size_t depth = 0;; ++depth) {
            const Node& at = backward.nodes[node];
            if (at.endsCount != 0)
                best = FirstMatch(backward.ranks.data() + at.endsBegin, at.endsCount, best, name,
                                  length, ascii);
            if (depth == length)
                break;
            node = backward.Child(node,
                                  static_cast<unsigned char>(FoldAscii(name[length - 1 - depth])));
            if (node == kNone)
                break;
        }
    }
    // Only masks of a lower rank than the best found can still decide, and
    // only those whose bytes the name holds run the matcher.
    std::uint64_t holds = 0;
    bool held = false;
    for (const General& entry : general) {
        if (entry.rank >= best)
            break;
        if (!held) {
            holds = BytesOf(name, length);
            held = true;
        }
        if ((entry.needs & ~holds) != 0)
            continue;
        const std::string_view mask = masks[entry.rank].text;
        if (MatchesNamePattern(mask.data(), mask.size(), name, length))
            return entry.rank;
    }
    return best;
}
