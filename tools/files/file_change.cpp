// A change of several files carried out through its journal.
#include "tools/files/file_change.h"

#include "platform/system_error_text.h"
#include "platform/text/fnv_hash.h"
#include "platform/win32.h"
#include "tools/files/replaced_file.h"
#include "tools/files/tab_fields.h"

#include <cstdlib>

namespace {

const char* const kFirstLine =
    "# lumbrasket: a change of several files under way; the next install or uninstall "
    "finishes it";

std::string JournalText(const FileChange& change) {
    std::string text = std::string(kFirstLine) + "\n";
    for (const FileChange::Put& put : change.puts)
        text += "put\t" + EscapedField(put.file) + "\t" + EscapedField(put.temporary) + "\t" +
                (put.existed ? std::to_string(put.before) : "-") + "\n";
    for (const FileChange::Removal& removal : change.removals)
        text += "remove\t" + EscapedField(removal.file) + "\t" + std::to_string(removal.hash) +
                "\t" + (removal.folderToo ? "folder" : "") + "\n";
    return text;
}

bool ParseJournal(const std::string& text, FileChange& change) {
    if (text.compare(0, std::string(kFirstLine).size(), kFirstLine) != 0)
        return false;
    for (const std::string& line : LinesOf(text)) {
        const std::vector<std::string> fields = FieldsOf(line);
        if (fields.size() == 4 && fields[0] == "put")
            change.puts.push_back({fields[1], fields[2], fields[3] != "-",
                                   std::strtoull(fields[3].c_str(), nullptr, 10)});
        else if (fields.size() == 4 && fields[0] == "remove")
            change.removals.push_back(
                {fields[1], std::strtoull(fields[2].c_str(), nullptr, 10), fields[3] == "folder"});
    }
    return true;
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Whether the file is there, and the hash of its bytes.
bool HashOf(const std::string& path, std::uint64_t& hash) {
    std::string bytes;
    std::string reason;
    if (!ReadWholeFile(path, bytes, reason))
        return false;
    hash = FnvHash(bytes);
    return true;
}

// The change carried out from wherever it stopped: a put whose temporary is
// gone has taken its place already, a removal whose file is gone was made.
ChangeResult CarryOut(const std::string& journal, const FileChange& change, ChangeLeftovers& left,
                      std::string& reason) {
    for (const FileChange::Put& put : change.puts) {
        if (!Exists(put.temporary))
            continue;
        std::uint64_t now = 0;
        const bool exists = HashOf(put.file, now);
        if (exists != put.existed || (exists && now != put.before)) {
            RemoveOwnFile(put.temporary);
            left.dropped.push_back(put.file);
            continue;
        }
        if (!MoveFileExA(put.temporary.c_str(), put.file.c_str(), MOVEFILE_REPLACE_EXISTING)) {
            reason =
                "cannot put the new " + put.file + " in place: " + SystemErrorText(GetLastError());
            return ChangeResult::kHalfDone;
        }
    }
    for (const FileChange::Removal& removal : change.removals) {
        if (!Exists(removal.file))
            continue;
        std::uint64_t now = 0;
        if (!HashOf(removal.file, now) || now != removal.hash ||
            !DeleteFileA(removal.file.c_str())) {
            left.kept.push_back(removal);
            continue;
        }
        if (removal.folderToo) {
            const std::string folder = removal.file.substr(0, removal.file.find_last_of("\\/"));
            RemoveDirectoryA(folder.c_str()); // when nothing else is in it
        }
    }
    if (!DeleteFileA(journal.c_str()) && Exists(journal)) {
        reason = "cannot remove " + journal +
                 ", the journal of the change, which is done: " + SystemErrorText(GetLastError());
        return ChangeResult::kHalfDone;
    }
    return ChangeResult::kDone;
}

} // namespace

bool StagePut(FileChange& change, const std::string& file, const std::string& text,
              const std::string* basis, std::string& reason) {
    FileChange::Put put{file, std::string(), false, 0};
    put.existed = basis != nullptr || HashOf(file, put.before);
    if (basis != nullptr)
        put.before = FnvHash(*basis);
    put.temporary = PrepareReplacement(file, text, kChangeTag, reason);
    if (put.temporary.empty())
        return false;
    change.puts.push_back(put);
    return true;
}

void DiscardChange(const FileChange& change) {
    for (const FileChange::Put& put : change.puts)
        RemoveOwnFile(put.temporary);
}

ChangeResult CommitChange(const std::string& journal, const FileChange& change,
                          ChangeLeftovers& left, std::string& reason) {
    if (!ReplaceWithText(journal, JournalText(change), kChangeTag, reason)) {
        reason = "cannot write " + journal + ": " + reason;
        DiscardChange(change);
        return ChangeResult::kNotStarted;
    }
    return CarryOut(journal, change, left, reason);
}

ChangeResult FinishChange(const std::string& journal, bool& found, ChangeLeftovers& left,
                          std::string& reason) {
    found = Exists(journal);
    if (!found)
        return ChangeResult::kNotStarted;
    std::string text;
    FileChange change;
    if (!ReadWholeFile(journal, text, reason) || !ParseJournal(text, change)) {
        reason = journal + " is not a journal this tool can carry out" +
                 (reason.empty() ? std::string() : ": " + reason) +
                 "; look at it, and remove it when nothing is to be finished";
        return ChangeResult::kNotStarted;
    }
    return CarryOut(journal, change, left, reason);
}

void RemoveLeftTemporaries(const std::string& file, const char* tag) {
    for (int number = 0; number < kTemporaryNames; ++number)
        RemoveOwnFile(file + ".~" + tag + std::to_string(number));
}
