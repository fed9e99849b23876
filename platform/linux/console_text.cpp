// Linux: a terminal reads the same UTF-8 that names are in.
#include "platform/console_text.h"

bool WriteConsoleText(std::FILE* stream, const std::string& text) {
    return std::fwrite(text.data(), 1, text.size(), stream) == text.size();
}
