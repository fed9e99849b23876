// Entries made by their Unicode names, and the path by which a host names
// each: on Windows the host converts names to the system's 8-bit code page,
// with '?' for a character it lacks; on Linux it passes the UTF-8 bytes whole.
#pragma once

#include <string>

// The code page of the paths the host passes: the system's 8-bit code page on
// Windows, 65001 (UTF-8) on Linux.
int HostCodePage();

// The path of the entry at `utf8Relative`, '/' between its parts, below
// `root`, as the host passes it.
std::string HostPathOf(const std::string& root, const std::string& utf8Relative);
// Makes the file (or the folder) there, and the folders above it; false when
// it could not be made.
bool MakeEntryByUnicodeName(const std::string& root, const std::string& utf8Relative, bool folder);
