// GroupCatalog's lookup: the name masks through their index first, then the
// extension through the index built while the groups are added.
#include "groups/group_catalog.h"

#include "platform/text/ascii.h"
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
    if (!masks.Empty()) {
        const std::uint32_t rank = masks.Find(name, nameLength);
        if (rank != MaskIndex::kNone) {
            const FileGroup& group = groups[masks.GroupOf(rank)];
            if (reason != nullptr)
                *reason = GroupReason{GroupReason::kMask, masks.TextOf(rank)};
            return GroupMatch{group.number, group.name};
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
