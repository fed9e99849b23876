// Marks the functions a host may look up in the built plugin. On Windows the
// export list is plugin/Lumbrasket.def (names with fixed ordinals), which the
// link-time optimiser does not read: the functions are kept and kept visible
// by attribute, without a second export directive of their own. On Linux
// everything is hidden by default and these few are made visible.
#pragma once

#ifdef _WIN32
#define LUMBRASKET_EXPORT __attribute__((used, externally_visible))
#else
#define LUMBRASKET_EXPORT __attribute__((visibility("default")))
#endif
