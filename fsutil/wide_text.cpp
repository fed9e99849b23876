// 16-bit bounded copy and substring search.
#include "fsutil/wide_text.h"

Status BoundedCopyWide(char16_t* destination, std::size_t capacity, const char16_t* source) {
    if (capacity == 0 || capacity > kMaxCapacity)
        return kStatusInvalidArgument;
    std::size_t room = capacity;
    std::size_t limit = 0x7FFFFFFE;
    while (room > 0 && limit > 0 && *source != u'\0') {
        *destination++ = *source++;
        --room;
        --limit;
    }
    Status status = kStatusSuccess;
    if (room == 0) {
        --destination;
        status = kStatusInsufficientBuffer;
    }
    *destination = u'\0';
    return status;
}

const char16_t* FindSubstringWide(const char16_t* text, const char16_t* pattern) {
    for (const char16_t* start = text;; ++start) {
        const char16_t* a = start;
        const char16_t* b = pattern;
        while (*b != u'\0' && *a == *b) {
            ++a;
            ++b;
        }
        if (*b == u'\0')
            return start;
        if (*start == u'\0')
            return nullptr;
    }
}
