// Linux: a file's protection is its mode bits; the owner stays whoever
// wrote the new file.
#include "platform/file_protection.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

bool CopyFileProtection(const char* from, const char* to, std::string& reason) {
    struct stat status {};
    if (stat(from, &status) != 0 || chmod(to, status.st_mode & 07777) != 0) {
        reason = std::strerror(errno);
        return false;
    }
    return true;
}

// A folder's entries may be replaced by its owner, and by its group and
// everyone when they may write it, unless it is sticky (as /tmp is: there
// only an entry's owner may rename or remove it).
bool OthersMayWriteFolder(const char* folder) {
    struct stat status {};
    if (stat(folder, &status) != 0)
        return false;
    const bool ownerIsOther = status.st_uid != getuid() && status.st_uid != 0;
    const bool sharedWrite = (status.st_mode & (S_IWGRP | S_IWOTH)) != 0;
    return ownerIsOther || (sharedWrite && (status.st_mode & S_ISVTX) == 0);
}
