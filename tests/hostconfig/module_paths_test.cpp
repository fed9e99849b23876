// Module paths, settings paths for each place, and writing an "INI" resource
// into a new file, once and never over an existing file.
#include "settings/bounded_string.h"
#include "hostconfig/module_paths.h"
#include "tests/support/scratch_folder.h"
#include "settings/settings_location.h"

#include <gtest/gtest.h>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

namespace {

// The test module, loaded from beside this program.
class ResourceModule {
public:
    ResourceModule() : path(ProgramFolder() + kPathSeparatorText + RESOURCE_MODULE_FILE_NAME) {
        module = LoadLibraryA(path.c_str());
    }
    ~ResourceModule() {
        if (module != nullptr)
            FreeLibrary(module);
    }
    std::string path;
    HMODULE module = nullptr;
};

TEST(BuildSettingsPathTest, EveryKind) {
    ResourceModule loaded;
    ASSERT_NE(nullptr, loaded.module);
    const std::string reference = SystemPath("C:|host|main.ini");
    struct Row {
        int kind;
        std::string expected;
    };
    const Row rows[] = {
        {1, SystemPath("C:|host|plug.ini")},
        {2, SystemPath("C:|host|sub|plug.ini")},
        {3, ProgramFolder() + SystemPath("|plug.ini")},
        {4, ProgramFolder() + SystemPath("|plug.ini")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.kind);
        char output[kPathBufferSize] = {};
        EXPECT_EQ(kStatusSuccess,
                  BuildSettingsPath(row.kind, loaded.module, "plug", reference.c_str(), output,
                                    kPathBufferSize, "sub"));
        EXPECT_EQ(row.expected, output);
    }
}

TEST(BuildSettingsPathTest, NothingComposedLeavesTheOutput) {
    char output[kPathBufferSize] = "previous";
    EXPECT_EQ(0, BuildSettingsPath(0, nullptr, "plug", "C:\\x", output, kPathBufferSize, "s"));
    EXPECT_EQ(5, BuildSettingsPath(5, nullptr, "plug", "C:\\x", output, kPathBufferSize, "s"));
    // A reference path without a separator has no folder to compose in.
    EXPECT_EQ(kStatusInvalidArgument,
              BuildSettingsPath(1, nullptr, "plug", "main.ini", output, kPathBufferSize, "s"));
    EXPECT_STREQ("previous", output);
}

TEST(BuildSettingsPathTest, CutToTheCallersCapacity) {
    char output[12];
    std::memset(output, '#', sizeof(output));
    const std::string reference = SystemPath("C:|host|main.ini");
    EXPECT_EQ(kStatusInsufficientBuffer,
              BuildSettingsPath(1, nullptr, "plug", reference.c_str(), output, 10, "s"));
    EXPECT_EQ(SystemPath("C:|host|p"), output);
    EXPECT_EQ('#', output[10]);

    // A reference folder longer than a path buffer: the caller's capacity
    // decides, and a folder that does not fit is never reported as a path.
    const std::string longFolder = SystemPath("C:|") + std::string(290, 'f') + kPathSeparatorText;
    const std::string longReference = longFolder + "main.ini";
    for (int kind : {1, 2}) {
        SCOPED_TRACE(kind);
        char small[kPathBufferSize];
        EXPECT_EQ(kStatusInsufficientBuffer,
                  BuildSettingsPath(kind, nullptr, "plug", longReference.c_str(), small,
                                    kPathBufferSize, "s"));
        EXPECT_EQ(0u, longFolder.find(small));
        char large[400];
        EXPECT_EQ(kStatusSuccess, BuildSettingsPath(kind, nullptr, "plug", longReference.c_str(),
                                                    large, sizeof(large), "s"));
        EXPECT_EQ(longFolder + (kind == 2 ? SystemPath("s|") : "") + "plug.ini", large);
    }
}

TEST(ModulePathTest, LoadedAndMissingModules) {
    ResourceModule loaded;
    ASSERT_NE(nullptr, loaded.module);
    char path[kPathBufferSize] = {};
    EXPECT_EQ(loaded.path.size(), ModuleFilePath(RESOURCE_MODULE_FILE_NAME, path));
    EXPECT_EQ(loaded.path, path);

    char directory[kPathBufferSize] = {};
    EXPECT_EQ(directory, ModuleDirectory(RESOURCE_MODULE_FILE_NAME, directory));
    EXPECT_EQ(ProgramFolder(), directory);

    // The program itself is found under its own file name, as any module is.
    char program[kPathBufferSize] = {};
    GetModuleFileNameA(nullptr, program, kPathBufferSize);
    const std::string programPath = program;
    const std::string programName = programPath.substr(programPath.rfind(kPathSeparator) + 1);
    std::memset(path, 0, sizeof(path));
    EXPECT_EQ(programPath.size(), ModuleFilePath(programName.c_str(), path));
    EXPECT_EQ(programPath, path);

    char untouched[kPathBufferSize] = "untouched";
    EXPECT_EQ(0u, ModuleFilePath("no-such-module.dll", untouched));
    EXPECT_EQ(nullptr, ModuleDirectory("no-such-module.dll", untouched));
    // No name, or a name that is not the path's last component.
    EXPECT_EQ(nullptr, ModuleDirectory(nullptr, untouched));
    EXPECT_STREQ("untouched", untouched);
}

TEST(ExtractResourceToFileTest, WritesOnceAndNeverOverAnExistingFile) {
    ResourceModule loaded;
    ASSERT_NE(nullptr, loaded.module);
    ScratchFolder folder;
    const std::string target = folder.Path("extracted.ini");
    EXPECT_NE(0, ExtractResourceToFile(loaded.module, 7, target.c_str()));
    // The Windows build of the module carries sample.ini; a Linux module has
    // no resources, and the new file is then empty.
    const std::string expected =
        RESOURCE_MODULE_HAS_RESOURCES ? ReadFileBytes(SAMPLE_INI_PATH) : "";
    EXPECT_EQ(expected, ReadFileBytes(target));

    const std::string existing = folder.Write("existing.ini", "keep me");
    EXPECT_EQ(0, ExtractResourceToFile(loaded.module, 7, existing.c_str()));
    EXPECT_EQ("keep me", ReadFileBytes(existing));
    EXPECT_EQ(0, ExtractResourceToFile(loaded.module, 7, target.c_str()));
    EXPECT_EQ(expected, ReadFileBytes(target));
    EXPECT_EQ(0, ExtractResourceToFile(loaded.module, 7, folder.Path("no-folder/x.ini").c_str()));
}

} // namespace
