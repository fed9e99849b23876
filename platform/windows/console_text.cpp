// Windows: to a console, the text goes as wide characters, converted from
// the ANSI code page that names arrive in; elsewhere as bytes.
#include "platform/console_text.h"

#include "platform/win32.h"

#include <io.h>
#include <vector>

bool WriteConsoleText(std::FILE* stream, const std::string& text) {
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    if (handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode) || text.empty())
        return std::fwrite(text.data(), 1, text.size(), stream) == text.size();
    const int length =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0)
        return std::fwrite(text.data(), 1, text.size(), stream) == text.size();
    std::vector<wchar_t> wide(static_cast<std::size_t>(length));
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    // What the runtime holds back must come out before what goes around it.
    std::fflush(stream);
    DWORD written = 0;
    return WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) !=
               0 &&
           written == wide.size();
}
