// The index of a group table: from an extension, ASCII letters folded, to the
// first group that lists it. A lookup costs one hash of the extension and
// one comparison, whatever the table's size, and allocates nothing; a later
// group's copy of an extension is never inserted, so the first group wins.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class ExtensionIndex {
public:
    static constexpr std::uint32_t kNotFound = 0xFFFFFFFFu;

    // Room for this many extensions in all, so that a table of known size
    // is built without growing step by step.
    void Reserve(std::size_t extensions);
    // Records the extensions of groups `first` onwards, each group's in its
    // order (`extensionsOf(group)` gives a group's list), for their group's
    // position, unless an earlier insertion holds one already. The index
    // keeps an extension of up to eight bytes in a word of its own and
    // points at a longer one, whose text must outlive it.
    template <typename Group, typename ExtensionsOf>
    void InsertGroups(const std::vector<Group>& groups, std::size_t first,
                      ExtensionsOf extensionsOf);
    // The group position recorded for the extension, or kNotFound.
    std::uint32_t Find(const char* extension, std::size_t length) const;

private:
    static constexpr std::uint32_t kEmpty = 0;
    // An extension as the index holds it: up to eight bytes, its folded
    // bytes in one word (compared at once); longer, the text's address.
    struct Key {
        // Built in its place in the table, not assembled on the stack and
        // copied: that copy reads back two halves just stored apart.
        Key(std::uint64_t wordOrText, std::uint32_t length, std::uint32_t groupPosition)
            : wordOrText(wordOrText), length(length), groupPosition(groupPosition) {}
        std::uint64_t wordOrText;
        std::uint32_t length;
        std::uint32_t groupPosition;
    };
    // An extension waiting for insertion, with its group's position.
    struct Entry {
        std::string_view extension;
        std::uint32_t groupPosition;
    };
    // Insertions are handed over this many at a time: one call for many,
    // and the slots of a batch fetched together, so that the cache misses
    // of a large table overlap instead of adding up. A batch and its folded
    // form take some 14 KB of stack.
    static constexpr std::size_t kBatch = 256;

    // An extension folded for a search: its hash and, up to eight bytes, its
    // folded word.
    struct Pending {
        std::string_view extension;
        std::uint64_t word;
        std::uint32_t hash;
        std::uint32_t groupPosition;
    };
    static constexpr std::size_t kWordBytes = 8;

    // The extension folded for a search, for the group at `groupPosition`.
    static Pending Fold(std::string_view extension, std::uint32_t groupPosition);
    // Whether the key holds the sought extension, letters folded.
    static bool Same(const Key& key, const Pending& sought);
    // The text of a key longer than a word.
    static const char* TextOf(const Key& key);
    // The slot that holds the sought extension's key, else the empty slot
    // where its key would go.
    std::uint32_t SlotOf(const Pending& sought) const;
    // The key a full slot names.
    const Key& KeyIn(std::uint32_t slot) const;
    void InsertBatch(const Entry* entries, std::size_t count);
    // Slots enough for this many more keys, the table at most half full.
    void MakeRoom(std::size_t more);
    void Rehash(std::size_t size); // a power of two

    // A power of two in size, at most half full; a slot holds a key's
    // position and the high bits of its hash (extension_index.cpp).
    std::vector<std::uint32_t> slots;
    std::vector<Key> keys;
};

template <typename Group, typename ExtensionsOf>
void ExtensionIndex::InsertGroups(const std::vector<Group>& groups, std::size_t first,
                                  ExtensionsOf extensionsOf) {
    Entry batch[kBatch];
    std::size_t count = 0;
    for (std::size_t position = first; position < groups.size(); ++position) {
        extensionsOf(groups[position]).ForEachPiece([&](std::string_view extension) {
            batch[count++] = Entry{extension, static_cast<std::uint32_t>(position)};
            if (count == kBatch) {
                InsertBatch(batch, count);
                count = 0;
            }
            return true;
        });
    }
    InsertBatch(batch, count);
}
