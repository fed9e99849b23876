// The watch over the settings file, driven by a clock of the test's own:
// when an edit is loaded, which file counts, what keeps the table in use,
// and that threads reading while tables are replaced always see a whole
// one and that replaced tables are freed.
#include "settings/profile_section.h"
#include "tests/plugin/read_seam.h"
#include "tests/support/scratch_folder.h"
#include "settings/settings_location.h"
#include "plugin/watched_catalog.h"

#include <gtest/gtest.h>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::atomic<std::uint64_t> Now{1000000};
std::uint64_t TestClock() {
    return Now.load();
}
// The system's wall clock, moved by the skew a row sets so that the files
// it writes look that much older. By default it runs a minute behind: a
// file just written never looks settled, however slow the machine. (The
// system's clock itself keeps the rows honest: an epoch off by more than a
// minute makes them fail.)
constexpr std::int64_t kDefaultSkew = -60 * static_cast<std::int64_t>(WatchedCatalog::kSettled);
std::atomic<std::int64_t> WallSkew{kDefaultSkew};
// Run once at the next look at the wall clock: after a check's look at the
// file, before its read.
std::function<void()> AtTheNextLook;
std::uint64_t TestWallClock() {
    if (AtTheNextLook)
        std::exchange(AtTheNextLook, nullptr)();
    return SystemFileTime() + static_cast<std::uint64_t>(WallSkew.load());
}

const GroupCatalog Empty;

// A table that names its version V in its fallback, with group 0 listing
// extension eV named gV, so a table read half-way shows.
std::string Table(const std::string& version, bool watched = true) {
    return "[Groups]\n0=e" + version + "\n0_name=g" + version + "\n[Configuration]\n" +
           (watched ? "ReloadWhenChanged=1\n" : "") + "UnknownGroupPlaceHolder=" + version + "\n";
}

// The first place beside the host settings file, the second in the
// plugin's folder there; "elsewhere" is where moved places look.
std::string Place(char place) {
    return place == '1'   ? "host/Lumbrasket.ini"
           : place == '2' ? "host/Lumbrasket/Lumbrasket.ini"
                          : "elsewhere/Lumbrasket.ini";
}

class Watch {
public:
    // `files`: "1:A" writes version A in place 1, "1:A-" without the key.
    explicit Watch(const std::vector<std::string>& files) {
        WallSkew = kDefaultSkew;
        for (const std::string& file : files)
            Do(file);
        watch.SetPlaces(nullptr, "Lumbrasket", folder.Path("host/wdx.ini").c_str());
        char path[kPathBufferSize] = {};
        LocateSettingsFile(nullptr, "Lumbrasket", folder.Path("host/wdx.ini").c_str(), path,
                           static_cast<int>(kPathBufferSize));
        const SettingsFileView seen = ViewSettingsFile(path);
        first.LoadGroups(path);
        watch.PublishFirst(first, seen);
    }

    // One request: the version of the table it answers from, checked whole.
    std::string Request() {
        const CatalogReader reader(watch);
        const GroupCatalog& catalog = reader.Catalog(Empty);
        const std::string version = catalog.FallbackName();
        const std::string extension = "e" + version;
        if (std::string(catalog.FindGroup(extension.c_str()).name) != "g" + version)
            return "torn " + version;
        return version;
    }

    // An edit of the places: "1:B" writes B in place 1 ("1:" writes an
    // empty file, "1:B-" B without the key), "-1" deletes it, "/1" puts a
    // folder there, "~1:B" replaces it by renaming B onto it with its size
    // and time kept, "=1:B" rewrites it in place with its time kept, "+1"
    // moves its time on by ten seconds, "*1" grows it past the largest file
    // read, "%1:B" writes B there while the next read is under way (false
    // where that cannot be brought about), "!2" has every stamp look two
    // seconds old from then on and "!" fresh again, "@" moves the places
    // elsewhere. ">1:3" makes place 1 a link to place 3, made a minute ago;
    // "<1:2" switches that link to place 2 after the next look and back
    // during the read that follows (both false where no link can be made).
    bool Do(const std::string& action) {
        if (action.empty())
            return true;
        const char kind = action[0];
        if (kind == '@') {
            watch.SetPlaces(nullptr, "Lumbrasket", folder.Path("elsewhere/wdx.ini").c_str());
            return true;
        }
        if (kind == '!') {
            WallSkew = action.size() == 1 ? kDefaultSkew
                                          : std::stoll(action.substr(1)) *
                                                static_cast<std::int64_t>(WatchedCatalog::kSettled);
            return true;
        }
        if (kind == '%')
            return EditAtTheNextRead([this, action] { Do(action.substr(1)); });
        const std::size_t at = std::strchr("-/~=+*<>", kind) != nullptr ? 1 : 0;
        const std::string path = folder.Path(Place(action[at]));
        if (kind == '>')
            return MakeLink(folder.Path(Place(action[3])), path, 60);
        if (kind == '<') {
            const std::string away = folder.Path(Place(action[3]));
            const std::string back = fs::read_symlink(path).string();
            AtTheNextLook = [=] {
                MakeLink(away, path, 0);
                EditAtTheNextRead([=] { MakeLink(back, path, 0); });
            };
            return true;
        }
        const std::string version = action.size() > at + 2 ? action.substr(at + 2) : "";
        const bool watched = version.empty() || version.back() != '-';
        const std::string text =
            version.empty()
                ? ""
                : Table(watched ? version : version.substr(0, version.size() - 1), watched);
        std::error_code error;
        if (kind == '-') {
            fs::remove(path, error);
        } else if (kind == '/') {
            fs::remove(path, error);
            fs::create_directories(path, error);
        } else if (kind == '*') {
            fs::resize_file(path, ProfileSection::kLargestFile + 1);
        } else if (kind == '+') {
            fs::last_write_time(path, fs::last_write_time(path) + std::chrono::seconds(10));
        } else if (kind == '~' || kind == '=') {
            const fs::file_time_type time = fs::last_write_time(path);
            const std::string written = kind == '~' ? path + ".new" : path;
            folder.Write(fs::relative(written, folder.Path()).string(), text);
            fs::last_write_time(written, time);
            if (kind == '~')
                fs::rename(written, path);
        } else {
            folder.Write(Place(kind), text);
        }
        return true;
    }

