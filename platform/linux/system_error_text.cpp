// Linux: the codes the Win32 subset sets are few, each standing for the C
// library's error number it was made from, whose words are the system's;
// a failure that knows its reason better than its code (the loader's message
// for a library that does not load) gives that reason while it is the
// thread's last error.
#include "platform/system_error_text.h"

#include "platform/linux/last_error.h"

#include <cerrno>
#include <cstring>

const bool kSystemErrorCodesShown = false;

namespace {

// The C library's error number that a code of this layer stands for; 0 for
// a code of its own making.
int ErrorNumberOf(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
        return EACCES;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_CANT_RESOLVE_FILENAME:
        return ELOOP;
    case ERROR_DISK_FULL:
        return ENOSPC;
    case ERROR_IO_DEVICE:
        return EIO;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_DIR_NOT_EMPTY:
        return ENOTEMPTY;
    case ERROR_DIRECTORY:
        return ENOTDIR;
    case ERROR_SHARING_VIOLATION:
        return EBUSY;
    case ERROR_INVALID_PARAMETER:
        return EINVAL;
    case ERROR_INVALID_HANDLE:
        return EBADF;
    case ERROR_NO_UNICODE_TRANSLATION:
        return EILSEQ;
    case ERROR_CALL_NOT_IMPLEMENTED:
        return ENOSYS;
    default:
        return 0;
    }
}

} // namespace

std::string SystemErrorWords(DWORD error) {
    if (error == GetLastError() && LastErrorText() != nullptr)
        return LastErrorText();
    switch (error) {
    case ERROR_MOD_NOT_FOUND:
        return "The library could not be loaded";
    case ERROR_PROC_NOT_FOUND:
        return "The library lacks the function";
    case ERROR_INSUFFICIENT_BUFFER:
        return "The answer does not fit in the space given for it";
    case ERROR_INVALID_NAME:
        return "The name is not one a file can have";
    case ERROR_NO_MORE_FILES:
        return "No more entries";
    case ERROR_NOT_A_REPARSE_POINT:
        return "The entry is not a link";
    case ERROR_RESOURCE_TYPE_NOT_FOUND:
        return "The file holds no resources";
    default:
        break;
    }
    const int number = ErrorNumberOf(error);
    return number != 0 ? std::strerror(number) : "";
}
