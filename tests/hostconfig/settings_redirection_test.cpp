// Following the redirection of the host's "Configuration" section: every
// kind of target, the section name's case, and ReplaceFileName.
#include "settings/bounded_string.h"
#include "tests/support/scratch_folder.h"
#include "hostconfig/settings_redirection.h"

#include <gtest/gtest.h>
#include <string>

namespace {

struct RedirectCase {
    const char* name;
    std::string keys;     // lines of [Configuration] in the main file
    const char* section;  // the section asked for
    std::string expected; // relative to the scratch folder, '|' for the separator; "<main>"
    int result;
};

const RedirectCase kRedirectCases[] = {
    {"NoRedirectKey", "", "Configuration", "<main>", 1},
    {"RedirectZero", "RedirectSection=0\n", "Configuration", "<main>", 1},
    {"OtherSectionIgnoresRedirect", "RedirectSection=user.ini\n", "Layout", "<main>", 1},
    {"LowerCaseSectionFollows", "RedirectSection=user.ini\n", "configuration", "main|user.ini", 1},
    {"BareFileName", "RedirectSection=user.ini\n", "Configuration", "main|user.ini", 1},
    {"DotRelative", "RedirectSection=.|user.ini\n", "Configuration", "main|.|user.ini", 1},
    {"WordIsAFileName", "RedirectSection=01\n", "Configuration", "main|01", 0},
    {"RelativeWithSeparatorIsNotFollowed", "RedirectSection=sub|user.ini\n", "Configuration",
     "<main>", 1},
    {"BareReferenceIsNotExpanded", "RedirectSection=%LUMBRASKET_USER_INI%\n", "Configuration",
     "main|%LUMBRASKET_USER_INI%", 0},
    {"AlternateByReference", "RedirectSection=1\nAlternateUserIni=%LUMBRASKET_ALT%|user.ini\n",
     "Configuration", "alt|user.ini", 1},
    // '/' separates as '\\' does on Windows: the target is a whole path.
    {"AlternateWithForwardSlash", "RedirectSection=1\nAlternateUserIni=%LUMBRASKET_ALT%/user.ini\n",
     "Configuration", "alt/user.ini", 1},
    {"AlternateMissingLeavesTheFolder", "RedirectSection=1\n", "Configuration", "main|", 0},
    {"MissingTargetGivesZero", "RedirectSection=gone.ini\n", "Configuration", "main|gone.ini", 0},
};

class FindHostSectionFileTest : public testing::TestWithParam<RedirectCase> {};

TEST_P(FindHostSectionFileTest, Target) {
    const RedirectCase& c = GetParam();
    ScratchFolder folder;
    std::string keys = c.keys;
    for (char& ch : keys)
        if (ch == '|')
            ch = kPathSeparator;
    const std::string main = folder.Write("main/Wincmd.ini", "[Configuration]\n" + keys);
    folder.Write("main/user.ini", "x");
    folder.Write("main/sub/user.ini", "x");
    folder.Write("alt/user.ini", "x");
    SetEnvironmentVariableA("COMMANDER_INI", nullptr);
    SetEnvironmentVariableA("COMMANDER_PATH", nullptr);
    SetEnvironmentVariableA("LUMBRASKET_ALT", folder.Path("alt").c_str());

    char output[kPathBufferSize];
    const int result = FindHostSectionFile(folder.Path("main/host.exe").c_str(), c.section, output);
    SetEnvironmentVariableA("LUMBRASKET_ALT", nullptr);
    const std::string expected =
        c.expected == "<main>" ? main : folder.Path("") + SystemPath(c.expected);
    EXPECT_EQ(expected, output);
    EXPECT_EQ(c.result, result);
}

INSTANTIATE_TEST_SUITE_P(Cases, FindHostSectionFileTest, testing::ValuesIn(kRedirectCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FindHostSectionFileTest, NoMainFileGivesZero) {
    ScratchFolder folder;
    char output[kPathBufferSize];
    EXPECT_EQ(0, FindHostSectionFile(folder.Path("host.exe").c_str(), "Configuration", output));
}

TEST(ReplaceFileNameTest, Cases) {
    char path[kPathBufferSize];
    std::string text = SystemPath("C:|Prog|main.ini");
    BoundedCopy(path, kPathBufferSize, text.c_str());
    EXPECT_EQ(1, ReplaceFileName("user.ini", path));
    EXPECT_EQ(SystemPath("C:|Prog|user.ini"), path);
    BoundedCopy(path, kPathBufferSize, "main.ini");
    EXPECT_EQ(0, ReplaceFileName("user.ini", path));
    EXPECT_STREQ("main.ini", path);
    EXPECT_EQ(0, ReplaceFileName("user.ini", nullptr));
    BoundedCopy(path, kPathBufferSize, SystemPath("C:|").c_str());
    EXPECT_EQ(1, ReplaceFileName(std::string(300, 'n').c_str(), path));
    EXPECT_EQ(259u, std::string(path).size());
}

} // namespace
