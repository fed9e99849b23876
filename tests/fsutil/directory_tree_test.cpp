// Directory tests, file deletion and tree removal on trees built in the test:
// what goes, what stays, and that nothing outside the tree is touched.
#include "fsutil/directory_tree.h"
#include "settings/bounded_string.h"
#include "tests/support/scratch_folder.h"

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

// A link at `at` to `target`; false where this system makes none that
// reports as a reparse point.
bool MakeLink(const std::string& target, const std::string& at, bool folder) {
    std::error_code error;
    if (folder)
        fs::create_directory_symlink(target, at, error);
    else
        fs::create_symlink(target, at, error);
    const DWORD attributes = GetFileAttributesA(at.c_str());
    return !error && attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

TEST(RemoveDirectoryTreeTest, MissingPathOrFileIsLeftAlone) {
    ScratchFolder folder;
    EXPECT_EQ(1, RemoveDirectoryTree(folder.Path("missing").c_str(), 1));
    const std::string file = folder.Write("file.txt", "x");
    EXPECT_EQ(1, RemoveDirectoryTree(file.c_str(), 1));
    EXPECT_TRUE(Exists(file));
    // A link to a file is no tree either: it and its file stay.
    const std::string link = folder.Path("file-link");
    if (MakeLink(file, link, false)) {
        EXPECT_EQ(1, RemoveDirectoryTree(link.c_str(), 1));
        EXPECT_TRUE(Exists(link));
        EXPECT_TRUE(Exists(file));
    }
}

// Removal around a sentinel folder outside the tree, through a folder link:
// the link may go, what it points to stays whole, however the root is spelt.
struct SpellingCase {
    const char* root; // '|' for the separator, under the scratch folder
    bool treeGoes;    // with deleteFiles: does the root's entry go?
};

const SpellingCase kSpellingCases[] = {
    // The root is the link itself.
    {"link", true},
    {"link|", true},
    {"link||", true},
    {"link|.", true},
    {"link|.|", true},
    {"link|.|.", true},
    {"elsewhere||..|link", true},
    // The root is a real tree that holds the link.
    {"tree", true},
    {"tree|", true},
    {"tree|.", true},
    {"tree||.||", true},
};

TEST(RemoveDirectoryTreeTest, LinkToAFolderOutsideIsNeverEntered) {
    for (const SpellingCase& c : kSpellingCases) {
        for (int deleteFiles : {0, 1}) {
            SCOPED_TRACE(std::string(c.root) +
                         (deleteFiles ? " deleting files" : " keeping files"));
            ScratchFolder folder;
            folder.MakeFolder("outside");
            const std::string treasure = folder.Write("outside/treasure.txt", "keep");
            const std::string root = BuildTree(folder, {"a.txt"});
            const std::string inner = folder.Path("tree/link");
            const std::string outer = folder.Path("link");
            if (!MakeLink(folder.Path("outside"), inner, true) ||
                !MakeLink(folder.Path("outside"), outer, true))
                GTEST_SKIP() << "this system makes no folder links that report as reparse points";
            const std::string entry = std::string(c.root).rfind("tree", 0) == 0 ? root : outer;

            EXPECT_EQ(1, RemoveDirectoryTree(folder.Path(SystemPath(c.root)).c_str(), deleteFiles));
            EXPECT_TRUE(Exists(treasure));
            EXPECT_EQ(deleteFiles != 0 && c.treeGoes, !Exists(entry));
            if (entry == root) {
                EXPECT_EQ(deleteFiles == 0, Exists(inner));
            }
        }
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

} // namespace
