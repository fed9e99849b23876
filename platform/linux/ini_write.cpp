// Linux: WritePrivateProfileStringA. A write changes exactly the key (or
// section) written and keeps every other byte, and what it reports written
// is there for the next reader:
// - the file a path names is the one written: a link is followed and stays a
//   link (a link that names nothing yet names the file to make), and every
//   name of a hard-linked file sees the change;
// - the file keeps its owner, group, mode, encoding and line ends; text that
//   the file's encoding cannot hold is refused, never changed;
// - read-modify-write cycles lock the file itself, so writers in other
//   threads and processes never lose each other's keys; a writer waits for
//   that lock a bounded time and then refuses (a stopped writer must not
//   hang every other one);
// - the system decides what may be written (the open for writing is tried);
//   only a file that no one may write is refused outright, as a Windows file
//   with the read-only attribute is;
// - the new text goes to a temporary file beside it that is renamed into
//   place, so an interrupted write leaves the old file whole; the temporary
//   is named after the file and locked while its writer lives, so the next
//   write removes one that a killed writer left; where a rename cannot
//   keep the file's identity (hard links, another owner, a folder that takes
//   no new file), the file is rewritten in place so that it reads as the old
//   or the new text at every moment between two system calls.
// A refusal sets the last error.
#include "platform/win32.h"
#include "platform/linux/file_handle.h"
#include "platform/linux/ini_cache.h"
#include "platform/linux/whole_file.h"
#include "platform/text/ini_encoding.h"
#include "platform/text/ini_text.h"
#include "platform/text/printable_text.h"
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <string_view>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
#include "platform/linux/system_calls.h"

namespace {

// How long a writer waits for another to finish with the file before it
// refuses: a refused write beats a host hung behind a stopped writer.
constexpr time_t kLockWaitSeconds = 5;
// Links followed before the path counts as a loop, as the system counts.
constexpr int kLinkHops = 40;

// Windows' code for a C library error number.
DWORD ErrorOf(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case ELOOP:
        return ERROR_CANT_RESOLVE_FILENAME;
    case ENOSPC:
    case EDQUOT:
        return ERROR_DISK_FULL;
    default:
        return ERROR_ACCESS_DENIED;
    }
}

// One line as the file holds it: its text and the end it has ("\n", "\r\n",
// "\r", or none for a last line without one).
struct Line {
    std::string text;
    std::string end;
};

// A file as written lines: a write changes only the lines it must and keeps
// the byte-order mark and each line's own end; a new line takes the end most
// of the file's lines have.
struct RawFile {
    bool byteOrderMark = false;
    std::string lineEnd = "\n";
    std::vector<Line> lines;
};

// The text as written lines, its byte-order mark apart.
RawFile SplitRaw(const std::string& text) {
    RawFile file;
    size_t start = 0;
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        file.byteOrderMark = true;
        start = 3;
    }
    const std::string_view ends[] = {"\n", "\r\n", "\r"};
    size_t counts[3] = {};
    size_t usual = 3; // none seen yet; of equal counts the first seen wins
    while (start < text.size()) {
        const size_t end = LineEnd(text, start);
        const size_t next = NextLineStart(text, end);
        file.lines.push_back({text.substr(start, end - start), text.substr(end, next - end)});
        for (size_t kind = 0; kind < 3; ++kind) {
            if (file.lines.back().end != ends[kind])
                continue;
            ++counts[kind];
            if (usual == 3 || counts[kind] > counts[usual])
                usual = kind;
        }
        start = next;
    }
    if (usual < 3)
        file.lineEnd = std::string(ends[usual]);
    return file;
}

// The file's text again: its lines, each with its end.
std::string Join(const RawFile& file) {
    std::string text = file.byteOrderMark ? "\xEF\xBB\xBF" : "";
    for (size_t i = 0; i < file.lines.size(); ++i) {
        const Line& line = file.lines[i];
        text += line.text;
        // A line that was last without an end gets one when lines follow it.
        text += line.end.empty() && i + 1 < file.lines.size() ? file.lineEnd : line.end;
    }
    // A file's first bytes decide how all of it is read: one without a mark
    // must not come to start with the bytes of one (a key written first that
    // begins with them), or it would read as UTF-16, or lose those bytes. A
    // blank line first keeps every line as it reads.
    if (!file.byteOrderMark && IniEncodingOf(text) != IniEncoding::kCodePage)
        text.insert(0, file.lineEnd);
    return text;
}

