// The settings checker: for settings files that hold each surprise, the
// groups it shows and the warnings it gives; a clean file gives none.
#include "platform/code_page.h"
#include "settings/profile_section.h"
#include "tests/support/scratch_folder.h"
#include "tools/lumbrasket/host_settings_folder.h"
#include "tools/lumbrasket/settings_check.h"
#include "platform/win32.h"

#include <gtest/gtest.h>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

// A settings text saved as UTF-16, little-endian, with or without its
// byte-order mark.
std::string Utf16(const std::string& text, bool byteOrderMark = true) {
    std::string bytes = byteOrderMark ? "\xFF\xFE" : "";
    for (char c : text)
        bytes += std::string{c, '\0'};
    return bytes;
}

// The list of 259 bytes in quotes that the reader cuts to 258: its last
// piece "md" becomes "m".
std::string QuotedListOf259() {
    std::string list = "e000xx";
    for (int i = 1; i <= 50; ++i)
        list += "|e0" + std::string(i < 10 ? "0" : "") + std::to_string(i);
    return "[Groups]\n0=\"" + list + "|md\"\n0_name=Text\n";
}

const bool kUtf8Names = MultibyteCodePage() == kUtf8CodePage;
const bool kMarkBytes = AnsiCodePage() == 1255 || AnsiCodePage() == 1256;

struct CheckCase {
    const char* name;
    std::string file;                    // "<missing>" writes no file
    std::vector<std::string> warnings;   // each a part of one warning, in order
    std::vector<std::string> shown;      // lines the report must hold
    std::vector<std::string> notes = {}; // parts of notes, each in some note
};

const CheckCase kCheckCases[] = {
    {"Clean",
     "[Groups]\n0=txt|log\n0_name=Text\n[Configuration]\nUnknownGroupPlaceHolder=Other\n",
     {},
     {"  0  Text: txt log\n", "Fallback group:\n  1  Other\n",
      "Edits apply when the file manager starts again", "No warnings.\n"}},
    {"ReloadWhenChangedOn",
     "[Groups]\n0=txt\n0_name=Text\n[Configuration]\nReloadWhenChanged=1\n",
     {},
     {"Edits apply while the file manager runs (ReloadWhenChanged=1).\n"}},
    {"ReloadWhenChangedOff",
     "[Groups]\n0=txt\n[Configuration]\nReloadWhenChanged=0\n",
     {},
     {"Edits apply when the file manager starts again",
      "a file manager that started with it on keeps reloading until then"}},
    {"ReloadWhenChangedAsAWord",
     "[Groups]\n0=txt\n[Configuration]\nreloadwhenchanged=yes\nReloadWhenChanged=1\n",
     {"[Configuration] reloadwhenchanged=yes leaves it off: only 1 turns it on"},
     {"Edits apply when the file manager starts again",
      "a file manager that started with it on keeps reloading until then"}},
    {"MissingFile",
     "<missing>",
     {"does not exist"},
     {"Groups:\n  (none)\n", "  0  Unknown\n", "keeps the table it has until a file it can load"}},
    {"EmptyFile", "", {"is empty"}, {"  0  Unknown\n", "keeps the table it has"}},
    {"FileTooLarge", "<huge>", {"is larger than the 64 MiB"}, {"  0  Unknown\n"}},
    {"NoGroups",
     "[Configuration]\nUnknownGroupPlaceHolder=All\n",
     {"no group is defined"},
     {"  0  All\n"}},
    {"KeysAfterAGap",
     "[Groups]\n0=txt\n1=\n2=zip\n2_name=Archives\n",
     {"2 is never read: the numbering stops at a gap, 1 has no extension list",
      "2_name names a group without an extension list"},
     {"  0  (no name): txt\n", "  1  Unknown\n"}},
    {"NameWithoutList",
     "[Groups]\n0=txt\n1_name=Orphan\n",
     {"1_name names a group without an extension list or masks (1 is missing or empty)"},
     {}},
    {"ValueCutAt259",
     "[Groups]\n0=" + std::string(300, 'x') +
         "\n[Configuration]\nUnknownGroupPlaceHolder=" + std::string(260, 'u') + "\n",
     {"[Groups] 0 is 300 bytes long: only its first 259 bytes are read",
      "[Configuration] UnknownGroupPlaceHolder is 260 bytes long"},
     {}},
    {"ExtensionWithADot", "[Groups]\n0=.txt|log\n", {"\".txt\" holds a dot and never matches"}, {}},
    {"BlanksAroundASeparator",
     "[Groups]\n0=txt | log\n",
     {"\"txt \" has blanks beside a separator", "\" log\" has blanks beside a separator"},
     {"  0  (no name): \"txt \" \" log\"\n"}},
    // Meant on purpose, most likely: a note, and the check passes.
    {"EmptyPiece",
     "[Groups]\n0=txt||log\n0_name=Text\n",
     {},
     {"  0  Text: txt \"\" log\n"},
     {"group 0 has an empty piece in its list: it catches every file without an extension"}},
    {"ExtensionInALaterGroup",
     "[Groups]\n0=md|txt\n1=MD|rst\n",
     {"group 1: MD is also listed by group 0, which wins"},
     {}},
    {"UnreadKeyForms",
     "[Groups]\n0=txt\n01=zip\n+1=zip\nplain\n0=again\n",
     {"01 is never read", "+1 is never read", "line \"plain\" has no '='",
      "0 appears more than once: only the first is read"},
     {"  0  (no name): txt\n"}},
    {"MisspeltContinuation",
     "[Groups]\n0=txt\n0_mroe=log\n0_more1=md\n",
     {"0_mroe is never read; did you mean 0_more?", "0_more1 is never read"},
     {}},
};

