// install and uninstall against the settings file Double Commander 1.0.10
// wrote at its first start: what they add, that nothing of the user's is
// lost (the file after uninstall is the original, byte for byte), and that
// every refusal leaves the host's files as they were.
#include "tests/support/scratch_folder.h"
#include "tools/files/replaced_file.h"
#include "tools/install/install_command.h"
#include "tools/install/install_record.h"
#include "tools/install/kind_palette.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <cstdlib>
#include <fstream>
#include <functional>
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
    };
    const Row rows[] = {
        {"host without a settings folder of its own", "", InstallOutcome::kHostRunning},
        {"host on these settings", "config", InstallOutcome::kHostRunning},
        {"host on other settings", "elsewhere", InstallOutcome::kDone},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        UserFolders setup(FirstStart());
        const std::string configDir =
            row.configDir[0] == '\0' ? "" : setup.scratch.MakeFolder(row.configDir);
        FakeHost host(setup.scratch, configDir);
        EXPECT_EQ(row.expected, RunInstall(setup.request));
        EXPECT_EQ(row.expected == InstallOutcome::kDone,
                  FirstStart() != ReadFileBytes(setup.settings));
    }
}

TEST(KindPalette, EveryColourReadsOnWhiteAndOnBlackAndNoTwoAreAlike) {
    const PaletteColour white{255, 255, 255};
    const PaletteColour black{0, 0, 0};
    for (std::size_t i = 0; i < kPaletteSize; ++i) {
        SCOPED_TRACE(i);
        EXPECT_GE(ContrastRatio(KindColour(i), white), 3.0);
        EXPECT_GE(ContrastRatio(KindColour(i), black), 3.0);
        for (std::size_t j = 0; j < i; ++j) {
            const PaletteColour a = KindColour(i);
            const PaletteColour b = KindColour(j);
            EXPECT_GT(std::abs(a.red - b.red) + std::abs(a.green - b.green) +
                          std::abs(a.blue - b.blue),
                      48)
                << j;
        }
    }
    EXPECT_NEAR(21.0, ContrastRatio(white, black), 0.01);
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
