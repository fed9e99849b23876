// The groups of the sample settings file (examples/Lumbrasket.ini), held in
// the tool so that `lumbrasket init` gives the house's kinds first: every
// pattern the sample lists takes the sample's kind, and a system's own type
// database adds the patterns the sample is silent on.
#pragma once

#include "tools/init/type_records.h"

#include <cstddef>

struct SampleGroup {
    const char* name;
    const char* extensions; // '|' between them, as the settings file writes them
    const char* masks;
};

extern const SampleGroup kSampleGroups[];
extern const std::size_t kSampleGroupCount;

// The weight of the sample's records: above the 100 that a database gives a
// pattern at most, so the sample wins every pattern it lists.
constexpr int kSampleWeight = 1000;

// Appends the sample's patterns as records of kSampleWeight, each of its
// group's kind.
void AddSampleGroups(TypeDatabase& database);
