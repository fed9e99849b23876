// The host's main settings file: each source in its order, the stop at the
// first hit, and what happens when none yields a file. The command-line
// source is driven by tests/hostconfig/switch_probe (a process's command line
// cannot be changed from inside it).
#include "bounded_string.h"
#include "host_settings.h"
#include "scratch_folder.h"

#include <gtest/gtest.h>
#include <string>

namespace {

// Sets an environment variable for one test and removes it afterwards.
struct ScopedVariable {
    const char* name;
    ScopedVariable(const char* name, const std::string& value) : name(name) {
        SetEnvironmentVariableA(name, value.c_str());
    }
    ~ScopedVariable() { SetEnvironmentVariableA(name, nullptr); }
};

enum Expect { kNothing, kFromEnvironment, kFromProgramFolder, kFromDefault };

struct SourceCase {
    const char* name;
    bool environmentFileExists; // COMMANDER_INI set to env.ini; false: unset
    const char* basePath;       // under the scratch folder; "" empty; null none
    int programFlag;            // UseIniInProgramDir; -1 no program file; -2 no key
    bool defaultExists;         // base/Wincmd.ini
    Expect expect;
};

const SourceCase kSourceCases[] = {
    {"EnvironmentWins", true, "base/host.exe", 1, true, kFromEnvironment},
    {"EnvironmentWithoutBasePath", true, nullptr, -1, false, kFromEnvironment},
    {"NoBasePathStopsTheSearch", false, nullptr, 1, true, kNothing},
    {"EmptyBasePathStopsTheSearch", false, "", 1, true, kNothing},
    {"ProgramFolderFlag1", false, "base/host.exe", 1, true, kFromProgramFolder},
    {"ProgramFolderFlag3", false, "base/host.exe", 3, true, kFromProgramFolder},
    {"ProgramFolderFlag4", false, "base/host.exe", 4, true, kFromProgramFolder},
    {"ProgramFolderFlag5", false, "base/host.exe", 5, false, kFromProgramFolder},
    {"ProgramFolderFlag7", false, "base/host.exe", 7, false, kFromProgramFolder},
    {"ProgramFolderFlag0", false, "base/host.exe", 0, true, kFromDefault},
    {"ProgramFolderFlag2", false, "base/host.exe", 2, true, kFromDefault},
    {"ProgramFolderFlag8", false, "base/host.exe", 8, true, kFromDefault},
    {"ProgramFolderWithoutKey", false, "base/host.exe", -2, true, kFromDefault},
    {"DefaultName", false, "base/host.exe", -1, true, kFromDefault},
    {"NothingFound", false, "base/host.exe", 0, false, kNothing},
};

class FindHostSettingsFileTest : public testing::TestWithParam<SourceCase> {};

TEST_P(FindHostSettingsFileTest, SourceAndResult) {
    const SourceCase& c = GetParam();
    ScratchFolder folder;
    const std::string environmentFile = folder.Path("env.ini");
    if (c.environmentFileExists)
        folder.Write("env.ini", "[Configuration]\n");
    ScopedVariable environment("COMMANDER_INI",
                               c.environmentFileExists ? environmentFile : folder.Path("none.ini"));
    ScopedVariable program("COMMANDER_PATH", folder.Path("program"));
    if (c.programFlag != -1)
        folder.Write("program/Wincmd.ini", c.programFlag == -2
                                               ? std::string("[Configuration]\n")
                                               : "[Configuration]\nUseIniInProgramDir=" +
                                                     std::to_string(c.programFlag) + "\n");
    folder.MakeFolder("base");
    if (c.defaultExists)
        folder.Write("base/Wincmd.ini", "[Configuration]\n");

    const std::string base =
        c.basePath == nullptr ? "" : (*c.basePath ? folder.Path(c.basePath) : "");
    char output[kPathBufferSize + 1];
    output[kPathBufferSize] = '#';
    const int result = FindHostSettingsFile(c.basePath == nullptr ? nullptr : base.c_str(), output);
    const std::string expected = c.expect == kFromEnvironment ? environmentFile
                                 : c.expect == kFromProgramFolder
                                     ? folder.Path("program/Wincmd.ini")
                                 : c.expect == kFromDefault ? folder.Path("base/Wincmd.ini")
                                                            : "";
    EXPECT_EQ(c.expect == kNothing ? 0 : 1, result);
    EXPECT_EQ(expected, output);
    EXPECT_EQ('#', output[kPathBufferSize]);
}

INSTANTIATE_TEST_SUITE_P(Cases, FindHostSettingsFileTest, testing::ValuesIn(kSourceCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FindHostSettingsFileTest, BasePathWithoutSeparatorLooksInTheCurrentFolder) {
    ScratchFolder folder;
    ScopedVariable environment("COMMANDER_INI", folder.Path("none.ini"));
    char output[kPathBufferSize];
    EXPECT_EQ(0, FindHostSettingsFile("host.exe", output));
    EXPECT_STREQ("", output);
}

// The registry sources, where the system has a registry. The values are
// written under both roots for one test and removed afterwards.
class RegistrySourceTest : public testing::Test {
protected:
    static constexpr const char* kKey = "Software\\Quendel\\Total Commander";
    void SetUp() override {
        SetEnvironmentVariableA("COMMANDER_INI", nullptr);
        SetEnvironmentVariableA("COMMANDER_PATH", folder.Path("program").c_str());
        folder.MakeFolder("base");
        if (!SetValue(HKEY_CURRENT_USER, "probe"))
            GTEST_SKIP() << "this system has no registry";
    }
    void TearDown() override {
        RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kKey);
        SetEnvironmentVariableA("COMMANDER_PATH", nullptr);
    }
    bool SetValue(HKEY root, const std::string& value, DWORD size = 0) {
        HKEY key = nullptr;
        if (RegCreateKeyExA(root, kKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr) != ERROR_SUCCESS)
            return false;
        LONG status = RegSetValueExA(key, "IniFileName", 0, REG_SZ,
                                     reinterpret_cast<const BYTE*>(value.data()),
                                     size != 0 ? size : static_cast<DWORD>(value.size() + 1));
        RegCloseKey(key);
        return status == ERROR_SUCCESS;
    }
    std::string Find() {
        char output[kPathBufferSize];
        result = FindHostSettingsFile(folder.Path("base/host.exe").c_str(), output);
        return output;
    }
    ScratchFolder folder;
    int result = -1;
};

TEST_F(RegistrySourceTest, OnlyTheValuesFileNameCountsBesideTheBasePath) {
    folder.Write("base/tc.ini", "x");
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, "D:\\Elsewhere\\tc.ini"));
    EXPECT_EQ(folder.Path("base/tc.ini"), Find());
    EXPECT_EQ(1, result);
}

