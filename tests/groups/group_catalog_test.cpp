// The group lookup: first match in load order, ASCII case ignored, the
// fallback group for everything else.
#include "platform/code_page.h"
#include "tests/support/code_page_cases.h"
#include "groups/group_catalog.h"
#include "tests/support/mask_walk.h"

#include <gtest/gtest.h>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

struct Probe {
    const char* extension;
    std::int32_t number;
    const char* name;
};

// Every answer is checked after all lookups: no lookup touches another's
// answer, as threads that look up at once need.
void ExpectProbes(GroupCatalog& catalog, std::initializer_list<Probe> probes) {
    std::vector<GroupMatch> matches;
    for (const Probe& probe : probes)
        matches.push_back(catalog.FindGroup(probe.extension));
    for (std::size_t i = 0; i < probes.size(); ++i) {
        const Probe& probe = probes.begin()[i];
        SCOPED_TRACE(testing::Message() << "extension '" << probe.extension << "'");
        EXPECT_EQ(probe.number, matches[i].number);
        EXPECT_EQ(probe.name, matches[i].name);
    }
}

TEST(GroupCatalogTest, FirstGroupListingTheExtensionWins) {
    GroupCatalog catalog;
    catalog.AddGroup(0, "Text", "txt|log");
    catalog.AddGroup(1, "Tables", "log|csv");
    ExpectProbes(catalog, {{"log", 0, "Text"},
                           {"csv", 1, "Tables"},
                           {"LOG", 0, "Text"},
                           {"Txt", 0, "Text"},
                           {"ini", 2, ""},
                           {"", 2, ""},
                           {"tx", 2, ""},
                           {"txtx", 2, ""}});
    EXPECT_EQ(3u, catalog.GroupCountWithFallback());
}

TEST(GroupCatalogTest, OnlyAsciiLettersFoldCase) {
    GroupCatalog catalog;
    catalog.AddGroup(0, "Latin-1", "\xE9t\xE9|Txt");
    // 0xC9 is 'É' in Latin-1, but only 'A'..'Z' fold: a byte of 128 or above
    // matches itself alone.
    ExpectProbes(catalog, {{"\xE9T\xE9", 0, "Latin-1"},
                           {"\xC9t\xC9", 1, ""},
                           {"TXT", 0, "Latin-1"},
                           {"txt", 0, "Latin-1"}});
}

// Every length of extension, short ones held whole in a word and longer ones
// compared byte by byte: found whatever the case of its letters, and not
// found when any single byte differs.
TEST(GroupCatalogTest, ExtensionsOfEveryLength) {
    GroupCatalog catalog;
    const std::string letters = "aBcDeFgHiJkLmNoPqRsT";
    for (std::size_t length = 1; length <= letters.size(); ++length)
        catalog.AddGroup(static_cast<std::int32_t>(length - 1), "L", letters.substr(0, length));
    for (std::size_t length = 1; length <= letters.size(); ++length) {
        std::string sought = letters.substr(0, length);
        SCOPED_TRACE(sought);
        for (char& c : sought)
            c = static_cast<char>(c ^ 0x20); // every letter in the other case
        EXPECT_EQ(static_cast<std::int32_t>(length - 1), catalog.FindGroup(sought.c_str()).number);
        for (std::size_t at = 0; at < length; ++at) {
            std::string other = sought;
            other[at] = '#';
            EXPECT_EQ(static_cast<std::int32_t>(letters.size()),
                      catalog.FindGroup(other.c_str()).number)
                << "byte " << at << " changed";
        }
    }
}

