// `lumbrasket init`: tables built from records, from a MIME-info database of
// our own and from the installed one, and from a seeded registry, each
// loaded by the plugin's loader and checked by the settings checker.
#include "groups/group_catalog.h"
#include "platform/host_policy.h"
#include "tools/init/init_command.h"
#include "tools/init/kind_table.h"
#include "tools/init/mime_database.h"
#include "groups/piece_list.h"
#include "tools/init/registry_types.h"
#include "tools/init/sample_table.h"
#include "tests/support/scratch_folder.h"
#include "tools/lumbrasket/settings_check.h"
#include "tools/init/table_builder.h"
#include "plugin/file_name.h"

#include <gtest/gtest.h>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

using Kinds = std::vector<std::pair<std::string, std::string>>; // file name, kind

// The table as the plugin loads it, with the checker's warnings.
struct LoadedTable {
    ScratchFolder folder;
    GroupCatalog catalog;
    std::vector<std::string> warnings;

    explicit LoadedTable(const std::string& text) {
        const std::string path = folder.Write("Lumbrasket.ini", text);
        catalog.LoadGroups(path);
        warnings = CheckSettingsFile(path).warnings;
    }

    std::string KindOf(const std::string& name) const {
        const FileNameParts parts = SplitFileName(name.c_str());
        return std::string(catalog
                               .FindGroupOfFile(parts.name, parts.nameLength, parts.extension,
                                                parts.extensionLength)
                               .name);
    }
};

void ExpectKinds(const LoadedTable& loaded, const Kinds& kinds) {
    for (const auto& each : kinds)
        EXPECT_EQ(loaded.KindOf(each.first), each.second) << each.first;
}

TypeGlob Glob(int weight, const char* type, const char* glob, const char* kind,
              bool caseSensitive = false) {
    return TypeGlob{weight, type, glob, caseSensitive, kind};
}

// Many patterns of one kind, so that its lists pass what a value holds.
std::vector<TypeGlob> ManyGlobs(int count, const std::string& prefix, const std::string& suffix) {
    std::vector<TypeGlob> globs;
    for (int i = 0; i < count; ++i)
        globs.push_back(
            Glob(50, "text/x-many", (prefix + std::to_string(1000 + i) + suffix).c_str(), "Text"));
    return globs;
}

struct BuildCase {
    const char* name;
    std::vector<TypeGlob> globs;
    Kinds kinds;
    std::vector<std::string> leftOut; // each a part of one left-out line, in order
    std::size_t groups;
    std::vector<std::string> ties = {}; // comment lines naming a tie, whole
};

