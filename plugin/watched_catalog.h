// The group catalog that value requests read and, for a settings file that
// asks for it ([Configuration] ReloadWhenChanged=1), the watch that replaces
// it after an edit. A catalog without the key is published once and read as
// it is: its requests pay one load and one branch for the watch. With the
// key, a request also reads a coarse clock and counts itself in and out, so
// that a replaced catalog is freed only once no request can still read it.
#pragma once

#include "settings/bounded_string.h"
#include "groups/group_catalog.h"
#include "platform/win32.h"

#include <atomic>
#include <cstddef>
#include <cstdint>

// A look at a settings file: the path of the first of the four places that
// holds an entry, and the identity, size and last write of the file there,
// as the system reports them for an open handle.
struct SettingsFileView {
    char path[kPathBufferSize] = {}; // empty: no place holds an entry
    bool opened = false;             // it opened as a file and told its identity
    std::uint32_t volume = 0;
    std::uint64_t index = 0;
    std::uint64_t size = 0;
    // The system's own stamp, never compared with a clock: the file's last
    // write, or that of a link at the path when it is later.
    std::uint64_t written = 0;
};

// Whether two looks saw the same entry at the same path, unchanged.
bool SameView(const SettingsFileView& a, const SettingsFileView& b);

// The system's wall clock, in the steps of SettingsFileView::written.
std::uint64_t SystemFileTime();

// The view of the entry at `path`; an empty path, or one where nothing is,
// gives the view of no file. The entry is opened for its attributes only and
// shares reading, writing and deleting, so that no editor's save fails on
// our account.
SettingsFileView ViewSettingsFile(const char* path);

class WatchedCatalog {
public:
    // Milliseconds on a monotonic clock; tests inject their own.
    using Clock = std::uint64_t (*)();
    // The wall clock on the scale of a file's last write (100 ns steps since
    // 1601, as the system reports both); tests inject their own.
    using WallClock = std::uint64_t (*)();
    // The places are searched at most once per interval. A changed file is
    // loaded at once when its last write lies at least kSettled before the
    // look, else when two searches at least an interval apart saw it alike.
    static constexpr std::uint64_t kCheckInterval = 1000;
    static constexpr std::uint64_t kSettled = 10000000; // one second in 100 ns steps
    // Set in the published word when the catalog there asks to be watched.
    static constexpr std::uintptr_t kWatched = 1;

    constexpr WatchedCatalog(Clock clock, WallClock wallClock)
        : clock(clock), wallClock(wallClock) {}
    ~WatchedCatalog();
    WatchedCatalog(const WatchedCatalog&) = delete;
    WatchedCatalog& operator=(const WatchedCatalog&) = delete;

    // The published word, a tagged pointer: the published catalog's address
    // with kWatched added when it is watched; 0 before the first publication.
    std::uintptr_t PublishedWord() const { return published.load(std::memory_order_acquire); }
    static bool IsWatched(std::uintptr_t word) { return (word & kWatched) != 0; }

    // The arguments of the host's latest ContentSetDefaultParams, which a
    // check searches the four places with. Called under the process lock.
    void SetPlaces(HMODULE module, const char* pluginName, const char* hostSettingsPath);

    // Publishes the first catalog, which the caller keeps for the life of
    // this object; `seen` is the settings file as it was before the catalog
    // was read from it. Called under the process lock, once.
    void PublishFirst(const GroupCatalog& catalog, const SettingsFileView& seen);

    // Catalogs this object loaded and still holds: the one in use and one
    // replaced that readers may still be reading.
    std::size_t HeldCatalogs() const { return held.load(std::memory_order_relaxed); }

private:
    friend class CatalogReader;

    // The slots a request counts itself in, per parity of the epoch.
    static constexpr std::size_t kSlots = 16;
    struct alignas(64) Counter {
        std::atomic<std::uint32_t> readers{0};
    };
    // nextCheck's value while a check runs: no other request starts one.
    static constexpr std::uint64_t kChecking = ~std::uint64_t(0);

    void CheckIfDue();
    void Check(std::uint64_t now);
    void Reload(const SettingsFileView& seen, std::uint64_t now);
    void Publish(const GroupCatalog* catalog);
    // True once no replaced catalog waits to be freed: the retired one goes
    // when the readers of both parities have left.
    bool AdvanceRetirement();
    // Whether no request is counted in under the parity.
    bool Quiet(unsigned parity) const;
    void Free(std::uintptr_t word);

    // Read by every request of a watched catalog, written at most once per
    // check.
    alignas(64) std::atomic<std::uintptr_t> published{0};
    std::atomic<std::uint64_t> nextCheck{0};
    std::atomic<std::uint32_t> epoch{0};
    Counter counters[2][kSlots];

    // The checking request's own: only the request that holds the check
    // (nextCheck at kChecking) reads or writes these.
    Clock clock;
    WallClock wallClock;
    const GroupCatalog* first = nullptr; // the caller's, never freed here
    std::uintptr_t retired = 0;          // replaced, waiting for its readers to leave
    unsigned retiredParity = 0;
    bool retiredFlipped = false;
    SettingsFileView inUse;   // the file the published catalog was read from
    SettingsFileView pending; // a changed file, seen once, waiting to be seen alike again
    bool hasPending = false;
    std::uint64_t pendingSince = 0;
    std::atomic<std::size_t> held{0};

    // Written under the process lock, copied under it by a check.
    HMODULE module = nullptr;
    const char* pluginName = "";
    char hostSettingsPath[kPathBufferSize] = {};
};

// One request's hold on the published catalog, for as long as it lives: for
// a watched catalog it may first run the check that is due, then counts
// itself in, so that the catalog it reads is not freed under it.
class CatalogReader {
public:
    explicit CatalogReader(WatchedCatalog& watch) : word(watch.PublishedWord()) {
        if (WatchedCatalog::IsWatched(word))
            Enter(watch);
    }
    ~CatalogReader() {
        if (counter != nullptr)
            counter->fetch_sub(1, std::memory_order_release);
    }
    CatalogReader(const CatalogReader&) = delete;
    CatalogReader& operator=(const CatalogReader&) = delete;

    // The catalog to answer from; `none` before anything is published.
    const GroupCatalog& Catalog(const GroupCatalog& none) const {
        return word != 0 ? *reinterpret_cast<const GroupCatalog*>(word & ~WatchedCatalog::kWatched)
                         : none;
    }

private:
    void Enter(WatchedCatalog& watch);

    std::uintptr_t word;
    std::atomic<std::uint32_t>* counter = nullptr;
};
