// UTF-8 read as the standard defines it, for the name patterns and the
// display width alike.
#include "platform/text/utf8.h"

// The end of the well-formed UTF-8 sequence at `at` (the standard's byte
// ranges: no overlong form, no surrogate, nothing above U+10FFFF), else
// at + 1: a byte that starts no such sequence is a character of its own.
const char* Utf8CharacterEnd(const char* at, const char* end) {
    const unsigned char lead = static_cast<unsigned char>(at[0]);
    long length = 0;
    unsigned char low = 0x80; // the second byte's range
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    }
    if (length == 0 || end - at < length)
        return at + 1;
    const unsigned char second = static_cast<unsigned char>(at[1]);
    if (second < low || second > high)
        return at + 1;
    for (long i = 2; i < length; ++i)
        if ((static_cast<unsigned char>(at[i]) & 0xC0) != 0x80)
            return at + 1;
    return at + length;
}

std::uint32_t Utf8Character(const char* at, const char* end) {
    const char* const next = Utf8CharacterEnd(at, end);
    const unsigned char lead = static_cast<unsigned char>(at[0]);
    const long length = next - at;
    if (length == 1)
        return lead < 0x80 ? lead : kNoCharacter;
    std::uint32_t c = lead & (0x7F >> length);
    for (const char* byte = at + 1; byte < next; ++byte)
        c = c << 6 | (static_cast<unsigned char>(*byte) & 0x3F);
    return c;
}
