// Linux: the calling thread's last-error value, as Windows keeps it.
#ifndef _WIN32
#include "../win32.h"

static thread_local DWORD lastError = ERROR_SUCCESS;

DWORD GetLastError() {
    return lastError;
}
void SetLastError(DWORD error) {
    lastError = error;
}
#endif
