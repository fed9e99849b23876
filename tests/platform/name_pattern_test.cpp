// Name patterns as Windows matches them: '*' any run, '?' one character,
// ASCII letters in any case; and no blow-up on many stars.
#include "code_page.h"
#include "name_pattern.h"

#include <gtest/gtest.h>
#include <cstring>
#include <string>

namespace {

TEST(NamePatternTest, Cases) {
    struct Row {
        const char* pattern;
        const char* name;
        bool matches;
    };
    const Row rows[] = {
        {"*", "", true},
        {"*", "anything.at.all", true},
        {"*.tar.gz", "backup.tar.gz", true},
        {"*.tar.gz", "backup.tar.gz.part", false},
        {"*.tar.*", "a.tar.xz", true},
        {"*.TAR.*", "a.tar.xz", true},
        {"Makefile", "makefile", true},
        {"Makefile", "Makefile.am", false},
        {"README*", "README", true},
        {"README*", "README.md", true},
        {"README*", "xREADME", false},
        {"report_*.pdf", "report_2026.pdf", true},
        {"report_*.pdf", "report_.pdf", true},
        {"report_*.pdf", "report.pdf", false},
        {"*~", "notes.txt~", true},
        {"?", "a", true},
        {"?", "", false},
        {"?", "ab", false},
        {"a?c", "abc", true},
        {"a*b*c", "aXbYc", true},
        {"a*b*c", "aXbY", false},
        {"*a*a*a*a*b", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", false},
        {"*a*a*a*a*b", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaab", true},
        {"**x", "x", true},
        {"*ab", "aab", true},
        {"\xC3\x9C*",
         "\xC3\x9C"
         "bersicht",
         true},
        {"\xC3\xBC*",
         "\xC3\x9C"
         "bersicht",
         false},
        {"", "", true},
        {"", "a", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.pattern) + " / " + row.name);
        EXPECT_EQ(row.matches, MatchesNamePattern(row.pattern, std::strlen(row.pattern), row.name,
                                                  std::strlen(row.name)));
    }
}

// A question mark takes one whole character: "\xC3\xA9" is one character in
// UTF-8 and two in a single-byte code page; 0x95 0x5C one in code page 932.
TEST(NamePatternTest, QuestionMarkTakesOneCharacter) {
    const char* name = "\xC3\xA9.txt";
    const bool utf8 = MultibyteCodePage() == kUtf8CodePage;
    EXPECT_EQ(utf8, MatchesNamePattern("?.txt", 5, name, std::strlen(name)));
    EXPECT_EQ(!utf8, MatchesNamePattern("??.txt", 6, name, std::strlen(name)));

    const int previous = MultibyteCodePage();
    if (!SetMultibyteCodePage(932))
        GTEST_SKIP() << "this system has no double-byte code page to switch to";
    const char* japanese = "\x95\x5C.txt";
    const bool one = MatchesNamePattern("?.txt", 5, japanese, std::strlen(japanese));
    SetMultibyteCodePage(previous);
    EXPECT_TRUE(one);
}

} // namespace