// A section's or key's name as a reader finds it: in a UTF-16 file the
// reader takes a lone surrogate for U+FFFD, which the text a write edits
// keeps as it is, so a write must look for the name in the reader's form or
// it would add a second key where a read finds the first.
std::string NameAsRead(std::string_view name, bool utf16) {
    return utf16 ? LoneSurrogatesAsRead(name) : std::string(name);
}

// Whether the section a read would use is there: the first of that name,
// or for the empty name the lines before any header. `first` is where the
// section starts (its header), [bodyBegin, bodyEnd) its lines.
bool FindSectionSpan(const std::vector<Line>& lines, const std::string& name, bool utf16,
                     size_t& first, size_t& bodyBegin, size_t& bodyEnd) {
    bool found = name.empty();
    first = bodyBegin = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string header;
        if (!SectionHeader(TrimLine(lines[i].text), header))
            continue;
        if (found) {
            bodyEnd = i;
            return true;
        }
        if (SameName(NameAsRead(header, utf16), name)) {
            found = true;
            first = i;
            bodyBegin = i + 1;
        }
    }
    bodyEnd = lines.size();
    return found;
}

// The file's text with the write applied; false when there is nothing to
// change (a key or section to delete that is not there).
bool EditText(const std::string& text, bool utf16, LPCSTR section, LPCSTR key, LPCSTR value,
              std::string& edited) {
    RawFile file = SplitRaw(text);
    std::vector<Line>& lines = file.lines;
    std::string sectionName = Trim(section);

    size_t first = 0; // the section's header line, or its first line when it has none
    size_t bodyBegin = 0;
    size_t bodyEnd = 0;
    if (!FindSectionSpan(lines, sectionName, utf16, first, bodyBegin, bodyEnd)) {
        if (key == nullptr || value == nullptr)
            return false;
        while (!lines.empty() && TrimLine(lines.back().text).empty())
            lines.pop_back();
        lines.push_back({"[" + sectionName + "]", file.lineEnd});
        lines.push_back({Trim(key) + "=" + value, file.lineEnd});
    } else if (key == nullptr) {
        lines.erase(lines.begin() + static_cast<long>(first),
                    lines.begin() + static_cast<long>(bodyEnd));
    } else {
        std::string keyName = Trim(key);
        size_t keyLine = std::string::npos;
        size_t insertAt = bodyBegin;
        for (size_t i = bodyBegin; i < bodyEnd; ++i) {
            const std::string_view line = TrimLine(lines[i].text);
            if (line.empty())
                continue;
            insertAt = i + 1;
            if (keyLine == std::string::npos &&
                SameName(NameAsRead(KeyLine(line).name, utf16), keyName))
                keyLine = i;
        }
        if (keyLine != std::string::npos && value == nullptr)
            lines.erase(lines.begin() + static_cast<long>(keyLine));
        else if (keyLine != std::string::npos)
            lines[keyLine].text = keyName + "=" + value;
        else if (value != nullptr)
            lines.insert(lines.begin() + static_cast<long>(insertAt),
                         Line{keyName + "=" + value, file.lineEnd});
        else
            return false;
    }
    edited = Join(file);
    return true;
}

// The file a write goes to: the path with its links followed. A link that
// names nothing names the file to make, as a write through it makes that
// file on Windows and with the system's own tools. False, with the error,
// for a loop of links.
bool TargetOf(const char* fileName, std::string& target, DWORD& error) {
    std::string path = fileName;
    for (int hop = 0; hop <= kLinkHops; ++hop) {
        char resolved[PATH_MAX];
        struct stat entry;
        char link[PATH_MAX];
        ssize_t size = 0;
        if (System().realpath(path.c_str(), resolved) != nullptr) {
            target = resolved;
            return true;
        }
        if (System().lstat(path.c_str(), &entry) != 0 || !S_ISLNK(entry.st_mode) ||
            (size = System().readlink(path.c_str(), link, sizeof(link))) <= 0 ||
            static_cast<size_t>(size) >= sizeof(link)) {
            // Nothing there, or a folder on the way is missing: the open says which.
            target = path;
            return true;
        }
        const std::string named(link, static_cast<size_t>(size));
        const size_t cut = path.rfind('/');
        path =
            named[0] == '/' || cut == std::string::npos ? named : path.substr(0, cut + 1) + named;
    }
    error = ERROR_CANT_RESOLVE_FILENAME;
    return false;
}

