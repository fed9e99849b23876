// The host's settings files as install and uninstall touch them: the
// checks made before anything is changed (the file is there, the host is
// not running, the files read are the host's, from a version the tests
// cover), the run's lock and the finishing of a change an earlier run left
// half made, the record of what install added, and the one change of
// every file a run touches, made whole or not at all.
#pragma once

#include "platform/file_lock.h"
#include "tools/files/file_change.h"
#include "tools/install/host_settings_document.h"
#include "tools/install/install_command.h"
#include "tools/install/install_record.h"

#include <string>
#include <vector>

// The host's settings, read and parsed, and where their main file lies.
struct HostFile {
    std::string folder;
    std::string path; // as the host names it
    HostSettingsDocument document;
    FileLock lock; // held for the run, unless it is a dry run
};

// kDone when the host's settings may be changed; otherwise the refusal,
// with what was said. Unless `request.dryRun`, the run's lock is taken
// first (a run that holds it is waited for a while), and a change an
// earlier run left half made is finished, its leftovers removed.
InstallOutcome OpenHostFile(const InstallRequest& request, HostFile& host);

// A plugin file a run copies in: its bytes and where they go.
struct CopiedFile {
    std::string path;
    std::string bytes;
};

// What a run changes besides the host's settings (whose changes the
// document holds): files copied in, files taken away, and the record as it
// is to be afterwards (the file taken away when it lists nothing).
struct HostChange {
    std::vector<CopiedFile> copies;
    std::vector<FileChange::Removal> removals;
    InstallRecord record;
};

// Makes the change whole: every file checked first (a regular file that
// may be replaced, not read-only, not held by another program, a settings
// file not one of several names of itself), the one copy of each host file
// from before the first change kept, then all of it through one journal.
// kDone when done; a removal that could not be made is put back on the
// record, and the outcome is then kCannotWrite, as for any failure, with
// what was said.
InstallOutcome WriteHostChange(const HostFile& host, HostChange& change);

// The record beside the host's main file; `found` false when there is none
// or it is not a record.
InstallRecord ReadRecord(const HostFile& host, bool& found);

// After the change: kDone, or kHostRunning, said, when the host has started
// meanwhile (it may write its settings back when it quits).
InstallOutcome LookForTheHostAgain(const HostFile& host);

// Lines for the person running the tool: what is done on the standard
// output, a refusal on the error output; both printable.
void Say(const std::string& text);
void Complain(const std::string& text);
std::string Quoted(const std::string& text);
std::string FolderOf(const std::string& path);
