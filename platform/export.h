// Marks the functions a host may look up in the built plugin. On Windows the
// export list is plugin/Lumbrasket.def (names with fixed ordinals); on Linux
// everything is hidden by default and these few are made visible.
#pragma once

#ifdef _WIN32
#define LUMBRASKET_EXPORT
#else
#define LUMBRASKET_EXPORT __attribute__((visibility("default")))
#endif
