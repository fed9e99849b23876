// The init command: the database, the table, and its safe way to the disk.
#include "tools/init/init_command.h"

#include "platform/text/printable_text.h"
#include "platform/console_text.h"
#include "platform/text/full_path.h"
#include "platform/host_policy.h"
#include "tools/init/mime_database.h"
#include "settings/plugin_name.h"
#include "tools/init/registry_types.h"
#include "tools/init/sample_table.h"
#include "platform/system_error_text.h"
#include "tools/init/table_builder.h"
#include "tools/files/replaced_file.h"
#include "platform/win32.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

namespace {

namespace fs = std::filesystem;

void Say(std::FILE* stream, const std::string& text) {
    WriteConsoleText(stream, PrintableText("lumbrasket: " + text) + "\n");
}

// Where the table goes: the file the output path leads to, and the path as
// init names it to the user.
struct OutputPlace {
    std::string file;
    std::string shown;
    bool replaces = false; // a file is there, which --force replaces
};

// The place for the table at the output path; false, with what was said and
// the outcome, when there is none.
bool FindPlace(const std::string& target, bool force, OutputPlace& place, InitOutcome& refusal) {
    std::string problem;
    place.file = FollowLinks(target, problem);
    place.shown = target;
    refusal = InitOutcome::kCannotWrite;
    if (place.file.empty()) {
        Say(stderr, problem);
        return false;
    }
    std::error_code error;
    if (place.file != target) {
        // The file the system finds, however the links spell their way.
        const fs::path real = fs::weakly_canonical(place.file, error);
        place.shown += " (a link to " + (error ? place.file : real.string()) + ")";
    }
    // A folder that is not there is named as the folder, not as the file.
    const fs::path folder = fs::path(place.file).parent_path();
    const fs::file_type folderType = fs::status(folder, error).type();
    if (!folder.empty() && folderType != fs::file_type::directory) {
        Say(stderr,
            "cannot write " + place.shown + ": " + folder.string() +
                (folderType == fs::file_type::not_found ? " does not exist" : " is not a folder"));
        return false;
    }
    const fs::file_type type = fs::status(place.file, error).type();
    if (const char* what = NoPlaceForAFile(type)) {
        Say(stderr, place.shown + " is " + what +
                        ": init writes a settings file only where a file or nothing is");
        return false;
    }
    place.replaces = type == fs::file_type::regular;
    if (place.replaces && !force) {
        Say(stderr, place.shown + " exists; --force replaces it");
        refusal = InitOutcome::kOutputExists;
        return false;
    }
    const DWORD attributes = GetFileAttributesA(place.file.c_str());
    if (place.replaces && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        Say(stderr, place.shown + " is read-only; make it writable for init to replace it");
        return false;
    }
    return true;
}

// Writes the text to the standard output; the system's reason when it
// could not (a full disk, a closed output), which shows at the flush at the
// latest, else empty.
std::string WriteStandardOutput(const std::string& text) {
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), stdout) == text.size() &&
        std::fflush(stdout) == 0 && std::ferror(stdout) == 0)
        return std::string();
    return std::strerror(errno != 0 ? errno : EIO);
}

} // namespace

TypeDatabase SystemTypeDatabase() {
    TypeDatabase database = kFileTypesInRegistry
                                ? ReadRegistryTypes(HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT")
                                : ReadMimeDatabase(MimeFoldersOfEnvironment());
    // The house's opinion first, on every system.
    AddSampleGroups(database);
    database.source += ", after the sample's groups";
    return database;
}

InitOutcome RunInit(const std::string& output, bool force) {
    const bool toStandardOutput = output == "-";
    OutputPlace place;
    InitOutcome refusal = InitOutcome::kCannotWrite;
    if (!toStandardOutput &&
        !FindPlace(FullPath(output.empty() ? std::string(kPluginName) + ".ini" : output), force,
                   place, refusal))
        return refusal;
    const std::string& file = place.file;
    const std::string& shown = place.shown;
    const TypeDatabase database = SystemTypeDatabase();
    const InitTable table = BuildInitTable(database);
    const std::string summary = std::to_string(table.patterns) + " patterns in " +
                                std::to_string(table.groups) + " groups, from " + database.source;
    if (toStandardOutput) {
        const std::string reason = WriteStandardOutput(table.text);
        if (!reason.empty()) {
            Say(stderr, "cannot write the table to the standard output: " + reason);
            return InitOutcome::kCannotWrite;
        }
        Say(stderr, "wrote " + summary);
        return InitOutcome::kWritten;
    }
    const std::string temporary = WriteTemporary(file, table.text, "init");
    if (temporary.empty()) {
        Say(stderr, "cannot write beside " + file + ": " + SystemErrorText(GetLastError()));
        return InitOutcome::kCannotWrite;
    }
    std::string reason;
    if (place.replaces && !KeepPermissions(file, temporary, reason)) {
        DeleteFileA(temporary.c_str());
        Say(stderr, "cannot give the new " + file + " the old one's permissions: " + reason);
        return InitOutcome::kCannotWrite;
    }
    // Without --force the rename itself refuses an existing file, so one
    // made since the check above is not lost either.
    if (!MoveFileExA(temporary.c_str(), file.c_str(), force ? MOVEFILE_REPLACE_EXISTING : 0)) {
        const DWORD error = GetLastError();
        DeleteFileA(temporary.c_str());
        if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) {
            Say(stderr, shown + " exists; --force replaces it");
            return InitOutcome::kOutputExists;
        }
        Say(stderr, "cannot write " + shown + ": " + SystemErrorText(error));
        return InitOutcome::kCannotWrite;
    }
    Say(stdout, "wrote " + shown + ": " + summary);
    return InitOutcome::kWritten;
}
