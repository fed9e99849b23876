// Linux: the stand-in takes the place of the Win32 subset's read call.
#include "tests/plugin/read_seam.h"

#include "platform/linux/system_calls.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

std::function<void()> pendingEdit;

ssize_t ReadAfterTheEdit(int descriptor, void* bytes, size_t count) {
    System().read = RealSystem().read;
    std::function<void()> edit = std::move(pendingEdit);
    pendingEdit = nullptr;
    edit();
    return System().read(descriptor, bytes, count);
}

} // namespace

bool EditAtTheNextRead(std::function<void()> edit) {
    pendingEdit = std::move(edit);
    System().read = ReadAfterTheEdit;
    return true;
}

bool MakeLink(const std::string& target, const std::string& path, int age) {
    struct timespec times[2];
    clock_gettime(CLOCK_REALTIME, &times[0]);
    times[0].tv_sec -= age;
    times[1] = times[0];
    unlink(path.c_str());
    return symlink(target.c_str(), path.c_str()) == 0 &&
           utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0;
}
