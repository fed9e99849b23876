// Windows: the C runtime's multibyte code page, read and switched through the
// runtime's own calls.
#include "platform/code_page.h"

#include "platform/win32.h"

int MultibyteCodePage() {
    return _getmbcp();
}
int AnsiCodePage() {
    return static_cast<int>(GetACP());
}
bool AsciiIsNeverATrailByte() {
    // The C runtime's multibyte code page is 0 while it is single-byte.
    return _getmbcp() == 0;
}
bool SetMultibyteCodePage(int codePage) {
    return _setmbcp(codePage) == 0;
}