// A time limit on the clock of the system-call table.
struct Deadline {
    struct timespec end;

    explicit Deadline(time_t seconds) {
        System().clock_gettime(CLOCK_MONOTONIC, &end);
        end.tv_sec += seconds;
    }
    bool Passed() const {
        struct timespec now;
        System().clock_gettime(CLOCK_MONOTONIC, &now);
        return now.tv_sec > end.tv_sec || (now.tv_sec == end.tv_sec && now.tv_nsec >= end.tv_nsec);
    }
};

// A short pause between two tries, longer each time up to a millisecond. A
// signal that cuts it short only brings the next try sooner.
void Pause(long& nanoseconds) {
    const struct timespec pause = {0, nanoseconds};
    nanosleep(&pause, nullptr);
    nanoseconds = nanoseconds < 500000 ? nanoseconds * 2 : 1000000;
}

// True once the lock on an open file is taken; false when the deadline
// passes first or the system refuses it. Tries until the deadline: the
// system's waiting lock call has no time limit, and a signal would cut it
// short.
// Between two tries this waits for the file to be closed somewhere, as its
// holder does when it lets go, so a waiter tries again at once then and is
// not passed over and over by writers that came later (as it would be if it
// only looked now and then). Where closes cannot be watched, it pauses.
bool LockBefore(int descriptor, const Deadline& deadline) {
    if (System().flock(descriptor, LOCK_EX | LOCK_NB) == 0)
        return true;
    int closes = System().inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    const std::string self = "/proc/self/fd/" + std::to_string(descriptor);
    if (closes >= 0 && System().inotify_add_watch(closes, self.c_str(), IN_CLOSE) < 0) {
        System().close(closes);
        closes = -1;
    }
    long pause = 20000;
    bool locked = false;
    // The watch is in place before each try, so no close between a failed
    // try and the wait goes unseen.
    while (!(locked = System().flock(descriptor, LOCK_EX | LOCK_NB) == 0)) {
        if ((errno != EWOULDBLOCK && errno != EINTR) || deadline.Passed())
            break;
        if (closes < 0) {
            // A kernel without inotify, or out of watches; reached by
            // ProfileWriteTest.SignalsDoNotEndTheWaitForTheLock ("no close watch").
            Pause(pause);
            continue;
        }
        // A close missed for any reason costs at most this long.
        struct pollfd event = {closes, POLLIN, 0};
        poll(&event, 1, 10);
        char drained[4096];
        while (System().read(closes, drained, sizeof(drained)) > 0) {
        }
    }
    if (closes >= 0)
        System().close(closes);
    return locked;
}

