// The index of a group table: from an extension, ASCII letters folded, to the
// first group that lists it. A lookup costs one hash of the extension and
// one comparison, whatever the table's size, and allocates nothing; a later
// group's copy of an extension is never inserted, so the first group wins.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class ExtensionIndex {
public:
    static constexpr std::uint32_t kNotFound = 0xFFFFFFFFu;

    // Room for this many extensions in all, so that a table of known size is
    // built without growing step by step.
    void Reserve(std::size_t extensions);
    // Records the extension for the group at `groupPosition`, unless an
    // earlier insertion holds it already.
    void Insert(const std::string& extension, std::uint32_t groupPosition);
    // The group position recorded for the extension, or kNotFound.
    std::uint32_t Find(const char* extension, std::size_t length) const;

private:
    struct Slot {
        std::uint32_t hash = 0;
        std::uint32_t key = kNotFound; // position in `keys`; kNotFound: empty
    };
    struct Key {
        std::uint32_t offset; // of the folded text in `texts`
        std::uint32_t length;
        std::uint32_t groupPosition;
    };

    void Grow();

    std::vector<Slot> slots; // a power of two in size, at most half full
    std::vector<Key> keys;
    std::string texts; // every folded extension, one after the other
};
