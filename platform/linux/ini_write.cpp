// Linux: WritePrivateProfileStringA. A write changes exactly the key (or
// section) written and keeps every other line, and what it reports written
// is there for the next reader:
// - the file a path names is the one written: a link is followed and stays a
//   link, and every name of a hard-linked file sees the change;
// - the file keeps its owner, group and mode;
// - read-modify-write cycles take an advisory lock on the file, so writers in
//   other threads and processes never lose each other's keys;
// - the system decides what may be written (the open for writing is tried);
//   only a file that no one may write is refused outright, as a Windows file
//   with the read-only attribute is;
// - the new text goes to a temporary file beside it that is renamed into
//   place, so an interrupted write leaves the old file whole; where that
//   cannot keep the file's identity (hard links, another owner, a folder that
//   takes no new file), the file is rewritten in place.
#ifndef _WIN32
#include "../win32.h"
#include "file_handle.h"
#include "ini_cache.h"
#include "ini_encoding.h"
#include "ini_text.h"
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
#include "system_calls.h"

namespace {

// A file as written lines: a write changes only the lines it must and keeps
// the byte-order mark and the line end the file already uses.
struct RawFile {
    bool byteOrderMark = false;
    std::string lineEnd = "\n";
    std::vector<std::string> lines;
};

RawFile SplitRaw(const std::string& text) {
    RawFile file;
    size_t start = 0;
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        file.byteOrderMark = true;
        start = 3;
    }
    if (text.find("\r\n") != std::string::npos)
        file.lineEnd = "\r\n";
    while (start < text.size()) {
        const size_t end = LineEnd(text, start);
        file.lines.push_back(text.substr(start, end - start));
        start = (text.compare(end, 2, "\r\n") == 0) ? end + 2 : end + 1;
    }
    return file;
}

std::string Join(const RawFile& file) {
    std::string text = file.byteOrderMark ? "\xEF\xBB\xBF" : "";
    for (const std::string& line : file.lines)
        text += line + file.lineEnd;
    // A file's first bytes decide how all of it is read: one without a mark
    // must not come to start with the bytes of one (a key written first that
    // begins with them), or it would read as UTF-16, or lose those bytes. A
    // blank line first keeps every line as it reads.
    if (!file.byteOrderMark &&
        (IniEncodingOf(text) != IniEncoding::kUtf8 || text.compare(0, 3, "\xEF\xBB\xBF") == 0))
        text.insert(0, file.lineEnd);
    return text;
}