const CheckCase kSurpriseCases[] = {
    {"GroupWithoutName",
     "[Groups]\n0=txt\n[Configuration]\nUnknownGroupPlaceHolder=\n",
     {},
     {},
     {"group 0 has no name", "UnknownGroupPlaceHolder is empty"}},
    {"MisspeltSectionAndKeys",
     "[Grups]\n0=txt\n[Groups]\n0=txt\n1=md\n1_nmae=Docs\n[Configuration]\nUnknownGroup=X\n"
     "ReloadWhenChange=1\n",
     {"1_nmae is never read; did you mean 1_name?",
      "section [Grups] is never read; did you mean "
      "[Groups]?",
      "[Configuration] UnknownGroup is never read; did you mean UnknownGroupPlaceHolder?",
      "[Configuration] ReloadWhenChange is never read; did you mean ReloadWhenChanged?"},
     {}},
    {"PatternsInAnExtensionList",
     "[Groups]\n0=*.jpg;*.png\n0_name=Images\n",
     {"\"*.jpg;*.png\" is written as a pattern, but the extension list takes bare extensions "
      "separated by '|': write 0=jpg|png, or for name masks 0_masks=*.jpg|*.png"},
     {}},
    {"ListCutNamesWhatIsLost",
     "[Groups]\n0=" + std::string(250, 'a') + "|bcdefghij|klm\n",
     {"\"bcdefghij\" is cut to \"bcdefghi\"; lost: klm"},
     {}},
    {"ListCutNamesAFreeContinuation",
     "[Groups]\n0=" + std::string(258, 'a') + "|klm\n0_more=x\n0_more2=y\n",
     {"lost: klm; write the rest in 0_more3 (a continuation of the list)"},
     {"  0  (no name): " + std::string(258, 'a') + " x y\n"}},
    {"ContinuationWithoutItsGroup",
     "[Groups]\n0=txt\n1_more=log\n1_masks_more=x*\n",
     {"1_more continues group 1, which has no extension list and no masks",
      "1_masks_more continues group 1"},
     {"Fallback group:\n  1  Unknown\n"}},
    {"ContinuationsShownInTheirGroup",
     "[Groups]\n0=txt\n0_name=Text\n0_more=log\n0_masks_more=README*\n",
     {},
     {"  0  Text: txt log; masks README*\n", "No warnings.\n"}},
    {"ListCutAtASeparator",
     "[Groups]\n0=" + std::string(258, 'a') + "|klm|n\n",
     {"only its first 259 bytes are read; lost: klm n"},
     {}},
    // Values as the plugin reads them, quotes and all.
    {"QuotedListCutAt258",
     QuotedListOf259(),
     {"[Groups] 0 is 259 bytes long: only its first 258 bytes are read; \"md\" is cut to \"m\""},
     {" e050 m\n"}},
    {"QuotedValuesWhole",
     "[Groups]\n0=\"txt|md\"\n0_name='Text'\n",
     {},
     {"  0  Text: txt md\n", "No warnings.\n"}},
    // Shown escaped, and warned about: a terminal acts on them.
    {"ControlCharacters",
     "[Groups]\n0=txt|a\x1b[2J\n0_name=T\x1b]0;x\x07\n1_masks=*\t.c\n"
     "[Configuration]\nUnknownGroupPlaceHolder=\x1b[31mOther\n",
     {"group 0: \"a\\033[2J\" holds control characters",
      "group 1: mask \"*\\t.c\" holds control characters",
      "the name of group 0 \"T\\033]0;x\\007\" holds control characters",
      "the fallback name \"\\033[31mOther\" holds control characters"},
     {"  0  T\\033]0;x\\007: txt a\\033[2J\n", "  1  (no name): masks *\\t.c\n",
      "  2  \\033[31mOther\n"}},
    // U+009B is a control (CSI) where names are UTF-8; in an ANSI code page
    // its bytes are two letters of UTF-8 text.
    {"C1Control",
     "[Groups]\n0=txt\n0_name=A\xC2\x9B"
     "2J\n",
     {kUtf8Names ? "the name of group 0 \"A\\302\\2332J\" holds control characters"
                 : "looks like UTF-8"},
     {}},
    // The bidirectional controls, each end of their ranges, escaped; the
    // characters beside them (U+202F, U+200D) are text.
    {"BidirectionalControls",
     "[Groups]\n0=txt\n0_name=\xE2\x80\xAA\xE2\x80\xAE\xE2\x80\xAF\xE2\x81\xA6\xE2\x81\xA9"
     "\xD8\x9C\xE2\x80\x8E\xE2\x80\x8F\xE2\x80\x8D\n",
     {kUtf8Names ? "group 0 \"\\342\\200\\252\\342\\200\\256\xE2\x80\xAF\\342\\201\\246"
                   "\\342\\201\\251\\330\\234\\342\\200\\216\\342\\200\\217\xE2\x80\x8D\" holds"
                 : "looks like UTF-8"},
     {}},
    {"BidirectionalMarkBytes",
     "[Groups]\n0=txt\n0_name=a\xFD\xFE"
     "b\n",
     kUtf8Names   ? std::vector<std::string>{"\"a\\375\\376b\" is not valid UTF-8"}
     : kMarkBytes ? std::vector<std::string>{"\"a\\375\\376b\" holds control characters"}
                  : std::vector<std::string>{},
     {}},
    {"MaskWithAFolder",
     "[Groups]\n0_masks=src/*.c|*.h\n0_name=Sources\n",
     {"group 0: mask \"src/*.c\" holds '/', which no file name holds"},
     {}},
    // An extension is cut from the name after its folder; '\\' separates
    // folders on Windows only, and is warned about on Linux as well.
    {"ExtensionWithASeparator",
     "[Groups]\n0=txt|b/|a\\b\n0_name=Text\n",
     {"group 0: \"b/\" holds '/', which separates folders: it never matches",
      kPathSeparators[0] == '\\' ? "group 0: \"a\\b\" holds '\\', which separates folders"
                                 : "group 0: \"a\\b\" holds '\\', which names here seldom hold"},
     {"  0  Text: txt b/ a\\b\n"}},
    {"MaskInAnotherEncoding",
     "[Groups]\n0_masks=\xFF*|\xC3\xA9t\xC3\xA9*\n0_name=Odd\n",
     {kUtf8Names ? "mask \"\\377*\" is not valid UTF-8"
                 : "mask \"\xC3\xA9t\xC3\xA9*\" looks like UTF-8"},
     {}},
};

