// install and uninstall against seeded Total Commander settings (plain,
// with items of the user's, with a section sent to a file of its own), read
// back through the system's own INI reader: what they add and where, that
// the user's keys stay, and that after uninstall every file holds what it
// held before.
#include "tests/support/scratch_folder.h"
#include "tools/install/install_command.h"

#include <gtest/gtest.h>
#include <sddl.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <vector>

namespace {

// The system's reader may answer from what it read of a file before it was
// replaced: a write of nothing lets that go.
void Forget(const std::string& file) {
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str());
}

std::string Value(const std::string& file, const char* section, const std::string& key) {
    Forget(file);
    char value[4096] = {};
    GetPrivateProfileStringA(section, key.c_str(), "", value, sizeof value, file.c_str());
    return value;
}

// Every section that holds a key, with its keys and values in order, as the
// system reads them.
std::string IniContent(const std::string& file) {
    Forget(file);
    std::vector<char> names(1 << 16);
    GetPrivateProfileSectionNamesA(names.data(), static_cast<DWORD>(names.size()), file.c_str());
    std::string content;
    for (const char* name = names.data(); *name != '\0'; name += std::strlen(name) + 1) {
        std::vector<char> keys(1 << 16);
        if (GetPrivateProfileSectionA(name, keys.data(), static_cast<DWORD>(keys.size()),
                                      file.c_str()) == 0)
            continue;
        content += "[" + std::string(name) + "]\n";
        for (const char* key = keys.data(); *key != '\0'; key += std::strlen(key) + 1)
            content += std::string(key) + "\n";
    }
    return content;
}

