// Same volume and same file: through two spellings of a path, through a hard
// link, and the cases that must not match.
#include "fsutil/volume_identity.h"
#include "settings/bounded_string.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>
#include <filesystem>
#include <string>

namespace {

std::string VolumeOf(const std::string& path) {
    char volume[kPathBufferSize] = {};
    GetVolumePathNameA(path.c_str(), volume, kPathBufferSize);
    return volume;
}

TEST(IsSameVolumeTest, OneVolumeAndAnother) {
    ScratchFolder folder;
    const std::string a = folder.Write("a.txt", "x");
    const std::string b = folder.MakeFolder("sub");
    EXPECT_EQ(1, IsSameVolume(a.c_str(), b.c_str()));
    EXPECT_EQ(1, IsSameVolume(a.c_str(), folder.Path("A.TXT").c_str()));

    // Another volume, where one is at hand: a mount point on Linux, another
    // drive on Windows.
    const std::string own = VolumeOf(a);
    for (const char* other : {"/proc/self", "Z:\\", "C:\\"}) {
        const std::string volume = VolumeOf(other);
        if (!volume.empty() && volume != own) {
            SCOPED_TRACE(other);
            EXPECT_EQ(0, IsSameVolume(a.c_str(), other));
            return;
        }
    }
    GTEST_SKIP() << "no second volume at hand";
}

TEST(FileIdentityTest, SameFileThroughTwoSpellingsAndAHardLink) {
    ScratchFolder folder;
    const std::string file = folder.Write("dir/file.txt", "x");
    const std::string other = folder.Write("dir/other.txt", "x");
    const std::string spelled =
        folder.Path("dir") + kPathSeparatorText + "." + kPathSeparatorText + "file.txt";
    const std::string linked = folder.Path("dir/hard-link.txt");
    std::error_code error;
    std::filesystem::create_hard_link(file, linked, error);
    ASSERT_FALSE(error) << error.message();

    const FileIdentity identity = GetFileIdentity(file.c_str());
    EXPECT_EQ(1, IsIdentityValid(identity));
    EXPECT_EQ(1, IsSameFile(identity, GetFileIdentity(spelled.c_str())));
    EXPECT_EQ(1, IsSameFile(identity, GetFileIdentity(linked.c_str())));
    EXPECT_EQ(0, IsSameFile(identity, GetFileIdentity(other.c_str())));
    EXPECT_EQ(1, IsOneFile(file.c_str(), spelled.c_str()));
    EXPECT_EQ(0, IsOneFile(file.c_str(), other.c_str()));
    // A file not made yet is known by its spelling alone.
    const std::string missing = folder.Path("dir/missing.txt");
    EXPECT_EQ(1, IsOneFile(missing.c_str(), (spelled + "/../missing.txt").c_str()));
    EXPECT_EQ(0, IsOneFile(missing.c_str(), file.c_str()));
}

TEST(FileIdentityTest, FoldersAndMissingFilesAreInvalid) {
    ScratchFolder folder;
    const FileIdentity directory = GetFileIdentity(folder.MakeFolder("dir").c_str());
    const FileIdentity missing = GetFileIdentity(folder.Path("missing").c_str());
    const std::string file = folder.Write("file.txt", "x") + kPathSeparatorText;
    EXPECT_EQ(0, IsIdentityValid(directory));
    EXPECT_EQ(0, IsIdentityValid(missing));
    // A trailing separator names a folder only.
    EXPECT_EQ(0, IsIdentityValid(GetFileIdentity(file.c_str())));
    // Two invalid records never name one file, even with equal fields.
    EXPECT_EQ(0, IsSameFile(missing, missing));
    FileIdentity forged;
    forged.volumeSerial = 7;
    EXPECT_EQ(0, IsSameFile(forged, forged));
}

} // namespace