    ScratchFolder folder;
    GroupCatalog first;
    WatchedCatalog watch{TestClock, TestWallClock};
};

struct Step {
    const char* action; // as Watch::Do takes it
    int advance;        // milliseconds the clock moves on before the request
    const char* answer; // the version the request answers from
};

struct WatchCase {
    const char* name;
    std::vector<std::string> files;
    std::vector<Step> steps;
};

const WatchCase kWatchCases[] = {
    // The first request checks at once; a fresh edit is loaded at the check
    // that sees it as the one before did, a full interval later, not earlier.
    {"EditLoadsAtTheSecondAlikeLook",
     {"1:A"},
     {{"", 0, "A"}, {"1:B", 0, "A"}, {"", 999, "A"}, {"", 1, "A"}, {"", 999, "A"}, {"", 1, "B"}}},
    // An edit whose stamp is a second old is loaded at the first look; one
    // ahead of the clock waits for a second look, as a fresh one does.
    {"SettledEditLoadsAtTheFirstLook", {"1:A"}, {{"!2", 0, "A"}, {"1:B", 1000, "B"}}},
    {"FutureStampWaitsForASecondLook",
     {"1:A"},
     {{"!2", 0, "A"}, {"1:B", 1000, "B"}, {"1:C", 0, "B"}, {"+1", 1000, "B"}, {"", 1000, "C"}}},
    // An old stamp on a file still being written: the half is loaded, and
    // the whole replaces it at a later look.
    {"OldStampOnAHalfWrittenFile",
     {"1:A"},
     {{"!2", 0, "A"}, {"=1:B-", 1000, "B"}, {"!", 0, "B"}, {"1:C", 1000, "B"}, {"", 1000, "C"}}},
    // Written again while it was read: what was read is dropped.
    {"EditDuringTheRead",
     {"1:A"},
     {{"!2", 0, "A"}, {"%1:CC", 0, "A"}, {"1:B", 1000, "A"}, {"", 1000, "CC"}}},
    {"FileStillChangingWaits",
     {"1:A"},
     {{"1:B", 1000, "A"}, {"1:BB", 1000, "A"}, {"", 1000, "BB"}}},
    {"HigherPlaceTakesOver", {"2:A"}, {{"1:B", 1000, "A"}, {"", 1000, "B"}}},
    {"DeletedFileGivesWayToALowerPlace", {"1:A", "2:B"}, {{"-1", 1000, "A"}, {"", 1000, "B"}}},
    {"NoFileAnywhereKeepsTheTable",
     {"1:A"},
     {{"-1", 1000, "A"}, {"", 1000, "A"}, {"", 5000, "A"}, {"1:C", 1000, "A"}, {"", 1000, "C"}}},
    {"EmptyFileKeepsTheTableUntilWritten",
     {"1:A"},
     {{"1:", 1000, "A"}, {"", 1000, "A"}, {"", 1000, "A"}, {"1:D", 1000, "A"}, {"", 1000, "D"}}},
    {"FileTooLargeKeepsTheTable",
     {"1:A"},
     {{"1:B", 1000, "A"},
      {"*1", 0, "A"},
      {"", 1000, "A"},
      {"", 1000, "A"},
      {"1:C", 1000, "A"},
      {"", 1000, "C"}}},
    {"FolderInPlaceKeepsTheTable", {"1:A"}, {{"/1", 1000, "A"}, {"", 1000, "A"}, {"", 1000, "A"}}},
    // Each of identity, size and time alone tells a change.
    {"FileReplacedWithSizeAndTimeKept", {"1:A"}, {{"~1:B", 1000, "A"}, {"", 1000, "B"}}},
    {"FileRewrittenInPlaceWithTimeKept", {"1:A"}, {{"=1:BB", 1000, "A"}, {"", 1000, "BB"}}},
    // A rewrite that keeps size and time looks unchanged, as to every tool
    // that trusts time stamps, until its time moves. The time is moved once
    // first: a runtime that sets times in whole seconds keeps it exactly.
    {"OnlyTheTimeMoved",
     {"1:A"},
     {{"+1", 1000, "A"},
      {"", 1000, "A"},
      {"=1:B", 1000, "A"},
      {"", 1000, "A"},
      {"+1", 1000, "A"},
      {"", 1000, "B"}}},
    // A file read while its writer paused lacks the key at its end; the
    // whole file written later is loaded all the same. So is every edit
    // after one that turns the key off, until the host starts again.
    {"AReloadNeverTurnsTheWatchOff",
     {"1:A"},
     {{"1:B-", 1000, "A"}, {"", 1000, "B"}, {"", 2500, "B"}, {"1:C", 1000, "B"}, {"", 1000, "C"}}},
    {"WithoutTheKeyNothingIsReadAgain",
     {"1:A-"},
     {{"1:B", 1000, "A"}, {"", 1000, "A"}, {"", 1000, "A"}, {"", 5000, "A"}}},
    {"LinkSwitchedAwayAndBackDuringTheRead",
     {"1:A", "2:C", "3:B"},
     {{">1:3", 1000, "A"}, {"<1:2", 1000, "A"}, {"", 1000, "B"}}},
    {"MovedPlacesAreSearched",
     {"1:A", "3:E"},
     {{"@", 1000, "A"}, {"", 1000, "E"}, {"1:F", 1000, "E"}, {"", 1000, "E"}}},
};