// The target's descriptor, opened for writing and locked, or -1 when the
// file cannot be written, with `missing` set when it is not there; `created`
// tells whether this call made it; `error` says why on a refusal. The file's
// own lock guards its read-modify-write. A writer that renames a new file
// into place gives the path a new file, which writers still waiting on the
// old one would not guard: a writer that gets the lock on a file the path no
// longer names opens the path again. The new file is locked by its writer
// until the rename is done, so none passes it unguarded.
int OpenLocked(const std::string& target, bool create, bool& created, bool& missing,
               struct stat& state, DWORD& error) {
    const Deadline deadline(kLockWaitSeconds);
    long pause = 20000;
    for (;;) {
        created = false;
        int descriptor = System().open(target.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC, 0);
        missing = descriptor < 0 && errno == ENOENT;
        if (missing && create) {
            descriptor = System().open(target.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            created = descriptor >= 0;
            // Made by another writer meanwhile: open that one.
            if (descriptor < 0 && errno == EEXIST && !deadline.Passed()) {
                Pause(pause);
                continue;
            }
        }
        if (descriptor < 0) {
            error = ErrorOf(errno);
            return -1;
        }
        if (System().fstat(descriptor, &state) != 0 || !S_ISREG(state.st_mode) ||
            IsReadOnlyFile(state.st_mode)) {
            System().close(descriptor);
            error = ERROR_ACCESS_DENIED;
            return -1;
        }
        if (!LockBefore(descriptor, deadline)) {
            System().close(descriptor);
            error = ERROR_SHARING_VIOLATION;
            return -1;
        }
        struct stat now;
        if (System().stat(target.c_str(), &now) == 0 && now.st_dev == state.st_dev &&
            now.st_ino == state.st_ino) {
            System().fstat(descriptor, &state);
            return descriptor;
        }
        System().close(descriptor);
        // Replaced again and again: the deadline holds here too.
        if (deadline.Passed()) {
            error = ERROR_SHARING_VIOLATION;
            return -1;
        }
    }
}

// The start of the names of the target's temporary files, folder included:
// named after the target, so that a write finds its own file's, and cut so
// that a long target name never makes them too long.
std::string TemporaryPrefix(const std::string& target) {
    const size_t cut = target.rfind('/');
    const std::string folder = cut == std::string::npos ? std::string() : target.substr(0, cut + 1);
    const std::string name = target.substr(folder.size());
    constexpr size_t kLongestName = NAME_MAX - sizeof(".~ini-.XXXXXX") + 1;
    return folder + ".~ini-" + name.substr(0, kLongestName) + ".";
}

// Removes the temporary files that writers of the target left when they were
// killed. Its writers make them only while they hold the target's lock, as
// this one does now, and each holds the lock of its own temporary while it
// lives: one whose lock is free is a dead writer's.
void RemoveDeadWritersFiles(const std::string& target) {
    const std::string prefix = TemporaryPrefix(target);
    const size_t cut = prefix.rfind('/');
    const std::string folder =
        cut == std::string::npos ? std::string(".") : prefix.substr(0, cut + 1);
    const std::string start = prefix.substr(cut == std::string::npos ? 0 : cut + 1);
    DIR* listing = System().opendir(folder.c_str());
    if (listing == nullptr)
        return;
    while (const dirent* entry = System().readdir(listing)) {
        const std::string name = entry->d_name;
        if (name.size() != start.size() + 6 || name.compare(0, start.size(), start) != 0)
            continue;
        const std::string path = (cut == std::string::npos ? std::string() : folder) + name;
        const int descriptor =
            System().open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0);
        if (descriptor < 0)
            continue;
        struct stat state;
        if (System().fstat(descriptor, &state) == 0 && S_ISREG(state.st_mode) &&
            System().flock(descriptor, LOCK_EX | LOCK_NB) == 0)
            System().unlink(path.c_str());
        System().close(descriptor);
    }
    System().closedir(listing);
}

// Whether the whole text was written at `offset`.
bool WriteAllAt(int descriptor, const std::string& text, size_t offset = 0) {
    size_t written = 0;
    while (written < text.size()) {
        const ssize_t count =
            System().pwrite(descriptor, text.data() + written, text.size() - written,
                            static_cast<off_t>(offset + written));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        written += static_cast<size_t>(count);
    }
    return true;
}

// True when a new file beside the target, holding the text with the
// target's owner, group and mode, was renamed over the target; false, with
// nothing changed, when that cannot be done keeping them. The new file stays
// locked until it has taken the target's place (see RemoveDeadWritersFiles
// and OpenLocked).
bool ReplaceByRename(const std::string& target, const struct stat& state, const std::string& text) {
    std::string temporary = TemporaryPrefix(target) + "XXXXXX";
    const int descriptor = System().mkostemp(&temporary[0], O_CLOEXEC);
    if (descriptor < 0)
        return false;
    const bool ok = System().flock(descriptor, LOCK_EX | LOCK_NB) == 0 &&
                    (System().fchown(descriptor, state.st_uid, state.st_gid) == 0 ||
                     (state.st_uid == geteuid() && state.st_gid == getegid())) &&
                    System().fchmod(descriptor, state.st_mode & 07777) == 0 &&
                    WriteAllAt(descriptor, text) && System().fsync(descriptor) == 0;
    if (ok && System().rename(temporary.c_str(), target.c_str()) == 0) {
        System().close(descriptor);
        return true;
    }
    System().unlink(temporary.c_str());
    System().close(descriptor);
    return false;
}

// A file's content as a write puts it in place: its text (UTF-8), the
// encoding the file is in, and an odd last byte of a UTF-16 file, kept as
// it is.
struct Content {
    const std::string& text;
    IniEncoding encoding;
    const std::string& tail;

    // The bytes, padded to `size` (when longer) with blanks before the tail:
    // a read trims blanks after a last line's value and skips a blank last
    // line, so the padded file reads as the text.
    std::string Bytes(size_t size = 0) const {
        std::string bytes = EncodeIniText(text, encoding) + tail;
        if (bytes.size() >= size)
            return bytes;
        const size_t unit = IsUtf16(encoding) ? 2 : 1;
        return EncodeIniText(text + std::string((size - bytes.size()) / unit, ' '), encoding) +
               tail;
    }
};

