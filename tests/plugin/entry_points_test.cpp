// The plugin driven through its exports, as a host drives it: field list,
// default parameters, the lazy one-time load, values for files, and the
// search for the settings file in its four places.
#include "tests/plugin/host_names.h"
#include "tests/plugin/plugin_scenario.h"

#include <gtest/gtest.h>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

const char* const kSettings = "[Groups]\n"
                              "0=txt|log|ini\n0_name=Text\n"
                              "1=jpg|png|GIF\n1_name=Images\n"
                              "2=gz|zip\n2_name=Archives\n"
                              "3=profile\n3_name=Shell\n"
                              "4=bare\n"
                              "[Configuration]\nUnknownGroupPlaceHolder=Other\n";

struct FieldCall {
    int result;
    std::string name;
    std::string units;
    bool nameUntouched;
    bool unitsUntouched;
};

FieldCall GetField(LoadedPlugin& plugin, int index, int maxlen = 260) {
    char name[300];
    char units[300];
    std::memset(name, '#', sizeof(name));
    std::memset(units, '#', sizeof(units));
    FieldCall call;
    call.result = plugin.getSupportedField(index, name, units, maxlen);
    call.nameUntouched = name[0] == '#';
    call.unitsUntouched = units[0] == '#';
    if (std::memchr(name, '\0', sizeof(name)) != nullptr)
        call.name = name;
    if (std::memchr(units, '\0', sizeof(units)) != nullptr)
        call.units = units;
    return call;
}

TEST(FieldListTest, TwoFieldsThenEnd) {
    PluginScenario scenario;
    FieldCall number = GetField(*scenario.plugin, 0);
    EXPECT_EQ(kFieldNumeric32, number.result);
    EXPECT_EQ("Group number", number.name);
    EXPECT_EQ("", number.units);
    FieldCall name = GetField(*scenario.plugin, 1);
    EXPECT_EQ(kFieldString, name.result);
    EXPECT_EQ("Group name", name.name);
    EXPECT_EQ("", name.units);
    for (int index : {2, 3, -1, 1000}) {
        SCOPED_TRACE(index);
        FieldCall end = GetField(*scenario.plugin, index);
        EXPECT_EQ(kFieldNoMoreFields, end.result);
        EXPECT_TRUE(end.nameUntouched);
        EXPECT_TRUE(end.unitsUntouched);
    }
}

// The name buffer's size comes from the host; one host passes 256.
TEST(FieldListTest, NameIsBoundedByTheHostsSize) {
    PluginScenario scenario;
    EXPECT_EQ("Group name", GetField(*scenario.plugin, 1, 256).name);
    EXPECT_EQ("Grou", GetField(*scenario.plugin, 1, 5).name);
    FieldCall none = GetField(*scenario.plugin, 1, 0);
    EXPECT_EQ(kFieldString, none.result);
    EXPECT_TRUE(none.nameUntouched);
    EXPECT_TRUE(none.unitsUntouched);
}

class ValueTest : public testing::Test {
protected:
    void SetUp() override {
        scenario.folder.Write("host/Lumbrasket.ini", kSettings);
        ASSERT_EQ(1, scenario.SetDefaultParams());
        ASSERT_EQ(kFieldNumeric32, scenario.FieldType(0));
    }
    std::string File(const std::string& relative) {
        return scenario.folder.Write("files/" + relative, "x");
    }
    PluginScenario scenario;
};

