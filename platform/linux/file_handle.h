// Linux: what a file handle of CreateFileA holds, shared by the file, volume
// and reparse calls of platform/linux/.
#pragma once

#include <string>

struct LinuxFileHandle {
    int descriptor;   // for a link opened as itself: an O_PATH descriptor
    std::string path; // as it was opened, for the reparse query
};
