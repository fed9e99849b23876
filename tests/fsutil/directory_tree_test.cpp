// Directory tests, file deletion and tree removal on trees built in the test:
// what goes, what stays, and that nothing outside the tree is touched.
#include "directory_tree.h"
#include "bounded_string.h"
#include "scratch_folder.h"

#include <gtest/gtest.h>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

bool Exists(const std::string& path) {
    std::error_code error;
    return fs::exists(fs::symlink_status(path, error));
}

// Builds the tree under folder/tree: names ending in '/' are folders.
std::string BuildTree(const ScratchFolder& folder, const std::vector<std::string>& entries) {
    const std::string root = folder.MakeFolder("tree");
    for (const std::string& entry : entries) {
        if (entry.back() == '/')
            folder.MakeFolder("tree/" + entry.substr(0, entry.size() - 1));
        else
            folder.Write("tree/" + entry, "x");
    }
    return root;
}

struct RemovalCase {
    const char* name;
    std::vector<std::string> entries;
    int deleteFiles;
    std::vector<std::string> remaining; // "" stands for the tree itself
};

const RemovalCase kRemovalCases[] = {
    {"EmptyTreeGoes", {}, 1, {}},
    {"EverythingGoes", {"a.txt", "sub/", "sub/b.txt", "sub/deeper/", "sub/deeper/c.txt"}, 1, {}},
    {"WithoutFilesOnlyEmptyFoldersGo",
     {"empty/", "empty/inner/", "kept/", "kept/deep/", "kept/deep/file.txt", "other/"},
     0,
     {"", "kept", "kept/deep", "kept/deep/file.txt"}},
    {"FileAtTheTopKeepsTheTree", {"top.txt", "empty/"}, 0, {"", "top.txt"}},
    {"HiddenNamesGoToo", {".hidden", "sub/", "sub/.profile", "noextension"}, 1, {}},
};

class RemoveDirectoryTreeTest : public testing::TestWithParam<RemovalCase> {};

