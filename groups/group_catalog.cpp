// GroupCatalog's state and its lookup. There is no index: a lookup compares
// the extension with every stored one in order until the first match, which
// for the few dozen extensions of a settings file is cheaper than any map.
#include "group_catalog.h"

#include <cstring>

namespace {

char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Equal length and equal bytes, with only 'A'..'Z' folded: bytes of 128 and
// above match themselves alone, whatever letter the code page makes of them.
bool SameExtension(const std::string& stored, const char* extension, std::size_t length) {
    if (stored.size() != length)
        return false;
    for (std::size_t i = 0; i < length; ++i)
        if (FoldAscii(stored[i]) != FoldAscii(extension[i]))
            return false;
    return true;
}

} // namespace

GroupCatalog::GroupCatalog() : current{2147483647, std::string()}, loaded(false) {}

const GroupMatch& GroupCatalog::FindGroup(const char* extension) {
    const std::size_t length = std::strlen(extension);
    for (const FileGroup& group : groups) {
        for (const std::string& stored : group.extensions) {
            if (SameExtension(stored, extension, length)) {
                current.name = group.name;
                current.number = group.number;
                return current;
            }
        }
    }
    current.number = static_cast<std::int32_t>(groups.size());
    current.name = fallbackName;
    return current;
}

std::uint64_t GroupCatalog::GroupCountWithFallback() const {
    return static_cast<std::uint64_t>(groups.size()) + 1;
}
