// Reading and switching the C runtime's multibyte code page.
#include "code_page.h"

#ifdef _WIN32
#include "win32.h"

int MultibyteCodePage() {
    return _getmbcp();
}
bool SetMultibyteCodePage(int codePage) {
    return _setmbcp(codePage) == 0;
}

#else

int MultibyteCodePage() {
    return kUtf8CodePage;
}
bool SetMultibyteCodePage(int codePage) {
    return codePage == kUtf8CodePage;
}

#endif
