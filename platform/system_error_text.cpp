// The words for a system error code: Windows has them in its message table;
// on Linux the codes this layer sets are few, and their words are here.
#include "system_error_text.h"

#ifndef _WIN32
#include "linux/last_error.h"
#endif

namespace {

std::string WithCode(std::string text, DWORD error) {
    // The message table ends a text with a full stop and a line break.
    while (!text.empty() &&
           (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.'))
        text.pop_back();
    const std::string code = "system error " + std::to_string(error);
    return text.empty() ? code : text + " (" + code + ")";
}

} // namespace

#ifdef _WIN32

std::string SystemErrorText(DWORD error) {
    char text[512] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                   text, sizeof(text), nullptr);
    // Some texts name their file by an insert ("%1 is not a valid ..."),
    // which no caller here fills: it reads as "the file".
    std::string words = text;
    for (std::size_t at = words.find("%1"); at != std::string::npos; at = words.find("%1", at))
        words.replace(at, 2, "the file");
    return WithCode(words, error);
}

#else

std::string SystemErrorText(DWORD error) {
    if (error == GetLastError() && LastErrorText() != nullptr)
        return WithCode(LastErrorText(), error);
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
        return WithCode("The file does not exist", error);
    case ERROR_PATH_NOT_FOUND:
        return WithCode("The path does not exist", error);
    case ERROR_ACCESS_DENIED:
        return WithCode("Access is denied", error);
    case ERROR_FILENAME_EXCED_RANGE:
        return WithCode("The file name is too long", error);
    case ERROR_CANT_RESOLVE_FILENAME:
        return WithCode("The name of the file cannot be resolved by the system", error);
    case ERROR_MOD_NOT_FOUND:
        return WithCode("The library could not be loaded", error);
    case ERROR_PROC_NOT_FOUND:
        return WithCode("The library lacks the function", error);
    default:
        return WithCode("", error);
    }
}

#endif
