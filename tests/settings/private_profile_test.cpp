// The INI-format rules as the plugin meets them through ProfileSection. On
// Windows the platform's own private-profile functions answer; on Linux ours
// do. The same table runs on both builds, once with LF and once with CRLF
// line ends, so the two builds read every settings file alike.
#include "profile_section.h"
#include "scratch_folder.h"

#include <gtest/gtest.h>
#include <string>
#include <tuple>

namespace {

const char* const kLayout = "[Groups]\n"
                            "  a  =  x y  \n"
                            "\tb\t=\tz\t\n"
                            "Case=v\n"
                            "dup=first\n"
                            "dup=second\n"
                            "noeq\n"
                            ";c=1\n"
                            "#h=2\n"
                            "empty=\n"
                            "blank =   \n"
                            "x=a=b\n"
                            "[ Spaced ]\n"
                            "s=1\n"
                            "[groups]\n"
                            "only2=yes\n"
                            "[Tail] trailing words\n"
                            "t=1\n"
                            "[Open\n"
                            "o=1\n";

const char* const kQuotes = "[Q]\n"
                            "q1=\"quoted\"\n"
                            "q2='single'\n"
                            "q3=\"half\n"
                            "q4=\"\n"
                            "q5=\"\"\n"
                            "q6=  \"spaced\"  \n"
                            "q7=\"a\"b\"\n"
                            "q8='mixed\"\n";

const std::string kLong(300, 'v');
const std::string kLongCut(259, 'v');
const std::string kLongFile = "[S]\nk=" + kLong + "\n";
const std::string kLongQuotedFile = "[S]\nk=\"" + kLong + "\"\n";

struct ReadCase {
    const char* name;
    std::string file;
    const char* section;
    const char* key;
    std::string expected; // the default is "DEF"
};

const ReadCase kReadCases[] = {
    {"BlanksAroundKeyAndValue", kLayout, "Groups", "a", "x y"},
    {"TabsAroundKeyAndValue", kLayout, "Groups", "b", "z"},
    {"SoughtNamesAreTrimmed", kLayout, " Groups ", "  a ", "x y"},
    {"SectionNameIgnoresCase", kLayout, "GROUPS", "a", "x y"},
    {"KeyNameIgnoresCase", kLayout, "Groups", "CASE", "v"},
    {"DuplicateKeyFirstWins", kLayout, "Groups", "dup", "first"},
    {"DuplicateSectionOnlyFirstIsSearched", kLayout, "Groups", "only2", "DEF"},
    {"LineWithoutEqualsHasNoValue", kLayout, "Groups", "noeq", "DEF"},
    {"SemicolonLineHidesNoKey", kLayout, "Groups", "c", "DEF"},
    {"SemicolonLineIsItsOwnKey", kLayout, "Groups", ";c", "1"},
    {"HashLineHidesNoKey", kLayout, "Groups", "h", "DEF"},
    {"EmptyValueIsNotTheDefault", kLayout, "Groups", "empty", ""},
    {"BlankValueIsEmpty", kLayout, "Groups", "blank", ""},
    {"FurtherEqualsBelongToValue", kLayout, "Groups", "x", "a=b"},
    {"BlanksInsideSectionBrackets", kLayout, "Spaced", "s", "1"},
    {"TextAfterSectionBracket", kLayout, "Tail", "t", "1"},
    {"UnclosedBracketOpensNoSection", kLayout, "Open", "o", "DEF"},
    {"MissingSection", kLayout, "Nope", "a", "DEF"},
    {"MissingKey", kLayout, "Groups", "nope", "DEF"},
    {"DoubleQuotes", kQuotes, "Q", "q1", "quoted"},
    {"SingleQuotes", kQuotes, "Q", "q2", "single"},
    {"UnclosedQuoteStays", kQuotes, "Q", "q3", "\"half"},
    {"LoneQuoteStays", kQuotes, "Q", "q4", "\""},
    {"EmptyQuotes", kQuotes, "Q", "q5", ""},
    {"QuotesInsideBlanks", kQuotes, "Q", "q6", "spaced"},
    {"OnlyOuterQuotesGo", kQuotes, "Q", "q7", "a\"b"},
    {"MixedQuotesStay", kQuotes, "Q", "q8", "'mixed\""},
    {"KeysBeforeFirstSection", "top=1\n[S]\nk=v\n", "", "top", "1"},
    {"NoFinalLineEnd", "[S]\nk=v\nlast=tail", "S", "last", "tail"},
    {"ByteOrderMark", "\xEF\xBB\xBF[S]\nk=v\n", "S", "k", "v"},
    {"CarriageReturnsAlone", "[S]\ra=1\rb=2", "S", "b", "2"},
    {"EmptyFile", "", "S", "k", "DEF"},
    {"ValueOf300BytesIsCut", kLongFile, "S", "k", kLongCut},
    {"QuotedValueOf300BytesIsCut", kLongQuotedFile, "S", "k", kLongCut},
};

std::string WithLineEnds(const std::string& text, const std::string& lineEnd) {
    std::string result;
    for (char c : text) {
        if (c == '\n')
            result += lineEnd;
        else
            result += c;
    }
    return result;
}

class ProfileReadTest : public testing::TestWithParam<std::tuple<ReadCase, const char*>> {};

TEST_P(ProfileReadTest, ReadString) {
    const ReadCase& c = std::get<0>(GetParam());
    const std::string lineEnd = std::get<1>(GetParam());
    ScratchFolder folder;
    std::string path = folder.Write("case.ini", WithLineEnds(c.file, lineEnd));
    ProfileSection profile(path, c.section);
    EXPECT_EQ(c.expected, profile.ReadString(c.key, "DEF"));
}

INSTANTIATE_TEST_SUITE_P(Cases, ProfileReadTest,
                         testing::Combine(testing::ValuesIn(kReadCases),
                                          testing::Values("\n", "\r\n")),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param)[0] == '\r' ? "_CRLF" : "_LF");
                         });

