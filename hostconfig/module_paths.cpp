// Module paths and resource extraction over the platform's module, resource
// and file calls.
#include "hostconfig/module_paths.h"

#include "settings/bounded_string.h"
#include "platform/text/path_spelling.h"

#include <cstring>

std::uint32_t ModuleFilePath(const char* moduleName, char* output) {
    HMODULE module = GetModuleHandleA(moduleName);
    if (module == nullptr)
        return 0;
    return GetModuleFileNameA(module, output, kPathBufferSize);
}

char* ModuleDirectory(const char* moduleName, char* output) {
    if (moduleName == nullptr)
        return nullptr;
    char path[kPathBufferSize] = {};
    DWORD length = ModuleFilePath(moduleName, path);
    const std::size_t nameLength = std::strlen(moduleName);
    // The cut needs the name to be the path's last component, after a
    // separator; anything else would cut outside the path or mid-name.
    if (length == 0 || length >= kPathBufferSize || nameLength + 1 > length ||
        !IsPathSeparator(path[length - nameLength - 1]))
        return nullptr;
    path[length - nameLength - 1] = '\0';
    BoundedCopy(output, kPathBufferSize, path);
    return output;
}

std::int32_t ExtractResourceToFile(HMODULE module, std::uint16_t resourceId, const char* path) {
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(resourceId), "INI");
    DWORD size = resource != nullptr ? SizeofResource(module, resource) : 0;
    HGLOBAL loaded = resource != nullptr ? LoadResource(module, resource) : nullptr;
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;

    HANDLE file =
        CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    if (bytes != nullptr && size > 0) {
        DWORD written = 0;
        WriteFile(file, bytes, size, &written, nullptr);
    }
    return CloseHandle(file) ? 1 : 0;
}