// A NUL byte is one byte like any other: never taken for the padding of a
// shorter extension, nor for the end of one.
TEST(GroupCatalogTest, ExtensionsHoldingNulBytes) {
    GroupCatalog catalog;
    catalog.AddGroup(0, "Nul", std::string_view("a\0|\0b|\0|c\0\0\0\0\0\0\0\0", 17));
    catalog.AddGroup(1, "Plain", "a|b|c");
    const struct {
        std::string_view extension;
        std::int32_t number;
    } probes[] = {{{"a\0", 2}, 0}, {{"\0b", 2}, 0}, {{"\0", 1}, 0},   {{"c\0\0\0\0\0\0\0\0", 9}, 0},
                  {{"a", 1}, 1},   {{"b\0", 2}, 2}, {{"\0\0", 2}, 2}, {{"c\0\0", 3}, 2}};
    for (const auto& probe : probes)
        EXPECT_EQ(probe.number,
                  catalog.FindGroup(probe.extension.data(), probe.extension.size()).number)
            << "extension of " << probe.extension.size() << " bytes";
}

TEST(GroupCatalogTest, StoredDotNeverMatchesACutExtension) {
    GroupCatalog catalog;
    catalog.AddGroup(0, "Dotted", ".txt");
    ExpectProbes(catalog, {{"txt", 1, ""}, {".txt", 0, "Dotted"}});
}

TEST(GroupCatalogTest, SameNameDifferentNumbers) {
    GroupCatalog catalog;
    catalog.AddGroup(0, "Media", "mp3");
    catalog.AddGroup(1, "Media", "mp4");
    ExpectProbes(catalog, {{"mp4", 1, "Media"}, {"MP3", 0, "Media"}});
}

TEST(GroupCatalogTest, EmptyCatalogAnswersNumberZero) {
    GroupCatalog catalog;
    EXPECT_FALSE(catalog.IsLoaded());
    EXPECT_EQ(1u, catalog.GroupCountWithFallback());
    ExpectProbes(catalog, {{"txt", 0, ""}, {"", 0, ""}});
}

// Thousands of groups: every extension still finds its first group, and a
// later group's copy never wins.
TEST(GroupCatalogTest, LargeTableFirstGroupWins) {
    GroupCatalog catalog;
    for (int number = 0; number < 5000; ++number)
        catalog.AddGroup(number, "G" + std::to_string(number),
                         "e" + std::to_string(number) + "|E" + std::to_string(number / 2) + "x");
    for (int number = 0; number < 5000; number += 7) {
        SCOPED_TRACE(number);
        EXPECT_EQ(number, catalog.FindGroup(("E" + std::to_string(number)).c_str()).number);
        EXPECT_EQ(number - number % 2,
                  catalog.FindGroup(("e" + std::to_string(number / 2) + "X").c_str()).number);
    }
    EXPECT_EQ(5000, catalog.FindGroup("e5000").number);
}

