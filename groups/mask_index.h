// The index of a group table's name masks, in tiers: exact names and
// prefixes (`README*`) in a trie read from the name's first byte, suffixes
// (`*.tar.gz`, and `*` alone) in a trie read from its last byte, and every
// other mask in a list the matcher walks. A lookup gives what a walk of
// every mask in number order gives: the first mask, in list order, of the
// lowest-numbered group that has one matching the name.
#pragma once

#include "groups/piece_list.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// Whether a mask is one the matcher must try for every name: neither a
// plain name, nor a suffix (`*.txt`), a prefix (`README*`) or stars alone.
bool MaskNeedsMatcher(std::string_view mask);

class MaskIndex {
public:
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

    bool Empty() const { return masks.empty(); }
    // Takes the masks of the group at `groupPosition`, whose texts must
    // outlive the index; groups come in number order. A lookup sees them
    // only after the next Build.
    void Add(std::uint32_t groupPosition, const PieceList& list);
    // Sorts the masks taken so far into their tiers.
    void Build();

    // The mask that decides for the name, as a rank (the order of Add), or
    // kNone. Reads the index only and allocates nothing.
    std::uint32_t Find(const char* name, std::size_t length) const;
    std::uint32_t GroupOf(std::uint32_t rank) const { return masks[rank].groupPosition; }
    std::string_view TextOf(std::uint32_t rank) const { return masks[rank].text; }

private:
    struct Mask {
        std::uint32_t groupPosition;
        std::string_view text;
    };
    // A node of a trie: its children's bytes and nodes are edges
    // [edgeBegin, edgeBegin + edgeCount); the ranks of the masks whose
    // literal ends here are ranks [endsBegin, +endsCount) (prefixes, or
    // suffixes) and [exactBegin, +exactCount) (whole names), each ascending.
    struct Node {
        std::uint32_t edgeBegin = 0;
        std::uint32_t edgeCount = 0;
        std::uint32_t endsBegin = 0;
        std::uint32_t endsCount = 0;
        std::uint32_t exactBegin = 0;
        std::uint32_t exactCount = 0;
    };
    // A mask's literal, which a trie reads folded (a suffix's reversed).
    struct Key {
        std::string_view literal;
        std::uint32_t rank;
        bool exact;
    };
    struct Trie {
        std::vector<Node> nodes;
        // The bytes the root has children for, a bit each, beside the nodes'
        // address: most names leave the trie at their first byte, and this
        // tells so without another cache line.
        std::uint64_t rootBytes[4] = {};
        std::vector<unsigned char> edgeBytes;
        std::vector<std::uint32_t> edgeNodes;
        std::vector<std::uint32_t> ranks;
        std::uint32_t rootChild[256] = {}; // the root's children by byte
        void Build(const std::vector<Key>& keys, bool reversed);
        // The node's child by the byte, or kNone.
        std::uint32_t Child(std::uint32_t node, unsigned char byte) const;
    };

    // The best rank the trie's masks give for the name, read from its
    // first byte or, for suffixes, from its last; `best` when none is lower.
    std::uint32_t Walk(const Trie& trie, bool fromEnd, const char* name, std::size_t length,
                       std::uint32_t best, int& ascii) const;
    // The lowest rank among `count` ascending ranks from `ranks` below
    // `best` whose mask matches the name; `best` when none does.
    std::uint32_t FirstMatch(const std::uint32_t* ranks, std::uint32_t count, std::uint32_t best,
                             const char* name, std::size_t length, int& ascii) const;

    // What a name must show for each tier to be worth a walk, all in one
    // place, so that a name no mask can match (most names) costs the
    // value path one cache line: the tiers' own data lie on several more,
    // which the system call before every lookup has evicted.
    struct Screen {
        std::uint64_t firstBytes = 0;   // first bytes of exact names and prefixes, as ByteBit
        std::uint64_t lastBytes = 0;    // last bytes of suffixes
        std::uint64_t generalNeeds = 0; // bytes that every general mask needs
        bool forwardAlways = false;     // a forward key ends at the root
        bool backwardAlways = false;    // a suffix is empty (`*`)
        bool anyGeneral = false;
    };
    Screen screen;
    std::vector<Mask> masks; // by rank
    Trie forward;            // exact names and prefixes
    Trie backward;           // suffixes, reversed
    // A mask the matcher tries, with the bytes a name must hold for it to
    // match, as bits of ByteBit.
    struct General {
        std::uint32_t rank;
        std::uint64_t needs;
    };
    std::vector<General> general; // ascending by rank
};
