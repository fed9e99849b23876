// Linux: module handles, module file names, run-time linking and the message
// box. A module handle is the library's link map, which glibc also hands out
// as its dlopen handle, so LoadLibraryA and the load-time entry agree on it.
#include "platform/win32.h"
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <link.h>
#include <string>
#include <strings.h>
#include <unistd.h>
#include "platform/linux/last_error.h"
#include "platform/linux/system_calls.h"

static std::string ExecutablePath() {
    char path[PATH_MAX];
    ssize_t length = System().readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (length <= 0)
        return std::string();
    return std::string(path, static_cast<size_t>(length));
}

// The first of the process's loaded modules (the program); the rest follow
// through l_next.
static link_map* FirstModule() {
    void* self = dlopen(nullptr, RTLD_LAZY | RTLD_NOLOAD);
    link_map* map = nullptr;
    if (self == nullptr || dlinfo(self, RTLD_DI_LINKMAP, &map) != 0)
        map = nullptr;
    if (self != nullptr)
        dlclose(self);
    return map;
}

// The module's entry in the loader's list, or null: only handles of
// libraries that are loaded right now are answered; any other pointer is
// refused instead of being read.
static const link_map* LoadedModule(HMODULE module) {
    for (link_map* map = FirstModule(); map != nullptr; map = map->l_next)
        if (reinterpret_cast<HMODULE>(map) == module)
            return map;
    return nullptr;
}

// The module's file path (null: the program's), or empty when it is not
// loaded or cannot be resolved.
static std::string ModulePath(HMODULE module) {
    if (module == nullptr)
        return ExecutablePath();
    const link_map* map = LoadedModule(module);
    if (map == nullptr)
        return std::string();
    if (map->l_name == nullptr || map->l_name[0] == '\0')
        return ExecutablePath();
    if (map->l_name[0] == '/')
        return map->l_name;
    char resolved[PATH_MAX];
    return System().realpath(map->l_name, resolved) != nullptr ? std::string(resolved)
                                                               : std::string();
}

DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
    std::string path = ModulePath(module);
    if (path.empty()) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    if (size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (path.size() < size) {
        std::memcpy(fileName, path.c_str(), path.size() + 1);
        SetLastError(ERROR_SUCCESS);
        return static_cast<DWORD>(path.size());
    }
    // As Windows does: cut to size - 1, terminate, and report the full size.
    std::memcpy(fileName, path.data(), size - 1);
    fileName[size - 1] = '\0';
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
}

// The handle of "Kernel32.dll", which is this layer itself: code that looks
// up a system function at run time finds the layer's own, on the same code
// path as on Windows.
static struct LinuxModule* SystemModule() {
    static char marker;
    return reinterpret_cast<HMODULE>(&marker);
}

static bool IsSystemModuleName(const char* name) {
    return strcasecmp(name, "kernel32.dll") == 0;
}

HMODULE GetModuleHandleA(LPCSTR moduleName) {
    link_map* map = FirstModule();
    if (moduleName == nullptr)
        return reinterpret_cast<HMODULE>(map);
    for (; map != nullptr; map = map->l_next) {
        // The program's own entry has no name in the link map; Windows finds
        // it under its file name, and so does this.
        const bool program = map->l_name == nullptr || map->l_name[0] == '\0';
        const std::string path = program ? ExecutablePath() : std::string(map->l_name);
        const size_t cut = path.rfind('/');
        const std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
        if (!name.empty() && name == moduleName)
            return reinterpret_cast<HMODULE>(map);
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

HMODULE LoadLibraryA(LPCSTR fileName) {
    if (fileName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (IsSystemModuleName(fileName))
        return SystemModule();
    void* handle = dlopen(fileName, RTLD_NOW | RTLD_LOCAL);
    // The loader's own reason (a missing file, a wrong format, a missing
    // symbol) says far more than the one code Windows would give.
    if (handle == nullptr)
        SetLastErrorWithText(ERROR_MOD_NOT_FOUND, dlerror());
    return static_cast<HMODULE>(handle);
}

FARPROC GetProcAddress(HMODULE module, LPCSTR procName) {
    if (module == SystemModule()) {
        if (procName != nullptr && std::strcmp(procName, "GetVolumePathNameA") == 0)
            return reinterpret_cast<FARPROC>(&GetVolumePathNameA);
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    void* symbol = (module != nullptr && procName != nullptr) ? dlsym(module, procName) : nullptr;
    if (symbol == nullptr)
        SetLastError(ERROR_PROC_NOT_FOUND);
    return reinterpret_cast<FARPROC>(symbol);
}

BOOL FreeLibrary(HMODULE module) {
    if (module == SystemModule())
        return TRUE;
    if (module == nullptr || dlclose(module) != 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

// There is no desktop to show a box on: the user sees nothing and the answer
// is the one button the box would have had.
int MessageBoxA(HWND, LPCSTR, LPCSTR, UINT) {
    return IDOK;
}
