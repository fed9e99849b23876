// Windows: entries made through the wide-character calls, their paths
// converted as a host converts them, '?' for what the code page lacks.
#include "tests/plugin/host_names.h"

#include "platform/win32.h"

namespace {

std::wstring Wide(const std::string& text, UINT codePage) {
    const int size = MultiByteToWideChar(codePage, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 1), L'\0');
    MultiByteToWideChar(codePage, 0, text.c_str(), -1, &wide[0], size);
    wide.resize(wide.size() - 1);
    return wide;
}

// The folders of the path first, each made if `make`.
std::wstring WidePath(const std::string& root, const std::string& utf8Relative, bool make) {
    std::wstring path = Wide(root, CP_ACP);
    for (std::size_t start = 0;;) {
        const std::size_t end = utf8Relative.find('/', start);
        path += L'\\' + Wide(utf8Relative.substr(start, end - start), CP_UTF8);
        if (end == std::string::npos)
            return path;
        if (make)
            CreateDirectoryW(path.c_str(), nullptr);
        start = end + 1;
    }
}

} // namespace

int HostCodePage() {
    return static_cast<int>(GetACP());
}

std::string HostPathOf(const std::string& root, const std::string& utf8Relative) {
    const std::wstring path = WidePath(root, utf8Relative, false);
    char host[MAX_PATH];
    if (WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, host, MAX_PATH, "?", nullptr) == 0)
        return "";
    return host;
}

bool MakeEntryByUnicodeName(const std::string& root, const std::string& utf8Relative, bool folder) {
    const std::wstring path = WidePath(root, utf8Relative, true);
    if (folder)
        return CreateDirectoryW(path.c_str(), nullptr) != 0;
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}
