// Replacing a file the user keeps: the header says what is promised.
#include "tools/files/replaced_file.h"

#include "platform/file_protection.h"
#include "platform/system_error_text.h"
#include "platform/win32.h"

#include <algorithm>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Links followed from the output path before it counts as a loop: as many as
// Linux follows in one path.
constexpr std::size_t kMostLinks = 40;

} // namespace

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

std::string WriteTemporary(const std::string& target, const std::string& text, const char* tag) {
    for (int number = 0; number < kTemporaryNames; ++number) {
        const std::string temporary = target + ".~" + tag + std::to_string(number);
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
        RemoveOwnFile(temporary);
        SetLastError(error);
        return std::string();
    }
    SetLastError(ERROR_FILE_EXISTS);
    return std::string();
}

bool RemoveOwnFile(const std::string& file) {
    if (DeleteFileA(file.c_str()) || GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES)
        return true;
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    return DeleteFileA(file.c_str()) != 0;
}

// The owner is not carried: a file written for another user is owned by
// whoever ran the tool.
bool KeepPermissions(const std::string& old, const std::string& temporary, std::string& reason) {
    std::error_code error;
    if (!fs::exists(old, error))
        return true; // gone meanwhile: nothing to keep
    return CopyFileProtection(old.c_str(), temporary.c_str(), reason);
}

bool ReadWholeFile(const std::string& path, std::string& text, std::string& reason) {
    text.clear();
    // Asked before the open: what is not a file is refused unopened (opening
    // a device may do more than give bytes); the bound below holds for
    // whatever takes the name meanwhile.
    std::error_code error;
    if (const char* what = NoPlaceForAFile(fs::status(path, error).type())) {
        reason = std::string(fs::is_symlink(fs::symlink_status(path, error)) ? "it leads to "
                                                                             : "it is ") +
                 what + ", not a regular file";
        return false;
    }
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        reason = SystemErrorText(GetLastError());
        return false;
    }
    char buffer[1 << 16];
    DWORD read = 0;
    bool ok = true;
    bool tooLarge = false;
    while ((ok = ReadFile(file, buffer, sizeof buffer, &read, nullptr) != 0) && read > 0) {
        if (text.size() + read > kLargestReadFile) {
            tooLarge = true;
            break;
        }
        text.append(buffer, read);
    }
    if (!ok)
        reason = SystemErrorText(GetLastError());
    CloseHandle(file);
    if (tooLarge) {
        text.clear();
        reason = "it is larger than " + std::to_string(kLargestReadFile >> 20) +
                 " MiB, more than any file of settings may be";
    }
    return ok && !tooLarge;
}

std::string PrepareReplacement(const std::string& file, const std::string& text, const char* tag,
                               std::string& reason) {
    const std::string temporary = WriteTemporary(file, text, tag);
    if (temporary.empty()) {
        reason = "cannot write beside it: " + SystemErrorText(GetLastError());
        return std::string();
    }
    if (!KeepPermissions(file, temporary, reason)) {
        RemoveOwnFile(temporary);
        reason = "cannot give the new file the old one's permissions: " + reason;
        return std::string();
    }
    return temporary;
}

bool PutInPlace(const std::string& temporary, const std::string& file, std::string& reason) {
    if (!MoveFileExA(temporary.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        reason = SystemErrorText(GetLastError());
        RemoveOwnFile(temporary);
        return false;
    }
    return true;
}

bool ReplaceWithText(const std::string& file, const std::string& text, const char* tag,
                     std::string& reason) {
    const std::string temporary = PrepareReplacement(file, text, tag, reason);
    return !temporary.empty() && PutInPlace(temporary, file, reason);
}

bool WriteNewFile(const std::string& path, const std::string& text, const std::string& like,
                  std::string& reason) {
    const std::string temporary = WriteTemporary(path, text, "new");
    if (temporary.empty()) {
        reason = SystemErrorText(GetLastError());
        return false;
    }
    // Without the replacing flag the rename refuses a file that is there.
    if (!KeepPermissions(like, temporary, reason) ||
        !MoveFileExA(temporary.c_str(), path.c_str(), 0)) {
        if (reason.empty())
            reason = SystemErrorText(GetLastError());
        RemoveOwnFile(temporary);
        return false;
    }
    return true;
}
