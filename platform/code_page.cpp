// Stepping through a text by its characters, through the C runtime's
// multibyte step; reading and switching the code page is each system's own
// (linux/code_page.cpp, windows/code_page.cpp).
#include "platform/code_page.h"

#include "platform/win32.h"

const char* NextCharacter(const char* text) {
    if (*text == '\0')
        return text;
    const char* next =
        reinterpret_cast<const char*>(_mbsinc(reinterpret_cast<const unsigned char*>(text)));
    return next > text + 1 && text[1] == '\0' ? text + 1 : next;
}
