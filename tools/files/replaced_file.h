// Replacing a file the user keeps, so that no reader ever sees half of it and
// nothing of the user's own arrangement is lost: a symbolic link stays a link
// (the file it leads to is written), the file's permissions stay, and the new
// text is on the disk before it takes the old one's place. `init` writes its
// table this way, `install` the host's settings.
#pragma once

#include "settings/profile_section.h"

#include <cstdint>
#include <filesystem>
#include <string>

// The file a path leads to through its symbolic links; a link that names
// nothing leads to the file to make. Empty, with the reason in `problem`, for
// a loop or a link that cannot be read. MinGW's library sees no links on
// Windows (it looks at an entry through its link and cannot read one): there
// the path is taken as it is.
std::string FollowLinks(const std::string& path, std::string& problem);

// What stands in the way of a file at a path, in words ("a folder", "a
// FIFO (a named pipe)"...); null for a regular file or nothing there.
const char* NoPlaceForAFile(std::filesystem::file_type type);

// The name of a fresh file beside `target`, holding `text` and on the disk;
// empty, with the system's error set, when none could be made and written.
// `tag` goes into the name (`target`.~`tag`N), so that a file left by a
// writer killed mid-way says who left it.
// Temporary names tried before giving up: each is left only by a writer
// stopped mid-way.
constexpr int kTemporaryNames = 100;
std::string WriteTemporary(const std::string& target, const std::string& text, const char* tag);

// Deletes a file the tool made, read-only or not (a temporary given a
// read-only file's protection is not deleted as it is); true when it is
// gone.
bool RemoveOwnFile(const std::string& file);

// Gives `temporary` the permissions of `old` (on Windows its access list: a
// read-only file is not replaced there, the rename over it fails), so that
// a file kept private stays private. True when
// done or when `old` is gone; false with the reason.
bool KeepPermissions(const std::string& old, const std::string& temporary, std::string& reason);

// The most ReadWholeFile reads: the bound the plugin puts on its own
// settings file, far above any file of settings, and small enough that a
// file of gigabytes (or a device that never ends) cannot take the memory.
constexpr std::uint64_t kLargestReadFile = ProfileSection::kLargestFile;

// The whole file's bytes into `text`; false with the reason: the system's,
// what the path leads to when that is not a regular file (a FIFO may never
// end, nor a device), or that the file is larger than kLargestReadFile.
bool ReadWholeFile(const std::string& path, std::string& text, std::string& reason);

// Puts `text` in place of the file at `file` (the file a link leads to, as
// FollowLinks gives it) through a temporary file beside it, keeping the old
// file's permissions; a missing file is made. False with the reason, the
// old file untouched.
bool ReplaceWithText(const std::string& file, const std::string& text, const char* tag,
                     std::string& reason);

// ReplaceWithText in two halves, for a change of several files that is to
// stand whole or not at all: every new text is put beside its file first,
// and only then does each take its file's place. PrepareReplacement gives
// the temporary file, on the disk with the old file's permissions (empty,
// with the reason, when none could be made); PutInPlace renames it over the
// file (false with the reason, the temporary removed).
std::string PrepareReplacement(const std::string& file, const std::string& text, const char* tag,
                               std::string& reason);
bool PutInPlace(const std::string& temporary, const std::string& file, std::string& reason);

// Writes `text` to a new file at `path` with the permissions of `like`, on
// the disk before it has its name; never over an existing file (false with
// the reason then, as for any failure).
bool WriteNewFile(const std::string& path, const std::string& text, const std::string& like,
                  std::string& reason);
