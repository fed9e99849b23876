// Linux: settings files parsed once and kept while they stay unchanged, as
// the system keeps the file it last read, so that reading a file key by key
// costs one parse and not one per key.
#pragma once

#include "platform/text/ini_text.h"
#include <memory>

// The parsed file, or null when the path names no regular file that can be
// read (missing, a folder, a FIFO, a device: never opened so as to block).
std::shared_ptr<const IniFile> LoadIniFile(const char* fileName);

// Drops every kept file; a write calls it, so the next read sees the write.
void ForgetIniFiles();
