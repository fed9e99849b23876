// A system error code in words for a person: the system's own text and the
// code, as a tool prints it beside what failed.
#pragma once

#include "win32.h"
#include <string>

// "<the system's words> (system error N)". On Linux, where the codes are
// this layer's own, a failure that knows its reason better than its code
// (the loader's message for a library that does not load) gives that reason
// while it is the thread's last error.
std::string SystemErrorText(DWORD error);

// The system's words alone, possibly empty (each system's own).
std::string SystemErrorWords(DWORD error);
