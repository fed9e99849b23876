// GroupCatalog's lookup: the few name masks in number order first, then the
// extension through the index built while the groups are added.
#include "group_catalog.h"

#include "ascii.h"
#include "name_pattern.h"
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

GroupMatch GroupCatalog::FindGroupOfFile(const char* name, std::size_t nameLength,
                                         const char* extension, std::size_t extensionLength,
                                         GroupReason* reason) const {
    for (std::uint32_t position : maskedGroups) {
        std::string_view matched;
        if (!groups[position].masks.ForEachPiece([&](std::string_view mask) {
                matched = mask;
                return !MatchesNamePattern(mask.data(), mask.size(), name, nameLength);
            })) {
            if (reason != nullptr)
                *reason = GroupReason{GroupReason::kMask, matched};
            return GroupMatch{groups[position].number, groups[position].name};
        }
    }
    const std::uint32_t position = index.Find(extension, extensionLength);
    if (position == ExtensionIndex::kNotFound) {
        if (reason != nullptr)
            *reason = GroupReason{GroupReason::kFallback, std::string_view()};
        return GroupMatch{static_cast<std::int32_t>(groups.size()), fallbackName};
    }
    if (reason != nullptr) {
        *reason = GroupReason{GroupReason::kExtension, std::string_view()};
        groups[position].extensions.ForEachPiece([&](std::string_view listed) {
            if (!SameIgnoringAsciiCase(listed.data(), listed.size(), extension, extensionLength))
                return true;
            reason->text = listed;
            return false;
        });
    }
    return GroupMatch{groups[position].number, groups[position].name};
}

std::uint64_t GroupCatalog::GroupCountWithFallback() const {
    return static_cast<std::uint64_t>(groups.size()) + 1;
}
