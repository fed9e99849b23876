// Linux: the C runtime's multibyte string routines for UTF-8 text. In UTF-8
// every byte of a multibyte character is 128 or above, so an ASCII character
// sought is found byte by byte and never inside another character, and case
// mapping of ASCII letters is all that Windows' single-byte rules would do.
#include "platform/text/ascii.h"
#include "platform/win32.h"
#include <cstring>

const unsigned char* _mbschr(const unsigned char* text, unsigned int c) {
    return reinterpret_cast<const unsigned char*>(
        std::strchr(reinterpret_cast<const char*>(text), static_cast<int>(c & 0xFF)));
}

const unsigned char* _mbsrchr(const unsigned char* text, unsigned int c) {
    return reinterpret_cast<const unsigned char*>(
        std::strrchr(reinterpret_cast<const char*>(text), static_cast<int>(c & 0xFF)));
}

const unsigned char* _mbsstr(const unsigned char* text, const unsigned char* sought) {
    return reinterpret_cast<const unsigned char*>(
        std::strstr(reinterpret_cast<const char*>(text), reinterpret_cast<const char*>(sought)));
}

int _mbsicmp(const unsigned char* a, const unsigned char* b) {
    for (;; ++a, ++b) {
        unsigned char x = static_cast<unsigned char>(FoldAscii(static_cast<char>(*a)));
        unsigned char y = static_cast<unsigned char>(FoldAscii(static_cast<char>(*b)));
        if (x != y)
            return x < y ? -1 : 1;
        if (x == 0)
            return 0;
    }
}

unsigned char* _mbslwr(unsigned char* text) {
    for (unsigned char* p = text; *p != 0; ++p)
        *p = static_cast<unsigned char>(FoldAscii(static_cast<char>(*p)));
    return text;
}
unsigned char* _mbsinc(const unsigned char* text) {
    const unsigned char* next = *text != 0 ? text + 1 : text;
    while ((*next & 0xC0) == 0x80)
        ++next;
    return const_cast<unsigned char*>(next);
}
