// Reading the file types of the Windows registry: the extension keys of
// HKEY_CLASSES_ROOT (".pdf" and the like) with their PerceivedType and
// Content Type values.
#pragma once

#include "tools/init/type_records.h"
#include "platform/win32.h"

// A record "*.ext" for every extension key under `classes` whose
// PerceivedType, or else whose Content Type, the kind table knows; the
// others are counted in typesLeftWithoutKind and given a record without a
// pattern or a kind. `classesName` says in the
// opening comment where the keys were read.
TypeDatabase ReadRegistryTypes(HKEY classes, const char* classesName);
