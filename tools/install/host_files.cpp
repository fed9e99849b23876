// The host's settings files, kept safe: checked before, changed once after,
// through one journal, under one lock.
#include "tools/install/host_files.h"

#include "platform/console_text.h"
#include "platform/file_protection.h"
#include "platform/running_programs.h"
#include "platform/system_error_text.h"
#include "platform/text/fnv_hash.h"
#include "platform/text/path_spelling.h"
#include "platform/text/printable_text.h"
#include "platform/win32.h"
#include "settings/bounded_string.h"
#include "settings/settings_location.h"
#include "tools/files/replaced_file.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// The suffix of the one copy of a host file as it was before install first
// changed it, and the tag of the temporaries it is written through.
const char* const kBackupSuffix = ".before-lumbrasket";
const char* const kBackupTag = "new";
// The run's lock and the journal of a change under way, beside the record.
const char* const kLockName = "Lumbrasket.lock";
const char* const kJournalName = "Lumbrasket.journal";
// How long a run waits for another to finish with the same settings.
constexpr unsigned kLockWaitMilliseconds = 30 * 1000;
// The names install copies into the plugin's folder.
const char* const kCopiedNames[] = {"Lumbrasket.wdx", "Lumbrasket.wdx64", "Lumbrasket.ini"};

bool HostRuns(const HostFile& host) {
    bool running = false;
    for (const char* program : HostSettingsDocument::ProgramNames())
        for (const auto& arguments : RunningProgramArguments(program))
            running = running || HostSettingsDocument::MayWriteFolder(arguments, host.folder);
    return running;
}

// The file a host file's path leads to; the path itself when that cannot be
// told (Load has read it, so a loop was refused before).
std::string RealFile(const std::string& path) {
    std::string problem;
    const std::string real = FollowLinks(path, problem);
    return real.empty() ? path : real;
}

// Whether the file at `path` (if there is one) may be replaced or removed
// by this run, with why not: a file of another kind, a read-only file, one
// that another program holds so that it cannot be replaced, and for a
// settings file one of several names of one file, which a new file in its
// place would part.
bool MayReplace(const std::string& path, bool settings, std::string& problem) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (status.type() == fs::file_type::not_found)
        return true;
    if (const char* what = NoPlaceForAFile(status.type())) {
        problem = path + " is " + what;
        return false;
    }
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        problem = path + " is read-only; make it writable for this to change it";
        return false;
    }
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE | DELETE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        problem = "cannot open " + path + " for writing: " + SystemErrorText(code) +
                  (code == ERROR_SHARING_VIOLATION ? " (another program holds it open)" : "");
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const bool linked =
        settings && GetFileInformationByHandle(file, &info) && info.nNumberOfLinks > 1;
    CloseHandle(file);
    if (linked) {
        problem = path + " has " + std::to_string(info.nNumberOfLinks) +
                  " names (hard links): a new file in its place would part them, and one " +
                  "name would keep the old settings; give it one name (a symbolic link " +
                  "is followed)";
        return false;
    }
    return true;
}

// Makes the folder and those above it that are missing, each the user's
// own (on Linux not even the user's group may write it, whatever the
// umask: a folder install made must pass its own check the next time);
// `made` gets each folder made, the deepest last.
void MakeFolders(const fs::path& folder, std::vector<std::string>& made) {
    std::error_code error;
    if (folder.empty() || fs::exists(folder, error))
        return;
    const fs::path up = folder.parent_path();
    if (up != folder)
        MakeFolders(up, made);
    if (MakeOwnFolder(folder.string().c_str()))
        made.push_back(folder.string());
}

// Says what the change left undone, and puts the files whose removal
// failed back on the record, for a later uninstall; true when it left
// nothing undone.
bool PutBackOnRecord(const std::string& recordPath, InstallRecord& record,
                     const ChangeLeftovers& left) {
    for (const std::string& file : left.dropped)
        Complain(file + " was changed by another program while this ran: its part of the " +
                 "change is dropped; run the command again");
    bool onRecord = false;
    for (const FileChange::Removal& removal : left.kept) {
        if (removal.file == recordPath) {
            Complain("cannot remove " + recordPath + ", which lists nothing now");
            continue;
        }
        Complain("cannot remove " + removal.file + ": it stays, and on the record, for a later " +
                 "uninstall");
        record.files.push_back({removal.file, removal.hash});
        onRecord = true;
    }
    std::string reason;
    if (onRecord && !ReplaceWithText(recordPath, RecordText(record), kChangeTag, reason))
        Complain("cannot write " + recordPath + ": " + reason);
    return !onRecord && left.dropped.empty();
}

