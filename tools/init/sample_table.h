// The groups of the sample settings file (examples/Lumbrasket.ini), held in
// the tool so that `lumbrasket init` can fill in where a system's own type
// database knows little.
#pragma once

#include "type_records.h"

#include <cstddef>

struct SampleGroup {
    const char* name;
    const char* extensions; // '|' between them, as the settings file writes them
    const char* masks;
};

extern const SampleGroup kSampleGroups[];
extern const std::size_t kSampleGroupCount;

// Appends the sample's patterns as records of the given weight, each of its
// group's kind.
void AddSampleGroups(TypeDatabase& database, int weight);
