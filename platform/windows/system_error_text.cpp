// Windows: the words for a system error code come from the system's message
// table.
#include "platform/system_error_text.h"

const bool kSystemErrorCodesShown = true;

std::string SystemErrorWords(DWORD error) {
    char text[512] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                   text, sizeof(text), nullptr);
    // Some texts name their file by an insert ("%1 is not a valid ..."),
    // which no caller here fills: it reads as "the file".
    std::string words = text;
    for (std::size_t at = words.find("%1"); at != std::string::npos; at = words.find("%1", at))
        words.replace(at, 2, "the file");
    return words;
}
