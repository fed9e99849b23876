// The INI-format rules as the plugin meets them through ProfileSection. On
// Windows the platform's own private-profile functions answer; on Linux ours
// do. The same table runs on both builds, once with LF and once with CRLF
// line ends, so the two builds read every settings file alike.
#include "tests/support/known_differences.h"
#include "settings/profile_section.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <tuple>
#include <set>
#include <string_view>

namespace {

using namespace std::string_literals;

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
    {"IndentedHeader", "[S]\nk=v\n \t[T]\nt=1\n", "T", "t", "1"},
    {"BracketsInsideKeyLinesOpenNoSection", "[S]\nk=[T]\nx [T]\nt=1\n", "S", "t", "1"},
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

// The encodings a settings file is saved in: UTF-8, and UTF-16 with its
// byte-order mark in either byte order (Notepad's "Unicode"). The cases are
// ASCII; one with other bytes is read as UTF-8 only.
enum class Encoding { kUtf8, kUtf16LittleEndian, kUtf16BigEndian };

std::string Encoded(const std::string& text, Encoding encoding) {
    if (encoding == Encoding::kUtf8)
        return text;
    const bool bigEndian = encoding == Encoding::kUtf16BigEndian;
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : text) {
        bytes += bigEndian ? '\0' : c;
        bytes += bigEndian ? c : '\0';
    }
    return bytes;
}

class ProfileReadTest : public testing::TestWithParam<std::tuple<ReadCase, const char*, Encoding>> {
protected:
    // The case's file written in this row's line ends and encoding.
    std::string CaseFile(const ScratchFolder& folder) {
        const ReadCase& c = std::get<0>(GetParam());
        const Encoding encoding = std::get<2>(GetParam());
        for (char ch : c.file)
            if (encoding != Encoding::kUtf8 && (static_cast<unsigned char>(ch) >= 0x80 || ch == 0))
                return std::string();
        return folder.Write("case.ini",
                            Encoded(WithLineEnds(c.file, std::get<1>(GetParam())), encoding));
    }
};

TEST_P(ProfileReadTest, ReadString) {
    const ReadCase& c = std::get<0>(GetParam());
    ScratchFolder folder;
    const std::string path = CaseFile(folder);
    if (path.empty())
        GTEST_SKIP() << "not an ASCII file";
    ProfileSection profile(path, c.section);
    EXPECT_EQ(c.expected, profile.ReadString(c.key, "DEF"));
}

// One listing of the section gives every key what its own read gives (the
// first key of a name, its case aside): the loader takes a whole table from
// one listing on that promise.
TEST_P(ProfileReadTest, ListingGivesWhatEachReadGives) {
    const ReadCase& c = std::get<0>(GetParam());
    ScratchFolder folder;
    const std::string path = CaseFile(folder);
    if (path.empty())
        GTEST_SKIP() << "not an ASCII file";
    ProfileSection profile(path, c.section);
    std::set<std::string> seen;
    ProfileSection::ForEachKey(
        profile.ListSection(), [&](std::string_view key, std::string_view value, bool hasValue) {
            std::string folded(key);
            for (char& ch : folded)
                ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
            if (!seen.insert(folded).second)
                return;
            SCOPED_TRACE(folded);
            EXPECT_EQ(profile.ReadString(std::string(key).c_str(), "<missing>"),
                      hasValue ? std::string(value) : "<missing>");
        });
}

INSTANTIATE_TEST_SUITE_P(Cases, ProfileReadTest,
                         testing::Combine(testing::ValuesIn(kReadCases),
                                          testing::Values("\n", "\r\n"),
                                          testing::Values(Encoding::kUtf8,
                                                          Encoding::kUtf16LittleEndian,
                                                          Encoding::kUtf16BigEndian)),
                         [](const auto& info) {
                             const Encoding encoding = std::get<2>(info.param);
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param)[0] == '\r' ? "_CRLF" : "_LF") +
                                    (encoding == Encoding::kUtf8                ? ""
                                     : encoding == Encoding::kUtf16LittleEndian ? "_UTF16LE"
                                                                                : "_UTF16BE");
                         });

