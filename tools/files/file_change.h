// A change of several files that stands whole, through a failure or a kill
// on the way: every new file is first written beside its place, then a
// journal naming each of them is put on the disk, and only then does each
// take its place and each file to go go. A run that stops after the journal
// leaves it, and the next run carries it out (FinishChange) before it does
// anything else, which it may do any number of times; one that stops
// before leaves only temporary files, which the next run removes
// (RemoveLeftTemporaries). The journal is the change's only mark: a run
// that finds none has nothing to finish.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct FileChange {
    // A file's new text, written at `temporary` beside it, to take the
    // place of the file as it was then (`existed`, with bytes of hash
    // `before`): a file changed by another since keeps its change.
    struct Put {
        std::string file;
        std::string temporary;
        bool existed = false;
        std::uint64_t before = 0;
    };
    // A file to take away while its bytes still hash to `hash`, with its
    // folder when that is left empty and `folderToo`.
    struct Removal {
        std::string file;
        std::uint64_t hash = 0;
        bool folderToo = false;
    };
    std::vector<Put> puts; // in their order, before the removals
    std::vector<Removal> removals;
};

// The tag in the names of the temporary files a change writes.
constexpr const char* kChangeTag = "lumbrasket";

// Writes `text` beside `file` for the change (PrepareReplacement), made
// from the file's text `basis` (null: from the file as it is now); false
// with the reason.
bool StagePut(FileChange& change, const std::string& file, const std::string& text,
              const std::string* basis, std::string& reason);
// Takes away what was staged, for a change given up before its journal.
void DiscardChange(const FileChange& change);

// What a change left undone that it need not stop for: removals whose file
// could not go or has other bytes now, and files another changed after the
// new text was written beside them, whose new text was dropped.
struct ChangeLeftovers {
    std::vector<FileChange::Removal> kept;
    std::vector<std::string> dropped;
};

enum class ChangeResult {
    kDone,       // carried out; what it left undone is in the leftovers
    kNotStarted, // nothing changed (the journal could not be written)
    kHalfDone,   // a file could not take its place: the journal stays
};

// Puts the journal at `journal` on the disk, then carries the change out.
ChangeResult CommitChange(const std::string& journal, const FileChange& change,
                          ChangeLeftovers& left, std::string& reason);

// Carries out the change a journal at `journal` names, left by a run that
// stopped; `found` tells whether there was one. kNotStarted when there was
// none or it is not a journal (it stays, and `reason` says so).
ChangeResult FinishChange(const std::string& journal, bool& found, ChangeLeftovers& left,
                          std::string& reason);

// Removes the temporary files a writer stopped before its journal left
// beside `file` (`file`.~`tag`N), and only those names.
void RemoveLeftTemporaries(const std::string& file, const char* tag);