TEST(ProfileSectionTest, MissingFileGivesDefaults) {
    ScratchFolder folder;
    ProfileSection profile(folder.Path("absent.ini"), "S");
    EXPECT_EQ("DEF", profile.ReadString("k", "DEF"));
    EXPECT_EQ(7u, profile.ReadInt("k", 7));
    EXPECT_EQ(nullptr, profile.ReadSection());
}

TEST(ProfileSectionTest, DefaultLosesTrailingBlanksAndIsCut) {
    ScratchFolder folder;
    ProfileSection profile(folder.Write("s.ini", "[S]\n"), "S");
    EXPECT_EQ("DEF", profile.ReadString("k", "DEF  "));
    EXPECT_EQ(std::string(259, 'd'), profile.ReadString("k", std::string(300, 'd').c_str()));
}

TEST(ProfileSectionTest, SetSectionSwitchesWhereReadsGo) {
    ScratchFolder folder;
    ProfileSection profile(folder.Write("s.ini", "[Groups]\nk=g\n[Configuration]\nk=c\n"),
                           "Groups");
    EXPECT_EQ("g", profile.ReadString("k", ""));
    profile.SetSection("Configuration");
    EXPECT_EQ("Configuration", profile.GetSection());
    EXPECT_EQ("c", profile.ReadString("k", ""));
}

TEST(ProfileSectionTest, ReadInt) {
    struct Row {
        const char* key;
        std::uint32_t expected;
    };
    const Row rows[] = {
        {"plain", 16u},          {"hex", 16u}, {"negative", static_cast<std::uint32_t>(-5)},
        {"digitsThenText", 12u}, {"text", 0u}, {"empty", 7u},
        {"missing", 7u},
    };
    ScratchFolder folder;
    ProfileSection profile(folder.Write("i.ini", "[S]\nplain=16\nhex=0x10\nnegative=-5\n"
                                                 "digitsThenText= 12abc\ntext=abc\nempty=\n"),
                           "S");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.key);
        EXPECT_EQ(row.expected, profile.ReadInt(row.key, 7));
    }
}

