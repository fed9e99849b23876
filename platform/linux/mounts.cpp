// Linux: mount points. The system says whether a directory is a mount's root
// (statx, STATX_ATTR_MOUNT_ROOT); where it does not, the mount table
// /proc/self/mountinfo is read. Device numbers alone would miss a bind mount.
#include "platform/linux/mounts.h"
#include "platform/linux/system_calls.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#ifndef STATX_ATTR_MOUNT_ROOT
#define STATX_ATTR_MOUNT_ROOT 0x2000
#endif

namespace {

// The text with its \ooo escapes undone: mountinfo escapes blanks and a
// few other characters so.
std::string Unescaped(const char* text) {
    std::string result;
    for (const char* p = text; *p != '\0'; ++p) {
        if (p[0] == '\\' && p[1] >= '0' && p[1] <= '7' && p[2] >= '0' && p[2] <= '7' &&
            p[3] >= '0' && p[3] <= '7') {
            result += static_cast<char>((p[1] - '0') * 64 + (p[2] - '0') * 8 + (p[3] - '0'));
            p += 3;
        } else {
            result += *p;
        }
    }
    return result;
}

bool Contains(const std::string& mountPoint, const std::string& path) {
    if (mountPoint == "/")
        return true;
    return path.compare(0, mountPoint.size(), mountPoint) == 0 &&
           (path.size() == mountPoint.size() || path[mountPoint.size()] == '/');
}

bool IsTreeRoot(const struct statx& info) {
    struct stat root;
    return System().stat("/", &root) == 0 && root.st_ino == info.stx_ino &&
           major(root.st_dev) == info.stx_dev_major && minor(root.st_dev) == info.stx_dev_minor;
}

// Whether the directory `info` describes is a mount point; `path` names it
// for the mount table. The path stays a plain text until the table is
// needed: the plugin asks this of every folder the host shows, and a value
// request allocates nothing.
bool Decide(const struct statx& info, const char* path) {
    if (!S_ISDIR(info.stx_mode) || IsTreeRoot(info))
        return false;
    if (info.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT)
        return (info.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
    // A kernel before 5.8, which does not say (glibc's stand-in for statx on
    // a kernel without it does not either): the mount table decides. Reached
    // by MountPointTest.NeverEnteredWhateverTheSpelling ("mount root unknown").
    const std::string resolved = ResolvedPath(path);
    return resolved != "/" && MountPointOf(resolved) == resolved;
}

} // namespace

std::string ResolvedPath(const std::string& path) {
    std::string existing = path;
    std::string rest;
    while (!existing.empty()) {
        char resolved[PATH_MAX];
        if (System().realpath(existing.c_str(), resolved) != nullptr) {
            std::string result = resolved;
            if (!rest.empty())
                result += (result == "/" ? "" : "/") + rest;
            return result;
        }
        size_t cut = existing.find_last_of('/');
        if (cut == std::string::npos) {
            rest = existing + (rest.empty() ? "" : "/" + rest);
            existing = ".";
            continue;
        }
        rest = existing.substr(cut + 1) + (rest.empty() ? "" : "/" + rest);
        existing = cut == 0 ? "/" : existing.substr(0, cut);
    }
    return path;
}

std::string MountPointOf(const std::string& resolvedPath) {
    std::string best = "/";
    std::FILE* table = System().fopen("/proc/self/mountinfo", "re");
    if (table == nullptr)
        return best;
    char line[4096];
    while (std::fgets(line, sizeof(line), table) != nullptr) {
        char point[4096];
        if (std::sscanf(line, "%*s %*s %*s %*s %4095s", point) != 1)
            continue;
        std::string mountPoint = Unescaped(point);
        if (Contains(mountPoint, resolvedPath) && mountPoint.size() > best.size())
            best = mountPoint;
    }
    std::fclose(table);
    return best;
}

bool IsMountPoint(const char* path) {
    struct statx info;
    return System().statx(AT_FDCWD, path, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
                          STATX_TYPE | STATX_INO, &info) == 0 &&
           Decide(info, path);
}

bool IsMountPointHandle(int descriptor) {
    struct statx info;
    if (System().statx(descriptor, "", AT_EMPTY_PATH | AT_NO_AUTOMOUNT, STATX_TYPE | STATX_INO,
                       &info) != 0)
        return false;
    char link[64];
    std::snprintf(link, sizeof(link), "/proc/self/fd/%d", descriptor);
    char path[PATH_MAX];
    const ssize_t length = System().readlink(link, path, sizeof(path) - 1);
    path[length > 0 ? length : 0] = '\0';
    return Decide(info, path);
}
