// What the index of name masks must answer, found the plain way: every mask
// of every group, in number order and list order, through the matcher. For
// the differential tests and the fuzz target.
#pragma once

#include "groups/group_catalog.h"
#include "platform/text/name_pattern.h"

#include <string_view>

struct MaskWalkAnswer {
    std::size_t groupPosition; // the groups' count when no mask matches
    std::string_view mask;     // the deciding mask, a view of the catalog's own text
};

inline MaskWalkAnswer WalkMasks(const GroupCatalog& catalog, std::string_view name) {
    const std::vector<FileGroup>& groups = catalog.Groups();
    for (std::size_t position = 0; position < groups.size(); ++position) {
        std::string_view found;
        if (!groups[position].masks.ForEachPiece([&](std::string_view mask) {
                found = mask;
                return !MatchesNamePattern(mask.data(), mask.size(), name.data(), name.size());
            }))
            return MaskWalkAnswer{position, found};
    }
    return MaskWalkAnswer{groups.size(), std::string_view()};
}

// Whether the catalog's lookup names the same group and the same mask (the
// very piece of the list, not an equal text elsewhere) as the plain walk.
inline bool LookupAgreesWithWalk(const GroupCatalog& catalog, std::string_view name) {
    const MaskWalkAnswer expected = WalkMasks(catalog, name);
    GroupReason reason{GroupReason::kFallback, std::string_view()};
    // No extension: a name no mask matches falls to the fallback group.
    const GroupMatch match =
        catalog.FindGroupOfFile(name.data(), name.size(), name.data() + name.size(), 0, &reason);
    if (expected.groupPosition == catalog.Groups().size())
        return reason.kind != GroupReason::kMask;
    return reason.kind == GroupReason::kMask &&
           match.number == catalog.Groups()[expected.groupPosition].number &&
           reason.text.data() == expected.mask.data() && reason.text.size() == expected.mask.size();
}
