// Linux: the table of system calls, filled with the system's own.
#include "system_calls.h"

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

int OpenFile(const char* path, int flags, mode_t mode) {
    return ::open(path, flags, mode);
}

// A current system: Windows 10's numbering.
unsigned CurrentMajorVersion() {
    return 10;
}

const SystemCalls kReal = {OpenFile, ::stat,   ::lstat,     ::readlink,      ::rename,
                           ::write,  ::pwrite, ::ftruncate, ::clock_gettime, CurrentMajorVersion};

SystemCalls current = kReal;

} // namespace

SystemCalls& System() {
    return current;
}

const SystemCalls& RealSystem() {
    return kReal;
}
