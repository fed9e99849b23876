// The bounded-string operations against a plain model: for any capacity,
// source and count, the same text, the same status, and not a byte written
// outside the buffer (guard bytes on both sides).
#include "settings/bounded_string.h"
#include "tests/fuzz/fuzz_input.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "finding: %s\n", what);
        std::abort();
    }
}

constexpr std::size_t kGuard = 16;

struct Guarded {
    explicit Guarded(std::size_t capacity, const std::string& start) : capacity(capacity) {
        std::memset(bytes, '#', sizeof(bytes));
        std::memcpy(bytes + kGuard, start.c_str(), std::min(start.size() + 1, capacity));
        if (capacity > 0)
            bytes[kGuard + capacity - 1] = '\0';
    }
    char* Text() { return bytes + kGuard; }
    bool GuardsIntact() const {
        for (std::size_t i = 0; i < kGuard; ++i)
            if (bytes[i] != '#' || bytes[kGuard + capacity + i] != '#')
                return false;
        return true;
    }
    std::size_t capacity;
    char bytes[kGuard + 256 + kGuard];
};

// The model: append at most `count` bytes of `source` to `text` within
// `capacity`; a result that does not fit is cut to capacity - 1.
Status Model(std::string& text, std::size_t capacity, const std::string& source,
             std::size_t count) {
    std::string added = source.substr(0, std::min(count, std::strlen(source.c_str())));
    text += added;
    if (text.size() + 1 > capacity) {
        text.resize(capacity - 1);
        return kStatusInsufficientBuffer;
    }
    return kStatusSuccess;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    while (!input.Empty()) {
        const std::size_t capacity = 1 + input.Byte() % 200;
        const int operation = input.Byte() % 4;
        const std::size_t count = input.Byte();
        const std::string start = input.Text(64);
        const std::string source = input.Text(255);
        Guarded buffer(capacity, start);
        std::string expected = operation < 2 ? std::string() : std::string(buffer.Text());
        Status status = 0;
        Status modelled = 0;
        switch (operation) {
        case 0:
            status = BoundedCopy(buffer.Text(), capacity, source.c_str());
            modelled = Model(expected, capacity, source, source.size());
            break;
        case 1:
            status = BoundedCopyN(buffer.Text(), capacity, source.c_str(), count);
            modelled = Model(expected, capacity, source, count);
            break;
        case 2:
            status = BoundedAppend(buffer.Text(), capacity, source.c_str());
            modelled = Model(expected, capacity, source, source.size());
            break;
        default:
            status = BoundedAppendN(buffer.Text(), capacity, source.c_str(), count);
            modelled = Model(expected, capacity, source, count);
            break;
        }
        Check(buffer.GuardsIntact(), "a write outside the buffer");
        Check(status == modelled, "a status other than the model's");
        Check(expected == buffer.Text(), "a text other than the model's");
        std::size_t length = 0;
        Check(BoundedLength(buffer.Text(), capacity, &length) == kStatusSuccess &&
                  length == expected.size(),
              "a length other than the text's");
    }
    return 0;
}