TEST_F(ValueTest, FilesGetTheirGroup) {
    struct Row {
        const char* file;
        std::int32_t number;
        const char* name;
    };
    const Row rows[] = {
        {"REPORT.TXT", 0, "Text"},
        {"notes.log", 0, "Text"},
        {"photo.gif", 1, "Images"},
        {"archive.tar.gz", 2, "Archives"},
        {".profile", 3, "Shell"},
        // A group without a name answers the empty text.
        {"plain.bare", 4, ""},
        {"setup.exe", 5, "Other"},
        {"notes.", 5, "Other"},
        {"README", 5, "Other"},
        // The dot of a folder never counts: README has no extension.
        {"my.data/README", 5, "Other"},
        {"my.txt/README", 5, "Other"},
        {"\xC3\x9C"
         "bersicht.Txt",
         0, "Text"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        std::string path = File(row.file);
        FieldValue number = scenario.Value(path, 0);
        EXPECT_EQ(kFieldNumeric32, number.result);
        EXPECT_EQ(row.number, number.number);
        FieldValue name = scenario.Value(path, 1);
        EXPECT_EQ(kFieldString, name.result);
        EXPECT_EQ(row.name, name.text);
    }
}

// The extension is the file name's: a dot in a folder never counts, so a
// file without one falls to the group of the empty piece. Masks match the
// file name before any extension.
TEST(FileNameTest, ExtensionAndMasksTakeTheFileNameOnly) {
    PluginScenario scenario;
    scenario.folder.Write("host/Lumbrasket.ini",
                          "[Groups]\n0=|txt\n0_name=Plain\n1=gz\n1_name=Compressed\n"
                          "2_masks=*.tar.*|Makefile\n2_name=Archives\n");
    ASSERT_EQ(1, scenario.SetDefaultParams());
    ASSERT_EQ(kFieldNumeric32, scenario.FieldType(0));
    struct Row {
        const char* file;
        std::int32_t number;
    };
    const Row rows[] = {
        {"my.data/README", 0}, {"v1.2/Makefile", 2}, {"a.b/c.txt", 0},
        {"a.tar.d/x.gz", 1},   {"b.tar.gz", 2},      {".profile", 3},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        const std::string path = scenario.folder.Write("files/" + std::string(row.file), "x");
        EXPECT_EQ(row.number, scenario.Value(path, 0).number);
    }
}

// The name of a row's entry `index`: `each` with '#' as the syllable
// U+AC00 + index, one character that neither code page 1252 nor 932 has.
std::string NumberedName(const char* each, int index) {
    const unsigned syllable = 0xAC00 + static_cast<unsigned>(index);
    const char utf8[] = {static_cast<char>(0xE0 | (syllable >> 12)),
                         static_cast<char>(0x80 | ((syllable >> 6) & 0x3F)),
                         static_cast<char>(0x80 | (syllable & 0x3F)), '\0'};
    std::string name = each;
    name.replace(name.find('#'), 1, utf8);
    return name;
}

// Names holding characters that the host's code page lacks: a Windows host
// passes '?' for each, and the entry is found by a search. Each row makes its
// entries by their Unicode names, in a folder of its own: `count` files named
// by `each`, then the one beside, then the one asked, which is asked for as
// the host names it. "\xED\x95\x9C" (U+D55C) and "\xEA\xB0\x80" (U+AC00) are
// in neither code page 1252 nor 932; the suite runs again under 932 where the
// system can switch to it. A search reads at most 256 entries of a part; the
// rows that reach past them name their entries so that those made first also
// come first in a search, as NTFS and Wine give them: by name, letters of
// either case alike.
TEST(ReplacedNameTest, EntriesAreFoundByTheNamesTheHostPasses) {
    PluginScenario scenario;
    scenario.folder.Write("host/Lumbrasket.ini", "[Groups]\n0=txt\n0_name=Text\n1=pdf\n"
                                                 "1_name=Documents\n2=gz\n2_name=Archives\n"
                                                 "3_masks=report*\n3_name=Reports\n");
    ASSERT_EQ(1, scenario.SetDefaultParams());
    ASSERT_EQ(kFieldNumeric32, scenario.FieldType(0));
    const std::int32_t kNone = -1;
    struct Row {
        const char* what;
        const char* asked;  // made unless it is a ghost
        const char* beside; // another entry made, or null
        bool askedIsFolder, besideIsFolder, ghost, longPrefix;
        std::int32_t utf8, cp1252, cp932; // the group number, or no value
        int count = 0;
        const char* each = nullptr; // the files made first, see NumberedName
    };
    const Row rows[] = {
        {"one character", "\xED\x95\x9C.pdf", nullptr, false, false, false, false, 1, 1, 1},
        {"a character of two UTF-16 units", "\xF0\x9F\x98\x80 notes.txt", nullptr, false, false,
         false, false, 0, 0, 0},
        {"a folder", "\xED\x95\x9C.txt", nullptr, true, false, false, false, kNone, kNone, kNone},
        {"nothing there", "\xED\x95\x9C.txt", nullptr, false, false, true, false, kNone, kNone,
         kNone},
        {"a file and a folder under one name", "a\xED\x95\x9C.pdf", "a\xEA\xB0\x80.pdf", false,
         true, false, false, 1, kNone, kNone},
        {"two files under one name", "b\xED\x95\x9C.pdf", "b\xEA\xB0\x80.pdf", false, false, false,
         false, 1, 1, 1},
        {"in a replaced folder", "d\xED\x95\x9C/inner.txt", nullptr, false, false, false, false, 0,
         0, 0},
        {"replaced parts on three levels", "d\xED\x95\x9C/\xEA\xB0\x80x/\xED\x95\x9C.gz", nullptr,
         false, false, false, false, 2, 2, 2},
        {"a folder in a replaced folder", "e\xED\x95\x9C/inner.txt", nullptr, true, false, false,
         false, kNone, kNone, kNone},
        {"a name that '?' matches", "a\xED\x95\x9C.txt", "ab.txt", false, false, true, false, kNone,
         kNone, kNone},
        {"a file where a folder must be", "f\xED\x95\x9C/inner.txt", "f\xED\x95\x9C", false, false,
         true, false, kNone, kNone, kNone},
        // In code page 932 the character's second byte is '\\'.
        {"beside a double-byte character", "\xE8\xA1\xA8\xED\x95\x9C/inner.txt", nullptr, false,
         false, false, false, 0, 0, 0},
        {"masks see the name as passed", "report\xED\x95\x9C", nullptr, false, false, false, false,
         3, 3, 3},
        // Code page 1252 writes "l" for U+0142 and "O" for U+03A9 (932 has
        // the latter): no '?' tells that a name was converted, and the entry
        // is found among its folder's entries by the name the system gives.
        {"a best-fit letter", "\xC5\x82odz.txt", nullptr, false, false, false, false, 0, 0, 0},
        {"a best-fit letter in a folder", "\xCE\xA9mega/inner.gz", nullptr, false, false, false,
         false, 2, 2, 2},
        {"a best-fit letter past the entries read", "\xCE\xA9.txt", nullptr, false, false, false,
         false, 0, kNone, 0, 300, "a#.txt"},
        {"a path in the \\\\?\\ form", "p\xED\x95\x9C.pdf", nullptr, false, false, false, true,
         kNone, kNone, kNone},
        {"twenty-one files under one name", "x\xED\x95\x9C.txt", nullptr, false, false, false,
         false, 0, 0, 0, 20, "x#.txt"},
        // 300 names that '?' matches before the one asked.
        {"a file past the entries read", "\xED\x95\x9C\xED\x95\x9C.txt", nullptr, false, false,
         false, false, 0, kNone, kNone, 300, "a#.txt"},
        // The host names the folder as it names the 300 files made before
        // it, and the 256 entries read are files.
        {"a folder past the entries read", "\xED\x95\x9C\xED\x95\x9C.txt", nullptr, true, false,
         false, false, kNone, 0, 0, 300, "#\xEA\xB0\x80.txt"},
        // The search in each of the 200 folders made first asks the system
        // twice, for the entry there and for the end: the part's 256 run out
        // before the folder asked.
        {"folders of one name share the entries read", "d\xED\x95\x9C/\xED\x95\x9C\xED\x95\x9C.txt",
         nullptr, false, false, false, false, 0, kNone, kNone, 200, "d#/a\xEA\xB0\x80.txt"},
    };
    const int codePage = HostCodePage();
    if (codePage != 65001 && codePage != 1252 && codePage != 932)
        GTEST_SKIP() << "no answers for code page " << codePage;
    int index = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string root = scenario.folder.MakeFolder("row" + std::to_string(index++));
        for (int each = 0; each < row.count; ++each)
            ASSERT_TRUE(MakeEntryByUnicodeName(root, NumberedName(row.each, each), false));
        ASSERT_TRUE(row.beside == nullptr ||
                    MakeEntryByUnicodeName(root, row.beside, row.besideIsFolder));
        ASSERT_TRUE(row.ghost || MakeEntryByUnicodeName(root, row.asked, row.askedIsFolder));
        const std::string path = (row.longPrefix ? "\\\\?\\" : "") + HostPathOf(root, row.asked);
        const std::int32_t expected = codePage == 65001  ? row.utf8
                                      : codePage == 1252 ? row.cp1252
                                                         : row.cp932;
        FieldValue value = scenario.Value(path, 0);
        if (expected == kNone) {
            EXPECT_EQ(kFieldEmpty, value.result) << path;
            EXPECT_TRUE(value.untouched);
        } else {
            EXPECT_EQ(kFieldNumeric32, value.result) << path;
            EXPECT_EQ(expected, value.number);
        }
    }
}

