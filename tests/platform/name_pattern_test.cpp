// Name patterns as Windows matches them: '*' any run, '?' one character,
// ASCII letters in any case, all of it by whole characters of the code page;
// and no blow-up on many stars or long patterns.
#include "platform/code_page.h"
#include "tests/support/code_page_cases.h"
#include "platform/text/name_pattern.h"
#include "tests/support/name_pattern_reference.h"

#include <gtest/gtest.h>
#include <cstring>
#include <random>
#include <string>

namespace {

TEST(NamePatternTest, Cases) {
    struct Row {
        std::string pattern;
        std::string name;
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
        // More characters asked for than the name has left, or just enough.
        {"*" + std::string(257, '?') + "b", std::string(255, 'a'), false},
        {"*" + std::string(257, 'a') + "b", std::string(255, 'a'), false},
        {"*" + std::string(254, '?') + "b", std::string(254, 'a') + "b", true},
        {"*" + std::string(254, 'a') + "b", std::string(254, 'a') + "b", true},
        {"a*?*?*b", "ab", false},
        {"a*?*?*b", "axyb", true},
        {"*?", "", false},
        {"?*?", "a", false},
        // Many stars, and literal runs whose start recurs inside them.
        {[] {
             std::string mask;
             for (int i = 0; i < 64; ++i)
                 mask += "*a";
             return mask + "*b";
         }(),
         std::string(258, 'a'), false},
        {"*" + std::string(120, 'a') + "b*", std::string(200, 'a') + "b", true},
        {"*" + std::string(120, 'a') + "b*", std::string(200, 'a'), false},
        {"*abab?ab*", "abababxab", true},
        {"*aab*", "aaab", true},
        {"*abac*", "ababac", true},
        {"*ab*ab", "abab", true},
        {"*ab*ab", "aba", false},
        {"*a?c*x", "abxabcx", true},
        {"*a?c*x", "abxabx", false},
        {"*.TAR.*", "backup.tar.gz", true},
        {"*abababababc*", "ababababababababc", true},
        {"*abababababc*", "abababababababab", false},
        {"*ab?ababababc*", "abxababababc", true},
        {"*ab?ababababc*", "abxabababababc", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.pattern + " / " + row.name);
        EXPECT_EQ(row.matches, MatchesNamePattern(row.pattern.data(), row.pattern.size(),
                                                  row.name.data(), row.name.size()));
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

// A mask and a name are both read as characters: a byte that begins no
// character of the code page with the bytes after it is one of its own, and
// matches only itself, never the start or the end of a longer character.
// One table under UTF-8, a single-byte code page and code page 932.
TEST(NamePatternTest, WholeCharactersOfTheCodePage) {
    struct Row {
        const char* pattern;
        const char* name;
        bool utf8;
        bool singleByte;
        bool doubleByte; // 932
    };
    const Row rows[] = {
        {"\xC3*", "\xC3\xA9", false, true, true},
        {"*\xA9", "\xC3\xA9", false, true, true},
        {"b**\xC3*\xA9", "b\xC3\xA9\xC3\xA9\xC3\xC3\xA9", false, true, true},
        {"b**\xC3*\xA9", "b\xC3\xA9\xC3\xC3\xA9\xA9", true, true, true},
        {"*\xE2\x82", "\xE2\x82\xAC", false, false, false},
        {"\xED\xA0\x80", "\xED\xA0\x80", true, true, true},
        {"???", "\xED\xA0\x80", true, true, false},
        {"\x95*", "\x95\x5C", true, true, false},
        {"*\\", "\x95\x5C", true, true, false},
        {"*\x81\x40*", "\x81\x81\x40", true, true, false},
        {"*\x81\x40*", "\x81\x81\x81\x40", true, true, true},
        {"\x82\x61", "\x82\x41", true, true, false},
        // Literal runs long enough to be searched in one pass.
        {"*\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40*",
         "\x81\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40", true, true,
         false},
        {"*\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40*",
         "\x81\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40",
         true, true, true},
        {"*\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9*", "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9",
         false, true, true},
    };
    auto check = [&](const char* codePage, bool Row::*expected) {
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(codePage) + ": " + row.pattern + " / " + row.name);
            EXPECT_EQ(row.*expected, MatchesNamePattern(row.pattern, std::strlen(row.pattern),
                                                        row.name, std::strlen(row.name)));
        }
    };
    CheckUnderEachCodePage(&Row::utf8, &Row::singleByte, &Row::doubleByte, check);
}

// Random short names of pieces that make characters of one to four bytes
// in UTF-8 or code page 932, and stray bytes of either; half the masks are
// the name with bytes turned into wildcards or dropped, half are pieces too.
// Held to the plain reference matcher under the current code page and 932.
TEST(NamePatternTest, AgreesWithTheReference) {
    // clang-format off
    const char* const pieces[] = {
        "a", "A", "b", "*", "?", "@", "\\",             // one byte everywhere
        "\x81", "\x95", "\xA9", "\xC3",                 // stray bytes, or lead bytes in 932
        "\xC3\xA9", "\xE0\xA9\x81", "\xF0\x95\x81\xA9", // UTF-8 of two to four bytes
        "\x81\x40"};                                    // 932, its second byte below 128
    // clang-format on
    const unsigned kinds = sizeof(pieces) / sizeof(pieces[0]);
    std::mt19937 random(2026);
    auto check = [&] {
        int failures = 0;
        for (int i = 0; i < 20000 && failures < 5; ++i) {
            std::string name;
            std::string pattern;
            for (unsigned k = random() % 8; k > 0; --k)
                name += pieces[random() % kinds];
            for (char c : name) {
                const unsigned r = random() % 8;
                pattern += r == 0 ? "?" : r == 1 ? "*" : r == 2 ? "" : std::string(1, c);
            }
            if (i % 2 == 1) {
                pattern.clear();
                for (unsigned k = random() % 7; k > 0; --k)
                    pattern += pieces[random() % kinds];
            }
            const bool expected = ReferenceMatches(pattern, name);
            if (MatchesNamePattern(pattern.data(), pattern.size(), name.data(), name.size()) !=
                expected) {
                ADD_FAILURE() << "code page " << MultibyteCodePage() << ": '" << pattern << "' / '"
                              << name << "' should give " << expected;
                ++failures;
            }
        }
    };
    check();
    const int previous = MultibyteCodePage();
    if (!SetMultibyteCodePage(932))
        GTEST_SKIP() << "this system has no double-byte code page to switch to";
    check();
    SetMultibyteCodePage(previous);
}

} // namespace