TEST(ProfileSectionTest, ReadSectionListsLinesAsTheyAre) {
    ScratchFolder folder;
    ProfileSection profile(folder.Write("l.ini", "[L]\n a = 1 \nb=x=y\nplain\n;comment=1\n"
                                                 "#hash=2\nq=\"kept\"\n[M]\nm=1\n"),
                           "L");
    struct Row {
        const char* line;
        const char* key;
        const char* value;
    };
    const Row rows[] = {{"a=1", "a", "1"},
                        {"b=x=y", "b", "x=y"},
                        {"plain", "", ""},
                        {"#hash=2", "#hash", "2"},
                        {"q=\"kept\"", "q", "\"kept\""}};
    const SectionEntry* entry = profile.ReadSection();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        ASSERT_NE(nullptr, entry);
        EXPECT_EQ(row.line, entry->line);
        EXPECT_EQ(row.key, entry->key);
        EXPECT_EQ(row.value, entry->value);
        entry = profile.NextEntry();
    }
    EXPECT_EQ(nullptr, entry);
    EXPECT_EQ(nullptr, profile.NextEntry());
}

TEST(ProfileSectionTest, ReadSectionTwiceQueuesBothReadings) {
    ScratchFolder folder;
    ProfileSection profile(folder.Write("l.ini", "[L]\na=1\nb=2\n"), "L");
    ASSERT_NE(nullptr, profile.ReadSection());
    const SectionEntry* entry = profile.ReadSection();
    const char* expected[] = {"a=1", "b=2", "a=1", "b=2"};
    for (const char* line : expected) {
        ASSERT_NE(nullptr, entry);
        EXPECT_EQ(line, entry->line);
        entry = profile.NextEntry();
    }
    EXPECT_EQ(nullptr, entry);
}

TEST(ProfileSectionTest, WritesKeepTheRestOfTheFile) {
    ScratchFolder folder;
    std::string path = folder.Write("w.ini", ";keep=1\n[A]\nx=1\n\n[B]\ny=2\n");
    ProfileSection a(path, "A");
    a.WriteString("x", "new");
    a.WriteString("added", "v2");
    a.WriteInt("negative", -42);
    a.WriteInt("zero", 0);
    ProfileSection c(path, "C");
    c.WriteString("c", "3");

    ProfileSection check(path, "A");
    EXPECT_EQ("new", check.ReadString("x", ""));
    EXPECT_EQ("v2", check.ReadString("added", ""));
    EXPECT_EQ("-42", check.ReadString("negative", ""));
    EXPECT_EQ("0", check.ReadString("zero", ""));
    check.SetSection("B");
    EXPECT_EQ("2", check.ReadString("y", ""));
    check.SetSection("C");
    EXPECT_EQ("3", check.ReadString("c", ""));
    check.SetSection("");
    EXPECT_EQ("1", check.ReadString(";keep", ""));
}

TEST(ProfileSectionTest, WriteWithoutValueRemovesTheKey) {
    ScratchFolder folder;
    std::string path = folder.Write("d.ini", "[A]\nx=1\ny=2\n");
    ProfileSection profile(path, "A");
    profile.WriteString("x", nullptr);
    EXPECT_EQ("gone", profile.ReadString("x", "gone"));
    EXPECT_EQ("2", profile.ReadString("y", ""));
}

TEST(ProfileSectionTest, WriteCreatesAMissingFileButNoFolder) {
    ScratchFolder folder;
    ProfileSection created(folder.Path("new.ini"), "N");
    created.WriteString("k", "v");
    EXPECT_EQ("v", created.ReadString("k", ""));

    ProfileSection nowhere(folder.Path("no-such-folder/new.ini"), "N");
    nowhere.WriteString("k", "v");
    EXPECT_EQ("DEF", nowhere.ReadString("k", "DEF"));
}

} // namespace
