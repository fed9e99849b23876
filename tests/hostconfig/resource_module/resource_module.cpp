// A small module for the tests of module paths and resource extraction. On
// Windows it carries sample.ini as resource 7 of type "INI".
#include "platform/export.h"

extern "C" LUMBRASKET_EXPORT int ResourceModuleMarker() {
    return 7;
}
