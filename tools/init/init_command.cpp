// The init command: the database, the table, and its safe way to the disk.
#include "init_command.h"

#include "check_helpers.h"
#include "mime_database.h"
#include "plugin_name.h"
#include "registry_types.h"
#include "sample_table.h"
#include "system_error_text.h"
#include "table_builder.h"
#include "win32.h"

#include <cstdio>
#include <filesystem>

namespace {

// Below what the system gives a type of its own, so the system wins every
// pattern it knows.
constexpr int kSampleWeight = 0;
// Temporary names tried before giving up: each is left only by a writer
// killed mid-way.
constexpr int kTemporaryNames = 100;

void Say(std::FILE* stream, const std::string& text) {
    std::fprintf(stream, "%s\n", PrintableText("lumbrasket: " + text).c_str());
}

std::string FullPath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(path, error);
    return error ? path : full.lexically_normal().make_preferred().string();
}

// Writes the text to a fresh file beside `target` and gives its name; empty,
// with the system's error set, when none could be made and written.
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
        const bool wrote =
            WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != 0 &&
            written == text.size();
        const DWORD error = GetLastError();
        const bool closed = CloseHandle(file) != 0;
        if (wrote && closed)
            return temporary;
        DeleteFileA(temporary.c_str());
        SetLastError(wrote ? ERROR_DISK_FULL : error);
        return std::string();
    }
    SetLastError(ERROR_FILE_EXISTS);
    return std::string();
}

} // namespace

TypeDatabase SystemTypeDatabase() {
    TypeDatabase database = kFileTypesInRegistry
                                ? ReadRegistryTypes(HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT")
                                : ReadMimeDatabase(MimeFoldersOfEnvironment());
    if (kFileTypesInRegistry || database.globs.empty()) {
        AddSampleGroups(database, kSampleWeight);
        database.source += ", and the sample's groups where it knows nothing";
    }
    return database;
}

InitOutcome RunInit(const std::string& output, bool force) {
    const bool toStandardOutput = output == "-";
    const std::string target =
        FullPath(output.empty() ? std::string(kPluginName) + ".ini" : output);
    if (!toStandardOutput && !force &&
        GetFileAttributesA(target.c_str()) != INVALID_FILE_ATTRIBUTES) {
        Say(stderr, target + " exists; --force replaces it");
        return InitOutcome::kOutputExists;
    }
    const TypeDatabase database = SystemTypeDatabase();
    const InitTable table = BuildInitTable(database);
    const std::string summary = std::to_string(table.patterns) + " patterns in " +
                                std::to_string(table.groups) + " groups, from " + database.source;
    if (toStandardOutput) {
        std::fwrite(table.text.data(), 1, table.text.size(), stdout);
        std::fflush(stdout);
        Say(stderr, "wrote " + summary);
        return InitOutcome::kWritten;
    }
    const std::string temporary = WriteTemporary(target, table.text);
    if (temporary.empty()) {
        Say(stderr, "cannot write beside " + target + ": " + SystemErrorText(GetLastError()));
        return InitOutcome::kCannotWrite;
    }
    // Without --force the rename itself refuses an existing file, so one
    // made since the check above is not lost either.
    if (!MoveFileExA(temporary.c_str(), target.c_str(), force ? MOVEFILE_REPLACE_EXISTING : 0)) {
        const DWORD error = GetLastError();
        DeleteFileA(temporary.c_str());
        if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) {
            Say(stderr, target + " exists; --force replaces it");
            return InitOutcome::kOutputExists;
        }
        Say(stderr, "cannot write " + target + ": " + SystemErrorText(error));
        return InitOutcome::kCannotWrite;
    }
    Say(stdout, "wrote " + target + ": " + summary);
    return InitOutcome::kWritten;
}
