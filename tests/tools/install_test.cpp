// install and uninstall against the settings file Double Commander 1.0.10
// wrote at its first start: what they add, that nothing of the user's is
// lost (the file after uninstall is the original, byte for byte), and that
// every refusal leaves the host's files as they were.
#include "tests/support/scratch_folder.h"
#include "platform/file_lock.h"
#include "platform/text/fnv_hash.h"
#include "tools/files/replaced_file.h"
#include "tools/install/host_settings_document.h"
#include "tools/install/install_command.h"
#include "tools/install/install_record.h"
#include "tools/install/kind_palette.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <signal.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The document as canonical text: parsed, and written without layout.
std::string Canonical(const std::string& text) {
    pugi::xml_document document;
    EXPECT_TRUE(document.load_buffer(text.data(), text.size(), pugi::parse_full));
    std::ostringstream out;
    document.save(out, "", pugi::format_raw | pugi::format_no_declaration);
    return out.str();
}

// Whether the document holds an element at `path` whose Name is `name`.
bool Holds(const std::string& text, const char* path, const std::string& name) {
    pugi::xml_document document;
    document.load_buffer(text.data(), text.size());
    for (pugi::xpath_node node : document.select_nodes(path))
        if (name == node.node().child_value("Name"))
            return true;
    return false;
}

// The document laid out anew as the host lays it out: two blanks a level,
// "<X/>" for an empty element.
std::string HostLayout(const std::string& text) {
    pugi::xml_document document;
    document.load_buffer(text.data(), text.size(), pugi::parse_full);
    std::ostringstream out;
    document.save(out, "  ");
    std::string laid = out.str();
    for (std::size_t at; (at = laid.find(" />")) != std::string::npos;)
        laid.erase(at, 1);
    return laid;
}

// Whether `after` holds every line of `before` in its order, an empty
// element "<X/>" that became "<X>" counting as kept.
bool KeepsEveryLine(const std::string& before, const std::string& after) {
    std::istringstream was(before);
    std::istringstream now(after);
    std::string kept;
    std::string line;
    bool more = static_cast<bool>(std::getline(was, kept));
    while (more && std::getline(now, line))
        if (line == kept || (!line.empty() && (line + "/>").erase(line.size() - 1, 1) == kept))
            more = static_cast<bool>(std::getline(was, kept));
    return !more;
}

// Elements nested `depth` deep, in the form the host writes an empty one.
std::string Nested(int depth) {
    std::string open;
    std::string close;
    for (int i = 1; i < depth; ++i) {
        open += "<N>";
        close += "</N>";
    }
    return open + "<N/>" + close;
}

// A user's settings folder, the plugin's archive unpacked beside it, and a
// data folder of the user's own.
struct UserFolders {
    ScratchFolder scratch;
    std::string settings;
    InstallRequest request;

    explicit UserFolders(const std::string& text) {
        settings = scratch.Write("config/doublecmd.xml", text);
        request.hostSettingsPath = scratch.Path("config/wdx.ini");
        request.mainSettingsFile = settings;
        const std::string archive = scratch.MakeFolder("archive");
        CopyFileTo(LUMBRASKET_TEST_PLUGIN, archive + "/Lumbrasket.wdx");
        CopyFileTo(LUMBRASKET_SAMPLE_SETTINGS, archive + "/Lumbrasket.ini");
        request.sourcePlugin = archive + "/Lumbrasket.wdx";
        setenv("XDG_DATA_HOME", scratch.MakeFolder("data").c_str(), 1);
        chmod(scratch.Path().c_str(), 0700);
    }
    ~UserFolders() { unsetenv("XDG_DATA_HOME"); }
};

