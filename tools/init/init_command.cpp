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
#include "platform/win32.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Temporary names tried before giving up: each is left only by a writer
// killed mid-way.
constexpr int kTemporaryNames = 100;
// Links followed from the output path before it counts as a loop: as many as
// Linux follows in one path.
constexpr std::size_t kMostLinks = 40;

void Say(std::FILE* stream, const std::string& text) {
    WriteConsoleText(stream, PrintableText("lumbrasket: " + text) + "\n");
}


// The file a path leads to through its symbolic links, so that a settings
// file linked into place from a folder of dotfiles keeps its link and the
// file it names is replaced; a link that names nothing leads to the file to
// make. Empty, with the reason, for a loop or a link that cannot be read.
// MinGW's library sees no links on Windows (it looks at an entry through its
// link and cannot read one): there the path is taken as it is, and a link
// there is replaced by the file.
std::string FollowLinks(const std::string& path, std::string& problem) {
    std::vector<fs::path> passed;
    fs::path at = path;
    std::error_code error;
    while (fs::is_symlink(fs::symlink_status(at, error))) {
        if (std::find(passed.begin(), passed.end(), at) != passed.end()) {
            problem = path + " is a loop of symbolic links";
            return std::string();
        }
        if (passed.size() == kMostLinks) {
            problem =
                path + " leads through more than " + std::to_string(kMostLinks) + " symbolic links";
            return std::string();
        }
        passed.push_back(at);
        const fs::path to = fs::read_symlink(at, error);
        if (error) {
            problem = "cannot follow the link " + at.string() + ": " + error.message();
            return std::string();
        }
        // Taken as the system takes it: a ".." goes up from the real folder,
        // which a lexical tidying would not.
        at = to.is_absolute() ? to : at.parent_path() / to;
    }
    return at.string();
}

// What stands in the way of a settings file at a path, in words; null for
// a file or nothing, and where the path cannot be looked at (the write then
// says why it fails).
const char* NoPlaceForAFile(fs::file_type type) {
    switch (type) {
    case fs::file_type::regular:
    case fs::file_type::not_found:
    case fs::file_type::none:
        return nullptr;
    case fs::file_type::directory:
        return "a folder";
    case fs::file_type::fifo:
        return "a FIFO (a named pipe)";
    case fs::file_type::character:
        return "a character device";
    case fs::file_type::block:
        return "a block device";
    case fs::file_type::socket:
        return "a socket";
    default:
        return "not a regular file";
    }
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

// Writes the text to a fresh file beside `target`, on the disk before it
// may take the old file's place (a crash after the rename must not leave an
// empty settings file), and gives its name; empty, with the system's error
// set, when none could be made and written.
std::string WriteTemporary(const std::string& target, const std::string& text) {
    for (int number = 0; number < kTemporaryNames; ++number) {
        const std::string temporary = target + ".~init" + std::to_string(number);
        HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS)
                continue;
            return std::string();
        }
        DWORD written = 0;
        const bool accepted =
            WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != 0;
        const bool wrote = accepted && written == text.size();
        const bool flushed = wrote && FlushFileBuffers(file) != 0;
        // A write that takes part of the text has filled the disk.
        DWORD error = accepted && !wrote ? ERROR_DISK_FULL : GetLastError();
        const bool closed = CloseHandle(file) != 0;
        if (flushed && closed)
            return temporary;
        // So has, most likely, a close that fails after all went well (a
        // network file system that writes at the close).
        if (flushed)
            error = ERROR_DISK_FULL;
        DeleteFileA(temporary.c_str());
        SetLastError(error);
        return std::string();
    }
    SetLastError(ERROR_FILE_EXISTS);
    return std::string();
}

// Gives the new file the permissions of the one it replaces, so a settings
// file kept private stays private. On Windows the one permission carried is
// the read-only attribute, which a file init replaces does not have (it
// refuses one that has); access lists are not carried, and the new file has
// its folder's. The owner is not carried either: a file written for another
// user is owned by whoever ran init.
bool KeepPermissions(const std::string& old, const std::string& temporary, std::string& reason) {
    std::error_code error;
    const fs::file_status status = fs::status(old, error);
    if (error)
        return true; // gone meanwhile: nothing to keep
    fs::permissions(temporary, status.permissions(), error);
    reason = error.message();
    return !error;
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
    const std::string temporary = WriteTemporary(file, table.text);
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