// Finds the section a read would use: the first of that name, or for the
// empty name the lines before any header. `first` is where the section
// starts (its header), [bodyBegin, bodyEnd) its lines.
bool FindSectionSpan(const std::vector<std::string>& lines, const std::string& name, size_t& first,
                     size_t& bodyBegin, size_t& bodyEnd) {
    bool found = name.empty();
    first = bodyBegin = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string header;
        if (!SectionHeader(TrimLine(lines[i]), header))
            continue;
        if (found) {
            bodyEnd = i;
            return true;
        }
        if (SameName(header, name)) {
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
bool EditText(const std::string& text, LPCSTR section, LPCSTR key, LPCSTR value,
              std::string& edited) {
    RawFile file = SplitRaw(text);
    std::vector<std::string>& lines = file.lines;
    std::string sectionName = Trim(section);

    size_t first = 0; // the section's header line, or its first line when it has none
    size_t bodyBegin = 0;
    size_t bodyEnd = 0;
    if (!FindSectionSpan(lines, sectionName, first, bodyBegin, bodyEnd)) {
        if (key == nullptr || value == nullptr)
            return false;
        while (!lines.empty() && TrimLine(lines.back()).empty())
            lines.pop_back();
        lines.push_back("[" + sectionName + "]");
        lines.push_back(Trim(key) + "=" + value);
    } else if (key == nullptr) {
        lines.erase(lines.begin() + static_cast<long>(first),
                    lines.begin() + static_cast<long>(bodyEnd));
    } else {
        std::string keyName = Trim(key);
        size_t keyLine = std::string::npos;
        size_t insertAt = bodyBegin;
        for (size_t i = bodyBegin; i < bodyEnd; ++i) {
            const std::string_view line = TrimLine(lines[i]);
            if (line.empty())
                continue;
            insertAt = i + 1;
            if (keyLine == std::string::npos && SameName(KeyLine(line).name, keyName))
                keyLine = i;
        }
        if (keyLine != std::string::npos && value == nullptr)
            lines.erase(lines.begin() + static_cast<long>(keyLine));
        else if (keyLine != std::string::npos)
            lines[keyLine] = keyName + "=" + value;
        else if (value != nullptr)
            lines.insert(lines.begin() + static_cast<long>(insertAt), keyName + "=" + value);
        else
            return false;
    }
    edited = Join(file);
    return true;
}

// The file the path names, links followed; the path itself when it names
// nothing yet (a new file is made there).
std::string TargetOf(const char* fileName) {
    char resolved[PATH_MAX];
    return realpath(fileName, resolved) != nullptr ? std::string(resolved) : std::string(fileName);
}

bool WriteAllAt(int descriptor, const std::string& text) {
    size_t written = 0;
    while (written < text.size()) {
        const ssize_t count = System().pwrite(descriptor, text.data() + written,
                                              text.size() - written, static_cast<off_t>(written));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        written += static_cast<size_t>(count);
    }
    return true;
}

// A new file beside the target holding the text, with the target's owner,
// group and mode; renamed over the target. False, with nothing changed,
// when that cannot be done keeping them.
bool ReplaceByRename(const std::string& target, const struct stat& state, const std::string& text) {
    const size_t cut = target.rfind('/');
    // A short name of its own, so a long target name never makes it too long.
    std::string temporary =
        (cut == std::string::npos ? std::string() : target.substr(0, cut + 1)) + ".~ini-XXXXXX";
    const int descriptor = mkstemp(&temporary[0]);
    if (descriptor < 0)
        return false;
    bool ok = (fchown(descriptor, state.st_uid, state.st_gid) == 0 ||
               (state.st_uid == geteuid() && state.st_gid == getegid())) &&
              fchmod(descriptor, state.st_mode & 07777) == 0 && WriteAllAt(descriptor, text) &&
              fsync(descriptor) == 0;
    ok = close(descriptor) == 0 && ok;
    if (ok && System().rename(temporary.c_str(), target.c_str()) == 0)
        return true;
    unlink(temporary.c_str());
    return false;
}

// Rewrites the open file in place; on a failed write the old text is put
// back as far as the system lets it.
bool ReplaceInPlace(int descriptor, const std::string& old, const std::string& text) {
    if (WriteAllAt(descriptor, text) &&
        ftruncate(descriptor, static_cast<off_t>(text.size())) == 0 && fsync(descriptor) == 0)
        return true;
    if (WriteAllAt(descriptor, old))
        ftruncate(descriptor, static_cast<off_t>(old.size()));
    return false;
}

// Opens the target for writing and locks it. The lock is taken on the file
// the path names when it is held: a writer that renamed a new file into
// place meanwhile makes this one open the path again. Writers also hold the
// folder's lock (see FolderLock), so among them that happens only with
// writers that could not take it. -1 when the file cannot be written, with
// `missing` set when it is not there; `created` tells whether this call made
// it.
int OpenLocked(const std::string& target, bool create, bool& created, bool& missing,
               struct stat& state) {
    for (int attempt = 0; attempt < 10000; ++attempt) {
        created = false;
        int descriptor = System().open(target.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC, 0);
        missing = descriptor < 0 && errno == ENOENT;
        if (missing && create) {
            descriptor = System().open(target.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            created = descriptor >= 0;
            if (descriptor < 0 && errno == EEXIST)
                continue;
        }
        if (descriptor < 0)
            return -1;
        struct stat now;
        if (fstat(descriptor, &state) != 0 || !S_ISREG(state.st_mode) ||
            IsReadOnlyFile(state.st_mode) || flock(descriptor, LOCK_EX) != 0) {
            close(descriptor);
            return -1;
        }
        if (System().stat(target.c_str(), &now) == 0 && now.st_dev == state.st_dev &&
            now.st_ino == state.st_ino) {
            fstat(descriptor, &state);
            return descriptor;
        }
        close(descriptor);
    }
    return -1;
}

// The lock of the folder that holds the target, held for a whole write. A
// rename gives the file a new identity, so a lock on the file alone would
// let waiting writers find it replaced again and again; the folder stays.
// -1 where the folder cannot be opened: the file's own lock then serves.
int FolderLock(const std::string& target) {
    const size_t cut = target.rfind('/');
    const std::string folder =
        cut == std::string::npos ? std::string(".") : target.substr(0, cut == 0 ? 1 : cut);
    const int descriptor = System().open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (descriptor >= 0 && flock(descriptor, LOCK_EX) != 0) {
        close(descriptor);
        return -1;
    }
    return descriptor;
}

} // namespace

BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName) {
    if (section == nullptr || fileName == nullptr || *fileName == '\0')
        return FALSE;
    const std::string target = TargetOf(fileName);
    // Only a write that adds something makes a missing file.
    const bool adds = key != nullptr && value != nullptr;
    bool created = false;
    bool missing = false;
    struct stat state;
    const int folder = FolderLock(target);
    const int descriptor = OpenLocked(target, adds, created, missing, state);
    if (descriptor < 0) {
        if (folder >= 0)
            close(folder);
        return missing && !adds ? TRUE : FALSE;
    }
    std::string bytes;
    std::string edited;
    IniEncoding encoding = IniEncoding::kUtf8;
    bool ok = ReadAll(descriptor, bytes);
    if (ok && EditText(DecodeIniText(bytes, encoding), section, key, value, edited)) {
        // The file keeps the encoding it was saved in.
        edited = EncodeIniText(edited, encoding);
        ok = (state.st_nlink == 1 && ReplaceByRename(target, state, edited)) ||
             ReplaceInPlace(descriptor, bytes, edited);
    }
    if (!ok && created)
        unlink(target.c_str());
    ForgetIniFiles();
    close(descriptor);
    if (folder >= 0)
        close(folder);
    return ok ? TRUE : FALSE;
}
#endif
