// The multibyte-aware searches and case operations. In a double-byte code
// page a character's second byte may equal '\'; such a byte must never be
// taken for a separator.
#include "settings/bounded_string.h"
#include "platform/code_page.h"
#include "platform/text/path_spelling.h"
#include "settings/text_search.h"

#include <gtest/gtest.h>
#include <cstring>
#include <string>

namespace {

TEST(TextSearchTest, FindsCharactersAndTexts) {
    const char* text = "C:\\a.b\\c.d";
    EXPECT_EQ(text + 6, FindLastChar(text, '\\'));
    EXPECT_EQ(text + 2, FindChar(text, '\\'));
    EXPECT_EQ(text + 8, FindLastChar(text, '.'));
    EXPECT_EQ(nullptr, FindChar(text, ':' + 1));
    EXPECT_EQ(text + 3, FindSubstring(text, "a.b"));
    EXPECT_EQ(nullptr, FindSubstring(text, "A.B"));
    EXPECT_EQ(text, FindSubstring(text, ""));
}

TEST(TextSearchTest, CompareNoCase) {
    struct Row {
        const char* a;
        const char* b;
        int order;
    };
    const Row rows[] = {
        {"ABC", "abc", 0}, {"abc", "abd", -1}, {"abd", "ABC", 1},
        {"ab", "abc", -1}, {"", "", 0},        {"Windows", "WINDOWS", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.a << " vs " << row.b);
        EXPECT_EQ(row.order, CompareNoCase(row.a, row.b));
    }
}

TEST(TextSearchTest, ToLowerInPlace) {
    char text[] = "C:\\Program Files\\X.TXT";
    EXPECT_EQ(text, ToLowerInPlace(text));
    EXPECT_STREQ("c:\\program files\\x.txt", text);
}

// UTF-8 names hold no ASCII byte inside a character, so on either build a
// search for an ASCII separator or dot finds only real ones.
TEST(TextSearchTest, Utf8NamesAreSearchedSafely) {
    const char* text = "/d\xC3\xA9j\xC3\xA0/\xE6\x96\x87\xE6\x9B\xB8.txt";
    EXPECT_EQ(text + 7, FindLastChar(text, '/'));
    EXPECT_EQ(text + 14, FindLastChar(text, '.'));
}

class DoubleByteCodePageTest : public testing::Test {
protected:
    void SetUp() override {
        previous = MultibyteCodePage();
        if (!SetMultibyteCodePage(932))
            GTEST_SKIP() << "this system's text is UTF-8 only; double-byte code pages do not exist";
    }
    void TearDown() override { SetMultibyteCodePage(previous); }
    int previous = 0;
};

// "\x95\x5C" is one Shift-JIS character whose second byte is 0x5C, '\'.
TEST_F(DoubleByteCodePageTest, TrailByteIsNoBackslash) {
    const char* text = "C:\\x\\\x95\x5C";
    EXPECT_EQ(text + 4, FindLastChar(text, '\\'));
    EXPECT_EQ(text + 2, FindChar(text, '\\'));

    char directory[kPathBufferSize];
    CutToDirectory(directory, "C:\\x\\\x95\x5C.ini");
    EXPECT_STREQ("C:\\x\\", directory);
}

TEST_F(DoubleByteCodePageTest, DoubleByteCharacterComparesAsOne) {
    // 0x82 0x60 is a full-width 'A', 0x82 0x81 a full-width 'a'.
    EXPECT_EQ(0, CompareNoCase("\x82\x60", "\x82\x60"));
    EXPECT_NE(0, CompareNoCase("\x95\x5C", "\x95\x5D"));
    // The trail byte 0x5C is not lower-cased or changed as if it were ASCII.
    char text[] = "\x95\x5C"
                  "AB";
    ToLowerInPlace(text);
    EXPECT_STREQ("\x95\x5C"
                 "ab",
                 text);
}

} // namespace