// ASCII text as UTF-16 with its byte-order mark.
std::string Utf16(const std::string& text) {
    std::string bytes = "\xFF\xFE";
    for (char c : text) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

// A request with colours on the settings at `main`, the program folder tc/
// of the scratch folder, and the suite's own plugin.
InstallRequest RequestIn(const ScratchFolder& scratch, const std::string& main) {
    SetEnvironmentVariableA("COMMANDER_PATH", scratch.Path("tc").c_str());
    InstallRequest request;
    request.mainSettingsFile = main;
    request.hostSettingsPath = scratch.Path("tc/contplug.ini");
    request.sourcePlugin = ProgramFolder() + "\\" + LUMBRASKET_PLUGIN_FILE_NAME;
    request.colours = true;
    return request;
}

const char* const kPlain = "[Configuration]\r\nInstallDir=x\r\n";
const char* const kWithUsersItems =
    "[Configuration]\r\nInstallDir=x\r\n"
    "[ContentPlugins]\r\n0=%COMMANDER_PATH%\\plugins\\wdx\\other\\other.wdx\r\n0_detect=\"\"\r\n"
    "[CustomFields]\r\nTitles=Mine\r\nWidths1=100,20,50\r\nHeaders1=Size\r\n"
    "Contents1=[=tc.size]\r\nOptions1=-1|0\r\n"
    "[searches]\r\nOld_SearchFor=*.bak\r\nOld_SearchIn=\r\nOld_SearchText=\r\n"
    "Old_SearchFlags=0|002002000020|||||||||0000|||\r\n"
    "[Colors]\r\nColorFilter1=>Old\r\nColorFilter1Color=255\r\n"
    "ColorFilter2=*.c\r\nColorFilter2Color=65280\r\nColorFilter2ColorDark=1,2\r\n";
const char* const kColoursElsewhere =
    "[Configuration]\r\nInstallDir=x\r\n[Colors]\r\nRedirectSection=colors.ini\r\n";

TEST(InstallForTotalCommander, AddsWhereTheHostReadsAndUninstallGivesTheFilesBack) {
    struct Row {
        const char* name;
        const char* main;
        const char* colours;     // colors.ini beside the main file, or null
        const char* pluginEntry; // the number of the plugin's entry
        const char* view;        // the number of the view
        int firstColour;         // the number of the first kind's colour filter
        bool utf16;              // the main file in UTF-16, as newer hosts write it
    };
    const Row rows[] = {
        {"plain", kPlain, nullptr, "0", "1", 1, false},
        {"items of the user's", kWithUsersItems, nullptr, "1", "2", 3, false},
        {"items of the user's in UTF-16", kWithUsersItems, nullptr, "1", "2", 3, true},
        {"no line end at the end", "[Configuration]\nInstallDir=x", nullptr, "0", "1", 1, false},
        {"colours in a file of their own", kColoursElsewhere,
         "[Colors]\r\nColorFilter1=*.c\r\n"
         "ColorFilter1Color=255\r\n",
         "0", "1", 2, false},
        // One file under two spellings is edited once: a second write of it
        // would drop the first's edits.
        {"colours sent to the main file itself",
         "[Configuration]\r\nInstallDir=x\r\n[Colors]\r\nRedirectSection=.\\wincmd.ini\r\n",
         nullptr, "0", "1", 1, false},
        {"colours and searches in one file by two spellings",
         "[Configuration]\r\nInstallDir=x\r\n[Colors]\r\nRedirectSection=colors.ini\r\n"
         "[searches]\r\nRedirectSection=%COMMANDER_PATH%\\.\\colors.ini\r\n",
         "[Colors]\r\nColorFilter1=*.c\r\n", "0", "1", 2, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScratchFolder scratch;
        const std::string text = row.utf16 ? Utf16(row.main) : row.main;
        const std::string main = scratch.Write("tc/wincmd.ini", text);
        const std::string colours =
            row.colours != nullptr ? scratch.Write("tc/colors.ini", row.colours) : main;
        const std::string mainBefore = IniContent(main);
        const std::string coloursBefore = IniContent(colours);
        SetEnvironmentVariableA("COMMANDER_PATH", scratch.Path("tc").c_str());
        const std::string archive = scratch.MakeFolder("archive");
        ASSERT_TRUE(CopyFileTo(ProgramFolder() + "\\" + LUMBRASKET_PLUGIN_FILE_NAME,
                               archive + "\\" + LUMBRASKET_PLUGIN_FILE_NAME));
        ASSERT_TRUE(CopyFileTo(ProgramFolder() + "\\" + LUMBRASKET_SAMPLE_SETTINGS,
                               archive + "\\Lumbrasket.ini"));
        InstallRequest request;
        request.mainSettingsFile = main;
        request.hostSettingsPath = scratch.Path("tc/contplug.ini");
        request.sourcePlugin = archive + "\\" + LUMBRASKET_PLUGIN_FILE_NAME;
        request.colours = true;
        ASSERT_EQ(InstallOutcome::kDone, RunInstall(request));
        const std::string searches =
            Value(main, "searches", "RedirectSection").empty() ? main : colours;

        EXPECT_EQ("%COMMANDER_PATH%\\plugins\\wdx\\Lumbrasket\\Lumbrasket.wdx",
                  Value(main, "ContentPlugins", row.pluginEntry));
        EXPECT_NE(INVALID_FILE_ATTRIBUTES,
                  GetFileAttributesA(scratch
                                         .Path(std::string("tc/plugins/wdx/Lumbrasket/") +
                                               LUMBRASKET_PLUGIN_FILE_NAME)
                                         .c_str()));
        const std::string titles = Value(main, "CustomFields", "Titles");
        EXPECT_EQ("Lumbrasket", titles.substr(titles.rfind('|') + 1));
        EXPECT_EQ("[=lumbrasket.Group name]\\n[=tc.size]\\n[=tc.writedate]",
                  Value(main, "CustomFields", std::string("Contents") + row.view));
        EXPECT_EQ("\"lumbrasket.Group name\" = Images",
                  Value(searches, "searches", "Lumbrasket: Images_plugin"));
        EXPECT_EQ("\"lumbrasket.Group name\" = \"Disk images\"",
                  Value(searches, "searches", "Lumbrasket: Disk images_plugin"));
        const std::string first = "ColorFilter" + std::to_string(row.firstColour);
        EXPECT_EQ(">Lumbrasket: Documents", Value(colours, "Colors", first));
        EXPECT_EQ("1250281", Value(colours, "Colors", first + "Color"));
        if (row.colours != nullptr) {
            EXPECT_EQ("colors.ini", Value(main, "Colors", "RedirectSection"));
        }

        // Twice changes nothing.
        const std::string installed = ReadFileBytes(main) + ReadFileBytes(colours);
        ASSERT_EQ(InstallOutcome::kDone, RunInstall(request));
        EXPECT_EQ(installed, ReadFileBytes(main) + ReadFileBytes(colours));

        ASSERT_EQ(InstallOutcome::kDone, RunUninstall(request));
        EXPECT_EQ(mainBefore, IniContent(main));
        EXPECT_EQ(coloursBefore, IniContent(colours));
        EXPECT_EQ(text, ReadFileBytes(main + ".before-lumbrasket"));
        EXPECT_EQ(row.utf16, ReadFileBytes(main).compare(0, 2, "\xFF\xFE") == 0);
        SetEnvironmentVariableA("COMMANDER_PATH", nullptr);
    }
}

// The plugin listed already, after a gap in the numbering (where a host
// reading up to the gap stops) or by the short name the system gives its
// file and folder ("SHORT" here): install takes that entry for the
// plugin's and adds no second.
TEST(InstallForTotalCommander, KnowsItsPluginHoweverItIsListed) {
    struct Row {
        const char* name;
        const char* entries;
        const char* free; // the number a second entry would get
    };
    const Row rows[] = {
        {"after a gap",
         "0=%COMMANDER_PATH%\\plugins\\wdx\\other\\other.wdx\r\n1=C:\\other.wdx\r\n"
         "3=%COMMANDER_PATH%\\plugins\\wdx\\Lumbrasket\\Lumbrasket.wdx\r\n",
         "2"},
        {"by its short name", "0=SHORT\r\n", "1"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScratchFolder scratch;
        const std::string plugin =
            scratch.Path(std::string("tc/plugins/wdx/Lumbrasket/") + LUMBRASKET_PLUGIN_FILE_NAME);
        scratch.MakeFolder("tc/plugins/wdx/Lumbrasket");
        ASSERT_TRUE(CopyFileTo(ProgramFolder() + "\\" + LUMBRASKET_PLUGIN_FILE_NAME, plugin));
        char shortName[MAX_PATH] = {};
        ASSERT_NE(0u, GetShortPathNameA(plugin.c_str(), shortName, MAX_PATH));
        ASSERT_EQ(nullptr, std::strstr(shortName, "Lumbrasket"));
        std::string entries = row.entries;
        if (entries.find("SHORT") != std::string::npos)
            entries.replace(entries.find("SHORT"), 5, shortName);
        const std::string main =
            scratch.Write("tc/wincmd.ini", std::string(kPlain) + "[ContentPlugins]\r\n" + entries);
        InstallRequest request = RequestIn(scratch, main);
        request.colours = false;
        EXPECT_EQ(InstallOutcome::kDone, RunInstall(request));
        EXPECT_EQ("", Value(main, "ContentPlugins", row.free));
        SetEnvironmentVariableA("COMMANDER_PATH", nullptr);
    }
}

// A plugin entry and a view the user added after install's: the host knows
// both lists by number, so uninstall leaves install's own (taking them out
// would renumber the user's), says so, and keeps the plugin's files that
// the entry loads; the rest goes, the user's 1,000 colour filters after
// install's moving up without a gap.
TEST(InstallForTotalCommander, UninstallLeavesWhatTheUsersItemsAreNumberedAfter) {
    ScratchFolder scratch;
    const std::string main = scratch.Write("tc/wincmd.ini", kPlain);
    InstallRequest request = RequestIn(scratch, main);
    ASSERT_EQ(InstallOutcome::kDone, RunInstall(request));
    const char* const other = "%COMMANDER_PATH%\\plugins\\wdx\\other\\other.wdx";
    Forget(main);
    WritePrivateProfileStringA("ContentPlugins", "1", other, main.c_str());
    WritePrivateProfileStringA("CustomFields", "Titles", "Lumbrasket|Mine", main.c_str());
    WritePrivateProfileStringA("CustomFields", "Contents2", "[=tc.size]", main.c_str());
    std::vector<char> colours(1 << 20);
    const DWORD size = GetPrivateProfileSectionA("Colors", colours.data(), 1 << 20, main.c_str());
    std::string section(colours.data(), size);
    // Two keys for each of install's filters.
    const long installs = std::count(section.begin(), section.end(), '\0') / 2;
    for (int i = 1; i <= 1000; ++i) {
        const std::string n = std::to_string(installs + i);
        section += "ColorFilter" + n + "=*.u" + std::to_string(i) + '\0' + "ColorFilter" + n +
                   "Color=" + std::to_string(i) + '\0';
    }
    WritePrivateProfileSectionA("Colors", section.c_str(), main.c_str());
    Forget(main);
    testing::internal::CaptureStdout();
    ASSERT_EQ(InstallOutcome::kDone, RunUninstall(request));
    const std::string said = testing::internal::GetCapturedStdout();
    EXPECT_EQ("%COMMANDER_PATH%\\plugins\\wdx\\Lumbrasket\\Lumbrasket.wdx",
              Value(main, "ContentPlugins", "0"));
    EXPECT_EQ(other, Value(main, "ContentPlugins", "1"));
    EXPECT_EQ("Lumbrasket|Mine", Value(main, "CustomFields", "Titles"));
    EXPECT_EQ("[=tc.size]", Value(main, "CustomFields", "Contents2"));
    EXPECT_EQ("", Value(main, "searches", "Lumbrasket: Images_plugin"));
    EXPECT_EQ("*.u1", Value(main, "Colors", "ColorFilter1"));
    EXPECT_EQ("*.u1000", Value(main, "Colors", "ColorFilter1000"));
    EXPECT_EQ("1000", Value(main, "Colors", "ColorFilter1000Color"));
    EXPECT_EQ("", Value(main, "Colors", "ColorFilter1001"));
    EXPECT_NE(
        INVALID_FILE_ATTRIBUTES,
        GetFileAttributesA(
            scratch.Path(std::string("tc/plugins/wdx/Lumbrasket/") + LUMBRASKET_PLUGIN_FILE_NAME)
                .c_str()));
    EXPECT_NE(std::string::npos,
              said.find("left in place: the content plugin \"Lumbrasket\", not the last"));
    EXPECT_NE(std::string::npos,
              said.find("left in place: the column view \"Lumbrasket\", not the last"));
    SetEnvironmentVariableA("COMMANDER_PATH", nullptr);
}

// A file the run cannot change, found before anything is changed: a file
// of the settings that another program holds open, and a plugin copy that
// cannot be deleted. The run fails, every file stays as it was, the record
// too; once the obstacle is gone, the same command goes through.
TEST(InstallForTotalCommander, RefusesWhatItCannotChangeAndGoesThroughOnceItCan) {
    struct Row {
        const char* name;
        bool install; // the command that meets the obstacle; uninstall after an install
        // Puts the obstacle up, and gives what takes it away again.
        std::function<std::function<void()>(const ScratchFolder&)> obstacle;
    };
    const Row rows[] = {
        {"the colours' file held open by another program", true,
         [](const ScratchFolder& scratch) {
             // Others may read it, as an editor lets them, but not change it.
             HANDLE held =
                 CreateFileA(scratch.Path("tc/colors.ini").c_str(), GENERIC_READ, FILE_SHARE_READ,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
             EXPECT_NE(INVALID_HANDLE_VALUE, held);
             return std::function<void()>([held] { CloseHandle(held); });
         }},
        {"a read-only plugin copy", false,
         [](const ScratchFolder& scratch) {
             const std::string copy = scratch.Path(std::string("tc/plugins/wdx/Lumbrasket/") +
                                                   LUMBRASKET_PLUGIN_FILE_NAME);
             EXPECT_TRUE(SetFileAttributesA(copy.c_str(), FILE_ATTRIBUTE_READONLY));
             return std::function<void()>(
                 [copy] { SetFileAttributesA(copy.c_str(), FILE_ATTRIBUTE_NORMAL); });
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScratchFolder scratch;
        const std::string main = scratch.Write("tc/wincmd.ini", kColoursElsewhere);
        const std::string colours = scratch.Write("tc/colors.ini", "[Colors]\r\n");
        InstallRequest request = RequestIn(scratch, main);
        if (!row.install) {
            ASSERT_EQ(InstallOutcome::kDone, RunInstall(request));
        }
        const std::string before = ReadFileBytes(main) + ReadFileBytes(colours);
        const std::string record = ReadFileBytes(scratch.Path("tc/Lumbrasket.installed"));
        const std::function<void()> takeAway = row.obstacle(scratch);
        EXPECT_EQ(InstallOutcome::kCannotWrite,
                  row.install ? RunInstall(request) : RunUninstall(request));
        takeAway();
        EXPECT_EQ(before, ReadFileBytes(main) + ReadFileBytes(colours));
        EXPECT_EQ(record, ReadFileBytes(scratch.Path("tc/Lumbrasket.installed")));
        EXPECT_EQ(InstallOutcome::kDone, row.install ? RunInstall(request) : RunUninstall(request));
        EXPECT_EQ(row.install,
                  Value(colours, "Colors", "ColorFilter1") == ">Lumbrasket: Documents");
        SetEnvironmentVariableA("COMMANDER_PATH", nullptr);
    }
}

// Gives the folder an access list: the administrators' full control (Wine
// counts this process among them) and `rights` for everyone; or no list at
// all when `rights` is 0.
bool GiveAccessList(const std::string& folder, DWORD rights) {
    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    PSID administrators = nullptr;
    PSID everyone = nullptr;
    std::vector<unsigned char> room(1024);
    ACL* list = reinterpret_cast<ACL*>(room.data());
    const BYTE inherited = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
    const bool listed =
        rights == 0 ||
        (ConvertStringSidToSidA("S-1-5-32-544", &administrators) &&
         ConvertStringSidToSidA("S-1-1-0", &everyone) &&
         InitializeAcl(list, static_cast<DWORD>(room.size()), ACL_REVISION) &&
         AddAccessAllowedAceEx(list, ACL_REVISION, inherited, FILE_ALL_ACCESS, administrators) &&
         AddAccessAllowedAceEx(list, ACL_REVISION, 0, rights, everyone));
    const bool given =
        listed &&
        SetSecurityDescriptorDacl(&descriptor, TRUE, rights != 0 ? list : nullptr, FALSE) &&
        SetFileSecurityA(folder.c_str(), DACL_SECURITY_INFORMATION, &descriptor);
    LocalFree(administrators);
    LocalFree(everyone);
    return given;
}

// The access list a folder inherits, left as it is.
constexpr DWORD kInheritedList = ~DWORD{0};

// What install refuses, and a dry run: the host's file keeps its bytes and
// no plugin is copied. A folder above the plugin's that others may change
// refuses the install (Wine keeps a folder's protection as mode bits: finer
// lists are judged in the platform tests).
TEST(InstallForTotalCommander, RefusesOrOnlySaysAndLeavesTheFilesAsTheyWere) {
    struct Row {
        const char* name;
        const char* main;
        const wchar_t* programFolder; // under the scratch folder
        DWORD everyoneOnPlugins;      // the plugin folder's parent, for everyone
        bool dryRun;
        InstallOutcome expected;
    };
    const Row rows[] = {
        // A letter the code page writes as a look-alike ('l' for it) would
        // send the copy into another folder than the host's.
        {"a program folder outside the code page", kPlain, L"tc\u0142", kInheritedList, false,
         InstallOutcome::kCannotWrite},
        {"settings without a [Configuration] section", "[Colors]\r\nColorFilter1=*.c\r\n", L"tc",
         kInheritedList, false, InstallOutcome::kUnreadableSettings},
        {"everyone may write", kPlain, L"tc", FILE_GENERIC_WRITE | DELETE, false,
         InstallOutcome::kCannotWrite},
        {"no access list", kPlain, L"tc", 0, false, InstallOutcome::kCannotWrite},
        {"a dry run", kPlain, L"tc", kInheritedList, true, InstallOutcome::kDone},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScratchFolder scratch;
        const std::string main = scratch.Write("settings/wincmd.ini", row.main);
        wchar_t root[MAX_PATH] = {};
        MultiByteToWideChar(CP_ACP, 0, scratch.Path().c_str(), -1, root, MAX_PATH);
        const std::wstring program = std::wstring(root) + L"\\" + row.programFolder;
        ASSERT_TRUE(CreateDirectoryW(program.c_str(), nullptr));
        if (row.everyoneOnPlugins != kInheritedList) {
            ASSERT_TRUE(GiveAccessList(scratch.MakeFolder("tc/plugins"), row.everyoneOnPlugins));
        }
        SetEnvironmentVariableW(L"COMMANDER_PATH", program.c_str());
        InstallRequest request;
        request.mainSettingsFile = main;
        request.hostSettingsPath = scratch.Path("settings/contplug.ini");
        request.sourcePlugin = ProgramFolder() + "\\" + LUMBRASKET_PLUGIN_FILE_NAME;
        request.colours = true;
        request.dryRun = row.dryRun;
        EXPECT_EQ(row.expected, RunInstall(request));
        EXPECT_EQ(row.main, ReadFileBytes(main));
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES,
                  GetFileAttributesA((main + ".before-lumbrasket").c_str()));
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES,
                  GetFileAttributesW((program + L"\\plugins\\wdx").c_str()));
        SetEnvironmentVariableA("COMMANDER_PATH", nullptr);
    }
}

// The host stands in as this suite's own program under the host's name,
// running only this test, which waits.
TEST(InstallForTotalCommander, DISABLED_StandsInForTheRunningHost) {
    Sleep(30000);
}

TEST(InstallForTotalCommander, WaitsWhileTheHostRuns) {
    ScratchFolder scratch;
    const std::string main = scratch.Write("tc/wincmd.ini", kPlain);
    const std::string host = scratch.Path("tc/TOTALCMD64.EXE");
    ASSERT_TRUE(CopyFileTo(ProgramFolder() + "\\install_tests.exe", host));
    std::string line = "\"" + host +
                       "\" --gtest_also_run_disabled_tests "
                       "--gtest_filter=*StandsInForTheRunningHost";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process));
    Sleep(1000);
    InstallRequest request;
    request.mainSettingsFile = main;
    request.hostSettingsPath = scratch.Path("tc/contplug.ini");
    EXPECT_EQ(InstallOutcome::kHostRunning, RunInstall(request));
    EXPECT_EQ(kPlain, ReadFileBytes(main));
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

} // namespace