const BuildCase kBuildCases[] = {
    {"HighestWeightWins",
     {Glob(40, "image/x-a", "*.foo", "Images"), Glob(60, "audio/x-b", "*.foo", "Audio")},
     {{"x.foo", "Audio"}, {"x.FOO", "Audio"}},
     {},
     1},
    {"EqualWeightsFirstListedWins",
     {Glob(50, "image/x-a", "*.bar", "Images"), Glob(50, "audio/x-b", "*.BAR", "Audio")},
     {{"x.bar", "Images"}},
     {},
     1},
    // Of equal weights, a type whose media type names a kind before an
    // application/ or text/ one, wherever it is listed; the tie is named.
    {"TieGoesToTheTypeWhoseMediaTypeNamesAKind",
     {Glob(50, "application/vnd.oasis.opendocument.formula-template", "*.otf", "Documents"),
      Glob(50, "text/x-other", "*.otf", "Text"), Glob(50, "font/otf", "*.otf", "Fonts"),
      Glob(50, "text/x-a", "*.dup", "Text"), Glob(50, "application/x-b", "*.dup", "Programs")},
     {{"Garamond.otf", "Fonts"}, {"x.dup", "Text"}},
     {},
     2,
     {"*.otf: font/otf, over application/vnd.oasis.opendocument.formula-template, text/x-other "
      "(its media type names a kind)",
      "*.dup: text/x-a, over application/x-b (listed first)"}},
    // The sample's patterns win over every database type, a heavier one too.
    {"SampleWinsOverTheDatabase",
     {Glob(80, "text/csv", "*.csv", "Text"),
      Glob(kSampleWeight, "sample Spreadsheets", "*.CSV", "Spreadsheets"),
      Glob(50, "text/x-log", "*.log", "Text")},
     {{"table.csv", "Spreadsheets"}, {"server.log", "Text"}},
     {},
     2},
    {"CaseSensitiveWhoseFoldedFormIsTaken",
     {Glob(50, "text/x-c++src", "*.C", "Source code", true),
      Glob(50, "text/x-csrc", "*.c", "Text", true)},
     {{"x.c", "Text"}, {"x.C", "Text"}},
     {"*.C (text/x-c++src): case-sensitive, and *.c (text/x-csrc)"},
     1},
    {"CaseSensitiveWhoseFoldedFormIsFree",
     {Glob(50, "application/x-z", "*.Zq", "Archives", true)},
     {{"x.Zq", "Archives"}, {"x.zq", "Archives"}},
     {},
     1},
    {"KindlessTypeOfHigherWeightTakesThePattern",
     {Glob(60, "application/x-b", "*.cc", ""), Glob(50, "text/x-c", "*.cc", "Source code"),
      Glob(50, "text/x-c", "*.c", "Source code")},
     {{"x.cc", "Other"}, {"x.c", "Source code"}},
     {},
     1},
    {"MaskWinsOverExtensionAndLowerGroupOverHigher",
     {Glob(50, "application/gzip", "*.gz", "Archives"),
      Glob(50, "application/x-gzpdf", "*.pdf.gz", "Documents"),
      Glob(50, "text/x-makefile", "makefile", "Source code"),
      Glob(50, "text/x-readme", "readme*", "Text")},
     {{"x.pdf.gz", "Documents"},
      {"x.gz", "Archives"},
      {"Makefile", "Source code"},
      {"README.gz", "Text"},
      {"README.pdf.gz", "Documents"},
      {"README", "Text"}},
     {},
     4},
    {"CharacterClassesExpanded",
     {Glob(50, "application/x-troff-man", "*.[1-3]", "Text"),
      Glob(50, "video/x-anim", "*.anim[1-9j]", "Video"),
      Glob(50, "application/x-sharedlib", "*.so.[0-9]*", "Programs")},
     {{"x.2", "Text"},
      {"x.4", "Other"},
      {"x.animj", "Video"},
      {"x.anim5", "Video"},
      {"libz.so.1.2", "Programs"},
      {"libz.so.x", "Other"}},
     {},
     3},
    {"CharacterClassesLeftOut",
     {Glob(50, "text/x-a", "*.[a-k]", "Text"), Glob(50, "video/mpeg", "[0-9][0-9].vdr", "Video"),
      Glob(50, "text/x-b", "*.[!a]", "Text"), Glob(50, "text/x-c", "*.[*x]", "Text"),
      Glob(50, "text/x-d", "*.txt", "Text")},
     {{"x.b", "Other"}, {"12.vdr", "Other"}, {"x.*", "Other"}, {"x.txt", "Text"}},
     {"*.[a-k] (text/x-a): a character class of more than 10",
      "[0-9][0-9].vdr (video/mpeg): a character class of more than 10",
      "*.[!a] (text/x-b): a negated character class", "*.[*x] (text/x-c): a character class of"},
     1},
    {"PatternsTheSettingsCannotCarry",
     {Glob(50, "text/x-a", "*.a|b", "Text"), Glob(50, "text/x-b", "*", "Text"),
      Glob(50, "text/x-c", "dir/name", "Text"), Glob(50, "text/x-d", "\"q\"", "Text"),
      Glob(50, "text/x-e", "*.ok", "Text")},
     {{"x.a", "Other"}, {"x.ok", "Text"}},
     {"*.a|b (text/x-a): holds '|'", "* (text/x-b): matches (nearly) every name",
      "dir/name (text/x-c): holds a path separator",
      "\"q\" (text/x-d): begins or ends with a quote"},
     1},
    // Ranges that span a separator: '|' would add an empty extension and "a"
    // to the list, which catch Makefile, README and x.a, and '/' one that
    // never matches.
    {"ClassMembersTheSettingsCannotCarry",
     {Glob(50, "text/x-a", "*.a[{-}]", "Text"), Glob(50, "text/x-readme", "READ[{-}]ME", "Text"),
      Glob(50, "text/x-b", "*.b[+-0]", "Source code")},
     {{"Makefile", "Other"},
      {"README", "Other"},
      {"x.a", "Other"},
      {"x.b", "Other"},
      {"x.a{", "Text"},
      {"x.A}", "Text"},
      {"READ}ME", "Text"},
      {"x.b+", "Source code"},
      {"x.b,", "Source code"},
      {"x.b.", "Source code"},
      {"x.b0", "Source code"}},
     {"*.a| (text/x-a, from *.a[{-}]): holds '|'",
      "READ|ME (text/x-readme, from READ[{-}]ME): holds '|'",
      "*.b/ (text/x-b, from *.b[+-0]): holds a path separator"},
     2},
};

