// Linux: the parsed-file cache. An entry is trusted while the file keeps its
// identity (device and inode), size and modification time to the
// nanosecond. A file changed so recently that a second change could still
// share its time stamp is read again and its bytes compared with the kept
// text: a parse is saved, never a change missed.
#ifndef _WIN32
#include "ini_cache.h"
#include "system_calls.h"

#include "ini_encoding.h"
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr size_t kKeptFiles = 4;
// Time stamps move in clock ticks of a few milliseconds; a file changed less
// than this long ago may change again within its own stamp.
constexpr time_t kSettledSeconds = 2;

struct KeptFile {
    std::string path;
    dev_t device;
    ino_t inode;
    off_t size;
    struct timespec modified;
    // The bytes of a UTF-16 file that had not settled when it was read; a
    // UTF-8 file's bytes are its parse's own text.
    std::string undecoded;
    std::shared_ptr<const IniFile> file;
};

std::mutex keptLock;
std::vector<KeptFile> kept; // the most recently read last

bool SameState(const KeptFile& entry, const struct stat& now) {
    return entry.device == now.st_dev && entry.inode == now.st_ino && entry.size == now.st_size &&
           entry.modified.tv_sec == now.st_mtim.tv_sec &&
           entry.modified.tv_nsec == now.st_mtim.tv_nsec;
}

bool Settled(const struct stat& state) {
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    return now.tv_sec - state.st_mtim.tv_sec >= kSettledSeconds;
}

// The kept parse of the file, if its state matches and, for a file that has
// not settled, its bytes `text` (read now) match too.
std::shared_ptr<const IniFile> Kept(const std::string& path, const struct stat& state,
                                    const std::string* text) {
    std::lock_guard<std::mutex> hold(keptLock);
    for (const KeptFile& entry : kept)
        if (entry.path == path && SameState(entry, state) &&
            (text == nullptr ||
             (entry.undecoded.empty() ? entry.file->text : entry.undecoded) == *text))
            return entry.file;
    return nullptr;
}

void Keep(const std::string& path, const struct stat& state, std::string undecoded,
          std::shared_ptr<const IniFile> file) {
    std::lock_guard<std::mutex> hold(keptLock);
    for (size_t i = 0; i < kept.size(); ++i) {
        if (kept[i].path == path) {
            kept.erase(kept.begin() + static_cast<long>(i));
            break;
        }
    }
    if (kept.size() == kKeptFiles)
        kept.erase(kept.begin());
    kept.push_back(KeptFile{path, state.st_dev, state.st_ino, state.st_size, state.st_mtim,
                            std::move(undecoded), std::move(file)});
}

} // namespace

std::shared_ptr<const IniFile> LoadIniFile(const char* fileName) {
    if (fileName == nullptr || *fileName == '\0')
        return nullptr;
    const int descriptor = System().open(fileName, O_RDONLY | O_NONBLOCK | O_CLOEXEC, 0);
    if (descriptor < 0)
        return nullptr;
    struct stat state;
    std::shared_ptr<const IniFile> file;
    if (fstat(descriptor, &state) == 0 && S_ISREG(state.st_mode)) {
        const bool settled = Settled(state);
        if (settled)
            file = Kept(fileName, state, nullptr);
        std::string text;
        if (file == nullptr && ReadAll(descriptor, text, static_cast<size_t>(state.st_size))) {
            file = settled ? nullptr : Kept(fileName, state, &text);
            if (file == nullptr) {
                // UTF-8, the usual case, is parsed as read, without a copy.
                std::string undecoded;
                if (IniEncodingOf(text) == IniEncoding::kUtf8) {
                    file = ParseIni(std::move(text));
                } else {
                    IniEncoding encoding;
                    file = ParseIni(DecodeIniText(text, encoding));
                    if (!settled)
                        undecoded = std::move(text);
                }
                Keep(fileName, state, std::move(undecoded), file);
            }
        }
    }
    close(descriptor);
    return file;
}

void ForgetIniFiles() {
    std::lock_guard<std::mutex> hold(keptLock);
    kept.clear();
}
#endif