// Name masks: the first group in number order whose mask matches the file
// name wins, before any extension is looked up.
TEST(GroupCatalogTest, MasksComeBeforeExtensions) {
    GroupCatalog catalog;
    catalog.AddGroup(0, "Compressed", "gz|xz");
    catalog.AddGroup(1, "Build", "", "Makefile|CMakeLists.txt|*.cmake");
    catalog.AddGroup(2, "Documents", "md", "README*|LICENSE*");
    catalog.AddGroup(3, "Tarballs", "tar", "*.tar.*|*.tgz");
    catalog.AddGroup(4, "Logs", "", "x?.log|*.log|xr*|xy.log");
    catalog.AddGroup(5, "Old", "", "**.old|*.tar.gz|old");
    struct Row {
        const char* name;
        std::int32_t number;
        GroupReason::Kind why;
        const char* text; // the mask or extension that decided
    };
    const Row rows[] = {
        {"backup.tar.gz", 3, GroupReason::kMask, "*.tar.*"},
        {"backup.gz", 0, GroupReason::kExtension, "gz"},
        {"BACKUP.GZ", 0, GroupReason::kExtension, "gz"},
        {"makefile", 1, GroupReason::kMask, "Makefile"},
        {"tools.cmake", 1, GroupReason::kMask, "*.cmake"},
        {"README.md", 2, GroupReason::kMask, "README*"},
        {"notes.md", 2, GroupReason::kExtension, "md"},
        {"x.tar", 3, GroupReason::kExtension, "tar"},
        {"setup.exe", 6, GroupReason::kFallback, nullptr},
        // A lower group wins whatever tier its mask is in.
        {"x.tar.cmake", 1, GroupReason::kMask, "*.cmake"},
        {"a.tar.gz", 3, GroupReason::kMask, "*.tar.*"},
        // Within the group, the first mask in its list decides.
        {"XY.LOG", 4, GroupReason::kMask, "x?.log"},
        {"xyz.log", 4, GroupReason::kMask, "*.log"},
        {"xray", 4, GroupReason::kMask, "xr*"},
        {"a.OLD", 5, GroupReason::kMask, "**.old"},
        {"old", 5, GroupReason::kMask, "old"},
        // An exact name, a suffix and a prefix each cover the whole mask.
        {"older", 6, GroupReason::kFallback, nullptr},
        {"cmake", 6, GroupReason::kFallback, nullptr},
        {"Makefile.bak", 6, GroupReason::kFallback, nullptr},
        {"EADME", 6, GroupReason::kFallback, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const char* dot = std::strrchr(row.name, '.');
        const char* extension = dot != nullptr ? dot + 1 : row.name + std::strlen(row.name);
        GroupReason reason{GroupReason::kFallback, std::string_view()};
        const GroupMatch match = catalog.FindGroupOfFile(row.name, std::strlen(row.name), extension,
                                                         std::strlen(extension), &reason);
        EXPECT_EQ(row.number, match.number);
        EXPECT_EQ(row.why, reason.kind);
        EXPECT_EQ(row.text != nullptr ? row.text : "", reason.text);
    }
}

// A mask matches whole characters of the code page: the index finds a
// suffix, a prefix or a name by its bytes, but only where the characters
// agree. One table under UTF-8, a single-byte code page and code page 932.
TEST(GroupCatalogTest, MasksMatchWholeCharacters) {
    GroupCatalog catalog;
    catalog.AddGroup(0, "Stray", "", "*\xA9");
    catalog.AddGroup(1, "Lead", "", "\xC3*");
    catalog.AddGroup(2, "Backslash", "", "*\\");
    catalog.AddGroup(3, "Pair", "", "\x82\x61");
    catalog.AddGroup(4, "A", "", "*a");
    struct Row {
        const char* name;
        std::int32_t utf8;
        std::int32_t singleByte;
        std::int32_t doubleByte; // 932
    };
    const Row rows[] = {
        {"\xC3\xA9", 5, 0, 0},  {"\x95\x5C", 2, 2, 5}, {"\x82\x41", 3, 3, 5},
        {"x\x82\x61", 4, 4, 5}, {"\xC3\xC3", 1, 1, 1}, {"\x81\xA9", 0, 0, 5},
    };
    auto check = [&](const char* codePage, std::int32_t Row::*expected) {
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(codePage) + ": " + row.name);
            EXPECT_EQ(row.*expected,
                      catalog.FindGroupOfFile(row.name, std::strlen(row.name), "", 0).number);
            EXPECT_TRUE(LookupAgreesWithWalk(catalog, row.name));
        }
    };
    CheckUnderEachCodePage(&Row::utf8, &Row::singleByte, &Row::doubleByte, check);
}

