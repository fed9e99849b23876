// Reading the shared MIME-info database of a Linux desktop: the globs2 and
// generic-icons files of each mime folder, in the folders' order of
// precedence.
#pragma once

#include "tools/init/type_records.h"

#include <string>
#include <vector>

// The mime folders in order of precedence, the first the strongest: the one
// under the data home (`dataHome`, else `home`/.local/share), then one under
// each folder of `dataDirs` (':' between them, else /usr/local/share and
// /usr/share). An unset or empty variable takes its default; relative
// folders are ignored, and a folder named twice counts once, at its first
// place.
std::vector<std::string> MimeFolders(const char* dataHome, const char* dataDirs, const char* home);
// The same from this process's XDG_DATA_HOME, XDG_DATA_DIRS and HOME.
std::vector<std::string> MimeFoldersOfEnvironment();

// The records of the folders' globs2 files, the stronger folder's lines
// first, each with the kind the kind table gives its type. A type's generic
// icon comes from the strongest folder that names one; a type marked
// __NOGLOBS__ in a folder keeps no pattern of the folders after it. Missing
// files and malformed lines are passed over; a file that is there but cannot
// be read (a FIFO or a device is not read at all, nor a file past
// kLargestReadFile) is named in the source text with the reason, and so is
// a database of which no globs2 file could be read.
TypeDatabase ReadMimeDatabase(const std::vector<std::string>& folders);
