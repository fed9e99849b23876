// The Linux platform layer against conditions only Linux makes: a mounted
// folder (a bind mount keeps its parent's device number) is a reparse point
// that no tree removal enters, an overlay's files from two layers are two
// files, a FIFO never blocks a query, every spelling of a path names one
// entry, permission bits read as Windows' read-only attribute, a failed
// write or flush gives Windows' code for its reason, a settings write
// survives writers stopped, killed or interrupted by signals, a kept
// settings file is compared with the file until it settles, whatever the
// file's time stamps, and the environment block holds every variable.
#include "fsutil/directory_tree.h"
#include "platform/linux/system_calls.h"
#include "fsutil/reparse_point.h"
#include "tests/support/scratch_folder.h"
#include "fsutil/volume_identity.h"
#include "platform/system_error_text.h"
#include "platform/win32.h"

#include <gtest/gtest.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sched.h>
#include <string>
#include <string_view>
#include <sys/mount.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

bool Exists(const std::string& path) {
    std::error_code error;
    return fs::exists(fs::symlink_status(path, error));
}

// This process in a mount namespace of its own, whose mounts no one else
// sees; false where the system does not allow one (not root, no namespaces).
bool PrivateMounts() {
    static const bool made = unshare(CLONE_NEWNS) == 0 &&
                             mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    return made;
}

// A mount that is undone when the test ends, before its folder is removed.
class Mounted {
public:
    Mounted(const std::string& source, const std::string& at, const char* type, unsigned long flags,
            const char* options = nullptr)
        : at(at), done(mount(source.c_str(), at.c_str(), type, flags, options) == 0) {}
    ~Mounted() {
        if (done)
            umount2(at.c_str(), MNT_DETACH);
    }
    std::string at;
    bool done;
};

// A system call pointed at a stand-in for one test, put back afterwards.
class StandIn {
public:
    StandIn() : saved(System()) {}
    ~StandIn() { System() = saved; }

private:
    SystemCalls saved;
};

#ifndef STATX_ATTR_MOUNT_ROOT
#define STATX_ATTR_MOUNT_ROOT 0x2000
#endif

// A kernel before 5.8 does not say whether a folder is a mount's root.
int StatxWithoutMountRoot(int folder, const char* path, int flags, unsigned int mask,
                          struct statx* entry) {
    const int result = RealSystem().statx(folder, path, flags, mask, entry);
    entry->stx_attributes_mask &=
        ~static_cast<decltype(entry->stx_attributes_mask)>(STATX_ATTR_MOUNT_ROOT);
    return result;
}

#define REQUIRE_PRIVATE_MOUNTS()                                                                   \
    if (!PrivateMounts())                                                                          \
    GTEST_SKIP() << "no private mount namespace here (needs root and unshare)"