// A run under another code page proves nothing unless the system switched.
TEST(ReplacedNameTest, RunsUnderTheCodePageItWasStartedFor) {
    const char* wanted = std::getenv("LUMBRASKET_TEST_CODE_PAGE");
    if (wanted == nullptr)
        GTEST_SKIP() << "started for no particular code page";
    EXPECT_EQ(std::atoi(wanted), HostCodePage());
}

TEST_F(ValueTest, NoValueForFoldersMissingPathsOrOtherFields) {
    struct Row {
        const char* what;
        std::string path;
        int field;
    };
    const std::string file = File("a.txt");
    const Row rows[] = {
        {"folder", scenario.folder.MakeFolder("files/folder.txt"), 0},
        {"folder", scenario.folder.MakeFolder("files/folder.txt"), 1},
        {"missing file", scenario.folder.Path("files/ghost.txt"), 0},
        {"missing file", scenario.folder.Path("files/ghost.txt"), 1},
        {"file with a trailing separator", file + kPathSeparatorText, 0},
        {"field 2", file, 2},
        {"field -1", file, -1},
        {"overlong path", file + std::string(400, 'x') + ".txt", 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.what << ", field " << row.field);
        FieldValue value = scenario.Value(row.path, row.field);
        EXPECT_EQ(kFieldEmpty, value.result);
        EXPECT_TRUE(value.untouched);
    }
}

