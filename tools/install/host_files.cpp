// The host's settings files, kept safe: checked before, written once after.
#include "tools/install/host_files.h"

#include "platform/console_text.h"
#include "platform/running_programs.h"
#include "platform/text/path_spelling.h"
#include "platform/text/printable_text.h"
#include "platform/win32.h"
#include "settings/bounded_string.h"
#include "settings/settings_location.h"
#include "tools/files/replaced_file.h"

namespace {

// The suffix of the one copy of a host file as it was before install first
// changed it.
const char* const kBackupSuffix = ".before-lumbrasket";

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
    if (host.folder.empty() || !PathExists(host.path.c_str())) {
        Complain(std::string("no ") + HostSettingsDocument::FileName() + " in " +
                 (host.folder.empty() ? std::string("the host's settings folder") : host.folder) +
                 ": " + hostName + " writes its settings when it first starts; start it once, " +
                 "quit it, then run this again");
        return InstallOutcome::kNoHostSettings;
    }
    Say(std::string(hostName) + "'s settings: " + host.path);
    bool running = false;
    for (const char* program : HostSettingsDocument::ProgramNames())
        for (const auto& arguments : RunningProgramArguments(program))
            running = running || HostSettingsDocument::MayWriteFolder(arguments, host.folder);
    if (running) {
        Complain(std::string(hostName) + " is running: quit it first (it writes its settings " +
                 "when it quits, which would undo this change or lose changes of yours)");
        return InstallOutcome::kHostRunning;
    }
    std::string problem;
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
    return InstallOutcome::kDone;
}

bool WriteHostFile(const HostFile& host, const InstallRecord& record, bool& written) {
    written = false;
    // Every new text is made beside its file before any file is replaced,
    // so that a failure on the way leaves all of them as they were (the
    // host may keep its sections in several files, and the record belongs
    // with them).
    struct Staged {
        std::string temporary;
        std::string file;
    };
    std::vector<Staged> staged;
    std::vector<std::string> backups; // made by this run
    const auto failed = [&staged, &backups](const std::string& what) {
        for (const Staged& change : staged)
            DeleteFileA(change.temporary.c_str());
        for (const std::string& backup : backups)
            DeleteFileA(backup.c_str());
        Complain(what + "; the host's files are left as they were");
        return false;
    };
    for (const SettingsFile& file : host.document.Files()) {
        if (file.after == file.before)
            continue;
        std::string reason;
        const std::string real = FollowLinks(file.path, reason);
        if (real.empty())
            return failed("cannot write " + file.path + ": " + reason);
        const std::string backup = real + kBackupSuffix;
        if (!PathExists(backup.c_str())) {
            if (!WriteNewFile(backup, file.before, real, reason))
                return failed("cannot keep a copy of " + file.path + " at " + backup + ": " +
                              reason);
            backups.push_back(backup);
        }
        const std::string temporary = PrepareReplacement(real, file.after, "lumbrasket", reason);
        if (temporary.empty())
            return failed("cannot write " + file.path + ": " + reason);
        staged.push_back({temporary, real});
    }
    std::string reason;
    const std::string recordPath = host.folder + kInstallRecordName;
    const bool noRecord = record.items.empty() && record.files.empty();
    const std::string recordTemporary =
        noRecord ? std::string()
                 : PrepareReplacement(recordPath, RecordText(record), "lumbrasket", reason);
    if (!noRecord && recordTemporary.empty())
        return failed("cannot write " + recordPath + ": " + reason);
    for (const std::string& backup : backups)
        Say("kept the file as it was at " + backup);
    for (std::size_t i = 0; i < staged.size(); ++i) {
        if (!PutInPlace(staged[i].temporary, staged[i].file, reason)) {
            for (std::size_t later = i + 1; later < staged.size(); ++later)
                DeleteFileA(staged[later].temporary.c_str());
            if (!recordTemporary.empty())
                DeleteFileA(recordTemporary.c_str());
            Complain("cannot write " + staged[i].file + ": " + reason +
                     (written ? "; the files before it were changed, each with its copy kept"
                              : "; the host's files are left as they were"));
            return false;
        }
        written = true;
    }
    if (noRecord ? DeleteFileA(recordPath.c_str()) != 0 || !PathExists(recordPath.c_str())
                 : PutInPlace(recordTemporary, recordPath, reason))
        return true;
    Complain("cannot write " + recordPath + (reason.empty() ? "" : ": " + reason) +
             (written ? "; the host's settings were changed, but uninstall will not know what "
                        "install added"
                      : ""));
    return false;
}

InstallRecord ReadRecord(const HostFile& host, bool& found) {
    InstallRecord record;
    std::string text;
    std::string reason;
    found =
        ReadWholeFile(host.folder + kInstallRecordName, text, reason) && ParseRecord(text, record);
    return record;
}