TEST(MountPointTest, NeverEnteredWhateverTheSpelling) {
    REQUIRE_PRIVATE_MOUNTS();
    const char* const roots[] = {"tree",     "tree/",     "tree/.",     "tree//",
                                 "tree/mnt", "tree/mnt/", "tree/mnt/.", "tree/mnt//"};
    for (const bool mountRootKnown : {true, false}) {
        StandIn standIn;
        if (!mountRootKnown)
            System().statx = StatxWithoutMountRoot; // the mount table decides
        for (const char* root : roots) {
            for (int deleteFiles : {0, 1}) {
                SCOPED_TRACE(std::string(root) +
                             (deleteFiles ? " deleting files" : " keeping files") +
                             (mountRootKnown ? "" : ", mount root unknown"));
                ScratchFolder folder;
                const std::string mountPoint = folder.MakeFolder("tree/mnt");
                const std::string kept = folder.Write("out/f.txt", "keep");
                const std::string emptyInside = folder.MakeFolder("out/empty");
                Mounted bind(folder.Path("out"), mountPoint, nullptr, MS_BIND);
                ASSERT_TRUE(bind.done);
                EXPECT_EQ(kReparseVolumeMount, GetReparseKind(mountPoint.c_str()));
                EXPECT_NE(0u,
                          GetFileAttributesA(mountPoint.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);

                EXPECT_EQ(1, RemoveDirectoryTree(folder.Path(root).c_str(), deleteFiles));
                EXPECT_TRUE(Exists(kept));
                EXPECT_TRUE(Exists(emptyInside));
                EXPECT_TRUE(Exists(folder.Path("tree/mnt/f.txt")));
            }
        }
    }
}

TEST(VolumeIdentityTest, OverlayFilesOfTwoLayersAreTwoFiles) {
    REQUIRE_PRIVATE_MOUNTS();
    ScratchFolder folder;
    // Two fresh file systems number their first files alike.
    Mounted lower1("lumbrasket", folder.MakeFolder("l1"), "tmpfs", 0);
    Mounted lower2("lumbrasket", folder.MakeFolder("l2"), "tmpfs", 0);
    folder.Write("l1/x", "x");
    folder.Write("l2/y", "y");
    const std::string options = "lowerdir=" + folder.Path("l1") + ":" + folder.Path("l2");
    Mounted overlay("lumbrasket", folder.MakeFolder("merged"), "overlay", 0, options.c_str());
    if (!lower1.done || !lower2.done || !overlay.done)
        GTEST_SKIP() << "no tmpfs or overlay mounts here";
    const FileIdentity x = GetFileIdentity(folder.Path("merged/x").c_str());
    const FileIdentity y = GetFileIdentity(folder.Path("merged/y").c_str());
    ASSERT_TRUE(IsIdentityValid(x) && IsIdentityValid(y));
    EXPECT_EQ(0, IsSameFile(x, y));
    EXPECT_EQ(1, IsSameFile(x, GetFileIdentity(folder.Path("merged//x").c_str())));
}

TEST(VolumeIdentityTest, MountsDifferingInCaseAreTwoVolumes) {
    REQUIRE_PRIVATE_MOUNTS();
    ScratchFolder folder;
    Mounted upper("lumbrasket", folder.MakeFolder("A"), "tmpfs", 0);
    Mounted lower("lumbrasket", folder.MakeFolder("a"), "tmpfs", 0);
    if (!upper.done || !lower.done)
        GTEST_SKIP() << "no tmpfs mounts here";
    EXPECT_EQ(0, IsSameVolume(folder.Path("A/x").c_str(), folder.Path("a/x").c_str()));
    EXPECT_EQ(1, IsSameVolume(folder.Path("A/x").c_str(), folder.Path("A/y").c_str()));
}

// A FIFO without a writer would block a reading open for ever.
TEST(FifoTest, QueriesNeverBlock) {
    ScratchFolder folder;
    const std::string fifo = folder.Path("fifo");
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(fifo.c_str()));
    EXPECT_EQ(1, IsIdentityValid(GetFileIdentity(fifo.c_str())));
    EXPECT_EQ(kReparseNone, GetReparseKind(fifo.c_str()));
    // As a settings file (or through a link to one) it reads as a missing one.
    const std::string link = folder.Path("fifo-link.ini");
    fs::create_symlink(fifo, link);
    for (const std::string& path : {fifo, link}) {
        char value[16];
        EXPECT_EQ(3u,
                  GetPrivateProfileStringA("S", "k", "DEF", value, sizeof(value), path.c_str()));
        EXPECT_STREQ("DEF", value);
        EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "v", path.c_str()));
    }
}

// The reparse query describes the entry that was opened, even when the path
// names something else by the time it is asked.
TEST(ReparseQueryTest, DescribesTheOpenedEntry) {
    ScratchFolder folder;
    const std::string link = folder.Path("link");
    fs::create_directory_symlink(folder.MakeFolder("target"), link);
    HANDLE handle = CreateFileA(link.c_str(), 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, handle);
    fs::remove(link);
    unsigned char record[1024] = {};
    DWORD returned = 0;
    EXPECT_TRUE(DeviceIoControl(handle, FSCTL_GET_REPARSE_POINT, nullptr, 0, record, sizeof(record),
                                &returned, nullptr));
    EXPECT_EQ(kReparseSymbolicLink, ClassifyReparseData(record, returned));
    CloseHandle(handle);
}

// Windows' read-only attribute is "no one may write"; anything else is the
// system's to allow or refuse when the operation is tried.
// Every spelling of an entry names the entry itself, whether the query takes
// the path as given (already in its one spelling) or reduces it first.
TEST(AttributeQueryTest, EverySpellingNamesTheEntry) {
    ScratchFolder folder;
    folder.Write("d/f.txt", "four");
    folder.Write("d/.hidden", "five");
    fs::create_directory_symlink(folder.Path("d"), folder.Path("link"));
    fs::create_symlink(folder.Path("d/f.txt"), folder.Path("file-link"));
    constexpr DWORD kFile = FILE_ATTRIBUTE_ARCHIVE;
    constexpr DWORD kFolder = FILE_ATTRIBUTE_DIRECTORY;
    constexpr DWORD kLink = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
    // A name that begins with a dot is hidden, as Wine marks it too.
    constexpr DWORD kHiddenFile = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN;
    const struct Row {
        std::string spelling;
        DWORD attributes;
        DWORD error = ERROR_FILE_NOT_FOUND; // the last error of a failed query
    } rows[] = {
        {"/d/f.txt", kFile},
        {"/d/f.txt/", INVALID_FILE_ATTRIBUTES, ERROR_PATH_NOT_FOUND},
        {"/d/f.txt/x", INVALID_FILE_ATTRIBUTES, ERROR_PATH_NOT_FOUND},
        {"/d/" + std::string(5000, 'n'), INVALID_FILE_ATTRIBUTES, ERROR_FILENAME_EXCED_RANGE},
        {"/d//f.txt", kFile},
        {"/d/./f.txt", kFile},
        {"/d/../d/f.txt", kFile},
        {"/d/.hidden", kHiddenFile},
        {"/d//.hidden", kHiddenFile},
        {"/d", kFolder},
        {"/d/", kFolder},
        {"/d/.", kFolder},
        {"/link", kLink},
        {"//link", kLink},
        {"/link/", kLink},
        {"/link//", kLink},
        {"/link/.", kLink},
        {"/link/..", kFolder},
        {"/file-link", FILE_ATTRIBUTE_REPARSE_POINT},
        {"/file-link/", INVALID_FILE_ATTRIBUTES, ERROR_PATH_NOT_FOUND},
        {"/missing", INVALID_FILE_ATTRIBUTES},
    };
    for (const Row& row : rows) {
        const std::string path = folder.Path() + row.spelling;
        SCOPED_TRACE(row.spelling.substr(0, 40));
        EXPECT_EQ(row.attributes, GetFileAttributesA(path.c_str()));
        if (row.attributes == INVALID_FILE_ATTRIBUTES) {
            EXPECT_EQ(row.error, GetLastError());
        }
        WIN32_FILE_ATTRIBUTE_DATA data;
        EXPECT_EQ(row.attributes != INVALID_FILE_ATTRIBUTES,
                  GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) != FALSE);
        if (row.attributes == kFile) {
            EXPECT_EQ(kFile, data.dwFileAttributes);
            EXPECT_EQ(4u, data.nFileSizeLow);
        }
    }
}

