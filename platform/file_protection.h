// Who may read and write a file, carried from one file to another: the mode
// bits on Linux, the access list on Windows. A file that replaces another
// the user keeps private must stay as private as the one it replaces.
#pragma once

#include <string>

// Gives the file `to` the protection of the file `from`. True when done;
// false with the system's reason in `reason`.
bool CopyFileProtection(const char* from, const char* to, std::string& reason);

// Whether a user other than this one (or the administrator) may replace the
// folder's entries: on Linux its owner when that is another user, and its
// group or everyone when they may write it and it is not sticky. On Windows
// the answer is false: access lists are not judged there.
bool OthersMayWriteFolder(const char* folder);
