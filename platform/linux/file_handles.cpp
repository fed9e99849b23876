// Linux: file handles for CreateFileA, WriteFile and CloseHandle over POSIX
// descriptors. A file without any write permission counts as read-only and
// does not open for writing, as a Windows file with that attribute does not,
// even for a process running as root. As on Windows, a directory opens only
// with backup semantics, and a link opens as itself only when asked to.
#ifndef _WIN32
#include "../win32.h"
#include "file_handle.h"
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using FileHandle = LinuxFileHandle;

HANDLE CreateFileA(LPCSTR fileName, DWORD access, DWORD, LPSECURITY_ATTRIBUTES, DWORD disposition,
                   DWORD flags, HANDLE) {
    if (fileName == nullptr || *fileName == '\0') {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    const bool reads = (access & GENERIC_READ) != 0;
    const bool writes = (access & GENERIC_WRITE) != 0;
    int openFlags = writes ? (reads ? O_RDWR : O_WRONLY) : O_RDONLY;
    switch (disposition) {
    case CREATE_NEW:
        openFlags |= O_CREAT | O_EXCL;
        break;
    case CREATE_ALWAYS:
        openFlags |= O_CREAT | O_TRUNC;
        break;
    case OPEN_ALWAYS:
        openFlags |= O_CREAT;
        break;
    case TRUNCATE_EXISTING:
        openFlags |= O_TRUNC;
        break;
    case OPEN_EXISTING:
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    struct stat entry;
    const bool asItself = (flags & FILE_FLAG_OPEN_REPARSE_POINT) != 0;
    if ((asItself ? lstat(fileName, &entry) : stat(fileName, &entry)) == 0 &&
        S_ISDIR(entry.st_mode) && (flags & FILE_FLAG_BACKUP_SEMANTICS) == 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    if (asItself && !reads && !writes && disposition == OPEN_EXISTING) {
        int descriptor = open(fileName, O_PATH | O_NOFOLLOW | O_CLOEXEC);
        if (descriptor < 0) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return INVALID_HANDLE_VALUE;
        }
        return new FileHandle{descriptor, fileName};
    }
    struct stat existing;
    if (writes && stat(fileName, &existing) == 0 && S_ISREG(existing.st_mode) &&
        (existing.st_mode & S_IWUSR) == 0 && disposition != CREATE_NEW) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    int descriptor = open(fileName, openFlags | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        SetLastError(errno == EEXIST   ? ERROR_FILE_EXISTS
                     : errno == ENOENT ? ERROR_FILE_NOT_FOUND
                                       : ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    return new FileHandle{descriptor, fileName};
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD count, LPDWORD written, LPOVERLAPPED) {
    if (written != nullptr)
        *written = 0;
    if (file == nullptr || file == INVALID_HANDLE_VALUE || (buffer == nullptr && count > 0)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const int descriptor = static_cast<FileHandle*>(file)->descriptor;
    const char* bytes = static_cast<const char*>(buffer);
    DWORD done = 0;
    while (done < count) {
        ssize_t step = write(descriptor, bytes + done, count - done);
        if (step < 0 && errno == EINTR)
            continue;
        if (step <= 0) {
            SetLastError(ERROR_ACCESS_DENIED);
            break;
        }
        done += static_cast<DWORD>(step);
    }
    if (written != nullptr)
        *written = done;
    return done == count ? TRUE : FALSE;
}

BOOL CloseHandle(HANDLE handle) {
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    FileHandle* file = static_cast<FileHandle*>(handle);
    const bool closed = close(file->descriptor) == 0;
    delete file;
    return closed ? TRUE : FALSE;
}
#endif