// A write to a UTF-16 file keeps it UTF-16, and reads back.
TEST(ProfileSectionTest, WriteKeepsUtf16) {
    ScratchFolder folder;
    const std::string path =
        folder.Write("u.ini", Encoded("[A]\r\nx=1\r\n", Encoding::kUtf16LittleEndian));
    ProfileSection profile(path, "A");
    profile.WriteString("y", "2");
    EXPECT_EQ("1", profile.ReadString("x", ""));
    EXPECT_EQ("2", profile.ReadString("y", ""));
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(nullptr, file);
    unsigned char start[4] = {};
    EXPECT_EQ(4u, std::fread(start, 1, 4, file));
    std::fclose(file);
    EXPECT_EQ(0xFF, start[0]);
    EXPECT_EQ(0xFE, start[1]);
    EXPECT_EQ('[', start[2]);
    EXPECT_EQ(0, start[3]);
}

// Listings cut by small buffers, and the count a read gives: the bytes the
// system writes, exactly, and never a byte past the buffer.
enum class Listing { kSectionLines, kKeyNames, kSectionNames, kValue };

struct ListCase {
    const char* name;
    std::string file;
    Listing listing;
    DWORD size;
    std::string bytes; // what the buffer starts with
    DWORD result;
    const char* section = "S";
};

const std::string kLists = "[S]\nab\nc\nxy=12\n[T2]\n[U]\n";
const std::string kSkipped = "[S]\n;c=1\nnoeq\nk=\n=v\n[]\n[T]\n";

const ListCase kListCases[] = {
    {"LinesInOneByte", kLists, Listing::kSectionLines, 1, "\0"s, 0},
    {"LinesInTwoBytes", kLists, Listing::kSectionLines, 2, "\0\0"s, 0},
    {"LinesCutInAName", kLists, Listing::kSectionLines, 3, "a\0\0"s, 1},
    {"LinesFillTheBufferToTheLastByte", kLists, Listing::kSectionLines, 4, "ab\0\0"s, 2},
    {"LinesCutBeforeAnItem", kLists, Listing::kSectionLines, 5, "ab\0\0\0"s, 3},
    {"LinesCutAfterAnItem", kLists, Listing::kSectionLines, 6, "ab\0c\0\0"s, 4},
    {"LinesAllButRoomToSpare", kLists, Listing::kSectionLines, 12, "ab\0c\0xy=12\0\0"s, 10},
    {"LinesWhole", kLists, Listing::kSectionLines, 13, "ab\0c\0xy=12\0\0"s, 11},
    {"LinesOfAnEmptySection", "[S]\n[T]\n", Listing::kSectionLines, 8, "\0\0"s, 0},
    {"KeysInTwoBytes", kLists, Listing::kKeyNames, 2, "\0"s, 0},
    {"KeysCut", kLists, Listing::kKeyNames, 3, "x\0"s, 1},
    {"KeysAllButRoomToSpare", kLists, Listing::kKeyNames, 4, "xy\0"s, 2},
    {"KeysWhole", kLists, Listing::kKeyNames, 5, "xy\0\0"s, 3},
    {"KeysWithValuesOnly", kSkipped, Listing::kKeyNames, 40, "k\0\0\0"s, 3},
    {"KeysFirstNameEmpty", "[S]\n=v\nk=\n", Listing::kKeyNames, 40, "\0"s, 0},
    {"SectionsCut", kLists, Listing::kSectionNames, 3, "S\0"s, 1},
    {"SectionsCutAfterAName", kLists, Listing::kSectionNames, 7, "S\0T2\0\0"s, 5},
    {"SectionsWhole", kLists, Listing::kSectionNames, 9, "S\0T2\0U\0\0"s, 7},
    {"SectionsWithNamesOnly", kSkipped, Listing::kSectionNames, 40, "S\0T\0\0"s, 4},
    // A read trims the section name sought; a listing takes it as written.
    {"ListingTakesTheNameAsWritten", kLists, Listing::kSectionLines, 40, "\0\0"s, 0, " S "},
    {"KeysTakeTheNameAsWritten", kLists, Listing::kKeyNames, 40, "\0"s, 0, " S "},
    {"ReadTrimsTheName", "[S]\nk=v\n", Listing::kValue, 40, "v\0"s, 1, " S "},
    {"NulEndsAValue", "[S]\nk=ab\0cd\n"s, Listing::kValue, 40, "ab\0"s, 2},
    {"NothingBeforeANulIsNotListed", "[S]\n\0x\nk=v\n"s, Listing::kSectionLines, 40, "k=v\0\0"s, 4},
    {"NulEndsALine", "[S]\na=1\0b\nc=x\0y\n"s, Listing::kSectionLines, 40, "a=1\0c=x\0\0"s, 8},
};

