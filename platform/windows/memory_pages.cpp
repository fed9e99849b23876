// Windows: PrepareToFill does nothing. The system has no call that maps a
// private buffer's pages ahead of their first touch.
#include "platform/memory_pages.h"

void PrepareToFill(void*, std::size_t) {}
