// The two fields the plugin publishes, indexed by the host's field index.
#pragma once

#include "plugin/content_interface.h"

struct FieldDescription {
    const char* name;
    int type;
};

constexpr FieldDescription kFieldTable[] = {
    {"Group number", kFieldNumeric32},
    {"Group name", kFieldString},
};
constexpr int kFieldCount = sizeof(kFieldTable) / sizeof(kFieldTable[0]);
