// Linux: a file's protection is its mode bits; the owner stays whoever
// wrote the new file.
#include "platform/file_protection.h"

#include <cerrno>
#include <cstring>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// Room for one entry of the user or group database and its strings.
std::vector<char> EntryRoom() {
    const long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    return std::vector<char>(size > 0 ? static_cast<std::size_t>(size) : 16384);
}

// Whether the group is the user's private one: the user's primary group,
// named as the user, listing no member but the user (the scheme that gives
// each user a group of one, under which umask 002 is the default). Its
// write is the user's own.
bool IsPrivateGroupOf(gid_t group, uid_t user) {
    std::vector<char> userRoom = EntryRoom();
    passwd account{};
    passwd* found = nullptr;
    if (getpwuid_r(user, &account, userRoom.data(), userRoom.size(), &found) != 0 ||
        found == nullptr || account.pw_gid != group)
        return false;
    std::vector<char> groupRoom(65536); // a group's member list may be long
    struct group entry {};
    struct group* groupFound = nullptr;
    if (getgrgid_r(group, &entry, groupRoom.data(), groupRoom.size(), &groupFound) != 0 ||
        groupFound == nullptr || std::strcmp(entry.gr_name, account.pw_name) != 0)
        return false;
    for (char** member = entry.gr_mem; *member != nullptr; ++member)
        if (std::strcmp(*member, account.pw_name) != 0)
            return false;
    return true;
}

} // namespace

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
// only an entry's owner may rename or remove it). The user's private group
// is the user alone.
bool OthersMayWriteFolder(const char* folder) {
    struct stat status {};
    if (stat(folder, &status) != 0)
        return false;
    const uid_t user = getuid();
    const bool ownerIsOther = status.st_uid != user && status.st_uid != 0;
    const bool groupIsOther =
        (status.st_mode & S_IWGRP) != 0 && !IsPrivateGroupOf(status.st_gid, user);
    const bool sharedWrite = groupIsOther || (status.st_mode & S_IWOTH) != 0;
    return ownerIsOther || (sharedWrite && (status.st_mode & S_ISVTX) == 0);
}

bool MakeOwnFolder(const char* folder) {
    if (mkdir(folder, 0700) != 0)
        return errno == EEXIST;
    // The umask may have taken the owner's own bits.
    return chmod(folder, 0700) == 0;
}