TEST_F(ValueTest, ValueIsBoundedByTheHostsSize) {
    const std::string photo = File("photo.png");
    EXPECT_EQ("Ima", scenario.Value(photo, 1, 4).text);
    EXPECT_EQ("Images", scenario.Value(photo, 1, 7).text);
    for (int maxlen : {0, -1}) {
        SCOPED_TRACE(maxlen);
        FieldValue name = scenario.Value(photo, 1, maxlen);
        EXPECT_EQ(kFieldEmpty, name.result);
        EXPECT_TRUE(name.untouched);
    }
    FieldValue number = scenario.Value(photo, 0, 3);
    EXPECT_EQ(kFieldEmpty, number.result);
    EXPECT_TRUE(number.untouched);
    EXPECT_EQ(1, scenario.Value(photo, 0, 4).number);
}

TEST_F(ValueTest, LongGroupNameIsCutAt259) {
    PluginScenario other;
    other.folder.Write("host/Lumbrasket.ini", "[Groups]\n0=txt\n0_name=" + std::string(300, 'n'));
    other.SetDefaultParams();
    other.FieldType(1);
    EXPECT_EQ(std::string(259, 'n'), other.Value(other.folder.Write("a.txt", "x"), 1).text);
}

TEST(LoadTest, ValuesBeforeAnyFieldRequestComeFromTheEmptyCatalog) {
    PluginScenario scenario;
    scenario.folder.Write("host/Lumbrasket.ini", kSettings);
    scenario.SetDefaultParams();
    const std::string file = scenario.folder.Write("a.txt", "x");
    FieldValue number = scenario.Value(file, 0);
    EXPECT_EQ(kFieldNumeric32, number.result);
    EXPECT_EQ(0, number.number);
    FieldValue name = scenario.Value(file, 1);
    EXPECT_EQ(kFieldString, name.result);
    EXPECT_EQ("", name.text);

    // Out-of-range requests load nothing; the first in-range one loads.
    EXPECT_EQ(kFieldNoMoreFields, scenario.FieldType(2));
    EXPECT_EQ(0, scenario.Value(file, 0).number);
    EXPECT_EQ("", scenario.Value(file, 1).text);
    EXPECT_EQ(kFieldString, scenario.FieldType(1));
    EXPECT_EQ("Text", scenario.Value(file, 1).text);
}

