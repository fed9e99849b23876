// The Linux platform layer against conditions only Linux makes: a mounted
// folder (a bind mount keeps its parent's device number) is a reparse point
// that no tree removal enters, an overlay's files from two layers are two
// files, a FIFO never blocks a query, every spelling of a path names one
// entry, permission bits read as Windows' read-only attribute, and the
// environment block holds every variable.
#include "directory_tree.h"
#include "linux/system_calls.h"
#include "reparse_point.h"
#include "scratch_folder.h"
#include "volume_identity.h"
#include "win32.h"

#include <gtest/gtest.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

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

#define REQUIRE_PRIVATE_MOUNTS()                                                                   \
    if (!PrivateMounts())                                                                          \
    GTEST_SKIP() << "no private mount namespace here (needs root and unshare)"

TEST(MountPointTest, NeverEnteredWhateverTheSpelling) {
    REQUIRE_PRIVATE_MOUNTS();
    const char* const roots[] = {"tree",     "tree/",     "tree/.",     "tree//",
                                 "tree/mnt", "tree/mnt/", "tree/mnt/.", "tree/mnt//"};
    for (const char* root : roots) {
        for (int deleteFiles : {0, 1}) {
            SCOPED_TRACE(std::string(root) + (deleteFiles ? " deleting files" : " keeping files"));
            ScratchFolder folder;
            const std::string mountPoint = folder.MakeFolder("tree/mnt");
            const std::string kept = folder.Write("out/f.txt", "keep");
            const std::string emptyInside = folder.MakeFolder("out/empty");
            Mounted bind(folder.Path("out"), mountPoint, nullptr, MS_BIND);
            ASSERT_TRUE(bind.done);
            EXPECT_EQ(kReparseVolumeMount, GetReparseKind(mountPoint.c_str()));
            EXPECT_NE(0u, GetFileAttributesA(mountPoint.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);

            EXPECT_EQ(1, RemoveDirectoryTree(folder.Path(root).c_str(), deleteFiles));
            EXPECT_TRUE(Exists(kept));
            EXPECT_TRUE(Exists(emptyInside));
            EXPECT_TRUE(Exists(folder.Path("tree/mnt/f.txt")));
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
    constexpr DWORD kFile = FILE_ATTRIBUTE_ARCHIVE;
    constexpr DWORD kFolder = FILE_ATTRIBUTE_DIRECTORY;
    constexpr DWORD kLink = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
    const struct Row {
        const char* spelling;
        DWORD attributes;
    } rows[] = {
        {"/d/f.txt", kFile},
        {"/d/f.txt/", INVALID_FILE_ATTRIBUTES},
        {"/d//f.txt", kFile},
        {"/d/./f.txt", kFile},
        {"/d/../d/f.txt", kFile},
        {"/d/.hidden", kFile},
        {"/d//.hidden", kFile},
        {"/d", kFolder},
        {"/d/", kFolder},
        {"/d/.", kFolder},
        {"/link", kLink},
        {"//link", kLink},
        {"/link/", kLink},
        {"/link//", kLink},
        {"/link/.", kLink},
        {"/link/..", kFolder},
        {"/missing", INVALID_FILE_ATTRIBUTES},
    };
    for (const Row& row : rows) {
        const std::string path = folder.Path() + row.spelling;
        SCOPED_TRACE(row.spelling);
        EXPECT_EQ(row.attributes, GetFileAttributesA(path.c_str()));
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

std::string ReadText(const std::string& path) {
    std::string text;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        char chunk[256];
        size_t count;
        while ((count = std::fread(chunk, 1, sizeof(chunk), file)) > 0)
            text.append(chunk, count);
        std::fclose(file);
    }
    return text;
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
    EXPECT_EQ("[A]\nx=1\ny=2\n", ReadText(file));
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
    EXPECT_EQ("[A]\nx=1\n", ReadText(foreign));
    EXPECT_EQ("[A]\nx=2\n", ReadText(shared));
}

// A system call pointed at a stand-in for one test, put back afterwards.
class StandIn {
public:
    StandIn() : saved(System()) {}
    ~StandIn() { System() = saved; }

private:
    SystemCalls saved;
};

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
        EXPECT_EQ(original, ReadText(file));
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
    EXPECT_EQ("[A]\nx=1\ny=2\n", ReadText(file));
    EXPECT_EQ(1u, std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()));
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

} // namespace