TEST_P(RemoveDirectoryTreeTest, WhatRemains) {
    const RemovalCase& c = GetParam();
    ScratchFolder folder;
    const std::string root = BuildTree(folder, c.entries);
    EXPECT_NE(0, RemoveDirectoryTree(root.c_str(), c.deleteFiles));
    std::vector<std::string> all = c.entries;
    all.push_back("");
    for (std::string entry : all) {
        if (!entry.empty() && entry.back() == '/')
            entry.pop_back();
        const bool kept =
            std::find(c.remaining.begin(), c.remaining.end(), entry) != c.remaining.end();
        SCOPED_TRACE(entry.empty() ? "(the tree)" : entry);
        EXPECT_EQ(kept, Exists(entry.empty() ? root : folder.Path("tree/" + entry)));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, RemoveDirectoryTreeTest, testing::ValuesIn(kRemovalCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RemoveDirectoryTreeTest, MissingPathOrFileIsLeftAlone) {
    ScratchFolder folder;
    EXPECT_EQ(1, RemoveDirectoryTree(folder.Path("missing").c_str(), 1));
    const std::string file = folder.Write("file.txt", "x");
    EXPECT_EQ(1, RemoveDirectoryTree(file.c_str(), 1));
    EXPECT_TRUE(Exists(file));
}

TEST(RemoveDirectoryTreeTest, ReadOnlyFileStaysWithItsFolders) {
    ScratchFolder folder;
    const std::string root =
        BuildTree(folder, {"a.txt", "keep/", "keep/locked.txt", "gone/", "gone/b.txt"});
    const std::string locked = folder.Path("tree/keep/locked.txt");
    fs::permissions(locked, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    if (DeleteFileA(locked.c_str())) {
        GTEST_SKIP() << "this system deletes read-only files";
    }
    EXPECT_EQ(1, RemoveDirectoryTree(root.c_str(), 1));
    EXPECT_TRUE(Exists(locked));
    EXPECT_TRUE(Exists(folder.Path("tree/keep")));
    EXPECT_TRUE(Exists(root));
    EXPECT_FALSE(Exists(folder.Path("tree/a.txt")));
    EXPECT_FALSE(Exists(folder.Path("tree/gone")));
    fs::permissions(locked, fs::perms::owner_all);
}

// A link to a folder outside the tree: the link may go, what it points to
// stays whole.
TEST(RemoveDirectoryTreeTest, LinkToAFolderOutsideIsNeverEntered) {
    ScratchFolder folder;
    const std::string outside = folder.MakeFolder("outside");
    const std::string treasure = folder.Write("outside/treasure.txt", "keep");
    const std::string root = BuildTree(folder, {"a.txt"});
    const std::string link = folder.Path("tree/link");
    std::error_code error;
    fs::create_directory_symlink(outside, link, error);
    if (error || !(GetFileAttributesA(link.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT) ||
        GetFileAttributesA(link.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "this system does not make folder links that report as reparse points";

    EXPECT_EQ(1, RemoveDirectoryTree(root.c_str(), 0));
    EXPECT_TRUE(Exists(link));
    EXPECT_TRUE(Exists(treasure));

    EXPECT_EQ(1, RemoveDirectoryTree(root.c_str(), 1));
    EXPECT_FALSE(Exists(link));
    EXPECT_FALSE(Exists(root));
    EXPECT_TRUE(Exists(treasure));

    // A tree that is itself a link is not entered either, however it is
    // written; with files to delete, the link goes.
    const std::string linkedTree = folder.Path("linked-tree");
    for (const std::string& spelling : {linkedTree + kPathSeparatorText, linkedTree}) {
        SCOPED_TRACE(spelling);
        fs::create_directory_symlink(outside, linkedTree, error);
        EXPECT_EQ(1, RemoveDirectoryTree(spelling.c_str(), 0));
        EXPECT_TRUE(Exists(linkedTree));
        EXPECT_EQ(1, RemoveDirectoryTree(spelling.c_str(), 1));
        EXPECT_FALSE(Exists(linkedTree));
        EXPECT_TRUE(Exists(treasure));
    }
}

// An entry whose full path is longer than 259 characters is neither deleted
// nor entered, so it and the tree stay.
TEST(RemoveDirectoryTreeTest, OverlongEntryIsSkipped) {
    ScratchFolder folder;
    const std::string root = BuildTree(folder, {"a.txt"});
    ASSERT_LT(root.size(), 200u);
    const std::string longName(265 - root.size(), 'n');
    const std::string longFile = folder.Write("tree/" + longName, "x");
    ASSERT_GT(longFile.size(), 259u);
    EXPECT_EQ(1, RemoveDirectoryTree(root.c_str(), 1));
    EXPECT_TRUE(Exists(longFile));
    EXPECT_TRUE(Exists(root));
    EXPECT_FALSE(Exists(folder.Path("tree/a.txt")));
}

TEST(DeleteFilesInDirectoryTest, OnlyItsOwnFiles) {
    ScratchFolder folder;
    const std::string root = BuildTree(folder, {"a.txt", "b", "sub/", "sub/c.txt"});
    EXPECT_EQ(1, DeleteFilesInDirectory(root.c_str()));
    EXPECT_FALSE(Exists(folder.Path("tree/a.txt")));
    EXPECT_FALSE(Exists(folder.Path("tree/b")));
    EXPECT_TRUE(Exists(folder.Path("tree/sub/c.txt")));
    EXPECT_EQ(1, DeleteFilesInDirectory(folder.Path("missing").c_str()));
}

TEST(DirectoryTestsTest, EmptyAndExists) {
    ScratchFolder folder;
    const std::string empty = folder.MakeFolder("empty");
    const std::string full = folder.MakeFolder("full");
    const std::string file = folder.Write("full/file.txt", "x");
    struct Row {
        const char* name;
        std::string path;
        int isEmpty;
        int exists;
    };
    const Row rows[] = {
        {"empty folder", empty, 1, 1},
        {"folder with a file", full, 0, 1},
        {"file", file, 0, 0},
        {"missing", folder.Path("missing"), 0, 0},
        {"folder with separator", full + kPathSeparatorText, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.exists, DirectoryExists(row.path.c_str()));
        if (std::string(row.name) != "folder with separator") {
            EXPECT_EQ(row.isEmpty, IsDirectoryEmpty(row.path.c_str()));
        }
    }
}

TEST(MakeUniquePathTest, CountsUpToTheFirstFreeName) {
    ScratchFolder folder;
    folder.Write("copy0", "x");
    folder.Write("copy1", "x");
    char output[kPathBufferSize];
    const std::string base = folder.Path("") + kPathSeparatorText;
    EXPECT_NE(0, MakeUniquePath(base.c_str(), "copy", 0, output));
    EXPECT_EQ(base + "copy2", output);
    EXPECT_NE(0, MakeUniquePath(base.c_str(), "copy", 5, output));
    EXPECT_EQ(base + "copy5", output);
    EXPECT_NE(0, MakeUniquePath(base.c_str(), "n", -3, output));
    EXPECT_EQ(base + "n-3", output);
}

TEST(MakeUniquePathTest, EndsAtTheCounterLimitAndAtACut) {
    ScratchFolder folder;
    const std::string base = folder.Path("") + kPathSeparatorText;
    const std::string top = std::to_string(std::numeric_limits<std::int32_t>::max());
    folder.Write("x" + top, "x");
    char output[kPathBufferSize] = "previous";
    EXPECT_EQ(0,
              MakeUniquePath(base.c_str(), "x", std::numeric_limits<std::int32_t>::max(), output));
    EXPECT_STREQ("", output);

    const std::string longBase = base + std::string(300, 'b');
    EXPECT_EQ(0, MakeUniquePath(longBase.c_str(), "", 0, output));
    EXPECT_STREQ("", output);
}

TEST(IntToTextTest, Radixes) {
    char text[20];
    EXPECT_EQ(0, IntToText(-2147483647 - 1, text, 10));
    EXPECT_STREQ("-2147483648", text);
    EXPECT_EQ(0, IntToText(255, text, 16));
    EXPECT_STREQ("ff", text);
    EXPECT_EQ(0, IntToText(5, text, 2));
    EXPECT_STREQ("101", text);
    // Thirty-two binary digits do not fit the 20-character buffer.
    EXPECT_EQ(kStatusInsufficientBuffer, IntToText(-1, text, 2));
    EXPECT_STREQ("", text);
    EXPECT_NE(0, IntToText(1, text, 1));
}

} // namespace
