// A path as a host hands it to the plugin: whole, and in this system's own
// spelling.
#pragma once

#include <string>

// The path made absolute against the current folder, its "." and ".."
// components resolved by their text and its separators this system's own;
// the path as given when the system cannot tell the current folder.
std::string FullPath(const std::string& path);
