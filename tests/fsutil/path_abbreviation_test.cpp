// UnexpandPath with variables set in the test's own environment: the
// shortest form wins, ties go to the earlier variable, and only an existing
// value at the very start of the path counts.
#include "fsutil/path_abbreviation.h"
#include "settings/bounded_string.h"
#include "tests/support/known_differences.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct Variables {
    std::vector<std::string> names;
    void Set(const std::string& name, const std::string& value) {
        SetEnvironmentVariableA(name.c_str(), value.c_str());
        names.push_back(name);
    }
    ~Variables() {
        for (const std::string& name : names)
            SetEnvironmentVariableA(name.c_str(), nullptr);
    }
};

std::string Unexpand(const std::string& path) {
    char output[kPathBufferSize];
    EXPECT_EQ(kStatusSuccess, UnexpandPath(path.c_str(), output));
    return output;
}

class UnexpandPathTest : public testing::Test {
protected:
    void SetUp() override {
        folder.Write("dir/sub/x.txt", "x");
        sub = folder.Path("dir/sub");
        file = folder.Path("dir/sub/x.txt");
    }
    ScratchFolder folder;
    Variables variables;
    std::string sub, file;
    const std::string sep = kPathSeparatorText;
};

// Each row sets its variables to folders of the scratch folder ("" for an
// empty value) and names the form of dir|sub|x.txt it expects.
TEST_F(UnexpandPathTest, ShortestFormWins) {
    folder.MakeFolder("dir/su");
    struct Variable {
        const char* name;
        const char* folder;
    };
    struct Row {
        const char* name;
        std::vector<Variable> variables;
        const char* expected;
    };
    const Row rows[] = {
        {"LeadingValueBecomesTheName", {{"LUMBRASKET_DIR", "dir"}}, "%LUMBRASKET_DIR%|sub|x.txt"},
        {"LongerValueGivesTheShorterForm",
         {{"LUMBRASKET_A1", "dir"}, {"LUMBRASKET_B1", "dir/sub"}},
         "%LUMBRASKET_B1%|x.txt"},
        {"EqualValuesShorterNameWinsThenEarlierEntry",
         {{"LUMBRASKET_LONGER_NAME", "dir/sub"},
          {"LUMBRASKET_TA", "dir/sub"},
          {"LUMBRASKET_TB", "dir/sub"}},
         "%LUMBRASKET_TA%|x.txt"},
        {"ValueNeedNotEndAtASeparator",
         {{"LUMBRASKET_PART", "dir/su"}},
         "%LUMBRASKET_PART%b|x.txt"},
        {"EmptyValueDoesNotDisturbTheNextEntry",
         {{"LUMBRASKET_E0", ""}, {"LUMBRASKET_E1", "dir/sub"}},
         "%LUMBRASKET_E1%|x.txt"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Variables set;
        for (const Variable& variable : row.variables)
            set.Set(variable.name, *variable.folder == '\0' ? "" : folder.Path(variable.folder));
        EXPECT_EQ(SystemPath(row.expected), Unexpand(file));
    }
}

TEST_F(UnexpandPathTest, ValuesThatDoNotQualify) {
    variables.Set("LUMBRASKET_TRAIL", sub + sep);                    // ends in a separator
    variables.Set("LUMBRASKET_MISSING", folder.Path("dir/nothing")); // does not exist
    variables.Set("LUMBRASKET_EMPTY", "");
    variables.Set("LUMBRASKET_INSIDE", "sub"); // not at the start
    const std::string result = Unexpand(file);
    EXPECT_EQ(std::string::npos, result.find("%LUMBRASKET_"));
}

TEST_F(UnexpandPathTest, EmptyValueDoesNotDisturbTheNextEntry) {
    variables.Set("LUMBRASKET_E0", "");
    variables.Set("LUMBRASKET_E1", sub);
    EXPECT_EQ("%LUMBRASKET_E1%" + sep + "x.txt", Unexpand(file));
}

TEST_F(UnexpandPathTest, OverlongValueIsSkipped) {
    if (!kEnvironmentHoldsOverlongValues)
        GTEST_SKIP() << "this system holds no value over 32767 characters";
    variables.Set("LUMBRASKET_HUGE", sub + std::string(40000, 'x'));
    variables.Set("LUMBRASKET_NEXT", sub);
    EXPECT_EQ("%LUMBRASKET_NEXT%" + sep + "x.txt", Unexpand(file));
}

TEST_F(UnexpandPathTest, LongPathIsCut) {
    const std::string longPath = folder.Path("q") + std::string(300, 'p');
    const std::string result = Unexpand(longPath);
    EXPECT_LE(result.size(), 259u);
}

} // namespace