const CheckCase kMaskCases[] = {
    {"MasksShownAndRead",
     "[Groups]\n0=gz\n1_masks=*.tar.*|Makefile\n1_name=Archives\n",
     {},
     {"  1  Archives: masks *.tar.* Makefile\n", "No warnings.\n"}},
    // Six groups of nine masks for the matcher each, and indexed ones beside.
    {"ManyMasksForTheMatcher",
     [] {
         std::string text = "[Groups]\n";
         for (char group = '0'; group < '6'; ++group) {
             text += std::string(1, group) + "_masks=*.x|x*|x";
             for (char mask = '0'; mask < '9'; ++mask)
                 text += std::string("|*x*") + group + mask;
             text += "\n";
         }
         return text;
     }(),
     {},
     {"No warnings.\n"},
     {"54 masks are neither a plain name"}},
};

const CheckCase kFileStateCases[] = {
    // Lengths and keys come from the whole section, however long.
    {"ValueLongerThanAListing",
     "[Groups]\n0=" + std::string(100003, 'x') + "\n01=zip\n",
     {"0 is 100003 bytes long", "01 is never read"},
     {}},
    // The reader ends a name or value at a NUL: key 1 is read, with "md".
    // No room is made for a number the table can never reach.
    {"HugeGroupNumber",
     "[Groups]\n0=txt\n2000000000=zip\n",
     {"2000000000 is never read: the numbering stops at a gap"},
     {}},
    {"NulInALine",
     "[Groups]\n0=txt\n1\0x=md\n"s,
     {"a line that begins \"1\" holds a NUL byte"},
     {"  0  (no name): txt\n", "  1  (no name): md\n"}},
    {"Folder", "<folder>", {"is a folder"}, {"  0  Unknown\n"}},
    // Lines are judged as the reader decodes them.
    {"Utf16", Utf16("[Groups]\r\n0=txt|log\r\n0_name=Text\r\n"), {}, {"  0  Text: txt log\n"}},
    {"Utf16NulInALine",
     Utf16("[Groups]\r\n0=txt\r\n1\0x=md\r\n"s),
     {"a line that begins \"1\" holds a NUL byte"},
     {"  1  (no name): md\n"}},
    {"Utf16WithoutByteOrderMark",
     Utf16("[Groups]\r\n0=txt|log\r\n0_name=Text\r\n", false),
     {"looks like UTF-16 (Notepad's \"Unicode\") but has no byte-order mark"},
     {"Groups:\n  (none: the file looks like UTF-16 without a byte-order mark"}},
    {"LinkLoop", "<loop>", {"cannot be read ("}, {"  0  Unknown\n"}},
};

