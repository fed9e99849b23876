// Linux: the calling thread's last-error value, as Windows keeps it, and the
// reason in words that some failures keep with it.
#include "platform/linux/last_error.h"

#include <string>

static thread_local DWORD lastError = ERROR_SUCCESS;
static thread_local std::string lastErrorText;
static thread_local bool hasText = false;

DWORD GetLastError() {
    return lastError;
}
void SetLastError(DWORD error) {
    lastError = error;
    hasText = false;
}
void SetLastErrorWithText(DWORD error, const char* text) {
    lastError = error;
    hasText = text != nullptr;
    lastErrorText = hasText ? text : "";
}
const char* LastErrorText() {
    return hasText ? lastErrorText.c_str() : nullptr;
}
