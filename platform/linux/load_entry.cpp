// Linux: the load-time entry. Windows calls the module's DllMain when it maps
// the library; Linux has no such call, so a constructor hands DllMain the
// module handle (the library's link map, which is also its dlopen handle) and
// a destructor reports the unload. Linked into the Linux plugin alone: on
// Windows the C runtime's DLL start-up calls DllMain itself.
#include "platform/win32.h"
#include <dlfcn.h>
#include <link.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved);

static HINSTANCE OwnModule() {
    Dl_info info;
    link_map* map = nullptr;
    if (dladdr1(reinterpret_cast<void*>(&OwnModule), &info, reinterpret_cast<void**>(&map),
                RTLD_DL_LINKMAP) == 0)
        return nullptr;
    return reinterpret_cast<HINSTANCE>(map);
}

__attribute__((constructor)) static void EnterModule() {
    DllMain(OwnModule(), DLL_PROCESS_ATTACH, nullptr);
}

__attribute__((destructor)) static void LeaveModule() {
    DllMain(OwnModule(), DLL_PROCESS_DETACH, nullptr);
}
