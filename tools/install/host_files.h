// The host's settings files as install and uninstall touch them: the
// checks made before anything is changed (the file is there, the host is
// not running, the files read are the host's, from a version the tests
// cover), the record of what install added, and the one write of each file
// with the one copy of it from before the first change.
#pragma once

#include "tools/install/host_settings_document.h"
#include "tools/install/install_command.h"
#include "tools/install/install_record.h"

#include <string>

// The host's settings, read and parsed, and where their main file lies.
struct HostFile {
    std::string folder;
    std::string path; // as the host names it
    HostSettingsDocument document;
};

// kDone when the host's settings may be changed; otherwise the refusal,
// with what was said.
InstallOutcome OpenHostFile(const InstallRequest& request, HostFile& host);

// True when each of the host's files that changed was written (the one
// copy of it from before the first change made first), then the record, or
// the record taken away when it lists nothing. False, with what was said,
// on any failure; `written` tells whether a host file had been changed by
// then.
bool WriteHostFile(const HostFile& host, const InstallRecord& record, bool& written);

// The record beside the host's main file; `found` false when there is none
// or it is not a record.
InstallRecord ReadRecord(const HostFile& host, bool& found);

// Lines for the person running the tool: what is done on the standard
// output, a refusal on the error output; both printable.
void Say(const std::string& text);
void Complain(const std::string& text);
std::string Quoted(const std::string& text);
std::string FolderOf(const std::string& path);
