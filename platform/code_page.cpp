// Reading and switching the C runtime's multibyte code page, and stepping
// through a text by its characters.
#include "code_page.h"

#include "win32.h"

const char* NextCharacter(const char* text) {
    if (*text == '\0')
        return text;
    const char* next =
        reinterpret_cast<const char*>(_mbsinc(reinterpret_cast<const unsigned char*>(text)));
    return next > text + 1 && text[1] == '\0' ? text + 1 : next;
}

#ifdef _WIN32

int MultibyteCodePage() {
    return _getmbcp();
}
bool AsciiIsNeverATrailByte() {
    // The C runtime's multibyte code page is 0 while it is single-byte.
    return _getmbcp() == 0;
}
bool SetMultibyteCodePage(int codePage) {
    return _setmbcp(codePage) == 0;
}

#else

int MultibyteCodePage() {
    return kUtf8CodePage;
}
bool AsciiIsNeverATrailByte() {
    return true;
}
bool SetMultibyteCodePage(int codePage) {
    return codePage == kUtf8CodePage;
}

#endif
