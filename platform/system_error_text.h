// A system error code in words for a person: the system's own text and the
// code, as a tool prints it beside what failed.
#pragma once

#include "platform/win32.h"
#include <string>

// The system's words for the error, on Windows with its code:
// "<words> (system error N)". On Linux, where the codes are this layer's
// own, the words are the C library's for the failure the code stands for,
// without the code; a failure that knows its reason better than its code
// (the loader's message for a library that does not load) gives that reason
// while it is the thread's last error.
std::string SystemErrorText(DWORD error);

// The system's words alone, possibly empty (each system's own).
std::string SystemErrorWords(DWORD error);
// Whether a person knows this system's errors by their codes too (each
// system's own).
extern const bool kSystemErrorCodesShown;
