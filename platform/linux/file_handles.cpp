// Linux: file handles for CreateFileA, ReadFile, WriteFile, FlushFileBuffers
// and CloseHandle over POSIX descriptors. A file that no one may write counts as
// read-only and does not open for writing, as a Windows file with that
// attribute does not, even for a process running as root; any other
// permission question is the system's. As on Windows, a directory opens only
// with backup semantics, a link opens as itself only when asked to, and a
// name with a trailing separator opens only a folder. No open ever blocks.
#include "platform/text/path_spelling.h"
#include "platform/win32.h"
#include "platform/linux/file_handle.h"
#include <climits>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include "platform/linux/system_calls.h"

namespace {

// The open flags for an access and a disposition; -1 for an unknown disposition.
int OpenFlags(DWORD access, DWORD disposition) {
    const bool reads = (access & GENERIC_READ) != 0;
    const bool writes = (access & GENERIC_WRITE) != 0;
    // Never blocking: a FIFO or a device must not hold the caller up.
    const int flags = (writes ? (reads ? O_RDWR : O_WRONLY) : O_RDONLY) | O_NONBLOCK | O_CLOEXEC;
    switch (disposition) {
    case CREATE_NEW:
        return flags | O_CREAT | O_EXCL;
    case CREATE_ALWAYS:
        return flags | O_CREAT | O_TRUNC;
    case OPEN_ALWAYS:
        return flags | O_CREAT;
    case TRUNCATE_EXISTING:
        return flags | O_TRUNC;
    case OPEN_EXISTING:
        return flags;
    default:
        return -1;
    }
}

// INVALID_HANDLE_VALUE, with the error as the last error.
HANDLE Refuse(DWORD error) {
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

// Windows' code for a failed write or flush: a full disk is told apart, so
// that a caller can say why nothing was written.
DWORD WriteError(int error) {
    return error == ENOSPC || error == EDQUOT ? ERROR_DISK_FULL
           : error == EIO                     ? ERROR_IO_DEVICE
                                              : ERROR_ACCESS_DENIED;
}

} // namespace

HANDLE CreateFileA(LPCSTR fileName, DWORD access, DWORD, LPSECURITY_ATTRIBUTES, DWORD disposition,
                   DWORD flags, HANDLE) {
    char path[PATH_MAX];
    if (fileName == nullptr || *fileName == '\0' ||
        !ReducePathSpelling(fileName, path, sizeof(path)))
        return Refuse(ERROR_PATH_NOT_FOUND);
    const int openFlags = OpenFlags(access, disposition);
    if (openFlags < 0)
        return Refuse(ERROR_INVALID_PARAMETER);
    // "file.txt/" is no name for the file: opening it must neither open,
    // truncate nor create "file.txt". The codes are Windows' own: an entry
    // there still exists for CREATE_NEW, and a missing one is missing where
    // nothing would be created.
    if (EndsInSeparator(fileName) && !NamesFolder(path)) {
        struct stat any;
        if (System().lstat(path, &any) == 0)
            return Refuse(disposition == CREATE_NEW ? ERROR_FILE_EXISTS : ERROR_INVALID_NAME);
        return Refuse(disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING
                          ? ERROR_FILE_NOT_FOUND
                          : ERROR_INVALID_NAME);
    }
    const bool writes = (access & GENERIC_WRITE) != 0;
    const bool asItself = (flags & FILE_FLAG_OPEN_REPARSE_POINT) != 0;
    struct stat entry;
    const bool exists =
        (asItself ? System().lstat(path, &entry) : System().stat(path, &entry)) == 0;
    if (exists && S_ISDIR(entry.st_mode) && (flags & FILE_FLAG_BACKUP_SEMANTICS) == 0)
        return Refuse(ERROR_ACCESS_DENIED);
    // Only metadata is wanted: nothing is opened for reading at all.
    if (asItself && (access & (GENERIC_READ | GENERIC_WRITE)) == 0 &&
        disposition == OPEN_EXISTING) {
        int descriptor = System().open(path, O_PATH | O_NOFOLLOW | O_CLOEXEC, 0);
        if (descriptor < 0)
            return Refuse(ERROR_FILE_NOT_FOUND);
        return HandleOfDescriptor(descriptor);
    }
    if (writes && exists && IsReadOnlyFile(entry.st_mode) && disposition != CREATE_NEW)
        return Refuse(ERROR_ACCESS_DENIED);
    int descriptor = System().open(path, openFlags, 0666);
    if (descriptor < 0)
        return Refuse(errno == EEXIST   ? ERROR_FILE_EXISTS
                      : errno == ENOENT ? ERROR_FILE_NOT_FOUND
                                        : ERROR_ACCESS_DENIED);
    return HandleOfDescriptor(descriptor);
}

// One read as Windows gives it: up to `count` bytes, and 0 bytes read with
// success at the file's end.
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD count, LPDWORD read, LPOVERLAPPED) {
    if (read != nullptr)
        *read = 0;
    if (file == nullptr || file == INVALID_HANDLE_VALUE || (buffer == nullptr && count > 0)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    ssize_t step;
    do
        step = System().read(DescriptorOf(file), buffer, count);
    while (step < 0 && errno == EINTR);
    if (step < 0) {
        SetLastError(errno == EIO ? ERROR_IO_DEVICE : ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (read != nullptr)
        *read = static_cast<DWORD>(step);
    return TRUE;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD count, LPDWORD written, LPOVERLAPPED) {
    if (written != nullptr)
        *written = 0;
    if (file == nullptr || file == INVALID_HANDLE_VALUE || (buffer == nullptr && count > 0)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const int descriptor = DescriptorOf(file);
    const char* bytes = static_cast<const char*>(buffer);
    DWORD done = 0;
    while (done < count) {
        ssize_t step = System().write(descriptor, bytes + done, count - done);
        if (step < 0 && errno == EINTR)
            continue;
        if (step <= 0) {
            SetLastError(step == 0 ? ERROR_DISK_FULL : WriteError(errno));
            break;
        }
        done += static_cast<DWORD>(step);
    }
    if (written != nullptr)
        *written = done;
    return done == count ? TRUE : FALSE;
}

BOOL FlushFileBuffers(HANDLE file) {
    if (file == nullptr || file == INVALID_HANDLE_VALUE) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const int descriptor = DescriptorOf(file);
    const int flags = System().fcntl(descriptor, F_GETFL, 0);
    if (flags < 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    // Windows refuses a handle without write access, which fsync would take.
    if ((flags & O_PATH) != 0 || (flags & O_ACCMODE) == O_RDONLY) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    while (System().fsync(descriptor) != 0) {
        if (errno == EINTR)
            continue;
        // A pipe or a socket has no disk to reach, and fsync refuses it;
        // Windows flushes a pipe by waiting for its reader, which Linux has
        // no call for: what was written is with the pipe, and that must do.
        if (errno == EINVAL || errno == EROFS)
            return TRUE;
        SetLastError(WriteError(errno));
        return FALSE;
    }
    return TRUE;
}

BOOL CloseHandle(HANDLE handle) {
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return System().close(DescriptorOf(handle)) == 0 ? TRUE : FALSE;
}
