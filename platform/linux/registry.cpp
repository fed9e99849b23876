// Linux: the registry calls answer as for a key that does not exist, and
// refuse to create one; the settings search then skips its registry sources.
#include "platform/win32.h"

LONG RegOpenKeyExA(HKEY, LPCSTR, DWORD, REGSAM, PHKEY result) {
    if (result != nullptr)
        *result = nullptr;
    return ERROR_FILE_NOT_FOUND;
}

LONG RegQueryValueExA(HKEY, LPCSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD) {
    return ERROR_FILE_NOT_FOUND;
}

LONG RegCloseKey(HKEY) {
    return ERROR_INVALID_HANDLE;
}

LONG RegEnumKeyExA(HKEY, DWORD, LPSTR, LPDWORD, LPDWORD, LPSTR, LPDWORD, FILETIME*) {
    return ERROR_FILE_NOT_FOUND;
}

LONG RegCreateKeyExA(HKEY, LPCSTR, DWORD, LPSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES, PHKEY result,
                     LPDWORD) {
    if (result != nullptr)
        *result = nullptr;
    return ERROR_CALL_NOT_IMPLEMENTED;
}

LONG RegSetValueExA(HKEY, LPCSTR, DWORD, DWORD, const BYTE*, DWORD) {
    return ERROR_INVALID_HANDLE;
}

LONG RegDeleteKeyA(HKEY, LPCSTR) {
    return ERROR_FILE_NOT_FOUND;
}
