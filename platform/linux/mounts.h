// Linux: where file systems are mounted, for the volume, attribute and
// reparse calls of platform/linux/. A mounted folder is what Windows calls a
// volume mount point, and like one it carries the reparse attribute.
#pragma once

#include <string>

// The path made absolute and free of links as far as it exists; the part
// that does not exist is kept as written.
std::string ResolvedPath(const std::string& path);

// The longest mount point of the mount table that holds the resolved path.
std::string MountPointOf(const std::string& resolvedPath);

// Whether the directory named by `path` (a link is not followed), or open as
// `descriptor`, is a mount point. Bind mounts of the same file system count,
// though they keep its device number. The root of the whole tree does not,
// as a drive root is no mounted folder.
bool IsMountPoint(const char* path);
bool IsMountPointHandle(int descriptor);
