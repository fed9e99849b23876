// Linux: every system call of the Win32 subset that can fail goes through
// System(), one table; nothing in platform/linux/ calls the system past it.
// Tests point an entry at a failing stand-in and put it back, to bring about
// what they cannot easily make happen (a full disk, a file that vanishes
// between two calls, an old system); the layer itself never changes it.
// Left out are calls that cannot fail (geteuid), waits whose early end only
// brings the next try sooner (nanosleep, poll), reads of a stream already
// open (fgets, fread, fclose of a read stream), and the loader's calls
// (dlopen, dlsym, dlclose) and the environment's (getenv, setenv), whose
// failures a test brings about directly: a file that is no library, a name
// that is not set.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

struct SystemCalls {
    // Entries by path.
    int (*open)(const char* path, int flags, mode_t mode);
    int (*stat)(const char* path, struct stat* entry);
    int (*lstat)(const char* path, struct stat* entry);
    int (*statx)(int folder, const char* path, int flags, unsigned int mask, struct statx* entry);
    ssize_t (*readlink)(const char* path, char* buffer, size_t size);
    ssize_t (*readlinkat)(int folder, const char* path, char* buffer, size_t size);
    char* (*realpath)(const char* path, char* resolved);
    int (*rename)(const char* from, const char* to);
    int (*renameat2)(int fromFolder, const char* from, int toFolder, const char* to,
                     unsigned int flags);
    int (*unlink)(const char* path);
    int (*rmdir)(const char* path);
    int (*mkostemp)(char* pattern, int flags);
    DIR* (*opendir)(const char* path);
    struct dirent* (*readdir)(DIR* listing);
    int (*closedir)(DIR* listing);
    // The system's own tables (the mount table, the command line).
    std::FILE* (*fopen)(const char* path, const char* mode);
    // Open files.
    ssize_t (*read)(int descriptor, void* bytes, size_t count);
    ssize_t (*write)(int descriptor, const void* bytes, size_t count);
    ssize_t (*pwrite)(int descriptor, const void* bytes, size_t count, off_t offset);
    int (*fstat)(int descriptor, struct stat* entry);
    int (*fcntl)(int descriptor, int command, int argument);
    off_t (*lseek)(int descriptor, off_t offset, int whence);
    int (*ftruncate)(int descriptor, off_t size);
    int (*fsync)(int descriptor);
    int (*flock)(int descriptor, int operation);
    int (*fchown)(int descriptor, uid_t owner, gid_t group);
    int (*fchmod)(int descriptor, mode_t mode);
    int (*close)(int descriptor);
    // The watch over a file's closes that a waiting writer sleeps on.
    int (*inotify_init1)(int flags);
    int (*inotify_add_watch)(int watch, const char* path, std::uint32_t events);
    // The clock that bounds waits: a test runs a wait out without waiting.
    int (*clock_gettime)(clockid_t clock, struct timespec* now);
    // The major version the system reports as Windows' numbering has it.
    unsigned (*majorVersion)();
};

// The table in use; its entries start out as the system's own calls.
SystemCalls& System();
// The system's own calls, to put an entry back.
const SystemCalls& RealSystem();
