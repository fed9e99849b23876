// `lumbrasket init`: a settings file of every file type this system knows,
// grouped into kinds, written where the user says.
#pragma once

#include "tools/init/type_records.h"

#include <string>

// This system's type database: the registry's extension keys on Windows,
// where the sample's groups fill in what the registry does not know, and the
// shared MIME-info database elsewhere (the sample only when it is missing).
TypeDatabase SystemTypeDatabase();

enum class InitOutcome { kWritten, kOutputExists, kCannotWrite };

// Whether the table was written to `output` ("-": the standard output, and
// what was done to the error output), or why not. It goes through a
// temporary file in the same folder that is on the disk before it is
// renamed into place, so a reader never sees half a file. Symbolic links
// there are followed: the link stays, and the file it leads to is written.
// An existing file is replaced only when `force` says so, keeping its
// permissions, and never when it is read-only; a folder, a FIFO or a device
// never. Prints what it did or why not.
InitOutcome RunInit(const std::string& output, bool force);
