// An open-addressing hash table with linear probing over hashes of the
// folded bytes. A short extension (nearly all are) is folded into one word
// as it is hashed, and compared as that word; a longer one is compared byte
// by byte, folded as it is read. No extension is ever copied.
#include "groups/extension_index.h"

#include "groups/fibonacci_hash.h"

#include "platform/text/ascii.h"
#include "platform/memory_pages.h"
#include <cstring>

namespace {

// The bytes of a text of at most eight bytes as one word: for four or more,
// its first four and its last four (which may overlap); for fewer, its
// first, middle and last byte. Beside the length, the word tells every text
// apart, and it takes a few loads instead of a step per byte.
std::uint64_t ShortWord(const char* text, std::size_t length) {
    if (length >= 4) {
        std::uint32_t first;
        std::uint32_t last;
        std::memcpy(&first, text, sizeof(first));
        std::memcpy(&last, text + length - sizeof(last), sizeof(last));
        return first | static_cast<std::uint64_t>(last) << 32;
    }
    if (length == 0)
        return 0;
    auto byte = [text](std::size_t at) {
        return static_cast<std::uint64_t>(static_cast<unsigned char>(text[at]));
    };
    return byte(0) | byte(length / 2) << 8 | byte(length - 1) << 16;
}

// The hash with the last word mixed in, by two rounds of multiplication:
// after one, the low bits that pick the slot depend on too few of the word's
// bits, and extensions that differ only in a digit or two (x1_0, x1_1, ...)
// crowd into runs several slots long.
std::uint32_t Finish(std::uint64_t hash, std::uint64_t word) {
    hash = (hash ^ word) * kFibonacciMultiplier;
    hash = (hash ^ hash >> 29) * kFibonacciMultiplier;
    return static_cast<std::uint32_t>(hash >> 32);
}

} // namespace

// Eight folded bytes at a time, each word mixed in by one multiplication.
inline ExtensionIndex::Pending ExtensionIndex::Fold(std::string_view extension,
                                                    std::uint32_t groupPosition) {
    const char* text = extension.data();
    std::size_t length = extension.size();
    std::uint64_t hash = length;
    for (; length > kWordBytes; text += kWordBytes, length -= kWordBytes) {
        std::uint64_t word;
        std::memcpy(&word, text, sizeof(word));
        hash = (hash ^ FoldAsciiWord(word)) * kFibonacciMultiplier;
        hash ^= hash >> 29;
    }
    const std::uint64_t last = FoldAsciiWord(ShortWord(text, length));
    return Pending{extension, last, Finish(hash, last), groupPosition};
}

inline bool ExtensionIndex::Same(const Key& key, const Pending& sought) {
    const std::size_t length = sought.extension.size();
    if (key.length != length)
        return false;
    if (length <= kWordBytes)
        return key.wordOrText == sought.word;
    return SameIgnoringAsciiCase(TextOf(key), length, sought.extension.data(), length);
}

inline const char* ExtensionIndex::TextOf(const Key& key) {
    return reinterpret_cast<const char*>(static_cast<std::uintptr_t>(key.wordOrText));
}

// A slot holds, in its low bits (those that pick a slot), one more than its
// key's position, and in its high bits the high bits of the key's hash: a
// slot tells most keys apart without reading its key. The low bits always
// hold position + 1: it is at most the number of keys, which MakeRoom keeps
// at most half the number of slots, so it fits the mask; and 0 stays free to
// mark an empty slot.
inline std::uint32_t ExtensionIndex::SlotOf(const Pending& sought) const {
    const std::uint32_t mask = static_cast<std::uint32_t>(slots.size() - 1);
    const std::uint32_t high = sought.hash & ~mask;
    std::uint32_t at = sought.hash & mask;
    for (; slots[at] != kEmpty; at = (at + 1) & mask)
        if ((slots[at] & ~mask) == high && Same(KeyIn(slots[at]), sought))
            break;
    return at;
}

inline const ExtensionIndex::Key& ExtensionIndex::KeyIn(std::uint32_t slot) const {
    return keys[(slot & (slots.size() - 1)) - 1];
}

void ExtensionIndex::Reserve(std::size_t extensions) {
    ReserveToFill(keys, extensions);
    MakeRoom(extensions);
}

void ExtensionIndex::MakeRoom(std::size_t more) {
    std::size_t size = slots.empty() ? 16 : slots.size();
    while (size < (keys.size() + more) * 2)
        size *= 2;
    if (size != slots.size())
        Rehash(size);
}

void ExtensionIndex::InsertBatch(const Entry* entries, std::size_t count) {
    MakeRoom(count);
    Pending folded[kBatch];
    const std::uint32_t mask = static_cast<std::uint32_t>(slots.size() - 1);
    for (std::size_t i = 0; i < count; ++i) {
        folded[i] = Fold(entries[i].extension, entries[i].groupPosition);
        __builtin_prefetch(&slots[folded[i].hash & mask]);
    }
    for (std::size_t i = 0; i < count; ++i) {
        const Pending& pending = folded[i];
        const std::uint32_t at = SlotOf(pending);
        if (slots[at] != kEmpty)
            continue; // an earlier group lists it
        slots[at] = (pending.hash & ~mask) | static_cast<std::uint32_t>(keys.size() + 1);
        const std::size_t length = pending.extension.size();
        keys.emplace_back(length <= kWordBytes
                              ? pending.word
                              : static_cast<std::uint64_t>(
                                    reinterpret_cast<std::uintptr_t>(pending.extension.data())),
                          static_cast<std::uint32_t>(length), pending.groupPosition);
    }
}

std::uint32_t ExtensionIndex::Find(const char* extension, std::size_t length) const {
    if (slots.empty())
        return kNotFound;
    const std::uint32_t slot = slots[SlotOf(Fold(std::string_view(extension, length), 0))];
    return slot == kEmpty ? kNotFound : KeyIn(slot).groupPosition;
}

// The keys placed again by their hashes, which a short key's word and
// length give without its text.
void ExtensionIndex::Rehash(std::size_t size) {
    std::vector<std::uint32_t> fresh;
    ReserveToFill(fresh, size);
    fresh.assign(size, kEmpty);
    slots.swap(fresh);
    const std::uint32_t mask = static_cast<std::uint32_t>(size - 1);
    for (std::size_t position = 0; position < keys.size(); ++position) {
        const Key& key = keys[position];
        const std::uint32_t hash = key.length <= kWordBytes
                                       ? Finish(key.length, key.wordOrText)
                                       : Fold(std::string_view(TextOf(key), key.length), 0).hash;
        std::uint32_t at = hash & mask;
        while (slots[at] != kEmpty)
            at = (at + 1) & mask;
        slots[at] = (hash & ~mask) | static_cast<std::uint32_t>(position + 1);
    }
}