std::string FirstStart() {
    return ReadFileBytes(LUMBRASKET_FIRST_START_SETTINGS);
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(std::string::npos, at) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// A user's own items of every kind install adds, which must come through
// install and uninstall untouched.
std::string WithItemsOfTheUser() {
    std::string text = Replaced(FirstStart(), "<FileFilters/>",
                                "<FileFilters><Filter><Name>Mine</Name><FileMasks>*.c</FileMasks>"
                                "<Color>255</Color><Attributes/></Filter></FileFilters>");
    text = Replaced(text, "<SearchTemplates/>",
                    "<SearchTemplates><Template><Name>Old</Name><FilesMasks>*.bak</FilesMasks>"
                    "</Template></SearchTemplates>");
    return Replaced(text, "</ColumnsSets>",
                    "<ColumnsSet><Name>Mine</Name><Columns><Column><Title>N</Title>"
                    "<FuncString>[DC().GETFILENAME{}]</FuncString></Column></Columns>"
                    "</ColumnsSet></ColumnsSets>");
}

// The process's umask for a while.
struct Umask {
    mode_t before;
    explicit Umask(mode_t mask) : before(umask(mask)) {}
    ~Umask() { umask(before); }
};

TEST(Install, AddsItsItemsAndUninstallGivesTheFileBack) {
    struct Row {
        const char* name;
        std::string text;
        bool throughLink;
        mode_t mode;
        mode_t mask; // the umask, under which the data folder is made too
    };
    const Row rows[] = {
        {"first start", FirstStart(), false, 0644, 022},
        {"items of the user's", WithItemsOfTheUser(), false, 0644, 022},
        {"a private file reached through a link", FirstStart(), true, 0600, 022},
        // The data folder is then writable by the user's primary group,
        // which is the user's private one (root's, here, or a user's on a
        // system that gives each user a group of one).
        {"umask 002, a data folder of the user's private group", FirstStart(), false, 0644, 002},
        {"an empty element written open",
         Replaced(FirstStart(), "<JustRunTermParams/>", "<JustRunTermParams></JustRunTermParams>"),
         false, 0644, 022},
        {"nesting 1,000 deep", Replaced(FirstStart(), "<Toolbars>", "<Toolbars>" + Nested(998)),
         false, 0644, 022},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Umask mask(row.mask);
        UserFolders setup(row.text);
        std::string file = setup.settings;
        if (row.throughLink) {
            file = setup.scratch.Write("dotfiles/doublecmd.xml", row.text);
            RemoveFile(setup.settings);
            ASSERT_EQ(0, symlink(file.c_str(), setup.settings.c_str()));
        }
        chmod(file.c_str(), row.mode);
        setup.request.colours = true;
        ASSERT_EQ(InstallOutcome::kDone, RunInstall(setup.request));

        const std::string installed = ReadFileBytes(file);
        EXPECT_TRUE(Holds(installed, "/doublecmd/Plugins/WdxPlugins/WdxPlugin", "Lumbrasket"));
        EXPECT_TRUE(Holds(installed, "/doublecmd/ColumnsSets/ColumnsSet", "Lumbrasket"));
        EXPECT_TRUE(Holds(installed, "/doublecmd/SearchTemplates/Template", "Lumbrasket: Images"));
        // The host ignores a colour without its attributes.
        EXPECT_NE(std::string::npos,
                  installed.find("<FileMasks>&gt;Lumbrasket: Images</FileMasks>"));
        EXPECT_NE(std::string::npos, installed.find("<Attributes/>"));
        // What install adds to a file as the host writes it is laid out as
        // the host lays out its own, and changes no line but "<List/>".
        if (HostLayout(row.text) == row.text) {
            EXPECT_EQ(HostLayout(installed), installed);
            EXPECT_TRUE(KeepsEveryLine(row.text, installed));
        }
        struct stat status {};
        ASSERT_EQ(0, lstat(setup.settings.c_str(), &status));
        EXPECT_EQ(row.throughLink, S_ISLNK(status.st_mode));
        ASSERT_EQ(0, stat(file.c_str(), &status));
        EXPECT_EQ(row.mode, status.st_mode & 0777);
        const std::string backup = file + ".before-lumbrasket";
        EXPECT_EQ(row.text, ReadFileBytes(backup));
        ASSERT_EQ(0, stat(backup.c_str(), &status));
        EXPECT_EQ(row.mode, status.st_mode & 0777);
        EXPECT_NE(std::string::npos,
                  ReadFileBytes(setup.scratch.Path("data/lumbrasket/Lumbrasket.wdx")).find("ELF"));
        ASSERT_EQ(0, stat(setup.scratch.Path("data/lumbrasket").c_str(), &status));
        EXPECT_EQ(0700u, status.st_mode & 07777);

        // Twice changes nothing.
        ASSERT_EQ(InstallOutcome::kDone, RunInstall(setup.request));
        EXPECT_EQ(installed, ReadFileBytes(file));

        ASSERT_EQ(InstallOutcome::kDone, RunUninstall(setup.request));
        EXPECT_EQ(Canonical(row.text), Canonical(ReadFileBytes(file)));
        EXPECT_EQ(row.text, ReadFileBytes(file));
        EXPECT_EQ(-1, access(setup.scratch.Path("data/lumbrasket").c_str(), F_OK));
        EXPECT_EQ(-1, access(setup.scratch.Path("config/Lumbrasket.installed").c_str(), F_OK));
        // The first state stays kept.
        EXPECT_EQ(row.text, ReadFileBytes(backup));
    }
}

TEST(Install, UninstallLeavesWhatTheUserChangedAndSaysSo) {
    UserFolders setup(FirstStart());
    setup.request.colours = true;
    ASSERT_EQ(InstallOutcome::kDone, RunInstall(setup.request));
    // The view renamed a column; a colour changed.
    std::string text =
        Replaced(ReadFileBytes(setup.settings), "<Title>Group name</Title>", "<Title>Kind</Title>");
    text = Replaced(text, "<Color>1250281</Color>", "<Color>0</Color>");
    setup.scratch.Write("config/doublecmd.xml", text);
    testing::internal::CaptureStdout();
    ASSERT_EQ(InstallOutcome::kDone, RunUninstall(setup.request));
    const std::string said = testing::internal::GetCapturedStdout();
    const std::string after = ReadFileBytes(setup.settings);
    EXPECT_TRUE(Holds(after, "/doublecmd/ColumnsSets/ColumnsSet", "Lumbrasket"));
    EXPECT_TRUE(Holds(after, "/doublecmd/Colors/FileFilters/Filter", "Lumbrasket: Documents"));
    EXPECT_FALSE(Holds(after, "/doublecmd/SearchTemplates/Template", "Lumbrasket: Images"));
    // What the kept items use stays with them, so they go on working: the
    // colour's template, and the plugin with its file for the view's field.
    EXPECT_TRUE(Holds(after, "/doublecmd/SearchTemplates/Template", "Lumbrasket: Documents"));
    EXPECT_TRUE(Holds(after, "/doublecmd/Plugins/WdxPlugins/WdxPlugin", "Lumbrasket"));
    EXPECT_EQ(0, access(setup.scratch.Path("data/lumbrasket/Lumbrasket.wdx").c_str(), F_OK));
    EXPECT_NE(std::string::npos, said.find("left in place: the search template "
                                           "\"Lumbrasket: Documents\", a file-type colour"));
    EXPECT_NE(std::string::npos,
              said.find("left in place: the column view \"Lumbrasket\", changed since install"));
    EXPECT_NE(std::string::npos, said.find("left in place: the file-type colour "
                                           "\"Lumbrasket: Documents\""));
    // What is left stays on the record, for an uninstall after the user
    // puts it back.
    EXPECT_NE(
        std::string::npos,
        ReadFileBytes(setup.scratch.Path("config/Lumbrasket.installed")).find("view\tLumbrasket"));
}

// A kind whose name the host's settings cannot hold gets no colour, and the
// file stays one the host reads.
TEST(Install, KindsTheHostCannotNameGetNoColour) {
    UserFolders setup(FirstStart());
    setup.scratch.Write("config/Lumbrasket.ini", "[Groups]\n0=txt\n0_name=Text\n1=a\n"
                                                 "1_name=A;B\n2=b\n2_name=Bad\xff\n3=c\n"
                                                 "3_name=Bell\x07\n");
    setup.request.colours = true;
    ASSERT_EQ(InstallOutcome::kDone, RunInstall(setup.request));
    const std::string installed = ReadFileBytes(setup.settings);
    EXPECT_TRUE(Holds(installed, "/doublecmd/SearchTemplates/Template", "Lumbrasket: Text"));
    for (const char* unfit : {"Lumbrasket: A;B", "Lumbrasket: Bad\xff", "Lumbrasket: Bell\x07"})
        EXPECT_EQ(std::string::npos, installed.find(unfit)) << unfit;
    pugi::xml_document document;
    EXPECT_TRUE(document.load_string(installed.c_str()));
}

// Folders under every name a temporary file beside a target may take
// (`stem` and 0 to 99), so that none can be made there.
std::function<void(UserFolders&)> TakeTemporaryNames(const std::string& stem) {
    return [stem](UserFolders& folders) {
        for (int i = 0; i < 100; ++i)
            folders.scratch.MakeFolder(stem + std::to_string(i));
    };
}

// A process of this user whose command name is the host's: a shell under
// the host's name, waiting, with the host's option for its settings folder
// among its arguments when one is given.
struct FakeHost {
    pid_t process = -1;
    FakeHost(const ScratchFolder& scratch, const std::string& configDir) {
        const std::string program = scratch.Path("doublecmd");
        CopyFileTo("/bin/sh", program);
        chmod(program.c_str(), 0755);
        const std::string option = configDir.empty() ? "-" : "--config-dir=" + configDir;
        process = fork();
        if (process == 0) {
            // The command ends in a second one, so the shell stays to run it.
            execl(program.c_str(), "doublecmd", "-c", "sleep 30; :", option.c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        usleep(200 * 1000);
    }
    ~FakeHost() {
        kill(process, SIGKILL);
        waitpid(process, nullptr, 0);
    }
};

TEST(Install, RefusesAndLeavesTheHostsFilesUntouched) {
    struct Row {
        const char* name;
        std::function<std::string()> text; // empty: no settings file at all
        std::function<void(UserFolders&)> arrange;
        InstallOutcome expected;
        bool dryRun;
    };
    const auto nothing = [](UserFolders&) {};
    const Row rows[] = {
        {"no settings yet", [] { return std::string(); }, nothing, InstallOutcome::kNoHostSettings,
         false},
        {"a newer host", [] { return Replaced(FirstStart(), "1.0.10", "1.1.0"); }, nothing,
         InstallOutcome::kUntestedHost, false},
        {"no version", [] { return Replaced(FirstStart(), "DCVersion=\"1.0.10\"", ""); }, nothing,
         InstallOutcome::kUntestedHost, false},
        {"not XML", [] { return FirstStart().substr(0, 5000); }, nothing,
         InstallOutcome::kUnreadableSettings, false},
        {"another program's XML", [] { return std::string("<other/>"); }, nothing,
         InstallOutcome::kUnreadableSettings, false},
        {"two roots", [] { return FirstStart() + "<doublecmd/>\n"; }, nothing,
         InstallOutcome::kUnreadableSettings, false},
        {"nesting deeper than 1,000",
         [] { return Replaced(FirstStart(), "<Toolbars>", "<Toolbars>" + Nested(999)); }, nothing,
         InstallOutcome::kUnreadableSettings, false},
        {"entities the host would expand",
         [] {
             return Replaced(FirstStart(), "<doublecmd ",
                             "<!DOCTYPE d [<!ENTITY v \"1\">]><doublecmd ");
         },
         nothing, InstallOutcome::kUnreadableSettings, false},
        {"an entity no declaration defines, in a text",
         [] { return Replaced(FirstStart(), ">cm_refresh<", ">&fmt;<"); }, nothing,
         InstallOutcome::kUnreadableSettings, false},
        {"an entity no declaration defines, in an attribute",
         [] { return Replaced(FirstStart(), "Filename=\"..\"", "Filename=\"&fmt;\""); }, nothing,
         InstallOutcome::kUnreadableSettings, false},
        {"an encoding not UTF-8", [] { return Replaced(FirstStart(), "UTF-8", "ISO-8859-1"); },
         nothing, InstallOutcome::kUnreadableSettings, false},
        {"larger than the bound", [] { return FirstStart() + std::string(kLargestReadFile, '\n'); },
         nothing, InstallOutcome::kUnreadableSettings, false},
        {"plugin folder others may write", FirstStart,
         [](UserFolders& setup) {
             const std::string shared = setup.scratch.MakeFolder("shared");
             chmod(shared.c_str(), 0777);
             setenv("XDG_DATA_HOME", shared.c_str(), 1);
         },
         InstallOutcome::kCannotWrite, false},
        {"plugin folder a group not the user's own may write", FirstStart,
         [](UserFolders& setup) {
             const std::string shared = setup.scratch.MakeFolder("shared");
             // Root may give it any group (nobody's); another user stands in
             // everyone for it.
             const bool grouped = chown(shared.c_str(), static_cast<uid_t>(-1), 65534) == 0;
             chmod(shared.c_str(), grouped ? 0770 : 0777);
             setenv("XDG_DATA_HOME", shared.c_str(), 1);
         },
         InstallOutcome::kCannotWrite, false},
        {"plugin that does not load", FirstStart,
         [](UserFolders& setup) { setup.request.sourcePlugin = setup.settings; },
         InstallOutcome::kNotAPlugin, false},
        {"no room for the backup beside the settings", FirstStart,
         TakeTemporaryNames("config/doublecmd.xml.before-lumbrasket.~new"),
         InstallOutcome::kCannotWrite, false},
        {"no room for the record, written with the settings", FirstStart,
         TakeTemporaryNames("config/Lumbrasket.installed.~lumbrasket"),
         InstallOutcome::kCannotWrite, false},
        {"a dry run", FirstStart, nothing, InstallOutcome::kDone, true},
        {"read-only settings", FirstStart,
         [](UserFolders& setup) { chmod(setup.settings.c_str(), 0444); },
         InstallOutcome::kCannotWrite, false},
        {"settings with a second name, which a rename would part", FirstStart,
         [](UserFolders& setup) {
             ASSERT_EQ(0, link(setup.settings.c_str(), setup.scratch.Path("other.xml").c_str()));
         },
         InstallOutcome::kCannotWrite, false},
        {"a loop of links", [] { return std::string(); },
         [](UserFolders& setup) {
             ASSERT_EQ(0, symlink(setup.settings.c_str(), setup.scratch.Path("loop").c_str()));
             ASSERT_EQ(0, symlink(setup.scratch.Path("loop").c_str(), setup.settings.c_str()));
         },
         InstallOutcome::kUnreadableSettings, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string text = row.text();
        UserFolders setup(text.empty() ? "x" : text);
        if (text.empty())
            RemoveFile(setup.settings);
        row.arrange(setup);
        setup.request.colours = true;
        setup.request.dryRun = row.dryRun;
        EXPECT_EQ(row.expected, RunInstall(setup.request));
        EXPECT_EQ(text, ReadFileBytes(setup.settings));
        EXPECT_EQ(-1, access((setup.settings + ".before-lumbrasket").c_str(), F_OK));
        EXPECT_EQ(-1, access(setup.scratch.Path("data/lumbrasket").c_str(), F_OK));
        EXPECT_EQ(-1, access(setup.scratch.Path("config/Lumbrasket.installed").c_str(), F_OK));
    }
}

// Settings or a record that lead to a device are refused unread: reading
// one would never end.
TEST(Install, RefusesWhatIsNoFile) {
    const struct {
        const char* file;
        InstallOutcome (*run)(const InstallRequest&);
        InstallOutcome expected;
    } rows[] = {
        {"config/doublecmd.xml", RunInstall, InstallOutcome::kUnreadableSettings},
        {"config/Lumbrasket.installed", RunUninstall, InstallOutcome::kDone},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        UserFolders setup(FirstStart());
        RemoveFile(setup.scratch.Path(row.file));
        ASSERT_EQ(0, symlink("/dev/zero", setup.scratch.Path(row.file).c_str()));
        EXPECT_EQ(row.expected, row.run(setup.request));
        EXPECT_EQ(-1, access(setup.scratch.Path("data/lumbrasket").c_str(), F_OK));
    }
}

// An install recorded in a file laid out otherwise since (by an earlier
// version, which laid out the whole file anew, or by hand) comes out whole.
TEST(Install, FingerprintsDoNotSeeTheLayout) {
    UserFolders setup(FirstStart());
    setup.request.colours = true;
    ASSERT_EQ(InstallOutcome::kDone, RunInstall(setup.request));
    setup.scratch.Write("config/doublecmd.xml", Canonical(ReadFileBytes(setup.settings)));
    ASSERT_EQ(InstallOutcome::kDone, RunUninstall(setup.request));
    EXPECT_EQ(Canonical(FirstStart()), Canonical(ReadFileBytes(setup.settings)));
}

TEST(Install, WaitsForTheHostThatWritesTheseSettings) {
    struct Row {
        const char* name;
        const char* configDir; // the fake host's --config-dir, relative; empty: none
        InstallOutcome expected;
        bool dryRun;
    };
    const Row rows[] = {
        {"host without a settings folder of its own", "", InstallOutcome::kHostRunning, false},
        {"host on these settings", "config", InstallOutcome::kHostRunning, false},
        {"host on other settings", "elsewhere", InstallOutcome::kDone, false},
        // It shows what the run would change, and says the run would wait.
        {"a dry run on these settings", "config", InstallOutcome::kDone, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        UserFolders setup(FirstStart());
        const std::string configDir =
            row.configDir[0] == '\0' ? "" : setup.scratch.MakeFolder(row.configDir);
        FakeHost host(setup.scratch, configDir);
        setup.request.dryRun = row.dryRun;
        testing::internal::CaptureStdout();
        EXPECT_EQ(row.expected, RunInstall(setup.request));
        const std::string said = testing::internal::GetCapturedStdout();
        EXPECT_EQ(row.dryRun, said.find("would add to") != std::string::npos);
        EXPECT_EQ(row.expected == InstallOutcome::kDone && !row.dryRun,
                  FirstStart() != ReadFileBytes(setup.settings));
    }
}

// The document with an edit made through the XML library, which does not
// care how install laid its items out.
std::string Edited(const std::string& text, const std::function<void(pugi::xml_node)>& edit) {
    pugi::xml_document document;
    document.load_buffer(text.data(), text.size(), pugi::parse_full);
    edit(document.child("doublecmd"));
    std::ostringstream out;
    document.save(out, "  ");
    return out.str();
}

pugi::xml_node ItemNamed(pugi::xml_node root, const char* path, const char* name) {
    for (pugi::xml_node node : root.first_element_by_path(path).children())
        if (std::string(name) == node.child_value("Name"))
            return node;
    return pugi::xml_node();
}

void AddFilter(pugi::xml_node root, const char* name, const char* masks, const char* colour) {
    pugi::xml_node filter = root.first_element_by_path("Colors/FileFilters").append_child("Filter");
    filter.append_child("Name").text().set(name);
    filter.append_child("FileMasks").text().set(masks);
    filter.append_child("Color").text().set(colour);
    filter.append_child("Attributes");
}

// Runs install or uninstall in a process of its own, its output dropped.
pid_t StartRun(const UserFolders& setup, bool install) {
    const pid_t child = fork();
    if (child == 0) {
        if (freopen("/dev/null", "w", stdout) == nullptr ||
            freopen("/dev/null", "w", stderr) == nullptr)
            _exit(99);
        _exit(static_cast<int>(install ? RunInstall(setup.request) : RunUninstall(setup.request)));
    }
    return child;
}

// The run's outcome as a number; -1 when it was killed.
int Outcome(pid_t child) {
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// What a run left in the settings and data folders beyond the host's file,
// its first copy and the lock.
std::vector<std::string> Leftovers(const UserFolders& setup) {
    std::vector<std::string> left;
    std::error_code error;
    for (const char* folder : {"config", "data"})
        for (const auto& entry :
             std::filesystem::directory_iterator(setup.scratch.Path(folder), error)) {
            const std::string name = entry.path().filename().string();
            if (name != "doublecmd.xml" && name != "doublecmd.xml.before-lumbrasket" &&
                name != "Lumbrasket.lock")
                left.push_back(name);
        }
    return left;
}

// Whether the record lists only items the settings hold as it says, and
// files that are there; without a record, whether none of install's is.
bool RecordHolds(const UserFolders& setup) {
    HostSettingsDocument document;
    std::string problem;
    if (!document.Load(setup.settings, problem))
        return false;
    InstallRecord record;
    if (!ParseRecord(ReadFileBytes(setup.scratch.Path("config/Lumbrasket.installed")), record))
        return document.ItemsNamedAfter("Lumbrasket").empty() &&
               access(setup.scratch.Path("data/lumbrasket").c_str(), F_OK) != 0;
    for (const RecordedItem& recorded : record.items)
        if (document.Fingerprint(recorded.item) != recorded.fingerprint)
            return false;
    for (const RecordedFile& file : record.files)
        if (FnvHash(ReadFileBytes(file.path)) != file.hash)
            return false;
    return true;
}

// A run killed anywhere leaves what the next run finishes or undoes: after
// kills of install and uninstall at random moments of their run, one install
// and one uninstall give the settings back with nothing left over.
// LUMBRASKET_KILLS sets how many (scripts/soak_install.sh runs many more).
TEST(Install, KilledRunsLeaveWhatTheNextRunFinishes) {
    const char* given = std::getenv("LUMBRASKET_KILLS");
    const int kills = given != nullptr ? std::atoi(given) : 200;
    UserFolders setup(FirstStart());
    setup.request.colours = true;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(0, Outcome(StartRun(setup, true)));
    const auto run = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - start);
    ASSERT_EQ(0, Outcome(StartRun(setup, false)));
    std::mt19937 random(20261209);
    std::uniform_int_distribution<long> moment(0, run.count());
    for (int i = 0; i < kills; ++i) {
        const pid_t child = StartRun(setup, i % 4 < 2);
        usleep(static_cast<useconds_t>(moment(random)));
        kill(child, SIGKILL);
        const int outcome = Outcome(child);
        ASSERT_TRUE(outcome == -1 || outcome == 0) << "run " << i << " ended " << outcome;
    }
    ASSERT_EQ(0, Outcome(StartRun(setup, true)));
    EXPECT_TRUE(RecordHolds(setup));
    ASSERT_EQ(0, Outcome(StartRun(setup, false)));
    EXPECT_EQ(FirstStart(), ReadFileBytes(setup.settings));
    EXPECT_EQ(std::vector<std::string>(), Leftovers(setup));
}

// The colours follow the table: install --colors again after a kind was
// renamed gives the new name the colour of its place and takes out the
// old name's, unless the user changed it since.
TEST(Install, ColoursFollowTheTable) {
    struct Row {
        const char* name;
        const char* table; // after the first install
        bool userChanges;  // the user changes the colour of Images
        const char* held;  // a colour there after the second install
        const char* gone;  // one that is not; may be empty
    };
    const Row rows[] = {
        {"a kind renamed", "[Groups]\n0=txt\n0_name=Text\n1=png\n1_name=Pictures\n", false,
         "Lumbrasket: Pictures", "Lumbrasket: Images"},
        {"a kind taken out whose colour the user changed", "[Groups]\n0=txt\n0_name=Text\n", true,
         "Lumbrasket: Images", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        UserFolders setup(FirstStart());
        setup.scratch.Write("config/Lumbrasket.ini",
                            "[Groups]\n0=txt\n0_name=Text\n1=png\n1_name=Images\n");
        setup.request.colours = true;
        ASSERT_EQ(InstallOutcome::kDone, RunInstall(setup.request));
        const auto colourOf = [&setup](const char* name) {
            pugi::xml_document document;
            document.load_file(setup.settings.c_str());
            return std::string(ItemNamed(document.child("doublecmd"), "Colors/FileFilters", name)
                                   .child_value("Color"));
        };
        const std::string colour = colourOf("Lumbrasket: Images");
        if (row.userChanges)
            setup.scratch.Write("config/doublecmd.xml",
                                Edited(ReadFileBytes(setup.settings), [](pugi::xml_node root) {
                                    ItemNamed(root, "Colors/FileFilters", "Lumbrasket: Images")
                                        .child("Color")
                                        .text()
                                        .set("0");
                                }));
        setup.scratch.Write("config/Lumbrasket.ini", row.table);
        ASSERT_EQ(InstallOutcome::kDone, RunInstall(setup.request));
        const std::string after = ReadFileBytes(setup.settings);
        EXPECT_TRUE(Holds(after, "/doublecmd/Colors/FileFilters/Filter", row.held));
        EXPECT_FALSE(Holds(after, "/doublecmd/SearchTemplates/Template", row.gone));
        EXPECT_EQ(row.userChanges ? "0" : colour, colourOf(row.held));
        if (!row.userChanges) {
            EXPECT_TRUE(RecordHolds(setup));
            ASSERT_EQ(InstallOutcome::kDone, RunUninstall(setup.request));
            EXPECT_EQ(FirstStart(), ReadFileBytes(setup.settings));
        }
    }
}

// Runs at once take turns on the lock: both succeed, and the record
// matches the settings whichever ran last.
TEST(Install, RunsAtOnceTakeTurns) {
    UserFolders setup(FirstStart());
    setup.request.colours = true;
    for (int round = 0; round < 10; ++round) {
        const pid_t install = StartRun(setup, true);
        const pid_t uninstall = StartRun(setup, false);
        EXPECT_EQ(0, Outcome(install));
        EXPECT_EQ(0, Outcome(uninstall));
        EXPECT_TRUE(RecordHolds(setup)) << round;
    }
}

// A run waits for the lock another holds; a host started meanwhile is
// seen after the change and said, with an exit that is not success.
TEST(Install, WaitsForAnotherRunAndSaysWhenTheHostStarted) {
    UserFolders setup(FirstStart());
    // The lock is held by a process of its own: one forked from a holder
    // would keep the holder's lock open in the run.
    const pid_t holder = fork();
    if (holder == 0) {
        FileLock lock;
        bool busy = false;
        std::string reason;
        if (lock.Take(setup.scratch.Path("config/Lumbrasket.lock"), 0, busy, reason))
            pause();
        _exit(1);
    }
    usleep(200 * 1000);
    const pid_t run = StartRun(setup, true);
    usleep(300 * 1000);
    EXPECT_EQ(FirstStart(), ReadFileBytes(setup.settings));
    FakeHost host(setup.scratch, "");
    kill(holder, SIGKILL);
    EXPECT_EQ(-1, Outcome(holder));
    EXPECT_EQ(static_cast<int>(InstallOutcome::kHostRunning), Outcome(run));
    EXPECT_TRUE(
        Holds(ReadFileBytes(setup.settings), "/doublecmd/ColumnsSets/ColumnsSet", "Lumbrasket"));
}

// What an earlier run left (by today's tool, or by one that stopped before
// its record) is finished or undone by the next run, and a later
// uninstall gives the settings back with nothing left over.
TEST(Install, TheNextRunFinishesOrUndoesWhatAnEarlierRunLeft) {
    struct Row {
        const char* name;
        std::function<void(UserFolders&)> leave;
        bool next; // install, else uninstall
        const char* said;
    };
    const auto recordLost = [](UserFolders& setup) {
        ASSERT_EQ(InstallOutcome::kDone, RunInstall(setup.request));
        RemoveFile(setup.scratch.Path("config/Lumbrasket.installed"));
    };
    const Row rows[] = {
        {"items and copies on no record, then install", recordLost, true,
         "takes onto its record what an earlier run added"},
        {"items and copies on no record, then uninstall", recordLost, false, "takes out of"},
        {"temporaries and a copy on no record",
         [](UserFolders& setup) {
             setup.scratch.Write("config/doublecmd.xml.~lumbrasket7", "half");
             setup.scratch.Write("config/Lumbrasket.installed.~lumbrasket0", "half");
             setup.scratch.Write("data/lumbrasket/Lumbrasket.wdx.~lumbrasket3", "half");
             CopyFileTo(LUMBRASKET_TEST_PLUGIN,
                        setup.scratch.Path("data/lumbrasket/Lumbrasket.wdx"));
         },
         false, "removes"},
        {"a folder where the record goes, taken away",
         [](UserFolders& setup) {
             const std::string folder = setup.scratch.MakeFolder("config/Lumbrasket.installed");
             EXPECT_EQ(InstallOutcome::kCannotWrite, RunInstall(setup.request));
             EXPECT_EQ(FirstStart(), ReadFileBytes(setup.settings));
             rmdir(folder.c_str());
         },
         true, "adds to"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        UserFolders setup(FirstStart());
        setup.request.colours = true;
        row.leave(setup);
        testing::internal::CaptureStdout();
        const InstallOutcome outcome =
            row.next ? RunInstall(setup.request) : RunUninstall(setup.request);
        EXPECT_NE(std::string::npos, testing::internal::GetCapturedStdout().find(row.said));
        EXPECT_EQ(InstallOutcome::kDone, outcome);
        EXPECT_TRUE(RecordHolds(setup));
        if (row.next) {
            EXPECT_EQ(InstallOutcome::kDone, RunUninstall(setup.request));
        }
        EXPECT_EQ(FirstStart(), ReadFileBytes(setup.settings));
        EXPECT_EQ(std::vector<std::string>(), Leftovers(setup));
    }
}

// Uninstall takes out only what install made as install made it, listed
// once, and leaves what an item that stays uses; each row's item stays.
TEST(Install, UninstallTakesOutOnlyWhatInstallMade) {
    struct Row {
        const char* name;
        std::function<void(UserFolders&)> beforeInstall;
        std::function<void(UserFolders&)> afterInstall;
        InstallOutcome expected;
        const char* path; // an element that must be there after uninstall
        const char* item;
        const char* file; // a file that must be there after it; may be empty
    };
    const auto none = [](UserFolders&) {};
    const auto edit = [](UserFolders& setup, const std::function<void(pugi::xml_node)>& change) {
        setup.scratch.Write("config/doublecmd.xml", Edited(ReadFileBytes(setup.settings), change));
    };
    const auto record = [](UserFolders& setup) {
        return setup.scratch.Path("config/Lumbrasket.installed");
    };
    const Row rows[] = {
        {"a forged record naming the user's view and a file outside the plugin's folder", none,
         [&](UserFolders& setup) {
             HostSettingsDocument document;
             std::string problem;
             ASSERT_TRUE(document.Load(setup.settings, problem));
             InstallRecord forged;
             ParseRecord(ReadFileBytes(record(setup)), forged);
             forged.items.push_back({{ItemKind::kColumnView, "Mine"},
                                     document.Fingerprint({ItemKind::kColumnView, "Mine"})});
             const std::string sample = setup.scratch.Path("archive/Lumbrasket.ini");
             forged.files.push_back({sample, FnvHash(ReadFileBytes(sample))});
             setup.scratch.Write("config/Lumbrasket.installed", RecordText(forged));
         },
         InstallOutcome::kDone, "/doublecmd/ColumnsSets/ColumnsSet", "Mine",
         "archive/Lumbrasket.ini"},
        {"a record line twice, and a colour of the user's of that name", none,
         [&](UserFolders& setup) {
             edit(setup, [](pugi::xml_node root) {
                 AddFilter(root, "Lumbrasket: Documents", "*.odt", "0");
             });
             InstallRecord twice;
             ParseRecord(ReadFileBytes(record(setup)), twice);
             for (const RecordedItem& recorded : twice.items)
                 if (recorded.item.kind == ItemKind::kFileColour) {
                     twice.items.push_back(recorded);
                     break;
                 }
             setup.scratch.Write("config/Lumbrasket.installed", RecordText(twice));
         },
         InstallOutcome::kDone, "/doublecmd/Colors/FileFilters/Filter", "Lumbrasket: Documents",
         ""},
        {"a plugin copy that cannot be deleted", none,
         [](UserFolders& setup) {
             chmod(setup.scratch.Path("data/lumbrasket/Lumbrasket.wdx").c_str(), 0444);
         },
         InstallOutcome::kCannotWrite, "/doublecmd/Plugins/WdxPlugins/WdxPlugin", "Lumbrasket",
         "config/Lumbrasket.installed"},
        {"install's view renamed by the user", none,
         [&](UserFolders& setup) {
             edit(setup, [](pugi::xml_node root) {
                 ItemNamed(root, "ColumnsSets", "Lumbrasket").child("Name").text().set("Kinds");
             });
         },
         InstallOutcome::kDone, "/doublecmd/Plugins/WdxPlugins/WdxPlugin", "Lumbrasket",
         "data/lumbrasket/Lumbrasket.wdx"},
        {"a colour of the user's on install's template", none,
         [&](UserFolders& setup) {
             edit(setup, [](pugi::xml_node root) {
                 AddFilter(root, "Mine too", ">Lumbrasket: Images;*.svg", "0");
             });
         },
         InstallOutcome::kDone, "/doublecmd/SearchTemplates/Template", "Lumbrasket: Images", ""},
        {"a colour of the user's named as install's, without a template",
         [&](UserFolders& setup) {
             edit(setup,
                  [](pugi::xml_node root) { AddFilter(root, "Lumbrasket: Images", "*.png", "0"); });
         },
         [](UserFolders& setup) {
             EXPECT_FALSE(Holds(ReadFileBytes(setup.settings),
                                "/doublecmd/SearchTemplates/Template", "Lumbrasket: Images"));
         },
         InstallOutcome::kDone, "/doublecmd/Colors/FileFilters/Filter", "Lumbrasket: Images", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        UserFolders setup(WithItemsOfTheUser());
        setup.request.colours = true;
        row.beforeInstall(setup);
        ASSERT_EQ(InstallOutcome::kDone, RunInstall(setup.request));
        row.afterInstall(setup);
        const std::string before = ReadFileBytes(setup.settings);
        EXPECT_EQ(row.expected, RunUninstall(setup.request));
        const std::string after = ReadFileBytes(setup.settings);
        EXPECT_TRUE(Holds(after, row.path, row.item));
        if (row.file[0] != '\0') {
            EXPECT_EQ(0, access(setup.scratch.Path(row.file).c_str(), F_OK));
        }
        if (row.expected != InstallOutcome::kDone) {
            EXPECT_EQ(before, after);
        }
    }
}

TEST(KindPalette, EveryColourReadsOnWhiteAndOnBlackAndNoTwoAreAlike) {
    const PaletteColour white{255, 255, 255};
    const PaletteColour black{0, 0, 0};
    double leastContrast = 21.0;
    double leastDifference = 100.0;
    for (std::size_t i = 0; i < kPaletteSize; ++i) {
        SCOPED_TRACE(i);
        leastContrast = std::min({leastContrast, ContrastRatio(KindColour(i), white),
                                  ContrastRatio(KindColour(i), black)});
        for (std::size_t j = 0; j < i; ++j)
            leastDifference = std::min(
                leastDifference, ColourDifference(LabOf(KindColour(i)), LabOf(KindColour(j))));
    }
    std::printf("palette: %zu colours, least contrast %.2f:1, least CIEDE2000 %.1f\n", kPaletteSize,
                leastContrast, leastDifference);
    EXPECT_GE(leastContrast, 3.0);
    EXPECT_GE(leastDifference, 15.0);
    EXPECT_NEAR(21.0, ContrastRatio(white, black), 0.01);
    // The published test pairs of CIEDE2000.
    struct Pair {
        LabColour first;
        LabColour second;
        double difference;
    };
    const Pair pairs[] = {
        {{50.0, 2.6772, -79.7751}, {50.0, 0.0, -82.7485}, 2.0425},
        {{50.0, 0.0, 0.0}, {50.0, -1.0, 2.0}, 2.3669},
        {{50.0, 2.5, 0.0}, {50.0, 0.0, -2.5}, 4.3065},
        {{50.0, 2.5, 0.0}, {73.0, 25.0, -18.0}, 27.1492},
    };
    for (const Pair& pair : pairs)
        EXPECT_NEAR(pair.difference, ColourDifference(pair.first, pair.second), 0.0001);
}

TEST(InstallRecord, NamesAndFingerprintsComeBackWhole) {
    InstallRecord record;
    record.items.push_back({{ItemKind::kSearchTemplate, "Lumbrasket: A\tB\\n"}, "<a>\n\r\\</a>"});
    record.items.push_back({{ItemKind::kColumnView, ""}, ""});
    record.files.push_back({"/x/y\tz", 18446744073709551615ull});
    InstallRecord back;
    ASSERT_TRUE(ParseRecord(RecordText(record), back));
    ASSERT_EQ(2u, back.items.size());
    EXPECT_EQ(ItemKind::kSearchTemplate, back.items[0].item.kind);
    EXPECT_EQ(record.items[0].item.name, back.items[0].item.name);
    EXPECT_EQ(record.items[0].fingerprint, back.items[0].fingerprint);
    EXPECT_EQ(ItemKind::kColumnView, back.items[1].item.kind);
    ASSERT_EQ(1u, back.files.size());
    EXPECT_EQ(record.files[0].path, back.files[0].path);
    EXPECT_EQ(record.files[0].hash, back.files[0].hash);
    EXPECT_FALSE(ParseRecord("[Groups]\n0=txt\n", back));
}

} // namespace