// Random tables of masks in every tier, of pieces that collide: letters in
// both cases, stars, '?', stray and lead bytes, characters of two to four
// bytes. The index names the group and mask that the walk of every mask in
// number order names, under the current code page and 932.
TEST(GroupCatalogTest, MaskIndexAgreesWithTheWalk) {
    // clang-format off
    const char* const pieces[] = {
        "a", "A", "b", ".", "*", "?", "\x81", "\x95", "\xA9", "\xC3", "\xC3\xA9",
        "\xE3\x81\x82", "\xF0\x9F\x98\x80", "\x81\x40", "\x82\x61", "\x82\x41"};
    // clang-format on
    const unsigned kinds = sizeof(pieces) / sizeof(pieces[0]);
    std::mt19937 random(21);
    auto text = [&](unsigned most) {
        std::string made;
        for (unsigned k = random() % (most + 1); k > 0; --k)
            made += pieces[random() % kinds];
        return made;
    };
    std::vector<GroupCatalog> catalogs(300);
    std::vector<std::vector<std::string>> names(catalogs.size());
    for (std::size_t t = 0; t < catalogs.size(); ++t) {
        for (int number = 0; number < 5; ++number) {
            std::string masks;
            for (unsigned m = random() % 4; m > 0; --m) {
                const unsigned form = random() % 4; // exact, suffix, prefix, as made
                std::string mask = (form == 1 ? "*" : "") + text(4) + (form == 2 ? "*" : "");
                names[t].push_back(mask);
                names[t].push_back(text(2) + mask + text(2));
                masks += (masks.empty() ? "" : "|") + mask;
            }
            catalogs[t].AddGroup(number, "G", "", masks);
        }
        for (int n = 0; n < 10; ++n)
            names[t].push_back(text(6));
    }
    auto check = [&] {
        int failures = 0;
        for (std::size_t t = 0; t < catalogs.size() && failures < 5; ++t)
            for (const std::string& name : names[t])
                if (!LookupAgreesWithWalk(catalogs[t], name)) {
                    ADD_FAILURE() << "code page " << MultibyteCodePage() << ": table " << t
                                  << ", name '" << name << "'";
                    ++failures;
                }
    };
    check();
    const int previous = MultibyteCodePage();
    if (!SetMultibyteCodePage(932))
        GTEST_SKIP() << "this system has no double-byte code page to switch to";
    check();
    SetMultibyteCodePage(previous);
}

// How an extension list is cut, shown by the count of pieces the plugin
// answers by and what the group then catches.
struct CutCase {
    const char* name;
    const char* list;
    std::size_t pieces;
    std::initializer_list<const char*> caught;
    std::initializer_list<const char*> notCaught;
};

const CutCase kCutCases[] = {
    {"Single", "txt", 1, {"txt"}, {"", "tx"}},
    {"Two", "txt|log", 2, {"txt", "log"}, {"txt|log", ""}},
    {"TrailingSeparatorAddsNothing", "txt|", 1, {"txt"}, {""}},
    {"LeadingSeparatorAddsEmpty", "|txt", 2, {"", "txt"}, {"x"}},
    {"DoubleSeparatorAddsEmpty", "txt||log", 3, {"txt", "", "log"}, {"x"}},
    {"LoneSeparatorIsEmpty", "|", 1, {""}, {"|"}},
    {"BlanksAreKept", "txt | log", 2, {"txt ", " log"}, {"txt", "log"}},
    {"DuplicatesAreHarmless", "txt|txt", 2, {"txt"}, {""}},
    {"LongListOverWords",
     "abcdefgh|ijklmnop||q|",
     4,
     {"abcdefgh", "ijklmnop", "", "q"},
     {"abcdefgh|ijklmnop", "x"}},
};

class AddGroupCutTest : public testing::TestWithParam<CutCase> {};

TEST_P(AddGroupCutTest, CatchesExactlyItsPieces) {
    const CutCase& c = GetParam();
    GroupCatalog catalog;
    catalog.AddGroup(0, "G", c.list);
    const PieceList& pieces = catalog.Groups()[0].extensions;
    EXPECT_EQ(c.pieces, pieces.size());
    EXPECT_EQ(c.pieces, pieces.Texts().size());
    for (const char* extension : c.caught) {
        SCOPED_TRACE(testing::Message() << "caught '" << extension << "'");
        EXPECT_EQ(0, catalog.FindGroup(extension).number);
    }
    for (const char* extension : c.notCaught) {
        SCOPED_TRACE(testing::Message() << "not caught '" << extension << "'");
        EXPECT_EQ(1, catalog.FindGroup(extension).number);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, AddGroupCutTest, testing::ValuesIn(kCutCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