// A change an earlier run left half made, carried out; its leftovers
// before its journal are removed after the settings are read.
InstallOutcome FinishEarlierChange(const HostFile& host) {
    const std::string journal = host.folder + kJournalName;
    bool found = false;
    ChangeLeftovers left;
    std::string reason;
    const ChangeResult result = FinishChange(journal, found, left, reason);
    if (!found)
        return InstallOutcome::kDone;
    if (result != ChangeResult::kDone) {
        Complain("an earlier run left a change half made, and it cannot be finished: " + reason +
                 "; run this again once that is mended");
        return InstallOutcome::kCannotWrite;
    }
    Say("finished the change an earlier run left half made (" + journal + ")");
    bool recorded = false;
    InstallRecord record = ReadRecord(host, recorded);
    PutBackOnRecord(host.folder + kInstallRecordName, record, left);
    return InstallOutcome::kDone;
}

// The temporary files a run stopped before its journal left: beside each of
// the host's files, their first copies, the record, the journal and in the
// plugin's folder, by their names alone.
void RemoveLeftovers(const InstallRequest& request, const HostFile& host) {
    for (const SettingsFile& file : host.document.Files()) {
        const std::string real = RealFile(file.path);
        RemoveLeftTemporaries(real, kChangeTag);
        RemoveLeftTemporaries(real + kBackupSuffix, kBackupTag);
    }
    RemoveLeftTemporaries(host.folder + kInstallRecordName, kChangeTag);
    RemoveLeftTemporaries(host.folder + kJournalName, kChangeTag);
    std::string problem;
    const std::string folder = HostSettingsDocument::PluginFolder(request.hostProgram, problem);
    if (folder.empty())
        return;
    for (const char* name : kCopiedNames)
        RemoveLeftTemporaries(folder + name, kChangeTag);
    RemoveDirectoryA(folder.c_str()); // when nothing else is in it
}

} // namespace