class BuildTable : public testing::TestWithParam<BuildCase> {};

TEST_P(BuildTable, LoadsCleanAndGivesEachNameItsKind) {
    const BuildCase& test = GetParam();
    TypeDatabase database;
    database.source = "records of the test";
    database.globs = test.globs;
    const InitTable table = BuildInitTable(database);
    const LoadedTable loaded(table.text);
    EXPECT_EQ(loaded.warnings, std::vector<std::string>()) << table.text;
    ExpectKinds(loaded, test.kinds);
    EXPECT_EQ(table.groups, test.groups);
    EXPECT_EQ(loaded.catalog.Groups().size(), table.groups);
    ASSERT_EQ(table.leftOut.size(), test.leftOut.size()) << table.text;
    for (std::size_t i = 0; i < test.leftOut.size(); ++i) {
        EXPECT_NE(table.leftOut[i].find(test.leftOut[i]), std::string::npos) << table.leftOut[i];
        EXPECT_NE(table.text.find(";   " + table.leftOut[i] + "\n"), std::string::npos);
    }
    for (const std::string& tie : test.ties)
        EXPECT_NE(table.text.find(";   " + tie + "\n"), std::string::npos) << table.text;
}

INSTANTIATE_TEST_SUITE_P(Rows, BuildTable, testing::ValuesIn(kBuildCases),
                         [](const testing::TestParamInfo<BuildCase>& info) {
                             return std::string(info.param.name);
                         });

// A kind too long for one value continues in its group's continuation keys,
// its extensions and its masks each split on their own, nothing cut.
TEST(BuildTable, OverlongKindContinuesInItsGroup) {
    TypeDatabase database;
    database.globs = ManyGlobs(80, "*.e", "");        // 80 of 6 bytes: two lists
    for (TypeGlob& glob : ManyGlobs(60, "name", "*")) // 60 of 9 bytes: three lists
        database.globs.push_back(glob);
    database.globs.push_back(Glob(50, "image/png", "*.png", "Images"));
    const InitTable table = BuildInitTable(database);
    const LoadedTable loaded(table.text);
    EXPECT_EQ(loaded.warnings, std::vector<std::string>()) << table.text;
    ASSERT_EQ(loaded.catalog.Groups().size(), 2u) << table.text;
    EXPECT_EQ(table.patterns, 141u);
    EXPECT_EQ(loaded.catalog.Groups()[1].name, "Text");
    EXPECT_EQ(loaded.catalog.Groups()[1].extensions.size(), 80u);
    EXPECT_EQ(loaded.catalog.Groups()[1].masks.size(), 60u);
    for (const char* key : {"\n1_more=", "\n1_masks_more=", "\n1_masks_more2="})
        EXPECT_NE(table.text.find(key), std::string::npos) << key;
    ExpectKinds(loaded, {{"x.e1000", "Text"},
                         {"x.e1079", "Text"},
                         {"name1000.x", "Text"},
                         {"name1059", "Text"},
                         {"x.png", "Images"},
                         {"x.e1080", "Other"}});
}

struct FoldersCase {
    const char* dataHome;
    const char* dataDirs;
    const char* home;
    std::vector<std::string> folders;
};

