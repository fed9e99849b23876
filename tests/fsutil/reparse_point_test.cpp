// Reparse kinds from records built here (junction, volume mount point,
// symbolic link, owner bit clear, unknown tag, names outside the data), from
// real links where the system reports them, and the long-path form.
#include "fsutil/reparse_point.h"
#include "tests/support/scratch_folder.h"
#include "fsutil/wide_text.h"

#include <gtest/gtest.h>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// A REPARSE_DATA_BUFFER: tag, data length, then for the mount-point variant
// substitute-name offset and length, print-name offset and length, and the
// UTF-16 names from byte 16.
std::vector<unsigned char> Record(std::uint32_t tag, const std::u16string& name,
                                  std::size_t offsetOverride = 0xFFFF) {
    std::vector<unsigned char> bytes(16 + 2 * name.size() + 2, 0);
    for (int i = 0; i < 4; ++i)
        bytes[static_cast<std::size_t>(i)] = static_cast<unsigned char>(tag >> (8 * i));
    const std::size_t offset = offsetOverride == 0xFFFF ? 0 : offsetOverride;
    const std::size_t length = 2 * name.size();
    bytes[8] = static_cast<unsigned char>(offset);
    bytes[9] = static_cast<unsigned char>(offset >> 8);
    bytes[10] = static_cast<unsigned char>(length);
    bytes[11] = static_cast<unsigned char>(length >> 8);
    for (std::size_t i = 0; i < name.size(); ++i) {
        bytes[16 + 2 * i] = static_cast<unsigned char>(name[i]);
        bytes[17 + 2 * i] = static_cast<unsigned char>(name[i] >> 8);
    }
    return bytes;
}

TEST(ClassifyReparseDataTest, Records) {
    struct Row {
        const char* name;
        std::vector<unsigned char> record;
        int kind;
    };
    const Row rows[] = {
        {"junction to a drive path", Record(0xA0000003, u"\\??\\C:\\target"), kReparseJunction},
        {"volume mount point", Record(0xA0000003, u"\\??\\Volume{1234}\\"), kReparseVolumeMount},
        {"symbolic link", Record(0xA000000C, u"C:\\x"), kReparseSymbolicLink},
        {"owner bit clear", Record(0x20000003, u"\\??\\C:\\x"), kReparseNone},
        {"unknown tag", Record(0x80000017, u"\\??\\C:\\x"), kReparseNone},
        {"name offset past the data", Record(0xA0000003, u"C:\\x", 1000), kReparseNone},
        {"name ends past the data", Record(0xA0000003, u"C:\\x", 4), kReparseNone},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.kind, ClassifyReparseData(row.record.data(), row.record.size()));
    }
    // Fewer bytes returned than the record needs: nothing past them is read.
    const std::vector<unsigned char> junction = Record(0xA0000003, u"\\??\\C:\\target");
    EXPECT_EQ(kReparseNone, ClassifyReparseData(junction.data(), 12));
    EXPECT_EQ(kReparseNone, ClassifyReparseData(junction.data(), 3));
    EXPECT_EQ(kReparseNone, ClassifyReparseData(junction.data(), junction.size() - 4));
}

TEST(GetReparseKindTest, OrdinaryPathsAreNone) {
    ScratchFolder folder;
    EXPECT_EQ(kReparseNone, GetReparseKind(folder.Write("file.txt", "x").c_str()));
    EXPECT_EQ(kReparseNone, GetReparseKind(folder.MakeFolder("dir").c_str()));
    EXPECT_EQ(kReparseNone, GetReparseKind(folder.Path("missing").c_str()));
}

TEST(GetReparseKindTest, RealSymbolicLinks) {
    namespace fs = std::filesystem;
    ScratchFolder folder;
    const std::string target = folder.Write("target.txt", "x");
    const std::string targetDir = folder.MakeFolder("target-dir");
    const std::string fileLink = folder.Path("file-link");
    const std::string dirLink = folder.Path("dir-link");
    std::error_code error;
    fs::create_symlink(target, fileLink, error);
    fs::create_directory_symlink(targetDir, dirLink, error);
    const DWORD attributes = GetFileAttributesA(dirLink.c_str());
    if (error || attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        GTEST_SKIP() << "this system does not make links that report as reparse points";
    EXPECT_EQ(kReparseSymbolicLink, GetReparseKind(fileLink.c_str()));
    EXPECT_EQ(kReparseNone, GetReparseKind(target.c_str()));
    // Every spelling of the folder link asks about the link, not its target.
    for (const char* suffix : {"", "|", "||", "|.", "|.|"}) {
        SCOPED_TRACE(suffix);
        EXPECT_EQ(kReparseSymbolicLink, GetReparseKind((dirLink + SystemPath(suffix)).c_str()));
    }
}

TEST(MakeLongPathTest, Forms) {
    struct Row {
        const char* path;
        std::uint32_t capacity;
        Status status;
        const char* output;
    };
    const Row rows[] = {
        {"C:\\dir\\x", 260, kStatusSuccess, "\\\\?\\C:\\dir\\x"},
        {"\\\\server\\share\\x", 260, kStatusSuccess, "\\\\?\\UNC\\server\\share\\x"},
        {"\\abc", 260, kStatusSuccess, "\\\\?\\UNC\\bc"},
        {"\\", 260, kStatusSuccess, "\\\\?\\UNC\\"},
        {"relative", 260, kStatusSuccess, "\\\\?\\relative"},
        {"C:\\dir\\x", 8, kStatusInsufficientBuffer, "\\\\?\\C:\\"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        char output[300];
        EXPECT_EQ(row.status, MakeLongPath(row.path, output, row.capacity));
        EXPECT_STREQ(row.output, output);
    }
}

TEST(WideTextTest, CopyAndSearch) {
    char16_t buffer[4] = {u'#', u'#', u'#', u'#'};
    EXPECT_EQ(kStatusInsufficientBuffer, BoundedCopyWide(buffer, 1, u"abc"));
    EXPECT_EQ(u'\0', buffer[0]);
    EXPECT_EQ(kStatusSuccess, BoundedCopyWide(buffer, 1, u""));
    EXPECT_EQ(kStatusSuccess, BoundedCopyWide(buffer, 4, u"abc"));
    EXPECT_EQ(std::u16string(u"abc"), buffer);
    EXPECT_EQ(kStatusInvalidArgument, BoundedCopyWide(buffer, 0, u"x"));
    const char16_t* text = u"\\??\\C:\\x";
    EXPECT_EQ(text + 5, FindSubstringWide(text, u":"));
    EXPECT_EQ(text, FindSubstringWide(text, u""));
    EXPECT_EQ(nullptr, FindSubstringWide(text, u"D:"));
}

} // namespace
