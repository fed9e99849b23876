// The search for an entry whose name the host could not convert to its code
// page. The system gives a search's names in the same code page, converted
// the same way ('?' in place of the same characters, the same look-alike
// letters), so an entry whose 8-bit name is the part as passed is one the
// host may have meant; a search pattern alone would also take short names
// and the looser wildcard rules of the system. The entries read decide: a
// folder among files leaves the path's kind unknown, and an unknown kind
// gives no value. A folder of thousands of names must not cost thousands of
// entries on every request, so each part reads a bounded number, and an
// entry past the bound counts for nothing. Only a request whose attribute
// query failed comes here.
#include "plugin/replaced_name_search.h"

#include "platform/text/path_spelling.h"
#include "platform/win32.h"
#include <cstring>

namespace {

constexpr int kFileKind = 1;
constexpr int kFolderKind = 2;
constexpr int kUnknownKind = kFileKind | kFolderKind;

// Entries read for one part of the path, over every folder the part is
// searched in: several folders may carry the same 8-bit name, and each is
// searched in turn, so a crafted tree must not make one request walk it all.
// Every call that asks the system for an entry counts, one that finds none
// too, so the calls are bounded as well as the entries.
constexpr int kMostEntriesRead = 256;

// The most parts holding a '?' that a path buffer has room for: each takes
// the '?' and, but for the last, a separator.
constexpr std::size_t kMostSearchedParts = MAX_PATH / 2;

struct PathSearch {
    const char* path;                    // as the host passed it, which names nothing
    char query[MAX_PATH];                // the path as the system is asked, built part by part
    int entriesLeft[kMostSearchedParts]; // by searched part, in the path's order
    bool cut;                            // a part's entries ran out
};

// Adds the bytes at the given position of the query; false when they do not
// fit, which leaves nothing to ask.
bool Put(PathSearch& walk, std::size_t at, const char* bytes, std::size_t length) {
    if (at + length >= MAX_PATH)
        return false;
    std::memcpy(walk.query + at, bytes, length);
    walk.query[at + length] = '\0';
    return true;
}

// False when the part's allowance of entries is used up, else true with one
// entry taken. Once none is left the whole walk stops, not the part's search
// alone: whatever else it could still learn lies behind this part.
bool TakeEntry(PathSearch& walk, std::size_t part) {
    if (walk.entriesLeft[part] == 0) {
        walk.cut = true;
        return false;
    }
    --walk.entriesLeft[part];
    return true;
}

// The kinds of entry (kFileKind and kFolderKind as bits; 0 for none) that
// the path's parts from `rest` on can name, below the folder that the
// query's first `at` bytes name; `part` counts the parts searched above. A
// part that names an entry as written is taken as it is; another is looked
// for among the folder's entries: by the part itself as the pattern when it
// holds '?', else among them all.
int KindsBelow(PathSearch& walk, std::size_t at, const char* rest, std::size_t part) {
    for (;; ++part) {
        const char* separator = FindSeparator(rest);
        const std::size_t length =
            separator != nullptr ? static_cast<std::size_t>(separator - rest) : std::strlen(rest);
        const bool last = separator == nullptr;
        if (part >= kMostSearchedParts || !Put(walk, at, rest, length))
            return 0;
        // The whole path as passed is known to name nothing: not asked again.
        const bool replaced = std::memchr(rest, '?', length) != nullptr;
        const bool asked = last && std::strcmp(walk.query, walk.path) == 0;
        const DWORD attributes =
            replaced || asked ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(walk.query);
        if (attributes != INVALID_FILE_ATTRIBUTES) {
            const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            if (last)
                return folder ? kFolderKind : kFileKind;
            // A file where the path needs a folder names nothing.
            if (!folder || !Put(walk, at + length, separator, 1))
                return 0;
            at += length + 1;
            rest = separator + 1;
            continue;
        }
        // Wildcards count only in a path's last part, so a folder found is
        // entered by its short name below.
        if (!replaced && !Put(walk, at, "*", 1))
            return 0;
        if (!TakeEntry(walk, part))
            return 0;
        WIN32_FIND_DATAA entry;
        const HANDLE search = FindFirstFileA(walk.query, &entry);
        if (search == INVALID_HANDLE_VALUE)
            return 0;
        int kinds = 0;
        do {
            if (std::strncmp(entry.cFileName, rest, length) != 0 || entry.cFileName[length] != '\0')
                continue;
            const bool folder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            if (last) {
                kinds |= folder ? kFolderKind : kFileKind;
            } else if (folder) {
                // Without a short name (their making can be turned off) the
                // folder cannot be entered through 8-bit calls: what it holds
                // is unknown.
                const std::size_t shortLength = std::strlen(entry.cAlternateFileName);
                if (shortLength == 0 || !Put(walk, at, entry.cAlternateFileName, shortLength) ||
                    !Put(walk, at + shortLength, separator, 1))
                    kinds |= kUnknownKind;
                else
                    kinds |= KindsBelow(walk, at + shortLength + 1, separator + 1, part + 1);
            }
            // A file where the path needs a folder names nothing.
        } while (kinds != kUnknownKind && !walk.cut && TakeEntry(walk, part) &&
                 FindNextFileA(search, &entry));
        FindClose(search);
        return kinds;
    }
}

} // namespace

bool ReplacedNameIsFile(const char* path) {
    if (std::memchr(path, '\0', MAX_PATH) == nullptr || std::strncmp(path, "\\\\?\\", 4) == 0)
        return false;
    PathSearch walk;
    walk.path = path;
    for (int& left : walk.entriesLeft)
        left = kMostEntriesRead;
    walk.cut = false;
    // The walk starts below the deepest folder that the path names as
    // written: the parts above it cost nothing.
    std::strcpy(walk.query, path);
    for (char* separator = const_cast<char*>(FindLastSeparator(walk.query)); separator != nullptr;
         separator = const_cast<char*>(FindLastSeparator(walk.query))) {
        separator[1] = '\0';
        const DWORD attributes = GetFileAttributesA(walk.query);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            const std::size_t at = static_cast<std::size_t>(separator + 1 - walk.query);
            return KindsBelow(walk, at, path + at, 0) == kFileKind;
        }
        separator[0] = '\0';
    }
    return false;
}
