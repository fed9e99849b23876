// Linux: shared objects carry no Windows resources, so every lookup answers
// as for a module without the resource sought.
#include "platform/win32.h"

HRSRC FindResourceA(HMODULE, LPCSTR, LPCSTR) {
    SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return nullptr;
}

DWORD SizeofResource(HMODULE, HRSRC) {
    return 0;
}

HGLOBAL LoadResource(HMODULE, HRSRC) {
    return nullptr;
}

LPVOID LockResource(HGLOBAL) {
    return nullptr;
}
