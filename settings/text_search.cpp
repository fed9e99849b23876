// The multibyte-aware text operations, over the C runtime's _mbs* routines
// (platform/ provides them on Linux for UTF-8 text).
#include "settings/text_search.h"

#include "settings/bounded_string.h"
#include "platform/win32.h"

namespace {
const unsigned char* Bytes(const char* text) {
    return reinterpret_cast<const unsigned char*>(text);
}
const char* Chars(const unsigned char* text) {
    return reinterpret_cast<const char*>(text);
}
} // namespace

const char* FindLastChar(const char* text, unsigned int character) {
    return Chars(_mbsrchr(Bytes(text), character));
}

const char* FindChar(const char* text, unsigned int character) {
    return Chars(_mbschr(Bytes(text), character));
}

const char* FindSubstring(const char* text, const char* sought) {
    return Chars(_mbsstr(Bytes(text), Bytes(sought)));
}

int CompareNoCase(const char* a, const char* b) {
    int order = _mbsicmp(Bytes(a), Bytes(b));
    if (order == _NLSCMPERROR)
        return kCompareError;
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

char* ToLowerInPlace(char* text) {
    return reinterpret_cast<char*>(_mbslwr(reinterpret_cast<unsigned char*>(text)));
}

std::int32_t ToLowerInPlace(char* text, std::size_t size) {
    std::size_t length = 0;
    if (size == 0)
        return kStatusInvalidArgument;
    if (BoundedLength(text, size, &length) != kStatusSuccess) {
        text[0] = '\0';
        return kStatusInvalidArgument;
    }
    return ToLowerInPlace(text) != nullptr ? kStatusSuccess : kStatusInvalidArgument;
}