TEST(ReadOnlyTest, OnlyAFileNoOneMayWrite) {
    struct Row {
        fs::perms mode;
        bool readOnly;
    };
    using p = fs::perms;
    const Row rows[] = {
        {p::owner_read | p::owner_write | p::group_read | p::others_read, false},
        {p::owner_read | p::group_read | p::group_write | p::others_read, false},
        {p::owner_read | p::group_read | p::others_read | p::others_write, false},
        {p::owner_read | p::group_read | p::others_read, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.mode));
        ScratchFolder folder;
        const std::string file = folder.Write("f.txt", "x");
        fs::permissions(file, row.mode);
        const DWORD attributes = GetFileAttributesA(file.c_str());
        EXPECT_EQ(row.readOnly, (attributes & FILE_ATTRIBUTE_READONLY) != 0);
        if (row.readOnly) {
            EXPECT_EQ(INVALID_HANDLE_VALUE, CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr,
                                                        OPEN_EXISTING, 0, nullptr));
            EXPECT_FALSE(DeleteFileA(file.c_str()));
        } else if (geteuid() == 0) {
            HANDLE handle =
                CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            EXPECT_NE(INVALID_HANDLE_VALUE, handle);
            if (handle != INVALID_HANDLE_VALUE)
                CloseHandle(handle);
            EXPECT_TRUE(DeleteFileA(file.c_str()));
        }
    }
}

