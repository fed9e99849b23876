// Replacing the published catalog after an edit of its settings file, while
// other threads answer value requests from it without a lock.
//
// Once a second at most, one request (the one that moves nextCheck from a
// time past to kChecking) searches the four places again and looks at the
// first entry found. A file other than the one in use, or the same file
// changed, is loaded at once when its last write lies a second or more
// before the look by the wall clock, so that one refresh of the host's
// panel shows an edit; a younger stamp, or one ahead of the clock (a share
// whose server runs ahead), waits until a later check sees the file exactly
// alike. A file that changed while it was read is dropped and looked at
// again. A stamp can still make a file that is being written look settled
// (a server whose clock runs behind, FAT's two-second stamps, a copy that
// keeps an old stamp): the half read is then replaced at a later look,
// since a reload never turns the watch off. No entry anywhere keeps the
// catalog in use.
//
// A file is read by its path, so what is read need not be what was looked
// at: a link at the path switched away while the file is read, and back
// before the second look, leaves both looks alike and the other file's
// table in use, which no later look would tell. So a look takes the link's
// own last write, which a link has from its making, for the file's when it
// is later: the link back is newer than the one looked at, and what was
// read is dropped. While switching goes on, every look finds the file too
// young to be loaded at once; once it stops, two alike looks load the file
// the link leads to. Not seen so: a link among the path's folders, the
// second link of a chain, a link made long before it is renamed into
// place, a switch while the file's own stamp lies ahead of the clock.
//
// Freeing a replaced catalog. A request of a watched catalog runs
//   e = epoch; counters[e & 1][slot] += 1; c = published; ...; counters -= 1
// and the check that replaces catalog `old` runs
//   published.exchange(new); then, at this or later checks, never waiting:
//   phase 1: every counter of parity !P reads 0, then epoch += 1;
//   phase 2: every counter of parity P reads 0, then old is freed,
// where P is the epoch's parity at the exchange. All of these operations
// are sequentially consistent, so they fall in one total order. A request
// that reads `old` read `published` before the exchange, and so counted
// itself in before it. If it counts in parity !P (it read an epoch before
// the latest flip), phase 1's read of its counter comes after the exchange
// and so after its count: the read sees it until it leaves. If it counts in
// parity P, phase 2 sees it likewise. A request whose count comes after a
// phase's read of its counter reads `published` after the exchange and so
// never sees `old`. The flip between the phases sends new requests to the
// other parity, so each phase waits only for requests already under way.
// The count out is a release and the phases' reads acquire, so whatever a
// request read of `old` happens before it is freed. While a replaced
// catalog waits, no new one is loaded: at most two are held.
#include "plugin/watched_catalog.h"

#include "groups/fibonacci_hash.h"
#include "platform/process_lock.h"
#include "settings/profile_section.h"
#include "settings/settings_location.h"

#include <algorithm>
#include <cstring>
#include <new>

bool SameView(const SettingsFileView& a, const SettingsFileView& b) {
    return std::strcmp(a.path, b.path) == 0 && a.opened == b.opened && a.volume == b.volume &&
           a.index == b.index && a.size == b.size && a.written == b.written;
}

namespace {

std::uint64_t Stamp(const FILETIME& time) {
    return static_cast<std::uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

} // namespace

std::uint64_t SystemFileTime() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return Stamp(now);
}

SettingsFileView ViewSettingsFile(const char* path) {
    SettingsFileView view;
    // The directory search reports a link as itself, and the open below
    // follows it; for a file, both tell the same last write.
    WIN32_FIND_DATAA entry;
    if (path == nullptr || path[0] == '\0' || !FindPathEntry(path, entry))
        return view;
    BoundedCopy(view.path, kPathBufferSize, path);
    // No access asked for: an editor that opens the file without sharing
    // it still gets it, and a folder of that name does not open.
    HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return view;
    // Filled whole when the call succeeds, and read only then.
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileInformationByHandle(file, &info) &&
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        view.opened = true;
        view.volume = info.dwVolumeSerialNumber;
        view.index = static_cast<std::uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
        view.size = static_cast<std::uint64_t>(info.nFileSizeHigh) << 32 | info.nFileSizeLow;
        view.written = std::max(Stamp(info.ftLastWriteTime), Stamp(entry.ftLastWriteTime));
    }
    CloseHandle(file);
    return view;
}

WatchedCatalog::~WatchedCatalog() {
    Free(published.load(std::memory_order_acquire));
    Free(retired);
}

void WatchedCatalog::SetPlaces(HMODULE pluginModule, const char* plugin, const char* hostSettings) {
    module = pluginModule;
    pluginName = plugin;
    BoundedCopy(hostSettingsPath, kPathBufferSize, hostSettings);
}

void WatchedCatalog::PublishFirst(const GroupCatalog& catalog, const SettingsFileView& seen) {
    first = &catalog;
    inUse = seen;
    published.store(reinterpret_cast<std::uintptr_t>(&catalog) |
                        (catalog.ReloadsWhenChanged() ? kWatched : 0),
                    std::memory_order_seq_cst);
}