TEST(MimeFolders, FollowTheBaseDirectoryRules) {
    const FoldersCase cases[] = {
        {nullptr,
         nullptr,
         "/h",
         {"/h/.local/share/mime", "/usr/local/share/mime", "/usr/share/mime"}},
        {"", "", "/h", {"/h/.local/share/mime", "/usr/local/share/mime", "/usr/share/mime"}},
        {"/d", "/a:relative:/b/::/a", "/h", {"/d/mime", "/a/mime", "/b/mime"}},
        {"relative", "/usr/share", nullptr, {"/usr/share/mime"}},
    };
    for (const FoldersCase& test : cases)
        EXPECT_EQ(MimeFolders(test.dataHome, test.dataDirs, test.home), test.folders)
            << (test.dataDirs ? test.dataDirs : "(unset)");
}

// Two folders of our own: the stronger one's icons win, its __NOGLOBS__
// closes a type to the weaker one, their patterns merge, and of equal
// weights the stronger folder's line comes first. A globs2 that cannot be
// read (a folder, which root cannot read either) is named with the reason,
// and a missing folder is passed over.
TEST(MimeDatabase, FoldersMergeInTheirOrderOfPrecedence) {
    ScratchFolder scratch;
    scratch.MakeFolder("broken/mime/globs2");
    scratch.Write("home/mime/globs2", "# written by hand\n"
                                      "60:image/x-mine:*.mine\n"
                                      "not a line of the database\n"
                                      "x:text/plain:*.bad\n"
                                      "50:text/x-closed:__NOGLOBS__\n"
                                      "50:text/x-closed:*.kept\r\n");
    scratch.Write("home/mime/generic-icons", "image/x-mine:audio-x-generic\n");
    scratch.Write("dirs/mime/globs2", "50:image/x-mine:*.old\n"
                                      "60:video/x-other:*.mine\n"
                                      "50:text/x-closed:*.gone\n"
                                      "50:text/x-csrc:*.c:cs\n"
                                      "50:application/x-nothing:*.zzz\n"
                                      "50:text/plain:*.txt\n");
    scratch.Write("dirs/mime/generic-icons", "image/x-mine:image-x-generic\n"
                                             "text/x-closed:text-x-script\n");
    const TypeDatabase database =
        ReadMimeDatabase({scratch.Path("home/mime"), scratch.Path("no-such/mime"),
                          scratch.Path("broken/mime"), scratch.Path("dirs/mime")});
    EXPECT_EQ(database.globs.size(), 7u);
    // The reason is the system's own: "Is a directory", or "Permission denied".
    const std::string cannot = "cannot read " + scratch.Path("broken/mime") + "/globs2: ";
    const std::string named = " (" + cannot;
    EXPECT_EQ(database.source.substr(0, database.source.find(" (")),
              "the shared MIME-info database in " + scratch.Path("home/mime") + ", " +
                  scratch.Path("dirs/mime"));
    EXPECT_NE(database.source.find(named), std::string::npos) << database.source;
    EXPECT_GT(database.source.size(), database.source.find(named) + named.size() + 1);
    EXPECT_NE(ReadMimeDatabase({scratch.Path("broken/mime")})
                  .source.find(" (no globs2 file could be read: " + cannot),
              std::string::npos);
    const InitTable table = BuildInitTable(database);
    EXPECT_EQ(table.typesWithoutKind, 1u);
    EXPECT_NE(table.text.find("types match no rule: their files get the fallback group, Other:\n"
                              ";   application/x-nothing\n"),
              std::string::npos)
        << table.text;
    const LoadedTable loaded(table.text);
    EXPECT_EQ(loaded.warnings, std::vector<std::string>()) << table.text;
    ExpectKinds(loaded, {{"x.mine", "Audio"},
                         {"x.old", "Audio"},
                         {"x.kept", "Scripts"},
                         {"x.gone", "Other"},
                         {"x.c", "Source code"},
                         {"x.zzz", "Other"},
                         {"x.txt", "Text"},
                         {"x.bad", "Other"}});
}

