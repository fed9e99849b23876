// An open-addressing hash table with linear probing over FNV-1a hashes of
// the folded bytes. The extension looked up is folded byte by byte while it
// is hashed and compared, so a lookup needs no copy of it.
#include "extension_index.h"

#include "ascii.h"

namespace {

std::uint32_t FoldedHash(const char* text, std::size_t length) {
    std::uint32_t hash = 2166136261u;
    for (std::size_t i = 0; i < length; ++i) {
        hash ^= static_cast<unsigned char>(FoldAscii(text[i]));
        hash *= 16777619u;
    }
    return hash;
}

// The stored text is folded already; folding it again changes nothing.
bool SameFolded(const char* folded, std::size_t foldedLength, const char* text,
                std::size_t length) {
    return SameIgnoringAsciiCase(folded, foldedLength, text, length);
}

} // namespace

void ExtensionIndex::Reserve(std::size_t extensions) {
    keys.reserve(extensions);
    while (slots.size() < extensions * 2)
        Grow();
}

void ExtensionIndex::Insert(const std::string& extension, std::uint32_t groupPosition) {
    if ((keys.size() + 1) * 2 > slots.size())
        Grow();
    const std::uint32_t hash = FoldedHash(extension.data(), extension.size());
    const std::size_t mask = slots.size() - 1;
    std::size_t at = hash & mask;
    for (; slots[at].key != kNotFound; at = (at + 1) & mask) {
        const Key& key = keys[slots[at].key];
        if (slots[at].hash == hash &&
            SameFolded(texts.data() + key.offset, key.length, extension.data(), extension.size()))
            return; // an earlier group lists it
    }
    slots[at] = Slot{hash, static_cast<std::uint32_t>(keys.size())};
    keys.push_back(Key{static_cast<std::uint32_t>(texts.size()),
                       static_cast<std::uint32_t>(extension.size()), groupPosition});
    for (char c : extension)
        texts += FoldAscii(c);
}

std::uint32_t ExtensionIndex::Find(const char* extension, std::size_t length) const {
    if (slots.empty())
        return kNotFound;
    const std::uint32_t hash = FoldedHash(extension, length);
    const std::size_t mask = slots.size() - 1;
    for (std::size_t at = hash & mask; slots[at].key != kNotFound; at = (at + 1) & mask) {
        const Key& key = keys[slots[at].key];
        if (slots[at].hash == hash &&
            SameFolded(texts.data() + key.offset, key.length, extension, length))
            return key.groupPosition;
    }
    return kNotFound;
}

void ExtensionIndex::Grow() {
    std::vector<Slot> old = std::move(slots);
    slots.assign(old.empty() ? 16 : old.size() * 2, Slot{});
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