TEST(LoadTest, SettingsAreReadOnceForTheLifeOfTheLoad) {
    PluginScenario scenario;
    const std::string settings = scenario.folder.Write("host/Lumbrasket.ini", kSettings);
    scenario.SetDefaultParams();
    scenario.FieldType(0);
    const std::string file = scenario.folder.Write("a.zip", "x");
    EXPECT_EQ("Archives", scenario.Value(file, 1).text);

    // Neither an edited file nor a new settings path changes a loaded table.
    scenario.folder.Write("host/Lumbrasket.ini", "[Groups]\n0=zip\n0_name=Changed\n");
    scenario.folder.Write("elsewhere/Lumbrasket.ini", "[Groups]\n0=zip\n0_name=Elsewhere\n");
    EXPECT_EQ(1, scenario.plugin->SetDefaultParams(scenario.folder.Path("elsewhere/wdx.ini")));
    scenario.FieldType(0);
    scenario.FieldType(1);
    EXPECT_EQ("Archives", scenario.Value(file, 1).text);
}

// With ReloadWhenChanged=1 an edit reaches the answers once two checks a
// second apart have seen it alike; the same edit of a file without the key,
// asked about all the while, never does.
TEST(LoadTest, AnEditAppliesWhileTheHostRunsOnlyWithTheKey) {
    PluginScenario on, off;
    std::string files[2];
    PluginScenario* scenarios[2] = {&on, &off};
    for (int i = 0; i < 2; ++i) {
        const std::string key = i == 0 ? "ReloadWhenChanged=1\n" : "";
        scenarios[i]->folder.Write("host/Lumbrasket.ini",
                                   "[Groups]\n0=zip\n0_name=Before\n[Configuration]\n" + key);
        ASSERT_EQ(1, scenarios[i]->SetDefaultParams());
        scenarios[i]->FieldType(0);
        files[i] = scenarios[i]->folder.Write("a.zip", "x");
        scenarios[i]->folder.Write("host/Lumbrasket.ini",
                                   "[Groups]\n0=zip\n0_name=After\n[Configuration]\n" + key);
    }
    EXPECT_EQ("Before", on.Value(files[0], 1).text);
    for (int wait = 0; wait < 100 && on.Value(files[0], 1).text == "Before"; ++wait) {
        EXPECT_EQ("Before", off.Value(files[1], 1).text);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_EQ("After", on.Value(files[0], 1).text);
    EXPECT_EQ("Before", off.Value(files[1], 1).text);
}

TEST(LoadTest, FieldRequestBeforeDefaultParamsLoadsDefaults) {
    PluginScenario scenario;
    scenario.folder.Write("host/Lumbrasket.ini", kSettings);
    scenario.FieldType(0);
    scenario.SetDefaultParams();
    const std::string file = scenario.folder.Write("a.txt", "x");
    EXPECT_EQ(0, scenario.Value(file, 0).number);
    EXPECT_EQ("Unknown", scenario.Value(file, 1).text);
}

// The four places, told apart by the fallback name each file gives.
struct PlaceCase {
    const char* name;
    std::vector<int> places; // 1 host folder, 2 plugin folder there, 3 module, 4 program
    int result;
    const char* fallback;
};

const PlaceCase kPlaceCases[] = {
    {"BesideHostSettings", {1}, 1, "Place1"},
    {"InPluginFolderBesideHost", {2}, 2, "Place2"},
    {"BesideModule", {3}, 3, "Place3"},
    {"BesideProgram", {4}, 4, "Place4"},
    {"HostBeatsModule", {1, 3}, 1, "Place1"},
    {"ModuleBeatsProgram", {3, 4}, 3, "Place3"},
    {"Nowhere", {}, 0, "Unknown"},
};

class SettingsPlaceTest : public testing::TestWithParam<PlaceCase> {};

TEST_P(SettingsPlaceTest, ResultAndFallbackName) {
    const PlaceCase& c = GetParam();
    PluginScenario scenario;
    struct Cleanup {
        std::vector<std::string> paths;
        ~Cleanup() {
            for (const std::string& path : paths)
                RemoveFile(path);
        }
    } written;
    for (int place : c.places) {
        std::string text =
            "[Configuration]\nUnknownGroupPlaceHolder=Place" + std::to_string(place) + "\n";
        std::string source = scenario.folder.Write("source" + std::to_string(place) + ".ini", text);
        std::string target = place == 1   ? scenario.folder.Path("host/Lumbrasket.ini")
                             : place == 2 ? scenario.folder.Path("host/Lumbrasket/Lumbrasket.ini")
                             : place == 3
                                 ? scenario.pluginFolder + kPathSeparatorText + "Lumbrasket.ini"
                                 : ProgramFolder() + kPathSeparatorText + "Lumbrasket.ini";
        ASSERT_TRUE(CopyFileTo(source, target));
        written.paths.push_back(target);
    }
    EXPECT_EQ(c.result, scenario.SetDefaultParams());
    scenario.FieldType(1);
    EXPECT_EQ(c.fallback, scenario.Value(scenario.folder.Write("a.xyz", "x"), 1).text);
}

INSTANTIATE_TEST_SUITE_P(Cases, SettingsPlaceTest, testing::ValuesIn(kPlaceCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SettingsPlaceTest, HostPathWithoutFolderFallsThroughToTheModule) {
    PluginScenario scenario;
    scenario.folder.Write("plugin/Lumbrasket.ini",
                          "[Configuration]\nUnknownGroupPlaceHolder=BesideModule\n");
    EXPECT_EQ(3, scenario.plugin->SetDefaultParams("wdx.ini"));
    scenario.FieldType(0);
    EXPECT_EQ("BesideModule", scenario.Value(scenario.folder.Write("a.xyz", "x"), 1).text);
}

// Entries whose answer needs no settings: a null settings path is refused,
// and the configuration entry shows an empty box with a single OK button and
// passes on the box's answer. The Windows suite runs without a display, where
// the platform answers at once instead of waiting for a click.
TEST(FixedAnswerTest, EntriesThatNeedNoSettings) {
    PluginScenario scenario;
    const struct {
        const char* name;
        int answer;
        int expected;
    } rows[] = {
        {"NullParamsAreRefused", scenario.plugin->setDefaultParams(nullptr), 0},
        {"ConfigDialogAnswersWhatTheMessageBoxAnswers", scenario.plugin->showConfigDialog(nullptr),
         MessageBoxA(nullptr, "", "", MB_OK)},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.expected, row.answer) << row.name;
}

} // namespace