// The kinds people expect of common files, on every system: each name its
// kind, and every name of one kind under one group number, so that a colour
// rule or a search by number needs one number per kind.
const Kinds kKindsUsersExpect = {
    {"report.pdf", "Documents"},     {"letter.docx", "Documents"},
    {"essay.odt", "Documents"},      {"old.doc", "Documents"},
    {"notes.rtf", "Documents"},      {"book.epub", "Documents"},
    {"report.PDF", "Documents"},     {"budget.xlsx", "Spreadsheets"},
    {"sheet.ods", "Spreadsheets"},   {"table.csv", "Spreadsheets"},
    {"old.xls", "Spreadsheets"},     {"talk.pptx", "Presentations"},
    {"slides.odp", "Presentations"}, {"photo.jpg", "Images"},
    {"photo.JPG", "Images"},         {"shot.png", "Images"},
    {"logo.svg", "Images"},          {"pic.webp", "Images"},
    {"phone.heic", "Images"},        {"scan.tiff", "Images"},
    {"song.mp3", "Audio"},           {"track.flac", "Audio"},
    {"voice.opus", "Audio"},         {"clip.wav", "Audio"},
    {"movie.mkv", "Video"},          {"clip.mp4", "Video"},
    {"talk.webm", "Video"},          {"old.avi", "Video"},
    {"backup.zip", "Archives"},      {"stuff.7z", "Archives"},
    {"src.tar.gz", "Archives"},      {"pack.rar", "Archives"},
    {"data.tar.xz", "Archives"},     {"debian.iso", "Disk images"},
    {"vm.qcow2", "Disk images"},     {"Garamond.otf", "Fonts"},
    {"Sans.ttf", "Fonts"},           {"web.woff2", "Fonts"},
    {"main.cpp", "Source code"},     {"lib.rs", "Source code"},
    {"app.ts", "Source code"},       {"server.go", "Source code"},
    {"Main.java", "Source code"},    {"run.sh", "Scripts"},
    {"setup.bat", "Scripts"},        {"config.yaml", "Settings"},
    {"data.json", "Settings"},       {"settings.ini", "Settings"},
    {"Cargo.toml", "Settings"},      {"app.conf", "Settings"},
    {"Makefile", "Build files"},     {"CMakeLists.txt", "Build files"},
    {"README.md", "Documentation"},  {"LICENSE", "Documentation"},
    {"notes.txt", "Text"},           {"server.log", "Text"},
    {"index.html", "Web pages"},     {"setup.exe", "Programs"},
};

// Each name its kind, and the names of one kind one group number.
void ExpectKindsUnderOneNumberEach(const LoadedTable& loaded, const Kinds& kinds) {
    std::map<std::string, std::pair<std::int32_t, std::string>> numberOfKind;
    for (const auto& each : kinds) {
        const FileNameParts parts = SplitFileName(each.first.c_str());
        const GroupMatch match = loaded.catalog.FindGroupOfFile(
            parts.name, parts.nameLength, parts.extension, parts.extensionLength);
        EXPECT_EQ(std::string(match.name), each.second) << each.first;
        const auto first =
            numberOfKind.emplace(each.second, std::make_pair(match.number, each.first));
        EXPECT_EQ(match.number, first.first->second.first)
            << each.first << " is " << each.second << " under another number than "
            << first.first->second.second;
    }
}

// The installed database with the sample, read only: what a user of this
// system gets.
TEST(MimeDatabase, InstalledDatabaseGivesTheKindsUsersExpect) {
    const std::string folder = "/usr/share/mime";
    if (kFileTypesInRegistry || !std::ifstream(folder + "/globs2"))
        GTEST_SKIP() << "no shared MIME-info database here";
    TypeDatabase database = ReadMimeDatabase({folder});
    AddSampleGroups(database);
    const InitTable table = BuildInitTable(database);
    const LoadedTable loaded(table.text);
    EXPECT_EQ(loaded.warnings, std::vector<std::string>());
    EXPECT_GT(table.patterns, 500u);
    EXPECT_EQ(loaded.catalog.Groups().size(), table.groups);
    ExpectKindsUnderOneNumberEach(loaded, kKindsUsersExpect);
    ExpectKinds(loaded, {{"song.flac", "Audio"},
                         {"clip.mkv", "Video"},
                         {"x.zip", "Archives"},
                         {"font.woff2", "Fonts"},
                         {"README", "Documentation"},
                         {"data.bin", "Other"}});
}

