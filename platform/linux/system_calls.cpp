// Linux: the table of system calls, filled with the system's own.
#include "platform/linux/system_calls.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

// The system's calls whose declarations take optional or default arguments.
int OpenFile(const char* path, int flags, mode_t mode) {
    return ::open(path, flags, mode);
}
std::FILE* OpenStream(const char* path, const char* mode) {
    return std::fopen(path, mode);
}
char* RealPath(const char* path, char* resolved) {
    return ::realpath(path, resolved);
}
int ControlFile(int descriptor, int command, int argument) {
    return ::fcntl(descriptor, command, argument);
}

// A current system: Windows 10's numbering.
unsigned CurrentMajorVersion() {
    return 10;
}

// In the order of the table's entries; constant, so that the table is
// whole before any constructor runs.
constexpr SystemCalls kReal = {OpenFile,        ::stat,
                               ::lstat,         ::statx,
                               ::readlink,      ::readlinkat,
                               RealPath,        ::rename,
                               ::renameat2,     ::unlink,
                               ::rmdir,         ::mkostemp,
                               ::opendir,       ::readdir,
                               ::closedir,      OpenStream,
                               ::read,          ::write,
                               ::pwrite,        ::fstat,
                               ControlFile,     ::lseek,
                               ::ftruncate,     ::fsync,
                               ::flock,         ::fchown,
                               ::fchmod,        ::close,
                               ::inotify_init1, ::inotify_add_watch,
                               ::clock_gettime, CurrentMajorVersion};
SystemCalls current = kReal;

} // namespace

SystemCalls& System() {
    return current;
}

const SystemCalls& RealSystem() {
    return kReal;
}