// A rename takes an existing entry's place only when told to: without the
// flag it fails with Windows' code and leaves both files as they were.
TEST(MoveFileTest, ReplacesOnlyWhenTold) {
    ScratchFolder folder;
    const std::string from = folder.Write("new.ini", "new");
    const std::string to = folder.Write("old.ini", "old");
    EXPECT_FALSE(MoveFileExA(from.c_str(), to.c_str(), 0));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(ReadFileBytes(to), "old");
    EXPECT_EQ(ReadFileBytes(from), "new");
    EXPECT_TRUE(MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(ReadFileBytes(to), "new");
    EXPECT_EQ(GetFileAttributesA(from.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(MoveFileExA(to.c_str(), from.c_str(), 0));
    EXPECT_EQ(ReadFileBytes(from), "new");
    EXPECT_FALSE(MoveFileExA(to.c_str(), from.c_str(), 0));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

// A write keeps the file's owner, group and mode, so its owner can still
// read it after someone else (root, here) wrote a key.
TEST(ProfileWriteTest, KeepsOwnerGroupAndMode) {
    ScratchFolder folder;
    const std::string file = folder.Write("s.ini", "[A]\nx=1\n");
    chmod(file.c_str(), 0640);
    const bool chowned = chown(file.c_str(), 12345, 23456) == 0;
    ASSERT_TRUE(WritePrivateProfileStringA("A", "y", "2", file.c_str()));
    struct stat state;
    ASSERT_EQ(0, stat(file.c_str(), &state));
    EXPECT_EQ(0640u, state.st_mode & 07777);
    if (chowned) {
        EXPECT_EQ(12345u, state.st_uid);
        EXPECT_EQ(23456u, state.st_gid);
    }
    EXPECT_EQ("[A]\nx=1\ny=2\n", ReadFileBytes(file));
}

// A write changes its key and nothing else, even when that key, written
// first in the file, begins with the bytes of a byte-order mark: the file
// would then read as UTF-16 and lose every other key, or lose those bytes.
TEST(ProfileWriteTest, NeverComesToStartWithAByteOrderMark) {
    struct Case {
        const char* file;
        const char* key;
    };
    const Case cases[] = {
        {"\t\xFE\xFFk=1\n[A]\nx=1\n", "\xFE\xFFk"}, // a key line rewritten
        {"[A]\nx=1\n", "\xFF\xFEk"},                // a key put before the first header
        {"[A]\nx=1\n", "\xEF\xBB\xBFk"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        ScratchFolder folder;
        const std::string file = folder.Write("w.ini", c.file);
        ASSERT_TRUE(WritePrivateProfileStringA("", c.key, "2", file.c_str()));
        char value[16];
        GetPrivateProfileStringA("", c.key, "", value, sizeof(value), file.c_str());
        EXPECT_STREQ("2", value);
        GetPrivateProfileStringA("A", "x", "", value, sizeof(value), file.c_str());
        EXPECT_STREQ("1", value);
    }
}

// What another user may write is the system's to decide when the write is
// tried: not another's 0644 file in a folder anyone may write, but a 0666
// file in a folder no one may add to.
TEST(ProfileWriteTest, PermissionsAreTheSystems) {
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to act as another user";
    ScratchFolder folder;
    const std::string open = folder.MakeFolder("open");
    const std::string closed = folder.MakeFolder("closed");
    const std::string foreign = folder.Write("open/foreign.ini", "[A]\nx=1\n");
    const std::string shared = folder.Write("closed/shared.ini", "[A]\nx=1\n");
    chmod(folder.Path().c_str(), 0755);
    chmod(open.c_str(), 0777);
    chmod(closed.c_str(), 0555);
    chmod(foreign.c_str(), 0644);
    chmod(shared.c_str(), 0666);
    const pid_t child = fork();
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(3);
        const bool refused = !WritePrivateProfileStringA("A", "x", "2", foreign.c_str());
        const bool written = WritePrivateProfileStringA("A", "x", "2", shared.c_str()) != 0;
        _exit((refused ? 0 : 1) | (written ? 0 : 2));
    }
    int status = -1;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(0, WEXITSTATUS(status)) << "1: another's file replaced, 2: a writable file refused";
    EXPECT_EQ("[A]\nx=1\n", ReadFileBytes(foreign));
    EXPECT_EQ("[A]\nx=2\n", ReadFileBytes(shared));
}

// The disk fills once a file would pass `diskLimit` bytes: a write up to
// there goes through, the rest fails with ENOSPC.
off_t diskLimit = 0;
ssize_t FillingDisk(int descriptor, const void* bytes, size_t count, off_t offset) {
    if (offset >= diskLimit) {
        errno = ENOSPC;
        return -1;
    }
    const size_t room = static_cast<size_t>(diskLimit - offset);
    return RealSystem().pwrite(descriptor, bytes, count < room ? count : room, offset);
}

// A write that the disk cannot hold leaves the file as it was, whether it
// goes through a new file (a plain file) or in place (a hard-linked one).
TEST(SystemCallTest, DiskFillingMidWriteLosesNothing) {
    for (bool hardLinked : {false, true}) {
        SCOPED_TRACE(hardLinked ? "in place" : "through a new file");
        ScratchFolder folder;
        const std::string original = "[A]\nkeep=1\nx=old\n";
        const std::string file = folder.Write("s.ini", original);
        if (hardLinked)
            fs::create_hard_link(file, folder.Path("other.ini"));
        StandIn standIn;
        diskLimit = static_cast<off_t>(original.size());
        System().pwrite = FillingDisk;
        EXPECT_FALSE(
            WritePrivateProfileStringA("A", "x", "a value longer than the old one", file.c_str()));
        System() = RealSystem();
        EXPECT_EQ(original, ReadFileBytes(file));
    }
}

int FailingRename(const char*, const char*) {
    errno = EXDEV;
    return -1;
}

// When the new file cannot take the old one's place, the file is written in
// place, and the write is there.
TEST(SystemCallTest, FailedRenameWritesInPlace) {
    ScratchFolder folder;
    const std::string file = folder.Write("s.ini", "[A]\nx=1\n");
    StandIn standIn;
    System().rename = FailingRename;
    EXPECT_TRUE(WritePrivateProfileStringA("A", "y", "2", file.c_str()));
    EXPECT_EQ("[A]\nx=1\ny=2\n", ReadFileBytes(file));
    EXPECT_EQ(1u, std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()));
}

int writeFailure = 0; // errno of the stand-in write, 0: the system's own
int flushFailure = 0; // the same for fsync
ssize_t FailingWrite(int descriptor, const void* bytes, size_t count) {
    if (writeFailure == 0)
        return RealSystem().write(descriptor, bytes, count);
    errno = writeFailure;
    return -1;
}
int FailingFlush(int descriptor) {
    if (flushFailure == 0)
        return RealSystem().fsync(descriptor);
    errno = flushFailure;
    return -1;
}

// A write and a flush say why they failed, with Windows' codes: a full disk
// is no "access denied". A flush needs a handle that may write, as Windows
// documents; a file of a kind with no disk to reach has nothing to flush.
TEST(SystemCallTest, WriteAndFlushGiveTheReason) {
    const struct Row {
        const char* what;
        DWORD access;
        int writeErrno, flushErrno;
        DWORD writeError, flushError; // 0: succeeds
    } rows[] = {
        {"written and flushed", GENERIC_WRITE, 0, 0, 0, 0},
        {"read and write", GENERIC_READ | GENERIC_WRITE, 0, 0, 0, 0},
        {"only reads", GENERIC_READ, 0, 0, ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED},
        {"disk full", GENERIC_WRITE, ENOSPC, ENOSPC, ERROR_DISK_FULL, ERROR_DISK_FULL},
        {"quota", GENERIC_WRITE, EDQUOT, EDQUOT, ERROR_DISK_FULL, ERROR_DISK_FULL},
        {"device error", GENERIC_WRITE, EIO, EIO, ERROR_IO_DEVICE, ERROR_IO_DEVICE},
        {"no disk to reach", GENERIC_WRITE, 0, EINVAL, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ScratchFolder folder;
        const std::string file = folder.Write("f.txt", "");
        HANDLE handle =
            CreateFileA(file.c_str(), row.access, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, handle);
        StandIn standIn;
        writeFailure = row.writeErrno;
        flushFailure = row.flushErrno;
        System().write = FailingWrite;
        System().fsync = FailingFlush;
        DWORD written = 0;
        SetLastError(0);
        EXPECT_EQ(row.writeError == 0, WriteFile(handle, "four", 4, &written, nullptr) != FALSE);
        EXPECT_EQ(row.writeError == 0 ? 4u : 0u, written);
        if (row.writeError != 0) {
            EXPECT_EQ(row.writeError, GetLastError());
        }
        SetLastError(0);
        EXPECT_EQ(row.flushError == 0, FlushFileBuffers(handle) != FALSE);
        EXPECT_EQ(row.flushError, GetLastError());
        CloseHandle(handle);
    }
    EXPECT_FALSE(FlushFileBuffers(INVALID_HANDLE_VALUE));
    EXPECT_EQ(ERROR_INVALID_HANDLE, GetLastError());
}

std::string refusedPath;
int RefusingOpen(const char* path, int flags, mode_t mode) {
    if (refusedPath == path) {
        errno = EACCES;
        return -1;
    }
    return RealSystem().open(path, flags, mode);
}

// A file that exists but will not open (taken away, or no access, between
// the existence test and the open): no identity, the defaults, no crash.
TEST(SystemCallTest, OpenFailingAfterTheExistenceTest) {
    ScratchFolder folder;
    const std::string file = folder.Write("s.ini", "[A]\nx=1\n");
    StandIn standIn;
    refusedPath = file;
    System().open = RefusingOpen;
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(file.c_str()));
    EXPECT_EQ(0, IsIdentityValid(GetFileIdentity(file.c_str())));
    char value[16];
    EXPECT_EQ(3u, GetPrivateProfileStringA("A", "x", "DEF", value, sizeof(value), file.c_str()));
    EXPECT_FALSE(WritePrivateProfileStringA("A", "x", "2", file.c_str()));
}

// UTF-16 little-endian bytes with their byte-order mark.
std::string Utf16(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (const char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

// A clock `clockAhead` seconds ahead of the system's own.
time_t clockAhead = 0;
int AdvancedClock(clockid_t clock, struct timespec* now) {
    const int result = RealSystem().clock_gettime(clock, now);
    now->tv_sec += clockAhead;
    return result;
}

// A settings file read again is read as it is now, where the file system
// stamps whole seconds and whatever its clock says: an edit of the same size
// that keeps the stamp is seen until the file was found unchanged seconds
// after it was first seen. From then on it is trusted without its bytes, so
// an edit that puts the old stamp back is the one staleness accepted.
TEST(IniCacheTest, EditWithinOneStampIsSeenUntilTheFileSettles) {
    struct timespec wall;
    RealSystem().clock_gettime(CLOCK_REALTIME, &wall);
    const struct Row {
        const char* what;
        time_t stamp;
        bool utf16;
    } rows[] = {
        {"stamped this second", wall.tv_sec, false},
        {"stamped an hour behind this clock", wall.tv_sec - 3600, false},
        {"stamped an hour ahead of this clock", wall.tv_sec + 3600, false},
        {"UTF-16, stamped behind", wall.tv_sec - 3600, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ScratchFolder folder;
        const std::string file = folder.Path("s.ini");
        auto edit = [&](char value) {
            const std::string text = std::string("[A]\nk=") + value + "\n";
            folder.Write("s.ini",
                         row.utf16 ? Utf16(std::u16string(text.begin(), text.end())) : text);
            const struct timespec stamps[2] = {{row.stamp, 0}, {row.stamp, 0}};
            ASSERT_EQ(0, utimensat(AT_FDCWD, file.c_str(), stamps, 0));
        };
        auto readAfter = [&](time_t seconds) {
            clockAhead += seconds;
            char value[8] = {};
            GetPrivateProfileStringA("A", "k", "", value, sizeof(value), file.c_str());
            return std::string(value);
        };
        StandIn standIn;
        clockAhead = 0;
        System().clock_gettime = AdvancedClock;
        edit('a');
        EXPECT_EQ("a", readAfter(0));
        edit('b');
        EXPECT_EQ("b", readAfter(3)); // taken while settling: compared, however late
        EXPECT_EQ("b", readAfter(1)); // unchanged, but only a second after it was first seen
        edit('c');
        EXPECT_EQ("c", readAfter(0));
        EXPECT_EQ("c", readAfter(3)); // settled
        edit('d');
        EXPECT_EQ("c", readAfter(0));
    }
}

// A write changes the bytes it writes and no other: in a UTF-16 file what
// is no character stays, and what is no character is not written (the file
// then stays as it was); each untouched line keeps its own end.
TEST(ProfileWriteTest, ChangesNoByteItDoesNotWrite) {
    const std::string utf16 = Utf16(u"[A]\r\nx=1\r\n");
    const struct Row {
        const char* name;
        std::string file;
        const char* key;
        const char* value;
        std::string expected; // empty: refused, the file unchanged
    } rows[] = {
        {"lone surrogate kept", Utf16(u"[A]\r\nx=\xD800\r\n"), "y", "2",
         Utf16(u"[A]\r\nx=\xD800\r\ny=2\r\n")},
        // A read reports a lone surrogate in a key's name as U+FFFD; a write to
        // that name is a write to that key, not a second one.
        {"key named as a read names it", Utf16(u"[A]\r\nk\xDC00=1\r\n"), "k\xEF\xBF\xBD", "2",
         Utf16(u"[A]\r\nk\xFFFD=2\r\n")},
        {"odd last byte kept", utf16 + "A", "y", "2", Utf16(u"[A]\r\nx=1\r\ny=2\r\n") + "A"},
        {"key not UTF-8", utf16, "k\xFF", "2", ""},
        {"value not UTF-8", utf16, "y",
         "a\xFF"
         "b",
         ""},
        {"surrogate spelt in UTF-8", utf16, "y", "\xED\xA0\x80", ""},
        {"any bytes in a UTF-8 file", "[A]\nx=1\n", "y",
         "a\xFF"
         "b",
         "[A]\nx=1\ny=a\xFF"
         "b\n"},
        {"mixed ends, a line added", "[A]\r\nx=1\nz=3\r\n", "y", "2", "[A]\r\nx=1\nz=3\r\ny=2\r\n"},
        {"mixed ends, a line rewritten", "[A]\nx=1\r\nz=3\n", "x", "2", "[A]\nx=2\r\nz=3\n"},
        {"carriage returns alone", "[A]\rx=1\r", "y", "2", "[A]\rx=1\ry=2\r"},
        {"no end after the last line", "[A]\nx=1", "x", "2", "[A]\nx=2"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScratchFolder folder;
        const std::string file = folder.Write("w.ini", row.file);
        SetLastError(0);
        EXPECT_EQ(!row.expected.empty(),
                  WritePrivateProfileStringA("A", row.key, row.value, file.c_str()) != FALSE);
        EXPECT_EQ(row.expected.empty() ? row.file : row.expected, ReadFileBytes(file));
        if (row.expected.empty()) {
            EXPECT_EQ(ERROR_NO_UNICODE_TRANSLATION, GetLastError());
        }
    }
}

// A write through a link that names nothing makes the file it names, as
// Windows and the system's own tools do; where that file cannot be made the
// write is refused at once, with the reason.
TEST(ProfileWriteTest, LinkThatNamesNothingNamesTheFileToMake) {
    const struct Row {
        const char* linkTo;
        const char* made; // null: refused
        DWORD error;
    } rows[] = {
        {"new.ini", "new.ini", 0},
        {"second-link", "new.ini", 0},
        {"sub/inner-link", "sub/new.ini", 0}, // that link's name is taken from its own folder
        {"nowhere/new.ini", nullptr, ERROR_PATH_NOT_FOUND},
        {"link.ini", nullptr, ERROR_CANT_RESOLVE_FILENAME}, // a loop
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.linkTo);
        ScratchFolder folder;
        folder.MakeFolder("sub");
        fs::create_symlink("new.ini", folder.Path("second-link"));
        fs::create_symlink("new.ini", folder.Path("sub/inner-link"));
        const std::string link = folder.Path("link.ini");
        fs::create_symlink(row.linkTo, link);
        SetLastError(0);
        EXPECT_EQ(row.made != nullptr,
                  WritePrivateProfileStringA("A", "k", "v", link.c_str()) != FALSE);
        if (row.made == nullptr) {
            EXPECT_EQ(row.error, GetLastError());
            continue;
        }
        EXPECT_EQ("[A]\nk=v\n", ReadFileBytes(folder.Path(row.made)));
        EXPECT_TRUE(fs::is_symlink(link));
    }
}

// A clock that runs a minute on each time it is read: a wait runs out at once.
int RacingClock(clockid_t clock, struct timespec* now) {
    static time_t minutes = 0;
    const int result = RealSystem().clock_gettime(clock, now);
    now->tv_sec += 60 * ++minutes;
    return result;
}

ssize_t StoppingWrite(int descriptor, const void* bytes, size_t count, off_t offset) {
    raise(SIGSTOP);
    return RealSystem().pwrite(descriptor, bytes, count, offset);
}

// A child process, killed and reaped when the test leaves, whatever happened.
class Child {
public:
    explicit Child(pid_t id) : id(id) {}
    ~Child() { Kill(); }
    void Kill() {
        if (id <= 0)
            return;
        kill(id, SIGKILL);
        waitpid(id, nullptr, 0);
        id = -1;
    }
    pid_t id;
};

size_t Entries(const std::string& folder) {
    return static_cast<size_t>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// A writer stopped mid-write (in a debugger, by SIGSTOP) holds up the writes
// of its own file only, and those for a bounded time: then they are refused.
// Once it is killed, the next write removes the copy it left.
TEST(ProfileWriteTest, StoppedWriterHoldsUpOnlyItsOwnFile) {
    ScratchFolder folder;
    const std::string held = folder.Write("held.ini", "[A]\nx=1\n");
    const std::string other = folder.Write("other.ini", "[A]\nx=1\n");
    Child writer(fork());
    if (writer.id == 0) {
        System().pwrite = StoppingWrite;
        WritePrivateProfileStringA("A", "x", "2", held.c_str());
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(writer.id, waitpid(writer.id, &status, WUNTRACED));
    ASSERT_TRUE(WIFSTOPPED(status));
    EXPECT_TRUE(WritePrivateProfileStringA("A", "y", "2", other.c_str()));
    {
        StandIn standIn;
        System().clock_gettime = RacingClock;
        SetLastError(0);
        EXPECT_FALSE(WritePrivateProfileStringA("A", "y", "2", held.c_str()));
        EXPECT_EQ(ERROR_SHARING_VIOLATION, GetLastError());
    }
    writer.Kill();
    EXPECT_EQ(3u, Entries(folder.Path())); // the two files and the stopped writer's copy
    EXPECT_TRUE(WritePrivateProfileStringA("A", "y", "3", held.c_str()));
    EXPECT_EQ("[A]\nx=1\ny=3\n", ReadFileBytes(held));
    EXPECT_EQ(2u, Entries(folder.Path()));
}

void Interrupt(int) {}

int lockHolder = -1;
int clockReads = 0;
// Lets the held lock go after the waiting writer has looked at the clock a
// while (and been interrupted in between).
int ReleasingClock(clockid_t clock, struct timespec* now) {
    if (++clockReads == 50)
        close(lockHolder);
    return RealSystem().clock_gettime(clock, now);
}

// A system without inotify (or out of watches).
int NoCloseWatch(int) {
    errno = ENOSYS;
    return -1;
}

// A signal whose handler does not restart interrupted calls cuts a wait for
// the lock short; the writer waits on, and the write goes through, whether
// it waits for closes or pauses between tries.
TEST(ProfileWriteTest, SignalsDoNotEndTheWaitForTheLock) {
    for (const bool closesWatched : {true, false}) {
        SCOPED_TRACE(closesWatched ? "closes watched" : "no close watch: pauses");
        ScratchFolder folder;
        const std::string file = folder.Write("s.ini", "[A]\nx=1\n");
        lockHolder = open(file.c_str(), O_RDONLY | O_CLOEXEC);
        ASSERT_EQ(0, flock(lockHolder, LOCK_EX));
        struct sigaction action = {};
        struct sigaction saved = {};
        action.sa_handler = Interrupt;
        sigaction(SIGALRM, &action, &saved);
        const struct itimerval often = {{0, 200}, {0, 200}};
        const struct itimerval never = {};
        setitimer(ITIMER_REAL, &often, nullptr);
        {
            StandIn standIn;
            clockReads = 0;
            System().clock_gettime = ReleasingClock;
            if (!closesWatched)
                System().inotify_init1 = NoCloseWatch;
            EXPECT_TRUE(WritePrivateProfileStringA("A", "y", "2", file.c_str()));
        }
        setitimer(ITIMER_REAL, &never, nullptr);
        sigaction(SIGALRM, &saved, nullptr);
        EXPECT_LE(50, clockReads);
        EXPECT_EQ("[A]\nx=1\ny=2\n", ReadFileBytes(file));
    }
}

// What the file holds when an in-place rewrite cuts it, which is what a
// process killed there leaves; and whether the cut fails.
std::string atCut;
bool cutFails = false;
int WatchedCut(int descriptor, off_t size) {
    atCut.clear();
    char chunk[4096];
    ssize_t count = 0;
    while ((count = pread(descriptor, chunk, sizeof(chunk), static_cast<off_t>(atCut.size()))) > 0)
        atCut.append(chunk, static_cast<size_t>(count));
    if (cutFails) {
        errno = EIO;
        return -1;
    }
    return RealSystem().ftruncate(descriptor, size);
}

std::string SectionLines(const std::string& file, const char* section) {
    char lines[256];
    return std::string(lines,
                       GetPrivateProfileSectionA(section, lines, sizeof(lines), file.c_str()));
}

// A hard-linked file is rewritten in place with a shorter text: a process
// killed before the cut leaves a file that reads as the new text, in either
// encoding, and a cut that fails leaves the old file and a refusal.
TEST(SystemCallTest, InPlaceRewriteNeverTearsTheFile) {
    const std::string kUtf8 = "[A]\nkeep=1\nx=a long old value\n[B]\ny=2\n";
    const std::string kUtf16 =
        Utf16(u"[A]\r\nkeep=1\r\nx=a long old value\r\n[B]\r\ny=2\r\n") + "A";
    for (const std::string& original : {kUtf8, kUtf16}) {
        for (bool fails : {false, true}) {
            SCOPED_TRACE(std::string(original == kUtf8 ? "UTF-8" : "UTF-16") +
                         (fails ? ", the cut fails" : ""));
            ScratchFolder folder;
            const std::string file = folder.Write("s.ini", original);
            fs::create_hard_link(file, folder.Path("other.ini"));
            StandIn standIn;
            cutFails = fails;
            atCut.clear();
            System().ftruncate = WatchedCut;
            EXPECT_NE(fails, WritePrivateProfileStringA("A", "x", "new", file.c_str()) != FALSE);
            System() = RealSystem();
            if (fails) {
                EXPECT_EQ(original, ReadFileBytes(file));
                continue;
            }
            const std::string killed = folder.Write("killed.ini", atCut);
            EXPECT_EQ("keep=1\0x=new\0"s, SectionLines(file, "A"));
            EXPECT_EQ(SectionLines(file, "A"), SectionLines(killed, "A"));
            EXPECT_EQ(SectionLines(file, "B"), SectionLines(killed, "B"));
            // A longer text in place; the odd last byte of a UTF-16 file stays.
            EXPECT_EQ(original.back(), ReadFileBytes(file).back());
            EXPECT_TRUE(
                WritePrivateProfileStringA("A", "x", "longer than the old one was", file.c_str()));
            EXPECT_EQ("keep=1\0x=longer than the old one was\0"s, SectionLines(file, "A"));
            EXPECT_EQ(original.back(), ReadFileBytes(file).back());
        }
    }
}

unsigned OldSystem() {
    return 4;
}

// Before major version 5 there is no volume path name: the first two
// characters of each path stand for its volume.
TEST(SystemCallTest, OldSystemComparesDriveParts) {
    StandIn standIn;
    System().majorVersion = OldSystem;
    EXPECT_EQ(1, IsSameVolume("/a/x", "/a/y"));
    EXPECT_EQ(0, IsSameVolume("/a/x", "/b/y"));
}

// An empty entry in the environment must not end the block before the
// variables that follow it.
TEST(EnvironmentBlockTest, EmptyEntryHidesNothing) {
    std::vector<char*> entries;
    for (char** entry = environ; *entry != nullptr; ++entry)
        entries.push_back(*entry);
    char empty[] = "";
    char after[] = "LUMBRASKET_AFTER_EMPTY=1";
    entries.insert(entries.begin(), empty);
    entries.push_back(after);
    entries.push_back(nullptr);
    char** saved = environ;
    environ = entries.data();
    char* block = GetEnvironmentStrings();
    environ = saved;
    ASSERT_NE(nullptr, block);
    bool found = false;
    for (const char* at = block; *at != '\0'; at += std::strlen(at) + 1)
        found = found || std::string(at) == after;
    FreeEnvironmentStringsA(block);
    EXPECT_TRUE(found);
}

// Every code this layer sets reads in the system's words, never as a
// Windows number.
TEST(LinuxErrorWords, EveryCodeTheLayerSetsHasWords) {
    const DWORD codes[] = {
        ERROR_FILE_NOT_FOUND,
        ERROR_PATH_NOT_FOUND,
        ERROR_ACCESS_DENIED,
        ERROR_INVALID_HANDLE,
        ERROR_INVALID_PARAMETER,
        ERROR_INSUFFICIENT_BUFFER,
        ERROR_MOD_NOT_FOUND,
        ERROR_PROC_NOT_FOUND,
        ERROR_DISK_FULL,
        ERROR_CANT_RESOLVE_FILENAME,
        ERROR_SHARING_VIOLATION,
        ERROR_IO_DEVICE,
        ERROR_INVALID_NAME,
        ERROR_FILE_EXISTS,
        ERROR_ALREADY_EXISTS,
        ERROR_DIRECTORY,
        ERROR_NO_UNICODE_TRANSLATION,
        ERROR_FILENAME_EXCED_RANGE,
        ERROR_DIR_NOT_EMPTY,
        ERROR_CALL_NOT_IMPLEMENTED,
        ERROR_NO_MORE_FILES,
        ERROR_NOT_A_REPARSE_POINT,
        ERROR_RESOURCE_TYPE_NOT_FOUND,
    };
    SetLastError(ERROR_SUCCESS);
    for (const DWORD code : codes)
        EXPECT_EQ(std::string::npos, SystemErrorText(code).find("system error")) << code;
}

} // namespace
