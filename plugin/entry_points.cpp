// The plugin's whole boundary with its host: the four exported functions and
// the load-time entry. For a file the host names, the extension is cut from
// its path and looked up in the one process-wide group catalog, which is
// loaded from the settings file on the host's first field request.
//
// Hosts call from several threads (panel workers, background value requests),
// so the one-time load, the lookup and the copy of its shared answer run under
// the process-wide lock. Every copy into a host buffer is bounded by 260 and by
// the size the host gives, whichever is smaller.
#include "content_interface.h"
#include "export.h"
#include "extension.h"
#include "field_table.h"
#include "group_catalog.h"
#include "process_lock.h"
#include "settings_location.h"

#include "bounded_string.h"
#include <cstring>
#include <new>

namespace {

const char* const kPluginName = "Lumbrasket";

HMODULE ModuleHandle = nullptr;
char SettingsPath[kPathBufferSize] = {};
GroupCatalog Catalog;

// The room a host buffer offers a text: 260 bytes at most, less when the host
// says its buffer is smaller (one host passes 256 for field names), none when
// it gives no size.
std::size_t HostCapacity(int maxlen) {
    if (maxlen <= 0)
        return 0;
    return static_cast<std::size_t>(maxlen) < kPathBufferSize ? static_cast<std::size_t>(maxlen)
                                                              : kPathBufferSize;
}

} // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE module, DWORD, LPVOID) {
    ModuleHandle = module;
    return TRUE;
}

LUMBRASKET_EXPORT int WINAPI ContentGetSupportedField(int fieldIndex, char* fieldName, char* units,
                                                      int maxlen) {
    if (fieldIndex < 0 || fieldIndex >= kFieldCount)
        return kFieldNoMoreFields;
    {
        ProcessLock lock;
        if (!Catalog.IsLoaded()) {
            // Out of memory while loading: the catalog stays unloaded and the
            // next request tries again; the host must never see an exception.
            try {
                Catalog.LoadGroups(std::string(SettingsPath));
            } catch (const std::bad_alloc&) {
            }
        }
    }
    const std::size_t capacity = HostCapacity(maxlen);
    BoundedCopy(fieldName, capacity, kFieldTable[fieldIndex].name);
    if (capacity > 0)
        units[0] = '\0';
    return kFieldTable[fieldIndex].type;
}

LUMBRASKET_EXPORT int WINAPI ContentGetValue(char* fileName, int fieldIndex, int, void* fieldValue,
                                             int maxlen, int) {
    // A directory, and a path whose attributes cannot be read (all bits set),
    // have no group.
    if ((GetFileAttributesA(fileName) & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return kFieldEmpty;
    char extension[kPathBufferSize] = {};
    ExtractExtension(fileName, extension);

    ProcessLock lock;
    try {
        const GroupMatch& match = Catalog.FindGroup(extension);
        if (fieldIndex == 0) {
            if (maxlen < static_cast<int>(sizeof(std::int32_t)))
                return kFieldEmpty;
            std::memcpy(fieldValue, &match.number, sizeof(std::int32_t));
            return kFieldNumeric32;
        }
        if (fieldIndex == 1) {
            const std::size_t capacity = HostCapacity(maxlen);
            if (capacity == 0)
                return kFieldEmpty;
            BoundedCopy(static_cast<char*>(fieldValue), capacity, match.name.c_str());
            return kFieldString;
        }
    } catch (const std::bad_alloc&) {
    }
    return kFieldEmpty;
}

LUMBRASKET_EXPORT int WINAPI ContentSetDefaultParams(ContentDefaultParams* params) {
    if (params == nullptr)
        return kSettingsNotFound;
    ProcessLock lock;
    return LocateSettingsFile(ModuleHandle, kPluginName, params->defaultIniName, SettingsPath,
                              static_cast<int>(kPathBufferSize));
}

LUMBRASKET_EXPORT int WINAPI ContentShowConfigDialog(HWND) {
    return MessageBoxA(nullptr, "", "", MB_OK);
}

} // extern "C"
