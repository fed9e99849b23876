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
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr size_t kKeptFiles = 4;
// Time stamps move in clock ticks of a few milliseconds; a file changed less
// than this long ago may change again within its own stamp.
constexpr time_t kSettledSeconds = 2;

// A parse and, for a UTF-16 file that had not settled when it was read, the
// bytes it was read from (a UTF-8 file's bytes are its parse's own text).
struct KeptParse {
    std::shared_ptr<const IniFile> file;
    std::shared_ptr<const std::string> undecoded;

    const std::string& Bytes() const { return undecoded != nullptr ? *undecoded : file->text; }
};

struct KeptFile {
    std::string path;
    dev_t device;
    ino_t inode;
    off_t size;
    struct timespec modified;
    KeptParse parse;
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

// The kept parse of the file, if its state matches (shared, so it stays
// valid outside the lock); an empty one when there is none.
KeptParse Kept(const std::string& path, const struct stat& state) {
    std::lock_guard<std::mutex> hold(keptLock);
    for (const KeptFile& entry : kept)
        if (entry.path == path && SameState(entry, state))
            return entry.parse;
    return KeptParse{};
}

// Whether the descriptor's bytes, from where it stands to its end, are
// exactly `expected`: compared a chunk at a time, so a file that has not
// settled is checked without a copy of it.
bool SameBytes(int descriptor, std::string_view expected) {
    char chunk[16384];
    std::size_t at = 0;
    for (;;) {
        const ssize_t count = read(descriptor, chunk, sizeof(chunk));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return count == 0 && at == expected.size();
        const std::size_t length = static_cast<std::size_t>(count);
        if (length > expected.size() - at || std::memcmp(chunk, expected.data() + at, length) != 0)
            return false;
        at += length;
    }
}

void Keep(const std::string& path, const struct stat& state, KeptParse parse) {
    std::lock_guard<std::mutex> hold(keptLock);
    for (size_t i = 0; i < kept.size(); ++i) {
        if (kept[i].path == path) {
            kept.erase(kept.begin() + static_cast<long>(i));
            break;
        }
    }
    if (kept.size() == kKeptFiles)
        kept.erase(kept.begin());
    kept.push_back(
        KeptFile{path, state.st_dev, state.st_ino, state.st_size, state.st_mtim, std::move(parse)});
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
        const KeptParse found = Kept(fileName, state);
        if (found.file != nullptr && (settled || SameBytes(descriptor, found.Bytes())))
            file = found.file;
        std::string text;
        if (file == nullptr && (found.file == nullptr || lseek(descriptor, 0, SEEK_SET) == 0) &&
            ReadAll(descriptor, text, static_cast<size_t>(state.st_size))) {
            // UTF-8, the usual case, is parsed as read, without a copy.
            std::shared_ptr<const std::string> undecoded;
            if (IniEncodingOf(text) == IniEncoding::kUtf8) {
                file = ParseIni(std::move(text));
            } else {
                IniEncoding encoding;
                file = ParseIni(DecodeIniText(text, encoding));
                if (!settled)
                    undecoded = std::make_shared<const std::string>(std::move(text));
            }
            Keep(fileName, state, KeptParse{file, std::move(undecoded)});
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
