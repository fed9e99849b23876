// Linux: text is UTF-8, and stays so whatever a caller asks.
#include "platform/code_page.h"

int MultibyteCodePage() {
    return kUtf8CodePage;
}
int AnsiCodePage() {
    return kUtf8CodePage;
}
bool AsciiIsNeverATrailByte() {
    return true;
}
bool SetMultibyteCodePage(int codePage) {
    return codePage == kUtf8CodePage;
}
