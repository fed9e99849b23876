// The cut of every path the host passes into file name and extension, under
// this system's code page and under code page 932.
#include "tests/support/code_page_cases.h"
#include "plugin/file_name.h"

#include <gtest/gtest.h>
#include <string>

namespace {

struct Cut {
    std::string name;
    std::string extension;
};

// The parts as texts, after checking that they lie within the path (a long
// path is cut in a copy, whose positions must not leak out) and that the cut
// without the whole name finds the same extension.
Cut CutOf(const std::string& path) {
    const char* begin = path.c_str();
    const char* end = begin + path.size();
    const FileNameParts parts = SplitFileName(begin);
    EXPECT_TRUE(parts.name >= begin && parts.name + parts.nameLength <= end);
    EXPECT_TRUE(parts.extension >= begin && parts.extension + parts.extensionLength <= end);
    const FileNameParts quick = SplitFileName(begin, false);
    EXPECT_EQ(parts.extension, quick.extension);
    EXPECT_EQ(parts.extensionLength, quick.extensionLength);
    return Cut{std::string(parts.name, parts.nameLength),
               std::string(parts.extension, parts.extensionLength)};
}

void ExpectCut(const std::string& path, const Cut& expected) {
    SCOPED_TRACE(path);
    const Cut cut = CutOf(path);
    EXPECT_EQ(expected.name, cut.name);
    EXPECT_EQ(expected.extension, cut.extension);
}

TEST(SplitFileNameTest, NameAndExtension) {
    const std::string folder(250, 'd');
    struct Row {
        std::string path;
        Cut cut;
    };
    const Row rows[] = {
        {"file.txt", {"file.txt", "txt"}},
        {"/home/u/file.txt", {"file.txt", "txt"}},
        {"dir/archive.tar.GZ", {"archive.tar.GZ", "GZ"}},
        {"dir/.profile", {".profile", "profile"}},
        {"dir/name.", {"name.", ""}},
        {"x/..", {"..", ""}},
        {"noext", {"noext", ""}},
        {"", {"", ""}},
        {"v1.2/", {"", ""}},
        // A dot in a folder name never counts.
        {"my.data/README", {"README", ""}},
        {"a.b/c.d/e", {"e", ""}},
        // 259 bytes fit a path buffer; only those count of a longer path.
        {folder + "/file.txt", {"file.txt", "txt"}},
        {folder + "/file.text", {"file.tex", "tex"}},
        {folder + "/abcdefg.txt", {"abcdefg.", ""}},
        {std::string(259, 'n') + "/x.txt", {std::string(259, 'n'), ""}},
    };
    auto check = [&](const char* codePage, Cut Row::*expected) {
        for (const Row& row : rows) {
            SCOPED_TRACE(codePage);
            ExpectCut(row.path, row.*expected);
        }
    };
    CheckUnderEachCodePage(&Row::cut, &Row::cut, &Row::cut, check);
}

// '\\' separates only on Windows, whose C runtime starts single-byte; under
// code page 932 it may be the second byte of a character ("\x95\x5C"), which
// the multibyte-aware search tells apart. Linux takes the UTF-8 column.
TEST(SplitFileNameTest, BackslashAndDoubleByteCharacters) {
    struct Row {
        std::string path;
        Cut utf8;
        Cut singleByte;
        Cut doubleByte; // 932
    };
    const Row rows[] = {
        {"a\\b.c", {"a\\b.c", "c"}, {"b.c", "c"}, {"b.c", "c"}},
        {"dir/\x95\x5C.txt", {"\x95\x5C.txt", "txt"}, {".txt", "txt"}, {"\x95\x5C.txt", "txt"}},
        {"dir\\\x95\x5C", {"dir\\\x95\x5C", ""}, {"", ""}, {"\x95\x5C", ""}},
        // The double-byte search never takes a folder's dot either.
        {"\x95\x5C.d\\x", {"\x95\x5C.d\\x", "d\\x"}, {"x", ""}, {"x", ""}},
    };
    auto check = [&](const char* codePage, Cut Row::*expected) {
        for (const Row& row : rows) {
            SCOPED_TRACE(codePage);
            ExpectCut(row.path, row.*expected);
        }
    };
    CheckUnderEachCodePage(&Row::utf8, &Row::singleByte, &Row::doubleByte, check);
}

} // namespace
