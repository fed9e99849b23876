// Linux: FileLock as an exclusive flock on a descriptor of the file, which
// the kernel lets go of with the last descriptor, at the process's end too.
#include "platform/file_lock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace {

constexpr unsigned kStepMilliseconds = 50;

void Pause() {
    const timespec step{0, static_cast<long>(kStepMilliseconds) * 1000 * 1000};
    nanosleep(&step, nullptr);
}

} // namespace

FileLock::~FileLock() {
    if (handle >= 0)
        close(static_cast<int>(handle));
}

bool FileLock::Take(const std::string& path, unsigned waitMilliseconds, bool& busy,
                    std::string& reason) {
    busy = false;
    // Never through a link, and never blocking on a FIFO put in its place.
    const int descriptor =
        open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (descriptor < 0) {
        reason = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    struct stat entry {};
    if (fstat(descriptor, &entry) != 0 || !S_ISREG(entry.st_mode)) {
        close(descriptor);
        reason = path + " is not a regular file";
        return false;
    }
    for (unsigned waited = 0;; waited += kStepMilliseconds) {
        if (flock(descriptor, LOCK_EX | LOCK_NB) == 0) {
            handle = descriptor;
            return true;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            reason = "cannot lock " + path + ": " + std::strerror(errno);
            break;
        }
        if (waited >= waitMilliseconds) {
            busy = true;
            reason = "another run holds " + path;
            break;
        }
        Pause();
    }
    close(descriptor);
    return false;
}
