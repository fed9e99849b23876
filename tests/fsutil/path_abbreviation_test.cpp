// UnexpandPath with variables set in the test's own environment: the
// shortest form wins, ties go to the earlier variable, and only an existing
// value at the very start of the path counts.
#include "path_abbreviation.h"
#include "bounded_string.h"
#include "scratch_folder.h"

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
        dir = folder.Path("dir");
        sub = folder.Path("dir/sub");
        file = folder.Path("dir/sub/x.txt");
    }
    ScratchFolder folder;
    Variables variables;
    std::string dir, sub, file;
    const std::string sep = kPathSeparatorText;
};

TEST_F(UnexpandPathTest, LeadingValueBecomesTheName) {
    variables.Set("LUMBRASKET_DIR", dir);
    EXPECT_EQ("%LUMBRASKET_DIR%" + sep + "sub" + sep + "x.txt", Unexpand(file));
}

TEST_F(UnexpandPathTest, LongerValueGivesTheShorterForm) {
    variables.Set("LUMBRASKET_A1", dir);
    variables.Set("LUMBRASKET_B1", sub);
    EXPECT_EQ("%LUMBRASKET_B1%" + sep + "x.txt", Unexpand(file));
}

TEST_F(UnexpandPathTest, EqualValuesShorterNameWinsThenEarlierEntry) {
    variables.Set("LUMBRASKET_LONGER_NAME", sub);
    variables.Set("LUMBRASKET_TA", sub);
    variables.Set("LUMBRASKET_TB", sub);
    EXPECT_EQ("%LUMBRASKET_TA%" + sep + "x.txt", Unexpand(file));
}

TEST_F(UnexpandPathTest, ValueNeedNotEndAtASeparator) {
    folder.MakeFolder("dir/su");
    variables.Set("LUMBRASKET_PART", folder.Path("dir/su"));
    EXPECT_EQ("%LUMBRASKET_PART%b" + sep + "x.txt", Unexpand(file));
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

TEST(BoundedAppendNTest, Counts) {
    char text[8] = "abc";
    EXPECT_EQ(kStatusSuccess, BoundedAppendN(text, sizeof(text), "defgh", 0));
    EXPECT_STREQ("abc", text);
    EXPECT_EQ(kStatusSuccess, BoundedAppendN(text, sizeof(text), "defgh", 2));
    EXPECT_STREQ("abcde", text);
    EXPECT_EQ(kStatusInsufficientBuffer, BoundedAppendN(text, sizeof(text), "xyz", 3));
    EXPECT_STREQ("abcdexy", text);
    EXPECT_EQ(kStatusInsufficientBuffer, BoundedAppendN(text, sizeof(text), "z", 1));
    EXPECT_STREQ("abcdexy", text);
    EXPECT_EQ(kStatusInvalidArgument, BoundedAppendN(text, sizeof(text), "z", 0x7FFFFFFF));
    EXPECT_STREQ("abcdexy", text);
}

} // namespace