class ProfileListTest : public testing::TestWithParam<ListCase> {};

TEST_P(ProfileListTest, Bytes) {
    const ListCase& c = GetParam();
    if (c.size < 2 && !kListingStaysInOneByte)
        GTEST_SKIP() << "this system writes past a one-byte buffer";
    ScratchFolder folder;
    const std::string path = folder.Write("list.ini", c.file);
    char buffer[64];
    std::memset(buffer, '#', sizeof(buffer));
    DWORD result = 0;
    switch (c.listing) {
    case Listing::kSectionLines:
        result = GetPrivateProfileSectionA(c.section, buffer, c.size, path.c_str());
        break;
    case Listing::kKeyNames:
        result = GetPrivateProfileStringA(c.section, nullptr, "", buffer, c.size, path.c_str());
        break;
    case Listing::kSectionNames:
        result = GetPrivateProfileStringA(nullptr, nullptr, "", buffer, c.size, path.c_str());
        break;
    case Listing::kValue:
        result = GetPrivateProfileStringA(c.section, "k", "", buffer, c.size, path.c_str());
        break;
    }
    EXPECT_EQ(c.result, result);
    EXPECT_EQ(c.bytes, std::string(buffer, c.bytes.size()));
    EXPECT_EQ('#', buffer[c.size]);
}

INSTANTIATE_TEST_SUITE_P(Cases, ProfileListTest, testing::ValuesIn(kListCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A settings file that is no regular file reads as a missing one, at once.
TEST(ProfileSectionTest, DeviceReadsAsMissing) {
    const char* device =
        GetFileAttributesA("/dev/zero") != INVALID_FILE_ATTRIBUTES ? "/dev/zero" : "NUL";
    ProfileSection profile(device, "S");
    EXPECT_EQ("DEF", profile.ReadString("k", "DEF"));
    EXPECT_EQ(nullptr, profile.ReadSection());
}

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

// A write lands in the file the path names and changes the key written
// only: through a link (which stays a link), under every name of a
// hard-linked file, and for a name too long to take a suffix.
TEST(ProfileSectionTest, WritesReachTheFileThePathNames) {
    namespace fs = std::filesystem;
    struct Row {
        const char* name;
        std::string (*make)(const ScratchFolder& folder, const std::string& file);
    };
    const Row rows[] = {
        {"plain", [](const ScratchFolder&, const std::string& file) { return file; }},
        {"long name",
         [](const ScratchFolder& folder, const std::string& file) {
             const std::string path = folder.Path(std::string(250, 'n') + ".ini");
             fs::rename(file, path);
             return path;
         }},
        {"symbolic link",
         [](const ScratchFolder& folder, const std::string& file) {
             std::error_code error;
             fs::create_symlink(file, folder.Path("link.ini"), error);
             return error ? std::string() : folder.Path("link.ini");
         }},
        {"hard link",
         [](const ScratchFolder& folder, const std::string& file) {
             std::error_code error;
             fs::create_hard_link(file, folder.Path("hard.ini"), error);
             return error ? std::string() : folder.Path("hard.ini");
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScratchFolder folder;
        const std::string file = folder.Write("settings.ini", "[A]\nkeep=1\nx=old\n[B]\ny=2\n");
        const std::string path = row.make(folder, file);
        if (path.empty() || GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
            continue; // this system makes no such link, or takes no such path
        const bool wasLink = fs::is_symlink(path);
        ProfileSection written(path, "A");
        written.WriteString("x", "new");
        for (const std::string& name : {path, fs::exists(file) ? file : path}) {
            ProfileSection check(name, "A");
            EXPECT_EQ("new", check.ReadString("x", ""));
            EXPECT_EQ("1", check.ReadString("keep", ""));
            check.SetSection("B");
            EXPECT_EQ("2", check.ReadString("y", ""));
        }
        EXPECT_EQ(wasLink, fs::is_symlink(path));
    }
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
