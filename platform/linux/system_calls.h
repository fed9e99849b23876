// Linux: the system calls of this layer that can fail for reasons a test
// cannot easily bring about (a full disk, a file that vanishes between two
// calls, an old system), made through one table. Tests point an entry at a
// failing stand-in and put it back; the layer itself never changes it.
#pragma once

#include <ctime>
#include <sys/stat.h>
#include <sys/types.h>

struct SystemCalls {
    int (*open)(const char* path, int flags, mode_t mode);
    int (*stat)(const char* path, struct stat* entry);
    int (*lstat)(const char* path, struct stat* entry);
    ssize_t (*readlink)(const char* path, char* buffer, size_t size);
    int (*rename)(const char* from, const char* to);
    ssize_t (*write)(int descriptor, const void* bytes, size_t count);
    ssize_t (*pwrite)(int descriptor, const void* bytes, size_t count, off_t offset);
    int (*ftruncate)(int descriptor, off_t size);
    // The clock that bounds waits: a test runs a wait out without waiting.
    int (*clock_gettime)(clockid_t clock, struct timespec* now);
    // The major version the system reports as Windows' numbering has it.
    unsigned (*majorVersion)();
};

// The table in use; its entries start out as the system's own calls.
SystemCalls& System();
// The system's own calls, to put an entry back.
const SystemCalls& RealSystem();