class WatchTest : public testing::TestWithParam<WatchCase> {};

TEST_P(WatchTest, AnswersStepByStep) {
    Watch watch(GetParam().files);
    int index = 0;
    for (const Step& step : GetParam().steps) {
        SCOPED_TRACE(testing::Message() << "step " << index++ << " " << step.action);
        if (!watch.Do(step.action))
            GTEST_SKIP() << "no edit can be made during a read here";
        Now += static_cast<std::uint64_t>(step.advance);
        EXPECT_EQ(step.answer, watch.Request());
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, WatchTest, testing::ValuesIn(kWatchCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Moves the clock on until a request answers from `version`; false when
// that many intervals do not bring it. Another thread may hold the check
// that is due, and then this request goes on without it.
bool AnswersSoon(Watch& watch, const std::string& version, int intervals = 10) {
    for (int check = 0; check < intervals; ++check) {
        Now += WatchedCatalog::kCheckInterval;
        if (watch.Request() == version)
            return true;
        std::this_thread::yield();
    }
    return false;
}

// A request that still reads a replaced table keeps it: only two tables
// are ever held, and one a request reads stays whole until it is done.
TEST(WatchMemoryTest, ThousandReloadsHoldAtMostTwoTables) {
    Watch watch({"1:v0"});
    std::size_t most = 0;
    for (int reload = 1; reload <= 1000; ++reload) {
        const std::string version = "v" + std::to_string(reload);
        watch.Do("1:" + version);
        const CatalogReader* held = reload % 2 == 0 ? new CatalogReader(watch.watch) : nullptr;
        ASSERT_TRUE(AnswersSoon(watch, version)) << version;
        most = std::max(most, watch.watch.HeldCatalogs());
        if (held != nullptr) {
            EXPECT_EQ("v" + std::to_string(reload - 1), held->Catalog(Empty).FallbackName());
            delete held;
        }
    }
    EXPECT_LE(most, 2u);
    EXPECT_GE(most, 2u) << "a held table was freed under its reader";
    Now += WatchedCatalog::kCheckInterval;
    watch.Request();
    EXPECT_EQ(1u, watch.watch.HeldCatalogs());
}

// Eight threads ask all the while the file is rewritten a hundred times;
// run under ThreadSanitizer too. Every answer comes from a whole table.
TEST(WatchThreadsTest, ReadersSeeOnlyWholeTablesWhileTheFileIsRewritten) {
    Watch watch({"1:w0"});
    std::atomic<bool> done{false};
    std::atomic<int> wrong{0};
    std::atomic<long> answers{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 8; ++t)
        readers.emplace_back([&] {
            while (!done.load()) {
                const std::string version = watch.Request();
                if (version.size() < 2 || version[0] != 'w')
                    ++wrong;
                ++answers;
                // Two cores here: the rewriting thread must get its turns.
                std::this_thread::yield();
            }
        });
    for (int rewrite = 1; rewrite <= 100; ++rewrite) {
        const std::string version = "w" + std::to_string(rewrite);
        watch.Do("1:" + version);
        if (!AnswersSoon(watch, version, 1000000)) {
            ADD_FAILURE() << version << " never answered";
            break;
        }
    }
    done = true;
    for (std::thread& reader : readers)
        reader.join();
    EXPECT_EQ(0, wrong.load());
    EXPECT_GT(answers.load(), 0);
    EXPECT_LE(watch.watch.HeldCatalogs(), 2u);
}

} // namespace
