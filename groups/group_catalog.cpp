// GroupCatalog's lookup, through the index built while the groups are added.
#include "group_catalog.h"

#include <cstring>

GroupMatch GroupCatalog::FindGroup(const char* extension) const {
    return FindGroup(extension, std::strlen(extension));
}

GroupMatch GroupCatalog::FindGroup(const char* extension, std::size_t length) const {
    const std::uint32_t position = index.Find(extension, length);
    if (position != ExtensionIndex::kNotFound)
        return GroupMatch{groups[position].number, groups[position].name};
    return GroupMatch{static_cast<std::int32_t>(groups.size()), fallbackName};
}

std::uint64_t GroupCatalog::GroupCountWithFallback() const {
    return static_cast<std::uint64_t>(groups.size()) + 1;
}
