// A system error code in words: each system's words for it
// (linux/system_error_text.cpp, windows/system_error_text.cpp) and the code.
#include "platform/system_error_text.h"

std::string SystemErrorText(DWORD error) {
    std::string text = SystemErrorWords(error);
    // The message table ends a text with a full stop and a line break.
    while (!text.empty() &&
           (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.'))
        text.pop_back();
    const std::string code = "system error " + std::to_string(error);
    if (text.empty())
        return code;
    return kSystemErrorCodesShown ? text + " (" + code + ")" : text;
}
