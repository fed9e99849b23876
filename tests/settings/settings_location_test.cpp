// Where the plugin finds its settings file, and the existence test behind
// the search. The places beside the plugin module and beside the host program
// are driven through the built plugin in the plugin suite; here the module
// handle is none, which names the test program itself.
#include "settings/bounded_string.h"
#include "tests/support/scratch_folder.h"
#include "settings/settings_location.h"

#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct LocationCase {
    const char* name;
    std::vector<const char*> files;   // under the scratch folder
    std::vector<const char*> folders; // under the scratch folder
    int result;
    const char* output; // relative to the scratch folder
};

const LocationCase kLocationCases[] = {
    {"BesideHostSettings", {"host/Lumbrasket.ini"}, {}, 1, "host/Lumbrasket.ini"},
    {"InPluginFolderBesideHostSettings",
     {"host/Lumbrasket/Lumbrasket.ini"},
     {},
     2,
     "host/Lumbrasket/Lumbrasket.ini"},
    {"EarlierCandidateWins",
     {"host/Lumbrasket.ini", "host/Lumbrasket/Lumbrasket.ini"},
     {},
     1,
     "host/Lumbrasket.ini"},
    {"NoneLeavesTheFirstCandidate", {"host/other.ini"}, {}, 0, "host/Lumbrasket.ini"},
    {"FolderOfThatNameCounts", {}, {"host/Lumbrasket.ini"}, 1, "host/Lumbrasket.ini"},
};

class LocateSettingsFileTest : public testing::TestWithParam<LocationCase> {};

TEST_P(LocateSettingsFileTest, ResultAndPath) {
    const LocationCase& c = GetParam();
    ScratchFolder folder;
    for (const char* file : c.files)
        folder.Write(file, "[Groups]\n");
    for (const char* name : c.folders)
        folder.MakeFolder(name);
    folder.MakeFolder("host");
    char output[kPathBufferSize];
    std::memset(output, '#', sizeof(output));
    EXPECT_EQ(c.result,
              LocateSettingsFile(nullptr, "Lumbrasket", folder.Path("host/plugins.ini").c_str(),
                                 output, kPathBufferSize));
    EXPECT_EQ(folder.Path(c.output), output);
}

INSTANTIATE_TEST_SUITE_P(Cases, LocateSettingsFileTest, testing::ValuesIn(kLocationCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Removes a file it puts beside the test program, whatever the test does.
struct FileBesideProgram {
    std::string path = ProgramFolder() + kPathSeparatorText + "Lumbrasket.ini";
    FileBesideProgram() {
        ScratchFolder unused;
        CopyFileTo(unused.Write("x.ini", "[Groups]\n"), path);
    }
    ~FileBesideProgram() { RemoveFile(path); }
};

TEST(LocateSettingsFileTest, NoModuleHandleNamesTheProgram) {
    ScratchFolder folder;
    FileBesideProgram beside;
    char output[kPathBufferSize] = {};
    EXPECT_EQ(3, LocateSettingsFile(nullptr, "Lumbrasket", folder.Path("plugins.ini").c_str(),
                                    output, kPathBufferSize));
    EXPECT_EQ(beside.path, output);
}

// A host path without any separator has no folder to look in: those two
// candidates are skipped, and no bare file name is left behind for a read to
// resolve against some unrelated folder.
TEST(LocateSettingsFileTest, HostPathWithoutSeparatorIsSkipped) {
    char output[kPathBufferSize];
    std::memset(output, '#', sizeof(output));
    EXPECT_EQ(0, LocateSettingsFile(nullptr, "Lumbrasket", "plugins.ini", output, kPathBufferSize));
    EXPECT_STREQ("", output);

    FileBesideProgram beside;
    EXPECT_EQ(3, LocateSettingsFile(nullptr, "Lumbrasket", "", output, kPathBufferSize));
    EXPECT_EQ(beside.path, output);

    // A host path longer than a path buffer: its cut text would name a folder
    // above the real one, where a settings file does lie. It is not taken.
    ScratchFolder folder;
    folder.Write("Lumbrasket.ini", "[Groups]\n");
    const std::string deep = folder.Path(std::string(270, 'd')) + kPathSeparatorText + "wdx.ini";
    EXPECT_EQ(3, LocateSettingsFile(nullptr, "Lumbrasket", deep.c_str(), output, kPathBufferSize));
    EXPECT_EQ(beside.path, output);
}

TEST(LocateSettingsFileTest, OutputIsCutToItsCapacity) {
    ScratchFolder folder;
    char output[16];
    std::memset(output, '#', sizeof(output));
    EXPECT_EQ(0,
              LocateSettingsFile(nullptr, "Lumbrasket", folder.Path("h.ini").c_str(), output, 10));
    EXPECT_EQ(folder.Path("Lumbrasket.ini").substr(0, 9), output);
    EXPECT_EQ('#', output[10]);
}

TEST(LocateSettingsFileTest, OverlongCandidateIsNeverACutName) {
    // A folder of 256 characters with its separator: the candidate does not
    // fit, and its cut text (".../Lum") would name another file; no place
    // there is tried, and none is left in the output.
    const std::string program = ProgramFolder();
    ASSERT_LT(program.size(), 250u);
    std::string host = program + kPathSeparatorText + std::string(254 - program.size(), 'd') +
                       kPathSeparatorText + "plugins.ini";
    char output[kPathBufferSize + 1];
    output[kPathBufferSize] = '#';
    EXPECT_EQ(0, LocateSettingsFile(nullptr, "Lumbrasket", host.c_str(), output, kPathBufferSize));
    EXPECT_STREQ("", output);
    EXPECT_EQ('#', output[kPathBufferSize]);
}

TEST(PathExistsTest, Cases) {
    ScratchFolder folder;
    std::string file = folder.Write("file.txt", "x");
    std::string directory = folder.MakeFolder("dir");
    folder.Write(std::string(40, 'a'), "x");
    const std::string stars = folder.Path("") + std::string("*a*a*a*a*a*a*a*a*a*a");
    struct Row {
        const char* name;
        std::string path;
        int exists;
    };
    const Row rows[] = {
        {"file", file, 1},
        // Ten stars against a 40-byte name: an answer at once, not in minutes.
        {"many stars that match", stars, 1},
        {"many stars that do not", stars + "b", 0},
        {"question marks", folder.Path("f??e.t?t"), 1},
        {"question marks too many", folder.Path("f??e.t??t"), 0},
        {"star and letters in any case", folder.Path("*.TXT"), 1},
        {"folder", directory, 1},
        {"folder with separator", directory + kPathSeparatorText, 0},
        {"file with separator", file + kPathSeparatorText, 0},
        {"missing", folder.Path("missing.txt"), 0},
        {"empty", "", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.exists, PathExists(row.path.c_str()));
    }
    EXPECT_EQ(0, PathExists(nullptr));
}

} // namespace
