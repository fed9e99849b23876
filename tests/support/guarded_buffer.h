// A buffer with guard bytes around the capacity under test, so a write past
// either end shows.
#pragma once

#include <cstddef>
#include <cstring>

struct GuardedBuffer {
    static constexpr std::size_t kRoom = 300;
    char bytes[kRoom + 2];
    explicit GuardedBuffer(char fill = '#') { std::memset(bytes, fill, sizeof(bytes)); }
    char* data() { return bytes + 1; }
    bool GuardsIntact(std::size_t capacity) const {
        return bytes[0] == '#' && bytes[1 + capacity] == '#';
    }
};
