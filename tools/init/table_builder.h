// Turning a system's type records into the text of a Lumbrasket.ini: a
// group per kind (continued in its group's continuation keys when its lists
// pass what a value may hold), and an opening comment that names the ties
// and how each was decided, the types whose files get the fallback group,
// and what was left out and why.
#pragma once

#include "tools/init/type_records.h"

#include <cstddef>
#include <string>
#include <vector>

// The name `init` gives the fallback group.
constexpr const char* kInitFallbackName = "Other";

struct InitTable {
    std::string text;                 // the settings file, lines ended by '\n'
    std::size_t patterns = 0;         // extensions and masks written
    std::size_t groups = 0;           // group numbers written
    std::vector<std::string> leftOut; // each "glob (type): why", as the comment lists it
    std::size_t typesWithoutKind = 0;
};

// The table the database's records make, in four steps: the claims of the
// records, pattern by pattern; the winner of each; the groups' lines; the
// opening comment.
InitTable BuildInitTable(const TypeDatabase& database);
