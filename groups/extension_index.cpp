// An open-addressing hash table with linear probing over hashes of the
// folded bytes. Both texts are folded as they are hashed and compared, so
// neither the stored nor the sought extension is ever copied.
#include "extension_index.h"

#include "ascii.h"

namespace {

std::uint32_t FoldedHash(const char* text, std::size_t length) {
    std::uint32_t hash = 2166136261u; // FNV-1a
    for (std::size_t i = 0; i < length; ++i) {
        hash ^= static_cast<unsigned char>(FoldAscii(text[i]));
        hash *= 16777619u;
    }
    return hash;
}

} // namespace

void ExtensionIndex::Reserve(std::size_t extensions) {
    keys.reserve(keys.size() + extensions);
    std::size_t size = slots.empty() ? 16 : slots.size();
    while (size < (keys.size() + extensions) * 2)
        size *= 2;
    if (size != slots.size())
        Rehash(size);
}

std::uint32_t ExtensionIndex::Hash(std::string_view extension) {
    return FoldedHash(extension.data(), extension.size());
}

void ExtensionIndex::Prefetch(std::uint32_t hash) const {
    if (!slots.empty())
        __builtin_prefetch(&slots[hash & (slots.size() - 1)]);
}

void ExtensionIndex::Insert(std::string_view extension, std::uint32_t groupPosition) {
    Insert(Pending{extension, groupPosition, Hash(extension)});
}

void ExtensionIndex::Insert(const Pending& pending) {
    if ((keys.size() + 1) * 2 > slots.size())
        Grow();
    const std::string_view extension = pending.extension;
    const std::size_t mask = slots.size() - 1;
    std::size_t at = pending.hash & mask;
    for (; slots[at].key != kNotFound; at = (at + 1) & mask) {
        const Key& key = keys[slots[at].key];
        if (slots[at].hash == pending.hash &&
            SameIgnoringAsciiCase(key.text, key.length, extension.data(), extension.size()))
            return; // an earlier group lists it
    }
    slots[at] = Slot{pending.hash, static_cast<std::uint32_t>(keys.size())};
    keys.push_back(
        Key{extension.data(), static_cast<std::uint32_t>(extension.size()), pending.groupPosition});
}

std::uint32_t ExtensionIndex::Find(const char* extension, std::size_t length) const {
    if (slots.empty())
        return kNotFound;
    const std::uint32_t hash = FoldedHash(extension, length);
    const std::size_t mask = slots.size() - 1;
    for (std::size_t at = hash & mask; slots[at].key != kNotFound; at = (at + 1) & mask) {
        const Key& key = keys[slots[at].key];
        if (slots[at].hash == hash &&
            SameIgnoringAsciiCase(key.text, key.length, extension, length))
            return key.groupPosition;
    }
    return kNotFound;
}

void ExtensionIndex::Grow() {
    Rehash(slots.empty() ? 16 : slots.size() * 2);
}

void ExtensionIndex::Rehash(std::size_t size) {
    std::vector<Slot> old = std::move(slots);
    slots.assign(size, Slot{});
    const std::size_t mask = slots.size() - 1;
    for (const Slot& slot : old) {
        if (slot.key == kNotFound)
            continue;
        std::size_t at = slot.hash & mask;
        while (slots[at].key != kNotFound)
            at = (at + 1) & mask;
        slots[at] = slot;
    }
}