void CatalogReader::Enter(WatchedCatalog& watch) {
    watch.CheckIfDue();
    // Threads' stacks lie far apart, so where this object lives spreads the
    // threads over the slots without storage of their own; two threads in
    // one slot only share its cache line. Below a page the stacks do not
    // differ; the multiplier mixes the bits above, where they do, into the
    // product's top bits, which pick one of the 2^kSlotBits slots.
    constexpr unsigned kPageBits = 12;
    constexpr unsigned kSlotBits = 4;
    static_assert(WatchedCatalog::kSlots == 1u << kSlotBits, "a slot per value of the top bits");
    const std::uintptr_t place = reinterpret_cast<std::uintptr_t>(this) >> kPageBits;
    const std::size_t slot = static_cast<std::size_t>(
        (static_cast<std::uint64_t>(place) * kFibonacciMultiplier) >> (64 - kSlotBits));
    const std::uint32_t parity = watch.epoch.load(std::memory_order_seq_cst) & 1;
    counter = &watch.counters[parity][slot].readers;
    counter->fetch_add(1, std::memory_order_seq_cst);
    word = watch.published.load(std::memory_order_seq_cst);
}

void WatchedCatalog::CheckIfDue() {
    const std::uint64_t now = clock();
    std::uint64_t due = nextCheck.load(std::memory_order_relaxed);
    // Every other request goes on at once: it answers from the catalog in use.
    if (now < due || !nextCheck.compare_exchange_strong(due, kChecking, std::memory_order_acquire,
                                                        std::memory_order_relaxed))
        return;
    Check(now);
    nextCheck.store(clock() + kCheckInterval, std::memory_order_release);
}

void WatchedCatalog::Check(std::uint64_t now) {
    if (!AdvanceRetirement())
        return;
    HMODULE where;
    const char* name;
    char host[kPathBufferSize];
    {
        ProcessLock lock;
        where = module;
        name = pluginName;
        BoundedCopy(host, kPathBufferSize, hostSettingsPath);
    }
    char found[kPathBufferSize] = {};
    if (LocateSettingsFile(where, name, host, found, static_cast<int>(kPathBufferSize)) ==
        kSettingsNotFound) {
        hasPending = false;
        return;
    }
    const SettingsFileView seen = ViewSettingsFile(found);
    if (SameView(seen, inUse)) {
        hasPending = false;
        return;
    }
    const std::uint64_t wall = wallClock();
    if (seen.opened && wall >= kSettled && seen.written <= wall - kSettled) {
        Reload(seen, now);
        return;
    }
    if (!hasPending || !SameView(seen, pending)) {
        pending = seen;
        pendingSince = now;
        hasPending = true;
        return;
    }
    if (now - pendingSince >= kCheckInterval)
        Reload(seen, now);
}

void WatchedCatalog::Reload(const SettingsFileView& seen, std::uint64_t now) {
    // A file that cannot be opened, an empty one (an editor between
    // truncating and writing, or a user who emptied it) or one too large to
    // be read keeps the catalog in use; the next check tries again.
    if (!seen.opened || seen.size == 0 || seen.size > ProfileSection::kLargestFile)
        return;
    // The reader would take a file it cannot read for an empty one.
    HANDLE probe =
        CreateFileA(seen.path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE)
        return;
    CloseHandle(probe);
    GroupCatalog* fresh = nullptr;
    try {
        fresh = new GroupCatalog();
        fresh->LoadGroups(std::string(seen.path));
    } catch (const std::bad_alloc&) {
        delete fresh;
        return;
    }
    held.fetch_add(1, std::memory_order_relaxed);
    // Changed while it was read: it may have been read half-way, so it
    // waits to be seen alike again.
    const SettingsFileView after = ViewSettingsFile(seen.path);
    if (!SameView(after, seen)) {
        Free(reinterpret_cast<std::uintptr_t>(fresh));
        pending = after;
        pendingSince = now;
        return;
    }
    Publish(fresh);
    inUse = seen;
    hasPending = false;
}

void WatchedCatalog::Publish(const GroupCatalog* catalog) {
    // Watched whatever the new file says: a file read while its writer
    // paused may lack the key, which sits at its end, and a watch switched
    // off by it would never load the rest. Turning the key off therefore
    // takes effect at the host's next start.
    const std::uintptr_t word = reinterpret_cast<std::uintptr_t>(catalog) | kWatched;
    retired = published.exchange(word, std::memory_order_seq_cst);
    retiredParity = epoch.load(std::memory_order_relaxed) & 1;
    retiredFlipped = false;
    // Freed at once when no request is under way.
    AdvanceRetirement();
}

bool WatchedCatalog::AdvanceRetirement() {
    if (retired == 0)
        return true;
    if (!retiredFlipped) {
        if (!Quiet(retiredParity ^ 1))
            return false;
        epoch.fetch_add(1, std::memory_order_seq_cst);
        retiredFlipped = true;
    }
    if (!Quiet(retiredParity))
        return false;
    Free(retired);
    retired = 0;
    return true;
}

bool WatchedCatalog::Quiet(unsigned parity) const {
    for (const Counter& each : counters[parity])
        if (each.readers.load(std::memory_order_seq_cst) != 0)
            return false;
    return true;
}

void WatchedCatalog::Free(std::uintptr_t word) {
    const GroupCatalog* catalog = reinterpret_cast<const GroupCatalog*>(word & ~kWatched);
    if (catalog == nullptr || catalog == first)
        return;
    delete catalog;
    held.fetch_sub(1, std::memory_order_relaxed);
}