class SettingsCheckTest : public testing::TestWithParam<CheckCase> {};

TEST_P(SettingsCheckTest, GroupsAndWarnings) {
    const CheckCase& c = GetParam();
    ScratchFolder folder;
    std::string path = c.file == "<missing>"  ? folder.Path("Lumbrasket.ini")
                       : c.file == "<folder>" ? folder.MakeFolder("Lumbrasket.ini")
                       : c.file == "<loop>"   ? folder.Path("Lumbrasket.ini")
                                              : folder.Write("Lumbrasket.ini", c.file);
    if (c.file == "<huge>") // sparse where the file system can
        std::filesystem::resize_file(folder.Write("Lumbrasket.ini", "[Groups]\n0=txt\n"),
                                     ProfileSection::kLargestFile + 1);
    if (c.file == "<loop>") {
        std::error_code error;
        std::filesystem::create_symlink(path, path, error);
        if (error)
            GTEST_SKIP() << "this system makes no symbolic links";
    }
    SettingsCheck check = CheckSettingsFile(path);
    ASSERT_EQ(c.warnings.size(), check.warnings.size()) << check.report;
    for (std::size_t i = 0; i < c.warnings.size(); ++i) {
        EXPECT_NE(std::string::npos, check.warnings[i].find(c.warnings[i]))
            << "warning " << i << ": " << check.warnings[i];
        EXPECT_NE(std::string::npos, check.report.find("  - " + check.warnings[i] + "\n"));
    }
    for (const std::string& line : c.shown)
        EXPECT_NE(std::string::npos, check.report.find(line)) << line << "\nin\n" << check.report;
    // The warnings judge the values the plugin reads.
    if (!check.judged.empty()) {
        EXPECT_TRUE(check.judged == check.shown);
    }
    for (const std::string& note : c.notes) {
        bool found = false;
        for (const std::string& given : check.notes)
            found = found || given.find(note) != std::string::npos;
        EXPECT_TRUE(found) << "no note \"" << note << "\" in\n" << check.report;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, SettingsCheckTest, testing::ValuesIn(kCheckCases),
                         [](const auto& info) { return std::string(info.param.name); });
INSTANTIATE_TEST_SUITE_P(Surprises, SettingsCheckTest, testing::ValuesIn(kSurpriseCases),
                         [](const auto& info) { return std::string(info.param.name); });
INSTANTIATE_TEST_SUITE_P(Masks, SettingsCheckTest, testing::ValuesIn(kMaskCases),
                         [](const auto& info) { return std::string(info.param.name); });
INSTANTIATE_TEST_SUITE_P(FileStates, SettingsCheckTest, testing::ValuesIn(kFileStateCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SettingsLocationReportTest, ShowsEveryPlaceAndTheOneInEffect) {
    ScratchFolder folder;
    const std::string host = folder.Path("host/wdx.ini");
    folder.Write("host/Lumbrasket/Lumbrasket.ini", "[Groups]\n0=txt\n");
    std::string report;
    EXPECT_EQ(folder.Path("host/Lumbrasket/Lumbrasket.ini"),
              ExplainSettingsLocation(nullptr, "", host, report));
    EXPECT_NE(std::string::npos, report.find("1. beside the host settings file: " +
                                             folder.Path("host/Lumbrasket.ini") + "  (missing)\n"));
    EXPECT_NE(std::string::npos,
              report.find(folder.Path("host/Lumbrasket/Lumbrasket.ini") + "  <- in effect\n"));
    EXPECT_NE(std::string::npos,
              report.find("3. beside the plugin file: (unknown: give --plugin)"));
    EXPECT_NE(std::string::npos, report.find("4. beside the host program: (unknown: give "
                                             "--host-program)"));
    // Given the host program, the place is its folder, not the checker's.
    std::string withProgram;
    ExplainSettingsLocation(nullptr, folder.Path("program/host.exe"), host, withProgram);
    EXPECT_NE(std::string::npos, withProgram.find("4. beside the host program: " +
                                                  folder.Path("program/Lumbrasket.ini")));
}

TEST(SettingsLocationReportTest, NothingFoundNamesTheFirstPlace) {
    ScratchFolder folder;
    std::string report;
    EXPECT_EQ(folder.Path("Lumbrasket.ini"),
              ExplainSettingsLocation(nullptr, "", folder.Path("wdx.ini"), report));
    EXPECT_NE(std::string::npos, report.find("No settings file exists"));
}

// Double Commander's folder comes from the account's home in the user
// database; the environment counts only where the database names none.
TEST(HostSettingsFolderTest, DoubleCommanderTakesTheAccountsHomeFirst) {
    struct Row {
        const char* account;
        const char* configHome;
        const char* home;
        const char* folder;
    };
    const Row rows[] = {
        {"/home/ann", "/tmp/xdg", "/tmp/elsewhere", "/home/ann/.config/doublecmd/"},
        {"", "/tmp/xdg", "/tmp/elsewhere", "/tmp/xdg/doublecmd/"},
        {"", "", "/tmp/elsewhere", "/tmp/elsewhere/.config/doublecmd/"},
        {"", "", "", ""},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.folder, DoubleCommanderSettingsFolder(row.account, row.configHome, row.home))
            << row.account << "|" << row.configHome << "|" << row.home;
}

} // namespace