void Say(const std::string& text) {
    WriteConsoleText(stdout, PrintableText(text) + "\n");
}
void Complain(const std::string& text) {
    WriteConsoleText(stderr, PrintableText("lumbrasket: " + text) + "\n");
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string FolderOf(const std::string& path) {
    char folder[kPathBufferSize] = {};
    CutToDirectory(folder, path.c_str());
    return folder;
}

InstallOutcome OpenHostFile(const InstallRequest& request, HostFile& host) {
    const char* hostName = HostSettingsDocument::HostName();
    host.path = request.mainSettingsFile;
    host.folder = FolderOf(host.path);
    std::string problem;
    if (!host.path.empty() && FollowLinks(host.path, problem).empty()) {
        Complain(problem + "; it is left as it is");
        return InstallOutcome::kUnreadableSettings;
    }
    if (host.folder.empty() || !PathExists(host.path.c_str())) {
        Complain(std::string("no ") + HostSettingsDocument::FileName() + " in " +
                 (host.folder.empty() ? std::string("the host's settings folder") : host.folder) +
                 ": " + hostName + " writes its settings when it first starts; start it once, " +
                 "quit it, then run this again");
        return InstallOutcome::kNoHostSettings;
    }
    Say(std::string(hostName) + "'s settings: " + host.path);
    // A dry run only reads: it shows what a run would change all the same.
    if (HostRuns(host) && request.dryRun) {
        Say("note: " + std::string(hostName) + " is running: the run itself would be refused " +
            "until you quit it (it writes its settings when it quits)");
    } else if (HostRuns(host)) {
        Complain(std::string(hostName) + " is running: quit it first (it writes its settings " +
                 "when it quits, which would undo this change or lose changes of yours)");
        return InstallOutcome::kHostRunning;
    }
    if (!request.dryRun) {
        bool busy = false;
        if (!host.lock.Take(host.folder + kLockName, kLockWaitMilliseconds, busy, problem)) {
            Complain(busy ? "another install or uninstall runs on these settings (" + problem +
                                "): run this again when it is done"
                          : problem);
            return InstallOutcome::kCannotWrite;
        }
        const InstallOutcome finished = FinishEarlierChange(host);
        if (finished != InstallOutcome::kDone)
            return finished;
    } else if (PathExists((host.folder + kJournalName).c_str())) {
        Say("note: an earlier run left a change half made; the next install or uninstall "
            "finishes it first");
    }
    if (!host.document.Load(host.path, problem)) {
        Complain(problem + "; it is left as it is");
        return InstallOutcome::kUnreadableSettings;
    }
    const std::string version = host.document.HostVersion();
    const std::string tested = HostSettingsDocument::TestedVersion();
    if (!tested.empty() && version != tested) {
        Complain(host.path + " was written by " + hostName + " " +
                 (version.empty() ? "of a version it does not name" : version) +
                 "; install knows only the settings of " + hostName + " " + tested +
                 ", and leaves others as they are");
        return InstallOutcome::kUntestedHost;
    }
    if (!request.dryRun)
        RemoveLeftovers(request, host);
    return InstallOutcome::kDone;
}

InstallOutcome WriteHostChange(const HostFile& host, HostChange& change) {
    const std::string recordPath = host.folder + kInstallRecordName;
    const bool noRecord = change.record.items.empty() && change.record.files.empty();
    struct Target {
        std::string file;
        const std::string* text;
        const std::string* before; // a settings file's text as read; null for others
    };
    std::vector<Target> targets;
    const std::vector<SettingsFile> files = host.document.Files();
    for (const CopiedFile& copy : change.copies)
        targets.push_back({copy.path, &copy.bytes, nullptr});
    for (const SettingsFile& file : files)
        if (file.after != file.before)
            targets.push_back({RealFile(file.path), &file.after, &file.before});
    const std::string recordText = RecordText(change.record);
    if (!noRecord)
        targets.push_back({recordPath, &recordText, nullptr});
    std::string recordBytes;
    std::string unread;
    if (noRecord && ReadWholeFile(recordPath, recordBytes, unread))
        change.removals.push_back({recordPath, FnvHash(recordBytes), false});

    const auto refuse = [](const std::string& why) {
        Complain(why + "; the host's files are left as they were");
        return InstallOutcome::kCannotWrite;
    };
    std::string problem;
    for (const Target& target : targets)
        if (!MayReplace(target.file, target.before != nullptr, problem))
            return refuse(problem);
    for (const FileChange::Removal& removal : change.removals)
        if (!MayReplace(removal.file, false, problem))
            return refuse(problem);

    // What this run makes before its journal is taken away again when it
    // stops short of it.
    FileChange staged;
    std::vector<std::string> backups;
    std::vector<std::string> folders;
    const auto undo = [&] {
        DiscardChange(staged);
        for (const std::string& backup : backups)
            RemoveOwnFile(backup);
        for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder)
            RemoveDirectoryA(folder->c_str());
    };
    for (const Target& target : targets) {
        std::string reason;
        if (target.before != nullptr) {
            const std::string backup = target.file + kBackupSuffix;
            if (!PathExists(backup.c_str())) {
                if (!WriteNewFile(backup, *target.before, target.file, reason)) {
                    undo();
                    return refuse("cannot keep a copy of " + target.file + " at " + backup + ": " +
                                  reason);
                }
                backups.push_back(backup);
            }
        } else {
            MakeFolders(fs::path(target.file).parent_path(), folders);
        }
        if (!StagePut(staged, target.file, *target.text, target.before, reason)) {
            undo();
            return refuse("cannot write " + target.file + ": " + reason);
        }
    }
    staged.removals = change.removals;
    ChangeLeftovers left;
    std::string reason;
    switch (CommitChange(host.folder + kJournalName, staged, left, reason)) {
    case ChangeResult::kNotStarted:
        undo();
        return refuse(reason);
    case ChangeResult::kHalfDone:
        Complain(reason + "; the change is half made: run lumbrasket install or uninstall " +
                 "again to finish it");
        return InstallOutcome::kCannotWrite;
    case ChangeResult::kDone:
        break;
    }
    for (const std::string& backup : backups)
        Say("kept the file as it was at " + backup);
    return PutBackOnRecord(recordPath, change.record, left) ? InstallOutcome::kDone
                                                            : InstallOutcome::kCannotWrite;
}

InstallRecord ReadRecord(const HostFile& host, bool& found) {
    InstallRecord record;
    std::string text;
    std::string reason;
    found =
        ReadWholeFile(host.folder + kInstallRecordName, text, reason) && ParseRecord(text, record);
    return record;
}

InstallOutcome LookForTheHostAgain(const HostFile& host) {
    if (!HostRuns(host))
        return InstallOutcome::kDone;
    Complain(std::string(HostSettingsDocument::HostName()) +
             " started while this ran: it may write its settings back when it quits, "
             "undoing this change; quit it, then run this again");
    return InstallOutcome::kHostRunning;
}
