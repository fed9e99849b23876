// Linux: the parsed-file cache. An entry is trusted while the file keeps its
// identity (device and inode), size and modification time to the
// nanosecond, once it has settled: its bytes compared equal to the kept
// text at least kSettlingSeconds after that state was first seen. Until
// then every use reads the file again and compares its bytes, so a second
// change within one time stamp (file systems that stamp whole seconds, or
// two) is never missed: a parse is saved, never a change missed.
//
// Settling is timed on this machine's monotonic clock between two
// observations of the file, never by comparing the file's stamp with this
// machine's clock, which a network file system's server or FAT's two-second
// stamps need not agree with. Every write that got the kept state's stamp
// came before that state was first seen; a comparison that starts
// kSettlingSeconds later, on any clock that runs at the file system's rate
// whatever its offset, sees the bytes after all of them, and any write after
// it gets another stamp, however coarse. A settled entry costs one fstat: no
// clock and no read.
//
// Two kinds of staleness remain, both accepted. A file rewritten in place
// with its size kept and its modification time put back (utimensat, a copy
// that keeps times) looks unchanged once settled: whoever restores the time
// means the file to look unchanged, and every tool that trusts time stamps
// is fooled alike. A file removed and another made in its place that gets
// the same inode number, size and time stamp looks like the first: all
// three must coincide, and a write through these calls drops every entry.
#include "platform/linux/ini_cache.h"
#include "platform/linux/system_calls.h"
#include "platform/linux/whole_file.h"

#include "platform/text/ini_encoding.h"
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
// A file larger than this is parsed at each use and never kept: a kept parse
// lives as long as the process, and a reader that keeps what it needs of a
// large file (a section) should not find the whole file kept beside it.
// Real settings files are a few kilobytes; a table of 20,000 groups is 1.5 MB.
constexpr off_t kLargestKeptFile = off_t(4) << 20;
// The coarsest time stamps (FAT's) are two seconds apart: a file seen in one
// state this long ago can no longer change within that state's stamp.
constexpr time_t kSettlingSeconds = 2;

// A parse and, for a UTF-16 file that has not settled, the bytes it was read
// from (a UTF-8 file's bytes are its parse's own text).
struct KeptParse {
    std::shared_ptr<const IniFile> file;
    std::shared_ptr<const std::string> undecoded;
    bool settled = false;

    const std::string& Bytes() const { return undecoded != nullptr ? *undecoded : file->text; }
};

struct KeptFile {
    std::string path;
    dev_t device;
    ino_t inode;
    off_t size;
    struct timespec modified;
    struct timespec firstSeen; // on the monotonic clock
    KeptParse parse;
};

std::mutex keptLock;
std::vector<KeptFile> kept; // the most recently read last

bool SameState(const KeptFile& entry, const struct stat& now) {
    return entry.device == now.st_dev && entry.inode == now.st_ino && entry.size == now.st_size &&
           entry.modified.tv_sec == now.st_mtim.tv_sec &&
           entry.modified.tv_nsec == now.st_mtim.tv_nsec;
}

struct timespec Now() {
    struct timespec now {};
    System().clock_gettime(CLOCK_MONOTONIC, &now);
    return now;
}

bool SettlingOver(const struct timespec& firstSeen, const struct timespec& now) {
    const time_t seconds = now.tv_sec - firstSeen.tv_sec;
    return seconds > kSettlingSeconds ||
           (seconds == kSettlingSeconds && now.tv_nsec >= firstSeen.tv_nsec);
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

// Marks the entry holding this parse settled, if its settling time is over
// at `compared`, when its bytes were found unchanged; a UTF-16 file's bytes
// are no longer needed then.
void SettleIfOver(const std::shared_ptr<const IniFile>& file, const struct timespec& compared) {
    std::lock_guard<std::mutex> hold(keptLock);
    for (KeptFile& entry : kept) {
        if (entry.parse.file == file && SettlingOver(entry.firstSeen, compared)) {
            entry.parse.settled = true;
            entry.parse.undecoded = nullptr;
        }
    }
}

// Whether the descriptor's bytes, from where it stands to its end, are
// exactly `expected`: compared a chunk at a time, so a file that has not
// settled is checked without a copy of it.
bool SameBytes(int descriptor, std::string_view expected) {
    char chunk[16384];
    std::size_t at = 0;
    for (;;) {
        const ssize_t count = System().read(descriptor, chunk, sizeof(chunk));
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

void Keep(const std::string& path, const struct stat& state, const struct timespec& seen,
          KeptParse parse) {
    std::lock_guard<std::mutex> hold(keptLock);
    for (size_t i = 0; i < kept.size(); ++i) {
        if (kept[i].path == path) {
            kept.erase(kept.begin() + static_cast<long>(i));
            break;
        }
    }
    if (state.st_size > kLargestKeptFile)
        return;
    if (kept.size() == kKeptFiles)
        kept.erase(kept.begin());
    kept.push_back(KeptFile{path, state.st_dev, state.st_ino, state.st_size, state.st_mtim, seen,
                            std::move(parse)});
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
    if (System().fstat(descriptor, &state) == 0 && S_ISREG(state.st_mode)) {
        const KeptParse found = Kept(fileName, state);
        if (found.settled) {
            file = found.file;
        } else if (found.file != nullptr) {
            // Read after the state was taken, so the comparison starts no
            // earlier than this.
            const struct timespec compared = Now();
            if (SameBytes(descriptor, found.Bytes())) {
                file = found.file;
                SettleIfOver(file, compared);
            }
        }
        std::string text;
        if (file == nullptr &&
            (found.file == nullptr || System().lseek(descriptor, 0, SEEK_SET) == 0) &&
            ReadAll(descriptor, text, static_cast<size_t>(state.st_size))) {
            const struct timespec seen = Now();
            // UTF-8, the usual case, is parsed as read, without a copy.
            std::shared_ptr<const std::string> undecoded;
            if (!IsUtf16(IniEncodingOf(text))) {
                file = ParseIni(std::move(text));
            } else {
                IniEncoding encoding;
                file = ParseIni(DecodeIniText(text, encoding));
                undecoded = std::make_shared<const std::string>(std::move(text));
            }
            Keep(fileName, state, seen, KeptParse{file, std::move(undecoded)});
        }
    }
    System().close(descriptor);
    return file;
}

void ForgetIniFiles() {
    std::lock_guard<std::mutex> hold(keptLock);
    kept.clear();
}