// The sample the tool carries is the sample the archives carry.
TEST(SampleTable, IsTheSampleSettingsFile) {
    GroupCatalog sample;
    sample.LoadGroups(ProgramFolder() + kPathSeparatorText + "Lumbrasket.ini");
    ASSERT_EQ(sample.Groups().size(), kSampleGroupCount);
    for (std::size_t number = 0; number < kSampleGroupCount; ++number) {
        const FileGroup& group = sample.Groups()[number];
        EXPECT_EQ(group.name, kSampleGroups[number].name);
        EXPECT_EQ(group.extensions.Texts(), PieceList(kSampleGroups[number].extensions).Texts());
        EXPECT_EQ(group.masks.Texts(), PieceList(kSampleGroups[number].masks).Texts());
    }
}

// Windows: extension keys seeded under the user's classes, which the
// registry shows in HKEY_CLASSES_ROOT, read by their PerceivedType or else
// their Content Type; the sample fills in what the registry does not know.
TEST(RegistryTypes, SeededKeysGiveTheirKinds) {
    if (!kFileTypesInRegistry)
        GTEST_SKIP() << "this system keeps no file types in a registry";
    struct Seed {
        const char* key;
        const char* perceived;
        const char* contentType;
    };
    const Seed seeds[] = {{".lbtst1", "image", nullptr},
                          {".lbtst2", nullptr, "audio/x-test"},
                          {".lbtst3", "unheard-of", "application/x-unknown"},
                          {".lbtst4", "text", "video/x-ignored"}};
    const std::string classes = "Software\\Classes\\";
    // Windows shows the user's classes in HKEY_CLASSES_ROOT; Wine shows the
    // machine's only, so the keys go there when the user's do not show.
    const auto seed = [&](HKEY root) {
        for (const Seed& each : seeds) {
            HKEY key = nullptr;
            ASSERT_EQ(RegCreateKeyExA(root, (classes + each.key).c_str(), 0, nullptr,
                                      REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                                      nullptr),
                      static_cast<LONG>(ERROR_SUCCESS));
            for (const auto& value : {std::make_pair("PerceivedType", each.perceived),
                                      std::make_pair("Content Type", each.contentType)})
                if (value.second != nullptr)
                    RegSetValueExA(key, value.first, 0, REG_SZ,
                                   reinterpret_cast<const BYTE*>(value.second),
                                   static_cast<DWORD>(std::strlen(value.second) + 1));
            RegCloseKey(key);
        }
    };
    const auto unseed = [&](HKEY root) {
        for (const Seed& each : seeds)
            RegDeleteKeyA(root, (classes + each.key).c_str());
    };
    HKEY root = HKEY_CURRENT_USER;
    seed(root);
    HKEY shown = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, seeds[0].key, 0, KEY_QUERY_VALUE, &shown) ==
        ERROR_SUCCESS) {
        RegCloseKey(shown);
    } else {
        unseed(root);
        root = HKEY_LOCAL_MACHINE;
        seed(root);
    }
    TypeDatabase database = ReadRegistryTypes(HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT");
    unseed(root);
    EXPECT_GE(database.typesLeftWithoutKind, 1u);
    AddSampleGroups(database);
    const InitTable table = BuildInitTable(database);
    // The type without a kind is named among those of the fallback group.
    EXPECT_LT(table.text.find(".lbtst3"), table.text.find("\n[Groups]\n")) << table.text;
    const LoadedTable loaded(table.text);
    EXPECT_EQ(loaded.warnings, std::vector<std::string>()) << table.text;
    ExpectKindsUnderOneNumberEach(loaded, kKindsUsersExpect);
    ExpectKinds(loaded, {{"x.lbtst1", "Images"},
                         {"x.lbtst2", "Audio"},
                         {"x.lbtst3", "Other"},
                         {"x.lbtst4", "Text"},
                         {"Makefile", "Build files"},
                         {"LICENSE.txt", "Documentation"}});
}

} // namespace
