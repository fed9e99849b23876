// The one spelling of a path, as text and as every system call meets it,
// and the folder cut. Paths are written with '|' for the separator and
// turned into this system's paths.
#include "tests/support/guarded_buffer.h"
#include "platform/text/path_spelling.h"
#include "tests/support/scratch_folder.h"
#include "platform/win32.h"

#include <gtest/gtest.h>
#include <string>

namespace {

TEST(ReducePathSpellingTest, OneSpellingPerEntry) {
    struct Row {
        const char* path;
        const char* reduced;
    };
    const Row rows[] = {
        {"a|b", "a|b"},  {"a||b|", "a|b"},    {"a|.|b|.", "a|b"},
        {"a|..|b", "b"}, {"..|a", "..|a"},    {"a|..|..|b", "..|b"},
        {"|", "|"},      {"|..|a", "|a"},     {"||server|share|", "||server|share"},
        {".", "."},      {"a|..", "."},       {"", ""},
        {"a/b", "a|b"},  {"link|.|", "link"}, {"a|...|b", "a|...|b"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        char output[MAX_PATH] = "previous";
        EXPECT_TRUE(ReducePathSpelling(SystemPath(row.path).c_str(), output, MAX_PATH));
        EXPECT_EQ(SystemPath(row.reduced), output);
    }
    char small[4] = "abc";
    EXPECT_FALSE(ReducePathSpelling("abcd", small, sizeof(small)));
    EXPECT_STREQ("", small);
}

// A trailing separator names only a folder, although the reduction drops it:
// every query of "f.txt|" finds nothing, with the system's own error codes,
// and nothing opens, truncates, creates or removes "f.txt" or "ghost.txt".
TEST(ReducePathSpellingTest, TrailingSeparatorNamesOnlyAFolder) {
    ScratchFolder folder;
    const std::string file = folder.Write("f.txt", "four");
    folder.MakeFolder("d");
    constexpr DWORD kNone = INVALID_FILE_ATTRIBUTES;
    struct Row {
        const char* spelling;
        DWORD attributes, attributesError; // GetFileAttributesA
        DWORD openError, createError;      // OPEN_EXISTING as a folder, CREATE_ALWAYS (0: opens)
        DWORD deleteError, removeError;    // DeleteFileA, RemoveDirectoryA
    };
    const Row rows[] = {
        {"f.txt|", kNone, ERROR_PATH_NOT_FOUND, ERROR_INVALID_NAME, ERROR_INVALID_NAME,
         ERROR_INVALID_NAME, ERROR_INVALID_NAME},
        {"f.txt||", kNone, ERROR_PATH_NOT_FOUND, ERROR_INVALID_NAME, ERROR_INVALID_NAME,
         ERROR_INVALID_NAME, ERROR_INVALID_NAME},
        {"ghost.txt|", kNone, ERROR_FILE_NOT_FOUND, ERROR_FILE_NOT_FOUND, ERROR_INVALID_NAME,
         ERROR_FILE_NOT_FOUND, ERROR_FILE_NOT_FOUND},
        {"d|", FILE_ATTRIBUTE_DIRECTORY, 0, 0, ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.spelling);
        const std::string path = folder.Path() + SystemPath("|" + std::string(row.spelling));
        EXPECT_EQ(row.attributes, GetFileAttributesA(path.c_str()));
        if (row.attributes == kNone) {
            EXPECT_EQ(row.attributesError, GetLastError());
        }
        WIN32_FIND_DATAA found;
        EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA(path.c_str(), &found));
        EXPECT_EQ(ERROR_FILE_NOT_FOUND, GetLastError());
        for (const DWORD disposition : {OPEN_EXISTING, CREATE_ALWAYS}) {
            const DWORD flags = disposition == OPEN_EXISTING ? FILE_FLAG_BACKUP_SEMANTICS : 0;
            const HANDLE opened = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                              disposition, flags, nullptr);
            const DWORD error = opened != INVALID_HANDLE_VALUE ? 0 : GetLastError();
            if (opened != INVALID_HANDLE_VALUE)
                CloseHandle(opened);
            EXPECT_EQ(disposition == OPEN_EXISTING ? row.openError : row.createError, error);
        }
        EXPECT_FALSE(DeleteFileA(path.c_str()));
        EXPECT_EQ(row.deleteError, GetLastError());
        if (row.removeError != 0) {
            EXPECT_FALSE(RemoveDirectoryA(path.c_str()));
            EXPECT_EQ(row.removeError, GetLastError());
        }
    }
    EXPECT_EQ(FILE_ATTRIBUTE_ARCHIVE, GetFileAttributesA(file.c_str()));
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(4u, data.nFileSizeLow);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(folder.Path("ghost.txt").c_str()));
}

TEST(CutToDirectoryTest, Cases) {
    struct Row {
        const char* path;
        const char* directory;
    };
    const Row rows[] = {
        {"C:|a|b|file.ini", "C:|a|b|"},
        {"C:|file.ini", "C:|"},
        {"||server|share|x", "||server|share|"},
        {"|", "|"},
        {"dir|", "dir|"},
        // No separator: there is no directory, and the result says so.
        {"file.ini", ""},
        {"", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        GuardedBuffer buffer('#');
        CutToDirectory(buffer.data(), SystemPath(row.path).c_str());
        EXPECT_EQ(SystemPath(row.directory), buffer.data());
        EXPECT_TRUE(buffer.GuardsIntact(MAX_PATH));
    }
}

TEST(CutToDirectoryTest, OverlongPathIsCutBeforeTheSearch) {
    // The only separator lies beyond byte 259: after the cut there is none.
    std::string path = std::string(300, 'a') + SystemPath("|x.ini");
    GuardedBuffer buffer;
    CutToDirectory(buffer.data(), path.c_str());
    EXPECT_STREQ("", buffer.data());
    EXPECT_TRUE(buffer.GuardsIntact(MAX_PATH));
    // A separator before the cut names a folder above the real one: none.
    CutToDirectory(buffer.data(), SystemPath("C:|" + std::string(300, 'd') + "|x.ini").c_str());
    EXPECT_STREQ("", buffer.data());
}

} // namespace
