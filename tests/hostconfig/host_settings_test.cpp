// The host's main settings file: each source in its order, the stop at the
// first hit, and what happens when none yields a file. The command-line
// source is driven by tests/hostconfig/switch_probe (a process's command line
// cannot be changed from inside it).
#include "settings/bounded_string.h"
#include "hostconfig/host_settings.h"
#include "tests/support/scratch_folder.h"

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

// The host program's Wincmd.ini: absent, present without the key, or with
// UseIniInProgramDir set to a value.
struct ProgramFile {
    bool exists;
    bool hasKey;
    int flag;
};
constexpr ProgramFile kNoProgramFile{false, false, 0};
constexpr ProgramFile kProgramFileWithoutKey{true, false, 0};
constexpr ProgramFile ProgramFlag(int flag) {
    return ProgramFile{true, true, flag};
}

enum class BasePath { kNone, kEmpty, kHostProgram };

struct SourceCase {
    const char* name;
    bool environmentFileExists; // COMMANDER_INI names env.ini; false: a missing file
    BasePath basePath;          // kHostProgram: base/host.exe
    ProgramFile programFile;    // program/Wincmd.ini
    bool defaultExists;         // base/Wincmd.ini
    const char* found;          // the file found, under the scratch folder; "": none
};

const SourceCase kSourceCases[] = {
    {"EnvironmentWins", true, BasePath::kHostProgram, ProgramFlag(1), true, "env.ini"},
    {"EnvironmentWithoutBasePath", true, BasePath::kNone, kNoProgramFile, false, "env.ini"},
    {"NoBasePathStopsTheSearch", false, BasePath::kNone, ProgramFlag(1), true, ""},
    {"EmptyBasePathStopsTheSearch", false, BasePath::kEmpty, ProgramFlag(1), true, ""},
    {"ProgramFolderFlag1", false, BasePath::kHostProgram, ProgramFlag(1), true,
     "program/Wincmd.ini"},
    {"ProgramFolderFlag3", false, BasePath::kHostProgram, ProgramFlag(3), true,
     "program/Wincmd.ini"},
    {"ProgramFolderFlag4", false, BasePath::kHostProgram, ProgramFlag(4), true,
     "program/Wincmd.ini"},
    {"ProgramFolderFlag5", false, BasePath::kHostProgram, ProgramFlag(5), false,
     "program/Wincmd.ini"},
    {"ProgramFolderFlag7", false, BasePath::kHostProgram, ProgramFlag(7), false,
     "program/Wincmd.ini"},
    {"ProgramFolderFlag0", false, BasePath::kHostProgram, ProgramFlag(0), true, "base/Wincmd.ini"},
    {"ProgramFolderFlag2", false, BasePath::kHostProgram, ProgramFlag(2), true, "base/Wincmd.ini"},
    {"ProgramFolderFlag8", false, BasePath::kHostProgram, ProgramFlag(8), true, "base/Wincmd.ini"},
    {"ProgramFolderWithoutKey", false, BasePath::kHostProgram, kProgramFileWithoutKey, true,
     "base/Wincmd.ini"},
    {"DefaultName", false, BasePath::kHostProgram, kNoProgramFile, true, "base/Wincmd.ini"},
    {"NothingFound", false, BasePath::kHostProgram, ProgramFlag(0), false, ""},
};

class FindHostSettingsFileTest : public testing::TestWithParam<SourceCase> {};

TEST_P(FindHostSettingsFileTest, SourceAndResult) {
    const SourceCase& c = GetParam();
    ScratchFolder folder;
    if (c.environmentFileExists)
        folder.Write("env.ini", "[Configuration]\n");
    ScopedVariable environment("COMMANDER_INI",
                               folder.Path(c.environmentFileExists ? "env.ini" : "none.ini"));
    ScopedVariable program("COMMANDER_PATH", folder.Path("program"));
    if (c.programFile.exists)
        folder.Write("program/Wincmd.ini",
                     "[Configuration]\n" +
                         (c.programFile.hasKey
                              ? "UseIniInProgramDir=" + std::to_string(c.programFile.flag) + "\n"
                              : std::string()));
    folder.MakeFolder("base");
    if (c.defaultExists)
        folder.Write("base/Wincmd.ini", "[Configuration]\n");

    const std::string base = folder.Path("base/host.exe");
    const char* basePath = c.basePath == BasePath::kNone    ? nullptr
                           : c.basePath == BasePath::kEmpty ? ""
                                                            : base.c_str();
    char output[kPathBufferSize + 1];
    output[kPathBufferSize] = '#';
    const int result = FindHostSettingsFile(basePath, output);
    EXPECT_EQ(*c.found != '\0' ? 1 : 0, result);
    EXPECT_EQ(*c.found != '\0' ? folder.Path(c.found) : std::string(), output);
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
