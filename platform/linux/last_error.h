// Linux: a last error that carries its reason in words, for failures whose
// Win32 code says less than the system did (a library that does not load).
#pragma once

#include "platform/win32.h"

// Sets the last error with the reason; a plain SetLastError drops it.
void SetLastErrorWithText(DWORD error, const char* text);
// The reason kept with the last error, or null when it has none.
const char* LastErrorText();