TEST_F(RegistrySourceTest, MachineValueWinsWhenTheUsersFileIsAbsent) {
    folder.Write("base/machine.ini", "x");
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, "C:\\x\\user.ini"));
    ASSERT_TRUE(SetValue(HKEY_LOCAL_MACHINE, "C:\\x\\machine.ini"));
    EXPECT_EQ(folder.Path("base/machine.ini"), Find());
}

TEST_F(RegistrySourceTest, UserValueComesBeforeMachineAndDefault) {
    folder.Write("base/user.ini", "x");
    folder.Write("base/machine.ini", "x");
    folder.Write("base/Wincmd.ini", "x");
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, "user.ini"));
    ASSERT_TRUE(SetValue(HKEY_LOCAL_MACHINE, "machine.ini"));
    EXPECT_EQ(folder.Path("base/user.ini"), Find());
}

// A value that fills the whole 260-byte buffer carries no terminator of its
// own; it must still be read as text that ends within the buffer.
TEST_F(RegistrySourceTest, ValueOfExactly260BytesIsTerminated) {
    folder.Write("base/Wincmd.ini", "x");
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, std::string(260, 'v'), 260));
    EXPECT_EQ(folder.Path("base/Wincmd.ini"), Find());
    EXPECT_EQ(1, result);
}

} // namespace
