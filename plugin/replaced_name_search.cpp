// The search for an entry whose name the host could not convert to its code
// page. The system gives a search's names in the same code page, with the
// same '?' in place of the same characters, so an entry whose 8-bit name is
// the part as passed is one the host may have meant; a search pattern alone
// would also take short names and the looser wildcard rules of the system.
// Several such entries must agree: a folder among files leaves the path's
// kind unknown, and an unknown kind gives no value.
#include "replaced_name_search.h"

#include "path_spelling.h"
#include "text_search.h"
#include "win32.h"
#include <cstring>

namespace {

constexpr int kFileKind = 1;
constexpr int kFolderKind = 2;
constexpr int kUnknownKind = kFileKind | kFolderKind;

// Entries taken in all, over every folder a part may lead into: several
// folders may carry the same 8-bit name, and each is searched in turn, so a
// crafted tree must not make one request walk it all.
constexpr int kMostEntriesTaken = 16;

struct Walk {
    char query[MAX_PATH]; // the path as the system is asked, built part by part
    int entriesLeft;
};

// Adds the bytes at the given position of the query; false when they do not
// fit, which leaves nothing to ask.
bool Put(Walk& walk, std::size_t at, const char* bytes, std::size_t length) {
    if (at + length >= MAX_PATH)
        return false;
    std::memcpy(walk.query + at, bytes, length);
    walk.query[at + length] = '\0';
    return true;
}

// The kinds of entry that the path's parts from `rest` on can name, below
// the folder that the query's first `at` bytes name.
int KindsBelow(Walk& walk, std::size_t at, const char* rest) {
    for (;;) {
        const char* separator = FindSeparator(rest);
        const std::size_t length =
            separator != nullptr ? static_cast<std::size_t>(separator - rest) : std::strlen(rest);
        const bool last = separator == nullptr;
        if (!Put(walk, at, rest, length + (last ? 0 : 1)))
            return 0;
        if (std::memchr(rest, '?', length) == nullptr) {
            if (!last) {
                at += length + 1;
                rest = separator + 1;
                continue;
            }
            const DWORD attributes = GetFileAttributesA(walk.query);
            if (attributes == INVALID_FILE_ATTRIBUTES)
                return 0;
            return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? kFolderKind : kFileKind;
        }
        // The part is the search pattern: wildcards count only in a path's
        // last part, so a folder found is entered by its short name below.
        walk.query[at + length] = '\0';
        WIN32_FIND_DATAA entry;
        const HANDLE search = FindFirstFileA(walk.query, &entry);
        if (search == INVALID_HANDLE_VALUE)
            return 0;
        int kinds = 0;
        do {
            if (std::strncmp(entry.cFileName, rest, length) != 0 || entry.cFileName[length] != '\0')
                continue;
            if (--walk.entriesLeft < 0) {
                kinds = kUnknownKind;
                break;
            }
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
                    kinds |= KindsBelow(walk, at + shortLength + 1, separator + 1);
            }
            // A file where the path needs a folder names nothing.
        } while (kinds != kUnknownKind && FindNextFileA(search, &entry));
        FindClose(search);
        return kinds;
    }
}

} // namespace

bool ReplacedNameIsFile(const char* path) {
    if (std::memchr(path, '\0', MAX_PATH) == nullptr || std::strchr(path, '?') == nullptr ||
        std::strncmp(path, "\\\\?\\", 4) == 0)
        return false;
    Walk walk;
    walk.entriesLeft = kMostEntriesTaken;
    return KindsBelow(walk, 0, path) == kFileKind;
}
