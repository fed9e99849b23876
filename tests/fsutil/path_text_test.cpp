// Path texts: classification, directory part, extension, the colon test, the
// cutting into pieces, and the path-piece list's insertions. Paths are written
// with '|' for the separator and turned into this system's paths.
#include "platform/code_page.h"
#include "fsutil/path_text.h"
#include "tests/support/scratch_folder.h"
#include "platform/win32.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Texts(const PathPieceList& list) {
    std::vector<std::string> texts;
    for (PathPieceNode* node = list.first; node != nullptr; node = node->next)
        texts.push_back(node->text);
    return texts;
}

TEST(ClassifyPathTest, Kinds) {
    struct Row {
        const char* text;
        int kind;
    };
    const Row rows[] = {
        {"%TEMP%|x", kPathAbsolute}, {"C:|x", kPathAbsolute},   {"||server|share", kPathRooted},
        {"|x", kPathRooted},         {".|x", kPathDotRelative}, {"..|x", kPathDotRelative},
        {"x.ini", kPathBareName},    {"C:x", kPathBareName},    {"%NAME%", kPathBareName},
        {"", kPathBareName},         {"dir|x", kPathRelative},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(row.kind, ClassifyPath(SystemPath(row.text).c_str()));
    }
    EXPECT_EQ(kPathRelative, ClassifyPath(nullptr));
}

TEST(PathTextTest, DirectoryExtensionColon) {
    char output[kPathBufferSize] = "untouched";
    EXPECT_EQ(output, DirectoryPart(SystemPath("C:|a|b.txt").c_str(), output));
    EXPECT_EQ(SystemPath("C:|a|"), output);
    DirectoryPart("b.txt", output);
    EXPECT_EQ(SystemPath("C:|a|"), output);
    EXPECT_EQ(nullptr, DirectoryPart(SystemPath("C:|a|b").c_str(), nullptr));

    struct Row {
        const char* path;
        const char* extension; // null: none
    };
    const Row rows[] = {
        {"a.tar.gz", "gz"}, {"C:|dir.d|file", "d|file"}, {"name.", ""}, {"name", nullptr}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        std::string path = SystemPath(row.path);
        const char* extension = ExtensionOf(path.c_str());
        if (row.extension == nullptr) {
            EXPECT_EQ(nullptr, extension);
        } else {
            ASSERT_NE(nullptr, extension);
            EXPECT_EQ(SystemPath(row.extension), extension);
        }
    }
    EXPECT_TRUE(HasColon("C:\\x"));
    EXPECT_FALSE(HasColon("\\\\server\\share"));
}

TEST(SplitPathPiecesTest, Pieces) {
    struct Row {
        const char* path;
        std::vector<std::string> pieces;
    };
    const Row rows[] = {
        {"C:|a|b|c", {"C:|", "a|", "b|", "c"}},
        {"C:|a|", {"C:|", "a|"}},
        {"name.txt", {"name.txt"}},
        {"", {}},
        {"||server|share|x", {"|", "|server|", "share|", "x"}},
        {"C:||a", {"C:|", "|a"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        PathPieceList list;
        SplitPathPieces(SystemPath(row.path).c_str(), list);
        std::vector<std::string> expected;
        for (const std::string& piece : row.pieces)
            expected.push_back(SystemPath(piece));
        EXPECT_EQ(expected, Texts(list));
    }
}

// Under a double-byte code page a component may begin with a character
// whose second byte is 0x5C: the cut never falls inside it.
TEST(SplitPathPiecesTest, DoubleByteCharacterStaysWhole) {
    const int previous = MultibyteCodePage();
    if (!SetMultibyteCodePage(932))
        GTEST_SKIP() << "this system has no double-byte code page to switch to";
    PathPieceList list;
    SplitPathPieces("C:\\\x95\x5C\\y", list);
    SetMultibyteCodePage(previous);
    EXPECT_EQ((std::vector<std::string>{"C:\\", "\x95\x5C\\", "y"}), Texts(list));
}

TEST(SplitPathPiecesTest, OverlongPieceContinuesWhereTheCutEnded) {
    const std::string path = std::string(300, 'a') + SystemPath("|b");
    PathPieceList list;
    SplitPathPieces(path.c_str(), list);
    std::string joined;
    for (const std::string& piece : Texts(list)) {
        EXPECT_LE(piece.size(), 259u);
        joined += piece;
    }
    EXPECT_EQ(path, joined);
}

TEST(PathPieceListTest, InsertAtFrontMiddleAndEnd) {
    PathPieceList list;
    PathPieceNode* a = list.Append("a");
    PathPieceNode* c = list.Append("c");
    EXPECT_EQ(a, list.first);
    EXPECT_EQ(c, list.last);

    PathPieceNode* front = list.InsertAfter(nullptr, "front");
    EXPECT_EQ(front, list.first);
    EXPECT_EQ(a, front->next);
    EXPECT_EQ(front, a->previous);

    PathPieceNode* b = list.InsertAfter(a, "b");
    EXPECT_EQ(b, a->next);
    EXPECT_EQ(a, b->previous);
    EXPECT_EQ(c, b->next);
    EXPECT_EQ(b, c->previous);

    PathPieceNode* end = list.InsertAfter(c, "end");
    EXPECT_EQ(end, list.last);
    EXPECT_EQ(c, end->previous);
    EXPECT_EQ(nullptr, end->next);
    EXPECT_EQ((std::vector<std::string>{"front", "a", "b", "c", "end"}), Texts(list));

    // Walking back from the end gives the same nodes in reverse.
    std::vector<std::string> backwards;
    for (PathPieceNode* node = list.last; node != nullptr; node = node->previous)
        backwards.push_back(node->text);
    EXPECT_EQ((std::vector<std::string>{"end", "c", "b", "a", "front"}), backwards);
}

TEST(PathPieceListTest, EmptyListIgnoresThePositionAndCutsLongTexts) {
    PathPieceList other;
    PathPieceNode* foreign = other.Append("x");
    PathPieceList list;
    PathPieceNode* node = list.InsertAfter(foreign, std::string(300, 'y').c_str());
    EXPECT_EQ(node, list.first);
    EXPECT_EQ(node, list.last);
    EXPECT_EQ(std::string(259, 'y'), node->text);
}

} // namespace
