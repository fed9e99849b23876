// Who may read and write a file, carried from one file to another: the mode
// bits on Linux, the access list on Windows. A file that replaces another
// the user keeps private must stay as private as the one it replaces.
#pragma once

#include <string>

// Gives the file `to` the protection of the file `from`. True when done;
// false with the system's reason in `reason`.
bool CopyFileProtection(const char* from, const char* to, std::string& reason);

// Whether a user other than this one (or the administrator) may replace the
// folder's entries. On Linux: its owner when that is another user; its group
// when it may write the folder and is not the user's private group (the
// user's primary group, of the user's name, with no other member); everyone
// when they may write it; but neither group nor everyone in a sticky folder,
// where only an entry's owner may rename or remove it. On Windows: its owner
// when that is not this user, the system or the administrators; anyone when
// the folder has no access list; and any other holder of an allowing entry
// of its list that gives the right to remove or rename its entries or to
// change its protection or owner (a right to add entries alone, as every
// signed-in user has on a system drive's root, is the sticky folder's).
// True as well when the folder's protection cannot be read on Windows.
bool OthersMayWriteFolder(const char* folder);

// Makes the folder, unless it is there, as the user's own: on Linux with
// mode 0700 whatever the umask (the rule for the folders a program makes
// for its data); on Windows with the protection it inherits. True when the
// folder is there afterwards.
bool MakeOwnFolder(const char* folder);