// Whether the file was cut to the content's length, `size`. The byte before
// the cut then comes from the padding, so a tail is written again after it.
bool CutTo(int descriptor, const Content& content, size_t size) {
    return System().ftruncate(descriptor, static_cast<off_t>(size)) == 0 &&
           WriteAllAt(descriptor, content.tail, size - content.tail.size());
}

// True when the new content is in the open file and on the disk; false when
// a step failed, which puts the old text back. The file is rewritten in
// place so that between any two system calls it reads as the old or the new
// content, never a mix: a shorter new text goes in padded to the old length,
// then the file is cut; a longer one goes over the old text padded to the
// new length. A process killed inside the write of a whole text (one call, or
// between the parts the system took it in) is beyond this: the system gives
// no way to replace a file's bytes at once in place.
bool ReplaceInPlace(int descriptor, const Content& old, const Content& fresh) {
    const std::string oldBytes = old.Bytes();
    const std::string newBytes = fresh.Bytes();
    if (newBytes.size() < oldBytes.size()) {
        if (WriteAllAt(descriptor, fresh.Bytes(oldBytes.size())) &&
            CutTo(descriptor, fresh, newBytes.size()) && System().fsync(descriptor) == 0)
            return true;
        // The file is the old length, or shorter where the cut went through:
        // the old text over it is the old file again, with no cut needed.
        WriteAllAt(descriptor, oldBytes);
        return false;
    }
    // Where the cut back to the old length fails, the old text padded is
    // left, which reads as the old text.
    const std::string grown = old.Bytes(newBytes.size());
    if (grown.size() > oldBytes.size() && !WriteAllAt(descriptor, grown)) {
        CutTo(descriptor, old, oldBytes.size());
        return false;
    }
    if (WriteAllAt(descriptor, newBytes) && System().fsync(descriptor) == 0)
        return true;
    if (WriteAllAt(descriptor, grown))
        CutTo(descriptor, old, oldBytes.size());
    return false;
}

// FALSE, with the error as the last error.
BOOL Refuse(DWORD error) {
    SetLastError(error);
    return FALSE;
}

} // namespace

BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName) {
    if (section == nullptr || fileName == nullptr || *fileName == '\0')
        return Refuse(ERROR_INVALID_PARAMETER);
    std::string target;
    DWORD error = ERROR_SUCCESS;
    if (!TargetOf(fileName, target, error))
        return Refuse(error);
    // Only a write that adds something makes a missing file.
    const bool adds = key != nullptr && value != nullptr;
    bool created = false;
    bool missing = false;
    struct stat state;
    const int descriptor = OpenLocked(target, adds, created, missing, state, error);
    if (descriptor < 0)
        return missing && !adds ? TRUE : Refuse(error);
    RemoveDeadWritersFiles(target);
    std::string bytes;
    std::string tail;
    std::string edited;
    IniEncoding encoding = IniEncoding::kCodePage;
    bool ok = ReadAll(descriptor, bytes, static_cast<size_t>(state.st_size));
    error = ERROR_ACCESS_DENIED;
    const std::string text = DecodeIniTextExactly(bytes, encoding, tail);
    // A UTF-16 file holds only characters: bytes that are none are refused
    // rather than changed into some.
    if (ok && IsUtf16(encoding) &&
        !(IsValidUtf8(section) && (key == nullptr || IsValidUtf8(key)) &&
          (value == nullptr || IsValidUtf8(value)))) {
        ok = false;
        error = ERROR_NO_UNICODE_TRANSLATION;
    }
    if (ok && EditText(text, IsUtf16(encoding), section, key, value, edited)) {
        // The file keeps the encoding it was saved in.
        const Content old{text, encoding, tail};
        const Content fresh{edited, encoding, tail};
        ok = (state.st_nlink == 1 && ReplaceByRename(target, state, fresh.Bytes())) ||
             ReplaceInPlace(descriptor, old, fresh);
        error = ErrorOf(errno);
    }
    if (!ok && created)
        System().unlink(target.c_str());
    ForgetIniFiles();
    System().close(descriptor);
    return ok ? TRUE : Refuse(error);
}
