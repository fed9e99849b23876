// Memory a load is about to fill, faulted in at once: it serves the load of
// large tables (the load goal for 20,000 groups), nothing on the value path.
// Fresh memory costs a page fault per page at first touch, which on a
// virtual machine takes about a microsecond; one call that maps a large
// buffer's pages costs about half as much per page. Only buffers the caller
// fills whole are worth it. Below 256 KiB (kWorthACall in memory_pages.cpp),
// and on Windows always, it does nothing.
#pragma once

#include <cstddef>
#include <vector>

// Maps the pages that lie wholly within the bytes, if there are enough of
// them to be worth a call; a hint only, whose failure changes nothing.
void PrepareToFill(void* start, std::size_t bytes);

// Room in the vector for `more` elements that the caller is about to fill,
// prepared as above.
template <typename T> void ReserveToFill(std::vector<T>& items, std::size_t more) {
    items.reserve(items.size() + more);
    PrepareToFill(items.data() + items.size(), more * sizeof(T));
}
