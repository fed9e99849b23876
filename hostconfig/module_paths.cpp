// Module paths and resource extraction over the platform's module, resource
// and file calls.
#include "module_paths.h"

#include "bounded_string.h"
#include "path_spelling.h"
#include "settings_location.h"
#include "text_search.h"

#include <cstring>

std::int32_t BuildSettingsPath(std::int32_t kind, HMODULE module, const char* baseName,
                               const char* referencePath, char* output, std::int32_t outputCapacity,
                               const char* subdirectory) {
    if (kind < kSettingsBesideHostSettings || kind > kSettingsBesideProgram)
        return kind;
    const std::size_t capacity =
        static_cast<std::size_t>(static_cast<std::uint32_t>(outputCapacity));
    char modulePath[kPathBufferSize] = {};
    const char* source = referencePath;
    if (kind == kSettingsBesideModule || kind == kSettingsBesideProgram) {
        DWORD length = GetModuleFileNameA(kind == kSettingsBesideModule ? module : nullptr,
                                          modulePath, kPathBufferSize);
        if (length == 0 || length >= kPathBufferSize)
            modulePath[0] = '\0';
        source = modulePath;
    }
    if (capacity == 0 || capacity > kMaxCapacity)
        return kStatusInvalidArgument;
    // Without a separator there is no folder to put the file in: the output
    // stays as it was rather than holding a bare name.
    const FolderCut folder = CutToFolder(source, output, capacity);
    if (folder == kNoFolder)
        return kStatusInvalidArgument;
    Status status = folder == kFolderCut ? kStatusSuccess : kStatusInsufficientBuffer;
    if (status == kStatusSuccess && kind == kSettingsInHostSubfolder) {
        status = BoundedAppend(output, capacity, subdirectory);
        if (status == kStatusSuccess)
            status = BoundedAppend(output, capacity, kPathSeparatorText);
    }
    if (status == kStatusSuccess)
        status = BoundedAppend(output, capacity, baseName);
    if (status == kStatusSuccess)
        status = BoundedAppend(output, capacity, ".ini");
    // The first step that did not fit decides: a cut path is never reported
    // as a path.
    return status;
}

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
