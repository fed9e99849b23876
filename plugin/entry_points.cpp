// The plugin's whole boundary with its host: the four exported functions and
// the load-time entry. For a file the host names, its name and extension are
// cut from its path and looked up in the one process-wide group catalog,
// which is loaded from the settings file on the host's first field request.
//
// Hosts call from several threads (panel workers, background value requests).
// The one-time load runs under the process-wide lock and then publishes the
// catalog (release); a value request reads the published catalog (acquire)
// and takes no lock, allocates nothing and copies only the answer. A settings
// file with ReloadWhenChanged=1 has its edits replace the published catalog
// (watched_catalog.h). Every copy into a host buffer is bounded by 260 and by
// the size the host gives, whichever is smaller.
#include "plugin/content_interface.h"
#include "platform/export.h"
#include "plugin/file_name.h"
#include "plugin/field_table.h"
#include "groups/group_catalog.h"
#include "platform/host_policy.h"
#include "platform/process_lock.h"
#include "plugin/replaced_name_search.h"
#include "settings/settings_location.h"

#include "settings/bounded_string.h"
#include "platform/coarse_clock.h"
#include "settings/plugin_name.h"
#include "plugin/watched_catalog.h"
#include <cstring>
#include <new>

namespace {

HMODULE ModuleHandle = nullptr;
char SettingsPath[kPathBufferSize] = {};
GroupCatalog Catalog;
// The catalog once it is loaded, or the one that replaced it after an edit;
// until then values come from the empty catalog, which a load never touches.
WatchedCatalog Published(CoarseMilliseconds, SystemFileTime);
const GroupCatalog EmptyCatalog;

// The room a host buffer offers a text: 260 bytes at most, less when the host
// says its buffer is smaller (one host passes 256 for field names), none when
// it gives no size.
std::size_t HostCapacity(int maxlen) {
    if (maxlen <= 0)
        return 0;
    return static_cast<std::size_t>(maxlen) < kPathBufferSize ? static_cast<std::size_t>(maxlen)
                                                              : kPathBufferSize;
}

void LoadOnce() {
    if (Published.PublishedWord() != 0)
        return;
    ProcessLock lock;
    if (Catalog.IsLoaded())
        return;
    // Out of memory while loading: the catalog stays unloaded and the next
    // request tries again; the host must never see an exception.
    try {
        // Seen before it is read: an edit saved during the read is a change.
        const SettingsFileView seen = ViewSettingsFile(SettingsPath);
        Catalog.LoadGroups(std::string(SettingsPath));
        Published.PublishFirst(Catalog, seen);
    } catch (const std::bad_alloc&) {
        Catalog = GroupCatalog();
    }
}

} // namespace

extern "C" {

// Always TRUE; keeps the module's handle.
BOOL WINAPI DllMain(HINSTANCE module, DWORD, LPVOID) {
    ModuleHandle = module;
    return TRUE;
}

// The field's type, with its name in `fieldName`, or kFieldNoMoreFields past
// the last field. The first field request loads the catalog.
LUMBRASKET_EXPORT int WINAPI ContentGetSupportedField(int fieldIndex, char* fieldName, char* units,
                                                      int maxlen) {
    if (fieldIndex < 0 || fieldIndex >= kFieldCount)
        return kFieldNoMoreFields;
    LoadOnce();
    const std::size_t capacity = HostCapacity(maxlen);
    BoundedCopy(fieldName, capacity, kFieldTable[fieldIndex].name);
    if (capacity > 0)
        units[0] = '\0';
    return kFieldTable[fieldIndex].type;
}

// The field's type, with the file's group number or name in `fieldValue`,
// or kFieldEmpty for a folder, a path that names no file, an unknown field
// or a buffer too small.
// Answers from the catalog published by the host's first field request
// (ContentGetSupportedField loads it): before that request, every file gets
// the empty catalog's fallback group, as a host that asks for values first
// would see.
LUMBRASKET_EXPORT int WINAPI ContentGetValue(char* fileName, int fieldIndex, int, void* fieldValue,
                                             int maxlen, int) {
    if (fieldIndex != 0 && fieldIndex != 1)
        return kFieldEmpty;
    // A directory, and a path whose attributes cannot be read (all bits set),
    // have no group; unless the host converted characters its code page
    // lacks ('?', or a look-alike letter) and the name so read is a file's.
    const DWORD attributes = GetFileAttributesA(fileName);
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
        !(attributes == INVALID_FILE_ATTRIBUTES && kHostNamesMayHoldReplacedCharacters &&
          ReplacedNameIsFile(fileName)))
        return kFieldEmpty;
    const CatalogReader reader(Published);
    const GroupCatalog& catalog = reader.Catalog(EmptyCatalog);
    const FileNameParts parts = SplitFileName(fileName, catalog.HasMasks());
    const GroupMatch match = catalog.FindGroupOfFile(parts.name, parts.nameLength, parts.extension,
                                                     parts.extensionLength);
    if (fieldIndex == 0) {
        if (maxlen < static_cast<int>(sizeof(std::int32_t)))
            return kFieldEmpty;
        std::memcpy(fieldValue, &match.number, sizeof(std::int32_t));
        return kFieldNumeric32;
    }
    const std::size_t capacity = HostCapacity(maxlen);
    if (capacity == 0)
        return kFieldEmpty;
    // The name's length is known: one copy, cut to the room there is. A
    // memmove stays a call into the C library, which copies a short name
    // faster than the string instruction a compiler puts in place of a
    // memcpy whose size it knows to be small.
    const std::size_t length = match.name.size() < capacity ? match.name.size() : capacity - 1;
    std::memmove(fieldValue, match.name.data(), length);
    static_cast<char*>(fieldValue)[length] = '\0';
    return kFieldString;
}

// The place where the plugin's settings file was found, or kSettingsNotFound.
LUMBRASKET_EXPORT int WINAPI ContentSetDefaultParams(ContentDefaultParams* params) {
    if (params == nullptr)
        return kSettingsNotFound;
    ProcessLock lock;
    Published.SetPlaces(ModuleHandle, kPluginName, params->defaultIniName);
    return LocateSettingsFile(ModuleHandle, kPluginName, params->defaultIniName, SettingsPath,
                              static_cast<int>(kPathBufferSize));
}

// The answer of the empty message box it shows.
LUMBRASKET_EXPORT int WINAPI ContentShowConfigDialog(HWND) {
    return MessageBoxA(nullptr, "", "", MB_OK);
}

} // extern "C"
